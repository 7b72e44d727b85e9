// The manual coordination dialog TMCD ("Set Coordination"): for one central
// atom at a time, its ligands by increasing distance with the second-sphere
// atoms among them; a double click on a row cuts the coordination after it
// or extends it up to it. OK makes the last ligand kept of every atom that
// atom's coordination radius and switches the search to these radii; Cancel
// changes no setting.
#pragma once

#include <QDialog>

#include "model/model.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace kevo {

class WindowSeams;

// The modal result of the OK button.
inline constexpr int ManualCoordinationOK = 600;

class TMCD : public QDialog {
    Q_OBJECT
  public:
    // Builds the lists of m from its last coordination search (messages
    // through seams) and shows the first central atom of the side m shows.
    TMCD(Model& m, WindowSeams& seams, QWidget* parent = nullptr);

    static constexpr int Columns = 5;
    static const char* const Headers[Columns];
    static const int DesignWidths[Columns];

  private:
    void BuildForm();
    void FormShow();
    void LoadData();
    void LoadComboBox();
    // Shows atom b (1-based) of the list shown.
    void LoadGrid(int b);
    void UpdateButtons();
    void CAComboBoxSelect(int index);
    void Step(int delta);
    void ResetButtonClick();
    void XCentButtonClick();
    void SGMCDblClick(int row);
    void OkButton1Click();
    int Atoms() const;

    Model& m_;
    WindowSeams& seams_;

    QLabel* Label2 = nullptr;
    QComboBox* CAComboBox = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* CNEdit = nullptr;
    QTableWidget* SGMC = nullptr;
    QPushButton* XCentButton = nullptr;
    QPushButton* PrevButton = nullptr;
    QPushButton* NextButton = nullptr;
    QPushButton* ResetButton = nullptr;
    QPushButton* OkButton1 = nullptr;
    QPushButton* CancelButton1 = nullptr;
};

} // namespace kevo
