#include "ui/bonds_dialog.h"

#include <algorithm>
#include <optional>

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include "model/numbers.h"
#include "ui/fonts.h"
#include "ui/man_coord_dialog.h"
#include "ui/seams.h"
#include "ui/widgets.h"

namespace kevo {

namespace {

std::string Text(const QLineEdit* edit) {
    return edit->text().toStdString();
}

QString FromStd(const std::string& text) {
    return QString::fromStdString(text);
}

// A length cell shows a number with four decimals and any other text as it
// was typed.
class LengthDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QString displayText(const QVariant& value, const QLocale& locale) const override {
        const QString text = value.toString();
        if (const auto v = TryStrToFloat(text.toStdString())) return FromStd(FF("0.0000", *v));
        return QStyledItemDelegate::displayText(value, locale);
    }
};

QLineEdit* MakeEdit(QWidget* parent, const char* name, int characters = 7) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setAlignment(Qt::AlignRight);
    const QFontMetrics fm(e->font());
    e->setFixedWidth(fm.horizontalAdvance(QString(characters, QLatin1Char('0'))) + 14);
    return e;
}

QGroupBox* MakeGroup(QWidget* parent, const char* name, const QString& title) {
    auto* g = new QGroupBox(title, parent);
    g->setObjectName(QString::fromLatin1(name));
    return g;
}

// Disabled controls: grey text on the button face.
QPalette DialogPalette(QPalette p) {
    const QColor grey(0xC0, 0xC0, 0xC0);
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, grey);
    p.setColor(QPalette::Disabled, QPalette::Base, p.color(QPalette::Active, QPalette::Button));
    return p;
}

} // namespace

TBondsDialog::TBondsDialog(Model& m, WindowSeams& seams, QWidget* parent)
    : QDialog(parent), m_(m), seams_(seams) {
    SetUpDialog(this, "BondsDialog", QStringLiteral("Calculation settings"));
    setPalette(DialogPalette(palette()));
    BuildForm();
    FormShow();
}

// --- Building the form -------------------------------------------------------------

void TBondsDialog::BuildForm() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(10, 10, 10, 10);
    auto* columns = new QHBoxLayout;
    columns->setSpacing(10);
    columns->addWidget(BuildThresholds(), 1);
    auto* right = new QVBoxLayout;
    right->addWidget(BuildIteration());
    right->addWidget(BuildGeometry());
    right->addStretch(1);
    columns->addLayout(right);
    outer->addLayout(columns, 1);

    OKbutton = new QPushButton(QStringLiteral("OK"), this);
    OKbutton->setObjectName(QStringLiteral("OKbutton"));
    OKbutton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKbutton);
    buttons->addWidget(CancelButton);
    outer->addLayout(buttons);

    connect(OKbutton, &QPushButton::clicked, this, [this] { OKbuttonClick(); });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

