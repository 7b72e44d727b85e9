// The main window driven as a user drives it, with the file dialogs and
// message boxes answered by the test: opening, the atom grid, calculating,
// the report views, the section list, saving, autosave and the button states.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QUrl>

#include <algorithm>
#include <fstream>
#include <memory>

#include "batch.h"
#include "calc/bvs_file.h"
#include "calc/pipeline.h"
#include "model/cif_reader.h"
#include "model/model.h"
#include "reports/csv.h"
#include "reports/report_file.h"
#include "ui/fonts.h"
#include "ui/main_window.h"
#include "ui/widgets.h"
#include "ui_test_support.h"

using namespace kevo;
using namespace kevo::testing;

namespace {

std::vector<std::string> FromQt(const QStringList& lines) {
    std::vector<std::string> out;
    for (const QString& l : lines)
        out.push_back(l.toStdString());
    return out;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<RecordingSeams> seams_;
    std::unique_ptr<TOstrel> window_;
    QString cif_; // the example, copied into dir_
    QTemporaryDir reference_dir_;
    // What the batch program writes for the example.
    std::vector<std::string> cc_d_, cc_s_, ac_d_, ac_s_;
    std::string cc_csv_, ac_csv_;
    // ... and with --geometry.
    std::vector<std::string> cc_d_pol_, cc_s_pol_, ac_d_pol_, ac_s_pol_;
    std::string cc_sp_csv_, ac_sp_csv_, cc_ob_csv_, cc_averages_csv_;

    template <class T> T* Find(const char* name) {
        T* w = window_->findChild<T*>(QString::fromLatin1(name));
        if (w == nullptr) qFatal("no control named %s", name);
        return w;
    }
    QPushButton* Button(const char* name) { return Find<QPushButton>(name); }
    QCheckBox* Box(const char* name) { return Find<QCheckBox>(name); }
    QPlainTextEdit* Memo() { return Find<QPlainTextEdit>("Memo1"); }
    AtomGrid* Grid() { return Find<AtomGrid>("SG2"); }
    QComboBox* Sections() { return Find<QComboBox>("SectionCombo"); }
    std::vector<std::string> MemoLines() { return FromQt(Memo()->toPlainText().split('\n')); }
    std::string Path(const char* name) const {
        return QDir(dir_->path()).filePath(QString::fromLatin1(name)).toStdString();
    }
    std::string Title() const { return QFileInfo(cif_).completeBaseName().toStdString(); }

    void Open() { QVERIFY(window_->OpenCifFile(cif_)); }
    void OpenAndCalculate() {
        Open();
        Button("CalculateButton")->click();
        QVERIFY(window_->model().Calculated);
    }
    void Step(const QString& step);

  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void controlsHaveTheirNamesAndCaptions_data();
    void controlsHaveTheirNamesAndCaptions();
    void startUpState();
    void fontsAreTheDesignFontsOrTheirStandIns();
    void openingFillsThePanelsAndTheGrid();
    void gridRowCounts();
    void fileNamePanelKeepsTheFileNameVisible();
    void doubleClickRestoresTheColumnWidths();
    void calculateShowsTheBatchProgramsSummary();
    void detailedResultsSwitchesWithoutRecalculating();
    void centringButtonRecalculatesTheOtherSide();
    void theBondValenceTableIsReadOnce();
    void goingToTheSynopsis();
    void zeroWeightBondsRebuildTheReport();
    void autosaveWritesEveryShownReport();
    void saveAsSummaryWritesTheCsv();
    void saveAsOffersTheFileTypesOfTheReport();
    void saveAsDetailedWritesTheMemoText();
    void failedSaveKeepsTheFileAndTheMemo();
    void brokenFileLeavesTheStartUpState();
    void missingChargesAndOccupanciesAreExplained();
    void missingParameterTableSaysWhereItLooked();
    void cancelledOpenChangesNothing();
    void settingsButtonRunsTheSearch();
    void geometryButtonRoundTrip();
    void geometryOfTheAnions();
    void geometrySectionList();
    void geometryStoppedOnTheFaceLimit();
    void autosaveWritesTheGeometryReports();
    void saveAsGeometryWritesItsFiles();
    void buttonStates_data();
    void buttonStates();
    void droppedFileIsOpened();
    void shortcuts();
    void findInReport();
};

// --- Fixture ---------------------------------------------------------------------------

void TestMainWindow::initTestCase() {
    QVERIFY(reference_dir_.isValid());
    QVERIFY2(fs::exists(kExample), kExample.c_str());
    auto m = Model::Create();
    BatchSettings s;
    s.bvs_path = kBvsPath;
    s.out_dir = reference_dir_.path().toStdString();
    s.geometry = true;
    const BatchResult r = ProcessFile(kExample, s, *m);
    QVERIFY2(r.ok, r.messages.c_str());
    const fs::path ref = s.out_dir;
    const std::string title = "fluorapatite_AMCSD0001934";
    cc_d_ = ReportFileLines(ref / (title + "-CC-D.out"));
    cc_s_ = ReportFileLines(ref / (title + "-CC-S.out"));
    ac_d_ = ReportFileLines(ref / (title + "-AC-D.out"));
    ac_s_ = ReportFileLines(ref / (title + "-AC-S.out"));
    cc_csv_ = ReadBytes(ref / (title + "-CC-S.csv"));
    ac_csv_ = ReadBytes(ref / (title + "-AC-S.csv"));
    cc_d_pol_ = ReportFileLines(ref / (title + "-CC-D.pol"));
    cc_s_pol_ = ReportFileLines(ref / (title + "-CC-S.pol"));
    ac_d_pol_ = ReportFileLines(ref / (title + "-AC-D.pol"));
    ac_s_pol_ = ReportFileLines(ref / (title + "-AC-S.pol"));
    cc_sp_csv_ = ReadBytes(ref / (title + "-CC-SP.csv"));
    ac_sp_csv_ = ReadBytes(ref / (title + "-AC-SP.csv"));
    cc_ob_csv_ = ReadBytes(ref / (title + "-CC-OB.csv"));
    cc_averages_csv_ = ReadBytes(ref / (title + "-CC-123-45.csv"));
    QVERIFY(cc_d_pol_.size() > cc_s_pol_.size());
    QVERIFY(cc_averages_csv_.find(",Ca1,") != std::string::npos);
    QVERIFY(cc_s_.size() > 40);
    QVERIFY(cc_d_.size() > cc_s_.size());
}

void TestMainWindow::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    cif_ = QDir(dir_->path()).filePath(QStringLiteral("fluorapatite_AMCSD0001934.cif"));
    QVERIFY(QFile::copy(QString::fromStdString(kExample), cif_));
    seams_ = std::make_unique<RecordingSeams>();
    window_ = std::make_unique<TOstrel>(seams_.get());
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void TestMainWindow::cleanup() {
    window_.reset();
    seams_.reset();
    dir_.reset();
}

// --- Controls ----------------------------------------------------------------------------

void TestMainWindow::controlsHaveTheirNamesAndCaptions_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    const char* const rows[][2] = {
        {"OpenFileButton", "Open..."},
        {"SaveAsButton", "Save as..."},
        {"QuitButton", "Quit"},
        {"AboutButton", "About..."},
        {"BondsButton", "Calculation settings..."},
        {"CalculateButton", "Calculate"},
        {"DetailedResults", "Detailed results        "},
        {"OmitCheckBox", "Show zero-weight bonds"},
        {"AutosaveCheck", "Autosave results"},
        {"GroupBox1", "  Space group  "},
        {"GroupBox2", "  Unit-cell  "},
        {"aLabel", "a"},
        {"bLabel", "b"},
        {"cLabel", "c"},
        {"alphaLabel", "alpha"},
        {"betaLabel", "beta"},
        {"gammaLabel", "gamma"},
        {"CifTime", "Time elapsed:"},
        {"Atoms", "Atoms"},
        {"AtomsLegend", "(*) - symmetry generated atoms"},
        {"ShowXCenteredButton", ">> Anion-centered"},
        {"PolGeomButton", "Coordination geometry"},
        {"SectionLabel", "Go to section:"},
    };
    for (const auto& row : rows)
        QTest::newRow(row[0]) << QString::fromLatin1(row[0]) << QString::fromLatin1(row[1]);
}

