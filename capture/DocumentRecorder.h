#pragma once

#include "pages/DocumentLayer.h"

#include <QList>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QVariant>

class BrowserControl;

// Records what a capture's image shows of its document beyond the pixels - the words, links and
// headings and where they are drawn - into a DocumentLayer. The script runs once, in the
// control's own script world, where the layout stands as the tiles will show it; what it sends
// back is taken only after every number was checked, and placed where the stitched image shows
// it. A page is free to make this fail: the capture goes on without it.
class DocumentRecorder final {
  public:
    // Layer units per CSS pixel of the document as the capture lays it out: the layer is in
    // document pixels whatever the image's scale, which the page model applies.
    static constexpr double kImageScale = 1.0;
    // Bounds of one recording: the script's time, then what it may send back. Past them the
    // recording stops; what came before stands.
    static constexpr int kBudgetMs = 4000;
    static constexpr int kMaxWords = 1000000;
    static constexpr int kMaxTextChars = 8 << 20;
    static constexpr int kMaxLinks = 100000;
    static constexpr int kMaxHeadings = 10000;
    static constexpr int kMaxHeadingChars = 1000;
    static constexpr int kMaxAddressChars = 8192;
    static constexpr int kMaxTitleChars = 4096;

    // Where the image shows what the view shows while the script runs, in CSS pixels (the
    // document's, from its top left; the view's, when a box scrolls in place of the document).
    struct Placement {
        QSize image;     // the whole image
        QRect firstTile; // what the first tile shows: fixed elements are drawn there only
        // A box that scrolls in place of the document, unfolded in the image to its content
        // (as BoxSurround places it), with the boxes that scroll along beside it.
        bool box = false;
        QRect boxView;    // its visible part
        QSize boxContent; // its whole content
        struct Side {
            QRect view;     // its visible part
            int height = 0; // its whole content's height
            int script = 0; // its index among the script's side boxes
        };
        QList<Side> sides;
    };

    explicit DocumentRecorder(const Placement& placement) : m_place(placement) {}

    // Runs the recording in control and fills layer (its time of capture is left as it is).
    // false when it failed; layer then holds nothing but that time.
    bool Record(BrowserControl* control, DocumentLayer* layer) const;
    // Takes the script's reply into layer; false (layer untouched) when it is malformed. What
    // lies outside the image, or where the image does not show it once, is left out.
    bool Take(const QVariant& reply, DocumentLayer* layer) const;

  private:
    // The box r (CSS pixels of the view or document) where the image shows it, in image
    // pixels; false when it is not shown there exactly once. place: the script's place code.
    bool PlaceBox(QRectF* r, int place) const;
    bool PlacePoint(QPointF* p, int place) const;
    // How what the script placed at r (in place) moves into the image, and where the image
    // shows that place (in CSS pixels); false when it is not shown there exactly once.
    bool Locate(const QRectF& r, int place, QPointF* shift, QRectF* bounds) const;

    Placement m_place;
};
