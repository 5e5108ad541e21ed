#pragma once

#include "imaging/QX_DIB.h"
#include "toolkit/QX_Theme.h"

#include <QFont>
#include <QString>

#include <memory>

class QIODevice;
class QWidget;

// One look of the toolkit: the user colour table, the 16 skin bitmaps and the two caption fonts.
// The application makes one, loads it and makes it the default; a test or a second window may
// make its own and attach it to a top-level window, whose controls then find it through their
// parent chain. A skin must outlive the windows it is attached to.
class QX_Skin final {
  public:
    QX_Skin();
    ~QX_Skin();
    QX_Skin(const QX_Skin&) = delete;
    QX_Skin& operator=(const QX_Skin&) = delete;

    // Loads the bitmaps from the skin pack and makes the caption fonts; a second call replaces
    // the first set. A bitmap missing from the pack stays unloaded.
    void Load();
    // Drops the bitmaps and fonts; the colour table stays.
    void Free();
    bool IsLoaded() const { return m_bLoaded; }

    // A colour file is a few lines; a larger one is not read.
    static constexpr qint64 kMaxUserColorBytes = 64 * 1024;

    // Reads the colour file into the table; false (nothing changes) when it cannot be opened,
    // is not a regular file (links followed) or is larger than kMaxUserColorBytes.
    bool LoadUserColor(const QString& path);
    // What LoadUserColor does once the file is open: reads the device from its position.
    void ReadUserColor(QIODevice& file);
    // The slot as the file left it: QX_COLOR_UNSET where it set nothing.
    COLORREF UserColor(QX_ColorSlot slot) const;
    void SetUserColor(QX_ColorSlot slot, COLORREF color);
    // The slot's value, or the consumer's built-in default when the slot is unset.
    COLORREF Color(QX_ColorSlot slot, COLORREF builtInDefault) const;

    // Caption buttons: 0 minimize_up ... 7 restore_down, key RGB(255,0,0); null before Load.
    const QX_DIB* FrameBitmap(int index) const;
    // Check and radio images: index (radio ? 4 : 0) + (pressed ? 2 : 0) + (checked ? 1 : 0).
    const QX_DIB* CheckBitmap(int index) const;
    // The caption fonts; null before Load.
    const QFont* FontHangul() const { return m_pFontHangul.get(); }
    const QFont* FontLatin() const { return m_pFontLatin.get(); }
    // The Hangul font when loaded, else the standard font: what dialogs given no font use.
    QFont HangulFont() const;
    // The caption font for a title: Hangul when its first character is not ASCII, else Latin.
    QFont CaptionFont(const QString& title) const;

    // The skin a widget draws with: the nearest one attached on its parent chain (a dialog's
    // chain goes on through its owner), else the default.
    static const QX_Skin& Of(const QWidget* widget);
    // Gives a window (and everything it parents) its own skin; null takes it back.
    static void Attach(QWidget* window, const QX_Skin* skin);
    // The application's skin while it has set one, else a built-in skin with nothing loaded.
    static const QX_Skin& Default();
    static void SetDefault(const QX_Skin* skin);

  private:
    COLORREF m_userColor[QX_COLOR_SLOTS];
    std::unique_ptr<QX_DIB> m_frameBitmap[8];
    std::unique_ptr<QX_DIB> m_checkBitmap[8];
    std::unique_ptr<QFont> m_pFontHangul;
    std::unique_ptr<QFont> m_pFontLatin;
    bool m_bLoaded = false;
};
