#include "ui/man_coord_dialog.h"

#include <algorithm>

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "calc/man_coord.h"
#include "model/messages.h"
#include "ui/fonts.h"
#include "ui/seams.h"
#include "ui/widgets.h"

namespace kevo {

namespace {

const QColor Silver(192, 192, 192);

// The messages of the second-sphere search, in boxes over the dialog.
class DialogMessages : public MessageSink {
  public:
    DialogMessages(WindowSeams& seams, QWidget* parent) : seams_(seams), parent_(parent) {}
    void Show(std::string_view text) override {
        seams_.ShowMessage(parent_, QString::fromUtf8(text.data(), static_cast<int>(text.size())));
    }

  private:
    WindowSeams& seams_;
    QWidget* parent_;
};

} // namespace

const char* const TMCD::Headers[TMCD::Columns] = {"Ligand No.", "Atoms in the coordination sphere",
                                                  "Distances", "ExtDist", "InCoord"};
const int TMCD::DesignWidths[TMCD::Columns] = {140, 204, 170, 70, 200};

TMCD::TMCD(Model& m, WindowSeams& seams, QWidget* parent) : QDialog(parent), m_(m), seams_(seams) {
    SetUpDialog(this, "MCD", QStringLiteral("Set Coordination"));
    BuildForm();
    FormShow();
}

void TMCD::BuildForm() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 8);

    Label2 = MakeLabel(this, "Label2", QStringLiteral("Central atom"));
    CAComboBox = new QComboBox(this);
    CAComboBox->setObjectName(QStringLiteral("CAComboBox"));
    CAComboBox->setFont(FixedFont(9));
    CAComboBox->setMaxVisibleItems(20);
    CAComboBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    CAComboBox->setMinimumContentsLength(12);
    Label1 = MakeLabel(this, "Label1", QStringLiteral("Coordination number"));
    CNEdit = new QLineEdit(this);
    CNEdit->setObjectName(QStringLiteral("CNEdit"));
    CNEdit->setAlignment(Qt::AlignCenter);
    CNEdit->setReadOnly(true);
    CNEdit->setFixedWidth(QFontMetrics(CNEdit->font()).horizontalAdvance(QStringLiteral("0000")) +
                          16);
    XCentButton = MakeButton(this, "XCentButton", QStringLiteral(">> Anion centered"));
    XCentButton->setMinimumWidth(std::max(
        XCentButton->sizeHint().width(),
        QFontMetrics(XCentButton->font()).horizontalAdvance(QStringLiteral(">> Cation centered")) +
            24));

    auto* top = new QHBoxLayout;
    top->addWidget(Label2);
    top->addWidget(CAComboBox);
    top->addSpacing(12);
    top->addWidget(Label1);
    top->addWidget(CNEdit);
    top->addStretch(1);
    top->addWidget(XCentButton);
    outer->addLayout(top);

    SGMC = new QTableWidget(this);
    SGMC->setObjectName(QStringLiteral("SGMC"));
    SGMC->setHorizontalHeader(new GridHeader(SGMC));
    SGMC->setFont(FixedFont(10));
    SGMC->setColumnCount(Columns);
    QStringList headers;
    for (const char* h : Headers)
        headers << QString::fromLatin1(h);
    SGMC->setHorizontalHeaderLabels(headers);
    SGMC->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    SGMC->horizontalHeader()->setStretchLastSection(false);
    const QFontMetrics header(SGMC->horizontalHeader()->font());
    for (int c = 0; c < Columns; ++c)
        SGMC->setColumnWidth(c,
                             std::max(DesignWidths[c], header.horizontalAdvance(headers[c]) + 8));
    SGMC->verticalHeader()->hide();
    SGMC->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    SGMC->verticalHeader()->setDefaultSectionSize(
        std::max(20, QFontMetrics(SGMC->font()).height() + 4));
    SGMC->setSelectionBehavior(QAbstractItemView::SelectRows);
    SGMC->setSelectionMode(QAbstractItemView::SingleSelection);
    SGMC->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SGMC->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SGMC->setWordWrap(false);
    SGMC->setToolTip(QStringLiteral("Double click to set the maximum bond length"));
    outer->addWidget(SGMC, 1);

    PrevButton = MakeButton(this, "PrevButton", QStringLiteral("< Previous"));
    NextButton = MakeButton(this, "NextButton", QStringLiteral("Next >"));
    ResetButton = MakeButton(this, "ResetButton", QStringLiteral("Reset"));
    OkButton1 = MakeButton(this, "OkButton1", QStringLiteral("OK"));
    OkButton1->setDefault(true);
    CancelButton1 = MakeButton(this, "CancelButton1", QStringLiteral("Cancel"));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(PrevButton);
    bottom->addWidget(NextButton);
    bottom->addSpacing(12);
    bottom->addWidget(ResetButton);
    bottom->addStretch(1);
    bottom->addWidget(OkButton1);
    bottom->addWidget(CancelButton1);
    outer->addLayout(bottom);

    // The client area of the design, never smaller than the controls need.
    resize(std::max(550, sizeHint().width()), std::max(351, sizeHint().height()));
    setFixedSize(size());

    connect(CAComboBox, &QComboBox::activated, this,
            [this](int index) { CAComboBoxSelect(index); });
    connect(NextButton, &QPushButton::clicked, this, [this] { Step(1); });
    connect(PrevButton, &QPushButton::clicked, this, [this] { Step(-1); });
    connect(ResetButton, &QPushButton::clicked, this, [this] { ResetButtonClick(); });
    connect(XCentButton, &QPushButton::clicked, this, [this] { XCentButtonClick(); });
    connect(SGMC, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int /*column*/) { SGMCDblClick(row + 1); });
    connect(OkButton1, &QPushButton::clicked, this, [this] { OkButton1Click(); });
    connect(CancelButton1, &QPushButton::clicked, this, &QDialog::reject);
}

