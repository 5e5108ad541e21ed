#include "capture/WholePageCapture.h"

#include "capture/BoxSurround.h"
#include "capture/BrowserControl.h"
#include "capture/DocumentScripts.h"
#include "capture/TileStitcher.h"

#include <QElapsedTimer>
#include <QScopedValueRollback>
#include <QTimer>
#include <QWebEngineView>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

// Bounds of the waits of one capture step, in milliseconds.
constexpr int kLazyWalkTimeoutMs = 30000;
constexpr int kTileTimeoutMs = 5000;
// How long a tile may take to be drawn once its marker was seen to work (a tall tile on a busy
// machine): past it the capture fails rather than take a frame it cannot vouch for.
constexpr int kMarkerTimeoutMs = 20000;
// Grabs of one tile before a frame that still shows the previous position is accepted, where
// the frame marker cannot be used.
constexpr int kFreshTries = 4;
// How long the first tile waits for its marker before the capture goes without; the poll step.
constexpr int kFirstMarkerMs = 3000;
constexpr int kPollMs = 2;
// A frameset is rendered at once: no taller than this.
constexpr int kMaxFramesetSide = 16000;
// A box that scrolls in place of the document covers at least this much of the view.
constexpr int kBoxPercent = 50;
// Pixels of one taller tile: fewer tiles, but within what the engine rasterises at once.
constexpr int kTilePixels = 8 << 20;
// Rows of the frame marker. A taller view is this much taller than its tiles, so that the
// marker has rows of its own, outside every tile.
constexpr int kMarkerRows = 2;

bool SameRows(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.format() != b.format())
        return false;
    const size_t rowBytes = size_t(a.width()) * 4;
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), rowBytes) != 0)
            return false;
    return true;
}

QRgb MarkerRgb(int token, int row) {
    return row == 0 ? qRgb((token * 53 + 17) & 0xFF, 0x11, 0xE6)
                    : qRgb(0xF0, (token * 97 + 5) & 0xFF, 0x0A);
}

// The two rows of the frame marker for one tile: colours no page is likely to have in that
// corner, different from one tile to the next.
QString MarkerColour(int token, int row) {
    const QRgb c = MarkerRgb(token, row);
    return QStringLiteral("rgb(%1,%2,%3)").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c));
}

// How far a marker pixel may be from its colour, per channel, where a screen ratio that is no
// whole number draws the view scaled: less than half the step between two tiles' colours.
constexpr int kScaledMarkerTolerance = 12;

// at in document pixels of an image of scale pixels per document pixel. At a whole scale each of
// the marker's document pixels is looked at in its middle. Where a ratio that is no whole number
// draws it, the engine moves its rows to whole pixels and the view may be drawn scaled: its two
// colours are looked for, one below the other, around where it should be.
bool ShowsMarker(const QImage& image, QPoint at, int token, qreal scale, int tolerance) {
    const auto near = [tolerance](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) <= tolerance &&
               std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
               std::abs(qBlue(a) - qBlue(b)) <= tolerance;
    };
    if (tolerance == 0) {
        const auto middle = [scale](int v) { return int((v + 0.5) * scale); };
        for (int row = 0; row < 2; ++row)
            for (int x = 0; x < 2; ++x)
                if (!near(image.pixel(middle(at.x() + x), middle(at.y() + row)),
                          MarkerRgb(token, row)))
                    return false;
        return true;
    }
    const int side = int(std::ceil(2 * scale)) + 2;
    const QRect area = QRect(int(at.x() * scale) - 1, int(at.y() * scale) - 1, side, side)
                           .intersected(image.rect());
    int row = 0;
    for (int y = area.top(); y <= area.bottom() && row < 2; ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (near(image.pixel(x, y), MarkerRgb(token, row))) {
                ++row;
                break;
            }
        }
    }
    return row == 2;
}

QRect Scaled(const QRect& r, int scale) {
    return QRect(r.topLeft() * scale, r.size() * scale);
}

QPoint ReadPoint(const QVariant& value) {
    const QVariantList list = value.toList();
    return list.size() >= 2 ? QPoint(list.at(0).toInt(), list.at(1).toInt()) : QPoint(-1, -1);
}

