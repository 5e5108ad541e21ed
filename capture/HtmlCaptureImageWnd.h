#pragma once

#include "capture/CaptureSelection.h"
#include "pages/DocumentLayer.h"

#include <QImage>
#include <QWidget>

class DragAutoScroll;
class PageSet;
class QScrollBar;
class ViewScroller;

// The view that shows a captured whole page and lets the user resize a selection rectangle by
// its edges and corners; the rest of the page is shown inverted. Its own scroll bars, the wheel
// and its keys (CaptureViewKeys) scroll it, and so does dragging an edge past its border. F4
// and F5 belong to the main window; Escape asks for what F5 does.
class HtmlCaptureImageWnd final : public QWidget {
    Q_OBJECT

  public:
    static constexpr int ctrlId = 24017;

    // A hidden child of parent with control id 24017, holding a white 100 x 100 placeholder.
    explicit HtmlCaptureImageWnd(QWidget* parent = nullptr);
    ~HtmlCaptureImageWnd() override;

    // Takes a page image (converted to Format_RGB32 if it is not) of scale x scale pixels per
    // document pixel, with what the capture recorded of its document (in document pixels), and
    // resets the selection to the first one (CaptureSelection::Inset for the rows the view
    // shows). The image is shown at scale pixels per view pixel: pixel for pixel on a screen of
    // that ratio. A null image or a scale outside 1 .. 4 is refused (false) and the view keeps
    // what it had.
    bool SetImage(QImage image, DocumentLayer layer = DocumentLayer(), int scale = 1);
    bool HasImage() const { return m_bHasImage; }
    const QImage& Image() const { return m_image; }
    // The words, links and headings of the image's document; empty when none were recorded.
    const DocumentLayer& Layer() const { return m_layer; }
    // The image's size in document pixels, the units of the selection and the scrolling.
    int ImageWidth() const { return m_image.width() / m_nScale; }
    int ImageHeight() const { return m_image.height() / m_nScale; }
    // Pixels of the image per document pixel, across and down.
    int Scale() const { return m_nScale; }

    // The selection in document pixels: x, y are left and top, x + width and y + height the
    // exclusive right and bottom.
    QRect Selection() const { return m_selection.ToRect(); }
    // Applies a selection as given, clipped to the image; repaints.
    void SetSelection(const QRect& selection);

    // Cuts the selection into 1024-row pages, replacing the set's pages: each page used, no
    // margins, the last one padded with white. false (the set left empty) when there is no
    // image, the selection is empty or memory runs out.
    bool CutPages(PageSet& set) const;

    // Scrolling and layout, in the terms of the view's client area (inside the border).
    int VisibleWidth() const { return m_nVisibleWidth; }
    int VisibleHeight() const { return m_nVisibleHeight; }
    QPoint ScrollPos() const;
    QScrollBar* HScrollBar() const;
    QScrollBar* VScrollBar() const;
    // Where client point (0, 0) lies in widget coordinates.
    QPoint ClientOrigin() const;
    CaptureSelection::DragMode DragModeNow() const { return m_dragMode; }
    DragAutoScroll* AutoScroll() const { return m_pAutoScroll; }

  Q_SIGNALS:
    // Escape: the user leaves the view, as with F5.
    void CancelRequested();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // Lays out the bars for the current image and size; true when the visible extent changed.
    bool UpdateScrollBars();
    void RecreateBackBuffer();
    void ComposeBackBuffer();
    void InvertOutsideSelection(int sx, int sy);
    void DrawEdgeBars(QPainter& dc, int sx, int sy) const;
    void DrawCornerSquares(QPainter& dc, int sx, int sy) const;
    void DrawHint(QPainter& dc, int sx, int sy) const;
    void PaintFrame(QPainter& dc) const;
    QPoint ToClient(QPointF widgetPos) const;

    QImage m_image; // the page image, Format_RGB32
    DocumentLayer m_layer;
    int m_nScale = 1;
    // The visible part at the image's scale: m_nVisibleWidth x m_nVisibleHeight view pixels,
    // m_nScale pixels each; Format_RGB32.
    QImage m_backBuffer;
    bool m_bHasImage = false;
    CaptureSelection::DragMode m_dragMode = CaptureSelection::DragNone;
    int m_nFrameExtraWidth = 0;
    int m_nFrameExtraHeight = 0;
    CaptureSelection m_selection;
    QPoint m_lastMouse;
    int m_nVisibleWidth = 0;
    int m_nVisibleHeight = 0;
    ViewScroller* m_pScroller = nullptr; // the bars and the rules they move by
    DragAutoScroll* m_pAutoScroll = nullptr;
};
