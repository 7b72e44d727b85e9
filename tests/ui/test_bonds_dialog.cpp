// The calculation settings dialog driven through its controls: what it shows
// of the settings, the enabling rules, the checks of the OK button with
// their messages, what OK writes and what Cancel keeps, the default bond
// lengths, the way to the manual coordination dialog, and the main window's
// reaction.
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "batch.h"
#include "calc/coordination.h"
#include "model/cif_reader.h"
#include "model/messages.h"
#include "model/numbers.h"
#include "ui/bonds_dialog.h"
#include "ui/main_window.h"
#include "ui/man_coord_dialog.h"
#include "ui/widgets.h"
#include "ui_test_support.h"

using namespace kevo;
using namespace kevo::testing;

namespace {

const std::string kForsterite = KEVO_SOURCE_DIR "/examples/forsterite_Mg2SiO4_AMCSD0000546.cif";

// Every setting the dialog reads or writes, as one text.
QString Settings(const Model& m) {
    QStringList s;
    auto number = [&s](const char* name, double v) {
        s << QString::fromLatin1(name) + "=" + QString::fromStdString(xFloatToStr(v));
    };
    auto flag = [&s](const char* name, bool v) {
        s << QString::fromLatin1(name) + "=" + (v ? "1" : "0");
    };
    number("MaxR", m.MaxR);
    number("MaxH", m.MaxH);
    number("ThresOption", m.ThresOption);
    number("EndItOption", m.EndItOption);
    number("Threshold", m.Threshold);
    number("MAPDImprovement", m.MAPDImprovement);
    number("MinDih", m.MinDih);
    number("MaxSDist", m.MaxSDist);
    for (int i = 1; i <= 3; ++i)
        number("CustomZone", m.CustomZone[i]);
    flag("AutoZone", m.AutoZone);
    flag("OB67", m.OB67);
    flag("NonIt", m.NonIt);
    flag("VontarIT", m.VontarIT);
    flag("OneStepIT", m.OneStepIT);
    flag("ExZeroW", m.ExZeroW);
    flag("NearestLimit", m.NearestLimit);
    flag("BondSpLimits", m.BondSpLimits);
    flag("CalcBonDAngles", m.CalcBonDAngles);
    flag("CalcOppBonds", m.CalcOppBonds);
    flag("CalcDihAngles", m.CalcDihAngles);
    flag("CalcIntLigands", m.CalcIntLigands);
    flag("CalcDistCentAtom", m.CalcDistCentAtom);
    flag("Calc32Averages", m.Calc32Averages);
    flag("FirstBondSpecific", m.FirstBondSpecific);
    for (int i = 1; i <= m.BondTypesNr; ++i)
        s << QString::fromStdString(m.MaxBondLengths[i][1] + m.MaxBondLengths[i][2] + "=" +
                                    m.MaxBondLengths[i][3]);
    for (int i = 1; i <= m.AClength; ++i)
        number("Nearest", m.AC[i].Nearest);
    for (int i = 1; i <= m.AAlength; ++i)
        number("Nearest", m.AA[i].Nearest);
    return s.join(QLatin1Char(' '));
}

} // namespace

class TestBondsDialog : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<RecordingSeams> seams_;
    std::unique_ptr<Model> model_;
    std::unique_ptr<TBondsDialog> dialog_;

    // A structure as the main window has it when the settings button is
    // pressed: read, searched once, its bond types derived.
    void Load(const std::string& path) {
        model_ = Model::Create();
        RecordingSink msg;
        QVERIFY(ReadCifFile(path, *model_, msg));
        GetDistances(*model_, msg);
        QVERIFY(GetMaxBondLengths(*model_, msg));
        QVERIFY(msg.texts.empty());
    }
    void Show() {
        dialog_ = std::make_unique<TBondsDialog>(*model_, *seams_);
        dialog_->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog_.get()));
    }
    template <class T> T* Find(const QString& name) {
        T* w = dialog_->findChild<T*>(name);
        if (w == nullptr) qFatal("no control named %s", qPrintable(name));
        return w;
    }
    QLineEdit* Edit(const char* name) { return Find<QLineEdit>(QString::fromLatin1(name)); }
    QCheckBox* Box(const char* name) { return Find<QCheckBox>(QString::fromLatin1(name)); }
    RadioGroup* Group(const char* name) { return Find<RadioGroup>(QString::fromLatin1(name)); }
    QTableWidget* Grid() { return Find<QTableWidget>(QStringLiteral("BTGrid")); }
    void Ok() { Find<QPushButton>(QStringLiteral("OKbutton"))->click(); }
    void Cancel() { Find<QPushButton>(QStringLiteral("CancelButton"))->click(); }
    // Steps separated by ";": "Name=text" types into an edit, "click:Name"
    // clicks a check box, "item:Name:i" a radio item, "grid:r=text" types a
    // length into row r of the bond-type grid.
    void Do(const QString& steps);
    // The enabled state of the named controls, as "1" and "0".
    QString Enabled(const QStringList& names);

  private slots:
    void init();
    void cleanup();

    void controlsHaveTheirNamesAndCaptions_data();
    void controlsHaveTheirNamesAndCaptions();
    void showsTheSettingsOfAnOpenedFile();
    void showsRoundedValues();
    void everyBondTypeIsListed();
    void okChecks_data();
    void okChecks();
    void okWritesEverySetting();
    void cancelAfterARefusalChangesNothing();
    void excludeCheckBoxEnabling_data();
    void excludeCheckBoxEnabling();
    void endIterationEnabling();
    void opposingBondsAndZoneAxis();
    void unprocessedOpposingBonds();
    void bondTypeDefaultsAndEditedLengths();
    void missingDefaultTable();
    void shownModesAreKept();
    void showingThePolyhedronModeOpensNothing();
    void polyhedronModeOpensTheManualDialog();
    void mainWindowReaction();
    void dialogLimitsMatchTheBatchProgram();
};

