#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>

class QPainter;
class QScrollBar;
class QWheelEvent;
class QWidget;

// The scroll bars of a view that shows a picture at natural size inside a 1-pixel static edge,
// and the rules they move by: lines of 5 pixels, pages of 50, the thumb only within the range,
// and one wheel message one step of 50. The capture view and the page view scroll alike through
// it: it turns the view's wheel events into steps itself, and every change of position repaints
// the view.
class ViewScroller final : public QObject {
    Q_OBJECT

  public:
    static constexpr int lineStep = 5;
    static constexpr int pageStep = 50;
    static constexpr int wheelStep = 50;
    static constexpr int border = 1; // the static edge around the client area

    // Which bars show and how much of the picture is visible at once.
    struct Layout {
        bool horizontal = false;
        bool vertical = false;
        int visibleWidth = 0;
        int visibleHeight = 0;
        int hMax = 0; // ranges start at 0
        int vMax = 0;
    };

    // Makes both bars hidden children of view, ranges 0..0, never taking the keyboard focus, and
    // takes over the view's wheel.
    explicit ViewScroller(QWidget* view);

    QScrollBar* HBar() const { return m_pHBar; }
    QScrollBar* VBar() const { return m_pVBar; }
    QPoint Pos() const;
    // Thickness of a vertical (cxV) and a horizontal (cyH) bar.
    int VBarWidth() const;
    int HBarHeight() const;
    // The area inside the edge, bars included.
    QRect ClientArea() const;
    // Where client point (0, 0) lies in the view's coordinates: just inside the edge.
    QPoint ClientOrigin() const { return QPoint(border, border); }
    // A point of the view (a mouse position) in client coordinates.
    QPoint ToClient(QPointF viewPos) const;

    // Bars for a picture of that size in availW x availH: a vertical bar takes width, so a
    // picture that only just fits across needs both bars once it is taller than the view.
    static Layout LayoutBars(int pictureWidth, int pictureHeight, int availW, int availH, int cxV,
                             int cyH);
    // Lays the bars out for the picture and the view's present size and places them; the
    // positions stay within the new ranges.
    Layout Apply(int pictureWidth, int pictureHeight);
    void SetPos(QPoint pos);

    // The position after a bar action (QAbstractSlider::SliderAction) from pos; `thumb` is
    // where a thumb move asks to go.
    static int ActionPosition(int action, int pos, int min, int max, int thumb);
    // The vertical position after one wheel message: delta < 0 scrolls down.
    static int WheelPosition(int pos, int min, int max, int delta);
    // Scrolls the vertical bar for a wheel event; false (event ignored) for sideways turns.
    bool Wheel(QWheelEvent* event);

    // The sunken 1-pixel edge around the view.
    void PaintEdge(QPainter& dc) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Place();

    QWidget* m_pView;
    QScrollBar* m_pHBar = nullptr;
    QScrollBar* m_pVBar = nullptr;
    int m_nWheelRest = 0; // wheel delta not yet turned into a step (fine-grained wheels)
};