// The lists, the centring of the main window and its first atom. No setting
// changes before OK.
void TMCD::FormShow() {
    m_.ShCations = m_.ShowCations;
    LoadData();
    XCentButton->setText(m_.ShCations ? QStringLiteral(">> Anion centered")
                                      : QStringLiteral(">> Cation centered"));
    LoadComboBox();
    LoadGrid(1);
}

void TMCD::LoadData() {
    DialogMessages messages(seams_, this);
    kevo::LoadData(m_, messages);
}

int TMCD::Atoms() const {
    return std::clamp(m_.ShCations ? m_.AClength : m_.AAlength, 0, MaxAtoms);
}

void TMCD::LoadComboBox() {
    CAComboBox->clear();
    for (int i = 1; i <= Atoms(); ++i)
        CAComboBox->addItem(QString::fromStdString(MCField(MCListOf(m_, m_.ShCations, i)[0], 0)));
    CAComboBox->setCurrentIndex(Atoms() > 0 ? 0 : -1);
    UpdateButtons();
}

void TMCD::UpdateButtons() {
    const int index = CAComboBox->currentIndex();
    PrevButton->setEnabled(index > 0);
    NextButton->setEnabled(index >= 0 && index + 1 < Atoms());
}

void TMCD::LoadGrid(int b) {
    SGMC->clearContents();
    if (b < 1 || b > Atoms()) {
        SGMC->setRowCount(0);
        CNEdit->clear();
        return;
    }
    const MCList& list = MCListOf(m_, m_.ShCations, b);
    const int rows = MCRowCount(list);
    SGMC->setRowCount(rows);
    CNEdit->setText(QString::fromStdString(MCField(list[0], 2)));
    for (int r = 1; r <= rows; ++r) {
        const MCRow f = MCRowFields(list, r);
        const bool second = f[0] == "#";
        const bool out = f[4] == "N";
        for (int c = 0; c < Columns; ++c) {
            const std::string& text = f[static_cast<std::size_t>(c)];
            auto* item =
                new QTableWidgetItem(second && c == 0 ? QString() : QString::fromStdString(text));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            item->setTextAlignment(Qt::AlignCenter);
            if (out) item->setForeground(Silver);
            SGMC->setItem(r - 1, c, item);
        }
    }
}

void TMCD::CAComboBoxSelect(int index) {
    UpdateButtons();
    LoadGrid(index + 1);
}

void TMCD::Step(int delta) {
    const int index = CAComboBox->currentIndex() + delta;
    if (index < 0 || index >= Atoms()) return;
    CAComboBox->setCurrentIndex(index);
    UpdateButtons();
    LoadGrid(index + 1);
    if (SGMC->rowCount() > 0) SGMC->setCurrentCell(0, 0);
}

void TMCD::ResetButtonClick() {
    LoadData();
    CAComboBox->setCurrentIndex(Atoms() > 0 ? 0 : -1);
    UpdateButtons();
    LoadGrid(1);
}

void TMCD::XCentButtonClick() {
    m_.ShCations = !m_.ShCations;
    XCentButton->setText(m_.ShCations ? QStringLiteral(">> Anion centered")
                                      : QStringLiteral(">> Cation centered"));
    LoadComboBox();
    LoadGrid(1);
}

void TMCD::SGMCDblClick(int row) {
    const int b = CAComboBox->currentIndex() + 1;
    if (b < 1 || b > Atoms()) return;
    CutCoordination(MCListOf(m_, m_.ShCations, b), row);
    LoadGrid(b);
    if (row >= 1 && row <= SGMC->rowCount()) SGMC->setCurrentCell(row - 1, 0);
}

void TMCD::OkButton1Click() {
    ApplyManualCoordination(m_);
    done(ManualCoordinationOK);
}

} // namespace kevo
