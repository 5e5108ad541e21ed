#include "toolkit/QX_Theme.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QStringList>
#include <QWidget>

const char* const QX_UserColorKey[QX_COLOR_SLOTS] = {
    "static[fore]",        "static[fill]",          "dialog[body_pen]", "dialog[body_brush]",
    "dialog[active_text]", "dialog[inactive_text]", "window[body_pen]", "window[body_brush]",
    "window[active_text]", "window[inactive_text]", "button[fore]",     "button[fill]",
    "button[border]",
};

namespace {

// The pixel size whose line height (ascent + descent) comes closest to cellHeight without
// exceeding it: what a positive CreateFont height asks for.
int PixelSizeForCell(const QStringList& families, int cellHeight) {
    QFont font;
    font.setFamilies(families);
    int best = cellHeight;
    for (int size = cellHeight; size >= qMax(1, cellHeight / 2); --size) {
        font.setPixelSize(size);
        best = size;
        if (QFontMetrics(font).ascent() + QFontMetrics(font).descent() <= cellHeight)
            break;
    }
    return best;
}

QFont MakeCellFont(const QStringList& families, int cellHeight) {
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setPixelSize(qGuiApp ? PixelSizeForCell(families, cellHeight) : cellHeight);
    return font;
}

QStringList HangulFamilies() {
    return {QStringLiteral("굴림체"), QStringLiteral("NanumGothicCoding"),
            QStringLiteral("NanumGothic")};
}

QStringList LatinFamilies() {
    return {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
            QStringLiteral("DejaVu Sans")};
}

// The colour i/n of the way from a to b, rounded to nearest, per channel.
COLORREF Interpolate(COLORREF a, COLORREF b, int i, int n) {
    if (n <= 0)
        return a;
    COLORREF result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int ca = int((a >> shift) & 0xFF);
        const int cb = int((b >> shift) & 0xFF);
        const int num = (cb - ca) * i;
        const int step = num >= 0 ? (num + n / 2) / n : -((-num + n / 2) / n);
        result |= COLORREF(ca + step) << shift;
    }
    return result;
}

// Fills [from, to) of the axis with lines running from colour a at `from` to colour b at
// `last`; line(pos) paints one row or column.
template <typename LineFn>
void FillRamp(int from, int to, int last, COLORREF a, COLORREF b, LineFn line) {
    const int span = last - from;
    for (int pos = from; pos < to; ++pos)
        line(pos, QX_ToQColor(Interpolate(a, b, pos - from, span)));
}

} // namespace

QFont QX_StandardFont() {
    // Measuring needs the GUI application; before it exists the font is not cached.
    if (!qGuiApp)
        return MakeCellFont(HangulFamilies(), 12);
    static const QFont font = MakeCellFont(HangulFamilies(), 12);
    return font;
}

QFont QX_LatinCaptionFont() {
    return MakeCellFont(LatinFamilies(), 15);
}

void QX_GradientFillV(QPainter* dc, int left, int top, int right, int bottom, COLORREF edge,
                      COLORREF centre) {
    if (!dc || right <= left || bottom <= top)
        return;
    const int mid = top + (bottom - top) / 2;
    const auto row = [&](int y, const QColor& c) { dc->fillRect(left, y, right - left, 1, c); };
    FillRamp(top, mid, mid, edge, centre, row);
    FillRamp(mid, bottom, bottom - 1, centre, edge, row);
}

void QX_GradientFillH(QPainter* dc, int left, int top, int right, int bottom, COLORREF edge,
                      COLORREF centre) {
    if (!dc || right <= left || bottom <= top)
        return;
    const int mid = left + (right - left) / 2;
    const auto column = [&](int x, const QColor& c) { dc->fillRect(x, top, 1, bottom - top, c); };
    FillRamp(left, mid, mid, edge, centre, column);
    FillRamp(mid, right, right - 1, centre, edge, column);
}

void QX_InvalidateWithParent(QWidget* control) {
    if (!control)
        return;
    // A child's geometry is already in its parent's client coordinates.
    if (QWidget* parent = control->parentWidget(); parent && !control->isWindow())
        parent->update(control->geometry());
    control->update();
}

QColor QX_ToQColor(COLORREF c) {
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

COLORREF QX_FromQColor(const QColor& c) {
    return QX_RGB(c.red(), c.green(), c.blue());
}
