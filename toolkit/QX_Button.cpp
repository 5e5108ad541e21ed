#include "toolkit/QX_Button.h"

#include "toolkit/QX_Command.h"
#include "toolkit/QX_DlgTemplate.h"
#include "toolkit/QX_Skin.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

namespace {

// A line as MoveTo/LineTo draws it: the end point is left unpainted. Only axis-aligned lines
// occur in the button, so stepping back one pixel towards the start is exact.
void LineTo(QPainter* dc, int x1, int y1, int x2, int y2) {
    if (x1 == x2 && y1 == y2)
        return;
    const int ex = x2 == x1 ? x2 : (x2 > x1 ? x2 - 1 : x2 + 1);
    const int ey = y2 == y1 ? y2 : (y2 > y1 ? y2 - 1 : y2 + 1);
    dc->drawLine(x1, y1, ex, ey);
}

// A hollow Rectangle(left, top, right, bottom): the outline covers right - 1 and bottom - 1.
void FrameRect(QPainter* dc, int left, int top, int right, int bottom) {
    if (right - left < 1 || bottom - top < 1)
        return;
    dc->drawRect(left, top, right - left - 1, bottom - top - 1);
}

// A dotted outline, every other pixel along the perimeter, as a dotted cosmetic pen shows it.
void DottedRect(QPainter* dc, int left, int top, int right, int bottom) {
    if (right - left < 1 || bottom - top < 1)
        return;
    const int r = right - 1;
    const int b = bottom - 1;
    int i = 0;
    auto dot = [&](int x, int y) {
        if ((i++ & 1) == 0)
            dc->drawPoint(x, y);
    };
    for (int x = left; x < r; ++x)
        dot(x, top);
    for (int y = top; y < b; ++y)
        dot(r, y);
    for (int x = r; x > left; --x)
        dot(x, b);
    for (int y = b; y > top; --y)
        dot(left, y);
    if (r == left && b == top)
        dc->drawPoint(left, top);
}

QPen SolidPen(COLORREF c) {
    QPen pen(QX_ToQColor(c));
    pen.setWidth(0);
    pen.setCapStyle(Qt::SquareCap);
    return pen;
}
} // namespace

QX_Button::QX_Button(QWidget* parent)
    : QWidget(parent), m_crFill(QX_Skin::Of(parent).Color(QX_BUTTON_FILL, QX_RGB(243, 243, 239))),
      m_crBorder(QX_Skin::Of(parent).Color(QX_BUTTON_BORDER, QX_RGB(239, 235, 216))),
      m_crFrame(QX_RGB(0, 60, 116)), m_crCorner(QX_RGB(122, 149, 168)),
      m_crShade(QX_RGB(214, 208, 197)), m_crFocus(QX_RGB(128, 200, 200)),
      m_crText(QX_Skin::Of(parent).Color(QX_BUTTON_FORE, QX_RGB(100, 100, 255))),
      m_crGradientEdge(QX_RGB(205, 205, 205)), m_crGradientCentre(QX_RGB(255, 255, 255)) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QX_Button::~QX_Button() = default;

bool QX_Button::Create(const QString& text, quint32 style, const QRect& rect, QWidget* parent,
                       int id) {
    if (!parent)
        return false;
    setParent(parent);
    setGeometry(rect);
    QX_SetCtrlInfo(this, QX_CtrlInfo{id, text, style, rect});
    SetText(text);
    ApplyStyle(style);
    setVisible((style & QX_WS_VISIBLE) != 0);
    return true;
}

bool QX_Button::TakeOver(QWidget* dialog, int id) {
    QX_CtrlInfo info;
    if (!QX_TakeOverCtrl(dialog, id, this, &info))
        return false;
    SetText(info.text);
    const bool enabled = isEnabled();
    ApplyStyle(info.style);
    setEnabled(enabled); // the control's current state wins over its template style
    return true;
}

void QX_Button::ApplyStyle(quint32 style) {
    setEnabled((style & QX_WS_DISABLED) == 0);
    setFocusPolicy((style & QX_WS_TABSTOP) ? Qt::StrongFocus : Qt::ClickFocus);
    m_bDefault = (style & QX_BS_TYPEMASK) == QX_BS_DEFPUSHBUTTON;
}

void QX_Button::SetImage(bool imageAboveText, const QString& path, int spacing, bool transparent,
                         COLORREF key) {
    m_bImageAboveText = imageAboveText;
    m_nImageSpacing = spacing;
    if (!m_pImage)
        m_pImage = std::make_unique<QX_DIB>();
    m_pImage->LoadFile(path);
    m_pImage->m_bTransparent = transparent;
    if (transparent)
        m_pImage->m_crKey = key;
    update();
}

