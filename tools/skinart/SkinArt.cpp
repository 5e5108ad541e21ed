#include "tools/skinart/SkinArt.h"

#include <QDir>
#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <functional>

namespace {

// The theme's palette: lavender frame, pale blue body, a blue accent and a deep indigo ink.
const QColor kFrame(166, 152, 243);
const QColor kBody(232, 236, 255);
const QColor kInk(74, 62, 176);
const QColor kToolbarMatte(246, 244, 236);
const QColor kRedKey(255, 0, 0);
const QColor kGreenKey(0, 255, 0);
const QColor kWhiteKey(255, 255, 255);

using DrawFn = std::function<void(QPainter&)>;

// Draws with antialiasing onto a transparent canvas of w x h pixels.
QImage Render(int w, int h, const DrawFn& draw) {
    QImage canvas(w, h, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    return canvas;
}

// Makes the canvas opaque: nearly transparent pixels become the exact key colour, the rest is
// blended onto the matte, so edges fade into the background the picture is drawn on and no
// blend of the key is ever written. A drawn pixel that happens to equal the key is nudged.
QImage Flatten(const QImage& canvas, const QColor& matte, const QColor& key) {
    const QImage src = canvas.convertToFormat(QImage::Format_ARGB32);
    QImage out(src.size(), QImage::Format_RGB32);
    const QRgb keyRgb = key.rgb();
    for (int y = 0; y < src.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < src.width(); ++x) {
            const int a = qAlpha(in[x]);
            if (a < 40) {
                line[x] = keyRgb;
                continue;
            }
            const auto mix = [a](int c, int m) { return (c * a + m * (255 - a) + 127) / 255; };
            QRgb rgb = qRgb(mix(qRed(in[x]), matte.red()), mix(qGreen(in[x]), matte.green()),
                            mix(qBlue(in[x]), matte.blue()));
            if ((rgb & 0xFFFFFF) == (keyRgb & 0xFFFFFF))
                rgb = qRgb(qRed(rgb) ^ 1, qGreen(rgb) ^ 1, qBlue(rgb));
            line[x] = rgb;
        }
    }
    return out;
}

// An exact 8-bit palette image of an RGB32 picture. Pictures with more than 256 colours lose
// low bits until they fit; the key colour always keeps its exact entry.
QImage ToIndexed8(const QImage& rgb, const QColor& key) {
    for (int dropBits = 0; dropBits < 8; ++dropBits) {
        const QRgb mask =
            qRgb(0xFF << dropBits & 0xFF, 0xFF << dropBits & 0xFF, 0xFF << dropBits & 0xFF);
        QHash<QRgb, int> index;
        QVector<QRgb> table;
        QImage out(rgb.size(), QImage::Format_Indexed8);
        bool fits = true;
        for (int y = 0; y < rgb.height() && fits; ++y) {
            const auto* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
            for (int x = 0; x < rgb.width(); ++x) {
                const QRgb c = (in[x] | 0xFF000000) == key.rgb() ? key.rgb() : (in[x] & mask);
                auto it = index.constFind(c);
                if (it == index.constEnd()) {
                    if (table.size() == 256) {
                        fits = false;
                        break;
                    }
                    it = index.insert(c, int(table.size()));
                    table.append(c | 0xFF000000);
                }
                out.scanLine(y)[x] = uchar(it.value());
            }
        }
        if (fits) {
            out.setColorTable(table);
            return out;
        }
    }
    return rgb.convertToFormat(QImage::Format_Indexed8);
}

QLinearGradient Vertical(qreal top, qreal bottom, const QColor& a, const QColor& b) {
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, a);
    g.setColorAt(1, b);
    return g;
}

