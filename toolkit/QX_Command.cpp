#include "toolkit/QX_Command.h"

#include <QVariant>
#include <QWidget>

namespace {
const char* const kCtrlIdProperty = "qx_ctrl_id";
}

bool QX_SendCommand(QWidget* control, int id, int code)
{
    for (QWidget* w = control ? control->parentWidget() : nullptr; w; w = w->parentWidget()) {
        if (auto* target = dynamic_cast<QX_CommandTarget*>(w))
            return target->OnCommand(id, code);
    }
    return false;
}

void QX_SetCtrlId(QWidget* control, int id)
{
    control->setProperty(kCtrlIdProperty, id);
}

int QX_CtrlId(const QWidget* control)
{
    return control ? control->property(kCtrlIdProperty).toInt() : 0;
}

QWidget* QX_FindCtrl(const QWidget* parent, int id)
{
    if (!parent)
        return nullptr;
    const auto children = parent->findChildren<QWidget*>();
    for (QWidget* child : children) {
        if (QX_CtrlId(child) == id)
            return child;
    }
    return nullptr;
}
