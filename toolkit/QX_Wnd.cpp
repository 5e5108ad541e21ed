#include "toolkit/QX_Wnd.h"

#include "toolkit/QX_WindowSystem.h"

#include <QEvent>
#include <QMouseEvent>
#include <QScreen>

QX_Wnd::QX_Wnd(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinMaxButtonsHint),
      QX_FrameBehaviour(this, QX_WINDOW_BODY_PEN), m_strLogoPath(QStringLiteral("image/logo.bmp")) {
    // The whole window is painted here, frame included; nothing shows through.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

QX_Wnd::~QX_Wnd() = default;

void QX_Wnd::SetCaptionButtons(bool minimize, bool maximize, bool close) {
    m_bMinimizeBox = minimize;
    m_bMaximizeBox = maximize;
    m_bCloseBox = close;
    UpdateCaption();
}

bool QX_Wnd::Create(const QRect& geometry, bool visible) {
    setGeometry(geometry);
    if (OnCreate() == -1)
        return false;
    if (visible)
        show();
    return true;
}

int QX_Wnd::OnCreate() {
    setWindowTitle(m_strTitle);
    m_pLogo.reset();
    if (m_nLogoMode != 0) {
        m_pLogo = std::make_unique<QX_DIB>();
        m_pLogo->LoadFile(m_strLogoPath);
        m_pLogo->m_bTransparent = m_nLogoMode != 1;
        if (m_nLogoMode != 1)
            m_pLogo->m_crKey = m_crLogoKey;
    }
    return 0;
}

QX_CaptionButtons QX_Wnd::Buttons() const {
    return {m_bMinimizeBox, m_bMaximizeBox, m_bCloseBox, m_bMaximized, -1};
}

QX_FrameSetup QX_Wnd::FrameSetup() const {
    QX_FrameSetup s;
    s.look = Look();
    s.buttons = Buttons();
    s.title = m_strTitle;
    s.titleX = 11 + m_nLogoMode * m_nLogoWidth;
    s.logo = m_nLogoMode != 0 ? m_pLogo.get() : nullptr;
    s.logoPos = QPoint(m_nLogoX, m_nLogoY);
    s.dragAnywhere = m_bDragAnywhere;
    s.resizable = m_bResizable;
    s.doubleClickPresses = true;
    s.minSize = QSize(m_nMinWidth, m_nMinHeight);
    return s;
}

void QX_Wnd::OnFrameZoomed(bool zoomed) {
    m_bMaximized = zoomed;
}

void QX_Wnd::OnFrameMaximize() {
    ToggleMaximize();
}

QRect QX_Wnd::MaximizeButtonRect() const {
    return QX_FramePainter::MaximizeRect(width(), Buttons());
}

QRect QX_Wnd::GripRect() const {
    return FrameGripRect();
}

void QX_Wnd::ToggleMaximize() {
    // The flag changes first so that everything that looks at it during the geometry change
    // already sees the new state.
    m_bMaximized = !m_bMaximized;
    if (!QX_WindowSystem::WindowsPlaceThemselves()) {
        // Only the window system can put the window at the screen's corner and back.
        setWindowState(m_bMaximized ? windowState() | Qt::WindowMaximized
                                    : windowState() & ~Qt::WindowMaximized);
        update();
        return;
    }
    if (m_bMaximized) {
        m_rcRestore = geometry();
        QScreen* s = screen();
        const QRect area = s ? s->availableGeometry() : m_rcRestore;
        setGeometry(area);
    } else {
        if (windowState() & Qt::WindowMaximized)
            setWindowState(windowState() & ~Qt::WindowMaximized);
        if (m_rcRestore.isValid())
            setGeometry(m_rcRestore);
    }
    update();
}

void QX_Wnd::paintEvent(QPaintEvent*) {
    OnPaintFrame();
}

void QX_Wnd::changeEvent(QEvent* event) {
    OnChangeFrame(event);
    QWidget::changeEvent(event);
}

void QX_Wnd::mousePressEvent(QMouseEvent* event) {
    if (!OnPressFrame(event))
        QWidget::mousePressEvent(event);
}

void QX_Wnd::mouseMoveEvent(QMouseEvent* event) {
    OnMoveFrame(event);
}

void QX_Wnd::mouseReleaseEvent(QMouseEvent* event) {
    if (!OnReleaseFrame(event))
        QWidget::mouseReleaseEvent(event);
}

void QX_Wnd::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!OnDoubleClickFrame(event))
        QWidget::mouseDoubleClickEvent(event);
}
