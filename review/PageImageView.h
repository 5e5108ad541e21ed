#pragma once

#include "pages/PageGeometry.h"

#include <QEvent>
#include <QImage>
#include <QPoint>
#include <QWidget>

#include <vector>

struct PageRecord;
class QScrollBar;
class ViewScroller;

// The review dialog's view of one page image at natural size, scrolled by its own bars and the
// wheel. It works on a copy of the page: ShowPage copies a record in, ShowPreview shows a margin
// preview, and in adjust mode the user drags the part below a line upwards to cut out the band
// in between; the view then signals ImageChanged, its owner asks whether to keep the change
// and, to keep it, calls KeepChange, which writes it back into the record. Positions, scrolling
// and cuts are in document pixels at any scale of the geometry.
class PageImageView final : public QWidget {
    Q_OBJECT

  public:
    static constexpr int ctrlId = 22002;
    // Posted to itself after a cut, so that ImageChanged comes once the mouse is released.
    static constexpr QEvent::Type UM_IMAGE_CHANGED = QEvent::Type(0x6591);
    static constexpr QRgb backColor = 0xFFEFEBD8; // RGB(239, 235, 216) around the page

    explicit PageImageView(QWidget* parent = nullptr);
    ~PageImageView() override;

    // Page geometry; before Create.
    void SetPageGeometry(const PageGeometry& geometry) { m_geometry = geometry; }
    // Becomes a visible child of parent at rect (outer size, a 1-pixel static edge inside it)
    // with control id `id` (ctrlId for the review), holding a white page. false when the page
    // image could not be allocated or the geometry is unusable (bytes per pixel other than 2, 3
    // or 4); the view is then left as it was and not shown.
    bool Create(const QRect& rect, QWidget* parent, int id = ctrlId);

    // Shows the record's pixels. reset (a new selection) lays the bars out anew from the top-left;
    // otherwise (margins were applied) the scroll positions stay and a shown preview ends.
    void ShowPage(PageRecord* record, bool reset);
    // Shows a preview of pageBytes bytes (the caller keeps them); the record is not touched.
    void ShowPreview(int top, int bottom, const quint8* pixels);
    // Enters (on) or leaves adjust mode; refused (false, nothing changes) while a preview is shown.
    bool SetAdjustMode(bool on);
    // Writes the shown page, with its cuts, back into the record: pixels and source rows.
    void KeepChange();

    const QImage& PageImage() const { return m_page; }
    PageRecord* CurrentRecord() const { return m_pRecord; }
    bool PreviewShown() const { return m_bPreviewShown; }
    bool AdjustMode() const { return m_bAdjustMode; }
    bool Dragging() const { return m_bDragging; }
    int VisibleWidth() const { return m_nVisibleWidth; }
    int VisibleHeight() const { return m_nVisibleHeight; }
    QPoint ScrollPos() const;
    QScrollBar* HScrollBar() const;
    QScrollBar* VScrollBar() const;
    // Where client point (0, 0) lies in widget coordinates.
    QPoint ClientOrigin() const;

  Q_SIGNALS:
    // A band was cut out of the shown page; the record is unchanged until KeepChange.
    void ImageChanged();

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void CopyIn(const quint8* pixels);
    void CopyOut(quint8* pixels) const;
    QPoint ToClient(QPointF widgetPos) const;
    void ComposeBackBuffer();
    // Combines the 3-pixel adjust line at client row y with the back buffer by exclusive or.
    void XorAdjustLine(int y);
    QRect LineRect(int y) const;
    void BeginDrag(int y);
    // Removes the band from the release row y to the press row; false when nothing changed.
    bool CutBand(int y);

    PageGeometry m_geometry;
    QImage m_page;                    // the page being viewed and edited, at the page's scale
    QImage m_backBuffer;              // client size at the page's scale: frames are composed here
    QImage m_strip;                   // the rows being dragged
    std::vector<qint32> m_sourceRows; // the shown page's source rows, cut with it
    PageRecord* m_pRecord = nullptr;
    ViewScroller* m_pScroller = nullptr;
    int m_nVisibleWidth = 0;
    int m_nVisibleHeight = 0;
    bool m_bAdjustMode = false;
    bool m_bDragging = false;
    bool m_bPreviewShown = false;
    int m_nPreviewTop = 0;
    int m_nPreviewBottom = 0;
    int m_nStripHeight = 0;
    int m_nDragStartY = 0;
    int m_nDragY = 0; // client row of the strip's top while dragging
    QPoint m_cursor;  // client point of the adjust line
};
