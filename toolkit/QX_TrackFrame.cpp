#include "toolkit/QX_TrackFrame.h"

#include <QPainter>
#include <QRegion>

namespace {
constexpr int kPen = 2;
}

QX_TrackFrame::QX_TrackFrame(QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus) {
    // A shaped window rather than a translucent one: the outline must show on desktops without
    // a compositor too.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_ShowWithoutActivating);
}

void QX_TrackFrame::Track(const QRect& r) {
    const QRect g = r.normalized();
    setGeometry(g.x(), g.y(), qMax(g.width(), 1), qMax(g.height(), 1));
    const QRect local(0, 0, width(), height());
    setMask(QRegion(local).subtracted(QRegion(local.adjusted(kPen, kPen, -kPen, -kPen))));
    if (!isVisible())
        show();
    update();
}

void QX_TrackFrame::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(255, 0, 0));
}
