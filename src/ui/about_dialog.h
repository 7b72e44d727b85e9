// The about box: a picture of a coordination polyhedron the program draws
// itself, what the program does, its version and date. Not modal; the main
// window keeps one instance and shows it again on every request.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QWidget>

class QPainter;
class QRectF;

namespace kevo {

// Draws an octahedron of six anions around a cation into area.
void PaintPolyhedron(QPainter& painter, const QRectF& area);
// The program's icon, drawn with PaintPolyhedron.
QIcon ProgramIcon();

class PolyhedronPicture : public QWidget {
    Q_OBJECT
  public:
    explicit PolyhedronPicture(QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

class TAboutDialog : public QDialog {
    Q_OBJECT
  public:
    explicit TAboutDialog(QWidget* parent = nullptr);
};

} // namespace kevo
