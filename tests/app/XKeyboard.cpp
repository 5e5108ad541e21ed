#include "tests/app/XKeyboard.h"

#include <QByteArray>
#include <QList>

#include <cstring>

#include <dlfcn.h>

namespace {

using OpenDisplayFn = void* (*)(const char*);
using CloseDisplayFn = int (*)(void*);
using StringToKeysymFn = unsigned long (*)(const char*);
using KeysymToKeycodeFn = unsigned char (*)(void*, unsigned long);
using SyncFn = int (*)(void*, int);
using FakeKeyFn = int (*)(void*, unsigned, int, unsigned long);
using GetInputFocusFn = int (*)(void*, unsigned long*, int*);

template <typename Fn> Fn Symbol(void* library, const char* name) {
    void* address = library ? dlsym(library, name) : nullptr;
    Fn fn = nullptr;
    static_assert(sizeof(fn) == sizeof(address));
    std::memcpy(&fn, &address, sizeof(fn)); // a data pointer to a function pointer
    return fn;
}

QByteArray KeysymName(Qt::Key key) {
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return "F" + QByteArray::number(key - Qt::Key_F1 + 1);
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return QByteArray(1, char('a' + (key - Qt::Key_A)));
    switch (key) {
    case Qt::Key_Escape:
        return "Escape";
    case Qt::Key_Return:
        return "Return";
    default:
        return QByteArray();
    }
}

} // namespace

XKeyboard::XKeyboard(const QString& display) {
    m_pX11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    m_pXtst = dlopen("libXtst.so.6", RTLD_NOW | RTLD_LOCAL);
    if (auto open = Symbol<OpenDisplayFn>(m_pX11, "XOpenDisplay"); open && m_pXtst)
        m_pDisplay = open(display.toLocal8Bit().constData());
}

XKeyboard::~XKeyboard() {
    if (auto close = Symbol<CloseDisplayFn>(m_pX11, "XCloseDisplay"); close && m_pDisplay)
        close(m_pDisplay);
    if (m_pXtst)
        dlclose(m_pXtst);
    if (m_pX11)
        dlclose(m_pX11);
}

unsigned XKeyboard::KeyCode(const char* keysymName) const {
    const auto toKeysym = Symbol<StringToKeysymFn>(m_pX11, "XStringToKeysym");
    const auto toKeycode = Symbol<KeysymToKeycodeFn>(m_pX11, "XKeysymToKeycode");
    if (!toKeysym || !toKeycode || !m_pDisplay)
        return 0;
    return toKeycode(m_pDisplay, toKeysym(keysymName));
}

bool XKeyboard::Click(Qt::Key key, Qt::KeyboardModifiers mods) {
    const auto fake = Symbol<FakeKeyFn>(m_pXtst, "XTestFakeKeyEvent");
    const auto sync = Symbol<SyncFn>(m_pX11, "XSync");
    const QByteArray name = KeysymName(key);
    const unsigned code = name.isEmpty() ? 0 : KeyCode(name.constData());
    if (!fake || !sync || code == 0)
        return false;
    QList<unsigned> held;
    if (mods & Qt::AltModifier)
        held << KeyCode("Alt_L");
    if (mods & Qt::ControlModifier)
        held << KeyCode("Control_L");
    if (mods & Qt::ShiftModifier)
        held << KeyCode("Shift_L");
    for (unsigned m : held)
        fake(m_pDisplay, m, 1, 0);
    fake(m_pDisplay, code, 1, 0);
    fake(m_pDisplay, code, 0, 0);
    for (auto it = held.rbegin(); it != held.rend(); ++it)
        fake(m_pDisplay, *it, 0, 0);
    sync(m_pDisplay, 0);
    return true;
}

unsigned long XKeyboard::FocusWindow() const {
    const auto getFocus = Symbol<GetInputFocusFn>(m_pX11, "XGetInputFocus");
    unsigned long window = 0;
    int revertTo = 0;
    if (getFocus && m_pDisplay)
        getFocus(m_pDisplay, &window, &revertTo);
    return window;
}
