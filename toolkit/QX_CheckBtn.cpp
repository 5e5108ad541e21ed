#include "toolkit/QX_CheckBtn.h"

#include "toolkit/QX_Command.h"
#include "toolkit/QX_Skin.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

QX_CheckBtn::QX_CheckBtn(QWidget* parent)
    : QX_TextCtrl(parent), m_crFocusText(QX_RGB(0, 0, 128)), m_crNormalText(QX_RGB(0, 0, 0)),
      m_crText(QX_RGB(0, 0, 0)) {
    // No background of its own: the parent's paint shows around the image and the text.
    setAutoFillBackground(false);
    setFocusPolicy(Qt::TabFocus);
}

QX_CheckBtn::~QX_CheckBtn() = default;

bool QX_CheckBtn::Attach(int id, QWidget* dialog, const QFont* font, bool useFont) {
    QX_CtrlInfo info;
    if (!AttachText(id, dialog, font, useFont, &info))
        return false;
    setFocusPolicy((info.style & kWsTabStop) ? Qt::TabFocus : Qt::NoFocus);
    return true;
}

bool QX_CheckBtn::Create(const QString& text, quint32 style, const QRect& rect, QWidget* parent,
                         int id) {
    if (!CreateText(text, style, rect, parent, id))
        return false;
    setFocusPolicy((style & kWsTabStop) ? Qt::TabFocus : Qt::NoFocus);
    setEnabled(!(style & kWsDisabled));
    setVisible(style & kWsVisible);
    return true;
}

int QX_CheckBtn::CtrlId() const {
    return QX_CtrlId(this);
}

bool QX_CheckBtn::IsRadio() const {
    return !(Style() & kTypeMask & 0x2);
}

bool QX_CheckBtn::IsRadioStyle(quint32 style) {
    const quint32 type = style & kTypeMask;
    return type == kBsRadioButton || type == kBsAutoRadioButton;
}

int QX_CheckBtn::ImageIndex(bool pressedLook) const {
    return (IsRadio() ? 4 : 0) + (pressedLook ? 2 : 0) + (m_bChecked ? 1 : 0);
}

bool QX_CheckBtn::ShowsPressedImage() const {
    return (m_bPressed && m_bPointerInside) || m_bSpaceDown;
}

void QX_CheckBtn::SetCheck(int state) {
    m_bChecked = (state & 0xFF) != 0;
    QX_InvalidateWithParent(this);
}

QVector<QX_CheckBtn*> QX_CheckBtn::GroupOf(QX_CheckBtn* control) {
    QVector<QX_CheckBtn*> siblings; // the parent's child controls in order; null for others
    QWidget* parent = control ? control->parentWidget() : nullptr;
    if (!parent)
        return {control};
    int self = -1;
    for (QObject* child : parent->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w->isWindow())
            continue;
        auto* cb = qobject_cast<QX_CheckBtn*>(w);
        if (cb == control)
            self = int(siblings.size());
        siblings.append(cb && IsRadioStyle(cb->Style()) ? cb : nullptr);
    }
    int first = self;
    if (!(control->Style() & kWsGroup)) {
        for (int j = self - 1; j >= 0 && siblings[j]; --j) {
            first = j;
            if (siblings[j]->Style() & kWsGroup)
                break;
        }
    }
    int last = self;
    for (int j = self + 1; j < siblings.size() && siblings[j]; ++j) {
        if (siblings[j]->Style() & kWsGroup)
            break;
        last = j;
    }
    QVector<QX_CheckBtn*> group;
    for (int j = first; j <= last; ++j)
        group.append(j == self ? control : siblings[j]);
    return group;
}

void QX_CheckBtn::UncheckGroup() {
    for (QX_CheckBtn* other : GroupOf(this)) {
        if (other != this)
            other->SetCheck(0);
    }
}

void QX_CheckBtn::Toggle() {
    if (IsRadio()) {
        UncheckGroup();
        SetCheck(1);
    } else {
        SetCheck(m_bChecked ? 0 : 1);
    }
}

void QX_CheckBtn::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!p.isActive())
        return;
    const quint32 style = Style();
    int flags = Qt::TextSingleLine | Qt::TextShowMnemonic;
    if ((style & kBsCenter) == kBsCenter)
        flags |= Qt::AlignHCenter;
    else if (style & kBsRight)
        flags |= Qt::AlignRight;
    else
        flags |= Qt::AlignLeft;
    // Both kinds place their image by the height of the unchecked check box image.
    const QX_Skin& skin = QX_Skin::Of(this);
    const QX_DIB* base = skin.CheckBitmap(0);
    const int imageHeight = base && base->m_bLoaded ? base->m_nHeight : 0;
    int imageTop = 0;
    if ((style & kBsVCenter) == kBsVCenter) {
        flags |= Qt::AlignVCenter;
        imageTop = height() / 2 - imageHeight / 2;
    } else if (style & kBsBottom) {
        flags |= Qt::AlignBottom;
        imageTop = height() - imageHeight;
    } else {
        flags |= Qt::AlignTop;
    }
    const QX_DIB* image = skin.CheckBitmap(ImageIndex(ShowsPressedImage()));
    if (image && image->m_bLoaded)
        image->Draw(&p, 0, imageTop + m_nImageYOffset);
    p.setFont(m_font);
    p.setPen(QX_ToQColor(m_crText));
    p.drawText(rect().adjusted(kTextIndent, 0, 0, 0), flags, m_strText);
}

void QX_CheckBtn::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    QX_TakeFocusOnPress(this);
    m_bPressed = true;
    m_bPointerInside = true;
    update();
}

void QX_CheckBtn::mouseMoveEvent(QMouseEvent* event) {
    if (!m_bPressed)
        return;
    const bool inside = rect().contains(event->position().toPoint());
    if (inside != m_bPointerInside) {
        m_bPointerInside = inside;
        update();
    }
}

void QX_CheckBtn::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_bPressed)
        return;
    m_bPressed = false;
    m_bPointerInside = true;
    if (rect().contains(event->position().toPoint()))
        Toggle();
    else
        update();
    // Every release that ends a press notifies, inside or not.
    QX_SendCommand(this, CtrlId(), QX_BN_CLICKED);
}

void QX_CheckBtn::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second click of a double click is swallowed: one toggle, no second notification.
    event->accept();
}

void QX_CheckBtn::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Space) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (!event->isAutoRepeat()) {
        m_bSpaceDown = true;
        update();
    }
}

void QX_CheckBtn::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Space) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    if (event->isAutoRepeat())
        return;
    m_bSpaceDown = false;
    Toggle(); // the keyboard toggles without notifying the parent
}

void QX_CheckBtn::focusInEvent(QFocusEvent* event) {
    m_crText = m_crFocusText;
    QX_InvalidateWithParent(this);
    QWidget::focusInEvent(event);
}

void QX_CheckBtn::focusOutEvent(QFocusEvent* event) {
    m_crText = m_crNormalText;
    m_bSpaceDown = false;
    QX_InvalidateWithParent(this);
    QWidget::focusOutEvent(event);
}