QPen Stroke(const QColor& c, qreal width) {
    return QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A soft white sheen over the upper part of a shape, the same on every glossy picture.
void Sheen(QPainter& p, const QPainterPath& shape, qreal top, qreal height) {
    p.save();
    p.setClipPath(shape);
    p.setPen(Qt::NoPen);
    p.setBrush(Vertical(top, top + height, QColor(255, 255, 255, 120), QColor(255, 255, 255, 0)));
    p.drawRect(QRectF(0, top, 64, height));
    p.restore();
}

// ---- caption buttons (18 x 18, red key) ----

enum class Caption { Minimize, Maximize, Close, Restore };

void CaptionGlyph(QPainter& p, Caption kind, const QColor& ink, const QColor& face) {
    p.setBrush(Qt::NoBrush);
    switch (kind) {
    case Caption::Minimize:
        p.setPen(Stroke(ink, 2.0));
        p.drawLine(QPointF(5.5, 12), QPointF(12.5, 12));
        break;
    case Caption::Maximize:
        p.setPen(Stroke(ink, 1.3));
        p.drawRect(QRectF(5, 5, 8, 8));
        p.setPen(Stroke(ink, 2.0));
        p.drawLine(QPointF(5, 5.5), QPointF(13, 5.5));
        break;
    case Caption::Close:
        p.setPen(Stroke(ink, 2.0));
        p.drawLine(QPointF(5.5, 5.5), QPointF(12.5, 12.5));
        p.drawLine(QPointF(12.5, 5.5), QPointF(5.5, 12.5));
        break;
    case Caption::Restore:
        p.setPen(Stroke(ink, 1.2));
        p.drawRect(QRectF(7.5, 4.5, 6, 6));
        p.setBrush(face);
        p.drawRect(QRectF(4.5, 7.5, 6, 6));
        p.setPen(Stroke(ink, 1.8));
        p.drawLine(QPointF(4.5, 8), QPointF(10.5, 8));
        break;
    }
}

QImage CaptionButton(Caption kind, bool down) {
    const bool close = kind == Caption::Close;
    QColor top = close ? QColor(255, 196, 206) : QColor(240, 238, 255);
    QColor bottom = close ? QColor(232, 110, 132) : QColor(192, 182, 250);
    QColor border = close ? QColor(176, 58, 86) : QColor(112, 96, 214);
    QColor ink = close ? QColor(255, 255, 255) : kInk;
    if (down) {
        top = close ? QColor(196, 64, 92) : QColor(112, 96, 214);
        bottom = close ? QColor(224, 100, 124) : QColor(146, 132, 236);
        border = close ? QColor(140, 36, 64) : QColor(80, 64, 180);
        ink = QColor(255, 255, 255);
    }
    const QImage canvas = Render(18, 18, [&](QPainter& p) {
        QPainterPath shape;
        shape.addRoundedRect(QRectF(0.5, 0.5, 17, 17), 4, 4);
        p.setPen(QPen(border, 1));
        p.setBrush(Vertical(0, 18, top, bottom));
        p.drawPath(shape);
        if (!down)
            Sheen(p, shape, 1, 8);
        if (down)
            p.translate(0.5, 0.5);
        CaptionGlyph(p, kind, ink, bottom);
    });
    return Flatten(canvas, kFrame, kRedKey);
}

// ---- check and radio images (13 x 13, green key, 8-bit) ----

QImage CheckImage(bool radio, bool pressed, bool checked) {
    const QImage canvas = Render(13, 13, [&](QPainter& p) {
        QPainterPath shape;
        if (radio)
            shape.addEllipse(QRectF(0.5, 0.5, 12, 12));
        else
            shape.addRoundedRect(QRectF(0.5, 0.5, 12, 12), 2.5, 2.5);
        if (checked) {
            p.setPen(QPen(pressed ? QColor(56, 46, 168) : QColor(78, 68, 200), 1));
            p.setBrush(pressed ? Vertical(0, 13, QColor(88, 80, 220), QColor(70, 60, 196))
                               : Vertical(0, 13, QColor(132, 132, 255), QColor(90, 82, 228)));
        } else {
            p.setPen(QPen(pressed ? QColor(98, 86, 210) : QColor(134, 122, 228), 1));
            p.setBrush(pressed ? Vertical(0, 13, QColor(204, 208, 250), QColor(224, 228, 255))
                               : Vertical(0, 13, QColor(255, 255, 255), QColor(234, 236, 255)));
        }
        p.drawPath(shape);
        if (!checked)
            return;
        if (radio) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(255, 255, 255));
            p.drawEllipse(QPointF(6.5, 6.5), 2.4, 2.4);
        } else {
            p.setPen(Stroke(QColor(255, 255, 255), 1.8));
            p.setBrush(Qt::NoBrush);
            p.drawPolyline(QPolygonF({QPointF(3.2, 6.6), QPointF(5.5, 9), QPointF(9.9, 4)}));
        }
    });
    return ToIndexed8(Flatten(canvas, kBody, kGreenKey), kGreenKey);
}

