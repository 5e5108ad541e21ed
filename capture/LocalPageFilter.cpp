#include "capture/LocalPageFilter.h"

#include <QUrl>

namespace {

using Info = QWebEngineUrlRequestInfo;

bool IsFile(const QUrl& url) {
    return url.scheme() == QLatin1String("file");
}

// Asked for by a local document: the engine names its origin (file:///) as the initiator; a
// subresource also has the local document as its first party.
bool FromLocalPage(const Info& info) {
    return IsFile(info.initiator()) ||
           (info.resourceType() != Info::ResourceTypeMainFrame && IsFile(info.firstPartyUrl()));
}

// What a local page may load from the disk: what it shows of itself, never what it could read.
bool ShowsItself(Info::ResourceType type) {
    switch (type) {
    case Info::ResourceTypeMainFrame: // opening another local page in its place
    case Info::ResourceTypeStylesheet:
    case Info::ResourceTypeScript:
    case Info::ResourceTypeImage:
    case Info::ResourceTypeFontResource:
    case Info::ResourceTypeMedia:
    case Info::ResourceTypeFavicon:
        return true;
    default:
        return false;
    }
}

} // namespace

LocalPageFilter::LocalPageFilter(QObject* parent) : QWebEngineUrlRequestInterceptor(parent) {}

void LocalPageFilter::interceptRequest(QWebEngineUrlRequestInfo& info) {
    if (!FromLocalPage(info))
        return;
    const QUrl& target = info.requestUrl();
    if (IsFile(target)) {
        info.block(!ShowsItself(info.resourceType()));
        return;
    }
    // What the page holds in memory stays there; everything else would leave the machine.
    const QString scheme = target.scheme();
    info.block(scheme != QLatin1String("data") && scheme != QLatin1String("blob") &&
               scheme != QLatin1String("about"));
}
