#pragma once

#include "toolkit/QX_CaptionControl.h"
#include "toolkit/QX_FramePainter.h"
#include "toolkit/QX_Theme.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <memory>

class QEvent;
class QMouseEvent;
class QPainter;
class QWidget;
class QX_Skin;
class QX_TrackFrame;

// What a skinned window shows in its frame and how its frame reacts, read afresh at every paint
// and mouse event.
struct QX_FrameSetup {
    QX_FrameLook look;
    QX_CaptionButtons buttons;
    QString title;
    int titleX = 11;
    const QX_DIB* logo = nullptr;
    QPoint logoPos;
    bool dragAnywhere = false;
    bool resizable = false;
    // The second click of a double click acts as a press wherever it lands (the window), or
    // only on a caption button (the dialog).
    bool doubleClickPresses = false;
    QSize minSize;
};

// The frame and caption behaviour of the skinned window and the skinned dialog: painting the
// frame and caption, the active look, pressing caption buttons, moving by the caption, resizing
// by the grip and maximising by a double click. A second base of QX_Wnd and QX_Dialog beside
// their Qt class; their event handlers hand the events to the On...Frame functions here.
class QX_FrameBehaviour {
  public:
    // Mouse modes: what a press that is still held does.
    enum MouseMode {
        ModeNone = QX_CaptionControl::ModeNone,
        ModeMove = QX_CaptionControl::ModeMove,
        ModeMinimize = QX_CaptionControl::ModeMinimize,
        ModeMaximize = QX_CaptionControl::ModeMaximize,
        ModeClose = QX_CaptionControl::ModeClose,
        ModeResize = QX_CaptionControl::ModeResize
    };

    QX_FrameBehaviour(const QX_FrameBehaviour&) = delete;
    QX_FrameBehaviour& operator=(const QX_FrameBehaviour&) = delete;

    // Caption look: active colours or inactive. Activation changes call it; offscreen tests and
    // the gallery call it directly because offscreen windows may not activate.
    void SetCaptionActive(bool active);
    bool IsCaptionActive() const { return m_caption.IsActive(); }
    int MouseMode() const { return m_caption.Mode(); }
    // Caption button rectangles in client coordinates for the current width and buttons; empty
    // when the button is not shown.
    QRect CloseButtonRect() const;
    QRect MinimizeButtonRect() const;
    // Draws with that skin from now on (this window and what it parents), its frame colours
    // included; null goes back to the skin of the parent chain.
    void SetSkin(const QX_Skin* skin);

    // Frame colours, from the skin's slots for this kind of window unless the owner sets them.
    COLORREF m_crActiveText;
    COLORREF m_crInactiveText;
    COLORREF m_crBodyPen;
    COLORREF m_crBodyBrush;
    COLORREF m_crCaptionLight = 0xFAD3D9;

  protected:
    // window is the widget that derives from this class; firstSlot its body pen colour slot
    // (the body brush, active and inactive text slots follow it).
    QX_FrameBehaviour(QWidget* window, QX_ColorSlot firstSlot);
    virtual ~QX_FrameBehaviour();

    // Paints the client contents over the frame; empty here.
    virtual void OnDraw(QPainter* dc);
    // Paints the body, border and caption base over the rectangle.
    virtual void DrawFrame(QPainter* dc, int left, int top, int right, int bottom);
    // Caption band, buttons, logo and title; nothing when the title is empty.
    void DrawCaption(QPainter* dc);

    // The window's settings for this moment.
    virtual QX_FrameSetup FrameSetup() const = 0;
    // The window was found maximised by the window system (a press, a state change).
    virtual void OnFrameZoomed(bool zoomed) = 0;
    // A completed maximize button or a caption double click.
    virtual void OnFrameMaximize() {}

    // The colour members and the skin, as the painter takes them.
    QX_FrameLook Look() const;
    // Repaints the caption strip.
    void UpdateCaption() const { m_caption.UpdateCaption(); }
    QRect FrameGripRect() const;

    // Event entry points: false where the window's Qt base should handle the event instead.
    void OnPaintFrame();
    void OnChangeFrame(QEvent* event);
    bool OnPressFrame(QMouseEvent* event);
    void OnMoveFrame(QMouseEvent* event);
    bool OnReleaseFrame(QMouseEvent* event);
    bool OnDoubleClickFrame(QMouseEvent* event);

  private:
    // Reads the colour members from the skin's slots.
    void ApplyThemeColors();
    void BeginResize(const QPoint& globalPos);
    void EndResize(const QSize& minSize);
    QRect TrackingRect() const;
    void UpdateGripCursor(const QPoint& p, const QX_FrameSetup& setup);

    QWidget* m_pWindow;
    QX_ColorSlot m_nFirstSlot;
    QX_CaptionControl m_caption;
    QPoint m_ptStart; // cursor's screen position when a resize began
    QSize m_szOffset; // size change of the resize in progress
    std::unique_ptr<QX_TrackFrame> m_pTrack;
};