QWidget* TBondsDialog::BuildThresholds() {
    auto* part = new QWidget(this);
    auto* column = new QVBoxLayout(part);
    column->setContentsMargins(0, 0, 0, 0);

    GlobalOptionsRG = new RadioGroup(QStringLiteral("  Use  "),
                                     {QStringLiteral("Global coordination thresholds"),
                                      QStringLiteral("Bond-type specific thresholds"),
                                      QStringLiteral("Polyhedron specific thresholds")},
                                     part);
    GlobalOptionsRG->setObjectName(QStringLiteral("GlobalOptionsRG"));
    column->addWidget(GlobalOptionsRG);

    auto* global = MakeGroup(part, "GlobalThresholdsGroup",
                             QStringLiteral(" Global coordination thresholds "));
    auto* radii = new QGridLayout(global);
    MaxCoordRadLabel =
        MakeLabel(global, "MaxCoordRadLabel", QStringLiteral("Maximum coordination radius"));
    MaxGlobalEdit = MakeEdit(global, "MaxGlobalEdit");
    HydrogenRadiusLabel =
        MakeLabel(global, "HydrogenRadiusLabel", QStringLiteral("Hydrogen coordination radius"));
    HydrogenRadiusEdit = MakeEdit(global, "HydrogenRadiusEdit");
    radii->addWidget(MaxCoordRadLabel, 0, 0);
    radii->addWidget(MaxGlobalEdit, 0, 1);
    radii->addWidget(MakeLabel(global, "MaxGlobalUnit", QStringLiteral("Å")), 0, 2);
    radii->addWidget(HydrogenRadiusLabel, 1, 0);
    radii->addWidget(HydrogenRadiusEdit, 1, 1);
    radii->addWidget(MakeLabel(global, "HydrogenRadiusUnit", QStringLiteral("Å")), 1, 2);
    radii->setColumnStretch(3, 1);
    column->addWidget(global);

    auto* bondTypes = MakeGroup(part, "BondTypesGroup",
                                QStringLiteral("  Bond-type specific coordination thresholds  "));
    auto* bondTypesLayout = new QVBoxLayout(bondTypes);
    BTGrid = new QTableWidget(bondTypes);
    BTGrid->setObjectName(QStringLiteral("BTGrid"));
    BTGrid->setHorizontalHeader(new GridHeader(BTGrid));
    BTGrid->setColumnCount(2);
    BTGrid->setHorizontalHeaderLabels(
        {QStringLiteral("Bond type"), QStringLiteral("Maximum bond length")});
    BTGrid->verticalHeader()->hide();
    BTGrid->verticalHeader()->setDefaultSectionSize(
        std::max(20, QFontMetrics(BTGrid->font()).height() + 6));
    BTGrid->setItemDelegateForColumn(1, new LengthDelegate(BTGrid));
    BTGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    BTGrid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    BTGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    BTGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    BTGrid->horizontalHeader()->setStretchLastSection(true);
    const QFontMetrics header(BTGrid->horizontalHeader()->font());
    BTGrid->setColumnWidth(0, std::max(110, header.horizontalAdvance(QStringLiteral("Bond type"))));
    BTGrid->setColumnWidth(
        1, std::max(130, header.horizontalAdvance(QStringLiteral("Maximum bond length")) + 16));
    BTGrid->setMinimumWidth(BTGrid->columnWidth(0) + BTGrid->columnWidth(1) +
                            BTGrid->verticalScrollBar()->sizeHint().width() + 4);
    BTGrid->setMinimumHeight(BTGrid->verticalHeader()->defaultSectionSize() * 8 + 30);
    bondTypesLayout->addWidget(BTGrid);
    column->addWidget(bondTypes, 1);

    NearestCheckBox = MakeCheckBox(
        part, "NearestCheckBox",
        QStringLiteral(" Limit coordination radius using distance to the nearest central atom"));
    ExcludeCheckBox = MakeCheckBox(
        part, "ExcludeCheckBox",
        QStringLiteral(" Exclude ligands with zero-weight bonds from coordination polyhedra"));
    column->addWidget(NearestCheckBox);
    column->addWidget(ExcludeCheckBox);

    connect(GlobalOptionsRG, &RadioGroup::ItemClicked, this,
            [this](int item) { GlobalOptionsRGClick(item); });
    connect(ExcludeCheckBox, &QCheckBox::clicked, this, [this] { ExcludeCheckBoxClick(); });
    return part;
}

QWidget* TBondsDialog::BuildIteration() {
    auto* part = new QWidget(this);
    auto* column = new QVBoxLayout(part);
    column->setContentsMargins(0, 0, 0, 0);
    IteratedKevoCheckBox = MakeCheckBox(part, "IteratedKevoCheckBox",
                                        QStringLiteral(" Use iterated weighted average distance"));
    VontarCheckBox =
        MakeCheckBox(part, "VontarCheckBox", QStringLiteral(" Use VONTAR2015 iteration method"));
    column->addWidget(IteratedKevoCheckBox);
    column->addWidget(VontarCheckBox);

    EndIterationRG = new RadioGroup(
        QStringLiteral(" Iteration convergence limit for heteroligand structures... "),
        {QString::fromUtf8("Maximum ΔDj difference between cycles"),
         QStringLiteral("MAPD improvement less than"), QStringLiteral("Force one iteration cycle")},
        part);
    EndIterationRG->setObjectName(QStringLiteral("EndIterationRG"));
    HeteroThresholdEdit = MakeEdit(EndIterationRG, "HeteroThresholdEdit");
    MAPDImprovEdit = MakeEdit(EndIterationRG, "MAPDImprovEdit");
    EndIterationRG->AddBeside(0, HeteroThresholdEdit);
    EndIterationRG->AddBeside(1, MAPDImprovEdit);
    EndIterationRG->AddBeside(1, MakeLabel(EndIterationRG, "MAPDImprovUnit", QStringLiteral("%")));
    column->addWidget(EndIterationRG);

    connect(EndIterationRG, &RadioGroup::ItemClicked, this, [this] { EndIterationRGClick(); });
    return part;
}

