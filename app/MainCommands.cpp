#include "app/MainCommands.h"

#include "app/AppTexts.h"
#include "toolkit/QX_ToolBar.h"

#include <iterator>

namespace {
// Alt+E and Alt+U were bound to commands the program never had; they stay inert.
const MainCommands::KeyBinding kKeys[] = {
    {QKeyCombination(Qt::AltModifier, Qt::Key_H), ID_GO_HOME},
    {QKeyCombination(Qt::AltModifier, Qt::Key_P), ID_GO_BACK},
    {QKeyCombination(Qt::AltModifier, Qt::Key_N), ID_GO_FORWARD},
    {QKeyCombination(Qt::AltModifier, Qt::Key_X), ID_APP_EXIT},
    {QKeyCombination(Qt::Key_F3), ID_CAPTURE},
    {QKeyCombination(Qt::Key_F4), ID_NEXT_STEP},
    {QKeyCombination(Qt::Key_F5), ID_CANCEL_CAPTURE},
    {QKeyCombination(Qt::AltModifier, Qt::Key_A), ID_APP_ABOUT},
    {QKeyCombination(Qt::Key_F8), ID_GET_ADDRESS},
    {QKeyCombination(Qt::AltModifier, Qt::Key_E), 0},
    {QKeyCombination(Qt::AltModifier, Qt::Key_U), 0},
};
} // namespace

const MainCommands::KeyBinding* MainCommands::Table(int* count) {
    *count = int(std::size(kKeys));
    return kKeys;
}

bool MainCommands::Lookup(QKeyCombination key, int* command) {
    // The modifiers must match exactly, as for virtual-key accelerators; only the keypad flag
    // (which Enter or a digit came from) is not a modifier here.
    const Qt::KeyboardModifiers mods = key.keyboardModifiers() & ~Qt::KeypadModifier;
    for (const KeyBinding& binding : kKeys) {
        if (binding.key.key() == key.key() && binding.key.keyboardModifiers() == mods) {
            *command = binding.command;
            return true;
        }
    }
    return false;
}

QVector<QX_ToolButton> MainCommands::ToolButtons() {
    const QString quote = QStringLiteral("\"");
    return {
        {QStringLiteral("홈"), QStringLiteral("image/qx_home16.bmp"), ID_GO_HOME},
        {QString(), QString(), 0},
        {QStringLiteral("뒤로"), QStringLiteral("image/qx_prev16.bmp"), ID_GO_BACK},
        {QStringLiteral("앞으로"), QStringLiteral("image/qx_next16.bmp"), ID_GO_FORWARD},
        {QString(), QString(), 0},
        {quote + QStringLiteral("웹주소 가져오기") + quote + QStringLiteral("(F8) "),
         QStringLiteral("image/select_path16.bmp"), ID_GET_ADDRESS},
        {quote + QStringLiteral("캡처와 인쇄") + quote + QStringLiteral("(F3)"),
         QStringLiteral("image/qx_print16.bmp"), ID_CAPTURE},
        {QString(), QString(), 0},
        {quote + AppTexts::DisplayName() + quote, QStringLiteral("image/update_data16.bmp"),
         ID_APP_ABOUT},
    };
}