// Adds the time of its scope to a step of the capture's timings.
class StepTime final {
  public:
    explicit StepTime(double* slot) : m_pSlot(slot) { m_timer.start(); }
    ~StepTime() { *m_pSlot += double(m_timer.nsecsElapsed()) / 1e6; }
    StepTime(const StepTime&) = delete;
    StepTime& operator=(const StepTime&) = delete;

  private:
    double* m_pSlot;
    QElapsedTimer m_timer;
};

// Puts the control back as the user had it, whatever the capture changed.
class ControlState final {
  public:
    explicit ControlState(BrowserControl* control)
        : m_pControl(control), m_size(control->Width(), control->Height()),
          m_dZoom(control->View()->zoomFactor()) {
        // The user goes on seeing the page as it is; the work is done behind its picture.
        control->SetStill(true);
        QVariant position;
        if (control->RunScript(DocumentScripts::ScrollPosition(), &position))
            m_scroll = ReadPoint(position);
        control->View()->setZoomFactor(1.0);
    }
    // Called once the scroll bars are back: the engine finds scroll bars that depend on each
    // other (a vertical one narrowing the page into a horizontal one) only on a fresh viewport
    // size, so a control still at its own size passes through one row less on its way back.
    void Restore() {
        m_pControl->View()->setZoomFactor(m_dZoom);
        if (QSize(m_pControl->Width(), m_pControl->Height()) == m_size)
            ResizeTo(m_size.height() - 1);
        ResizeTo(m_size.height());
        QVariant settle;
        m_pControl->RunScript(
            DocumentScripts::RestoreLayout(std::max(0, m_scroll.x()), std::max(0, m_scroll.y())),
            &settle);
        if (settle.toBool())
            m_pControl->RunAsyncScript(DocumentScripts::SettleRestoredPlace());
    }
    // The view is seen again: called last, once the page is as it was.
    void Show() { m_pControl->SetStill(false); }
    ControlState(const ControlState&) = delete;
    ControlState& operator=(const ControlState&) = delete;

  private:
    void ResizeTo(int height) {
        m_pControl->SetWidth(m_size.width());
        m_pControl->SetHeight(std::max(1, height));
        m_pControl->RunAsyncScript(DocumentScripts::WaitForViewport(m_pControl->View()->width(),
                                                                    m_pControl->View()->height()));
    }

    BrowserControl* m_pControl;
    QSize m_size;
    qreal m_dZoom;
    QPoint m_scroll{0, 0};
};

} // namespace

WholePageCapture::WholePageCapture(BrowserControl* control) : m_pControl(control) {}