void TestBondsDialog::init() {
    seams_ = std::make_unique<RecordingSeams>();
    Load(kExample);
}

void TestBondsDialog::cleanup() {
    dialog_.reset();
    model_.reset();
    seams_.reset();
}

void TestBondsDialog::Do(const QString& steps) {
    for (const QString& step : steps.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        if (step.startsWith(QStringLiteral("click:"))) {
            Find<QCheckBox>(step.mid(6))->click();
        } else if (step.startsWith(QStringLiteral("item:"))) {
            const QStringList parts = step.split(QLatin1Char(':'));
            Find<RadioGroup>(parts.at(1))->Item(parts.at(2).toInt())->click();
        } else if (step.startsWith(QStringLiteral("grid:"))) {
            const int equals = static_cast<int>(step.indexOf(QLatin1Char('=')));
            Grid()->item(step.mid(5, equals - 5).toInt() - 1, 1)->setText(step.mid(equals + 1));
        } else {
            const int equals = static_cast<int>(step.indexOf(QLatin1Char('=')));
            Find<QLineEdit>(step.left(equals))->setText(step.mid(equals + 1));
        }
    }
}

QString TestBondsDialog::Enabled(const QStringList& names) {
    QString states;
    for (const QString& n : names)
        states += Find<QWidget>(n)->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
    return states;
}

// --- Controls ------------------------------------------------------------------------------

void TestBondsDialog::controlsHaveTheirNamesAndCaptions_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    const char* const rows[][2] = {
        {"GlobalOptionsRG", "  Use  "},
        {"GlobalThresholdsGroup", " Global coordination thresholds "},
        {"MaxCoordRadLabel", "Maximum coordination radius"},
        {"HydrogenRadiusLabel", "Hydrogen coordination radius"},
        {"MaxGlobalUnit", "Å"},
        {"HydrogenRadiusUnit", "Å"},
        {"BondTypesGroup", "  Bond-type specific coordination thresholds  "},
        {"NearestCheckBox",
         " Limit coordination radius using distance to the nearest central atom"},
        {"ExcludeCheckBox", " Exclude ligands with zero-weight bonds from coordination polyhedra"},
        {"IteratedKevoCheckBox", " Use iterated weighted average distance"},
        {"VontarCheckBox", " Use VONTAR2015 iteration method"},
        {"EndIterationRG", " Iteration convergence limit for heteroligand structures... "},
        {"MAPDImprovUnit", "%"},
        {"IdealPolyhedronGroup", " Approximation of ideal polyhedron"},
        {"MinDihLabel", "Minimum dihedral angle to merge adjacent faces into a \"flat\" face"},
        {"MinDihUnit", "°"},
        {"MaxSplitDistLabel", "Maximum distance between atoms in split positions"},
        {"MaxSplitDistUnit", "Å"},
        {"OptionalGroup", " Optional calculations "},
        {"BondAnglesCB", "  Bond angles"},
        {"OpposingBondsCB", "  Opposing bonds"},
        {"Averages32CB", "  '123/45' averages"},
        {"DihedralAnglesCB", "  Dihedral angles"},
        {"InterligandDistancesCB", "  Interligand distances"},
        {"DistanceCentralAtomsCB", "  Distance to nearest central atoms"},
        {"OpposingBondsGroup", "Opposing bonds"},
        {"OB67CheckBox", "  Calculate for CN=6 or 7 only"},
        {"ZoneRadioGroup", "'Plane' zone axis"},
        {"ZoneuLabel", "u"},
        {"ZonevLabel", "v"},
        {"ZonewLabel", "w"},
        {"OKbutton", "OK"},
        {"CancelButton", "Cancel"},
    };
    for (const auto& row : rows)
        QTest::newRow(row[0]) << QString::fromLatin1(row[0]) << QString::fromUtf8(row[1]);
}

void TestBondsDialog::controlsHaveTheirNamesAndCaptions() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    Show();
    QWidget* w = Find<QWidget>(name);
    QString text;
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        text = b->text();
    else if (auto* l = qobject_cast<QLabel*>(w))
        text = l->text();
    else if (auto* g = qobject_cast<QGroupBox*>(w))
        text = g->title();
    QCOMPARE(text, caption);
}

