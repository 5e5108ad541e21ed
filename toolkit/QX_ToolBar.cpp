#include "toolkit/QX_ToolBar.h"

#include "toolkit/QX_Command.h"
#include "toolkit/QX_Theme.h"

#include <QCursor>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QTimerEvent>

namespace {

// The frame of a rectangle: top and left edges in topLeft, bottom and right in bottomRight,
// the bottom-right pixels drawn last as a 3D frame is.
void Draw3dRect(QPainter* dc, const QX_ToolRect& r, COLORREF topLeft, COLORREF bottomRight) {
    const int w = r.Width();
    const int h = r.Height();
    if (w <= 0 || h <= 0)
        return;
    const QColor tl = QX_ToQColor(topLeft);
    const QColor br = QX_ToQColor(bottomRight);
    dc->fillRect(r.left, r.top, w - 1, 1, tl);
    dc->fillRect(r.left, r.top, 1, h - 1, tl);
    dc->fillRect(r.right - 1, r.top, 1, h, br);
    dc->fillRect(r.left, r.bottom - 1, w, 1, br);
}

// Paths in the records may use the program's old ".\image\x.bmp" spelling.
QString NormalisePath(const QString& path) {
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (p.startsWith(QStringLiteral("./")))
        p.remove(0, 2);
    return p;
}

} // namespace

QX_ToolBar::QX_ToolBar(QWidget* parent)
    : QWidget(parent), m_crBackEdge(QX_RGB(231, 224, 197)), m_crBackCentre(QX_RGB(255, 255, 255)),
      m_crBorder(QX_RGB(220, 220, 220)), m_crSeparator(QX_RGB(224, 217, 182)),
      m_crBitmapKey(QX_RGB(255, 0, 0)), m_crText(QX_RGB(0, 0, 0)), m_font(QX_StandardFont()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    // No keyboard interface: the toolbar takes the focus itself when a button is pressed, never
    // by Tab nor by a click between buttons.
    setFocusPolicy(Qt::NoFocus);
}

QX_ToolBar::~QX_ToolBar() = default;

bool QX_ToolBar::Create(QWidget* owner, int id, int left, int top, int right, int bottom,
                        quint32 addStyle, quint32 removeStyle, quint32 exStyle, const QFont* font) {
    Q_UNUSED(exStyle);
    if (!owner)
        return false;
    if (font) {
        m_font = *font;
        m_bFontBorrowed = true;
    }
    m_pOwner = owner;
    const quint32 style = (addStyle | kWsChild | kWsVisible) & ~removeStyle;
    setParent(owner);
    QX_SetCtrlId(this, id);
    setGeometry(left, top, right - left, bottom - top);
    setEnabled(!(style & kWsDisabled));
    setVisible(style & kWsVisible);
    RecalcLayout();
    return true;
}

bool QX_ToolBar::SetButtons(int count, const QX_ToolButton* buttons) {
    if (count < 1 || count > kMaxButtons || !buttons)
        return false;
    EndPress();
    m_nHotIndex = -1;
    for (int i = 0; i < kSlots; ++i) {
        m_buttons[size_t(i)] = i < count ? buttons[i] : QX_ToolButton();
        // A fresh object per slot: a failed load must not leave the previous picture behind.
        auto dib = std::make_unique<QX_DIB>();
        const QString path = NormalisePath(m_buttons[size_t(i)].bitmapPath);
        if (!path.isEmpty())
            dib->LoadFile(path);
        dib->m_bTransparent = true;
        dib->m_crKey = m_crBitmapKey;
        m_bitmaps[size_t(i)] = std::move(dib);
    }
    m_nButtonCount = count;
    return true;
}

QX_ToolItem QX_ToolBar::Item(int index) const {
    QX_ToolItem item;
    const QX_ToolButton& b = m_buttons[size_t(index)];
    item.separator = b.commandId == 0;
    item.labelWidth = m_labelWidths[size_t(index)];
    const QX_DIB* dib = m_bitmaps[size_t(index)].get();
    item.hasBitmap = dib && dib->m_bLoaded;
    item.bitmapWidth = item.hasBitmap ? dib->m_nWidth : 0;
    return item;
}

void QX_ToolBar::RecalcLayout() {
    const QFontMetrics fm(m_font);
    m_nTextHeight = fm.height();
    QVector<QX_ToolItem> items;
    for (int i = 0; i < m_nButtonCount; ++i) {
        m_labelWidths[size_t(i)] = fm.horizontalAdvance(m_buttons[size_t(i)].label);
        items.append(Item(i));
    }
    const QVector<QX_ToolRect> rects = QX_ToolLayout::Place(items, height());
    for (int i = 0; i < kSlots; ++i)
        m_rects[size_t(i)] = i < rects.size() ? rects[i] : QX_ToolRect();
    update();
}

int QX_ToolBar::HitTest(QPoint p) const {
    for (int i = 0; i < m_nButtonCount; ++i) {
        if (m_buttons[size_t(i)].commandId != 0 && m_rects[size_t(i)].Contains(p))
            return i;
    }
    return -1;
}