CaptureResult WholePageCapture::CaptureWholePage(QImage* image, DocumentLayer* layer) {
    // The waits run local event loops: a second capture must not start inside the first.
    static bool s_bBusy = false;
    if (s_bBusy)
        return CaptureResult::Failed(CaptureResult::NoAnswer);
    if (!m_pControl)
        return CaptureResult::Failed(CaptureResult::NothingToCapture);
    if (m_pControl->RendererGone())
        return CaptureResult::Failed(CaptureResult::RendererEnded);
    const QScopedValueRollback<bool> busy(s_bBusy, true);
    const BrowserControl::DialogHold quiet(m_pControl); // a page's dialog would stop the capture
    m_pControl->ClearInterruption();
    m_failure = CaptureResult();
    m_bRestoring = false;
    if (!m_pControl->HasDocument()) {
        const CaptureResult::Reason why = m_pControl->RendererGone()
                                              ? CaptureResult::RendererEnded
                                              : CaptureResult::NothingToCapture;
        m_pControl->ClearInterruption();
        return CaptureResult::Failed(why);
    }
    m_timings = Timings();
    m_nScale = m_pControl->CaptureScale();
    QElapsedTimer timer;
    timer.start();
    m_bRecord = layer != nullptr;
    m_layer = DocumentLayer();
    m_layer.captured = QDateTime::currentDateTime();
    // Read before the deadline runs: however soon it passes, the control is put back.
    ControlState state(m_pControl);
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, m_pControl,
                     [this] { m_pControl->Interrupt(BrowserControl::DeadlinePassed); });
    deadline.start(m_nDeadlineMs);
    QList<int> remembered;
    QSize size;
    bool ok = false, frameset = false;
    // The blinking caret of a focused field is no part of the page.
    m_pControl->RunScript(DocumentScripts::HideCaret(true));
    // Before the view changes: panels scrolled by the user or the page keep their place.
    m_pControl->RunScript(DocumentScripts::KeepScrolledBoxes());
    if (MeasureDocument(&size, &remembered, &frameset))
        ok = frameset ? DrawFrameset(size.width(), size.height(), image)
                      : DrawDocument(size.width(), size.height(), image);
    else
        Fail(CaptureResult::NothingToCapture);
    deadline.stop();
    // What interrupted the capture is why it failed, whatever step noticed it first.
    const BrowserControl::Interruption interruption = m_pControl->InterruptedBy();
    CaptureResult result;
    if (m_pControl->RendererGone())
        result = CaptureResult::Failed(CaptureResult::RendererEnded);
    else if (interruption == BrowserControl::Cancelled)
        result = CaptureResult::Failed(CaptureResult::Cancelled);
    else if (interruption == BrowserControl::DeadlinePassed)
        result = CaptureResult::Failed(CaptureResult::TimedOut);
    else if (!ok)
        result = m_failure.Ok() ? CaptureResult::Failed(CaptureResult::NoAnswer) : m_failure;
    {
        // The control is put back as the user had it even after an interruption.
        m_bRestoring = true;
        m_pControl->ClearInterruption();
        StepTime step(&m_timings.restore);
        // Hidden, the tall view's last frames and the sizes on the way back cost nothing to draw.
        m_pControl->RunScript(DocumentScripts::HidePage(true));
        RestoreBodies(remembered);
        state.Restore();
        m_pControl->RunScript(DocumentScripts::HidePage(false));
        m_pControl->RunScript(DocumentScripts::HideCaret(false));
        state.Show();
    }
    Timings& t = m_timings;
    t.total = double(timer.nsecsElapsed()) / 1e6;
    t.measure =
        t.total - t.lazyWalk - t.resize - t.frameWait - t.grab - t.copy - t.restore - t.record;
    if (result && layer)
        *layer = std::move(m_layer);
    m_layer = DocumentLayer();
    return result;
}

void WholePageCapture::Cancel() {
    if (m_pControl && !m_bRestoring)
        m_pControl->Interrupt(BrowserControl::Cancelled);
}

void WholePageCapture::Record(const DocumentRecorder::Placement& placement) {
    if (!m_bRecord || Stopped())
        return;
    StepTime step(&m_timings.record);
    DocumentRecorder(placement).Record(m_pControl, &m_layer);
}

bool WholePageCapture::Fail(CaptureResult::Reason reason, QSize size) {
    if (m_failure.Ok())
        m_failure = CaptureResult::Failed(reason, size, m_nScale);
    return false;
}

bool WholePageCapture::Stopped() const {
    return m_pControl->InterruptedBy() != BrowserControl::NotInterrupted ||
           m_pControl->RendererGone();
}