void QX_Button::SetText(const QString& text) {
    m_strText = text;
    update();
}

int QX_Button::CtrlId() const {
    return QX_CtrlId(this);
}

QX_Button* QX_Button::DefaultButton(const QWidget* dialog) {
    if (!dialog)
        return nullptr;
    const auto buttons = dialog->findChildren<QX_Button*>();
    for (QX_Button* button : buttons) {
        if (button->IsDefault() && button->isEnabled() && button->isVisibleTo(dialog))
            return button;
    }
    return nullptr;
}

void QX_Button::Click() {
    if (!isEnabled())
        return;
    Notify();
}

void QX_Button::Notify() {
    // The parent may close or delete us while handling the command.
    QPointer<QX_Button> self(this);
    QX_SendCommand(this, CtrlId(), QX_BN_CLICKED);
    if (self)
        Q_EMIT Clicked();
}

void QX_Button::SetPushed(bool pushed) {
    if (m_bPushed == pushed)
        return;
    m_bPushed = pushed;
    update();
}

QSize QX_Button::LabelSize() const {
    const QFontMetrics fm(font());
    return QSize(fm.horizontalAdvance(m_strText), fm.height());
}

QX_ButtonLayout QX_Button::Layout(bool pushed) const {
    QSize image(0, 0);
    if (m_pImage && m_pImage->m_bLoaded)
        image = QSize(m_pImage->m_nWidth, m_pImage->m_nHeight);
    return PlaceContent(size(), image, LabelSize(), m_nImageSpacing, m_bImageAboveText, pushed);
}

QX_ButtonLayout QX_Button::PlaceContent(QSize item, QSize image, QSize label, int spacing,
                                        bool above, bool pushed) {
    const int d = pushed ? 1 : 0;
    const int w = item.width();
    const int h = item.height();
    const int iw = image.width();
    const int ih = image.height();
    const int tw = label.width();
    const int th = label.height();
    QX_ButtonLayout out{};
    if (spacing == -1) {
        out.label = QRect(0, 0, w, h).translated(d, d);
        out.textFlags = Qt::AlignHCenter | Qt::AlignVCenter;
        out.centreBoth = true;
        return out;
    }
    if (!above) {
        out.image = QPoint(w / 2 + d - (spacing + tw + iw) / 2, h / 2 + d - ih / 2);
        const int left = w / 2 - (tw + spacing + iw) / 2 + spacing + iw;
        out.label = QRect(QPoint(left, 0), QPoint(w - 1, h - 1)).translated(d, d);
        out.textFlags = Qt::AlignLeft | Qt::AlignVCenter;
    } else {
        out.image = QPoint(w / 2 + d - iw / 2, h / 2 + d - (spacing + th + ih) / 2);
        const int top = h / 2 - (th + spacing + ih) / 2 + spacing + ih;
        out.label = QRect(QPoint(0, top), QPoint(w - 1, h - 1)).translated(d, d);
        out.textFlags = Qt::AlignHCenter | Qt::AlignTop;
    }
    out.centreBoth = false;
    return out;
}

void QX_Button::DrawFace(QPainter* dc, int left, int top, int right, int bottom) const {
    dc->save();
    QX_GradientFillV(dc, left, top, right, bottom, m_bGradient ? m_crGradientEdge : m_crFill,
                     m_bGradient ? m_crGradientCentre : m_crFill);
    dc->setBrush(Qt::NoBrush);
    dc->setPen(SolidPen(m_crBorder));
    FrameRect(dc, left, top, right, bottom);

    dc->setPen(SolidPen(m_crFrame));
    LineTo(dc, left + 3, top + 1, right - 3, top + 1);
    LineTo(dc, left + 3, bottom - 2, right - 3, bottom - 2);
    LineTo(dc, left + 1, top + 3, left + 1, bottom - 3);
    LineTo(dc, right - 2, top + 3, right - 2, bottom - 3);

    dc->setPen(SolidPen(m_crCorner));
    LineTo(dc, left + 2, top + 1, left + 2, top + 2);
    LineTo(dc, left + 2, top + 2, left, top + 2);
    LineTo(dc, left + 1, bottom - 3, left + 2, bottom - 3);
    LineTo(dc, left + 2, bottom - 3, left + 2, bottom - 1);
    LineTo(dc, right - 3, top + 1, right - 3, top + 2);
    LineTo(dc, right - 3, top + 2, right - 1, top + 2);
    LineTo(dc, right - 2, bottom - 3, right - 3, bottom - 3);
    LineTo(dc, right - 3, bottom - 3, right - 3, bottom - 1);
    dc->restore();
}

