#pragma once

#include "capture/CaptureSelection.h"

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QTimer>

class QWidget;
class ViewScroller;

// Scrolls a view while a drag holds the pointer past the edge of its visible part, as image
// editors do: the further past, the faster. It reports how far the view really moved, so that
// the owner can move the dragged edge by as much and keep it under the pointer.
class DragAutoScroll final : public QObject {
    Q_OBJECT

  public:
    static constexpr int tickMs = 20;

    DragAutoScroll(QWidget* view, ViewScroller* scroller);

    // Pixels per tick for a pointer that far past the edge (nothing at or inside it).
    static int StepFor(int past);
    // The scroll per tick for pointer p against the visible rectangle, on the given axes only.
    static QPoint Velocity(QPoint p, const QRect& visible, Qt::Orientations axes);
    // The axes a handle moves along: a top edge scrolls nothing sideways.
    static Qt::Orientations AxesFor(CaptureSelection::DragMode mode);

    // Follows the pointer of a drag: scrolls on every tick while it is past the edge and stops
    // when it is back inside.
    void Track(QPoint p, const QRect& visible, Qt::Orientations axes);
    void Stop();
    bool IsScrolling() const { return m_timer.isActive(); }

  Q_SIGNALS:
    // The view scrolled by moved pixels on one tick.
    void Scrolled(QPoint moved);

  private:
    void OnTick();

    QWidget* m_pView;
    ViewScroller* m_pScroller;
    QTimer m_timer;
    QPoint m_velocity;
};