bool WholePageCapture::MeasureDocument(QSize* size, QList<int>* remembered, bool* frameset) {
    *frameset = false;
    if (MeasureBody(BrowserControl::kTopDocument, size, remembered))
        return true;
    *frameset = true;
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
    if (width <= 0 || height <= 0)
        return Fail(CaptureResult::NothingToCapture);
    if (qint64(width) * height * m_nScale * m_nScale * 4 > kMaxImageBytes)
        return Fail(CaptureResult::TooLarge, QSize(width, height) * m_nScale);

    const int viewWidth = std::min(width, m_nMaxViewWidth);
    const int viewHeight = m_pControl->View()->height();
    // A view already that wide has nothing to wait for.
    if (viewHeight <= 2 * TileStitcher::kOverlap ||
        (m_pControl->View()->width() != viewWidth && !ResizeView(viewWidth, viewHeight)))
        return Fail(CaptureResult::NoAnswer);
    Scrolled scrolled;
    if (!FindScrolled(QSize(width, height), QSize(viewWidth, viewHeight), &scrolled))
        return Fail(CaptureResult::NoAnswer);
    // A box's page around it keeps the view's size; a document is its content.
    const QSize imageSize =
        scrolled.box ? QSize(viewWidth, viewHeight) + scrolled.content - scrolled.view.size()
                     : scrolled.content;
    if (qint64(imageSize.width()) * imageSize.height() * m_nScale * m_nScale * 4 > kMaxImageBytes)
        return Fail(CaptureResult::TooLarge, imageSize * m_nScale);

    TileStitcher stitcher(imageSize, QRect(scrolled.view.topLeft(), scrolled.content),
                          scrolled.view.size(), m_nScale);
    if (!stitcher.IsValid())
        return Fail(CaptureResult::OutOfMemory);
    {
        // The first tile is the top left of the view (of all of it, around a box).
        DocumentRecorder::Placement placement;
        placement.image = imageSize;
        placement.firstTile = scrolled.box ? QRect(0, 0, viewWidth, viewHeight)
                                           : QRect(QPoint(0, 0), stitcher.TileSize());
        placement.box = scrolled.box;
        placement.boxView = scrolled.view;
        placement.boxContent = scrolled.content;
        for (int i = 0; i < scrolled.sides.size(); ++i)
            placement.sides.append(
                {scrolled.sides.at(i).view, scrolled.sides.at(i).height, scrolled.sideIndex.at(i)});
        Record(placement);
    }
    QImage first;
    // The surround works on the image's pixels.
    QList<BoxSurround::Side> sides = scrolled.sides;
    for (BoxSurround::Side& side : sides) {
        side.view = Scaled(side.view, m_nScale);
        side.height *= m_nScale;
    }
    BoxSurround surround(Scaled(scrolled.view, m_nScale), scrolled.content * m_nScale, sides);
    QElapsedTimer tiles;
    tiles.start();
    const double before = m_timings.grab + m_timings.copy;
    const bool grabbed = GrabTiles(stitcher, scrolled, surround, &first);
    m_timings.frameWait +=
        double(tiles.nsecsElapsed()) / 1e6 - (m_timings.grab + m_timings.copy - before);
    // Every row of the measured extent is drawn, or there is no image.
    if (!grabbed || !stitcher.IsComplete())
        return Fail(CaptureResult::NoAnswer);
    if (scrolled.box)
        surround.Fill(stitcher.Image(), first);
    StepTime step(&m_timings.copy);
    QImage result = stitcher.TakeImage();
    if (result.isNull())
        return Fail(CaptureResult::OutOfMemory);
    *image = std::move(result);
    return true;
}

