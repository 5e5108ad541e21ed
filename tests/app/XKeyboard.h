#pragma once

#include <QString>
#include <Qt>

// Presses keys on an X display through its test extension, as a real keyboard would: the X
// server sends them to whatever window has its input focus. The X libraries are loaded at run
// time, so the tests build without their headers.
class XKeyboard final {
  public:
    explicit XKeyboard(const QString& display);
    ~XKeyboard();
    XKeyboard(const XKeyboard&) = delete;
    XKeyboard& operator=(const XKeyboard&) = delete;

    bool IsOpen() const { return m_pDisplay != nullptr; }
    // Presses and releases key with the modifiers held (Alt, Control, Shift); false for a key it
    // does not know.
    bool Click(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier);
    // The window that has the server's input focus (0 when unknown): where Click's keys go.
    unsigned long FocusWindow() const;

  private:
    unsigned KeyCode(const char* keysymName) const;

    void* m_pX11 = nullptr;
    void* m_pXtst = nullptr;
    void* m_pDisplay = nullptr;
};
