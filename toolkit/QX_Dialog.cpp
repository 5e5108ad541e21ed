#include "toolkit/QX_Dialog.h"

#include "toolkit/QX_Button.h"
#include "toolkit/QX_DlgControls.h"
#include "toolkit/QX_FramePainter.h"
#include "toolkit/QX_Theme.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace FP = QX_FramePainter;

QX_Dialog::QX_Dialog(int templateId, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      m_crActiveText(QX_ThemeColor(QX_DIALOG_ACTIVE_TEXT, 0xFFFFFF)),
      m_crInactiveText(QX_ThemeColor(QX_DIALOG_INACTIVE_TEXT, 0xC0C0C0)),
      m_crBodyPen(QX_ThemeColor(QX_DIALOG_BODY_PEN, 0xF398A6)),
      m_crBodyBrush(QX_ThemeColor(QX_DIALOG_BODY_BRUSH, 0xFFECE8)), m_nTemplateId(templateId) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QX_Dialog::~QX_Dialog() = default;

bool QX_Dialog::Create() {
    if (m_bCreated)
        return true;
    m_bCreated = true;
    BuildFromTemplate();
    // false from OnInitDialog means the dialog placed the focus itself; a focus it gave a
    // control is kept either way.
    if (OnInitDialog() && !(focusWidget() && isAncestorOf(focusWidget())))
        FocusFirstControl();
    return true;
}

void QX_Dialog::BuildFromTemplate() {
    const QX_DlgTemplate* t = QX_FindDlgTemplate(m_nTemplateId);
    const QX_DlgTemplate fallback;
    if (!t)
        t = &fallback; // an unknown id gives an empty dialog in the default font
    const QFont font = QX_DlgUnits::TemplateFont(*t);
    // A font the derived dialog chose before creation wins for drawing; the layout still
    // follows the template's font, as the template's units are measured in it.
    if (!testAttribute(Qt::WA_SetFont))
        setFont(font);
    m_units = QX_DlgUnits::FromFont(font);
    // A template without a size still gets a window that shows its caption.
    const int w = t->cx > 0 ? m_units.MapX(t->cx) : 200;
    const int h = t->cy > 0 ? m_units.MapY(t->cy) : 100;
    resize(qMax(w, 40), qMax(h, 32));
    QX_CreateDlgControls(this, *t, m_units);
}

void QX_Dialog::FocusFirstControl() {
    for (QWidget* w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
        if (isAncestorOf(w) && w->isEnabled() && !w->isHidden() &&
            (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

int QX_Dialog::DoModal() {
    m_bEndRequested = false;
    Create();
    // Ended during initialisation: the dialog never shows, as a modal loop would not start.
    if (m_bEndRequested)
        return m_nEndResult;
    return exec();
}

void QX_Dialog::EndDialog(int result) {
    m_bEndRequested = true;
    m_nEndResult = result;
    done(result);
}

QWidget* QX_Dialog::GetDlgItem(int id) const {
    return QX_FindCtrl(this, id);
}

void QX_Dialog::SetCaptionButtons(bool minimize, bool close) {
    m_bMinimizeBox = minimize;
    m_bCloseBox = close;
    m_caption.UpdateCaption();
}

bool QX_Dialog::OnInitDialog() {
    setWindowTitle(m_strTitle);
    return true;
}

void QX_Dialog::OnOK() {
    EndDialog(IDOK);
}

void QX_Dialog::OnCancel() {
    EndDialog(IDCANCEL);
}

bool QX_Dialog::OnCommand(int id, int code) {
    if (code != QX_BN_CLICKED)
        return false;
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

void QX_Dialog::reject() {
    OnCommand(IDCANCEL, QX_BN_CLICKED);
}

void QX_Dialog::accept() {
    OnCommand(IDOK, QX_BN_CLICKED);
}

void QX_Dialog::OnDraw(QPainter*) {}

QX_FrameLook QX_Dialog::Look() const {
    return {m_crActiveText, m_crInactiveText, m_crBodyPen, m_crBodyBrush, m_crCaptionLight};
}

QX_CaptionButtons QX_Dialog::Buttons() const {
    return {m_bMinimizeBox, false, m_bCloseBox, false, -1};
}

void QX_Dialog::DrawFrame(QPainter* dc, int left, int top, int right, int bottom) {
    FP::DrawFrame(dc, Look(), left, top, right, bottom);
}

void QX_Dialog::DrawCaption(QPainter* dc) {
    m_caption.Paint(dc, Look(), Buttons(), m_strTitle, 11);
}

void QX_Dialog::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!p.isActive())
        return;
    DrawFrame(&p, 0, 0, width(), height());
    DrawCaption(&p);
    p.save();
    OnDraw(&p);
    p.restore();
}

void QX_Dialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange)
        SetCaptionActive(isActiveWindow());
    QDialog::changeEvent(event);
}

void QX_Dialog::SetCaptionActive(bool active) {
    m_caption.SetActive(active);
}

QRect QX_Dialog::CloseButtonRect() const {
    return FP::CloseRect(width(), Buttons());
}

QRect QX_Dialog::MinimizeButtonRect() const {
    return FP::MinimizeRect(width(), Buttons());
}

int QX_Dialog::DefaultButtonId() const {
    if (const QX_Button* b = QX_Button::DefaultButton(this))
        return b->CtrlId();
    for (const QWidget* w : findChildren<QWidget*>()) {
        if (QX_IsDefaultCtrl(w) && w->isEnabled() && w->isVisible())
            return QX_CtrlId(w);
    }
    return IDOK;
}

void QX_Dialog::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)) {
        QDialog::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Escape:
        OnCommand(IDCANCEL, QX_BN_CLICKED);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (QX_Button* b = QX_Button::DefaultButton(this))
            b->Click();
        else
            OnCommand(DefaultButtonId(), QX_BN_CLICKED);
        break;
    default:
        QDialog::keyPressEvent(event);
        return;
    }
    event->accept();
}

void QX_Dialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(event);
        return;
    }
    const QPoint p = event->position().toPoint();
    if (!m_caption.PressButton(p, Buttons()) &&
        (m_bDragAnywhere || FP::InCaptionStrip(p, width()))) {
        m_bZoomed = windowState() & Qt::WindowMaximized;
        if (!m_bZoomed)
            m_caption.BeginMove(event->globalPosition().toPoint());
    }
    if (m_caption.Mode() != ModeNone)
        m_caption.UpdateCaption();
    event->accept();
}

void QX_Dialog::mouseMoveEvent(QMouseEvent* event) {
    m_caption.Drag(event->globalPosition().toPoint());
    event->accept();
}

void QX_Dialog::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_caption.Mode() == ModeNone) {
        QDialog::mouseReleaseEvent(event);
        return;
    }
    m_caption.Release(event->position().toPoint(), Buttons(), nullptr);
    event->accept();
}

void QX_Dialog::mouseDoubleClickEvent(QMouseEvent* event) {
    // A double click means nothing to the caption; its second click still presses a button.
    if (QX_CaptionControl::ButtonAt(event->position().toPoint(), width(), Buttons()) != ModeNone)
        mousePressEvent(event);
    else
        event->accept();
}
