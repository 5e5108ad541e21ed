#include "toolkit/QX_Dialog.h"

#include "toolkit/QX_Button.h"
#include "toolkit/QX_DlgControls.h"
#include "toolkit/QX_WindowSystem.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>

QX_Dialog::QX_Dialog(int templateId, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      QX_FrameBehaviour(this, QX_DIALOG_BODY_PEN), m_nTemplateId(templateId) {
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
    UpdateCaption();
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

QX_FrameSetup QX_Dialog::FrameSetup() const {
    QX_FrameSetup s;
    s.look = Look();
    s.buttons = {m_bMinimizeBox, false, m_bCloseBox, false, -1};
    s.title = m_strTitle;
    s.dragAnywhere = m_bDragAnywhere;
    return s;
}

void QX_Dialog::OnFrameZoomed(bool zoomed) {
    m_bZoomed = zoomed;
}

void QX_Dialog::paintEvent(QPaintEvent*) {
    OnPaintFrame();
}

void QX_Dialog::showEvent(QShowEvent* event) {
    // Before the window system sees the window: a compositor that places windows itself puts
    // a dialog over the window it names as its owner.
    QX_WindowSystem::AttachToOwner(this);
    QDialog::showEvent(event);
}

void QX_Dialog::changeEvent(QEvent* event) {
    OnChangeFrame(event);
    QDialog::changeEvent(event);
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
    if (!OnPressFrame(event))
        QDialog::mousePressEvent(event);
}

void QX_Dialog::mouseMoveEvent(QMouseEvent* event) {
    OnMoveFrame(event);
}

void QX_Dialog::mouseReleaseEvent(QMouseEvent* event) {
    if (!OnReleaseFrame(event))
        QDialog::mouseReleaseEvent(event);
}

void QX_Dialog::mouseDoubleClickEvent(QMouseEvent* event) {
    // A double click means nothing to the caption; its second click still presses a button.
    if (!OnDoubleClickFrame(event))
        QDialog::mouseDoubleClickEvent(event);
}
