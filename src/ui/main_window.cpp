#include "ui/main_window.h"

#include <exception>
#include <string>
#include <string_view>
#include <utility>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QUrl>
#include <QVBoxLayout>

#include "calc/bond_valence.h"
#include "calc/coordination.h"
#include "calc/pipeline.h"
#include "model/cif_reader.h"
#include "ui/about_dialog.h"
#include "ui/fonts.h"
#include "ui/seams.h"
#include "ui/widgets.h"

namespace kevo {

namespace {

QString FromStd(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The wait cursor while the window is busy; a message box shown meanwhile
// gets the normal cursor.
class WaitCursor {
  public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// A white panel showing one value in the fixed font.
QLabel* MakeValuePanel(QWidget* parent, const char* name) {
    auto* p = new QLabel(parent);
    p->setObjectName(QString::fromLatin1(name));
    p->setFont(FixedFont(9));
    p->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    p->setAutoFillBackground(true);
    p->setBackgroundRole(QPalette::Base);
    p->setForegroundRole(QPalette::Text);
    p->setAlignment(Qt::AlignCenter);
    p->setTextInteractionFlags(Qt::TextSelectableByMouse);
    const QFontMetrics fm(p->font());
    p->setMinimumWidth(fm.horizontalAdvance(QStringLiteral("00000.0000")) + 8);
    p->setMinimumHeight(fm.height() + 8);
    return p;
}

// A button as wide as the widest of its captions, so that switching the
// caption does not move its neighbours.
void FitCaptions(QPushButton* button, const QStringList& captions) {
    const QString shown = button->text();
    int width = 0;
    for (const QString& c : captions) {
        button->setText(c);
        width = std::max(width, button->sizeHint().width());
    }
    button->setText(shown);
    button->setMinimumWidth(width);
}

} // namespace

// Fixed sentences reach the user in a modal box.
class TOstrel::Messages : public MessageSink {
  public:
    explicit Messages(TOstrel& window) : window_(window) {}
    void Show(std::string_view text) override {
        WithNormalCursor([&] { window_.seams_->ShowMessage(&window_, FromStd(text)); });
    }
    // The detail is the informative text of the same box.
    void ShowWithDetail(std::string_view text, std::string_view detail) override {
        WithNormalCursor(
            [&] { window_.seams_->ShowDetailedMessage(&window_, FromStd(text), FromStd(detail)); });
    }

  private:
    template <typename F> static void WithNormalCursor(F&& show) {
        int waiting = 0;
        while (QApplication::overrideCursor() != nullptr) {
            QApplication::restoreOverrideCursor();
            ++waiting;
        }
        show();
        for (int i = 0; i < waiting; ++i)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    }

    TOstrel& window_;
};

// What the calculation asks of the window.
class TOstrel::View : public CalculationView {
  public:
    explicit View(TOstrel& window) : w_(window) {}
    void SetPolGeomCaption(std::string_view caption) override {
        w_.PolGeomButton->setText(FromStd(caption));
    }
    bool DetailedResults() const override { return w_.DetailedResults->isChecked(); }
    void ShowReport(int code) override { w_.ShowReport(code); }
    void CalculationDone() override {
        w_.CalculateButton->setEnabled(false);
        w_.ShowXCenteredButton->setEnabled(true);
        w_.PolGeomButton->setEnabled(true);
    }

  private:
    TOstrel& w_;
};

TOstrel::TOstrel(WindowSeams* seams, QWidget* parent)
    : QWidget(parent), own_seams_(seams ? nullptr : std::make_unique<WindowSeams>()),
      seams_(seams ? seams : own_seams_.get()), messages_(std::make_unique<Messages>(*this)),
      model_(Model::Create()) {
    setObjectName(QStringLiteral("Ostrel"));
    setWindowTitle(QString::fromUtf8(WindowCaption));
    setWindowIcon(ProgramIcon());
    setFont(WindowFont());
    setAcceptDrops(true);
    BuildWindow();
    about_ = new TAboutDialog(this);

    // The design size, within the screen and at most 2560 x 1440.
    setMaximumSize(2560, 1440);
    QSize size(1482, 759);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableSize());
    resize(size);
    StartUpState();
}

TOstrel::~TOstrel() = default;

void TOstrel::Guarded(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& e) {
        ShowMessage(e.what());
    }
}

void TOstrel::ShowMessage(const std::string& text) {
    messages_->Show(text);
}

// --- Building the window ----------------------------------------------------------------

void TOstrel::BuildWindow() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 8);
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("Splitter"));
    splitter->setChildrenCollapsible(false);
    splitter->setHandleWidth(8);
    splitter->addWidget(BuildStructurePart());
    splitter->addWidget(BuildResultsPart());
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({781, 693});
    outer->addWidget(splitter);

    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] { ShowFindBar(); });
}