void TestBondsDialog::showsTheSettingsOfAnOpenedFile() {
    Show();
    QCOMPARE(dialog_->windowTitle(), QStringLiteral("Calculation settings"));
    QVERIFY(dialog_->isModal());
    const QStringList items[] = {
        {"Global coordination thresholds", "Bond-type specific thresholds",
         "Polyhedron specific thresholds"},
        {QString::fromUtf8("Maximum ΔDj difference between cycles"), "MAPD improvement less than",
         "Force one iteration cycle"},
        {"   Auto detect", "   Specify zone axis"},
    };
    const char* groups[] = {"GlobalOptionsRG", "EndIterationRG", "ZoneRadioGroup"};
    for (int g = 0; g < 3; ++g) {
        RadioGroup* group = Group(groups[g]);
        QCOMPARE(group->Count(), static_cast<int>(items[g].size()));
        for (int i = 0; i < group->Count(); ++i)
            QCOMPARE(group->Item(i)->text(), items[g].at(i));
    }
    QCOMPARE(Edit("MaxGlobalEdit")->text(), QStringLiteral("4.0"));
    QCOMPARE(Edit("HydrogenRadiusEdit")->text(), QStringLiteral("2.0"));
    QCOMPARE(Edit("MinDihEdit")->text(), QStringLiteral("170.0"));
    QCOMPARE(Edit("MaxSplitDistEdit")->text(), QStringLiteral("0.8"));
    QCOMPARE(Edit("HeteroThresholdEdit")->text(), QStringLiteral("0.005"));
    QCOMPARE(Edit("MAPDImprovEdit")->text(), QStringLiteral("1.0"));
    QCOMPARE(Edit("ZoneuEdit")->text(), QString());
    QCOMPARE(Group("GlobalOptionsRG")->ItemIndex(), 0);
    QCOMPARE(Group("EndIterationRG")->ItemIndex(), 1);
    QCOMPARE(Group("ZoneRadioGroup")->ItemIndex(), 0);
    QString checks;
    for (const char* b :
         {"NearestCheckBox", "ExcludeCheckBox", "IteratedKevoCheckBox", "VontarCheckBox",
          "BondAnglesCB", "OpposingBondsCB", "Averages32CB", "DihedralAnglesCB",
          "InterligandDistancesCB", "DistanceCentralAtomsCB", "OB67CheckBox"})
        checks += Box(b)->isChecked() ? QLatin1Char('1') : QLatin1Char('0');
    QCOMPARE(checks, QStringLiteral("00101011111"));
    // Fluorapatite has no hydrogen: its radius cannot be edited.
    QCOMPARE(Enabled({"GlobalOptionsRG", "MaxGlobalEdit", "HydrogenRadiusEdit", "BTGrid",
                      "HeteroThresholdEdit", "MAPDImprovEdit", "OB67CheckBox", "ZoneRadioGroup",
                      "ZoneuEdit", "ZoneuLabel"}),
             QStringLiteral("1100010000"));
    QVERIFY(Find<QPlainTextEdit>(QStringLiteral("UnprocMemo"))->isHidden());
    auto* ok = Find<QPushButton>(QStringLiteral("OKbutton"));
    QVERIFY(ok->isDefault());
    QCOMPARE(QApplication::focusWidget(), ok);
    QCOMPARE(Grid()->horizontalHeaderItem(0)->text(), QStringLiteral("Bond type"));
    QCOMPARE(Grid()->horizontalHeaderItem(1)->text(), QStringLiteral("Maximum bond length"));
}

void TestBondsDialog::showsRoundedValues() {
    model_->MaxR = 3.56;
    model_->MaxH = 1.04;
    model_->IsHydrogen = true;
    Show();
    QCOMPARE(Edit("MaxGlobalEdit")->text(), QStringLiteral("3.6"));
    QVERIFY(Edit("HydrogenRadiusEdit")->isEnabled());
    Ok();
    QCOMPARE(dialog_->result(), BondsDialogOK);
    QCOMPARE(model_->MaxR, 3.6);
    QCOMPARE(model_->MaxH, 1.0);
}

