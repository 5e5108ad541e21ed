#include "capture/ControlPage.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

// Stands in for a new window: takes its first navigation, hands the address on and goes away
// without loading anything.
class NewWindowCatcher final : public QWebEnginePage {
  public:
    NewWindowCatcher(QWebEngineProfile* profile, std::function<void(const QUrl&)> open,
                     QObject* parent)
        : QWebEnginePage(profile, parent), m_open(std::move(open)) {}

  protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override {
        if (!isMainFrame)
            return false;
        // window.open() with no address opens about:blank first; wait for a real address.
        if (url.isEmpty() || url.toString() == QLatin1String("about:blank"))
            return true;
        if (m_open) {
            m_open(url);
            m_open = nullptr;
            deleteLater();
        }
        return false;
    }

  private:
    std::function<void(const QUrl&)> m_open;
};

// Every level, as the page wrote it, with where it came from.
void PrintConsoleMessage(QWebEnginePage::JavaScriptConsoleMessageLevel level,
                         const QString& message, int lineNumber, const QString& sourceID) {
    static const char* const levels[] = {"info", "warning", "error"};
    const int index = std::clamp(int(level), 0, 2);
    std::fprintf(stderr, "js %s: %s (%s:%d)\n", levels[index], qPrintable(message),
                 qPrintable(sourceID), lineNumber);
    std::fflush(stderr);
}

} // namespace

ControlPage::ControlPage(QWebEngineProfile* profile, QObject* parent)
    : QWebEnginePage(profile, parent),
      m_strTag(QStringLiteral("zelvane-reply-%1:")
                   .arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'))),
      m_bConsoleToTerminal(qEnvironmentVariableIntValue("ZELVANE_JS_CONSOLE") != 0) {}

QWebEnginePage* ControlPage::createWindow(WebWindowType /*type*/) {
    return new NewWindowCatcher(
        profile(), [this](const QUrl& url) { load(url); }, this);
}

void ControlPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level,
                                           const QString& message, int lineNumber,
                                           const QString& sourceID) {
    const QString& tag = m_strTag;
    if (!message.startsWith(tag)) {
        if (m_bConsoleToTerminal)
            PrintConsoleMessage(level, message, lineNumber, sourceID);
        return;
    }
    // tag, id, ':', 1 or 0, ':', json
    const int idEnd = message.indexOf(QLatin1Char(':'), tag.size());
    if (idEnd < 0 || idEnd + 2 >= message.size())
        return;
    bool idOk = false;
    const quint64 id = QStringView(message).mid(tag.size(), idEnd - tag.size()).toULongLong(&idOk);
    if (!idOk)
        return;
    const bool ok = message.at(idEnd + 1) == QLatin1Char('1');
    Q_EMIT ScriptReply(id, ok, message.mid(idEnd + 3));
}