bool WholePageCapture::FindScrolled(QSize document, QSize view, Scrolled* scrolled) {
    // A document that does not scroll may scroll in a box that fills most of the view.
    QVariant box;
    if (document.width() <= view.width() && document.height() <= view.height() &&
        m_pControl->RunScript(DocumentScripts::FindScrollBox(kBoxPercent), &box) && box.toBool()) {
        // The box's own top is where its sticky parts are frozen.
        QVariant geometry;
        // A box just scrolled to its top: the page sees it there before it is held.
        if (box.toInt() == 2)
            m_pControl->RunAsyncScript(DocumentScripts::WaitFrames(2));
        if (!m_pControl->RunScript(DocumentScripts::FreezeLayout()) ||
            !m_pControl->RunScript(DocumentScripts::HoldScrollWatchers()) ||
            !m_pControl->RunScript(DocumentScripts::ScrollBoxGeometry(), &geometry))
            return false;
        const QVariantList g = geometry.toList();
        if (g.size() != 6)
            return false;
        scrolled->box = true;
        scrolled->view = QRect(g[0].toInt(), g[1].toInt(), g[2].toInt(), g[3].toInt())
                             .intersected(QRect(QPoint(0, 0), view));
        scrolled->content = QSize(g[4].toInt(), g[5].toInt()).expandedTo(scrolled->view.size());
        QVariant sides;
        m_pControl->RunScript(DocumentScripts::SideBoxGeometry(), &sides);
        const QVariantList found = sides.toList();
        for (int index = 0; index < found.size(); ++index) {
            const QVariantList s = found.at(index).toList();
            if (s.size() != 6)
                continue;
            const QRect side = QRect(s[0].toInt(), s[1].toInt(), s[2].toInt(), s[3].toInt())
                                   .intersected(QRect(QPoint(0, 0), view));
            // Only as tall as the box's tiles step, or its rows would have gaps.
            if (!side.isEmpty() &&
                side.height() >= scrolled->view.height() - TileStitcher::kOverlap) {
                scrolled->sides.append({side, std::max(side.height(), s[4].toInt()),
                                        QRgb(s[5].toUInt()) | 0xFF000000});
                scrolled->sideIndex.append(index);
            }
        }
        return scrolled->view.width() > 2 * TileStitcher::kOverlap &&
               scrolled->view.height() > 2 * TileStitcher::kOverlap;
    }
    // The wider view may lay the document out anew: its height is read once more, and again
    // once lazy content (brought in with a taller view's steps where the page allows) is in.
    QSize top;
    if (!m_pControl->RunScript(DocumentScripts::FreezeLayout()) ||
        !m_pControl->BodyScrollSize(BrowserControl::kTopDocument, &top))
        return false;
    // Hidden until the walk for lazy content has passed: the taller view is not drawn for nothing.
    m_pControl->RunScript(DocumentScripts::HidePage(true));
    const int tileHeight =
        ChooseTileHeight(view.width(), view.height(), top.height(), &scrolled->spare);
    {
        StepTime step(&m_timings.lazyWalk);
        m_pControl->RunAsyncScript(DocumentScripts::BringInLazyContent(kImageWaitMs), nullptr,
                                   kLazyWalkTimeoutMs);
        // Shown again even when the walk did not end in time.
        m_pControl->RunScript(DocumentScripts::HidePage(false));
    }
    // From here the page stands as at the top, whatever the tiles' scrolling would tell it.
    m_pControl->RunScript(DocumentScripts::HoldScrollWatchers());
    if (!m_pControl->BodyScrollSize(BrowserControl::kTopDocument, &top))
        return false;
    scrolled->view = QRect(0, 0, view.width(), tileHeight);
    scrolled->content =
        QSize(std::max(document.width(), view.width()), std::max(top.height(), tileHeight));
    return true;
}

int WholePageCapture::ChooseTileHeight(int width, int viewHeight, int documentHeight, bool* spare) {
    // A taller view means fewer tiles, but only when nothing is laid out by the view's height
    // (viewport units, percentages of it, scripts that read it, fixed elements at its bottom).
    *spare = false;
    // The engine rasterises the screen's pixels: scale^2 of them per view pixel.
    const int tall =
        std::min(documentHeight, std::max(viewHeight, kTilePixels / (width * m_nScale * m_nScale)));
    if (tall <= viewHeight)
        return viewHeight;
    // Rows for the marker only where the view stays within the document: a view taller than
    // the document makes the document taller.
    const int rows = tall + kMarkerRows <= documentHeight ? tall + kMarkerRows : tall;
    QVariant before, after;
    if (!m_pControl->RunScript(DocumentScripts::LayoutSignature(), &before))
        return viewHeight;
    if (ResizeView(width, rows) &&
        m_pControl->RunScript(DocumentScripts::LayoutSignature(), &after) &&
        after.toString() == before.toString()) {
        *spare = rows != tall;
        return tall;
    }
    ResizeView(width, viewHeight);
    return viewHeight;
}

bool WholePageCapture::ResizeView(int width, int height) {
    StepTime step(&m_timings.resize);
    m_pControl->SetWidth(width);
    m_pControl->SetHeight(height);
    const bool resized =
        m_pControl->RunAsyncScript(DocumentScripts::WaitForViewport(width, height));
    m_pControl->RunScript(DocumentScripts::PutBackScrolledBoxes());
    return resized;
}