QWidget* TOstrel::BuildStructurePart() {
    auto* part = new QWidget(this);
    part->setObjectName(QStringLiteral("StructurePart"));
    auto* column = new QVBoxLayout(part);
    column->setContentsMargins(0, 0, 0, 0);

    OpenFileButton = MakeButton(part, "OpenFileButton", QStringLiteral("Open..."));
    SaveAsButton = MakeButton(part, "SaveAsButton", QStringLiteral("Save as..."));
    AboutButton = MakeButton(part, "AboutButton", QStringLiteral("About..."));
    QuitButton = MakeButton(part, "QuitButton", QStringLiteral("Quit"));
    BondsButton = MakeButton(part, "BondsButton", QStringLiteral("Calculation settings..."));
    CalculateButton = MakeButton(part, "CalculateButton", QStringLiteral("Calculate"));
    OpenFileButton->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    OpenFileButton->setToolTip(QStringLiteral("Open a CIF file (Ctrl+O)"));
    SaveAsButton->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    SaveAsButton->setToolTip(QStringLiteral("Save the shown report (Ctrl+S)"));
    CalculateButton->setShortcut(QKeySequence(Qt::Key_F5));
    CalculateButton->setToolTip(QStringLiteral("Calculate (F5)"));
    QuitButton->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    QuitButton->setToolTip(QStringLiteral("Quit (Ctrl+Q)"));

    FileNamePanel_ = new FileNamePanel(part);
    FileNamePanel_->setObjectName(QStringLiteral("FileNamePanel"));

    DetailedResults =
        MakeCheckBox(part, "DetailedResults", QStringLiteral("Detailed results        "));
    OmitCheckBox = MakeCheckBox(part, "OmitCheckBox", QStringLiteral("Show zero-weight bonds"));
    OmitCheckBox->setChecked(true);
    AutosaveCheck = MakeCheckBox(part, "AutosaveCheck", QStringLiteral("Autosave results"));

    auto* top = new QGridLayout;
    top->setHorizontalSpacing(8);
    top->setVerticalSpacing(6);
    top->addWidget(OpenFileButton, 0, 0);
    top->addWidget(SaveAsButton, 1, 0);
    top->addWidget(AboutButton, 2, 0);
    top->addWidget(QuitButton, 3, 0);
    top->addWidget(FileNamePanel_, 0, 1, 1, 3);
    top->addWidget(BondsButton, 1, 1);
    top->addWidget(CalculateButton, 2, 1);
    top->addWidget(DetailedResults, 1, 2);
    top->addWidget(OmitCheckBox, 2, 2);
    top->addWidget(AutosaveCheck, 3, 2);
    top->setColumnStretch(3, 1);
    top->setColumnMinimumWidth(2, 24);
    column->addLayout(top);

    // Space group and cell.
    GroupBox1 = new QGroupBox(QStringLiteral("  Space group  "), part);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    SpaceGroupPanel = MakeValuePanel(GroupBox1, "SpaceGroupPanel");
    SpaceGroupPanel->setMinimumWidth(
        QFontMetrics(SpaceGroupPanel->font()).horizontalAdvance(QStringLiteral("P 42/m n m :2")) +
        12);
    auto* sg = new QVBoxLayout(GroupBox1);
    sg->addStretch(1);
    sg->addWidget(SpaceGroupPanel);

    GroupBox2 = new QGroupBox(QStringLiteral("  Unit-cell  "), part);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    auto* cell = new QGridLayout(GroupBox2);
    cell->setVerticalSpacing(2);
    static const char* const kCellNames[6] = {"a", "b", "c", "alpha", "beta", "gamma"};
    for (int i = 0; i < 6; ++i) {
        auto* label = new QLabel(QString::fromLatin1(kCellNames[i]), GroupBox2);
        label->setObjectName(QString::fromLatin1(kCellNames[i]) + QStringLiteral("Label"));
        label->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        CellPanels[i] = MakeValuePanel(GroupBox2, (std::string(kCellNames[i]) + "Panel").c_str());
        cell->addWidget(label, 0, i);
        cell->addWidget(CellPanels[i], 1, i);
    }
    auto* groups = new QHBoxLayout;
    groups->addWidget(GroupBox1);
    groups->addWidget(GroupBox2, 1);
    column->addLayout(groups);

    CifTime = new QLabel(QStringLiteral("Time elapsed:"), part);
    CifTime->setObjectName(QStringLiteral("CifTime"));
    CifTime->hide();

    // The label above the grid, "Atoms" at the left and the mark of the
    // images at the right.
    auto* atoms = new QHBoxLayout;
    auto* atomsLabel = new QLabel(QStringLiteral("Atoms"), part);
    atomsLabel->setObjectName(QStringLiteral("Atoms"));
    auto* legend = new QLabel(QStringLiteral("(*) - symmetry generated atoms"), part);
    legend->setObjectName(QStringLiteral("AtomsLegend"));
    atoms->addWidget(atomsLabel);
    atoms->addStretch(1);
    atoms->addWidget(legend);
    column->addSpacing(4);
    column->addLayout(atoms);

    SG2 = new AtomGrid(part);
    SG2->setObjectName(QStringLiteral("SG2"));
    column->addWidget(SG2, 1);

    connect(OpenFileButton, &QPushButton::clicked, this, [this] { OpenFileButtonClick(); });
    connect(SaveAsButton, &QPushButton::clicked, this, [this] { SaveAsButtonClick(); });
    connect(AboutButton, &QPushButton::clicked, this, [this] { AboutButtonClick(); });
    connect(QuitButton, &QPushButton::clicked, this, &QWidget::close);
    connect(BondsButton, &QPushButton::clicked, this, [this] { BondsButtonClick(); });
    connect(CalculateButton, &QPushButton::clicked, this, [this] { CalculateButtonClick(); });
    connect(DetailedResults, &QCheckBox::clicked, this, [this] { SectionCom(); });
    connect(OmitCheckBox, &QCheckBox::clicked, this, [this] { OmitCheckBoxClick(); });
    connect(AutosaveCheck, &QCheckBox::clicked, this, [this] { AutosaveCheckClick(); });
    return part;
}

