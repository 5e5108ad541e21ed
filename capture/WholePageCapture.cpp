#include "capture/WholePageCapture.h"

#include "capture/BrowserControl.h"
#include "capture/DocumentScripts.h"
#include "capture/TileStitcher.h"

#include <QWebEngineView>

#include <algorithm>
#include <cstring>

namespace {

// Bounds of the waits of one capture step, in milliseconds.
constexpr int kLazyWalkTimeoutMs = 30000;
constexpr int kTileTimeoutMs = 5000;
// Grabs of one tile before a frame that still shows the previous position is accepted.
constexpr int kFreshTries = 4;

bool SameRows(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.format() != b.format())
        return false;
    const size_t rowBytes = size_t(a.width()) * 4;
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), rowBytes) != 0)
            return false;
    return true;
}

QPoint ReadPoint(const QVariant& value) {
    const QVariantList list = value.toList();
    return list.size() >= 2 ? QPoint(list.at(0).toInt(), list.at(1).toInt()) : QPoint(-1, -1);
}

// Puts the control back as the user had it, whatever the capture changed.
class ControlState final {
  public:
    explicit ControlState(BrowserControl* control)
        : m_pControl(control), m_size(control->size()), m_dZoom(control->View()->zoomFactor()) {
        QVariant position;
        if (control->RunScript(DocumentScripts::ScrollPosition(), &position))
            m_scroll = ReadPoint(position);
        control->View()->setZoomFactor(1.0);
    }
    // Called once the scroll bars are back: the engine finds scroll bars that depend on each
    // other (a vertical one narrowing the page into a horizontal one) only on a fresh viewport
    // size, so the control passes through one row less on its way back.
    void Restore() {
        m_pControl->View()->setZoomFactor(m_dZoom);
        for (int h : {m_size.height() - 1, m_size.height()}) {
            m_pControl->SetWidth(m_size.width());
            m_pControl->SetHeight(std::max(1, h));
            m_pControl->RunAsyncScript(DocumentScripts::WaitForViewport(
                m_pControl->View()->width(), m_pControl->View()->height()));
        }
        m_pControl->RunScript(
            DocumentScripts::RestoreLayout(std::max(0, m_scroll.x()), std::max(0, m_scroll.y())));
    }
    ControlState(const ControlState&) = delete;
    ControlState& operator=(const ControlState&) = delete;

  private:
    BrowserControl* m_pControl;
    QSize m_size;
    qreal m_dZoom;
    QPoint m_scroll{0, 0};
};

} // namespace

WholePageCapture::WholePageCapture(BrowserControl* control) : m_pControl(control) {}

bool WholePageCapture::CaptureWholePage(QImage* image) {
    // The waits run local event loops: a second capture must not start inside the first.
    static bool s_bBusy = false;
    if (s_bBusy || !m_pControl || !m_pControl->HasDocument())
        return false;
    s_bBusy = true;
    QList<int> remembered;
    QSize size;
    bool ok = false;
    ControlState state(m_pControl);
    if (MeasureDocument(&size, &remembered))
        ok = DrawDocument(size.width(), size.height(), image);
    RestoreBodies(remembered);
    state.Restore();
    s_bBusy = false;
    return ok;
}

bool WholePageCapture::MeasureDocument(QSize* size, QList<int>* remembered) {
    if (MeasureBody(BrowserControl::kTopDocument, size, remembered)) {
        // Lazy content changes the size: bring it in first, then measure again.
        m_pControl->RunAsyncScript(DocumentScripts::BringInLazyContent(kImageWaitMs), nullptr,
                                   kLazyWalkTimeoutMs);
        return m_pControl->BodyScrollSize(BrowserControl::kTopDocument, size);
    }
    // A frameset, or a document without a body: the largest frame that can be read.
    bool any = false;
    const int count = m_pControl->FrameCount();
    for (int i = 0; i < count; ++i) {
        QSize frame;
        if (!MeasureBody(i, &frame, remembered))
            continue;
        *size = any ? size->expandedTo(frame) : frame;
        any = true;
    }
    return any;
}