bool WholePageCapture::GrabTiles(TileStitcher& stitcher, const Scrolled& scrolled,
                                 BoxSurround& surround, QImage* first) {
    m_bMarkerSeen = true;
    QImage previous, tile; // tile: one buffer for every tile, written in place
    for (int index = 0; index < stitcher.Count(); ++index) {
        if (Stopped())
            return false;
        const QPoint at = stitcher.TileAt(index);
        // With rows to spare, the first tile is the top of the view and the marker below it;
        // the others are the bottom of the view, the marker above them.
        const int below = scrolled.spare && at.y() > 0 ? kMarkerRows : 0;
        const QPoint scroll = at - QPoint(0, below);
        QVariant reply;
        if (!m_pControl->RunAsyncScript(DocumentScripts::ScrollTile(scroll.x(), scroll.y()), &reply,
                                        kTileTimeoutMs))
            return false;
        // Short of the tile: the document became smaller than measured while it was
        // captured. Its rows below can no longer be drawn, and the image must not pretend.
        if (ReadPoint(reply) != scroll)
            return Fail(CaptureResult::Shrank);
        const QRect area = scrolled.view.translated(0, below);
        const QPoint marker = !scrolled.spare ? area.topLeft()
                              : below         ? QPoint(area.left(), 0)
                                              : area.bottomLeft() + QPoint(0, 1);
        if (!GrabTile(stitcher, index, area, marker, previous, &tile))
            return false;
        StepTime step(&m_timings.copy);
        if (!stitcher.Place(index, tile, area.topLeft()))
            return Fail(tile.isNull() ? CaptureResult::OutOfMemory : CaptureResult::NoAnswer);
        const QVariantList tops = reply.toList();
        // The script scrolls every side box it found; some may have been left out here.
        for (int i = 0; i < scrolled.sides.size() && scrolled.sideIndex.at(i) + 2 < tops.size();
             ++i)
            surround.PlaceSide(stitcher.Image(), tile, i,
                               tops.at(scrolled.sideIndex.at(i) + 2).toInt() * m_nScale);
        if (m_progress)
            m_progress(stitcher.FilledRows(), scrolled.content.height());
        if (index == 0 && scrolled.box)
            *first = tile.copy();
        if (!m_bMarkerSeen)
            previous = tile;
    }
    return true;
}