QWidget* TBondsDialog::BuildGeometry() {
    auto* part = new QWidget(this);
    auto* column = new QVBoxLayout(part);
    column->setContentsMargins(0, 0, 0, 0);

    auto* ideal = MakeGroup(part, "IdealPolyhedronGroup",
                            QStringLiteral(" Approximation of ideal polyhedron"));
    auto* idealLayout = new QGridLayout(ideal);
    MinDihEdit = MakeEdit(ideal, "MinDihEdit");
    MaxSplitDistEdit = MakeEdit(ideal, "MaxSplitDistEdit");
    idealLayout->addWidget(
        MakeLabel(
            ideal, "MinDihLabel",
            QStringLiteral("Minimum dihedral angle to merge adjacent faces into a \"flat\" face")),
        0, 0);
    idealLayout->addWidget(MinDihEdit, 0, 1);
    idealLayout->addWidget(MakeLabel(ideal, "MinDihUnit", QString::fromUtf8("°")), 0, 2);
    idealLayout->addWidget(
        MakeLabel(ideal, "MaxSplitDistLabel",
                  QStringLiteral("Maximum distance between atoms in split positions")),
        1, 0);
    idealLayout->addWidget(MaxSplitDistEdit, 1, 1);
    idealLayout->addWidget(MakeLabel(ideal, "MaxSplitDistUnit", QString::fromUtf8("Å")), 1, 2);
    idealLayout->setColumnStretch(0, 1);
    column->addWidget(ideal);

    auto* optional = MakeGroup(part, "OptionalGroup", QStringLiteral(" Optional calculations "));
    auto* optionalLayout = new QGridLayout(optional);
    BondAnglesCB = MakeCheckBox(optional, "BondAnglesCB", QStringLiteral("  Bond angles"));
    OpposingBondsCB = MakeCheckBox(optional, "OpposingBondsCB", QStringLiteral("  Opposing bonds"));
    Averages32CB = MakeCheckBox(optional, "Averages32CB", QStringLiteral("  '123/45' averages"));
    DihedralAnglesCB =
        MakeCheckBox(optional, "DihedralAnglesCB", QStringLiteral("  Dihedral angles"));
    InterligandDistancesCB =
        MakeCheckBox(optional, "InterligandDistancesCB", QStringLiteral("  Interligand distances"));
    DistanceCentralAtomsCB = MakeCheckBox(optional, "DistanceCentralAtomsCB",
                                          QStringLiteral("  Distance to nearest central atoms"));
    optionalLayout->addWidget(BondAnglesCB, 0, 0);
    optionalLayout->addWidget(DihedralAnglesCB, 1, 0);
    optionalLayout->addWidget(InterligandDistancesCB, 2, 0);
    optionalLayout->addWidget(OpposingBondsCB, 0, 1);
    optionalLayout->addWidget(Averages32CB, 1, 1);
    optionalLayout->addWidget(DistanceCentralAtomsCB, 2, 1);
    column->addWidget(optional);

    auto* opposing = MakeGroup(part, "OpposingBondsGroup", QStringLiteral("Opposing bonds"));
    auto* opposingLayout = new QVBoxLayout(opposing);
    OB67CheckBox =
        MakeCheckBox(opposing, "OB67CheckBox", QStringLiteral("  Calculate for CN=6 or 7 only"));
    opposingLayout->addWidget(OB67CheckBox);
    ZoneRadioGroup = new RadioGroup(
        QStringLiteral("'Plane' zone axis"),
        {QStringLiteral("   Auto detect"), QStringLiteral("   Specify zone axis")}, opposing);
    ZoneRadioGroup->setObjectName(QStringLiteral("ZoneRadioGroup"));
    static const char* const kZoneEdits[3] = {"ZoneuEdit", "ZonevEdit", "ZoneWEdit"};
    static const char* const kZoneLabels[3] = {"ZoneuLabel", "ZonevLabel", "ZonewLabel"};
    static const char* const kAxes[3] = {"u", "v", "w"};
    for (int i = 0; i < 3; ++i) {
        ZoneLabels[i] = MakeLabel(ZoneRadioGroup, kZoneLabels[i], QString::fromLatin1(kAxes[i]));
        ZoneEdits[i] = MakeEdit(ZoneRadioGroup, kZoneEdits[i], 3);
        ZoneRadioGroup->AddBeside(1, ZoneLabels[i]);
        ZoneRadioGroup->AddBeside(1, ZoneEdits[i]);
    }
    opposingLayout->addWidget(ZoneRadioGroup);
    UnprocMemo = new QPlainTextEdit(opposing);
    UnprocMemo->setObjectName(QStringLiteral("UnprocMemo"));
    UnprocMemo->setReadOnly(true);
    UnprocMemo->setMaximumHeight(QFontMetrics(UnprocMemo->font()).height() * 4 + 10);
    opposingLayout->addWidget(UnprocMemo);
    column->addWidget(opposing);

    connect(OpposingBondsCB, &QCheckBox::clicked, this, [this] { OpposingBondsCBClick(); });
    connect(ZoneRadioGroup, &RadioGroup::ItemClicked, this, [this] { ZoneRadioGroupClick(); });
    return part;
}

