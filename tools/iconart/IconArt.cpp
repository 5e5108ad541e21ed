#include "tools/iconart/IconArt.h"

#include <QDir>
#include <QPainter>
#include <QPainterPath>

namespace {

// The skin's palette: a deep indigo ink, the lavender frame, a warm cut mark.
const QColor kInk(74, 62, 176);
const QColor kFrame(166, 152, 243);
const QColor kPaper(252, 252, 255);
const QColor kText(150, 156, 186);
const QColor kCut(240, 120, 40);

// One sheet of the cut page: paper with a border, and text lines clipped to it.
void DrawSheet(QPainter& p, const QRectF& r, bool withHeader, int lines) {
    QPainterPath sheet;
    sheet.addRoundedRect(r, 10, 10);
    p.fillPath(sheet, kPaper);
    p.save();
    p.setClipPath(sheet);
    qreal y = r.top() + 18;
    if (withHeader) {
        p.fillRect(QRectF(r.left(), r.top(), r.width(), 34), kInk);
        p.fillRect(QRectF(r.left() + 14, r.top() + 11, r.width() - 28, 12), kFrame);
        y = r.top() + 50;
    }
    for (int i = 0; i < lines; ++i, y += 22)
        p.fillRect(QRectF(r.left() + 18, y, (i % 3 == 2 ? 0.6 : 1.0) * (r.width() - 36), 10),
                   kText);
    p.restore();
    p.setPen(QPen(kInk, 8));
    p.drawPath(sheet);
}

} // namespace

namespace IconArt {

QVector<int> ThemeSizes() {
    return {16, 22, 24, 32, 48, 64, 128, 256};
}

QImage Draw(int size) {
    QImage canvas(size, size, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0); // drawn in a 256-unit square
    // The page's lower part slides right, as a cut sheet would.
    DrawSheet(p, QRectF(28, 12, 164, 126), true, 4);
    DrawSheet(p, QRectF(64, 150, 164, 94), false, 3);
    QPen cut(kCut, 12, Qt::DashLine, Qt::FlatCap);
    p.setPen(cut);
    p.drawLine(QPointF(8, 144), QPointF(248, 144));
    return canvas;
}

bool WriteTheme(const QString& outDir, const QString& name, QString* error) {
    for (int size : ThemeSizes()) {
        const QString dir = QStringLiteral("%1/hicolor/%2x%2/apps").arg(outDir).arg(size);
        const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!QDir().mkpath(dir) || !Draw(size).save(path, "PNG")) {
            *error = QStringLiteral("cannot write ") + path;
            return false;
        }
    }
    return true;
}

} // namespace IconArt