void TestMainWindow::controlsHaveTheirNamesAndCaptions() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QObject* control = window_->findChild<QObject*>(name);
    QVERIFY2(control != nullptr, qPrintable(name));
    QString text;
    if (auto* b = qobject_cast<QAbstractButton*>(control))
        text = b->text();
    else if (auto* g = qobject_cast<QGroupBox*>(control))
        text = g->title();
    else if (auto* l = qobject_cast<QLabel*>(control))
        text = l->text();
    QCOMPARE(text, caption);
}

void TestMainWindow::startUpState() {
    QCOMPARE(window_->windowTitle(), QStringLiteral("K e v o 21  v. 1.8"));
    QVERIFY(!Box("DetailedResults")->isChecked());
    QVERIFY(Box("OmitCheckBox")->isChecked());
    QVERIFY(!Box("AutosaveCheck")->isChecked());
    QVERIFY(Find<QLabel>("CifTime")->isHidden());
    for (const char* name :
         {"SpaceGroupPanel", "aPanel", "bPanel", "cPanel", "alphaPanel", "betaPanel", "gammaPanel"})
        QVERIFY2(Find<QLabel>(name)->text().isEmpty(), name);
    QVERIFY(Find<FileNamePanel>("FileNamePanel")->text().isEmpty());

    // The memo: read-only, no wrapping, both scroll bars.
    QPlainTextEdit* memo = Memo();
    QVERIFY(memo->isReadOnly());
    QCOMPARE(memo->lineWrapMode(), QPlainTextEdit::NoWrap);
    QCOMPARE(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QVERIFY(memo->toPlainText().isEmpty());

    // The grid: 300 rows with its header row, no text, the header texts.
    AtomGrid* grid = Grid();
    QCOMPARE(grid->rowCount(), 299);
    QCOMPARE(grid->columnCount(), 12);
    const char* const headers[] = {"No.",
                                   "Label",
                                   "Site population",
                                   "Oxidation nr.",
                                   "Multiplicity",
                                   "X",
                                   "Y",
                                   "Z",
                                   "Occupancy",
                                   "Ro",
                                   "",
                                   "Symbol"};
    for (int c = 0; c < 12; ++c)
        QCOMPARE(grid->model()->headerData(c, Qt::Horizontal).toString(),
                 QString::fromLatin1(headers[c]));
    QCOMPARE(grid->item(0, 0), nullptr);
    QCOMPARE(grid->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(grid->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
}

void TestMainWindow::fontsAreTheDesignFontsOrTheirStandIns() {
    const QStringList fixed{"Courier New", "Liberation Mono", "DejaVu Sans Mono"};
    for (QWidget* w : {static_cast<QWidget*>(Memo()), static_cast<QWidget*>(Grid()),
                       static_cast<QWidget*>(Find<QLabel>("SpaceGroupPanel"))}) {
        const QFontInfo info(w->font());
        QVERIFY2(info.fixedPitch(), qPrintable(w->objectName() + " " + info.family()));
        QVERIFY2(fixed.contains(info.family()), qPrintable(info.family()));
        // The report's own non-ASCII characters take one column like any other.
        const QFontMetricsF fm(w->font());
        for (QChar ch : {QChar('i'), QChar('W'), QChar(0x00C5), QChar(0x0394)}) {
            QVERIFY(fm.inFont(ch));
            QCOMPARE(fm.horizontalAdvance(ch), fm.horizontalAdvance(QChar('0')));
        }
    }
    QCOMPARE(Memo()->font().pointSize(), 11);
    QCOMPARE(Grid()->font().pointSize(), 9);
    const QFontInfo window(window_->font());
    QVERIFY2((QStringList{"Tahoma", "Liberation Sans", "DejaVu Sans"}.contains(window.family())),
             qPrintable(window.family()));
    QCOMPARE(window_->font().pointSize(), 8);
}

// --- Opening -------------------------------------------------------------------------------

void TestMainWindow::openingFillsThePanelsAndTheGrid() {
    Open();
    const Model& m = window_->model();
    QCOMPARE(window_->windowTitle(),
             QStringLiteral("K e v o 21  v. 1.8 - fluorapatite_AMCSD0001934.cif"));
    QCOMPARE(Find<FileNamePanel>("FileNamePanel")->text(), " " + cif_ + " ");
    QCOMPARE(Find<QLabel>("SpaceGroupPanel")->text(), QString::fromStdString(m.spacegroup));
    QCOMPARE(Find<QLabel>("SpaceGroupPanel")->text(), QStringLiteral("P 63/m"));
    QCOMPARE(Find<QLabel>("aPanel")->text(), QStringLiteral("9.3940"));
    QCOMPARE(Find<QLabel>("cPanel")->text(), QString::fromStdString(m.c));
    QCOMPARE(Find<QLabel>("gammaPanel")->text(), QString::fromStdString(m.gamma));
    QCOMPARE(Find<QLabel>("CifTime")->text(), QString::fromStdString(ReadingTimeText(m)));
    QVERIFY(Find<QLabel>("CifTime")->isHidden());

    // Every site and image, in the reader's order, with the reader's texts.
    const std::vector<AtomGridRow> rows = AtomGridRows(m);
    QCOMPARE(static_cast<int>(rows.size()), m.AClength + m.AAlength + m.GACLength + m.GAALength);
    AtomGrid* grid = Grid();
    QCOMPARE(grid->rowCount(), AtomGridRowCount(static_cast<int>(rows.size()) + 1));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r)
        for (int c = 0; c < 9; ++c)
            QCOMPARE(grid->item(r, c)->text(), QString::fromStdString(rows[r][c]));
    QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("1"));
    QCOMPARE(grid->item(0, 1)->text(), QStringLiteral("Ca1"));
    QVERIFY(grid->item(static_cast<int>(rows.size()) - 1, 1)->text().startsWith('*'));
    QCOMPARE(grid->item(static_cast<int>(rows.size()), 0), nullptr);
    QVERIFY(Button("CalculateButton")->hasFocus());
}

void TestMainWindow::gridRowCounts() {
    // Rows of the staging table (its header row included) -> grid rows below the header.
    const int cases[][2] = {{1, 199}, {43, 199}, {99, 199}, {100, 99}, {1001, 1000}};
    for (const auto& c : cases)
        QCOMPARE(AtomGridRowCount(c[0]), c[1]);
}

void TestMainWindow::fileNamePanelKeepsTheFileNameVisible() {
    auto* panel = Find<FileNamePanel>("FileNamePanel");
    panel->SetPath(QStringLiteral("/short.cif"));
    QCOMPARE(panel->text(), QStringLiteral(" /short.cif "));
    QCOMPARE(panel->alignment(), Qt::AlignLeft);
    const QString deep = QStringLiteral("/data/") + QString(60, 'x') + QStringLiteral("/") +
                         QString(60, 'y') + QStringLiteral("/structure.cif");
    panel->SetPath(deep);
    QCOMPARE(panel->alignment(), Qt::AlignRight);
    // A wider panel that holds the text aligns it left again.
    panel->setMinimumWidth(GetTextWidth(panel->text(), panel->font()) + 40);
    QTRY_COMPARE(panel->alignment(), Qt::AlignLeft);
}

void TestMainWindow::doubleClickRestoresTheColumnWidths() {
    Open();
    AtomGrid* grid = Grid();
    const auto widths = grid->DefaultWidths();
    for (int c = 0; c < AtomGrid::Columns; ++c) {
        QCOMPARE(grid->columnWidth(c), widths[c]);
        QVERIFY(widths[c] >= AtomGrid::DesignWidths[c]);
    }
    grid->setColumnWidth(1, 300);
    grid->setColumnWidth(9, 80);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    for (int c = 0; c < AtomGrid::Columns; ++c)
        QCOMPARE(grid->columnWidth(c), widths[c]);
    grid->setColumnWidth(2, 20);
    emit grid->horizontalHeader()->sectionDoubleClicked(2);
    QCOMPARE(grid->columnWidth(2), widths[2]);
}

// --- Calculating and the report views ----------------------------------------------------

void TestMainWindow::calculateShowsTheBatchProgramsSummary() {
    OpenAndCalculate();
    QCOMPARE(WithoutElapsedTime(MemoLines()), WithoutElapsedTime(cc_s_));
    QCOMPARE(seams_->calculations, 1);
    QVERIFY(seams_->messages.isEmpty());
    QVERIFY(!Button("CalculateButton")->isEnabled());
    QVERIFY(Button("ShowXCenteredButton")->isEnabled());
    QVERIFY(Button("PolGeomButton")->isEnabled());
}

void TestMainWindow::detailedResultsSwitchesWithoutRecalculating() {
    OpenAndCalculate();
    Box("DetailedResults")->click();
    QCOMPARE(WithoutElapsedTime(MemoLines()), WithoutElapsedTime(cc_d_));
    QCOMPARE(Sections()->count(), 6);
    QCOMPARE(Sections()->currentIndex(), 0);
    QCOMPARE(Sections()->itemText(5), QStringLiteral("  SYNOPSIS"));
    QVERIFY(Sections()->isEnabled());
    QVERIFY(Find<QLabel>("SectionLabel")->isEnabled());
    QVERIFY(Box("OmitCheckBox")->isEnabled());
    Box("DetailedResults")->click();
    QCOMPARE(WithoutElapsedTime(MemoLines()), WithoutElapsedTime(cc_s_));
    QVERIFY(!Sections()->isEnabled());
    QCOMPARE(Sections()->count(), 0);
    QVERIFY(!Box("OmitCheckBox")->isEnabled());
    QCOMPARE(seams_->calculations, 1);
}

void TestMainWindow::centringButtonRecalculatesTheOtherSide() {
    OpenAndCalculate();
    QPushButton* centring = Button("ShowXCenteredButton");
    centring->click();
    QCOMPARE(centring->text(), QStringLiteral(">> Cation-centered"));
    QVERIFY(!window_->model().ShowCations);
    QCOMPARE(WithoutElapsedTime(MemoLines()), WithoutElapsedTime(ac_s_));
    Box("DetailedResults")->click();
    QCOMPARE(WithoutElapsedTime(MemoLines()), WithoutElapsedTime(ac_d_));
    QCOMPARE(Sections()->itemText(1), QString::fromUtf8("  DISTRIBUTION OF ANION CHARGES - "
                                                        "\u0394qij AND CHARGES RECEIVED BY "
                                                        "CATIONS - QX"));
    centring->click();
    QCOMPARE(centring->text(), QStringLiteral(">> Anion-centered"));
    QVERIFY(window_->model().ShowCations);
    QCOMPARE(WithoutElapsedTime(MemoLines()), WithoutElapsedTime(cc_d_));
    QCOMPARE(seams_->calculations, 3); // Calculate, then two full recalculations
    QCOMPARE(Button("PolGeomButton")->text(), QStringLiteral("Coordination geometry"));
}

// The window reads the parameter table once and keeps it: the file may go
// away once it is read. Another path is read anew.
void TestMainWindow::theBondValenceTableIsReadOnce() {
    const std::string table = Path("bvsparm.cif");
    QVERIFY(fs::copy_file(kBvsPath, table));
    seams_->bvs_path = table;
    OpenAndCalculate();
    QVERIFY(fs::remove(table));
    QPushButton* centring = Button("ShowXCenteredButton");
    centring->click();
    QVERIFY(seams_->messages.isEmpty());
    QCOMPARE(WithoutElapsedTime(MemoLines()), WithoutElapsedTime(ac_s_));
    seams_->bvs_path = Path("elsewhere.cif");
    centring->click();
    QCOMPARE(seams_->messages,
             QStringList{QString::fromStdString("Cannot open the bond-valence parameter file " +
                                                Path("elsewhere.cif") + ".")});
}

void TestMainWindow::goingToTheSynopsis() {
    OpenAndCalculate();
    Box("DetailedResults")->click();
    QPlainTextEdit* memo = Memo();
    memo->horizontalScrollBar()->setValue(memo->horizontalScrollBar()->maximum());
    QComboBox* sections = Sections();
    const int synopsis = sections->findText(QStringLiteral("  SYNOPSIS"));
    QCOMPARE(synopsis, 5);
    sections->setCurrentIndex(synopsis);
    emit sections->activated(synopsis);

    const QTextCursor cursor = memo->textCursor();
    QCOMPARE(cursor.selectedText(), QStringLiteral("  SYNOPSIS"));
    QCOMPARE(cursor.block().text(), QStringLiteral("  SYNOPSIS"));
    const int line = cursor.block().blockNumber();
    QCOMPARE(QString::fromStdString(cc_d_[static_cast<std::size_t>(line)]),
             QStringLiteral("  SYNOPSIS"));
    QTextCursor lineStart = cursor;
    lineStart.setPosition(cursor.selectionStart());
    QVERIFY(memo->viewport()->rect().contains(memo->cursorRect(lineStart)));
    QCOMPARE(memo->horizontalScrollBar()->value(), 0);
    QVERIFY(memo->hasFocus());

    // The first heading is the first line with its text, near the top.
    emit sections->activated(0);
    QCOMPARE(memo->textCursor().selectedText(),
             QStringLiteral("  POLYHEDRA, SUBPOLYHEDRA - HSPj, DISTANCES - Rij, BOND WEIGHTS - "
                            "wij, Kevo"));
    // The start of the line is in view (a long heading may run past the
    // right edge), at the top of the view.
    QTextCursor start = memo->textCursor();
    start.setPosition(start.selectionStart());
    QVERIFY(memo->viewport()->rect().contains(memo->cursorRect(start)));
    QCOMPARE(memo->cursorForPosition(QPoint(4, 4)).blockNumber(), start.blockNumber());
}

void TestMainWindow::zeroWeightBondsRebuildTheReport() {
    OpenAndCalculate();
    Box("DetailedResults")->click();
    Box("OmitCheckBox")->click();
    QVERIFY(!Box("OmitCheckBox")->isChecked());
    // The same report as the core builds with zero-weight bonds left out.
    auto m = Model::Create();
    RecordingSink msg;
    QVERIFY(ReadCifFile(cif_.toStdString(), *m, msg));
    QVERIFY(Calculate(*m, msg, {kBvsPath}));
    Results r;
    const ReportLines omitted = kevo::LoadResults(*m, r, msg, 1, true);
    QCOMPARE(WithoutElapsedTime(MemoLines()), WithoutElapsedTime(omitted));
    Box("OmitCheckBox")->click();
    QCOMPARE(WithoutElapsedTime(MemoLines()), WithoutElapsedTime(cc_d_));
}

// --- Saving ----------------------------------------------------------------------------------

void TestMainWindow::autosaveWritesEveryShownReport() {
    Open();
    Box("AutosaveCheck")->click();
    Button("CalculateButton")->click();
    QVERIFY(!Button("SaveAsButton")->isEnabled());
    const fs::path summary = Path("fluorapatite_AMCSD0001934-CC-S.out");
    QVERIFY(fs::exists(summary));
    QCOMPARE(ReportFileLines(summary), MemoLines());
    QCOMPARE(ReadBytes(summary), ReportFileText(MemoLines()));
    QVERIFY(!fs::exists(Path("fluorapatite_AMCSD0001934-CC-D.out")));

    Box("DetailedResults")->click();
    const fs::path detailed = Path("fluorapatite_AMCSD0001934-CC-D.out");
    QVERIFY(fs::exists(detailed));
    QCOMPARE(ReadBytes(detailed), ReportFileText(MemoLines()));
    QCOMPARE(WithoutElapsedTime(ReportFileLines(detailed)), WithoutElapsedTime(cc_d_));
    QVERIFY(!Button("SaveAsButton")->isEnabled());
    QVERIFY(seams_->messages.isEmpty());
}

void TestMainWindow::saveAsSummaryWritesTheCsv() {
    OpenAndCalculate();
    QVERIFY(Button("SaveAsButton")->isEnabled());
    const std::string file = Path("chosen-name.csv");
    seams_->save_choice = SaveChoice{QString::fromStdString(file), 2};
    Button("SaveAsButton")->click();
    QCOMPARE(seams_->saves, 1);
    QCOMPARE(seams_->last_save.fileName, QStringLiteral("fluorapatite_AMCSD0001934-CC-S.csv"));
    QCOMPARE(QDir(seams_->last_save.directory).absolutePath(), QDir(dir_->path()).absolutePath());
    QCOMPARE(seams_->last_save.selected, 2);
    QCOMPARE(ReadBytes(file), cc_csv_);
    QVERIFY(seams_->messages.isEmpty());

    // The anion-centred summary exports the anion-centred table; a locale
    // with a decimal comma separates the fields with ";".
    Button("ShowXCenteredButton")->click();
    seams_->decimal_separator = ",";
    const std::string anions = Path("anions.csv");
    seams_->save_choice = SaveChoice{QString::fromStdString(anions), 2};
    Button("SaveAsButton")->click();
    QCOMPARE(seams_->last_save.fileName, QStringLiteral("fluorapatite_AMCSD0001934-AC-S.csv"));
    auto m = Model::Create();
    RecordingSink msg;
    QVERIFY(ReadCifFile(cif_.toStdString(), *m, msg));
    QVERIFY(Calculate(*m, msg, {kBvsPath}));
    m->ShowCations = false;
    QVERIFY(Calculate(*m, msg, {kBvsPath}));
    QCOMPARE(ReadBytes(anions), ReportFileText(SummaryCsvLines(*m, 2, ';')));
    QVERIFY(ReadBytes(anions).find(';') != std::string::npos);
}

void TestMainWindow::saveAsOffersTheFileTypesOfTheReport() {
    struct Case {
        int code;
        const char* suffix;
        int filters;
        int selected;
    };
    const Case cases[] = {{1, "-CC-D.out", 1, 1},  {2, "-CC-S.csv", 2, 2},  {3, "-AC-D.out", 1, 1},
                          {4, "-AC-S.csv", 2, 2},  {5, "-CC-DP.pol", 3, 1}, {6, "-CC-SP.csv", 2, 2},
                          {7, "-AC-DP.pol", 1, 1}, {8, "-AC-SP.csv", 2, 2}};
    for (const Case& c : cases) {
        QCOMPARE(SaveAsSuffix(c.code), QString::fromLatin1(c.suffix));
        QCOMPARE(SaveAsFilters(c.code).size(), c.filters);
        QCOMPARE(SaveAsPreselected(c.code), c.selected);
    }
    QCOMPARE(SaveAsFilters(1).constFirst(),
             QStringLiteral("Kevo21 detailed CD-BVS results (*.out)"));
    QCOMPARE(SaveAsFilters(2),
             (QStringList{"Kevo21 summary CD-BVS results (*.out)", "CSV summary results (*.csv)"}));
    QCOMPARE(SaveAsFilters(5),
             (QStringList{"Kevo21 detailed polyhedron geometry (*.pol)",
                          "Kevo21 opposing bonds (*.csv)", "Kevo21 123-45 bond averages (*.csv)"}));
    QCOMPARE(SaveAsFilters(6), (QStringList{"Kevo21 summary polyhedron geometry (*.pol)",
                                            "CSV summary results (*.csv)"}));
}

void TestMainWindow::saveAsDetailedWritesTheMemoText() {
    OpenAndCalculate();
    Box("DetailedResults")->click();
    const std::string file = Path("detailed.out");
    seams_->save_choice = SaveChoice{QString::fromStdString(file), 1};
    Button("SaveAsButton")->click();
    QCOMPARE(seams_->last_save.fileName, QStringLiteral("fluorapatite_AMCSD0001934-CC-D.out"));
    QCOMPARE(seams_->last_save.filters.size(), 1);
    QCOMPARE(ReadBytes(file), ReportFileText(MemoLines()));

    // Cancelling writes nothing.
    seams_->save_choice.reset();
    Button("SaveAsButton")->click();
    QCOMPARE(seams_->saves, 2);
    QVERIFY(seams_->messages.isEmpty());
}

void TestMainWindow::failedSaveKeepsTheFileAndTheMemo() {
    OpenAndCalculate();
    const std::string file = Path("kept.csv");
    { std::ofstream(file, std::ios::binary) << "earlier export"; }
    // A folder where the temporary file would go makes the write fail for
    // any user.
    fs::create_directories(file + ".kevo-part/blocker");
    const QString memo = Memo()->toPlainText();
    for (int entry : {1, 2}) {
        seams_->messages.clear();
        seams_->save_choice = SaveChoice{QString::fromStdString(file), entry};
        Button("SaveAsButton")->click();
        QCOMPARE(seams_->messages.size(), 1);
        QVERIFY2(seams_->messages.constFirst().startsWith(
                     QString::fromStdString("Cannot write " + file + ": ")),
                 qPrintable(seams_->messages.constFirst()));
        QVERIFY(seams_->messages.constFirst().size() >
                QString::fromStdString("Cannot write " + file + ": ").size());
        QCOMPARE(ReadBytes(file), std::string("earlier export"));
        QCOMPARE(Memo()->toPlainText(), memo);
    }

    // A failed autosave reports the file too and still shows the report.
    const std::string autosaved = Path("fluorapatite_AMCSD0001934-CC-D.out");
    fs::create_directories(autosaved + ".kevo-part/blocker");
    seams_->messages.clear();
    Box("AutosaveCheck")->click();
    Box("DetailedResults")->click();
    QCOMPARE(seams_->messages.size(), 1);
    QVERIFY(seams_->messages.constFirst().startsWith(
        QString::fromStdString("Cannot write " + autosaved + ": ")));
    QCOMPARE(WithoutElapsedTime(MemoLines()), WithoutElapsedTime(cc_d_));
    QVERIFY(!fs::exists(autosaved));
}

// --- Failures and states ----------------------------------------------------------------------

void TestMainWindow::brokenFileLeavesTheStartUpState() {
    OpenAndCalculate();
    const QString broken = QDir(dir_->path()).filePath(QStringLiteral("broken.cif"));
    {
        std::ofstream out(broken.toStdString(), std::ios::binary);
        out << "data_broken\n_cell_length_a abc\n_cell_length_b 5\n_cell_length_c 5\n";
    }
    QVERIFY(!window_->OpenCifFile(broken));
    QCOMPARE(seams_->messages, QStringList{QStringLiteral("Invalid unit-cell parameters.")});
    QCOMPARE(window_->windowTitle(), QStringLiteral("K e v o 21  v. 1.8"));
    QVERIFY(Find<FileNamePanel>("FileNamePanel")->text().isEmpty());
    QVERIFY(Find<QLabel>("SpaceGroupPanel")->text().isEmpty());
    QVERIFY(Find<QLabel>("aPanel")->text().isEmpty());
    QCOMPARE(Grid()->rowCount(), 299);
    QCOMPARE(Grid()->item(0, 1), nullptr);
    QVERIFY(Memo()->toPlainText().isEmpty());
    for (const char* name :
         {"SaveAsButton", "BondsButton", "CalculateButton", "ShowXCenteredButton", "PolGeomButton"})
        QVERIFY2(!Button(name)->isEnabled(), name);
    QVERIFY(!Sections()->isEnabled());
    // Nothing can be rebuilt from the cleared records.
    Box("DetailedResults")->click();
    QVERIFY(Memo()->toPlainText().isEmpty());

    // A missing file is reported with the system's reason.
    seams_->messages.clear();
    QVERIFY(!window_->OpenCifFile(QDir(dir_->path()).filePath(QStringLiteral("none.cif"))));
    QCOMPARE(seams_->messages.size(), 1);
    QVERIFY(seams_->messages.constFirst().startsWith(QStringLiteral("Cannot open file ")));
}

// The sentence of the box stays as it was; what is missing and how to mend
// the file is its informative text.
void TestMainWindow::missingChargesAndOccupanciesAreExplained() {
    const struct {
        const char* file;
        const char* text;
        const char* detail;
    } cases[] = {
        {"periclase-no-charges.cif", "Error reading charges.",
         "Site Mg1 (type symbol Mg) has no oxidation number. Add _atom_type_oxidation_number or "
         "write the charge in the type symbol (Mg2+)."},
        {"periclase-no-occupancy.cif", "Error reading occupancies.",
         "The _atom_site_occupancy column is missing: add it to the atom-site loop, with 1.0 for "
         "fully occupied sites."},
    };
    for (const auto& c : cases) {
        seams_->messages.clear();
        seams_->details.clear();
        const QString path = QString::fromUtf8(KEVO_TEST_DATA_DIR "/cif/") + QLatin1String(c.file);
        QVERIFY2(QFileInfo::exists(path), qPrintable(path));
        QVERIFY(!window_->OpenCifFile(path));
        QCOMPARE(seams_->messages, QStringList{QString::fromUtf8(c.text)});
        QCOMPARE(seams_->details, QStringList{QString::fromUtf8(c.detail)});
        QVERIFY(!Button("CalculateButton")->isEnabled());
    }
}

void TestMainWindow::missingParameterTableSaysWhereItLooked() {
    Open();
    seams_->bvs_path.clear();
    Button("CalculateButton")->click();
    QVERIFY(!window_->model().Calculated);
    QCOMPARE(seams_->messages, QStringList{QStringLiteral(
                                   "Cannot open the bond-valence parameter file bvsparm.cif.")});
    const std::string places = PlacesTriedText(
        BvsFileName, QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString());
    QCOMPARE(seams_->details, QStringList{QString::fromStdString(places)});
    QVERIFY(Button("CalculateButton")->isEnabled());
}

void TestMainWindow::cancelledOpenChangesNothing() {
    OpenAndCalculate();
    const QString report = Memo()->toPlainText();
    const double maxR = window_->model().MaxR;
    seams_->open_path.clear();
    Button("OpenFileButton")->click();
    QCOMPARE(seams_->opens, 1);
    QCOMPARE(QDir(seams_->open_directory).absolutePath(), QDir(dir_->path()).absolutePath());
    QCOMPARE(Memo()->toPlainText(), report);
    QCOMPARE(window_->model().MaxR, maxR);
    // The results are still whole: the detailed view is the batch program's.
    Box("DetailedResults")->click();
    QCOMPARE(WithoutElapsedTime(MemoLines()), WithoutElapsedTime(cc_d_));
    QVERIFY(Button("SaveAsButton")->isEnabled());

    // Open... with a file chosen reads it.
    seams_->open_path = cif_;
    Button("OpenFileButton")->click();
    QVERIFY(Memo()->toPlainText().isEmpty());
    QVERIFY(Button("CalculateButton")->isEnabled());
}

void TestMainWindow::settingsButtonRunsTheSearch() {
    Open();
    QVERIFY(!window_->model().GotMaxLengths);
    Button("BondsButton")->click();
    QCOMPARE(seams_->settings_runs, 1);
    QVERIFY(window_->model().GotMaxLengths);
    QVERIFY(window_->model().BondTypesNr > 0);
    QVERIFY(Button("CalculateButton")->isEnabled());
    QVERIFY(!Button("PolGeomButton")->isEnabled());
    QVERIFY(Box("OmitCheckBox")->isChecked());

    // After a calculation the search invalidates the results: the report stays
    // readable, but nothing is rebuilt or exported from them.
    Button("CalculateButton")->click();
    Button("BondsButton")->click();
    QVERIFY(!window_->model().Calculated);
    QVERIFY(!Button("SaveAsButton")->isEnabled());
    const QString report = Memo()->toPlainText();
    Box("DetailedResults")->click();
    QCOMPARE(Memo()->toPlainText(), report);
    Button("CalculateButton")->click();
    QCOMPARE(WithoutElapsedTime(MemoLines()), WithoutElapsedTime(cc_d_));
}

void TestMainWindow::geometryButtonRoundTrip() {
    QPushButton* geometry = Button("PolGeomButton");
    QPushButton* centring = Button("ShowXCenteredButton");
    QVERIFY(!geometry->isEnabled());
    OpenAndCalculate();
    QVERIFY(geometry->isEnabled());
    QCOMPARE(geometry->text(), QStringLiteral("Coordination geometry"));

    // The geometry of the side shown, as the batch program writes it.
    geometry->click();
    QCOMPARE(seams_->geometry_runs, 1);
    QCOMPARE(geometry->text(), QStringLiteral("Charge distribution"));
    QVERIFY(geometry->isEnabled());
    QVERIFY(!centring->isEnabled());
    QVERIFY(window_->model().ShowingPolGeom);
    QCOMPARE(WithoutElapsedTime(MemoLines()), WithoutElapsedTime(cc_s_pol_));
    QVERIFY(!Sections()->isEnabled());
    QVERIFY(!Box("OmitCheckBox")->isEnabled());
    QVERIFY(Button("SaveAsButton")->isEnabled());
    QVERIFY(seams_->messages.isEmpty());

    // "Detailed results" switches between the two geometry reports.
    Box("DetailedResults")->click();
    QCOMPARE(WithoutElapsedTime(MemoLines()), WithoutElapsedTime(cc_d_pol_));
    QVERIFY(Sections()->isEnabled());
    Box("DetailedResults")->click();
    QCOMPARE(WithoutElapsedTime(MemoLines()), WithoutElapsedTime(cc_s_pol_));
    QCOMPARE(seams_->geometry_runs, 1);
    QCOMPARE(seams_->calculations, 1);

    // The second press calculates again and shows the charge distribution.
    geometry->click();
    QCOMPARE(geometry->text(), QStringLiteral("Coordination geometry"));
    QVERIFY(centring->isEnabled());
    QVERIFY(!window_->model().ShowingPolGeom);
    QCOMPARE(seams_->calculations, 2);
    QCOMPARE(WithoutElapsedTime(MemoLines()), WithoutElapsedTime(cc_s_));
    // And the geometry again.
    geometry->click();
    QCOMPARE(WithoutElapsedTime(MemoLines()), WithoutElapsedTime(cc_s_pol_));
    QVERIFY(seams_->messages.isEmpty());
}

void TestMainWindow::geometryOfTheAnions() {
    OpenAndCalculate();
    Button("ShowXCenteredButton")->click();
    // The detailed or summary choice is taken when the run starts.
    Box("DetailedResults")->click();
    Button("PolGeomButton")->click();
    QCOMPARE(WithoutElapsedTime(MemoLines()), WithoutElapsedTime(ac_d_pol_));
    QCOMPARE(Sections()->count(), 5);
    Box("DetailedResults")->click();
    QCOMPARE(WithoutElapsedTime(MemoLines()), WithoutElapsedTime(ac_s_pol_));
    Button("PolGeomButton")->click();
    QCOMPARE(WithoutElapsedTime(MemoLines()), WithoutElapsedTime(ac_s_));
    QCOMPARE(Button("ShowXCenteredButton")->text(), QStringLiteral(">> Cation-centered"));
    QVERIFY(!window_->model().ShowCations);
}

void TestMainWindow::geometrySectionList() {
    OpenAndCalculate();
    Box("DetailedResults")->click();
    Button("PolGeomButton")->click();
    // Opposing bonds are off by default: no item for them.
    QStringList items;
    for (int i = 0; i < Sections()->count(); ++i)
        items << Sections()->itemText(i);
    QCOMPARE(items, (QStringList{"  COORDINATIONS, BOND LENGTHS, CENTROIDS, VOLUMES, DISTORTIONS",
                                 "  BOND ANGLES", "  123-45 BOND AVERAGES", "  DIHEDRAL ANGLES",
                                 "  INTERLIGAND DISTANCES",
                                 "  DISTANCES TO THE NEAREST CENTRAL ATOMS", "  SYNOPSIS"}));
    QCOMPARE(Sections()->currentIndex(), 0);
    QVERIFY(Find<QLabel>("SectionLabel")->isEnabled());
    // Every item finds its heading.
    for (int i = 0; i < Sections()->count(); ++i) {
        emit Sections()->activated(i);
        const QString heading = Sections()->itemText(i);
        QCOMPARE(Memo()->textCursor().block().text().trimmed(), heading.trimmed());
    }

    // With opposing bonds switched on in the settings, their item follows
    // the bond angles.
    seams_->settings_change = [](Model& m) { m.CalcOppBonds = true; };
    Button("BondsButton")->click();
    Button("CalculateButton")->click();
    Button("PolGeomButton")->click();
    QCOMPARE(Sections()->count(), 8);
    QCOMPARE(Sections()->itemText(2),
             QStringLiteral("  OPPOSING BONDS (IN OCTAHEDRA AND CAPPED TRIGONAL PRISMS)"));
    emit Sections()->activated(2);
    QCOMPARE(Memo()->textCursor().selectedText(), Sections()->itemText(2));
}

void TestMainWindow::geometryStoppedOnTheFaceLimit() {
    OpenAndCalculate();
    const QString report = Memo()->toPlainText();
    seams_->geometry_stops = true;
    Button("PolGeomButton")->click();
    QCOMPARE(seams_->messages,
             QStringList{QStringLiteral("The number of polyhedral faces for Ca1 exceeds limit. "
                                        "Reduce coordination radius threshold.")});
    // No report: the charge distribution stays, and so does everything else.
    QCOMPARE(Memo()->toPlainText(), report);
    QCOMPARE(Button("PolGeomButton")->text(), QStringLiteral("Coordination geometry"));
    QVERIFY(Button("PolGeomButton")->isEnabled());
    QVERIFY(Button("ShowXCenteredButton")->isEnabled());
    QVERIFY(!window_->model().ShowingPolGeom);
    QCOMPARE(seams_->calculations, 1);
    // "Detailed results" shows the charge distribution, not a geometry report.
    Box("DetailedResults")->click();
    QCOMPARE(WithoutElapsedTime(MemoLines()), WithoutElapsedTime(cc_d_));
}

void TestMainWindow::autosaveWritesTheGeometryReports() {
    Open();
    Box("AutosaveCheck")->click();
    Button("CalculateButton")->click();
    Button("PolGeomButton")->click();
    const fs::path summary = Path("fluorapatite_AMCSD0001934-CC-S.pol");
    QVERIFY(fs::exists(summary));
    QCOMPARE(ReadBytes(summary), ReportFileText(MemoLines()));
    QCOMPARE(WithoutElapsedTime(ReportFileLines(summary)), WithoutElapsedTime(cc_s_pol_));
    QVERIFY(!fs::exists(Path("fluorapatite_AMCSD0001934-CC-D.pol")));
    Box("DetailedResults")->click();
    const fs::path detailed = Path("fluorapatite_AMCSD0001934-CC-D.pol");
    QVERIFY(fs::exists(detailed));
    QCOMPARE(ReadBytes(detailed), ReportFileText(MemoLines()));
    QVERIFY(!Button("SaveAsButton")->isEnabled());
    QVERIFY(seams_->messages.isEmpty());
}

void TestMainWindow::saveAsGeometryWritesItsFiles() {
    OpenAndCalculate();
    Button("PolGeomButton")->click();
    struct Case {
        int entry;
        const char* file;
        std::string expected;
    };
    // Summary (code 6): the report or the geometry synopsis CSV.
    {
        const std::string csv = Path("synopsis.csv");
        seams_->save_choice = SaveChoice{QString::fromStdString(csv), 2};
        Button("SaveAsButton")->click();
        QCOMPARE(seams_->last_save.fileName, QStringLiteral("fluorapatite_AMCSD0001934-CC-SP.csv"));
        QCOMPARE(seams_->last_save.filters, SaveAsFilters(6));
        QCOMPARE(seams_->last_save.selected, 2);
        QCOMPARE(ReadBytes(csv), cc_sp_csv_);
        const std::string pol = Path("summary.pol");
        seams_->save_choice = SaveChoice{QString::fromStdString(pol), 1};
        Button("SaveAsButton")->click();
        QCOMPARE(ReadBytes(pol), ReportFileText(MemoLines()));
    }
    // Detailed (code 5): the report, the opposing bonds, the 123-45 averages.
    Box("DetailedResults")->click();
    const Case detailed[] = {{1, "detailed.pol", ReportFileText(MemoLines())},
                             {2, "opposing.csv", cc_ob_csv_},
                             {3, "averages.csv", cc_averages_csv_}};
    for (const Case& c : detailed) {
        const std::string file = Path(c.file);
        seams_->save_choice = SaveChoice{QString::fromStdString(file), c.entry};
        Button("SaveAsButton")->click();
        QCOMPARE(seams_->last_save.fileName, QStringLiteral("fluorapatite_AMCSD0001934-CC-DP.pol"));
        QCOMPARE(seams_->last_save.selected, 1);
        QCOMPARE(ReadBytes(file), c.expected);
    }
    // The anions' summary (code 8) exports the anions' synopsis; with a
    // decimal comma the fields are separated by ";".
    Button("PolGeomButton")->click();
    Button("ShowXCenteredButton")->click();
    Box("DetailedResults")->click();
    Button("PolGeomButton")->click();
    seams_->decimal_separator = ",";
    const std::string anions = Path("anions.csv");
    seams_->save_choice = SaveChoice{QString::fromStdString(anions), 2};
    Button("SaveAsButton")->click();
    QCOMPARE(seams_->last_save.fileName, QStringLiteral("fluorapatite_AMCSD0001934-AC-SP.csv"));
    std::string semicolons = ac_sp_csv_;
    std::replace(semicolons.begin(), semicolons.end(), ',', ';');
    QCOMPARE(ReadBytes(anions), semicolons);
    // The anions' detailed report (code 7) has the report only.
    Box("DetailedResults")->click();
    const std::string pol = Path("anions.pol");
    seams_->save_choice = SaveChoice{QString::fromStdString(pol), 1};
    Button("SaveAsButton")->click();
    QCOMPARE(seams_->last_save.fileName, QStringLiteral("fluorapatite_AMCSD0001934-AC-DP.pol"));
    QCOMPARE(seams_->last_save.filters.size(), 1);
    QCOMPARE(ReadBytes(pol), ReportFileText(MemoLines()));
    QVERIFY(seams_->messages.isEmpty());
}

// Each scenario is a list of steps; the expected states are, in order: Save
// as, Calculation settings, Calculate, centring, geometry, section list.
void TestMainWindow::buttonStates_data() {
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("states");
    const char* const rows[][3] = {
        // name, steps, states
        {"start-up", "", "000000"},
        {"file opened", "open", "011000"},
        {"settings closed with OK", "open settings", "011000"},
        {"calculated, summary", "open calculate", "110110"},
        {"calculated, detailed", "open detailed calculate", "110111"},
        {"detailed after calculating", "open calculate detailed", "110111"},
        {"centring switched", "open calculate centring", "110110"},
        {"autosave on after calculating", "open calculate autosave", "011110"},
        {"autosave on, then off", "open calculate autosave autosave", "111110"},
        {"calculated with autosave on", "open autosave calculate", "010110"},
        {"autosave before any file", "autosave", "000000"},
        {"autosave before calculating", "open autosave", "011000"},
        {"settings after calculating", "open calculate settings", "011100"},
        {"file opened after calculating", "open detailed calculate open", "011000"},
        {"failed read after calculating", "open calculate broken", "000000"},
        {"geometry, summary", "open calculate geometry", "110010"},
        {"geometry, detailed", "open detailed calculate geometry", "110011"},
        {"back from the geometry", "open calculate geometry geometry", "110110"},
        {"geometry stopped", "open calculate stop geometry", "110110"},
        {"settings under the geometry", "open calculate geometry settings", "011000"},
        {"geometry then autosave", "open calculate geometry autosave", "011010"},
    };
    for (const auto& row : rows)
        QTest::newRow(row[0]) << QString::fromLatin1(row[1]) << QString::fromLatin1(row[2]);
}

void TestMainWindow::Step(const QString& step) {
    if (step == "open") {
        QVERIFY(window_->OpenCifFile(cif_));
    } else if (step == "broken") {
        const QString broken = QDir(dir_->path()).filePath(QStringLiteral("broken.cif"));
        std::ofstream(broken.toStdString()) << "data_x\n_cell_length_a ?\n";
        QVERIFY(!window_->OpenCifFile(broken));
    } else if (step == "calculate") {
        Button("CalculateButton")->click();
    } else if (step == "settings") {
        Button("BondsButton")->click();
    } else if (step == "detailed") {
        Box("DetailedResults")->click();
    } else if (step == "autosave") {
        Box("AutosaveCheck")->click();
    } else if (step == "centring") {
        Button("ShowXCenteredButton")->click();
    } else if (step == "geometry") {
        Button("PolGeomButton")->click();
    } else if (step == "stop") {
        seams_->geometry_stops = true;
    } else {
        QFAIL(qPrintable("unknown step " + step));
    }
}

void TestMainWindow::buttonStates() {
    QFETCH(QString, steps);
    QFETCH(QString, states);
    for (const QString& step : steps.split(' ', Qt::SkipEmptyParts)) {
        Step(step);
        if (QTest::currentTestFailed()) return;
    }
    QString actual;
    for (const char* name :
         {"SaveAsButton", "BondsButton", "CalculateButton", "ShowXCenteredButton", "PolGeomButton"})
        actual += Button(name)->isEnabled() ? '1' : '0';
    actual += Sections()->isEnabled() ? '1' : '0';
    QCOMPARE(actual, states);
    QCOMPARE(Find<QLabel>("SectionLabel")->isEnabled(), Sections()->isEnabled());
    if (steps.endsWith("open")) {
        QCOMPARE(Button("ShowXCenteredButton")->text(), QStringLiteral(">> Anion-centered"));
        QVERIFY(Memo()->toPlainText().isEmpty());
    }
}

// --- Desktop conventions ---------------------------------------------------------------------

void TestMainWindow::droppedFileIsOpened() {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(cif_)});
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window_.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window_.get(), &drop);
    QTRY_VERIFY(StructureLoaded(window_->model()));
    QCOMPARE(Find<FileNamePanel>("FileNamePanel")->text(), " " + cif_ + " ");

    // Several files at once are not taken.
    QMimeData two;
    two.setUrls({QUrl::fromLocalFile(cif_), QUrl::fromLocalFile(cif_)});
    QDragEnterEvent refused(QPoint(20, 20), Qt::CopyAction, &two, Qt::LeftButton, Qt::NoModifier);
    refused.ignore();
    QApplication::sendEvent(window_.get(), &refused);
    QVERIFY(!refused.isAccepted());
}

