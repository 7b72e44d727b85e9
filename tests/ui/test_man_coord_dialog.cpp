// The manual coordination dialog driven through its controls: the lists it
// shows, cutting and extending a coordination with a double click, moving
// between atoms and sides, Reset, OK and Cancel, and the whole way from the
// main window's settings button to a calculation with the chosen radii.
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

#include <memory>

#include "calc/coordination.h"
#include "calc/man_coord.h"
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

// W off the centre of its octahedron: bonds of 1.7534, 1.7941, 1.8339,
// 1.9851, 2.0212 and 2.0566 A; the W images of the next cells at 3.80 A.
const std::string kWo3 = KEVO_TEST_DATA_DIR "/cif/distorted_wo3.cif";

// A double click on a row of grid as the mouse gives it: the view takes a
// double click for the item its first press was on.
void DoubleClickCell(QTableWidget* grid, int row) {
    const QPoint at = grid->visualItemRect(grid->item(row, 1)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

} // namespace

class TestManCoordDialog : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<RecordingSeams> seams_;
    std::unique_ptr<Model> model_;
    std::unique_ptr<TMCD> dialog_;

    void Load(double maxR = 4.0) {
        model_ = Model::Create();
        RecordingSink msg;
        QVERIFY(ReadCifFile(kWo3, *model_, msg));
        model_->MaxR = maxR;
        GetDistances(*model_, msg);
        QVERIFY(msg.texts.empty());
    }
    void Show() {
        dialog_ = std::make_unique<TMCD>(*model_, *seams_);
        dialog_->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog_.get()));
    }
    template <class T> T* Find(const char* name) {
        T* w = dialog_->findChild<T*>(QString::fromLatin1(name));
        if (w == nullptr) qFatal("no control named %s", name);
        return w;
    }
    QPushButton* Button(const char* name) { return Find<QPushButton>(name); }
    QTableWidget* Grid() { return Find<QTableWidget>("SGMC"); }
    QString Cn() { return Find<QLineEdit>("CNEdit")->text(); }
    QString Atom() { return Find<QComboBox>("CAComboBox")->currentText(); }
    // A double click on grid row r (1-based), as the user gives it.
    void DoubleClick(int r) {
        QTableWidget* grid = Grid();
        grid->scrollToItem(grid->item(r - 1, 1));
        DoubleClickCell(grid, r - 1);
    }
    // Column c of every row of the grid, one character or text per row.
    QString Column(int c, const QString& separator = QString()) {
        QStringList cells;
        for (int r = 0; r < Grid()->rowCount(); ++r)
            cells << Grid()->item(r, c)->text();
        return cells.join(separator);
    }
    // "s" for a row drawn in silver, "." for one in the text colour.
    QString Colours() {
        QString colours;
        for (int r = 0; r < Grid()->rowCount(); ++r) {
            const QVariant fg = Grid()->item(r, 1)->data(Qt::ForegroundRole);
            colours += fg.isValid() && fg.value<QBrush>().color() == QColor(192, 192, 192)
                           ? QLatin1Char('s')
                           : QLatin1Char('.');
        }
        return colours;
    }
    QString Buttons() { // Previous, Next
        return QString(Button("PrevButton")->isEnabled() ? "1" : "0") +
               (Button("NextButton")->isEnabled() ? "1" : "0");
    }

  private slots:
    void init();
    void cleanup();

    void controlsAndGrid();
    void firstAtomOfTheShownSide();
    void doubleClickCutsAndExtends();
    void okAppliesTheRadii();
    void cancelChangesNothing();
    void secondSphereRowsAtTheirPlace();
    void movingBetweenAtomsAndSides();
    void resetDiscardsEveryChange();
    void fromTheSettingsButtonToFourLigands();
};

void TestManCoordDialog::init() {
    seams_ = std::make_unique<RecordingSeams>();
    Load();
}

void TestManCoordDialog::cleanup() {
    dialog_.reset();
    model_.reset();
    seams_.reset();
}