// ---- message box icons (32 x 32, red key, 8-bit) ----

void RoundBadge(QPainter& p, const QColor& light, const QColor& dark, const QColor& rim) {
    QPainterPath shape;
    shape.addEllipse(QRectF(1.5, 1.5, 29, 29));
    p.setPen(QPen(rim, 1.2));
    p.setBrush(Vertical(1, 31, light, dark));
    p.drawPath(shape);
    Sheen(p, shape, 2, 13);
}

QImage StopIcon() {
    return Flatten(Render(32, 32,
                          [](QPainter& p) {
                              RoundBadge(p, QColor(246, 110, 128), QColor(196, 44, 70),
                                         QColor(160, 30, 56));
                              p.setPen(Stroke(Qt::white, 3.4));
                              p.drawLine(QPointF(11, 11), QPointF(21, 21));
                              p.drawLine(QPointF(21, 11), QPointF(11, 21));
                          }),
                   kBody, kRedKey);
}

QImage QuestionIcon() {
    return Flatten(Render(32, 32,
                          [](QPainter& p) {
                              RoundBadge(p, QColor(176, 162, 255), QColor(106, 88, 222),
                                         QColor(82, 66, 190));
                              QPainterPath mark;
                              const QRectF bowl(11.5, 7.5, 9, 9);
                              mark.arcMoveTo(bowl, 180);
                              mark.arcTo(bowl, 180, -240);
                              mark.quadTo(QPointF(16, 17), QPointF(16, 19.5));
                              p.setPen(Stroke(Qt::white, 3.0));
                              p.setBrush(Qt::NoBrush);
                              p.drawPath(mark);
                              p.setPen(Qt::NoPen);
                              p.setBrush(Qt::white);
                              p.drawEllipse(QPointF(16, 24.3), 2.0, 2.0);
                          }),
                   kBody, kRedKey);
}

QImage InfoIcon() {
    return Flatten(Render(32, 32,
                          [](QPainter& p) {
                              RoundBadge(p, QColor(122, 164, 255), QColor(56, 98, 222),
                                         QColor(40, 76, 186));
                              p.setPen(Qt::NoPen);
                              p.setBrush(Qt::white);
                              p.drawEllipse(QPointF(16, 9.5), 2.3, 2.3);
                              p.drawRoundedRect(QRectF(14, 13.5, 4, 11), 1.5, 1.5);
                          }),
                   kBody, kRedKey);
}