QWidget* TOstrel::BuildResultsPart() {
    auto* part = new QWidget(this);
    part->setObjectName(QStringLiteral("ResultsPart"));
    auto* column = new QVBoxLayout(part);
    column->setContentsMargins(0, 0, 0, 0);

    auto* bar = new QWidget(part);
    bar->setObjectName(QStringLiteral("ResultsBar"));
    bar->setMinimumHeight(50);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    ShowXCenteredButton =
        MakeButton(bar, "ShowXCenteredButton", QStringLiteral(">> Anion-centered"));
    FitCaptions(ShowXCenteredButton,
                {QStringLiteral(">> Anion-centered"), QStringLiteral(">> Cation-centered")});
    PolGeomButton = MakeButton(bar, "PolGeomButton", QStringLiteral("Coordination geometry"));
    FitCaptions(PolGeomButton,
                {QStringLiteral("Coordination geometry"), QStringLiteral("Charge distribution")});
    SectionLabel = new QLabel(QStringLiteral("Go to section:"), bar);
    SectionLabel->setObjectName(QStringLiteral("SectionLabel"));
    SectionCombo = new QComboBox(bar);
    SectionCombo->setObjectName(QStringLiteral("SectionCombo"));
    SectionCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    SectionCombo->setMinimumContentsLength(30);
    SectionCombo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    row->addWidget(ShowXCenteredButton);
    row->addWidget(PolGeomButton);
    row->addSpacing(16);
    row->addWidget(SectionLabel);
    row->addWidget(SectionCombo, 1);
    column->addWidget(bar);

    Memo1 = new QPlainTextEdit(part);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setWordWrapMode(QTextOption::NoWrap);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setUndoRedoEnabled(false);
    Memo1->setAcceptDrops(false);
    Memo1->setFont(FixedFont(11));
    Memo1->setTabStopDistance(8 * QFontMetricsF(Memo1->font()).horizontalAdvance(QLatin1Char(' ')));
    Memo1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    column->addWidget(Memo1, 1);

    // Finding text in the report (Ctrl+F).
    FindBar = new QWidget(part);
    FindBar->setObjectName(QStringLiteral("FindBar"));
    auto* findRow = new QHBoxLayout(FindBar);
    findRow->setContentsMargins(0, 0, 0, 0);
    FindEdit = new QLineEdit(FindBar);
    FindEdit->setObjectName(QStringLiteral("FindEdit"));
    FindEdit->setClearButtonEnabled(true);
    auto* next = MakeButton(FindBar, "FindNextButton", QStringLiteral("Next"));
    auto* previous = MakeButton(FindBar, "FindPreviousButton", QStringLiteral("Previous"));
    auto* close = MakeButton(FindBar, "FindCloseButton", QStringLiteral("Close"));
    FindStatus = new QLabel(FindBar);
    FindStatus->setObjectName(QStringLiteral("FindStatus"));
    findRow->addWidget(new QLabel(QStringLiteral("Find:"), FindBar));
    findRow->addWidget(FindEdit, 1);
    findRow->addWidget(next);
    findRow->addWidget(previous);
    findRow->addWidget(FindStatus);
    findRow->addWidget(close);
    FindBar->hide();
    column->addWidget(FindBar);

    connect(FindEdit, &QLineEdit::returnPressed, this, [this] { FindInReport(false); });
    connect(next, &QPushButton::clicked, this, [this] { FindInReport(false); });
    connect(previous, &QPushButton::clicked, this, [this] { FindInReport(true); });
    auto hide = [this] {
        FindBar->hide();
        Memo1->setFocus();
    };
    connect(close, &QPushButton::clicked, this, hide);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), FindBar);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, hide);
    auto* back = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Return), FindEdit);
    back->setContext(Qt::WidgetShortcut);
    connect(back, &QShortcut::activated, this, [this] { FindInReport(true); });
    auto* again = new QShortcut(QKeySequence::FindNext, this);
    connect(again, &QShortcut::activated, this, [this] { FindInReport(false); });
    auto* againBack = new QShortcut(QKeySequence::FindPrevious, this);
    connect(againBack, &QShortcut::activated, this, [this] { FindInReport(true); });

    connect(ShowXCenteredButton, &QPushButton::clicked, this,
            [this] { ShowXCenteredButtonClick(); });
    connect(PolGeomButton, &QPushButton::clicked, this, [this] { PolGeomButtonClick(); });
    connect(SectionCombo, &QComboBox::activated, this,
            [this](int index) { SectionComboSelect(index); });
    return part;
}