// Every bond type can be seen and edited, and the OK checks read them all:
// a structure with 30 bond types.
void TestBondsDialog::everyBondTypeIsListed() {
    Show();
    QTableWidget* grid = Grid();
    QCOMPARE(grid->rowCount(), model_->BondTypesNr);
    QStringList names;
    for (int r = 0; r < grid->rowCount(); ++r)
        names << grid->item(r, 0)->text() + "=" + grid->item(r, 1)->text();
    QCOMPARE(names.join(QLatin1Char(' ')),
             QStringLiteral("Ca : F=2.3083 Ca : O=3.9971 P : F=3.6079 "
                            "P : O=3.8362"));
    dialog_.reset();

    model_->BondTypesNr = 30;
    for (int i = 1; i <= 30; ++i) {
        model_->MaxBondLengths[i][1] = "(X" + IntToStr(i) + ")";
        model_->MaxBondLengths[i][2] = "(O)";
        model_->MaxBondLengths[i][3] = "2." + IntToStr(i + 10) + "5555";
    }
    model_->ThresOption = 1;
    Show();
    grid = Grid();
    QCOMPARE(grid->rowCount(), 30);
    QCOMPARE(grid->item(29, 0)->text(), QStringLiteral("X30 : O"));
    QCOMPARE(grid->item(29, 1)->text(), QStringLiteral("2.4056"));
    QVERIFY(grid->item(29, 1)->flags() & Qt::ItemIsEditable);
    QVERIFY(!(grid->item(29, 0)->flags() & Qt::ItemIsEditable));
    grid->scrollToItem(grid->item(29, 1));
    QVERIFY(grid->viewport()->rect().contains(grid->visualItemRect(grid->item(29, 1))));
    // A length is drawn with four decimals when it is a number, else as typed.
    QAbstractItemDelegate* cell = grid->itemDelegateForColumn(1);
    QVERIFY(cell != nullptr);
    auto* styled = dynamic_cast<QStyledItemDelegate*>(cell);
    QVERIFY(styled != nullptr);
    QCOMPARE(styled->displayText(QStringLiteral("2.5"), QLocale()), QStringLiteral("2.5000"));
    QCOMPARE(styled->displayText(QStringLiteral("2.x"), QLocale()), QStringLiteral("2.x"));
    QCOMPARE(grid->item(0, 1)->textAlignment(), static_cast<int>(Qt::AlignCenter));
    Do(QStringLiteral("grid:30=2.x"));
    Ok();
    QCOMPARE(seams_->messages, QStringList{QStringLiteral("Invalid X30 : O bond length.")});
    Do(QStringLiteral("grid:30=2.71234"));
    Ok();
    QCOMPARE(dialog_->result(), BondsDialogOK);
    QCOMPARE(model_->MaxBondLengths[30][3], std::string("2.7123"));
    QCOMPARE(model_->MaxBondLengths[1][3], std::string("2.1156"));
}

// --- OK ------------------------------------------------------------------------------------

void TestBondsDialog::okChecks_data() {
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("message"); // empty: accepted
    const char* const rows[][3] = {
        {"radius 5.0 accepted", "MaxGlobalEdit=5.0", ""},
        {"radius 5.01 refused", "MaxGlobalEdit=5.01", "Maximum coordination radius too high."},
        {"radius not a number", "MaxGlobalEdit=4.0a", "Invalid Maximum coordination radius."},
        {"radius with a comma", "MaxGlobalEdit=4,5", "Invalid Maximum coordination radius."},
        {"radius empty", "MaxGlobalEdit=", "Invalid Maximum coordination radius."},
        {"hydrogen radius", "HydrogenRadiusEdit=x", "Invalid Hydrogen Coordination Radius"},
        {"bad bond length", "item:GlobalOptionsRG:1;grid:2=2.x", "Invalid Ca : O bond length."},
        {"dihedral 150 accepted", "MinDihEdit=150", ""},
        {"dihedral 180 accepted", "MinDihEdit=180", ""},
        {"dihedral 149.9 refused", "MinDihEdit=149.9", "Invalid minimum dihedral angle (150-180°)"},
        {"dihedral 180.1 refused", "MinDihEdit=180.1", "Invalid minimum dihedral angle (150-180°)"},
        {"dihedral not a number", "MinDihEdit=flat", "Invalid minimum dihedral angle."},
        {"split 0.2 accepted", "MaxSplitDistEdit=0.2", ""},
        {"split 1.5 accepted", "MaxSplitDistEdit=1.5", ""},
        {"split 0.19 refused", "MaxSplitDistEdit=0.19",
         "Invalid maximum distance for split positions (0.2-1.5)"},
        {"split not a number", "MaxSplitDistEdit=?",
         "Invalid maximum distance for split positions."},
        {"difference ignored while disabled", "HeteroThresholdEdit=x", ""},
        {"difference", "item:EndIterationRG:0;HeteroThresholdEdit=x",
         "Invalid maximum ΔDj difference"},
        {"MAPD improvement", "MAPDImprovEdit=1..0", "Invalid MAPD improvement value"},
        {"MAPD ignored with one cycle", "item:EndIterationRG:2;MAPDImprovEdit=x", ""},
        {"zone axis", "click:OpposingBondsCB;item:ZoneRadioGroup:1;ZoneuEdit=1.5",
         "Invalid custom zone axis"},
        {"zone axis empty",
         "click:OpposingBondsCB;item:ZoneRadioGroup:1;ZonevEdit=", "Invalid custom zone axis"},
        {"zone axis accepted", "click:OpposingBondsCB;item:ZoneRadioGroup:1;ZoneuEdit=-1", ""},
        {"first check first", "MinDihEdit=1;HydrogenRadiusEdit=x;MaxGlobalEdit=9",
         "Maximum coordination radius too high."},
        {"hydrogen before lengths", "item:GlobalOptionsRG:1;grid:1=;HydrogenRadiusEdit=",
         "Invalid Hydrogen Coordination Radius"},
    };
    for (const auto& row : rows)
        QTest::newRow(row[0]) << QString::fromUtf8(row[1]) << QString::fromUtf8(row[2]);
}