void QX_ToolBar::DrawButtonFace(QPainter* dc, int index, int dx, int dy) const {
    if (index < 0 || index >= m_nButtonCount || m_buttons[size_t(index)].commandId == 0)
        return;
    const QX_ToolRect& r = m_rects[size_t(index)];
    const QX_ToolItem item = Item(index);
    if (item.hasBitmap) {
        const QX_DIB* dib = m_bitmaps[size_t(index)].get();
        const QPoint at = QX_ToolLayout::BitmapPos(r, dib->m_nHeight);
        dib->Draw(dc, at.x() + dx, at.y() + dy);
    }
    const QPoint at = QX_ToolLayout::LabelPos(r, item, m_nTextHeight);
    dc->setFont(m_font);
    dc->setPen(QX_ToQColor(m_crText));
    dc->drawText(QRect(at.x() + dx, at.y() + dy, item.labelWidth + 8, m_nTextHeight),
                 Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, m_buttons[size_t(index)].label);
}

void QX_ToolBar::DrawLook(QPainter* dc, int index, Look look) const {
    const QX_ToolRect& r = m_rects[size_t(index)];
    switch (look) {
    case Look::Resting:
        QX_GradientFillV(dc, r.left - 2, r.top - 2, r.right + 2, r.bottom + 2, m_crBackEdge,
                         m_crBackCentre);
        DrawButtonFace(dc, index, 0, 0);
        break;
    case Look::Hovered:
        QX_GradientFillV(dc, r.left, r.top, r.right, r.bottom, m_crBackEdge, m_crBackCentre);
        Draw3dRect(dc, r, QX_RGB(255, 255, 255), QX_RGB(128, 128, 128));
        DrawButtonFace(dc, index, 0, 0);
        break;
    case Look::Held:
        QX_GradientFillV(dc, r.left, r.top, r.right, r.bottom, m_crBackEdge, m_crBackCentre);
        DrawButtonFace(dc, index, 1, 1);
        Draw3dRect(dc, r, QX_RGB(128, 128, 128), QX_RGB(255, 255, 255));
        break;
    }
}

void QX_ToolBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!p.isActive())
        return;
    QX_GradientFillV(&p, 0, 0, width(), height(), m_crBackEdge, m_crBackCentre);
    p.setPen(QX_ToQColor(m_crBorder));
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, width() - 1, height() - 1);
    for (int i = 0; i < m_nButtonCount; ++i) {
        const QX_ToolRect& r = m_rects[size_t(i)];
        if (m_buttons[size_t(i)].commandId == 0) {
            if (r.bottom > r.top) {
                p.setPen(QX_ToQColor(m_crSeparator));
                p.drawLine(r.left, r.top, r.right, r.bottom - 1);
            }
        } else if (i == m_nHotIndex && m_hotLook != Look::Resting) {
            DrawLook(&p, i, m_hotLook);
        } else {
            DrawButtonFace(&p, i, 0, 0);
        }
    }
}

void QX_ToolBar::RepaintButton(int index) {
    if (index < 0 || index >= m_nButtonCount)
        return;
    update(m_rects[size_t(index)].ToQRect().adjusted(-2, -2, 2, 2));
}

void QX_ToolBar::SetHot(int index, Look look) {
    const int old = m_nHotIndex;
    m_nHotIndex = index;
    m_hotLook = index >= 0 ? look : Look::Resting;
    RepaintButton(index);
    if (old != index)
        RepaintButton(old);
}

void QX_ToolBar::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (m_bPressed && m_nHotIndex >= 0) {
        const bool inside = m_rects[size_t(m_nHotIndex)].Contains(p);
        if (inside != m_bPointerInside) {
            m_bPointerInside = inside;
            SetHot(m_nHotIndex, inside ? Look::Held : Look::Hovered);
        }
        return;
    }
    const int hit = HitTest(p);
    if (hit != m_nHotIndex)
        SetHot(hit, Look::Hovered);
    if (!m_bHoverTimer) {
        m_bHoverTimer = true;
        m_hoverTimer.start(kHoverTimerMs, this);
    }
}

void QX_ToolBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    // A press can arrive without a move before it (a window shown under the pointer); hit-test
    // as the move would have.
    if (m_nHotIndex < 0 && !m_bPressed)
        mouseMoveEvent(event);
    if (m_nHotIndex < 0)
        return;
    QX_TakeFocusOnPress(this);
    m_bPressed = true;
    m_bPointerInside = true;
    SetHot(m_nHotIndex, Look::Held);
}

void QX_ToolBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_bPressed)
        return;
    m_bPressed = false;
    m_bPointerInside = false;
    if (m_nHotIndex < 0 || !m_rects[size_t(m_nHotIndex)].Contains(event->position().toPoint()))
        return; // released off the button: no command, the look stays as last drawn
    SetHot(m_nHotIndex, Look::Hovered);
    const int command = m_buttons[size_t(m_nHotIndex)].commandId;
    // The owner's handler may run a modal dialog or even delete the toolbar.
    QPointer<QX_ToolBar> self(this);
    QX_SendCommand(this, command & 0xFFFF, 0);
    if (self)
        Q_EMIT CommandSent(command);
}

void QX_ToolBar::EndPress() {
    m_bPressed = false;
    m_bPointerInside = false;
}

void QX_ToolBar::focusOutEvent(QFocusEvent* event) {
    // A press still held when the focus goes ends with it, so that the release that follows
    // refers to no button.
    EndPress();
    if (m_nHotIndex >= 0)
        SetHot(-1, Look::Resting);
    QWidget::focusOutEvent(event);
}

void QX_ToolBar::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_hoverTimer.timerId() || m_bPressed || !m_bHoverTimer) {
        QWidget::timerEvent(event);
        return;
    }
    if (rect().contains(mapFromGlobal(QCursor::pos())))
        return;
    m_bHoverTimer = false;
    m_hoverTimer.stop();
    if (m_nHotIndex >= 0)
        SetHot(-1, Look::Resting);
}