// --- Showing the settings ------------------------------------------------------------

void TBondsDialog::FormShow() {
    const Model& m = m_;
    MaxGlobalEdit->setText(FromStd(FF("0.0", m.MaxR)));
    HydrogenRadiusEdit->setText(FromStd(FF("0.0", m.MaxH)));
    MinDihEdit->setText(FromStd(FF("0.0", m.MinDih)));
    MaxSplitDistEdit->setText(FromStd(FF("0.0", m.MaxSDist)));
    HeteroThresholdEdit->setText(FromStd(FF("0.000", m.Threshold)));
    MAPDImprovEdit->setText(FromStd(FF("0.0", m.MAPDImprovement)));

    // Every bond type of the structure, however many.
    const int types = std::clamp(m.BondTypesNr, 0, MaxBondTypes);
    BTGrid->setRowCount(types);
    for (int i = 1; i <= types; ++i) {
        auto* name = new QTableWidgetItem(FromStd(BondTypeCaption(m, i)));
        name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        name->setTextAlignment(Qt::AlignCenter);
        const std::string& stored = m.MaxBondLengths[i][3];
        const auto value = TryStrToFloat(stored);
        auto* length = new QTableWidgetItem(FromStd(value ? FF("0.0000", *value) : stored));
        length->setTextAlignment(Qt::AlignCenter);
        BTGrid->setItem(i - 1, 0, name);
        BTGrid->setItem(i - 1, 1, length);
    }

    OKbutton->setFocus();
    NearestCheckBox->setChecked(m.NearestLimit);
    ExcludeCheckBox->setChecked(m.ExZeroW);
    IteratedKevoCheckBox->setChecked(!m.NonIt);
    VontarCheckBox->setChecked(m.VontarIT);
    BondAnglesCB->setChecked(m.CalcBonDAngles);
    OpposingBondsCB->setChecked(m.CalcOppBonds);
    Averages32CB->setChecked(m.Calc32Averages);
    DihedralAnglesCB->setChecked(m.CalcDihAngles);
    InterligandDistancesCB->setChecked(m.CalcIntLigands);
    DistanceCentralAtomsCB->setChecked(m.CalcDistCentAtom);
    OB67CheckBox->setChecked(m.OB67);

    // The zone axis in force is shown whether or not opposing bonds are
    // calculated, so that confirming the dialog keeps it.
    ZoneRadioGroup->SetItemIndex(m.AutoZone ? 0 : 1);
    if (!m.AutoZone) FillZoneEdits();
    OB67CheckBox->setEnabled(m.CalcOppBonds);
    ZoneRadioGroup->setEnabled(m.CalcOppBonds);
    SetZoneEditsEnabled(m.CalcOppBonds && !m.AutoZone);

    UnprocMemo->setPlainText(QStringLiteral("Unprocessed opposing bonds:\n") + FromStd(m.ErrOB));
    UnprocMemo->setVisible(!m.ErrOB.empty() && m.CalcOppBonds);

    // The threshold mode in force is shown; its handler does not run (for
    // the polyhedron-specific mode it would open the manual coordination
    // dialog).
    thresItem_ = std::clamp(m.ThresOption, 0, 2);
    GlobalOptionsRG->SetItemIndex(thresItem_);
    if (m.ExZeroW) {
        BTGrid->setEnabled(false);
        MaxGlobalEdit->setEnabled(false);
        HydrogenRadiusEdit->setEnabled(false);
        GlobalOptionsRG->setEnabled(false);
    } else {
        ShowThresholdItem(thresItem_);
        if (thresItem_ == 0) {
            HydrogenRadiusEdit->setEnabled(m.IsHydrogen);
            m_.BondSpLimits = false;
        }
    }

    EndIterationRG->SetItemIndex(std::clamp(m.EndItOption, 0, 2));
    EndIterationRGClick();
}