void TestBondsDialog::okChecks() {
    QFETCH(QString, steps);
    QFETCH(QString, message);
    Show();
    Do(steps);
    seams_->messages.clear();
    const QString before = Settings(*model_);
    Ok();
    if (message.isEmpty()) {
        QCOMPARE(seams_->messages, QStringList());
        QCOMPARE(dialog_->result(), BondsDialogOK);
        QVERIFY(!dialog_->isVisible());
    } else {
        QCOMPARE(seams_->messages, QStringList{message});
        QVERIFY(dialog_->isVisible());
        QCOMPARE(dialog_->result(), 0);
        QCOMPARE(Settings(*model_), before);
    }
}

void TestBondsDialog::okWritesEverySetting() {
    Show();
    Do(QStringLiteral("item:GlobalOptionsRG:1;grid:2=2.71239;MaxGlobalEdit=3.2;"
                      "HydrogenRadiusEdit=1.25;click:NearestCheckBox;click:IteratedKevoCheckBox;"
                      "click:VontarCheckBox;item:EndIterationRG:0;HeteroThresholdEdit=0.01;"
                      "MAPDImprovEdit=7;MinDihEdit=165;MaxSplitDistEdit=1.2;click:BondAnglesCB;"
                      "click:OpposingBondsCB;click:Averages32CB;click:DihedralAnglesCB;"
                      "click:InterligandDistancesCB;click:DistanceCentralAtomsCB;"
                      "click:OB67CheckBox;item:ZoneRadioGroup:1;ZoneuEdit=1;ZonevEdit=-2;"
                      "ZoneWEdit=+3"));
    Ok();
    QCOMPARE(dialog_->result(), BondsDialogOK);
    const Model& m = *model_;
    QCOMPARE(m.ThresOption, 1);
    QCOMPARE(m.MaxR, 3.2);
    QCOMPARE(m.MaxH, 1.25);
    QCOMPARE(m.MaxBondLengths[2][3], std::string("2.7124"));
    QCOMPARE(m.MaxBondLengths[3][3].size(), std::size_t(6)); // four decimals
    QCOMPARE(m.EndItOption, 0);
    QCOMPARE(m.Threshold, 0.01);
    QCOMPARE(m.MAPDImprovement, 1.0); // its edit was disabled
    QVERIFY(!m.OneStepIT);
    QCOMPARE(m.MinDih, 165.0);
    QCOMPARE(m.MaxSDist, 1.2);
    QVERIFY(m.NearestLimit && !m.ExZeroW && m.NonIt && m.VontarIT);
    QVERIFY(!m.CalcBonDAngles && m.CalcOppBonds && !m.Calc32Averages && !m.CalcDihAngles);
    QVERIFY(!m.CalcIntLigands && !m.CalcDistCentAtom && !m.OB67);
    QVERIFY(!m.AutoZone);
    QCOMPARE(m.CustomZone[1], 1);
    QCOMPARE(m.CustomZone[2], -2);
    QCOMPARE(m.CustomZone[3], 3);

    // One cycle: only the flag that mirrors it changes besides the option.
    Show();
    Do(QStringLiteral("item:EndIterationRG:2"));
    Ok();
    QCOMPARE(model_->EndItOption, 2);
    QVERIFY(model_->OneStepIT);
    QCOMPARE(model_->Threshold, 0.01);
}

void TestBondsDialog::cancelAfterARefusalChangesNothing() {
    model_->MaxR = 3.56;
    const QString before = Settings(*model_);
    Show();
    Do(QStringLiteral("MaxGlobalEdit=2.5;MinDihEdit=100;click:ExcludeCheckBox;"
                      "item:EndIterationRG:2;click:OpposingBondsCB"));
    Ok();
    QCOMPARE(seams_->messages,
             QStringList{QString::fromUtf8("Invalid minimum dihedral angle (150-180°)")});
    Cancel();
    QCOMPARE(dialog_->result(), static_cast<int>(QDialog::Rejected));
    QCOMPARE(Settings(*model_), before);
}

// --- Enabling rules ------------------------------------------------------------------------

void TestBondsDialog::excludeCheckBoxEnabling_data() {
    QTest::addColumn<int>("option");
    QTest::addColumn<bool>("excluded");
    QTest::addColumn<QString>("steps");
    // GlobalOptionsRG, MaxGlobalEdit, HydrogenRadiusEdit, BTGrid, NearestCheckBox
    QTest::addColumn<QString>("states");
    QTest::newRow("global, checked") << 0 << false << "click:ExcludeCheckBox"
                                     << "00001";
    QTest::newRow("global, unchecked") << 0 << true << "click:ExcludeCheckBox"
                                       << "11101";
    QTest::newRow("bond type, checked") << 1 << false << "click:ExcludeCheckBox"
                                        << "00001";
    QTest::newRow("bond type, unchecked") << 1 << true << "click:ExcludeCheckBox"
                                          << "10011";
    QTest::newRow("polyhedron, unchecked") << 2 << true << "click:ExcludeCheckBox"
                                           << "10011";
    QTest::newRow("shown excluded") << 1 << true << ""
                                    << "00001";
    QTest::newRow("shown bond type") << 1 << false << ""
                                     << "10011";
    QTest::newRow("shown polyhedron") << 2 << false << ""
                                      << "10001";
}