// --- States -------------------------------------------------------------------------------

void TOstrel::StartUpState() {
    setWindowTitle(QString::fromUtf8(WindowCaption));
    FileNamePanel_->SetPath({});
    SpaceGroupPanel->clear();
    for (QLabel* p : CellPanels)
        p->clear();
    SG2->Clear(StartUpGridRows);
    Memo1->clear();
    shown_.clear();
    results_.CurrentResults = 0;
    model_->Calculated = false;

    SaveAsButton->setEnabled(false);
    BondsButton->setEnabled(false);
    CalculateButton->setEnabled(false);
    ShowXCenteredButton->setEnabled(false);
    ShowXCenteredButton->setText(QStringLiteral(">> Anion-centered"));
    PolGeomButton->setEnabled(false);
    PolGeomButton->setText(QStringLiteral("Coordination geometry"));
    SectionCombo->clear();
    SectionCombo->setEnabled(false);
    SectionLabel->setEnabled(false);
}

bool TOstrel::HasResults() const {
    return model_->Calculated && StructureLoaded(*model_);
}

// --- Opening --------------------------------------------------------------------------------

void TOstrel::OpenFileButtonClick() {
    Guarded([this] {
        QString directory;
        if (StructureLoaded(*model_)) directory = QFile::decodeName(model_->OutPath.c_str());
        const QString path = seams_->OpenFileName(this, directory);
        // Cancelling the dialog leaves everything as it was.
        if (!path.isEmpty()) OpenCifFile(path);
    });
}

