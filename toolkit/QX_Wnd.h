#pragma once

#include "imaging/QX_DIB.h"
#include "toolkit/QX_FrameBehaviour.h"

#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

#include <memory>

class QPainter;

// The toolkit's top-level window: a frameless window that paints its own frame, a 30-pixel
// caption with title, optional logo and caption buttons, and moves, maximises, restores,
// minimises, closes and resizes itself by its own mouse handling. The whole widget is client
// area; derived windows paint their contents in OnDraw and lay out children below row 31.
// The frame's behaviour and colours come from QX_FrameBehaviour.
class QX_Wnd : public QWidget, public QX_FrameBehaviour {
    Q_OBJECT

  public:
    explicit QX_Wnd(QWidget* parent = nullptr);
    ~QX_Wnd() override;

    // Chooses the caption buttons shown; the owner calls it before or in OnCreate.
    void SetCaptionButtons(bool minimize, bool maximize, bool close);
    // Places the window, runs OnCreate and shows it when visible; false when OnCreate fails.
    bool Create(const QRect& geometry, bool visible = true);

    // Maximises to the screen's available area, or restores the size it had before.
    void ToggleMaximize();

    // The maximize button and the resize grip in client coordinates; the maximize rectangle is
    // empty when the button is not shown.
    QRect MaximizeButtonRect() const;
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
    COLORREF m_crLogoKey = 0xFFFFFF;

  protected:
    // Runs once from Create: sets the window title and loads the logo. Derived windows call the
    // base first and create their children; -1 fails the creation.
    virtual int OnCreate();

    QX_FrameSetup FrameSetup() const override;
    void OnFrameZoomed(bool zoomed) override;
    void OnFrameMaximize() override;

    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    QX_CaptionButtons Buttons() const;

    QRect m_rcRestore; // geometry to return to from the maximised state
    std::unique_ptr<QX_DIB> m_pLogo;
};
