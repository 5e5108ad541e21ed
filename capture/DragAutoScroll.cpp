#include "capture/DragAutoScroll.h"

#include "capture/ViewScroller.h"

#include <QWidget>

#include <algorithm>

namespace {

// How far past an edge p lies along one axis: negative distances before the start, positive
// after the end, 0 inside.
int PastEdge(int p, int start, int end) {
    if (p < start)
        return p - start;
    if (p >= end)
        return p - end + 1;
    return 0;
}

int SignedStep(int past) {
    return past < 0 ? -DragAutoScroll::StepFor(-past) : DragAutoScroll::StepFor(past);
}

} // namespace

DragAutoScroll::DragAutoScroll(QWidget* view, ViewScroller* scroller)
    : QObject(view), m_pView(view), m_pScroller(scroller) {
    m_timer.setInterval(tickMs);
    connect(&m_timer, &QTimer::timeout, this, &DragAutoScroll::OnTick);
}

int DragAutoScroll::StepFor(int past) {
    if (past <= 0)
        return 0;
    // Slow enough near the edge to stop on a row, fast enough further out to cross a very long
    // page in a few seconds (200 pixels past: 1200 pixels a tick).
    const int d = std::min(past, 1000);
    return d + d * d / 40;
}

QPoint DragAutoScroll::Velocity(QPoint p, const QRect& visible, Qt::Orientations axes) {
    if (visible.isEmpty())
        return QPoint();
    const int x = axes & Qt::Horizontal
                      ? SignedStep(PastEdge(p.x(), visible.left(), visible.right() + 1))
                      : 0;
    const int y =
        axes & Qt::Vertical ? SignedStep(PastEdge(p.y(), visible.top(), visible.bottom() + 1)) : 0;
    return QPoint(x, y);
}

Qt::Orientations DragAutoScroll::AxesFor(CaptureSelection::DragMode mode) {
    switch (mode) {
    case CaptureSelection::DragTop:
    case CaptureSelection::DragBottom:
        return Qt::Vertical;
    case CaptureSelection::DragLeft:
    case CaptureSelection::DragRight:
        return Qt::Horizontal;
    case CaptureSelection::DragNone:
        return {};
    default:
        return Qt::Horizontal | Qt::Vertical; // the corners
    }
}

void DragAutoScroll::Track(QPoint p, const QRect& visible, Qt::Orientations axes) {
    m_velocity = Velocity(p, visible, axes);
    if (m_velocity.isNull())
        Stop();
    else if (!m_timer.isActive())
        m_timer.start();
}

void DragAutoScroll::Stop() {
    m_timer.stop();
    m_velocity = QPoint();
}

void DragAutoScroll::OnTick() {
    if (!m_pView->isVisible()) {
        Stop(); // the view went away under the drag
        return;
    }
    const QPoint before = m_pScroller->Pos();
    m_pScroller->SetPos(before + m_velocity); // the bars keep it inside their ranges
    const QPoint moved = m_pScroller->Pos() - before;
    if (!moved.isNull())
        Q_EMIT Scrolled(moved);
}
