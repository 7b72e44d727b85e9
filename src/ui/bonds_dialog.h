// The calculation settings dialog TBondsDialog: how coordination spheres are
// delimited (global radii, bond-type specific lengths or per-atom radii set
// in the manual coordination dialog), how bond weights and the charge
// distribution iterate, and which optional geometry calculations run. It
// shows the settings of the model when created, checks the entries when OK
// is pressed and only then writes them back; a refused entry keeps the
// dialog open and changes nothing.
#pragma once

#include <string>

#include <QDialog>

#include "calc/bond_lengths.h"
#include "model/model.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace kevo {

class RadioGroup;
class WindowSeams;

// The modal result of the OK button.
inline constexpr int BondsDialogOK = 500;

class TBondsDialog : public QDialog {
    Q_OBJECT
  public:
    // Shows the settings of m; messages, the manual coordination dialog and
    // the default bond-length table come through seams. m and seams outlive
    // the dialog.
    TBondsDialog(Model& m, WindowSeams& seams, QWidget* parent = nullptr);

  private:
    void BuildForm();
    QWidget* BuildThresholds();
    QWidget* BuildIteration();
    QWidget* BuildGeometry();

    void FormShow();
    void ShowThresholdItem(int item);
    void GlobalOptionsRGClick(int item);
    void ExcludeCheckBoxClick();
    void EndIterationRGClick();
    void OpposingBondsCBClick();
    void ZoneRadioGroupClick();
    void OKbuttonClick();

    // The first failing check of the entries, or empty when all pass.
    std::string FirstRefusal() const;
    void Commit();
    void ShowMessage(const std::string& text);
    void SetZoneEditsEnabled(bool enabled);
    void FillZoneEdits();
    void LoadDefaultLengths();

    Model& m_;
    WindowSeams& seams_;
    BondLengthTable VestaMemo; // the default bond-length table, once read
    int thresItem_ = 0;        // the threshold item in force before a click

    RadioGroup* GlobalOptionsRG = nullptr;
    QLabel* MaxCoordRadLabel = nullptr;
    QLineEdit* MaxGlobalEdit = nullptr;
    QLabel* HydrogenRadiusLabel = nullptr;
    QLineEdit* HydrogenRadiusEdit = nullptr;
    QTableWidget* BTGrid = nullptr;
    QCheckBox* NearestCheckBox = nullptr;
    QCheckBox* ExcludeCheckBox = nullptr;
    QCheckBox* IteratedKevoCheckBox = nullptr;
    QCheckBox* VontarCheckBox = nullptr;
    RadioGroup* EndIterationRG = nullptr;
    QLineEdit* HeteroThresholdEdit = nullptr;
    QLineEdit* MAPDImprovEdit = nullptr;
    QLineEdit* MinDihEdit = nullptr;
    QLineEdit* MaxSplitDistEdit = nullptr;
    QCheckBox* BondAnglesCB = nullptr;
    QCheckBox* OpposingBondsCB = nullptr;
    QCheckBox* Averages32CB = nullptr;
    QCheckBox* DihedralAnglesCB = nullptr;
    QCheckBox* InterligandDistancesCB = nullptr;
    QCheckBox* DistanceCentralAtomsCB = nullptr;
    QCheckBox* OB67CheckBox = nullptr;
    RadioGroup* ZoneRadioGroup = nullptr;
    QLineEdit* ZoneEdits[3] = {};
    QLabel* ZoneLabels[3] = {};
    QPlainTextEdit* UnprocMemo = nullptr;
    QPushButton* OKbutton = nullptr;
    QPushButton* CancelButton = nullptr;
};

} // namespace kevo
