#include "app/MainCommands.h"
#include "toolkit/QX_ToolBar.h"

#include <gtest/gtest.h>

struct KeyCase {
    QKeyCombination key;
    bool inTable;
    int command;
};

class MainCommandsKeys : public ::testing::TestWithParam<KeyCase> {};

// Modifiers must match exactly: a second modifier makes a different key.
TEST_P(MainCommandsKeys, LooksUpExactly) {
    int command = -1;
    EXPECT_EQ(MainCommands::Lookup(GetParam().key, &command), GetParam().inTable);
    if (GetParam().inTable) {
        EXPECT_EQ(command, GetParam().command);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, MainCommandsKeys,
    ::testing::Values(KeyCase{QKeyCombination(Qt::Key_F3), true, ID_CAPTURE},
                      KeyCase{QKeyCombination(Qt::KeypadModifier, Qt::Key_F4), true, ID_NEXT_STEP},
                      KeyCase{QKeyCombination(Qt::AltModifier, Qt::Key_X), true, ID_APP_EXIT},
                      KeyCase{QKeyCombination(Qt::AltModifier, Qt::Key_E), true, 0},
                      KeyCase{QKeyCombination(Qt::AltModifier, Qt::Key_U), true, 0},
                      KeyCase{QKeyCombination(Qt::ShiftModifier, Qt::Key_F3), false, 0},
                      KeyCase{QKeyCombination(Qt::ControlModifier | Qt::AltModifier, Qt::Key_H),
                              false, 0},
                      KeyCase{QKeyCombination(Qt::Key_H), false, 0},
                      KeyCase{QKeyCombination(Qt::Key_F6), false, 0}));

// Every toolbar command is also reachable from the keyboard, and separators carry no command.
TEST(MainCommands, ToolbarCommandsHaveKeys) {
    const QVector<QX_ToolButton> buttons = MainCommands::ToolButtons();
    ASSERT_EQ(buttons.size(), 9);
    int count = 0;
    const MainCommands::KeyBinding* table = MainCommands::Table(&count);
    for (const QX_ToolButton& b : buttons) {
        if (b.commandId == 0) {
            EXPECT_TRUE(b.label.isEmpty());
            continue;
        }
        bool found = false;
        for (int i = 0; i < count; ++i)
            found = found || table[i].command == b.commandId;
        EXPECT_TRUE(found) << b.commandId;
    }
}