// The controls of a threshold item: the global radii for item 0, the
// bond-type grid for item 1, neither for item 2.
void TBondsDialog::ShowThresholdItem(int item) {
    BTGrid->setEnabled(item == 1);
    MaxGlobalEdit->setEnabled(item == 0);
    HydrogenRadiusEdit->setEnabled(item == 0);
}

void TBondsDialog::SetZoneEditsEnabled(bool enabled) {
    for (int i = 0; i < 3; ++i) {
        ZoneEdits[i]->setEnabled(enabled);
        ZoneLabels[i]->setEnabled(enabled);
    }
}

void TBondsDialog::FillZoneEdits() {
    for (int i = 0; i < 3; ++i)
        ZoneEdits[i]->setText(QString::number(m_.CustomZone[i + 1]));
}

// --- Handlers -------------------------------------------------------------------------

void TBondsDialog::GlobalOptionsRGClick(int item) {
    if (item == 0) {
        ShowThresholdItem(0);
        m_.BondSpLimits = false;
    } else if (item == 1) {
        ShowThresholdItem(1);
        m_.BondSpLimits = true;
        if (m_.FirstBondSpecific) LoadDefaultLengths();
    } else {
        // The manual radii start from the maximum radius typed; an entry the
        // OK button would refuse is refused here too, and nothing changes.
        const auto radius = TryStrToFloat(Text(MaxGlobalEdit));
        if (!radius || *radius > 5.0) {
            ShowMessage(radius ? "Maximum coordination radius too high."
                               : "Invalid Maximum coordination radius.");
            GlobalOptionsRG->SetItemIndex(thresItem_);
            return;
        }
        m_.MaxR = *radius;
        const bool grid = BTGrid->isEnabled();
        const bool global = MaxGlobalEdit->isEnabled();
        const bool hydrogen = HydrogenRadiusEdit->isEnabled();
        ShowThresholdItem(2);
        if (seams_.RunManualCoordinationDialog(this, m_) == ManualCoordinationOK) {
            NearestCheckBox->setChecked(false);
            ExcludeCheckBox->setChecked(false);
            m_.ExZeroW = false;
            BTGrid->setEnabled(false);
        } else {
            // Without radii the per-atom mode cannot be used: the item in
            // force before stays.
            GlobalOptionsRG->SetItemIndex(thresItem_);
            BTGrid->setEnabled(grid);
            MaxGlobalEdit->setEnabled(global);
            HydrogenRadiusEdit->setEnabled(hydrogen);
            return;
        }
    }
    thresItem_ = item;
}

void TBondsDialog::LoadDefaultLengths() {
    if (VestaMemo.empty()) {
        if (auto table = ReadDefaultBondLengths(seams_.DefaultBondLengthsPath()))
            VestaMemo = std::move(*table);
    }
    m_.FirstBondSpecific = false;
    if (VestaMemo.empty()) {
        ShowMessage(std::string(DefaultBondLengthsMissingMessage));
        return;
    }
    for (int i : LoadDefaultBondLengths(m_, VestaMemo))
        if (QTableWidgetItem* cell = BTGrid->item(i - 1, 1))
            cell->setText(FromStd(m_.MaxBondLengths[i][3]));
}

void TBondsDialog::ExcludeCheckBoxClick() {
    if (ExcludeCheckBox->isChecked()) {
        BTGrid->setEnabled(false);
        MaxGlobalEdit->setEnabled(false);
        HydrogenRadiusEdit->setEnabled(false);
        GlobalOptionsRG->setEnabled(false);
        return;
    }
    GlobalOptionsRG->setEnabled(true);
    NearestCheckBox->setEnabled(true);
    const bool global = GlobalOptionsRG->ItemIndex() == 0;
    MaxGlobalEdit->setEnabled(global);
    HydrogenRadiusEdit->setEnabled(global);
    BTGrid->setEnabled(!global);
}

void TBondsDialog::EndIterationRGClick() {
    const int item = EndIterationRG->ItemIndex();
    HeteroThresholdEdit->setEnabled(item == 0);
    MAPDImprovEdit->setEnabled(item == 1);
}

void TBondsDialog::OpposingBondsCBClick() {
    const bool on = OpposingBondsCB->isChecked();
    OB67CheckBox->setEnabled(on);
    ZoneRadioGroup->setEnabled(on);
    SetZoneEditsEnabled(on && ZoneRadioGroup->ItemIndex() == 1);
}

void TBondsDialog::ZoneRadioGroupClick() {
    const bool custom = ZoneRadioGroup->ItemIndex() == 1;
    SetZoneEditsEnabled(custom);
    if (custom) FillZoneEdits();
}

