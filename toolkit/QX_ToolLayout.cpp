#include "toolkit/QX_ToolLayout.h"

QVector<QX_ToolRect> QX_ToolLayout::Place(const QVector<QX_ToolItem>& items, int clientHeight) {
    QVector<QX_ToolRect> rects;
    rects.reserve(items.size());
    int x = 3;
    for (const QX_ToolItem& item : items) {
        QX_ToolRect r;
        r.top = 3;
        r.bottom = clientHeight - 3;
        if (item.separator) {
            r.left = r.right = x + 5;
            x += 12;
        } else {
            r.left = x;
            r.right = x + item.labelWidth + 5;
            r.right += item.hasBitmap ? item.bitmapWidth + 10 : 5;
            x = r.right + 2;
        }
        rects.append(r);
    }
    return rects;
}

QPoint QX_ToolLayout::BitmapPos(const QX_ToolRect& r, int bitmapHeight) {
    return QPoint(r.left + 5, r.top + (r.bottom - r.top) / 2 - bitmapHeight / 2);
}

QPoint QX_ToolLayout::LabelPos(const QX_ToolRect& r, const QX_ToolItem& item, int textHeight) {
    const int x = item.hasBitmap ? r.left + item.bitmapWidth + 10 : r.left + 5;
    return QPoint(x, r.top + (r.bottom - textHeight - r.top) / 2);
}