bool WholePageCapture::MeasureBody(int frame, QSize* size, QList<int>* remembered) {
    if (!m_pControl->SetBodyScroll(frame, false))
        return false;
    if (remembered && !remembered->contains(frame))
        remembered->append(frame);
    return m_pControl->BodyScrollSize(frame, size);
}

void WholePageCapture::RestoreBodies(const QList<int>& remembered) {
    for (int frame : remembered)
        m_pControl->SetBodyScroll(frame, true);
}

bool WholePageCapture::DrawDocument(int width, int height, QImage* image) {
    if (width <= 0 || height <= 0 || width > kMaxRenderSide)
        return false;
    QSize top;
    if (!m_pControl->BodyScrollSize(BrowserControl::kTopDocument, &top))
        return DrawFrameset(width, height, image);

    m_pControl->SetWidth(width);
    const int viewHeight = m_pControl->View()->height();
    if (viewHeight <= 0 ||
        !m_pControl->RunAsyncScript(DocumentScripts::WaitForViewport(width, viewHeight)))
        return false;
    // The wider view may lay the document out anew: its height is read once more.
    if (!m_pControl->RunScript(DocumentScripts::FreezeLayout()) ||
        !m_pControl->BodyScrollSize(BrowserControl::kTopDocument, &top))
        return false;
    height = top.height();

    TileStitcher stitcher(width, height);
    if (!stitcher.IsValid())
        return false;
    QImage previous;
    int previousY = -1;
    while (!stitcher.IsComplete()) {
        const int target = std::min(stitcher.FilledRows(), std::max(0, height - viewHeight));
        QVariant reply;
        if (!m_pControl->RunAsyncScript(DocumentScripts::ScrollTile(target), &reply,
                                        kTileTimeoutMs))
            return false;
        const int scrollY = ReadPoint(reply).y();
        if (scrollY != target)
            break; // the document became shorter than measured: keep what was filled
        QImage tile = GrabTile(previous, previousY, scrollY);
        if (tile.isNull() || !stitcher.Place(tile, scrollY))
            return false;
        previous = std::move(tile);
        previousY = scrollY;
    }
    QImage result = stitcher.TakeImage();
    if (result.isNull())
        return false;
    *image = std::move(result);
    return true;
}

QImage WholePageCapture::GrabTile(const QImage& previous, int previousY, int scrollY) {
    QImage tile = m_pControl->GrabViewport();
    // A frame that still shows the previous position is the same picture again: wait for the
    // next frame and grab once more. A page that truly repeats itself is taken after a few.
    for (int tries = 1; tries < kFreshTries && scrollY != previousY && SameRows(tile, previous);
         ++tries) {
        m_pControl->RunAsyncScript(
            QStringLiteral("await new Promise(r=>requestAnimationFrame(()=>r()));return true;"));
        tile = m_pControl->GrabViewport();
    }
    return tile;
}

bool WholePageCapture::DrawFrameset(int width, int height, QImage* image) {
    // A frameset does not scroll as a whole: it is laid out at the size of its largest frame
    // and rendered at once.
    if (height > kMaxRenderSide)
        return false;
    m_pControl->SetWidth(width);
    m_pControl->SetHeight(height);
    if (!m_pControl->RunAsyncScript(DocumentScripts::WaitForViewport(width, height)))
        return false;
    m_pControl->RunAsyncScript(QStringLiteral(
        "for(let i=0;i<3;++i)await new Promise(r=>requestAnimationFrame(()=>r()));return true;"));
    const QImage tile = m_pControl->GrabViewport();
    if (tile.width() < width || tile.height() < height)
        return false;
    QImage result = tile.copy(0, 0, width, height);
    if (result.isNull())
        return false;
    *image = std::move(result);
    return true;
}
