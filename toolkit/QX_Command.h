#pragma once

class QWidget;

// Control notifications reach the parent as a command (id, code), as WM_COMMAND does; the parent
// dispatches them from one table in OnCommand.
class QX_CommandTarget
{
public:
    virtual ~QX_CommandTarget() = default;
    // true when the command was handled.
    virtual bool OnCommand(int id, int code) = 0;
};

// Notification codes the toolkit's controls send.
enum QX_NotifyCode {
    QX_BN_CLICKED = 0,
    QX_LBN_SELCHANGE = 1,
    QX_LBN_DBLCLK = 2,
    QX_EN_CHANGE = 0x300,
};

// Sends (id, code) to the nearest ancestor of control that is a QX_CommandTarget.
bool QX_SendCommand(QWidget* control, int id, int code);

// Control ids, kept on the widget so that dialogs find their controls by number.
void QX_SetCtrlId(QWidget* control, int id);
int QX_CtrlId(const QWidget* control); // 0 when none was set
// The child of parent (at any depth) with that id, or null.
QWidget* QX_FindCtrl(const QWidget* parent, int id);