bool TOstrel::OpenCifFile(const QString& path) {
    bool loaded = false;
    Guarded([&] {
        const QString absolute = QFileInfo(path).absoluteFilePath();
        // The results area is reset before the file is read.
        ShowXCenteredButton->setEnabled(false);
        ShowXCenteredButton->setText(QStringLiteral(">> Anion-centered"));
        SaveAsButton->setEnabled(false);
        SectionCombo->clear();
        SectionCombo->setEnabled(false);
        SectionLabel->setEnabled(false);
        Memo1->clear();
        shown_.clear();
        results_.CurrentResults = 0;

        {
            WaitCursor wait;
            loaded = ReadCifFile(QFile::encodeName(absolute).toStdString(), *model_, *messages_);
        }
        if (!loaded) return;
        const Model& m = *model_;
        FileNamePanel_->SetPath(absolute);
        setWindowTitle(QString::fromUtf8(WindowCaption) + QStringLiteral(" - ") +
                       QFileInfo(absolute).fileName());
        SpaceGroupPanel->setText(FromStd(m.spacegroup));
        const std::string* cell[6] = {&m.a, &m.b, &m.c, &m.alpha, &m.beta, &m.gamma};
        for (int i = 0; i < 6; ++i)
            CellPanels[i]->setText(FromStd(*cell[i]));
        const std::vector<AtomGridRow> rows = AtomGridRows(m);
        SG2->Fill(rows, AtomGridRowCount(static_cast<int>(rows.size()) + 1));
        CifTime->setText(FromStd(ReadingTimeText(m)));

        PolGeomButton->setEnabled(false);
        PolGeomButton->setText(QStringLiteral("Coordination geometry"));
        BondsButton->setEnabled(true);
        CalculateButton->setEnabled(true);
        CalculateButton->setFocus();
    });
    // A file that could not be read leaves nothing of itself on the screen.
    if (!loaded) StartUpState();
    return loaded;
}

void TOstrel::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.constFirst().isLocalFile()) event->acceptProposedAction();
}

void TOstrel::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.constFirst().isLocalFile()) return;
    event->acceptProposedAction();
    const QString path = urls.constFirst().toLocalFile();
    // The drop finishes before the file is read, so that a message box does
    // not keep the dragging program waiting.
    QMetaObject::invokeMethod(
        this, [this, path] { OpenCifFile(path); }, Qt::QueuedConnection);
}

// --- Calculation and settings -------------------------------------------------------------

namespace {

// Passes every message on; the one that says no parameter table was found
// gets the places that were tried as its detail.
class TableNotFound : public MessageSink {
  public:
    TableNotFound(MessageSink& to, std::string places) : to_(to), places_(std::move(places)) {}
    void Show(std::string_view text) override {
        if (text == BvsFileErrorMessage(""))
            to_.ShowWithDetail(text, places_);
        else
            to_.Show(text);
    }
    void ShowWithDetail(std::string_view text, std::string_view detail) override {
        to_.ShowWithDetail(text, detail);
    }

