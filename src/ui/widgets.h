// Controls of the windows: the file-name panel, the grid header, the atom
// grid and the radio group of the dialogs.
#pragma once

#include <array>
#include <vector>

#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QString>
#include <QStringList>
#include <QTableWidget>

class QButtonGroup;
class QCheckBox;
class QDialog;
class QGridLayout;
class QLabel;
class QPushButton;
class QRadioButton;

#include "model/cif_reader.h"

namespace kevo {

// Controls named as the program names them (their object names).
QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption);
QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& caption);
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text);

// A modal dialog of fixed purpose: its name, caption, the window font and a
// title bar with a close box only.
void SetUpDialog(QDialog* dialog, const char* name, const QString& caption);

// A white panel showing " " + path + " ": left-aligned when the text fits,
// right-aligned when it does not, so that the file name at the end of a long
// path stays visible.
class FileNamePanel : public QFrame {
    Q_OBJECT
  public:
    explicit FileNamePanel(QWidget* parent = nullptr);
    void SetPath(const QString& path);
    QString text() const { return text_; }
    Qt::Alignment alignment() const { return alignment_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void UpdateAlignment();
    QString text_;
    Qt::Alignment alignment_ = Qt::AlignLeft;
};

// The header row of the atom grid: the button face, the text centred 2
// pixels below the cell top in the window font.
class GridHeader : public QHeaderView {
    Q_OBJECT
  public:
    explicit GridHeader(QWidget* parent = nullptr);

  protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    QSize sizeHint() const override;
};

// Rows of the atom grid below its header row: as many as the staging table
// has rows (its header row included), or 200 for a table of fewer than 100
// rows, less the header row the grid keeps apart.
int AtomGridRowCount(int stagingRows);
// The grid before any file is read.
inline constexpr int StartUpGridRows = 300 - 1;

// The atom grid SG2: sites and symmetry images, whole-row selection,
// resizable columns; a double click restores the column widths.
class AtomGrid : public QTableWidget {
    Q_OBJECT
  public:
    static constexpr int Columns = 12;
    // Header texts and widths in pixels at the design font size.
    static const std::array<const char*, Columns> Headers;
    static const std::array<int, Columns> DesignWidths;

    explicit AtomGrid(QWidget* parent = nullptr);

    // Empties the grid and gives it rows empty rows.
    void Clear(int rows);
    // Shows the rows of the staging table (one per site or image) in a grid of
    // rows rows.
    void Fill(const std::vector<AtomGridRow>& sites, int rows);
    // The default width of every column: the design width, widened in
    // proportion when the grid font is larger than at design size and never
    // narrower than the header text.
    std::array<int, Columns> DefaultWidths() const;
    void RestoreColumnWidths();

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// A titled group of radio buttons, one item selected. ItemClicked reports a
// choice the user makes; SetItemIndex selects an item without reporting it,
// so that a dialog can show a setting without running the item's handler.
// Other controls may stand to the right of an item (AddBeside).
class RadioGroup : public QGroupBox {
    Q_OBJECT
  public:
    RadioGroup(const QString& title, const QStringList& items, QWidget* parent = nullptr);

    int ItemIndex() const;
    void SetItemIndex(int index);
    QRadioButton* Item(int index) const;
    int Count() const;
    // Puts widget in the row of item index, after what stands there already.
    void AddBeside(int index, QWidget* widget);

  signals:
    void ItemClicked(int index);

  private:
    static constexpr int kBesideColumns = 8;
    QButtonGroup* buttons_ = nullptr;
    QGridLayout* grid_ = nullptr;
};

} // namespace kevo