// --- OK -------------------------------------------------------------------------------

std::string TBondsDialog::FirstRefusal() const {
    const auto maxR = TryStrToFloat(Text(MaxGlobalEdit));
    if (!maxR) return "Invalid Maximum coordination radius.";
    if (*maxR > 5.0) return "Maximum coordination radius too high.";
    if (!TryStrToFloat(Text(HydrogenRadiusEdit))) return "Invalid Hydrogen Coordination Radius";
    for (int row = 0; row < BTGrid->rowCount(); ++row) {
        const QTableWidgetItem* length = BTGrid->item(row, 1);
        if (!length || !TryStrToFloat(length->text().toStdString())) {
            const QTableWidgetItem* name = BTGrid->item(row, 0);
            return "Invalid " + (name ? name->text().toStdString() : std::string()) +
                   " bond length.";
        }
    }
    const auto minDih = TryStrToFloat(Text(MinDihEdit));
    if (!minDih) return "Invalid minimum dihedral angle.";
    if (*minDih < 150 || *minDih > 180) return "Invalid minimum dihedral angle (150-180°)";
    const auto split = TryStrToFloat(Text(MaxSplitDistEdit));
    if (!split) return "Invalid maximum distance for split positions.";
    if (*split < 0.2 || *split > 1.5)
        return "Invalid maximum distance for split positions (0.2-1.5)";
    if (HeteroThresholdEdit->isEnabled() && !TryStrToFloat(Text(HeteroThresholdEdit)))
        return "Invalid maximum ΔDj difference";
    if (MAPDImprovEdit->isEnabled() && !TryStrToFloat(Text(MAPDImprovEdit)))
        return "Invalid MAPD improvement value";
    if (ZoneRadioGroup->ItemIndex() == 1)
        for (const QLineEdit* e : ZoneEdits)
            if (!TryStrToInt(Text(e))) return "Invalid custom zone axis";
    return {};
}

void TBondsDialog::Commit() {
    Model& m = m_;
    const int item = GlobalOptionsRG->ItemIndex();
    m.ThresOption = item;
    m.MaxR = xStrToFloat(Text(MaxGlobalEdit));
    m.MaxH = xStrToFloat(Text(HydrogenRadiusEdit));
    if (item == 1 || item == 2)
        for (int i = 1; i <= BTGrid->rowCount(); ++i)
            m.MaxBondLengths[i][3] =
                FF("0.0000", xStrToFloat(BTGrid->item(i - 1, 1)->text().toStdString()));

    m.EndItOption = EndIterationRG->ItemIndex();
    if (m.EndItOption == 0) m.Threshold = xStrToFloat(Text(HeteroThresholdEdit));
    if (m.EndItOption == 1) m.MAPDImprovement = xStrToFloat(Text(MAPDImprovEdit));
    m.OneStepIT = m.EndItOption == 2;

    m.MinDih = xStrToFloat(Text(MinDihEdit));
    m.MaxSDist = xStrToFloat(Text(MaxSplitDistEdit));

    m.NearestLimit = NearestCheckBox->isChecked();
    m.ExZeroW = ExcludeCheckBox->isChecked();
    m.NonIt = !IteratedKevoCheckBox->isChecked();
    m.VontarIT = VontarCheckBox->isChecked();
    m.CalcBonDAngles = BondAnglesCB->isChecked();
    m.CalcOppBonds = OpposingBondsCB->isChecked();
    m.CalcDihAngles = DihedralAnglesCB->isChecked();
    m.CalcIntLigands = InterligandDistancesCB->isChecked();
    m.CalcDistCentAtom = DistanceCentralAtomsCB->isChecked();
    m.Calc32Averages = Averages32CB->isChecked();
    m.OB67 = OB67CheckBox->isChecked();

    m.AutoZone = ZoneRadioGroup->ItemIndex() == 0;
    if (!m.AutoZone)
        for (int i = 0; i < 3; ++i)
            m.CustomZone[i + 1] = *TryStrToInt(Text(ZoneEdits[i]));
}

void TBondsDialog::OKbuttonClick() {
    if (const std::string refusal = FirstRefusal(); !refusal.empty()) {
        ShowMessage(refusal);
        return;
    }
    Commit();
    done(BondsDialogOK);
}

void TBondsDialog::ShowMessage(const std::string& text) {
    seams_.ShowMessage(this, FromStd(text));
}

} // namespace kevo