void TestMainWindow::shortcuts() {
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    // A button's shortcut presses it visibly: the click follows a moment later.
    seams_->open_path = cif_;
    QTest::keyClick(window_.get(), Qt::Key_O, Qt::ControlModifier);
    QTRY_COMPARE(seams_->opens, 1);
    QVERIFY(StructureLoaded(window_->model()));
    QTest::keyClick(window_.get(), Qt::Key_F5);
    QTRY_VERIFY(window_->model().Calculated);
    QTest::keyClick(window_.get(), Qt::Key_S, Qt::ControlModifier);
    QTRY_COMPARE(seams_->saves, 1);
    // F5 does nothing while Calculate is disabled.
    QTest::keyClick(window_.get(), Qt::Key_F5);
    QTest::qWait(300);
    QCOMPARE(seams_->calculations, 1);
    QTest::keyClick(window_.get(), Qt::Key_Q, Qt::ControlModifier);
    QTRY_VERIFY(!window_->isVisible());
}

void TestMainWindow::findInReport() {
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    OpenAndCalculate();
    QTest::keyClick(window_.get(), Qt::Key_F, Qt::ControlModifier);
    auto* edit = Find<QLineEdit>("FindEdit");
    QVERIFY(Find<QWidget>("FindBar")->isVisible());
    QVERIFY(edit->hasFocus());
    QTest::keyClicks(edit, QStringLiteral("Space group"));
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(Memo()->textCursor().selectedText(), QStringLiteral("Space group"));
    QCOMPARE(Memo()->textCursor().block().text(), QStringLiteral("  Space group: P 63/m"));
    edit->setText(QStringLiteral("no such text"));
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(Find<QLabel>("FindStatus")->text(), QStringLiteral("Not found"));
    QTest::keyClick(edit, Qt::Key_Escape);
    QVERIFY(!Find<QWidget>("FindBar")->isVisible());
}

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
