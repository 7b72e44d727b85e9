#include "ui/about_dialog.h"

#include <algorithm>
#include <array>
#include <cmath>

#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QRadialGradient>
#include <QVBoxLayout>

#include "reports/results.h"
#include "ui/fonts.h"

namespace kevo {

namespace {

struct Point3 {
    double x, y, z;
};

// The six vertices of a regular octahedron, turned so that it is seen
// slightly from above and from the side.
std::array<Point3, 6> OctahedronVertices() {
    std::array<Point3, 6> v{{{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}}};
    const double a = 0.55; // about the vertical axis
    const double b = 0.38; // then about the horizontal axis
    for (Point3& p : v) {
        const double x = p.x * std::cos(a) + p.z * std::sin(a);
        const double z = -p.x * std::sin(a) + p.z * std::cos(a);
        const double y = p.y * std::cos(b) - z * std::sin(b);
        p = {x, y, p.y * std::sin(b) + z * std::cos(b)};
    }
    return v;
}

void Sphere(QPainter& p, QPointF centre, double radius, QColor colour) {
    QRadialGradient g(centre + QPointF(-radius * 0.35, -radius * 0.35), radius * 1.3);
    g.setColorAt(0, colour.lighter(190));
    g.setColorAt(0.45, colour);
    g.setColorAt(1, colour.darker(230));
    p.setPen(QPen(colour.darker(260), std::max(0.5, radius * 0.04)));
    p.setBrush(g);
    p.drawEllipse(centre, radius, radius);
}

} // namespace

void PaintPolyhedron(QPainter& p, const QRectF& area) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const std::array<Point3, 6> v = OctahedronVertices();
    const double scale = std::min(area.width(), area.height()) * 0.36;
    const QPointF centre = area.center();
    auto at = [&](const Point3& q) { return centre + QPointF(q.x * scale, -q.y * scale); };

    // The eight faces: one vertex from each axis pair.
    struct Face {
        std::array<int, 3> corner;
        double depth;
        bool front;
    };
    std::array<Face, 8> faces{};
    int n = 0;
    for (int i : {0, 1})
        for (int j : {2, 3})
            for (int k : {4, 5}) {
                const Point3 &A = v[i], &B = v[j], &C = v[k];
                // The face normal, turned outward (away from the centre);
                // the face looks at the viewer when it points towards +z.
                const Point3 u{B.x - A.x, B.y - A.y, B.z - A.z};
                const Point3 w{C.x - A.x, C.y - A.y, C.z - A.z};
                const Point3 normal{u.y * w.z - u.z * w.y, u.z * w.x - u.x * w.z,
                                    u.x * w.y - u.y * w.x};
                const double outward = normal.x * (A.x + B.x + C.x) + normal.y * (A.y + B.y + C.y) +
                                       normal.z * (A.z + B.z + C.z);
                const double towardsViewer = outward > 0 ? normal.z : -normal.z;
                faces[n++] = {{i, j, k}, A.z + B.z + C.z, towardsViewer > 0};
            }
    std::sort(faces.begin(), faces.end(),
              [](const Face& a, const Face& b) { return a.depth < b.depth; });

    auto drawFaces = [&](bool front) {
        for (const Face& f : faces) {
            if (f.front != front) continue;
            QPainterPath path(at(v[f.corner[0]]));
            path.lineTo(at(v[f.corner[1]]));
            path.lineTo(at(v[f.corner[2]]));
            path.closeSubpath();
            const double light = 0.5 + 0.5 * std::clamp(f.depth / 1.8, -1.0, 1.0);
            QColor fill = QColor::fromRgbF(0.30 + 0.25 * light, 0.55 + 0.2 * light, 0.85, 1.0);
            fill.setAlphaF(front ? 0.38 : 0.22);
            p.setBrush(fill);
            p.setPen(QPen(QColor(30, 60, 120, front ? 220 : 120), std::max(1.0, scale * 0.012)));
            p.drawPath(path);
        }
    };

    drawFaces(false);
    // Bonds and atoms from the back to the front.
    std::array<int, 6> order{0, 1, 2, 3, 4, 5};
    std::sort(order.begin(), order.end(), [&](int a, int b) { return v[a].z < v[b].z; });
    const QColor anion(200, 40, 35);
    const QColor cation(70, 110, 190);
    bool centreDrawn = false;
    for (int i : order) {
        if (!centreDrawn && v[i].z > 0) {
            Sphere(p, centre, scale * 0.22, cation);
            centreDrawn = true;
        }
        p.setPen(
            QPen(QColor(90, 90, 90), std::max(1.5, scale * 0.05), Qt::SolidLine, Qt::RoundCap));
        p.drawLine(centre, at(v[i]));
        Sphere(p, at(v[i]), scale * (0.16 + 0.02 * v[i].z), anion);
    }
    if (!centreDrawn) Sphere(p, centre, scale * 0.22, cation);
    drawFaces(true);
    p.restore();
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        // The picture fills 72 % of the smaller side; the icon wants it bigger.
        const double grow = 1.3;
        const QRectF area(-(grow - 1) * size / 2, -(grow - 1) * size / 2, size * grow, size * grow);
        PaintPolyhedron(p, area);
        icon.addPixmap(pixmap);
    }
    return icon;
}

PolyhedronPicture::PolyhedronPicture(QWidget* parent) : QWidget(parent) {
    setFixedSize(320, 245);
}

void PolyhedronPicture::paintEvent(QPaintEvent* /*event*/) {
    QPainter p(this);
    QLinearGradient sky(0, 0, 0, height());
    sky.setColorAt(0, QColor(248, 250, 255));
    sky.setColorAt(1, QColor(214, 226, 242));
    p.fillRect(rect(), sky);
    PaintPolyhedron(p, QRectF(rect()));
}

TAboutDialog::TAboutDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutDialog"));
    setWindowTitle(QStringLiteral("About"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(false);
    setFont(WindowFont());
    setFixedSize(448, 534);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(2);
    auto* picture = new PolyhedronPicture(this);
    picture->setObjectName(QStringLiteral("Picture"));
    layout->addWidget(picture, 0, Qt::AlignHCenter);
    layout->addSpacing(14);

    auto line = [&](const QString& text, int pixels) {
        auto* label = new QLabel(text, this);
        label->setFont(WindowFontPixels(pixels));
        label->setAlignment(Qt::AlignHCenter);
        layout->addWidget(label);
    };
    line(QStringLiteral("Program for calculating"), 16);
    line(QStringLiteral("charge distributions and bond valence sums"), 16);
    line(QStringLiteral("in crystal structures"), 16);
    layout->addSpacing(12);
    line(QStringLiteral("version 1.8"), 13);
    line(QString::fromUtf8(AuthorLine.data(), static_cast<int>(AuthorLine.size())), 13);
    line(QString::fromUtf8(AffiliationLine.data(), static_cast<int>(AffiliationLine.size())), 13);
    line(QStringLiteral("July 2022"), 13);
    layout->addStretch(1);

    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(ok);
    row->addStretch(1);
    layout->addLayout(row);
}

} // namespace kevo
