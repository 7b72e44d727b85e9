// The fonts of the windows. The window font is Tahoma 8 pt and the fixed
// layouts use Courier New; where those are not installed the closest free
// fonts stand in (Liberation Mono has the metrics of Courier New).
#pragma once

#include <QFont>
#include <QString>

namespace kevo {

// Tahoma, else Liberation Sans, else DejaVu Sans, in points.
QFont WindowFont(int points = 8);
// The same families at a pixel size (the about box sets its lines in pixels).
QFont WindowFontPixels(int pixels);
// Courier New, else Liberation Mono, else DejaVu Sans Mono, else the
// system's fixed font: always a fixed-pitch font, so that the columns of the
// reports and the atom grid line up.
QFont FixedFont(int points);

// Width in pixels of text set in font.
int GetTextWidth(const QString& text, const QFont& font);

} // namespace kevo
