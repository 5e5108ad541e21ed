#pragma once

#include "imaging/QX_DIB.h"
#include "toolkit/QX_CaptionControl.h"

#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

#include <memory>

class QPainter;
class QX_TrackFrame;

// The toolkit's top-level window: a frameless window that paints its own frame, a 30-pixel
// caption with title, optional logo and caption buttons, and moves, maximises, restores,
// minimises, closes and resizes itself by its own mouse handling. The whole widget is client
// area; derived windows paint their contents in OnDraw and lay out children below row 31.
class QX_Wnd : public QWidget {
    Q_OBJECT

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

    explicit QX_Wnd(QWidget* parent = nullptr);
    ~QX_Wnd() override;

    // Chooses the caption buttons shown; the owner calls it before or in OnCreate.
    void SetCaptionButtons(bool minimize, bool maximize, bool close);
    // Places the window, runs OnCreate and shows it when visible; false when OnCreate fails.
    bool Create(const QRect& geometry, bool visible = true);

    // Maximises to the screen's available area, or restores the size it had before.
    void ToggleMaximize();
    // Caption look: active colours or inactive. Activation changes call it; offscreen tests and
    // the gallery call it directly because offscreen windows may not activate.
    void SetCaptionActive(bool active);
    bool IsCaptionActive() const { return m_caption.IsActive(); }
    int MouseMode() const { return m_caption.Mode(); }

    // Caption button rectangles in client coordinates for the current width and flags; empty
    // when the button is not shown.
    QRect CloseButtonRect() const;
    QRect MaximizeButtonRect() const;
    QRect MinimizeButtonRect() const;
    QRect GripRect() const;

    // Settings the owner makes before Create (or in OnCreate).
    QString m_strTitle;
    QString m_strLogoPath;
    bool m_bDragAnywhere = false; // a press anywhere moves the window, not only the caption
    bool m_bMaximized = false;
    bool m_bResizable = false;
    int m_nLogoMode = 0; // 0 none, 1 opaque logo, 2 logo keyed with m_crLogoKey
    bool m_bMaximizeBox = false;
    bool m_bMinimizeBox = false;
    bool m_bCloseBox = false;
    int m_nMinWidth = 300;
    int m_nMinHeight = 200;
    int m_nLogoWidth = 40;
    int m_nLogoX = 7;
    int m_nLogoY = 5;
    COLORREF m_crActiveText;
    COLORREF m_crInactiveText;
    COLORREF m_crBodyPen;
    COLORREF m_crBodyBrush;
    COLORREF m_crLogoKey = 0xFFFFFF;
    COLORREF m_crCaptionLight = 0xFAD3D9;

  protected:
    // Runs once from Create: sets the window title and loads the logo. Derived windows call the
    // base first and create their children; -1 fails the creation.
    virtual int OnCreate();
    // Paints the client contents over the frame; empty here.
    virtual void OnDraw(QPainter* dc);
    // Paints the body, border and caption base over the rectangle.
    virtual void DrawFrame(QPainter* dc, int left, int top, int right, int bottom);
    // Caption band, buttons, logo and title; nothing when the title is empty.
    void DrawCaption(QPainter* dc);

    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    QX_FrameLook Look() const;
    QX_CaptionButtons Buttons() const;
    bool InCaptionStrip(const QPoint& p) const;
    void BeginResize(const QPoint& globalPos);
    void EndResize();
    QRect TrackingRect() const;
    void UpdateGripCursor(const QPoint& p);

    QX_CaptionControl m_caption{this};
    QPoint m_ptStart;  // cursor's screen position when a resize began
    QSize m_szOffset;  // size change of the resize in progress
    QRect m_rcRestore; // geometry to return to from the maximised state
    std::unique_ptr<QX_DIB> m_pLogo;
    std::unique_ptr<QX_TrackFrame> m_pTrack;
};
