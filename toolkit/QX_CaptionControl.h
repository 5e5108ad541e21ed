#pragma once

#include "toolkit/QX_FramePainter.h"

#include <QPoint>
#include <QString>

class QPainter;
class QWidget;

// Caption state and mouse handling shared by the skinned window and the skinned dialog: the
// active look, which caption button a press holds, moving the window by its caption, and
// finishing a held minimize or close button on release. A plain member of the window it
// serves, so the window and the dialog keep their own Qt base classes.
class QX_CaptionControl {
  public:
    // What a press that is still held does. The window and the dialog number their own modes
    // the same way.
    enum Mode { ModeNone = 0, ModeMove, ModeMinimize, ModeMaximize, ModeClose, ModeResize };

    explicit QX_CaptionControl(QWidget* window);

    int Mode() const { return m_nMode; }
    void SetMode(int mode) { m_nMode = mode; }
    bool IsActive() const { return m_bActive; }
    // Switches between the active and the inactive look; repaints the caption on a change.
    void SetActive(bool active);
    // Repaints the caption strip.
    void UpdateCaption() const;

    // The caption button under p (client coordinates) among the shown ones, as the mode a
    // press there holds; ModeNone elsewhere.
    static int ButtonAt(const QPoint& p, int width, const QX_CaptionButtons& b);
    // Holds the button under p; false (and nothing held) when p is on none.
    bool PressButton(const QPoint& p, const QX_CaptionButtons& b);
    // Starts moving the window with the cursor at screen position global; where windows cannot
    // place themselves, asks the window system to move it instead (Mode() stays ModeNone).
    void BeginMove(const QPoint& global);
    // Follows the cursor while a move is in progress; nothing otherwise.
    void Drag(const QPoint& global) const;
    // Ends the press: repaints the caption, minimizes or closes the window when the held button
    // was released over itself, and returns the mode that was held. completed tells whether
    // the release was over the held button.
    int Release(const QPoint& p, const QX_CaptionButtons& b, bool* completed);
    // The skin frame bitmap index of the held button's pressed image, or -1.
    int PressedImage(bool maximized) const;
    // Paints the caption for the shown buttons b with the held one pressed: the band, then the
    // logo at logoPos when there is one, then the title from titleX. Nothing for an empty title.
    void Paint(QPainter* dc, const QX_FrameLook& look, QX_CaptionButtons b, const QString& title,
               int titleX, const QX_DIB* logo = nullptr, const QPoint& logoPos = {}) const;

  private:
    QWidget* m_pWindow;
    int m_nMode = ModeNone;
    bool m_bActive = false;
    QPoint m_ptOrigin; // window's screen top-left when the move began
    QPoint m_ptStart;  // cursor's screen position when the move began
};
