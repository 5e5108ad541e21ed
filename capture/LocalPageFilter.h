#pragma once

#include <QWebEngineUrlRequestInterceptor>

// Keeps a local page (a file: document) to showing itself: its own images, style sheets, fonts,
// scripts and media load; reading other files (fetch, XMLHttpRequest, frames, objects, workers)
// and every request that would leave the disk (web addresses, web sockets) are blocked. The
// engine's own switch for local reads cannot do this: switched off, it keeps a local page's own
// images and style sheets from loading too.
class LocalPageFilter final : public QWebEngineUrlRequestInterceptor {
  public:
    explicit LocalPageFilter(QObject* parent = nullptr);

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
};
