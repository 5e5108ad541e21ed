#include "capture/ControlPage.h"

#include "capture/LocalPageFilter.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineSettings>

#include <algorithm>
#include <cstdio>

namespace {

// Every level, as the page wrote it, with where it came from.
void PrintConsoleMessage(QWebEnginePage::JavaScriptConsoleMessageLevel level,
                         const QString& message, int lineNumber, const QString& sourceID) {
    static const char* const levels[] = {"info", "warning", "error"};
    const int index = std::clamp(int(level), 0, 2);
    std::fprintf(stderr, "js %s: %s (%s:%d)\n", levels[index], qPrintable(message),
                 qPrintable(sourceID), lineNumber);
    std::fflush(stderr);
}

// The engine asks its own question through javaScriptConfirm before a page that wants to keep
// the user (beforeunload) is left.
QString LeavePageQuestion() {
    return QCoreApplication::translate(
        "QWebEnginePage",
        "Are you sure you want to leave this page? Changes that you made may not be saved.");
}

} // namespace

ControlPage::ControlPage(QWebEngineProfile* profile, QObject* parent)
    : QWebEnginePage(profile, parent),
      m_strTag(QStringLiteral("zelvane-reply-%1:")
                   .arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'))),
      m_bConsoleToTerminal(qEnvironmentVariableIntValue("ZELVANE_JS_CONSOLE") != 0) {
    QWebEngineSettings* s = settings();
    // Scripts open no windows without a click; NewWindowAllowed checks again.
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    // The plug-ins and the PDF viewer are engines of their own, as unpatched as this one.
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    // Left on: off, a local page's own images and style sheets do not load either. The filter
    // decides what a local page may load instead.
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    setUrlRequestInterceptor(new LocalPageFilter(this));
    connect(this, &QWebEnginePage::newWindowRequested, this, &ControlPage::OnNewWindow);
}

bool ControlPage::NewWindowAllowed(const QUrl& from, const QUrl& to, bool userInitiated) {
    const QString scheme = to.scheme();
    return userInitiated && (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           from.scheme() != QLatin1String("file");
}

void ControlPage::OnNewWindow(QWebEngineNewWindowRequest& request) {
    // The request is left unanswered: the engine drops the window it made for it.
    if (NewWindowAllowed(url(), request.requestedUrl(), request.isUserInitiated()))
        load(request.requestedUrl());
}

bool ControlPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
    // A page the user opens gets its dialogs back; a page loaded by a page's script does not.
    if (isMainFrame && (type == NavigationTypeTyped || type == NavigationTypeBackForward))
        m_nDialogsShown = 0;
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

bool ControlPage::ShowsDialog() {
    const bool shown = m_nHolds == 0 && m_nDialogsShown < m_nDialogsPerPage;
    if (shown)
        ++m_nDialogsShown;
    return shown;
}

void ControlPage::javaScriptAlert(const QUrl& securityOrigin, const QString& msg) {
    if (ShowsDialog())
        QWebEnginePage::javaScriptAlert(securityOrigin, msg);
}

bool ControlPage::javaScriptConfirm(const QUrl& securityOrigin, const QString& msg) {
    if (msg == LeavePageQuestion())
        return true;
    return ShowsDialog() && QWebEnginePage::javaScriptConfirm(securityOrigin, msg);
}

bool ControlPage::javaScriptPrompt(const QUrl& securityOrigin, const QString& msg,
                                   const QString& defaultValue, QString* result) {
    return ShowsDialog() &&
           QWebEnginePage::javaScriptPrompt(securityOrigin, msg, defaultValue, result);
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
