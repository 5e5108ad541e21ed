#pragma once

#include <QPoint>
#include <QString>

// The JavaScript the browser control and the whole-page capture run in the document. Scripts
// run in the control's own script world; they change the page only for the capture and keep
// what they need to undo it.
namespace DocumentScripts {

// Wraps body (the body of an async function) so that its outcome is written as a tagged
// console line: tag, id, ':', 1 or 0, ':', the JSON of the value or of the error text.
QString AsyncCall(const QString& body, const QString& tag, quint64 id);

// [width, height] of what the document's window scrolls over (at least the view), or null
// when the document cannot be read (another origin) or has no body (a frameset). An empty
// body is measured as any other.
QString MeasureBody(int frame);

// Hides every element of the page (hide), so that frames drawn while the capture prepares cost
// nothing, or shows them again and gives the focus back to where it was.
QString HidePage(bool hide);

// Makes the text caret of the focused field invisible (hide) or visible again; the focus
// stays where it is.
QString HideCaret(bool hide);

// Hides the document's scroll bars (yes == false) or takes back only what that added.
QString SetScroll(int frame, bool yes);

// Put into every page before its own scripts, in the page's own world: notes, for the walk of
// BringInLazyContent, when the page observes intersections or listens to the document's
// scrolling (ListenForScrollUsers, in the control's world, takes the note), and keeps the
// capture's scrolling from them while HoldScrollWatchers holds them.
QString WatchScrollUsers();
QString ListenForScrollUsers();

// Async body: switches lazy images and frames to eager; where the page may load anything on
// scrolling, scrolls once through the document hidden (HidePage) so that scroll-driven loaders
// start, shows it again and returns to the top; waits (at most waitMs) for images. Returns
// whether it walked.
QString BringInLazyContent(int waitMs);

// Async body: waits a few frames until the viewport is width x height CSS pixels.
QString WaitForViewport(int width, int height);

// At the top of the document: sticky elements become relative where they stand, and fixed
// elements are noted so that tiles after the first can hide them.
QString FreezeLayout();

// Scrolls what the capture scrolls (the document, or the box of FindScrollBox) to (x, y) at
// once, hides fixed elements when away from the top-left and returns the position reached,
// followed by the scroll tops of the elements that scroll along with the box.
QString ScrollTile(int x, int y);

// Shows the frame marker, 2 x 2 pixels at view position at: the top row in colour top, the
// bottom row in colour bottom (CSS colours), above everything else.
QString ShowMarker(QPoint at, const QString& top, const QString& bottom);

// Async body: waits for the given number of frames.
QString WaitFrames(int frames);

// Notes where every element scrolled by the user or the page stands, before the capture changes
// the view: an element as tall as the view loses its position when a taller one shows all of it.
// Returns how many.
QString KeepScrolledBoxes();
// Scrolls those elements back to where they stood (not the box the capture scrolls).
QString PutBackScrolledBoxes();

// Once the page stands as at the top: puts those elements back, holds the page's scroll
// handlers and intersection observers (of WatchScrollUsers) until RestoreLayout, so that the
// tiles' scrolling changes nothing in it, and finishes the transitions running.
QString HoldScrollWatchers();
// Async body, after RestoreLayout: once a page that watches its scrolling has answered the
// return to the user's place, the document and the elements of KeepScrolledBoxes are put back
// once more where that moved them.
QString SettleRestoredPlace();

// When an element that scrolls covers at least minPercent of the view, the largest becomes
// what the capture scrolls (its position kept for RestoreLayout, scrolled to its top): 1, or 2
// when it had to be scrolled there; null otherwise. Elements that scroll beside it, over its rows
// down to its foot, scroll along with it (ScrollTile).
QString FindScrollBox(int minPercent);

// [left, top, clientWidth, clientHeight, scrollWidth, scrollHeight] of that box, in view
// pixels, or null.
QString ScrollBoxGeometry();

// [[left, top, clientWidth, clientHeight, scrollHeight, background], ...] of the elements that
// scroll along with the box, in view pixels; background is the colour (0xRRGGBB) under their
// content.
QString SideBoxGeometry();

// A hash of the place and size of every element and of the document's size: equal before and
// after a change of the view when nothing is laid out by the view's size.
QString LayoutSignature();

// Gives every element changed by FreezeLayout and ScrollTile its own style back, lets the page
// see the scrolling again, scrolls the document to (x, y) and the elements of KeepScrolledBoxes
// back. true when SettleRestoredPlace has to follow.
QString RestoreLayout(int x, int y);

// [scrollX, scrollY] of the top document.
QString ScrollPosition();

// Records the words, links and headings the view draws, once the layout stands as the tiles
// show it (RecordScript.cpp says what comes back). options: a JSON object of the bounds of the
// work and of the box and side boxes (indices into FindScrollBox's) the capture unfolds.
QString RecordLayer(const QString& options);

} // namespace DocumentScripts
