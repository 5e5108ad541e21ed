#pragma once

#include <QKeyCombination>
#include <QVector>

struct QX_ToolButton;

// The main window's command ids; the toolbar sends the same ids.
enum MainCommand : int {
    ID_GO_HOME = 32771,
    ID_GO_BACK = 32772,
    ID_GO_FORWARD = 32773,
    ID_APP_EXIT = 32775,
    ID_CAPTURE = 32776,
    ID_NEXT_STEP = 32777,
    ID_CANCEL_CAPTURE = 32778,
    ID_APP_ABOUT = 32780,
    ID_GET_ADDRESS = 32781,
};

// Child window ids of the main window.
enum MainChildId : int {
    IDC_MAIN_TOOLBAR = 20001,
    IDC_ADDRESS_BOX = 20012,
    IDC_BROWSER = 59648,
    IDC_CAPTURE_VIEW = 24017,
};

// The keyboard table: which key gives which command. Keys bound to command 0 are reserved:
// they are swallowed and do nothing.
class MainCommands final {
  public:
    struct KeyBinding {
        QKeyCombination key;
        int command;
    };

    // The whole table, in order.
    static const KeyBinding* Table(int* count);
    // True when key is in the table; *command receives its command (0 for reserved keys).
    static bool Lookup(QKeyCombination key, int* command);
    // The main window's nine toolbar records, separators included.
    static QVector<QX_ToolButton> ToolButtons();
};