void QX_Button::DrawItem(QPainter* dc, quint32 state) const {
    const int right = width();
    const int bottom = height();
    const bool pushed = (state & QX_ODS_SELECTED) != 0;
    dc->save();
    dc->setRenderHint(QPainter::Antialiasing, false);
    dc->setFont(font());
    DrawFace(dc, 0, 0, right, bottom);

    COLORREF textColor = QX_RGB(192, 192, 192);
    if (!(state & QX_ODS_DISABLED)) {
        dc->setPen(SolidPen(m_crShade));
        if (!pushed) {
            LineTo(dc, 3, bottom - 3, right - 3, bottom - 3);
            LineTo(dc, right - 3, bottom - 4, right - 3, 2);
        } else {
            LineTo(dc, 3, 2, right - 3, 2);
            LineTo(dc, 2, 3, 2, bottom - 3);
        }
        if (state & QX_ODS_FOCUS) {
            dc->setPen(SolidPen(m_crFocus));
            if (!pushed)
                DottedRect(dc, 5, 5, right - 5, bottom - 5);
            else
                DottedRect(dc, 6, 6, right - 4, bottom - 4);
        }
        textColor = m_crText;
    }

    const QX_ButtonLayout layout = Layout(pushed);
    if (m_nImageSpacing != -1 && m_pImage && m_pImage->m_bLoaded)
        m_pImage->DrawRealized(dc, layout.image.x(), layout.image.y());

    // Placed from the measured size so that the label sits where the layout arithmetic says,
    // whatever rounding the text engine would apply to alignment flags.
    const QFontMetrics fm(font());
    const QSize label = LabelSize();
    const QRect& r = layout.label;
    int x = r.left();
    if (layout.textFlags & Qt::AlignHCenter)
        x = r.left() + (r.width() - label.width()) / 2;
    int y = r.top();
    if (layout.textFlags & Qt::AlignVCenter)
        y = r.top() + (r.height() - label.height()) / 2;
    dc->setPen(SolidPen(textColor));
    dc->setClipRect(r.intersected(QRect(0, 0, right, bottom)));
    dc->drawText(x, y + fm.ascent(), m_strText);
    dc->restore();
}

void QX_Button::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    if (!painter.isActive())
        return;
    quint32 state = 0;
    if (m_bPushed)
        state |= QX_ODS_SELECTED;
    if (!isEnabled())
        state |= QX_ODS_DISABLED;
    if (hasFocus())
        state |= QX_ODS_FOCUS;
    DrawItem(&painter, state);
}

void QX_Button::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_bMouseDown = true;
    SetPushed(true);
}

void QX_Button::mouseMoveEvent(QMouseEvent* event) {
    if (m_bMouseDown)
        SetPushed(rect().contains(event->position().toPoint()));
}

void QX_Button::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_bMouseDown) {
        event->ignore();
        return;
    }
    m_bMouseDown = false;
    const bool inside = rect().contains(event->position().toPoint());
    SetPushed(m_bSpaceDown);
    if (inside && !m_bSpaceDown)
        Notify();
}

void QX_Button::mouseDoubleClickEvent(QMouseEvent* event) {
    // A push button takes the second click of a double click as another click.
    mousePressEvent(event);
}

void QX_Button::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Space:
        if (!event->isAutoRepeat() && !m_bMouseDown) {
            m_bSpaceDown = true;
            SetPushed(true);
        }
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter on a focused push button presses it, whichever button is the default.
        if (!event->isAutoRepeat())
            Notify();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void QX_Button::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Space) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    if (event->isAutoRepeat() || !m_bSpaceDown)
        return;
    m_bSpaceDown = false;
    SetPushed(false);
    Notify();
}

void QX_Button::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void QX_Button::focusOutEvent(QFocusEvent* event) {
    // Losing the focus with space held cancels the press, as it does for a standard button.
    if (m_bSpaceDown) {
        m_bSpaceDown = false;
        SetPushed(m_bMouseDown);
    }
    QWidget::focusOutEvent(event);
    update();
}

void QX_Button::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        m_bMouseDown = false;
        m_bSpaceDown = false;
        SetPushed(false);
    }
    if (event->type() == QEvent::FontChange || event->type() == QEvent::EnabledChange)
        update();
    QWidget::changeEvent(event);
}
