// The main window TOstrel: the structure read from a CIF file on the left
// (file name, space group, cell, the grid of sites and symmetry images), the
// calculation's text reports on the right. It calls the same reading,
// calculation and report functions as the batch program and keeps no
// calculation of its own. One model per window, created with it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QString>
#include <QStringList>
#include <QWidget>

#include "calc/bond_valence.h"
#include "model/messages.h"
#include "model/model.h"
#include "reports/results.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kevo {

class AtomGrid;
class FileNamePanel;
class TAboutDialog;
class WindowSeams;

// The window caption.
inline constexpr const char* WindowCaption = "K e v o 21  v. 1.8";

// "Save as..." per report code 1..8: the default file-name ending, the file
// types offered and the one preselected (1-based).
QString SaveAsSuffix(int code);
QStringList SaveAsFilters(int code);
int SaveAsPreselected(int code);

class TOstrel : public QWidget {
    Q_OBJECT
  public:
    // seams: dialogs and desktop services; null for the real ones. Not owned.
    explicit TOstrel(WindowSeams* seams = nullptr, QWidget* parent = nullptr);
    ~TOstrel() override;

    // Reads the CIF file as "Open..." does once its dialog has returned the
    // path. Returns true when the structure is loaded; after a failed read the
    // window is in its start-up state.
    bool OpenCifFile(const QString& path);

    const Model& model() const { return *model_; }
    TAboutDialog* aboutDialog() const { return about_; }

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    class Messages;
    class View;

    void BuildWindow();
    QWidget* BuildStructurePart();
    QWidget* BuildResultsPart();
    void StartUpState();
    // Runs one action of the user; an error ends the action with a message and
    // the window stays alive.
    void Guarded(const std::function<void()>& action);

    // Handlers.
    void OpenFileButtonClick();
    void CalculateButtonClick();
    void BondsButtonClick();
    void AutosaveCheckClick();
    void OmitCheckBoxClick();
    void SectionCom();
    void AboutButtonClick();
    void ShowXCenteredButtonClick();
    void PolGeomButtonClick();
    void SectionComboSelect(int index);
    void SaveAsButtonClick();

    // The calculation for the side shown; true when it completed.
    bool RunCalculation();
    // LoadResults then ListResults: builds the report of code and shows it.
    void ShowReport(int code);
    void LoadResults(int code);
    void ListResults(int code);
    bool HasResults() const;
    void ShowMessage(const std::string& text);

    // Find text in the report.
    void ShowFindBar();
    void FindInReport(bool backwards);

    std::unique_ptr<WindowSeams> own_seams_;
    WindowSeams* seams_;
    std::unique_ptr<MessageSink> messages_;
    std::unique_ptr<Model> model_;
    BvsTableCache bvs_tables_; // the parameter table, read once per run
    Results results_;
    ReportLines shown_; // the lines in the report memo
    TAboutDialog* about_ = nullptr;

    // Left part.
    QPushButton* OpenFileButton = nullptr;
    QPushButton* SaveAsButton = nullptr;
    QPushButton* QuitButton = nullptr;
    QPushButton* AboutButton = nullptr;
    FileNamePanel* FileNamePanel_ = nullptr;
    QPushButton* BondsButton = nullptr;
    QPushButton* CalculateButton = nullptr;
    QCheckBox* DetailedResults = nullptr;
    QCheckBox* OmitCheckBox = nullptr;
    QCheckBox* AutosaveCheck = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* SpaceGroupPanel = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLabel* CellPanels[6] = {};
    QLabel* CifTime = nullptr;
    AtomGrid* SG2 = nullptr;
    // Right part.
    QPushButton* ShowXCenteredButton = nullptr;
    QPushButton* PolGeomButton = nullptr;
    QLabel* SectionLabel = nullptr;
    QComboBox* SectionCombo = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QWidget* FindBar = nullptr;
    QLineEdit* FindEdit = nullptr;
    QLabel* FindStatus = nullptr;
};

} // namespace kevo