void TestBondsDialog::excludeCheckBoxEnabling() {
    QFETCH(int, option);
    QFETCH(bool, excluded);
    QFETCH(QString, steps);
    QFETCH(QString, states);
    model_->ThresOption = option;
    model_->ExZeroW = excluded;
    model_->IsHydrogen = true;
    Show();
    Do(steps);
    QCOMPARE(Enabled({"GlobalOptionsRG", "MaxGlobalEdit", "HydrogenRadiusEdit", "BTGrid",
                      "NearestCheckBox"}),
             states);
    QCOMPARE(Group("GlobalOptionsRG")->ItemIndex(), option);
    QCOMPARE(seams_->manual_runs, 0);
}

void TestBondsDialog::endIterationEnabling() {
    struct Case {
        int shown;
        int clicked;
        const char* states; // HeteroThresholdEdit, MAPDImprovEdit
    } cases[] = {{0, -1, "10"}, {1, -1, "01"}, {2, -1, "00"},
                 {1, 0, "10"},  {0, 2, "00"},  {2, 1, "01"}};
    for (const auto& c : cases) {
        model_->EndItOption = c.shown;
        Show();
        if (c.clicked >= 0) Group("EndIterationRG")->Item(c.clicked)->click();
        QCOMPARE(Enabled({"HeteroThresholdEdit", "MAPDImprovEdit"}), QString::fromLatin1(c.states));
    }
}

void TestBondsDialog::opposingBondsAndZoneAxis() {
    const QStringList zone{"OB67CheckBox", "ZoneRadioGroup", "ZoneuEdit",  "ZonevEdit",
                           "ZoneWEdit",    "ZoneuLabel",     "ZonevLabel", "ZonewLabel"};
    model_->CustomZone[1] = 1;
    model_->CustomZone[2] = 1;
    model_->CustomZone[3] = 0;
    Show();
    QCOMPARE(Enabled(zone), QStringLiteral("00000000"));
    Do(QStringLiteral("click:OpposingBondsCB"));
    QCOMPARE(Enabled(zone), QStringLiteral("11000000"));
    Do(QStringLiteral("item:ZoneRadioGroup:1"));
    QCOMPARE(Enabled(zone), QStringLiteral("11111111"));
    QCOMPARE(Edit("ZoneuEdit")->text() + Edit("ZonevEdit")->text() + Edit("ZoneWEdit")->text(),
             QStringLiteral("110"));
    Do(QStringLiteral("click:OpposingBondsCB"));
    QCOMPARE(Enabled(zone), QStringLiteral("00000000"));
    Do(QStringLiteral("click:OpposingBondsCB;item:ZoneRadioGroup:0"));
    QCOMPARE(Enabled(zone), QStringLiteral("11000000"));

    // A custom zone axis in force is shown with its values.
    model_->CalcOppBonds = true;
    model_->AutoZone = false;
    Show();
    QCOMPARE(Group("ZoneRadioGroup")->ItemIndex(), 1);
    QCOMPARE(Enabled(zone), QStringLiteral("11111111"));
    QCOMPARE(Edit("ZoneuEdit")->text() + Edit("ZonevEdit")->text() + Edit("ZoneWEdit")->text(),
             QStringLiteral("110"));
}

void TestBondsDialog::unprocessedOpposingBonds() {
    model_->ErrOB = "Ca2: no opposing bonds";
    Show();
    auto* memo = Find<QPlainTextEdit>(QStringLiteral("UnprocMemo"));
    QVERIFY(memo->isHidden());
    model_->CalcOppBonds = true;
    Show();
    memo = Find<QPlainTextEdit>(QStringLiteral("UnprocMemo"));
    QVERIFY(!memo->isHidden());
    QCOMPARE(memo->toPlainText(),
             QStringLiteral("Unprocessed opposing bonds:\nCa2: no opposing bonds"));
}

// --- Bond-type lengths ---------------------------------------------------------------------

