#pragma once

#include <QImage>
#include <QList>
#include <QSize>

class BrowserControl;

// Renders the whole document shown in the browser control, not only its visible part, into
// one image of document pixels (Format_RGB32). The view keeps the height the user saw (so
// viewport-sized sections keep their size) and is scrolled tile by tile; the tiles are
// stitched. Afterwards the control has its former size, scroll position and scroll bars.
class WholePageCapture final {
  public:
    // Largest width or height one rendering of the engine can give.
    static constexpr int kMaxRenderSide = 16000;
    // Bound of the wait for lazily loaded images, in milliseconds.
    static constexpr int kImageWaitMs = 3000;

    explicit WholePageCapture(BrowserControl* control);

    // The whole document into *image. false (and *image untouched) when there is no document,
    // nothing could be measured, the rendering failed or the image could not be allocated.
    bool CaptureWholePage(QImage* image);

    // Switches the document's scroll bars off, remembers the frame in remembered (when given)
    // and reads the document's full scroll size. true when the size was read.
    bool MeasureBody(int frame, QSize* size, QList<int>* remembered);

    // Renders the top document, width x height document pixels, into *image.
    bool DrawDocument(int width, int height, QImage* image);

  private:
    bool MeasureDocument(QSize* size, QList<int>* remembered);
    void RestoreBodies(const QList<int>& remembered);
    bool DrawFrameset(int width, int height, QImage* image);
    QImage GrabTile(const QImage& previous, int previousY, int scrollY);

    BrowserControl* m_pControl;
};
