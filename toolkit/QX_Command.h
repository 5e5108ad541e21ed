#pragma once

#include <QRect>
#include <QString>

class QWidget;

// Control notifications reach the parent as a command (id, code), as WM_COMMAND does; the parent
// dispatches them from one table in OnCommand.
class QX_CommandTarget {
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

// A mouse press on control takes the focus from whichever widget holds it; while no widget has
// the focus (the application is inactive) the press leaves the focus alone.
void QX_TakeFocusOnPress(QWidget* control);

// Control ids, kept on the widget so that dialogs find their controls by number.
void QX_SetCtrlId(QWidget* control, int id);
int QX_CtrlId(const QWidget* control); // 0 when none was set
// The child of parent (at any depth) with that id, or null.
QWidget* QX_FindCtrl(const QWidget* parent, int id);

// What a dialog template gave a control: kept on the widget it created, so that a skinned
// control can take the control's place in OnInitDialog.
struct QX_CtrlInfo {
    int id = 0;
    QString text;
    quint32 style = 0; // window style bits as the template gave them (WS_*, BS_*, SS_*, ...)
    QRect rect;        // in the dialog's client pixels
};

void QX_SetCtrlInfo(QWidget* control, const QX_CtrlInfo& info); // also sets the id
QX_CtrlInfo QX_GetCtrlInfo(const QWidget* control);
// Puts replacement where the dialog's control `id` stands (same parent, rectangle, id, text,
// style, visibility and enabled state) and deletes the original. false when there is none.
bool QX_TakeOverCtrl(QWidget* dialog, int id, QWidget* replacement, QX_CtrlInfo* info = nullptr);