void TestManCoordDialog::controlsAndGrid() {
    Show();
    QCOMPARE(dialog_->windowTitle(), QStringLiteral("Set Coordination"));
    QVERIFY(dialog_->isModal());
    QVERIFY(dialog_->width() >= 550 && dialog_->height() >= 351);
    QCOMPARE(dialog_->minimumSize(), dialog_->maximumSize()); // fixed border
    const char* const captions[][2] = {
        {"Label2", "Central atom"},
        {"Label1", "Coordination number"},
        {"XCentButton", ">> Anion centered"},
        {"PrevButton", "< Previous"},
        {"NextButton", "Next >"},
        {"ResetButton", "Reset"},
        {"OkButton1", "OK"},
        {"CancelButton1", "Cancel"},
    };
    for (const auto& c : captions) {
        QWidget* w = Find<QWidget>(c[0]);
        const QString text = qobject_cast<QLabel*>(w) ? qobject_cast<QLabel*>(w)->text()
                                                      : qobject_cast<QPushButton*>(w)->text();
        QCOMPARE(text, QString::fromLatin1(c[1]));
    }
    QTableWidget* grid = Grid();
    QCOMPARE(grid->columnCount(), 5);
    const char* const headers[] = {"Ligand No.", "Atoms in the coordination sphere", "Distances",
                                   "ExtDist", "InCoord"};
    const int widths[] = {140, 204, 170, 70, 200};
    for (int c = 0; c < 5; ++c) {
        QCOMPARE(grid->horizontalHeaderItem(c)->text(), QString::fromLatin1(headers[c]));
        QVERIFY(grid->columnWidth(c) >= widths[c]);
    }
    QCOMPARE(grid->toolTip(), QStringLiteral("Double click to set the maximum bond length"));
    QCOMPARE(grid->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(grid->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
    QCOMPARE(Find<QLineEdit>("CNEdit")->alignment(), Qt::AlignCenter);
    QCOMPARE(Find<QComboBox>("CAComboBox")->maxVisibleItems(), 20);
}

void TestManCoordDialog::firstAtomOfTheShownSide() {
    Show();
    QCOMPARE(Atom(), QStringLiteral("W1"));
    QCOMPARE(Cn(), QStringLiteral("6"));
    QCOMPARE(Column(0, " "), QStringLiteral("1 2 3 4 5 6"));
    QCOMPARE(Column(1, " "), QStringLiteral("O3 O2 O1 O1 O2 O3"));
    QCOMPARE(Column(2, " "), QStringLiteral("1.7534 1.7941 1.8339 1.9851 2.0212 2.0566"));
    QCOMPARE(Column(4), QStringLiteral("YYYYYY"));
    QCOMPARE(Buttons(), QStringLiteral("00"));

    // The anion-centred view opens on the anions.
    model_->ShowCations = false;
    Show();
    QCOMPARE(Atom(), QStringLiteral("O1"));
    QCOMPARE(Find<QPushButton>("XCentButton")->text(), QStringLiteral(">> Cation centered"));
    QCOMPARE(Buttons(), QStringLiteral("01"));
}

void TestManCoordDialog::doubleClickCutsAndExtends() {
    Show();
    DoubleClick(4);
    QCOMPARE(Cn(), QStringLiteral("4"));
    QCOMPARE(Column(4), QStringLiteral("YYYYNN"));
    QCOMPARE(Colours(), QStringLiteral("....ss"));
    QCOMPARE(Grid()->horizontalHeaderItem(4)->text(), QStringLiteral("InCoord"));
    DoubleClick(2);
    QCOMPARE(Cn(), QStringLiteral("2"));
    QCOMPARE(Colours(), QStringLiteral("..ssss"));
    DoubleClick(5); // an excluded row: the coordination reaches it again
    QCOMPARE(Cn(), QStringLiteral("5"));
    QCOMPARE(Column(4), QStringLiteral("YYYYYN"));
    QCOMPARE(Colours(), QStringLiteral(".....s"));
    QCOMPARE(MCListOf(*model_, true, 1)[0], std::string("W1 6 5"));
}

void TestManCoordDialog::okAppliesTheRadii() {
    model_->NearestLimit = true;
    model_->ExZeroW = true;
    Show();
    DoubleClick(4);
    const double fourth = xStrToFloat(Grid()->item(3, 3)->text().toStdString());
    QVERIFY(std::abs(fourth - 1.9851) < 0.0001);
    Button("OkButton1")->click();
    QCOMPARE(dialog_->result(), ManualCoordinationOK);
    QVERIFY(!dialog_->isVisible());
    QCOMPARE(model_->AC[1].Nearest, fourth);
    QCOMPARE(model_->ThresOption, 2);
    QVERIFY(!model_->NearestLimit);
    QVERIFY(!model_->ExZeroW);
    // Untouched atoms keep their farthest ligand.
    QVERIFY(std::abs(model_->AA[1].Nearest - 1.9851) < 0.0001);
}

void TestManCoordDialog::cancelChangesNothing() {
    model_->NearestLimit = true;
    model_->ExZeroW = true;
    model_->AC[1].Nearest = 3.25;
    Show();
    DoubleClick(3);
    Button("CancelButton1")->click();
    QCOMPARE(dialog_->result(), static_cast<int>(QDialog::Rejected));
    QCOMPARE(model_->AC[1].Nearest, 3.25);
    QCOMPARE(model_->ThresOption, 0);
    QVERIFY(model_->NearestLimit);
    QVERIFY(model_->ExZeroW);
}

// With a radius of 5 A W has more than six ligands; the six W atoms of the
// neighbouring cells, at 3.80 A, stand between the bonds shorter and longer
// than that, without a ligand number.
void TestManCoordDialog::secondSphereRowsAtTheirPlace() {
    Load(5.0);
    Show();
    QTableWidget* grid = Grid();
    int first = -1, hashes = 0;
    for (int r = 0; r < grid->rowCount(); ++r) {
        if (!grid->item(r, 0)->text().isEmpty()) continue;
        if (first < 0) first = r;
        ++hashes;
        QCOMPARE(grid->item(r, 1)->text(), QStringLiteral("W1"));
        QCOMPARE(grid->item(r, 2)->text(), QStringLiteral("3.8000"));
    }
    QCOMPARE(hashes, 6);
    QVERIFY(first > 0);
    QVERIFY(grid->item(first - 1, 2)->text().toDouble() < 3.8);
    QVERIFY(grid->item(first + 6, 2)->text().toDouble() > 3.8);
    QCOMPARE(grid->item(first + 6, 0)->text().toInt(),
             grid->item(first - 1, 0)->text().toInt() + 1);
    QCOMPARE(grid->rowCount(), model_->AC[1].Coor + 6);

    // A double click on such a row cuts after the ligand above it.
    DoubleClick(first + 3);
    QCOMPARE(Cn(), grid->item(first - 1, 0)->text());
    QCOMPARE(Column(4).mid(first - 1, 8), QStringLiteral("YNNNNNNN"));
}

void TestManCoordDialog::movingBetweenAtomsAndSides() {
    Show();
    auto* centring = Button("XCentButton");
    centring->click();
    QCOMPARE(centring->text(), QStringLiteral(">> Cation centered"));
    QCOMPARE(Atom(), QStringLiteral("O1"));
    QCOMPARE(Buttons(), QStringLiteral("01"));
    QCOMPARE(Column(2, " "), QStringLiteral("1.8339 1.9851"));
    Grid()->setCurrentCell(1, 0);
    Button("NextButton")->click();
    QCOMPARE(Atom(), QStringLiteral("O2"));
    QCOMPARE(Grid()->currentRow(), 0);
    QCOMPARE(Buttons(), QStringLiteral("11"));
    DoubleClick(1);
    QCOMPARE(Cn(), QStringLiteral("1"));
    Button("NextButton")->click();
    QCOMPARE(Atom(), QStringLiteral("O3"));
    QCOMPARE(Buttons(), QStringLiteral("10"));
    Button("PrevButton")->click();
    QCOMPARE(Atom(), QStringLiteral("O2"));
    QCOMPARE(Cn(), QStringLiteral("1")); // the cut stays while moving
    QCOMPARE(Colours(), QStringLiteral(".s"));
    auto* combo = Find<QComboBox>("CAComboBox");
    QCOMPARE(combo->count(), 3);
    combo->setCurrentIndex(2);
    emit combo->activated(2);
    QCOMPARE(Buttons(), QStringLiteral("10"));
    centring->click();
    QCOMPARE(centring->text(), QStringLiteral(">> Anion centered"));
    QCOMPARE(Atom(), QStringLiteral("W1"));
    QCOMPARE(Buttons(), QStringLiteral("00"));
}

void TestManCoordDialog::resetDiscardsEveryChange() {
    Show();
    std::vector<std::string> original;
    for (bool cations : {true, false})
        for (int i = 1; i <= (cations ? model_->AClength : model_->AAlength); ++i)
            for (const std::string& entry : MCListOf(*model_, cations, i))
                original.push_back(entry);
    DoubleClick(2);
    Button("XCentButton")->click();
    Button("NextButton")->click();
    DoubleClick(1);
    Button("ResetButton")->click();
    QCOMPARE(Atom(), QStringLiteral("O1"));
    QCOMPARE(Buttons(), QStringLiteral("01"));
    std::vector<std::string> now;
    for (bool cations : {true, false})
        for (int i = 1; i <= (cations ? model_->AClength : model_->AAlength); ++i)
            for (const std::string& entry : MCListOf(*model_, cations, i))
                now.push_back(entry);
    QVERIFY(now == original);
    Button("NextButton")->click();
    QCOMPARE(Cn(), QStringLiteral("2"));
    Button("OkButton1")->click();
    QVERIFY(std::abs(model_->AC[1].Nearest - 2.0566) < 0.0001);
}

// The whole way: settings button, polyhedron-specific option, the 4th of the
// 6 ligands of W double-clicked, OK in both dialogs, Calculate.
void TestManCoordDialog::fromTheSettingsButtonToFourLigands() {
    TOstrel window(seams_.get());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.OpenCifFile(QString::fromStdString(kWo3)));
    double fourth = 0;
    seams_->manual_dialog = [&](QWidget* parent, Model& m) {
        TMCD dialog(m, *seams_, parent);
        dialog.show();
        auto* grid = dialog.findChild<QTableWidget*>(QStringLiteral("SGMC"));
        DoubleClickCell(grid, 3);
        fourth = xStrToFloat(grid->item(3, 3)->text().toStdString());
        dialog.findChild<QPushButton*>(QStringLiteral("OkButton1"))->click();
        return dialog.result();
    };
    seams_->settings_dialog = [&](QWidget* parent, Model& m) {
        TBondsDialog dialog(m, *seams_, parent);
        dialog.show();
        dialog.findChild<RadioGroup*>(QStringLiteral("GlobalOptionsRG"))->Item(2)->click();
        dialog.findChild<QPushButton*>(QStringLiteral("OKbutton"))->click();
        return dialog.result() == BondsDialogOK;
    };
    window.findChild<QPushButton*>(QStringLiteral("BondsButton"))->click();
    QCOMPARE(seams_->manual_runs, 1);
    QCOMPARE(window.model().ThresOption, 2);
    QCOMPARE(window.model().AC[1].Nearest, fourth);
    window.findChild<QPushButton*>(QStringLiteral("CalculateButton"))->click();
    QVERIFY(window.model().Calculated);
    QCOMPARE(window.model().AC[1].Coor, 4);
    QCOMPARE(seams_->messages, QStringList());
}

QTEST_MAIN(TestManCoordDialog)
#include "test_man_coord_dialog.moc"