bool WholePageCapture::GrabTile(TileStitcher& stitcher, int index, const QRect& area, QPoint marker,
                                const QImage& previous, QImage* tile) {
    // The grab that shows the tile's marker is known to show this tile's position. The marker
    // has rows of its own, or sits in the corner a tile shares with the tiles before it; there
    // the first tile is grabbed once more with the marker at its opposite corner, for the
    // corner itself.
    if (!m_bMarkerSeen) {
        {
            StepTime step(&m_timings.copy);
            stitcher.Prepare(index);
        }
        *tile = GrabUnmarked(previous);
        return !tile->isNull();
    }
    const int token = ++m_nToken;
    m_pControl->RunScript(
        DocumentScripts::ShowMarker(marker, MarkerColour(token, 0), MarkerColour(token, 1)));
    {
        StepTime step(&m_timings.copy);
        stitcher.Prepare(index); // while the engine draws the tile
    }
    if (!WaitForMarker(marker, token, index == 0 ? kFirstMarkerMs : kMarkerTimeoutMs, tile)) {
        if (index > 0)
            return false;
        // Something on the page keeps the marker from showing as drawn: fixed frame waits.
        m_bMarkerSeen = false;
        m_pControl->RunScript(DocumentScripts::ShowMarker(QPoint(-8, -8), QString(), QString()));
        *tile = GrabUnmarked(QImage());
        return !tile->isNull();
    }
    if (index > 0 || marker != area.topLeft())
        return true;
    const QPoint opposite = area.bottomRight() - QPoint(1, 1);
    const int second = ++m_nToken;
    m_pControl->RunScript(
        DocumentScripts::ShowMarker(opposite, MarkerColour(second, 0), MarkerColour(second, 1)));
    if (!WaitForMarker(opposite, second, kMarkerTimeoutMs, nullptr))
        return false;
    // Drawn no earlier than the frame that moved the marker away: the corner as the page has it.
    // Only these pixels are needed, not a second drawing of the whole view.
    const int s = m_nScale;
    QImage corner = m_pControl->View()
                        ->grab(QRect(area.topLeft(), QSize(2, 2)))
                        .toImage()
                        .convertToFormat(QImage::Format_RGB32);
    if (corner.size() != QSize(2, 2) * s)
        corner = corner.scaled(QSize(2, 2) * s, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (corner.size() != QSize(2, 2) * s)
        return false;
    for (int y = 0; y < 2 * s; ++y)
        std::memcpy(tile->scanLine(area.top() * s + y) + size_t(area.left()) * s * 4,
                    corner.constScanLine(y), size_t(8) * s);
    return true;
}

bool WholePageCapture::WaitForMarker(QPoint at, int token, int timeoutMs, QImage* grab) {
    QElapsedTimer timer;
    timer.start();
    const QRect spot(at, QSize(2, 2));
    const qreal ratio = m_pControl->View()->devicePixelRatioF();
    const int tolerance = ratio == std::round(ratio) ? 0 : kScaledMarkerTolerance;
    while (true) {
        // The probe holds the screen's pixels: the marker's document pixels are read at their
        // own scale there.
        const QImage probe = m_pControl->View()->grab(spot).toImage();
        const qreal probeScale = qreal(probe.width()) / spot.width();
        if (probe.width() >= spot.width() && probe.height() >= spot.height() &&
            ShowsMarker(probe, QPoint(0, 0), token, probeScale, tolerance)) {
            if (!grab)
                return true;
            RenderView(grab);
            // The whole grab comes from the same or a later frame: the marker says which.
            if (grab->rect().contains(Scaled(spot, m_nScale)) &&
                ShowsMarker(*grab, at, token, m_nScale, tolerance))
                return true;
        }
        if (timer.elapsed() > timeoutMs || Stopped())
            return false;
        m_pControl->Pump(kPollMs);
    }
}

void WholePageCapture::RenderView(QImage* buffer) {
    // Into the caller's buffer, reused from tile to tile: a fresh image of a tall view costs
    // more in page faults than the drawing itself.
    StepTime step(&m_timings.grab);
    QWidget* view = m_pControl->View();
    // The engine's own pixels at the screen's ratio: the view draws into a buffer of that ratio.
    const QSize pixels = view->size() * m_nScale;
    if (buffer->size() != pixels || buffer->format() != QImage::Format_RGB32)
        *buffer = QImage(pixels, QImage::Format_RGB32);
    if (buffer->isNull())
        return;
    buffer->setDevicePixelRatio(m_nScale);
    view->render(buffer, QPoint(), QRegion(view->rect()),
                 QWidget::DrawWindowBackground | QWidget::DrawChildren | QWidget::IgnoreMask);
}

QImage WholePageCapture::GrabUnmarked(const QImage& previous) {
    m_pControl->RunAsyncScript(DocumentScripts::WaitFrames(2));
    QImage tile = m_pControl->GrabViewport();
    // A frame that still shows the previous position is the same picture again: wait for the
    // next frame and grab once more. A page that truly repeats itself is taken after a few.
    for (int tries = 1; tries < kFreshTries && !previous.isNull() && SameRows(tile, previous);
         ++tries) {
        m_pControl->RunAsyncScript(DocumentScripts::WaitFrames(1));
        tile = m_pControl->GrabViewport();
    }
    return tile;
}

bool WholePageCapture::DrawFrameset(int width, int height, QImage* image) {
    // A frameset does not scroll as a whole: it is laid out at the size of its largest frame
    // and rendered at once.
    if (height > kMaxFramesetSide)
        return Fail(CaptureResult::TooLarge, QSize(width, height) * m_nScale);
    m_pControl->SetWidth(width);
    m_pControl->SetHeight(height);
    if (!m_pControl->RunAsyncScript(DocumentScripts::WaitForViewport(width, height)))
        return Fail(CaptureResult::NoAnswer);
    m_pControl->RunAsyncScript(QStringLiteral(
        "for(let i=0;i<3;++i)await new Promise(r=>requestAnimationFrame(()=>r()));return true;"));
    // Every frame is drawn where it stands, at once: what the frames' documents draw is where
    // the view shows it.
    DocumentRecorder::Placement placement;
    placement.image = QSize(width, height);
    placement.firstTile = QRect(QPoint(0, 0), placement.image);
    Record(placement);
    const QImage tile = m_pControl->GrabViewport();
    if (tile.width() < width * m_nScale || tile.height() < height * m_nScale)
        return false;
    QImage result = tile.copy(0, 0, width * m_nScale, height * m_nScale);
    if (result.isNull())
        return Fail(CaptureResult::OutOfMemory);
    *image = std::move(result);
    return true;
}