  private:
    MessageSink& to_;
    std::string places_;
};

} // namespace

bool TOstrel::RunCalculation() {
    if (!StructureLoaded(*model_)) return false;
    WaitCursor wait;
    View view(*this);
    const std::string bvs = seams_->BvsPath();
    if (!bvs.empty()) return Calculate(*model_, *messages_, {bvs, &bvs_tables_}, &view);
    TableNotFound messages(*messages_, seams_->BvsPlacesTried());
    return Calculate(*model_, messages, {bvs, &bvs_tables_}, &view);
}

void TOstrel::CalculateButtonClick() {
    Guarded([this] { RunCalculation(); });
}

void TOstrel::BondsButtonClick() {
    Guarded([this] {
        if (!StructureLoaded(*model_)) return;
        Model& m = *model_;
        {
            WaitCursor wait;
            GetDistances(m, *messages_);
            if (!m.GotMaxLengths) GetMaxBondLengths(m, *messages_);
        }
        // The search rebuilt the polyhedra of the asymmetric atoms, so the
        // results of an earlier calculation no longer match the records: the
        // shown report can be read but not rebuilt or exported until the next
        // calculation.
        m.Calculated = false;
        SaveAsButton->setEnabled(false);
        PolGeomButton->setEnabled(false);
        CalculateButton->setEnabled(true);
        if (seams_->RunSettingsDialog(this, m)) OmitCheckBox->setChecked(!m.ExZeroW);
    });
}

void TOstrel::AutosaveCheckClick() {
    SaveAsButton->setEnabled(!AutosaveCheck->isChecked() && HasResults());
    // Calculate is offered again, but only for a loaded structure.
    if (StructureLoaded(*model_)) CalculateButton->setEnabled(true);
}

void TOstrel::AboutButtonClick() {
    about_->show();
    about_->raise();
    about_->activateWindow();
}

void TOstrel::PolGeomButtonClick() {
    // Back to the charge distribution: the whole calculation runs again.
    if (PolGeomButton->text() == QStringLiteral("Charge distribution")) {
        Guarded([this] {
            PolGeomButton->setText(QStringLiteral("Coordination geometry"));
            ShowXCenteredButton->setEnabled(true);
            RunCalculation();
        });
        return;
    }
    if (!HasResults()) return;
    // The geometry of the side shown, as a detailed or a summary report as
    // the box reads now. The side cannot change under the report.
    PolGeomButton->setText(QStringLiteral("Charge distribution"));
    const bool detailed = DetailedResults->isChecked();
    ShowXCenteredButton->setEnabled(false);
    bool shown = false;
    Guarded([&] {
        Model& m = *model_;
        const int side = m.ShowCations ? 1 : 2;
        bool done = false;
        {
            WaitCursor wait;
            done = seams_->RunGeometry(m, *messages_, side);
        }
        if (!done) return; // the run said why
        ShowReport((side == 1 ? 5 : 7) + (detailed ? 0 : 1));
        shown = true;
    });
    if (shown) return;
    // Stopped (the face limit): the charge-distribution report stays.
    model_->ShowingPolGeom = false;
    PolGeomButton->setText(QStringLiteral("Coordination geometry"));
    ShowXCenteredButton->setEnabled(true);
}

// --- Finding text ----------------------------------------------------------------------------

void TOstrel::ShowFindBar() {
    FindBar->show();
    FindEdit->setFocus();
    FindEdit->selectAll();
}

void TOstrel::FindInReport(bool backwards) {
    const QString text = FindEdit->text();
    FindStatus->clear();
    if (text.isEmpty()) return;
    const QTextDocument::FindFlags flags =
        backwards ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    if (Memo1->find(text, flags)) return;
    // Go round once from the other end.
    const QTextCursor kept = Memo1->textCursor();
    Memo1->moveCursor(backwards ? QTextCursor::End : QTextCursor::Start);
    if (Memo1->find(text, flags)) return;
    Memo1->setTextCursor(kept);
    FindStatus->setText(QStringLiteral("Not found"));
}

} // namespace kevo
