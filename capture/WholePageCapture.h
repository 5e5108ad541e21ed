#pragma once

#include "capture/BoxSurround.h"
#include "capture/CaptureResult.h"
#include "capture/DocumentRecorder.h"

#include <QImage>
#include <QList>
#include <QRect>
#include <QSize>

#include <algorithm>
#include <functional>
#include <utility>

class BrowserControl;
class TileStitcher;

// Renders the whole document shown in the browser control, not only its visible part, into
// one image (Format_RGB32) of N x N pixels per document pixel, N the control's capture scale
// (the screen's ratio: the engine's own pixels are kept). The view keeps the height the user saw
// (so viewport-sized sections keep their size; taller only when nothing is laid out by it), is made
// as wide as the document (up to a limit, beyond which tiles go across as well) and is scrolled
// tile by tile; the tiles are stitched. A page that does not scroll as a document but in a box that
// fills most of the view is captured with that box's whole content (BoxSurround). The page's scroll
// handlers and intersection observers do not see the tiles' scrolling, so a layout that follows the
// scroll position stands as at the top; panels the user or the page scrolled keep their place.
// Afterwards the control has its former size, scroll position and scroll bars. Asked to, it also
// records the words, links and headings the image shows (DocumentRecorder), once, where the layout
// stands as the tiles show it.
class WholePageCapture final {
  public:
    // Largest page image, in bytes of pixels (at a scale of N a document of N^2 times fewer
    // document pixels); larger documents fail.
    static constexpr qint64 kMaxImageBytes = qint64(2) << 30;
    // Widest view the capture makes; wider documents are tiled across.
    static constexpr int kMaxViewWidth = 16000;
    // Bound of the wait for lazily loaded images, in milliseconds.
    static constexpr int kImageWaitMs = 3000;
    // Bound of a whole capture, in milliseconds, unless SetDeadline says otherwise.
    static constexpr int kDeadlineMs = 300000;

    // Where the last capture's time went, in milliseconds.
    struct Timings {
        double total = 0;
        double measure = 0;   // sizes, freezing the layout, comparing layouts, all the rest
        double lazyWalk = 0;  // the walk that brings lazy content in
        double resize = 0;    // view resizes and the waits for their layout
        double frameWait = 0; // scrolling to each tile and waiting for its frame
        double grab = 0;      // drawing the view into memory
        double copy = 0;      // placing the tiles into the image
        double restore = 0;   // giving the control back as it was
        double record = 0;    // recording the document's words, links and headings
    };

    explicit WholePageCapture(BrowserControl* control);

    // The whole document into *image and, when layer is given, what it shows of the document
    // into *layer (its time of capture the start of this one); on failure both are untouched
    // and the result says why. A recording that fails leaves the layer empty, not the capture
    // failed.
    CaptureResult CaptureWholePage(QImage* image, DocumentLayer* layer = nullptr);
    // Stops a capture in progress at its next step; it fails as cancelled. Only until the
    // control is being put back as it was, which always completes.
    void Cancel();
    // The bound of the whole capture, in milliseconds (at least 1).
    void SetDeadline(int ms) { m_nDeadlineMs = std::max(1, ms); }

    // A narrower widest view (at least 16 pixels), so that tiling across can be seen at work
    // on smaller documents.
    void SetMaxViewWidth(int width) { m_nMaxViewWidth = std::max(16, width); }
    // Called as tiles are drawn: rows of the image complete so far, and its rows in all.
    void SetProgress(std::function<void(int done, int total)> progress) {
        m_progress = std::move(progress);
    }

    const Timings& LastTimings() const { return m_timings; }
    // Pixels per document pixel of the last capture's image, across and down.
    int Scale() const { return m_nScale; }

  private:
    // What the capture scrolls: the document, or a box inside the view.
    struct Scrolled {
        QRect view;    // its visible part, in view pixels
        QSize content; // its whole content
        bool box = false;
        bool spare = false;             // the view has rows below view for the frame marker
        QList<BoxSurround::Side> sides; // boxes that scroll along with the box
        QList<int> sideIndex;           // each one's index among the script's side boxes
    };
    // The size of the top document, or (*frameset) of its largest readable frame.
    bool MeasureDocument(QSize* size, QList<int>* remembered, bool* frameset);
    // Switches the document's scroll bars off, remembers the frame in remembered (when given)
    // and reads the document's full scroll size. true when the size was read.
    bool MeasureBody(int frame, QSize* size, QList<int>* remembered);
    // Renders the top document, width x height document pixels, into *image.
    bool DrawDocument(int width, int height, QImage* image);
    void RestoreBodies(const QList<int>& remembered);
    bool DrawFrameset(int width, int height, QImage* image);
    bool FindScrolled(QSize document, QSize view, Scrolled* scrolled);
    // The height of the tiles; *spare when the view has rows for the marker below them.
    int ChooseTileHeight(int width, int viewHeight, int documentHeight, bool* spare);
    // Makes the view width x height and waits for it; the elements' scroll positions put back.
    bool ResizeView(int width, int height);
    bool GrabTiles(TileStitcher& stitcher, const Scrolled& scrolled, BoxSurround& surround,
                   QImage* first);
    bool GrabTile(TileStitcher& stitcher, int index, const QRect& area, QPoint marker,
                  const QImage& previous, QImage* tile);
    // Until the view shows the marker of token at at; then, with grab, the whole view into it.
    bool WaitForMarker(QPoint at, int token, int timeoutMs, QImage* grab);
    void RenderView(QImage* buffer);
    QImage GrabUnmarked(const QImage& previous);
    // Records the document's layer as placement says the image shows it, when one is wanted.
    void Record(const DocumentRecorder::Placement& placement);
    // Notes why the capture fails (the first reason stands) and returns false.
    bool Fail(CaptureResult::Reason reason, QSize size = QSize());
    // true once the control was interrupted or its renderer ended: every step fails now.
    bool Stopped() const;

    BrowserControl* m_pControl;
    int m_nMaxViewWidth = kMaxViewWidth;
    int m_nToken = 0;
    int m_nScale = 1;
    int m_nDeadlineMs = kDeadlineMs;
    bool m_bRestoring = false;
    CaptureResult m_failure;
    bool m_bMarkerSeen = true;
    Timings m_timings;
    std::function<void(int, int)> m_progress;
    bool m_bRecord = false;
    DocumentLayer m_layer; // what this capture recorded, until it is handed over
};
