#include "capture/ControlPage.h"

#include <QRandomGenerator>

ControlPage::ControlPage(QWebEngineProfile* profile, QObject* parent)
    : QWebEnginePage(profile, parent),
      m_strTag(QStringLiteral("zelvane-reply-%1:")
                   .arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'))) {}

void ControlPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level,
                                           const QString& message, int lineNumber,
                                           const QString& sourceID) {
    const QString& tag = m_strTag;
    if (!message.startsWith(tag)) {
        QWebEnginePage::javaScriptConsoleMessage(level, message, lineNumber, sourceID);
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
