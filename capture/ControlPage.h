#pragma once

#include <QString>
#include <QWebEnginePage>

// The browser control's page: hands the replies of the control's own asynchronous scripts
// (tagged console messages from the isolated script world) back as a signal, opens what the
// page asks to open in a new window in this same page (the program has one browser view),
// and keeps the page's console messages out of the terminal unless ZELVANE_JS_CONSOLE=1.
class ControlPage final : public QWebEnginePage {
    Q_OBJECT

  public:
    explicit ControlPage(QWebEngineProfile* profile, QObject* parent = nullptr);

    // The start of the console line an asynchronous script writes when done (id, ok and json
    // follow). It holds a random part so that the page's own scripts cannot forge a reply.
    const QString& ReplyTag() const { return m_strTag; }

  Q_SIGNALS:
    void ScriptReply(quint64 id, bool ok, const QString& json);

  protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int lineNumber, const QString& sourceID) override;
    // A link with a target of its own or window.open(): a hidden page takes the request and
    // its address is loaded here instead.
    QWebEnginePage* createWindow(WebWindowType type) override;

  private:
    QString m_strTag;
    bool m_bConsoleToTerminal = false;
};
