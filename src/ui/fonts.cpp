#include "ui/fonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QStringList>

namespace kevo {

namespace {

const QStringList kWindowFamilies{"Tahoma", "Liberation Sans", "DejaVu Sans"};
const QStringList kFixedFamilies{"Courier New", "Liberation Mono", "DejaVu Sans Mono"};

QFont WindowFamilies() {
    QFont f;
    f.setFamilies(kWindowFamilies);
    f.setStyleHint(QFont::SansSerif);
    return f;
}

} // namespace

QFont WindowFont(int points) {
    QFont f = WindowFamilies();
    f.setPointSize(points);
    return f;
}

QFont WindowFontPixels(int pixels) {
    QFont f = WindowFamilies();
    f.setPixelSize(pixels);
    return f;
}

QFont FixedFont(int points) {
    QFont f;
    f.setFamilies(kFixedFamilies);
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setPointSize(points);
    if (QFontInfo(f).fixedPitch()) return f;
    QFont system = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    system.setPointSize(points);
    return system;
}

int GetTextWidth(const QString& text, const QFont& font) {
    return QFontMetrics(font).horizontalAdvance(text);
}

} // namespace kevo
