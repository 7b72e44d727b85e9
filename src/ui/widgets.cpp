#include "ui/widgets.h"

#include <algorithm>
#include <cmath>

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>

#include "ui/fonts.h"

namespace kevo {

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& caption) {
    auto* c = new QCheckBox(caption, parent);
    c->setObjectName(QString::fromLatin1(name));
    return c;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

void SetUpDialog(QDialog* dialog, const char* name, const QString& caption) {
    dialog->setObjectName(QString::fromLatin1(name));
    dialog->setWindowTitle(caption);
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint);
    dialog->setModal(true);
    dialog->setFont(WindowFont());
}

// --- File-name panel -----------------------------------------------------------------

FileNamePanel::FileNamePanel(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    setForegroundRole(QPalette::Text);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void FileNamePanel::SetPath(const QString& path) {
    text_ = path.isEmpty() ? QString() : QStringLiteral(" ") + path + QStringLiteral(" ");
    setToolTip(path);
    UpdateAlignment();
    update();
}

QSize FileNamePanel::sizeHint() const {
    const QFontMetrics fm(font());
    return {457, fm.height() + 2 * frameWidth() + 8};
}

QSize FileNamePanel::minimumSizeHint() const {
    const QFontMetrics fm(font());
    return {120, fm.height() + 2 * frameWidth() + 8};
}

void FileNamePanel::UpdateAlignment() {
    alignment_ =
        GetTextWidth(text_, font()) < contentsRect().width() ? Qt::AlignLeft : Qt::AlignRight;
}

void FileNamePanel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    UpdateAlignment();
}

void FileNamePanel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter p(this);
    p.setClipRect(contentsRect());
    p.setPen(palette().color(QPalette::Text));
    p.drawText(contentsRect(), static_cast<int>(alignment_ | Qt::AlignVCenter), text_);
}

// --- Grid header ---------------------------------------------------------------------

GridHeader::GridHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setFont(WindowFont());
    setSectionsClickable(false);
    setHighlightSections(false);
}

QSize GridHeader::sizeHint() const {
    QSize s = QHeaderView::sizeHint();
    s.setHeight(std::max(20, QFontMetrics(font()).height() + 6));
    return s;
}

void GridHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    painter->save();
    painter->fillRect(rect, palette().color(QPalette::Button));
    painter->setPen(palette().color(QPalette::Mid));
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    painter->setPen(palette().color(QPalette::WindowText));
    painter->setFont(font());
    const QString text =
        model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
    painter->setClipRect(rect);
    painter->drawText(rect.adjusted(1, 2, -1, 0), Qt::AlignHCenter | Qt::AlignTop, text);
    painter->restore();
}

// --- Atom grid -----------------------------------------------------------------------

const std::array<const char*, AtomGrid::Columns> AtomGrid::Headers = {
    "No.", "Label", "Site population", "Oxidation nr.", "Multiplicity", "X", "Y", "Z", "Occupancy",
    "Ro",  "",      "Symbol"};
const std::array<int, AtomGrid::Columns> AtomGrid::DesignWidths = {35, 123, 160, 74, 70, 75,
                                                                   75, 75,  68,  1,  1,  1};

int AtomGridRowCount(int stagingRows) {
    return (stagingRows < 100 ? 200 : stagingRows) - 1;
}

AtomGrid::AtomGrid(QWidget* parent) : QTableWidget(parent) {
    setHorizontalHeader(new GridHeader(this));
    setFont(FixedFont(9));
    setColumnCount(Columns);
    QStringList headers;
    for (const char* h : Headers)
        headers << QString::fromUtf8(h);
    setHorizontalHeaderLabels(headers);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setMinimumSectionSize(1);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(std::max(20, QFontMetrics(font()).height() + 4));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWordWrap(false);
    setTabKeyNavigation(false);
    RestoreColumnWidths();
    Clear(StartUpGridRows);
    // A double click on the header row restores the widths as well (one on
    // a column border still fits that column to its contents).
    connect(horizontalHeader(), &QHeaderView::sectionDoubleClicked, this,
            [this] { RestoreColumnWidths(); });
}

void AtomGrid::Clear(int rows) {
    clearContents();
    setRowCount(rows);
}

void AtomGrid::Fill(const std::vector<AtomGridRow>& sites, int rows) {
    setUpdatesEnabled(false);
    clearContents();
    setRowCount(std::max(rows, static_cast<int>(sites.size())));
    for (int r = 0; r < static_cast<int>(sites.size()); ++r)
        for (int c = 0; c < static_cast<int>(sites[r].size()); ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(sites[r][c]));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            setItem(r, c, item);
        }
    setUpdatesEnabled(true);
}

std::array<int, AtomGrid::Columns> AtomGrid::DefaultWidths() const {
    // At design size a character of the grid font (Courier New 9 pt) is 7.2
    // pixels wide.
    const double scale =
        std::max(1.0, QFontMetricsF(font()).horizontalAdvance(QLatin1Char('0')) / 7.2);
    const QFontMetrics header(horizontalHeader()->font());
    std::array<int, Columns> widths{};
    for (int c = 0; c < Columns; ++c) {
        widths[c] = static_cast<int>(std::lround(DesignWidths[c] * scale));
        if (DesignWidths[c] > 1)
            widths[c] =
                std::max(widths[c], header.horizontalAdvance(QString::fromUtf8(Headers[c])) + 8);
    }
    return widths;
}

void AtomGrid::RestoreColumnWidths() {
    const auto widths = DefaultWidths();
    for (int c = 0; c < Columns; ++c)
        setColumnWidth(c, widths[c]);
}

void AtomGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableWidget::mouseDoubleClickEvent(event);
    RestoreColumnWidths();
}

// --- Radio group ---------------------------------------------------------------------

RadioGroup::RadioGroup(const QString& title, const QStringList& items, QWidget* parent)
    : QGroupBox(title, parent), buttons_(new QButtonGroup(this)), grid_(new QGridLayout(this)) {
    buttons_->setExclusive(true);
    grid_->setHorizontalSpacing(6);
    grid_->setVerticalSpacing(4);
    for (int i = 0; i < items.size(); ++i) {
        auto* item = new QRadioButton(items.at(i), this);
        buttons_->addButton(item, i);
        grid_->addWidget(item, i, 0);
    }
    // What stands beside the items keeps to their left.
    grid_->setColumnStretch(kBesideColumns + 1, 1);
    connect(buttons_, &QButtonGroup::idClicked, this, &RadioGroup::ItemClicked);
}

int RadioGroup::ItemIndex() const {
    return buttons_->checkedId();
}

void RadioGroup::SetItemIndex(int index) {
    if (QAbstractButton* item = buttons_->button(index)) item->setChecked(true);
}

QRadioButton* RadioGroup::Item(int index) const {
    return qobject_cast<QRadioButton*>(buttons_->button(index));
}

int RadioGroup::Count() const {
    return static_cast<int>(buttons_->buttons().size());
}

void RadioGroup::AddBeside(int index, QWidget* widget) {
    int column = 1;
    while (column <= kBesideColumns && grid_->itemAtPosition(index, column) != nullptr)
        ++column;
    grid_->addWidget(widget, index, column);
}

} // namespace kevo
