#include "toolkit/QX_Command.h"

#include <QApplication>
#include <QVariant>
#include <QWidget>

namespace {
const char* const kCtrlIdProperty = "qx_ctrl_id";
const char* const kCtrlTextProperty = "qx_ctrl_text";
const char* const kCtrlStyleProperty = "qx_ctrl_style";
} // namespace

bool QX_SendCommand(QWidget* control, int id, int code) {
    for (QWidget* w = control ? control->parentWidget() : nullptr; w; w = w->parentWidget()) {
        if (auto* target = dynamic_cast<QX_CommandTarget*>(w))
            return target->OnCommand(id, code);
    }
    return false;
}

void QX_TakeFocusOnPress(QWidget* control) {
    QWidget* focus = QApplication::focusWidget();
    if (focus && focus != control)
        control->setFocus(Qt::MouseFocusReason);
}

void QX_SetCtrlId(QWidget* control, int id) {
    control->setProperty(kCtrlIdProperty, id);
}

int QX_CtrlId(const QWidget* control) {
    return control ? control->property(kCtrlIdProperty).toInt() : 0;
}

QWidget* QX_FindCtrl(const QWidget* parent, int id) {
    if (!parent)
        return nullptr;
    const auto children = parent->findChildren<QWidget*>();
    for (QWidget* child : children) {
        if (QX_CtrlId(child) == id)
            return child;
    }
    return nullptr;
}

void QX_SetCtrlInfo(QWidget* control, const QX_CtrlInfo& info) {
    QX_SetCtrlId(control, info.id);
    control->setProperty(kCtrlTextProperty, info.text);
    control->setProperty(kCtrlStyleProperty, info.style);
}

QX_CtrlInfo QX_GetCtrlInfo(const QWidget* control) {
    QX_CtrlInfo info;
    info.id = QX_CtrlId(control);
    info.text = control->property(kCtrlTextProperty).toString();
    info.style = control->property(kCtrlStyleProperty).toUInt();
    info.rect = control->geometry();
    return info;
}

bool QX_TakeOverCtrl(QWidget* dialog, int id, QWidget* replacement, QX_CtrlInfo* info) {
    QWidget* original = QX_FindCtrl(dialog, id);
    if (!original || original == replacement)
        return false;
    const QX_CtrlInfo taken = QX_GetCtrlInfo(original);
    replacement->setParent(original->parentWidget());
    replacement->setGeometry(taken.rect);
    QX_SetCtrlInfo(replacement, taken);
    replacement->setEnabled(original->isEnabled());
    replacement->setVisible(!original->isHidden());
    QWidget::setTabOrder(original, replacement);
    replacement->stackUnder(original);
    delete original;
    if (info)
        *info = taken;
    return true;
}