void TestBondsDialog::bondTypeDefaultsAndEditedLengths() {
    Show();
    QVERIFY(model_->FirstBondSpecific);
    Do(QStringLiteral("item:GlobalOptionsRG:1"));
    // Written at once, as the grid shows them.
    QVERIFY(!model_->FirstBondSpecific);
    QVERIFY(model_->BondSpLimits);
    QCOMPARE(model_->MaxBondLengths[2][3], std::string("2.8306"));
    QStringList shown;
    for (int r = 0; r < Grid()->rowCount(); ++r)
        shown << Grid()->item(r, 1)->text();
    QCOMPARE(shown.join(QLatin1Char(' ')), QStringLiteral("2.9504 2.8306 2.5785 2.0864"));
    QCOMPARE(Enabled({"BTGrid", "MaxGlobalEdit", "HydrogenRadiusEdit"}), QStringLiteral("100"));
    Do(QStringLiteral("grid:2=2.5"));
    Ok();
    QCOMPARE(model_->ThresOption, 1);
    QCOMPARE(model_->MaxBondLengths[2][3], std::string("2.5000"));
    QCOMPARE(seams_->table_lookups, 1);

    // Choosing the option again keeps the edited lengths.
    Show();
    QCOMPARE(Grid()->item(1, 1)->text(), QStringLiteral("2.5000"));
    Do(QStringLiteral("item:GlobalOptionsRG:0"));
    QVERIFY(!model_->BondSpLimits);
    QCOMPARE(Enabled({"BTGrid", "MaxGlobalEdit", "HydrogenRadiusEdit"}), QStringLiteral("011"));
    Do(QStringLiteral("item:GlobalOptionsRG:1"));
    QCOMPARE(Grid()->item(1, 1)->text(), QStringLiteral("2.5000"));
    QCOMPARE(model_->MaxBondLengths[2][3], std::string("2.5000"));
    Cancel();
    QCOMPARE(model_->ThresOption, 1);
    QCOMPARE(seams_->table_lookups, 1);
}

void TestBondsDialog::missingDefaultTable() {
    seams_->bond_lengths_path = KEVO_SOURCE_DIR "/data/no-such-table.txt";
    Show();
    Do(QStringLiteral("item:GlobalOptionsRG:1"));
    QCOMPARE(seams_->messages,
             QStringList{QStringLiteral(
                 "The default bond-length table default-bond-lengths.txt cannot be read; the "
                 "bond-type thresholds keep the longest bond lengths found in the structure.")});
    QCOMPARE(Grid()->item(1, 1)->text(), QStringLiteral("3.9971"));
    QCOMPARE(model_->MaxBondLengths[2][3].substr(0, 7), std::string("3.99710"));
    QCOMPARE(model_->MaxBondLengths[2][3].size(), std::size_t(14));
    Ok();
    QCOMPARE(model_->ThresOption, 1);
    QCOMPARE(model_->MaxBondLengths[2][3], std::string("3.9971"));
}

// Opening and confirming the dialog changes nothing that it shows: the
// threshold mode under zero-weight exclusion, a custom zone axis with
// opposing bonds off.
void TestBondsDialog::shownModesAreKept() {
    model_->ThresOption = 1;
    model_->ExZeroW = true;
    model_->AutoZone = false;
    model_->CustomZone[1] = 1;
    model_->CustomZone[2] = -1;
    model_->CustomZone[3] = 2;
    for (int i = 1; i <= model_->BondTypesNr; ++i) // as a confirmed dialog leaves them
        model_->MaxBondLengths[i][3] = FF("0.0000", xStrToFloat(model_->MaxBondLengths[i][3]));
    const QString before = Settings(*model_);
    Show();
    QCOMPARE(Group("GlobalOptionsRG")->ItemIndex(), 1);
    Ok();
    QCOMPARE(dialog_->result(), BondsDialogOK);
    QCOMPARE(Settings(*model_), before);
}

// --- The manual coordination dialog --------------------------------------------------------

void TestBondsDialog::showingThePolyhedronModeOpensNothing() {
    model_->ThresOption = 2;
    Show();
    QCOMPARE(Group("GlobalOptionsRG")->ItemIndex(), 2);
    QCOMPARE(seams_->manual_runs, 0);
    QCOMPARE(Enabled({"BTGrid", "MaxGlobalEdit", "HydrogenRadiusEdit"}), QStringLiteral("000"));
    Ok();
    QCOMPARE(model_->ThresOption, 2);
    QCOMPARE(seams_->manual_runs, 0);
}

void TestBondsDialog::polyhedronModeOpensTheManualDialog() {
    // Cancelled: the mode in force stays.
    model_->ExZeroW = false;
    Show();
    Do(QStringLiteral("MaxGlobalEdit=3.5;click:NearestCheckBox;item:GlobalOptionsRG:2"));
    QCOMPARE(seams_->manual_runs, 1);
    QCOMPARE(model_->MaxR, 3.5); // written at once
    QCOMPARE(Group("GlobalOptionsRG")->ItemIndex(), 0);
    QCOMPARE(Enabled({"BTGrid", "MaxGlobalEdit", "HydrogenRadiusEdit"}), QStringLiteral("010"));
    Ok();
    QCOMPARE(model_->ThresOption, 0);

    // A radius OK would refuse opens nothing and changes nothing.
    model_->MaxR = 4.0;
    Show();
    Do(QStringLiteral("MaxGlobalEdit=5.5;item:GlobalOptionsRG:2"));
    QCOMPARE(seams_->manual_runs, 1);
    QCOMPARE(seams_->messages,
             QStringList{QStringLiteral("Maximum coordination radius too high.")});
    QCOMPARE(model_->MaxR, 4.0);
    QCOMPARE(Group("GlobalOptionsRG")->ItemIndex(), 0);

    // Confirmed: the radii are set and the dialog follows.
    seams_->manual_result = ManualCoordinationOK;
    Show();
    Do(QStringLiteral("click:NearestCheckBox;click:ExcludeCheckBox;click:ExcludeCheckBox;"
                      "item:GlobalOptionsRG:2"));
    QCOMPARE(seams_->manual_runs, 2);
    QVERIFY(!Box("NearestCheckBox")->isChecked());
    QVERIFY(!Box("ExcludeCheckBox")->isChecked());
    QCOMPARE(Enabled({"BTGrid", "MaxGlobalEdit", "HydrogenRadiusEdit"}), QStringLiteral("000"));
    Ok();
    QCOMPARE(model_->ThresOption, 2);
    QVERIFY(!model_->NearestLimit);
}

