#include "capture/ViewScroller.h"

#include <QAbstractSlider>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <QWidget>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kWheelNotch = 120; // one notch of an ordinary mouse wheel

} // namespace

ViewScroller::ViewScroller(QWidget* view) : QObject(view), m_pView(view) {
    m_pHBar = new QScrollBar(Qt::Horizontal, view);
    m_pVBar = new QScrollBar(Qt::Vertical, view);
    for (QScrollBar* bar : {m_pHBar, m_pVBar}) {
        bar->setRange(0, 0);
        bar->setSingleStep(lineStep);
        bar->setPageStep(pageStep);
        bar->setFocusPolicy(Qt::NoFocus); // keys stay with the window's commands
        bar->hide();
        bar->installEventFilter(this);
        connect(bar, &QScrollBar::actionTriggered, this, [bar](int action) {
            // The value has not moved yet; the slider position is what the bar proposes.
            bar->setSliderPosition(ActionPosition(action, bar->value(), bar->minimum(),
                                                  bar->maximum(), bar->sliderPosition()));
        });
        connect(bar, &QScrollBar::valueChanged, view, [view] { view->update(); });
    }
    view->installEventFilter(this);
}

QPoint ViewScroller::ToClient(QPointF viewPos) const {
    return viewPos.toPoint() - ClientOrigin();
}

QPoint ViewScroller::Pos() const {
    return QPoint(m_pHBar->value(), m_pVBar->value());
}

void ViewScroller::SetPos(QPoint pos) {
    m_pHBar->setValue(pos.x());
    m_pVBar->setValue(pos.y());
}

int ViewScroller::VBarWidth() const {
    return m_pView->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_pVBar);
}

int ViewScroller::HBarHeight() const {
    return m_pView->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_pHBar);
}

QRect ViewScroller::ClientArea() const {
    return m_pView->rect().adjusted(border, border, -border, -border);
}

ViewScroller::Layout ViewScroller::LayoutBars(int pictureWidth, int pictureHeight, int availW,
                                              int availH, int cxV, int cyH) {
    Layout out;
    out.horizontal =
        pictureWidth > availW || (pictureHeight > availH && pictureWidth > availW - cxV);
    const int availH2 = out.horizontal ? availH - cyH : availH;
    out.vertical = pictureHeight > availH2;
    if (out.horizontal) {
        out.visibleWidth = std::max(0, out.vertical ? availW - cxV : availW);
        out.hMax = std::max(0, pictureWidth - out.visibleWidth);
    } else {
        out.visibleWidth = pictureWidth;
    }
    if (out.vertical) {
        out.visibleHeight = std::max(0, availH2);
        out.vMax = std::max(0, pictureHeight - out.visibleHeight);
    } else {
        out.visibleHeight = pictureHeight;
    }
    return out;
}

ViewScroller::Layout ViewScroller::Apply(int pictureWidth, int pictureHeight) {
    const QRect area = ClientArea();
    const Layout layout = LayoutBars(pictureWidth, pictureHeight, area.width(), area.height(),
                                     VBarWidth(), HBarHeight());
    // setRange keeps each position inside its new range.
    m_pHBar->setRange(0, layout.hMax);
    m_pVBar->setRange(0, layout.vMax);
    m_pHBar->setVisible(layout.horizontal);
    m_pVBar->setVisible(layout.vertical);
    Place();
    return layout;
}

void ViewScroller::Place() {
    const QRect area = ClientArea();
    const int vW = VBarWidth();
    const int hH = HBarHeight();
    const int cxV = m_pVBar->isVisibleTo(m_pView) ? vW : 0;
    const int cyH = m_pHBar->isVisibleTo(m_pView) ? hH : 0;
    m_pVBar->setGeometry(area.right() + 1 - vW, area.top(), vW, std::max(0, area.height() - cyH));
    m_pHBar->setGeometry(area.left(), area.bottom() + 1 - hH, std::max(0, area.width() - cxV), hH);
}

int ViewScroller::ActionPosition(int action, int pos, int min, int max, int thumb) {
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        return std::max(min, pos - lineStep);
    case QAbstractSlider::SliderSingleStepAdd:
        return pos < max - lineStep ? pos + lineStep : max;
    case QAbstractSlider::SliderPageStepSub:
        return std::max(min, pos - pageStep);
    case QAbstractSlider::SliderPageStepAdd:
        return pos < max - pageStep ? pos + pageStep : max;
    case QAbstractSlider::SliderMove:
        return thumb >= min && thumb <= max ? thumb : pos;
    default:
        return pos;
    }
}

int ViewScroller::WheelPosition(int pos, int min, int max, int delta) {
    int next;
    if (delta < 0)
        next = pos / wheelStep < max / wheelStep ? pos + wheelStep : max;
    else
        next = min / wheelStep < pos / wheelStep ? pos - wheelStep : min;
    return std::clamp(next, min, std::max(min, max));
}

bool ViewScroller::Wheel(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta == 0) {
        // A sideways tilt or a touchpad phase marker: not a vertical wheel step.
        event->ignore();
        return false;
    }
    event->accept();
    if ((delta > 0) != (m_nWheelRest > 0))
        m_nWheelRest = 0;
    m_nWheelRest += delta;
    // An ordinary wheel sends whole notches, one step each; fine-grained wheels and touchpads
    // gather a notch's worth first so that they do not race down the page.
    if (std::abs(m_nWheelRest) < kWheelNotch && std::abs(delta) < kWheelNotch)
        return true;
    m_nWheelRest = 0;
    m_pVBar->setValue(
        WheelPosition(m_pVBar->value(), m_pVBar->minimum(), m_pVBar->maximum(), delta));
    m_pView->update();
    return true;
}

bool ViewScroller::eventFilter(QObject* watched, QEvent* event) {
    // The wheel scrolls the view by its own step, over the bars as over the picture.
    if (event->type() == QEvent::Wheel &&
        (watched == m_pView || watched == m_pHBar || watched == m_pVBar)) {
        // A sideways turn over the picture goes on to the view and its parents.
        return Wheel(static_cast<QWheelEvent*>(event)) || watched != m_pView;
    }
    return QObject::eventFilter(watched, event);
}

void ViewScroller::PaintEdge(QPainter& dc) const {
    const QRect outer = m_pView->rect();
    dc.setPen(QColor(160, 160, 160));
    dc.drawLine(outer.topLeft(), outer.topRight());
    dc.drawLine(outer.topLeft(), outer.bottomLeft());
    dc.setPen(Qt::white);
    dc.drawLine(outer.bottomLeft(), outer.bottomRight());
    dc.drawLine(outer.topRight(), outer.bottomRight());
}
