#pragma once

#include <QString>

class MainWnd;

// The walk's steps in the dialogs of the browser list and the about box, with the real
// dialogs the main window opens: F8 prints the rows (`row TITLE<TAB>ADDRESS`), saves
// findurl.png and picks a row (0: Cancel); Alt+A saves about.png once its page has loaded.
class FindUrlWalk final {
  public:
    // outDir: where the pictures go.
    explicit FindUrlWalk(const QString& outDir);

    // F8, the explorer box ticked when asked, then row (1-based) or Cancel; with a row, waits
    // until the main window has loaded the address. false with m_strError set on failure.
    bool PickAddress(MainWnd* wnd, int row, bool explorer);
    // Alt+A, about.png, then the box is closed.
    bool ShowAbout(MainWnd* wnd);

    QString m_strError;

  private:
    QString m_strOutDir;
};
