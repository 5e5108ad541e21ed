#include "toolkit/QX_TextCtrl.h"

#include "toolkit/QX_Command.h"
#include "toolkit/QX_Theme.h"

QX_TextCtrl::QX_TextCtrl(QWidget* parent) : QWidget(parent), m_font(QX_StandardFont()) {}

QX_TextCtrl::~QX_TextCtrl() = default;

bool QX_TextCtrl::AttachText(int id, QWidget* dialog, const QFont* font, bool useFont,
                             QX_CtrlInfo* info) {
    if (useFont)
        SetFont(font);
    if (!dialog || !QX_TakeOverCtrl(dialog, id, this, info))
        return false;
    m_strText = info->text;
    update();
    return true;
}

bool QX_TextCtrl::CreateText(const QString& text, quint32 style, const QRect& rect, QWidget* parent,
                             int id) {
    if (!parent)
        return false;
    setParent(parent);
    QX_SetCtrlInfo(this, QX_CtrlInfo{id, text, style, rect});
    m_strText = text;
    setGeometry(rect);
    return true;
}

void QX_TextCtrl::SetFont(const QFont* font) {
    m_font = font ? *font : QX_StandardFont();
    m_bFontBorrowed = font != nullptr;
    update();
}

void QX_TextCtrl::SetText(const QString& text) {
    m_strText = text;
    QX_InvalidateWithParent(this);
}

quint32 QX_TextCtrl::Style() const {
    return QX_GetCtrlInfo(this).style;
}

void QX_TextCtrl::SetStyle(quint32 style) {
    QX_CtrlInfo info = QX_GetCtrlInfo(this);
    info.style = style;
    QX_SetCtrlInfo(this, info);
    QX_InvalidateWithParent(this);
}
