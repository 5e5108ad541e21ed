#pragma once

#include "browsers/BrowserPage.h"

#include <QByteArray>
#include <QString>

// The pages a Chromium-family browser started with a remote debugging port serves on
// 127.0.0.1 (/json/list): the live titles and addresses of its tabs.
class DevToolsList final {
  public:
    // The longest the list of one browser may take, connection included.
    static constexpr int kTimeoutMs = 1000;
    static constexpr qint64 kMaxBytes = 8 * 1024 * 1024;

    // The port in a user-data folder's DevToolsActivePort file (first line); 0 when none.
    static quint16 ActivePort(const QString& userDataDir);
    // The same from the file's text.
    static quint16 PortFromText(const QByteArray& text);
    // Fetches the list from 127.0.0.1:port within timeoutMs; false when nothing usable came.
    static bool Fetch(quint16 port, BrowserPageList* pages, int timeoutMs = kTimeoutMs);
    // The body of a whole HTTP response with status 200; false otherwise.
    static bool ResponseBody(const QByteArray& response, QByteArray* body);
    // The entries of type "page" (the browser's own interface pages and workers have other
    // types), in the list's order. false (nothing added) when the text is not such a list.
    static bool ParseList(const QByteArray& json, BrowserPageList* pages);
};
