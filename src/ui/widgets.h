// The main window's own controls: the file-name panel and the atom grid.
#pragma once

#include <array>
#include <vector>

#include <QFrame>
#include <QHeaderView>
#include <QString>
#include <QTableWidget>

#include "model/cif_reader.h"

namespace kevo {

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

} // namespace kevo
