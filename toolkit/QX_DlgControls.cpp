#include "toolkit/QX_DlgControls.h"

#include "toolkit/QX_Command.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVariant>

namespace {

const char* const kDefaultProperty = "qx_default_ctrl";

quint32 KindStyle(QX_CtrlKind kind) {
    switch (kind) {
    case QX_CtrlKind::Button:
        return QX_BS_PUSHBUTTON | QX_WS_TABSTOP;
    case QX_CtrlKind::DefButton:
        return QX_BS_DEFPUSHBUTTON | QX_WS_TABSTOP;
    case QX_CtrlKind::CheckBox:
        return QX_BS_AUTOCHECKBOX | QX_WS_TABSTOP;
    case QX_CtrlKind::RadioButton:
        return QX_BS_AUTORADIOBUTTON;
    case QX_CtrlKind::Frame:
        return QX_SS_BLACKFRAME;
    case QX_CtrlKind::Edit:
        return QX_ES_AUTOHSCROLL | QX_WS_BORDER | QX_WS_TABSTOP;
    case QX_CtrlKind::GroupBox:
        return QX_BS_GROUPBOX;
    case QX_CtrlKind::Static:
        break;
    }
    return QX_SS_LEFT;
}

void NotifyClicks(QAbstractButton* button, int id) {
    QObject::connect(button, &QAbstractButton::clicked, button,
                     [button, id] { QX_SendCommand(button, id, QX_BN_CLICKED); });
}

QWidget* MakeButton(QWidget* dialog, const QX_DlgItem& item) {
    auto* button = new QPushButton(item.text, dialog);
    // Enter is the dialog's business (the default button or IDOK), not the focused button's.
    button->setAutoDefault(false);
    button->setProperty(kDefaultProperty, item.kind == QX_CtrlKind::DefButton);
    NotifyClicks(button, item.id);
    return button;
}

QWidget* MakeRadio(QWidget* dialog, const QX_DlgItem& item, QButtonGroup*& group) {
    auto* radio = new QRadioButton(item.text, dialog);
    radio->setAutoExclusive(false);
    // A radio button with the group style starts a group; the following ones join it.
    if (!group || (item.style & QX_WS_GROUP)) {
        group = new QButtonGroup(dialog);
        group->setExclusive(true);
    }
    group->addButton(radio);
    NotifyClicks(radio, item.id);
    return radio;
}

QWidget* MakeControl(QWidget* dialog, const QX_DlgItem& item, QButtonGroup*& group) {
    if (item.kind != QX_CtrlKind::RadioButton)
        group = nullptr;
    switch (item.kind) {
    case QX_CtrlKind::Button:
    case QX_CtrlKind::DefButton:
        return MakeButton(dialog, item);
    case QX_CtrlKind::CheckBox: {
        auto* check = new QCheckBox(item.text, dialog);
        NotifyClicks(check, item.id);
        return check;
    }
    case QX_CtrlKind::RadioButton:
        return MakeRadio(dialog, item, group);
    case QX_CtrlKind::Edit: {
        auto* edit = new QLineEdit(item.text, dialog);
        const int id = item.id;
        QObject::connect(edit, &QLineEdit::textChanged, edit,
                         [edit, id] { QX_SendCommand(edit, id, QX_EN_CHANGE); });
        return edit;
    }
    case QX_CtrlKind::Frame: {
        auto* frame = new QFrame(dialog);
        frame->setFrameShape(QFrame::Box);
        return frame;
    }
    case QX_CtrlKind::GroupBox:
        return new QGroupBox(item.text, dialog);
    case QX_CtrlKind::Static:
        break;
    }
    auto* label = new QLabel(item.text, dialog);
    const quint32 type = item.style & QX_SS_TYPEMASK;
    Qt::Alignment align = type == QX_SS_CENTER  ? Qt::AlignHCenter
                          : type == QX_SS_RIGHT ? Qt::AlignRight
                                                : Qt::AlignLeft;
    align |= (item.style & QX_SS_CENTERIMAGE) ? Qt::AlignVCenter : Qt::AlignTop;
    label->setAlignment(align);
    return label;
}

} // namespace

void QX_CreateDlgControls(QWidget* dialog, const QX_DlgTemplate& t, const QX_DlgUnits& units) {
    QButtonGroup* group = nullptr;
    for (const QX_DlgItem& item : t.items) {
        QWidget* control = MakeControl(dialog, item, group);
        QX_CtrlInfo info;
        info.id = item.id;
        info.text = item.text;
        // An explicit button or static type in the item replaces the one its kind implies.
        quint32 style = KindStyle(item.kind);
        if (item.style & QX_SS_TYPEMASK)
            style &= ~QX_SS_TYPEMASK;
        info.style = style | item.style | QX_WS_CHILD | (item.hidden ? 0 : QX_WS_VISIBLE);
        info.rect = units.MapRect(item.x, item.y, item.cx, item.cy);
        control->setGeometry(info.rect);
        QX_SetCtrlInfo(control, info);
        control->setEnabled(!(item.style & QX_WS_DISABLED));
        control->setVisible(!item.hidden);
    }
}

bool QX_IsDefaultCtrl(const QWidget* control) {
    return control && control->property(kDefaultProperty).toBool();
}
