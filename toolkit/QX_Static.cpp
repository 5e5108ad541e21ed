#include "toolkit/QX_Static.h"

#include "toolkit/QX_Command.h"
#include "toolkit/QX_Skin.h"

#include <QPainter>
#include <QTimerEvent>

#include <algorithm>

QX_Static::QX_Static(QWidget* parent)
    : QX_TextCtrl(parent), m_crText(QX_Skin::Of(parent).Color(QX_STATIC_FORE, QX_RGB(0, 0, 128))),
      m_crFill(QX_Skin::Of(parent).Color(QX_STATIC_FILL, QX_RGB(202, 218, 238))),
      m_crFillCentre(QX_RGB(255, 255, 255)), m_crAltText(m_crText), m_crAltFill(m_crFill),
      m_crAltFillCentre(QX_RGB(255, 255, 255)) {
    setAutoFillBackground(false);
}

QX_Static::~QX_Static() = default;

bool QX_Static::Attach(int id, QWidget* dialog, const QFont* font, bool useFont) {
    QX_CtrlInfo info;
    return AttachText(id, dialog, font, useFont, &info);
}

bool QX_Static::Create(const QString& text, quint32 style, const QRect& rect, QWidget* parent,
                       int id) {
    if (!CreateText(text, style, rect, parent, id))
        return false;
    setVisible(style & kWsVisible);
    return true;
}

int QX_Static::TextFlags() const {
    const quint32 style = Style();
    int flags = (style & kSsNoPrefix) ? 0 : int(Qt::TextShowMnemonic);
    if (style & kSsCenter)
        flags |= Qt::AlignHCenter;
    else if (style & kSsRight)
        flags |= Qt::AlignRight;
    else
        flags |= Qt::AlignLeft;
    if (style & kSsCenterImage)
        flags |= Qt::AlignVCenter | Qt::TextSingleLine;
    else
        flags |= Qt::AlignTop; // breaks only at the text's own line breaks
    return flags;
}

void QX_Static::StartAlternation(COLORREF text, COLORREF fill, int periodMs) {
    m_crAltText = text;
    m_crAltFill = fill;
    m_phaseTimer.start(std::max(1, periodMs), this);
}

void QX_Static::StopAlternation() {
    m_phaseTimer.stop();
    if (m_nPhase != 0) {
        m_nPhase = 0;
        QX_InvalidateWithParent(this);
    }
}

void QX_Static::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!p.isActive())
        return;
    const bool alternate = m_nPhase == 1;
    if (!m_bNoBackground) {
        QX_GradientFillV(&p, 0, 0, width(), height(), alternate ? m_crAltFill : m_crFill,
                         alternate ? m_crAltFillCentre : m_crFillCentre);
    }
    p.setFont(m_font);
    p.setPen(QX_ToQColor(alternate ? m_crAltText : m_crText));
    QString text = m_strText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    p.drawText(rect(), TextFlags(), text);
}

void QX_Static::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_phaseTimer.timerId() || !m_phaseTimer.isActive()) {
        QWidget::timerEvent(event);
        return;
    }
    m_nPhase = m_nPhase == 1 ? 2 : 1;
    QX_InvalidateWithParent(this);
}