// --- The main window -----------------------------------------------------------------------

void TestBondsDialog::mainWindowReaction() {
    TOstrel window(seams_.get());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.OpenCifFile(QString::fromStdString(kExample)));
    auto* calculate = window.findChild<QPushButton*>(QStringLiteral("CalculateButton"));
    auto* omit = window.findChild<QCheckBox*>(QStringLiteral("OmitCheckBox"));
    calculate->click();
    QVERIFY(!calculate->isEnabled());

    // After a calculation the bond types are still derived for the dialog.
    seams_->settings_dialog = [&](QWidget* parent, Model& m) {
        TBondsDialog dialog(m, *seams_, parent);
        return dialog.findChild<QTableWidget*>(QStringLiteral("BTGrid"))->rowCount() == 4;
    };
    window.findChild<QPushButton*>(QStringLiteral("BondsButton"))->click();
    QCOMPARE(window.model().BondTypesNr, 4);
    QVERIFY(omit->isChecked());

    for (bool exclude : {true, false}) {
        seams_->settings_dialog = [&](QWidget* parent, Model& m) {
            TBondsDialog dialog(m, *seams_, parent);
            dialog.show();
            if (dialog.findChild<QCheckBox*>(QStringLiteral("ExcludeCheckBox"))->isChecked() !=
                exclude)
                dialog.findChild<QCheckBox*>(QStringLiteral("ExcludeCheckBox"))->click();
            dialog.findChild<QPushButton*>(QStringLiteral("OKbutton"))->click();
            return dialog.result() == BondsDialogOK;
        };
        window.findChild<QPushButton*>(QStringLiteral("BondsButton"))->click();
        QVERIFY(window.model().ExZeroW == exclude);
        QVERIFY(omit->isChecked() == !exclude);
        QVERIFY(calculate->isEnabled());
        QVERIFY(!window.findChild<QPushButton*>(QStringLiteral("PolGeomButton"))->isEnabled());
        calculate->click();
        QVERIFY(window.model().Calculated);
    }
}

// The bond-type limits set in the dialog and those of a limits file give the
// batch program's coordination numbers.
void TestBondsDialog::dialogLimitsMatchTheBatchProgram() {
    TOstrel window(seams_.get());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.OpenCifFile(QString::fromStdString(kForsterite)));
    seams_->settings_dialog = [&](QWidget* parent, Model& m) {
        TBondsDialog dialog(m, *seams_, parent);
        dialog.show();
        dialog.findChild<RadioGroup*>(QStringLiteral("GlobalOptionsRG"))->Item(1)->click();
        auto* grid = dialog.findChild<QTableWidget*>(QStringLiteral("BTGrid"));
        for (int r = 0; r < grid->rowCount(); ++r) {
            if (grid->item(r, 0)->text() == QStringLiteral("Si : O"))
                grid->item(r, 1)->setText(QStringLiteral("1.70"));
            else
                grid->item(r, 1)->setText(QStringLiteral("4.0"));
        }
        dialog.findChild<QPushButton*>(QStringLiteral("OKbutton"))->click();
        return dialog.result() == BondsDialogOK;
    };
    window.findChild<QPushButton*>(QStringLiteral("BondsButton"))->click();
    window.findChild<QPushButton*>(QStringLiteral("CalculateButton"))->click();
    const Model& shown = window.model();
    QVERIFY(shown.Calculated);

    QTemporaryDir out;
    BatchSettings s;
    s.bvs_path = kBvsPath;
    s.out_dir = out.path().toStdString();
    s.reports = false;
    s.bond_type_limits = true;
    std::vector<BondLimit> limits;
    QCOMPARE(ParseBondLimits("Si O 1.70\nMg O 4.0", limits), std::string());
    s.bond_limits = limits;
    auto batch = Model::Create();
    const BatchResult r = ProcessFile(kForsterite, s, *batch);
    QVERIFY2(r.ok, r.messages.c_str());
    // The batch model ends with the anion-centred run; the window shows the
    // cation-centred one: coordination numbers do not depend on the side.
    QCOMPARE(shown.AC[1].Coor, 4);
    for (int i = 1; i <= shown.AClength; ++i)
        QCOMPARE(batch->AC[i].Coor, shown.AC[i].Coor);
    for (int i = 1; i <= shown.AAlength; ++i)
        QCOMPARE(batch->AA[i].Coor, shown.AA[i].Coor);
}

QTEST_MAIN(TestBondsDialog)
#include "test_bonds_dialog.moc"
