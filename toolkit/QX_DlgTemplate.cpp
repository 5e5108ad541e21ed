#include "toolkit/QX_DlgTemplate.h"

#include <QFontMetrics>
#include <QHash>

#include <climits>
#include <cstdlib>

namespace {

QHash<int, QX_DlgTemplate>& Registry() {
    // Function-local so that registrar objects in other files may run in any order.
    static QHash<int, QX_DlgTemplate> registry;
    return registry;
}

} // namespace

void QX_RegisterDlgTemplate(const QX_DlgTemplate& t) {
    Registry().insert(t.id, t);
}

const QX_DlgTemplate* QX_FindDlgTemplate(int id) {
    const auto& registry = Registry();
    const auto it = registry.constFind(id);
    return it == registry.constEnd() ? nullptr : &it.value();
}

int QX_MulDiv(int a, int b, int c) {
    if (c == 0)
        return -1;
    const long long product = static_cast<long long>(a) * b;
    const long long half = std::llabs(static_cast<long long>(c)) / 2;
    const bool negative = (product < 0) != (c < 0);
    long long q = (std::llabs(product) + half) / std::llabs(static_cast<long long>(c));
    if (negative)
        q = -q;
    if (q > INT_MAX || q < INT_MIN)
        return -1;
    return static_cast<int>(q);
}

QX_DlgUnits::QX_DlgUnits(int baseX, int baseY)
    : m_nBaseX(baseX > 0 ? baseX : 1), m_nBaseY(baseY > 0 ? baseY : 1) {}

QX_DlgUnits QX_DlgUnits::FromFont(const QFont& font) {
    const QFontMetrics fm(font);
    const int width = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return QX_DlgUnits((width + 26) / 52, fm.height());
}

QFont QX_DlgUnits::TemplateFont(const QX_DlgTemplate& t) {
    QFont font;
    // The Korean faces the templates name resolve through fontconfig; the fallbacks keep the
    // layout readable where they do not.
    font.setFamilies({t.fontFace, QStringLiteral("NanumGothic"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(qMax(1, QX_MulDiv(t.pointSize > 0 ? t.pointSize : 9, 96, 72)));
    return font;
}

int QX_DlgUnits::MapX(int dluX) const {
    return QX_MulDiv(dluX, m_nBaseX, 4);
}

int QX_DlgUnits::MapY(int dluY) const {
    return QX_MulDiv(dluY, m_nBaseY, 8);
}

QRect QX_DlgUnits::MapRect(int x, int y, int cx, int cy) const {
    // Position and size are converted separately, as the dialog manager creates controls.
    return QRect(MapX(x), MapY(y), MapX(cx), MapY(cy));
}
