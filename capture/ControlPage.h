#pragma once

#include <QString>
#include <QWebEnginePage>

class QWebEngineNewWindowRequest;

// The browser control's page: hands the replies of the control's own asynchronous scripts
// (tagged console messages from the isolated script world) back as a signal, keeps the page's
// console messages out of the terminal unless ZELVANE_JS_CONSOLE=1, and keeps the page in its
// box: a window it asks for opens in this same page (the program has one browser view) only
// when allowed (NewWindowAllowed), its dialogs never stop the program, a local page reaches
// nothing but its own files (LocalPageFilter) and the engine's plug-ins stay off.
class ControlPage final : public QWebEnginePage {
    Q_OBJECT

  public:
    explicit ControlPage(QWebEngineProfile* profile, QObject* parent = nullptr);

    // The start of the console line an asynchronous script writes when done (id, ok and json
    // follow). It holds a random part so that the page's own scripts cannot forge a reply.
    const QString& ReplyTag() const { return m_strTag; }

    // How many dialogs of its own (alert, confirm, prompt) a page may show after each page the
    // user opens (an address, the start page, back or forward); pages a page loads by itself
    // do not renew them. 0, the default, shows none. A dialog not shown is answered at once:
    // an alert is dismissed, a confirm answered no, a prompt left empty. Leaving a page is
    // never asked: the page lets the user go.
    void SetDialogsPerPage(int count) { m_nDialogsPerPage = count; }
    // While held (holds count up and down), the page shows no dialog at all.
    void HoldDialogs(bool hold) { m_nHolds += hold ? 1 : -1; }

    // Whether a new window the page at from asks for opens (here): only an http or https
    // address, only after the user's click, and never from a local page.
    static bool NewWindowAllowed(const QUrl& from, const QUrl& to, bool userInitiated);

  Q_SIGNALS:
    void ScriptReply(quint64 id, bool ok, const QString& json);

  protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int lineNumber, const QString& sourceID) override;
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    void javaScriptAlert(const QUrl& securityOrigin, const QString& msg) override;
    bool javaScriptConfirm(const QUrl& securityOrigin, const QString& msg) override;
    bool javaScriptPrompt(const QUrl& securityOrigin, const QString& msg,
                          const QString& defaultValue, QString* result) override;

  private:
    void OnNewWindow(QWebEngineNewWindowRequest& request);
    // Counts the dialog when it may be shown.
    bool ShowsDialog();

    QString m_strTag;
    bool m_bConsoleToTerminal = false;
    int m_nDialogsPerPage = 0;
    int m_nDialogsShown = 0;
    int m_nHolds = 0;
};