QImage WarningIcon() {
    return Flatten(
        Render(32, 32,
               [](QPainter& p) {
                   QPainterPath shape;
                   shape.moveTo(16, 2.5);
                   shape.lineTo(30, 28.5);
                   shape.lineTo(2, 28.5);
                   shape.closeSubpath();
                   p.setPen(
                       QPen(QColor(196, 120, 16), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
                   p.setBrush(Vertical(2, 29, QColor(255, 222, 110), QColor(244, 164, 36)));
                   p.drawPath(shape);
                   Sheen(p, shape, 3, 12);
                   p.setPen(Qt::NoPen);
                   p.setBrush(QColor(84, 52, 8));
                   p.drawRoundedRect(QRectF(14.5, 10, 3, 10.5), 1.4, 1.4);
                   p.drawEllipse(QPointF(16, 24), 1.8, 1.8);
               }),
        kBody, kRedKey);
}

// ---- toolbar and button icons (16 x 16) ----

QImage HomeIcon() {
    return Flatten(
        Render(
            16, 16,
            [](QPainter& p) {
                p.setPen(QPen(kInk, 1));
                p.setBrush(Vertical(7, 15, QColor(255, 255, 255), QColor(222, 226, 255)));
                p.drawRect(QRectF(3.5, 7.5, 9, 7));
                p.setPen(Qt::NoPen);
                p.setBrush(QColor(100, 100, 255));
                p.drawRect(QRectF(6.5, 10, 3, 4.5));
                p.setBrush(QColor(112, 96, 214));
                p.drawRect(QRectF(11, 2.5, 2, 4));
                p.setPen(Stroke(QColor(96, 80, 206), 2.0));
                p.drawPolyline(QPolygonF({QPointF(1.5, 8.5), QPointF(8, 2), QPointF(14.5, 8.5)}));
            }),
        kToolbarMatte, kRedKey);
}

QImage ArrowIcon(bool forward) {
    return Flatten(
        Render(16, 16,
               [forward](QPainter& p) {
                   if (forward)
                       p.setTransform(QTransform(-1, 0, 0, 1, 16, 0));
                   const QPolygonF arrow({QPointF(1.5, 8), QPointF(7.5, 2), QPointF(7.5, 5.5),
                                          QPointF(14.5, 5.5), QPointF(14.5, 10.5),
                                          QPointF(7.5, 10.5), QPointF(7.5, 14)});
                   p.setPen(Stroke(QColor(44, 70, 180), 1));
                   p.setBrush(Vertical(2, 14, QColor(132, 164, 255), QColor(60, 92, 226)));
                   p.drawPolygon(arrow);
               }),
        kToolbarMatte, kRedKey);
}

QImage GlobeIcon() {
    return Flatten(Render(16, 16,
                          [](QPainter& p) {
                              p.setPen(QPen(QColor(40, 88, 190), 1));
                              p.setBrush(
                                  Vertical(1, 15, QColor(150, 206, 255), QColor(58, 124, 228)));
                              p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
                              p.setPen(QPen(QColor(255, 255, 255, 200), 1));
                              p.setBrush(Qt::NoBrush);
                              p.drawEllipse(QRectF(5, 1.5, 6, 13));
                              p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
                              p.drawArc(QRectF(-4, 4.5, 24, 14), 60 * 16, 60 * 16);
                          }),
                   kToolbarMatte, kRedKey);
}

QImage PrinterIcon() {
    return Flatten(Render(16, 16,
                          [](QPainter& p) {
                              p.setPen(QPen(QColor(120, 120, 140), 1));
                              p.setBrush(Qt::white);
                              p.drawRect(QRectF(4.5, 1.5, 7, 5));
                              p.setPen(QPen(kInk, 1));
                              p.setBrush(
                                  Vertical(5, 12, QColor(204, 198, 250), QColor(136, 122, 226)));
                              p.drawRoundedRect(QRectF(1.5, 5.5, 13, 6.5), 1.5, 1.5);
                              p.setPen(QPen(QColor(120, 120, 140), 1));
                              p.setBrush(Qt::white);
                              p.drawRect(QRectF(4.5, 9.5, 7, 5));
                              p.setPen(QPen(QColor(150, 140, 230), 1));
                              p.drawLine(QPointF(6, 11.5), QPointF(10, 11.5));
                              p.drawLine(QPointF(6, 13), QPointF(9, 13));
                              p.setPen(Qt::NoPen);
                              p.setBrush(QColor(60, 200, 120));
                              p.drawEllipse(QPointF(12.2, 7.6), 0.9, 0.9);
                          }),
                   kToolbarMatte, kRedKey);
}

// The about button: a round blue badge with a white "i", the small form of the information icon.
QImage InfoSignIcon() {
    return Flatten(Render(16, 16,
                          [](QPainter& p) {
                              p.setPen(QPen(QColor(40, 76, 186), 1));
                              p.setBrush(
                                  Vertical(1, 15, QColor(122, 164, 255), QColor(56, 98, 222)));
                              p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
                              p.setPen(Qt::NoPen);
                              p.setBrush(Qt::white);
                              p.drawEllipse(QPointF(8, 4.9), 1.3, 1.3);
                              p.drawRect(QRectF(7, 7, 2, 5.5));
                          }),
                   kToolbarMatte, kRedKey);
}

QImage SaveIcon() {
    return Flatten(Render(16, 16,
                          [](QPainter& p) {
                              p.setPen(QPen(QColor(48, 40, 150), 1));
                              p.setBrush(
                                  Vertical(1, 15, QColor(120, 118, 246), QColor(70, 62, 204)));
                              p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
                              p.setPen(Qt::NoPen);
                              p.setBrush(QColor(224, 228, 244));
                              p.drawRect(QRectF(4.5, 2, 7, 4.5));
                              p.setBrush(QColor(70, 62, 204));
                              p.drawRect(QRectF(9, 2.8, 1.6, 3));
                              p.setBrush(Qt::white);
                              p.drawRoundedRect(QRectF(3.5, 8.5, 9, 6), 1, 1);
                              p.setPen(QPen(QColor(170, 160, 240), 1));
                              p.drawLine(QPointF(5, 10.5), QPointF(11, 10.5));
                              p.drawLine(QPointF(5, 12.5), QPointF(11, 12.5));
                          }),
                   kToolbarMatte, kRedKey);
}

// The opaque OK and Cancel images sit in the middle of a button face that fades from white at
// its centre row to grey; the tile repeats that fade so its square does not stand out.
QImage ButtonTile(const DrawFn& glyph) {
    QImage tile(16, 16, QImage::Format_RGB32);
    for (int y = 0; y < 16; ++y) {
        const int v = 255 - std::abs(2 * y - 15) * 3;
        for (int x = 0; x < 16; ++x)
            tile.setPixel(x, y, qRgb(v, v, v));
    }
    QPainter p(&tile);
    p.setRenderHint(QPainter::Antialiasing);
    glyph(p);
    return tile;
}

QImage OkIcon() {
    return ButtonTile([](QPainter& p) {
        p.setPen(Stroke(QColor(40, 150, 96), 2.6));
        p.drawPolyline(QPolygonF({QPointF(3, 8.5), QPointF(6.5, 12), QPointF(13, 4.5)}));
    });
}

QImage CancelIcon() {
    return ButtonTile([](QPainter& p) {
        p.setPen(Stroke(QColor(206, 62, 88), 2.4));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
    });
}

// The caption logo: a page between two selection corners on a lavender badge; its white
// corners fall away when the window keys white out.
QImage LogoImage() {
    const QImage canvas = Render(20, 20, [](QPainter& p) {
        QPainterPath badge;
        badge.addRoundedRect(QRectF(0.5, 0.5, 19, 19), 5, 5);
        p.setPen(QPen(QColor(70, 56, 176), 1));
        p.setBrush(Vertical(0, 20, QColor(150, 138, 252), QColor(88, 72, 214)));
        p.drawPath(badge);
        Sheen(p, badge, 1, 8);
        QPainterPath page;
        page.moveTo(5.5, 3.5);
        page.lineTo(11.5, 3.5);
        page.lineTo(14.5, 6.5);
        page.lineTo(14.5, 16.5);
        page.lineTo(5.5, 16.5);
        page.closeSubpath();
        p.setPen(QPen(QColor(60, 48, 160), 1));
        p.setBrush(QColor(254, 254, 254));
        p.drawPath(page);
        p.setPen(QPen(QColor(150, 140, 240), 1));
        for (qreal y : {8.5, 10.5, 12.5})
            p.drawLine(QPointF(7.5, y), QPointF(12.5, y));
        // Selection corners: the part of the page the user keeps.
        p.setPen(QPen(QColor(255, 214, 110), 1.4, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        p.drawPolyline(QPolygonF({QPointF(2.5, 6), QPointF(2.5, 2.5), QPointF(6, 2.5)}));
        p.drawPolyline(QPolygonF({QPointF(14, 17.5), QPointF(17.5, 17.5), QPointF(17.5, 14)}));
    });
    return Flatten(canvas, kFrame, kWhiteKey);
}

SkinArt::Picture Make(const QString& name, const QImage& image, bool pack, const QColor& key,
                      const QColor& matte, bool keyed = true) {
    return SkinArt::Picture{name, image, pack, keyed, key, matte};
}

} // namespace

QVector<SkinArt::Picture> SkinArt::DrawAll() {
    QVector<Picture> all;
    const QImage tileBg = ButtonTile([](QPainter&) {});
    const QColor tileMatte = QColor(tileBg.pixel(0, 8));
    all << Make(QStringLiteral("qx_home16.bmp"), HomeIcon(), false, kRedKey, kToolbarMatte)
        << Make(QStringLiteral("qx_prev16.bmp"), ArrowIcon(false), false, kRedKey, kToolbarMatte)
        << Make(QStringLiteral("qx_next16.bmp"), ArrowIcon(true), false, kRedKey, kToolbarMatte)
        << Make(QStringLiteral("select_path16.bmp"), GlobeIcon(), false, kRedKey, kToolbarMatte)
        << Make(QStringLiteral("qx_print16.bmp"), PrinterIcon(), false, kRedKey, kToolbarMatte)
        << Make(QStringLiteral("update_data16.bmp"), InfoSignIcon(), false, kRedKey, kToolbarMatte)
        << Make(QStringLiteral("qx_save16.bmp"), SaveIcon(), false, kRedKey, kToolbarMatte)
        << Make(QStringLiteral("qs_ok.bmp"), ToIndexed8(OkIcon(), kRedKey), false, kRedKey,
                tileMatte, false)
        << Make(QStringLiteral("qs_cancel.bmp"), ToIndexed8(CancelIcon(), kRedKey), false, kRedKey,
                tileMatte, false)
        << Make(QStringLiteral("logo.bmp"), LogoImage(), false, kWhiteKey, kFrame);
    const char* const captionNames[4] = {"minimize", "maximize", "close", "restore"};
    for (int kind = 0; kind < 4; ++kind)
        for (bool down : {false, true})
            all << Make(QString::fromLatin1(captionNames[kind]) +
                            (down ? QStringLiteral("_down.bmp") : QStringLiteral("_up.bmp")),
                        CaptionButton(Caption(kind), down), true, kRedKey, kFrame);
    for (bool radio : {false, true})
        for (bool pressed : {false, true})
            for (bool checked : {false, true})
                all << Make(QStringLiteral("%1_%2%3.bmp")
                                .arg(radio ? QStringLiteral("radio") : QStringLiteral("check"),
                                     pressed ? QStringLiteral("down") : QStringLiteral("up"),
                                     checked ? QStringLiteral("1") : QStringLiteral("2")),
                            CheckImage(radio, pressed, checked), true, kGreenKey, kBody);
    all << Make(QStringLiteral("t_md_중지.bmp"), ToIndexed8(StopIcon(), kRedKey), true, kRedKey,
                kBody)
        << Make(QStringLiteral("t_md_물음.bmp"), ToIndexed8(QuestionIcon(), kRedKey), true, kRedKey,
                kBody)
        << Make(QStringLiteral("t_md_정보.bmp"), ToIndexed8(InfoIcon(), kRedKey), true, kRedKey,
                kBody)
        << Make(QStringLiteral("t_md_경고.bmp"), ToIndexed8(WarningIcon(), kRedKey), true, kRedKey,
                kBody);
    return all;
}

bool SkinArt::WriteAll(const QVector<Picture>& pictures, const QString& imageDir,
                       const QString& packEntryDir, QString* error) {
    for (const QString& dir : {imageDir, packEntryDir}) {
        if (!QDir().mkpath(dir)) {
            *error = QStringLiteral("cannot make %1").arg(dir);
            return false;
        }
    }
    for (const Picture& picture : pictures) {
        const QString path =
            QDir(picture.packEntry ? packEntryDir : imageDir).filePath(picture.fileName);
        if (!picture.image.save(path, "BMP")) {
            *error = QStringLiteral("cannot write %1").arg(path);
            return false;
        }
    }
    return true;
}

QImage SkinArt::ContactSheet(const QVector<Picture>& pictures, int scale) {
    const int cell = 34 * scale;
    const int columns = 10;
    const int rows = int((pictures.size() + columns - 1) / columns);
    QImage sheet(columns * cell, rows * cell, QImage::Format_RGB32);
    sheet.fill(QColor(200, 200, 210));
    QPainter p(&sheet);
    for (int i = 0; i < pictures.size(); ++i) {
        const Picture& pic = pictures.at(i);
        QImage shown = pic.image.convertToFormat(QImage::Format_ARGB32);
        if (pic.keyed)
            for (int y = 0; y < shown.height(); ++y)
                for (int x = 0; x < shown.width(); ++x)
                    if ((shown.pixel(x, y) | 0xFF000000) == pic.key.rgb())
                        shown.setPixel(x, y, pic.matte.rgb());
        const QRect box((i % columns) * cell, (i / columns) * cell, cell, cell);
        p.fillRect(box.adjusted(2, 2, -2, -2), pic.matte);
        p.drawImage(QRect(box.topLeft() + QPoint(scale, scale), shown.size() * scale), shown);
    }
    return sheet;
}
