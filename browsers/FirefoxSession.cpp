#include "browsers/FirefoxSession.h"

#include "imaging/BoundedFile.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <lz4.h>

#include <climits>
#include <cstring>

namespace {
constexpr char kMagic[8] = {'m', 'o', 'z', 'L', 'z', '4', '0', '\0'};
constexpr int kHeaderBytes = 12;

// The tab's current entry: "index" counts from 1; a missing or stray index means the last.
bool CurrentEntry(const QJsonObject& tab, BrowserPage* page) {
    const QJsonArray entries = tab.value(QLatin1String("entries")).toArray();
    if (entries.isEmpty())
        return false;
    qint64 index = tab.value(QLatin1String("index")).toInteger(entries.size());
    if (index < 1 || index > entries.size())
        index = entries.size();
    const QJsonObject entry = entries.at(index - 1).toObject();
    page->url = entry.value(QLatin1String("url")).toString();
    page->title = entry.value(QLatin1String("title")).toString();
    return !page->url.isEmpty();
}
} // namespace

bool FirefoxSession::Decompress(const QByteArray& bytes, QByteArray* json) {
    if (bytes.size() < kHeaderBytes || std::memcmp(bytes.constData(), kMagic, 8) != 0 ||
        bytes.size() - kHeaderBytes > LZ4_MAX_INPUT_SIZE)
        return false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const quint32 size =
        quint32(p[8]) | quint32(p[9]) << 8 | quint32(p[10]) << 16 | quint32(p[11]) << 24;
    if (size > kMaxJsonBytes || size > quint32(INT_MAX))
        return false;
    QByteArray text(qsizetype(size), Qt::Uninitialized);
    // The safe decoder never writes past the size the header promises, nor reads past the
    // block; the block must fill exactly that size.
    const int n = LZ4_decompress_safe(bytes.constData() + kHeaderBytes, text.data(),
                                      int(bytes.size() - kHeaderBytes), int(size));
    if (n < 0 || quint32(n) != size)
        return false;
    *json = std::move(text);
    return true;
}

bool FirefoxSession::ParseJson(const QByteArray& json, BrowserPageList* pages) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return false;
    const QJsonValue windows = doc.object().value(QLatin1String("windows"));
    if (!windows.isArray())
        return false;
    // Closed windows and closed tabs are kept elsewhere in the store ("_closedWindows",
    // "_closedTabs"); only the open ones are listed.
    for (const QJsonValue& window : windows.toArray()) {
        for (const QJsonValue& tab : window.toObject().value(QLatin1String("tabs")).toArray()) {
            BrowserPage page;
            if (CurrentEntry(tab.toObject(), &page))
                pages->append(page);
        }
    }
    return true;
}

bool FirefoxSession::Parse(const QByteArray& bytes, BrowserPageList* pages) {
    QByteArray json;
    return Decompress(bytes, &json) && ParseJson(json, pages);
}

bool FirefoxSession::ReadProfile(const QString& profileDir, BrowserPageList* pages) {
    const QDir dir(QDir(profileDir).filePath(QStringLiteral("sessionstore-backups")));
    for (const char* name : {"recovery.jsonlz4", "recovery.baklz4"}) {
        QByteArray bytes;
        if (BoundedFile::Read(dir.filePath(QLatin1String(name)), kMaxFileBytes, &bytes) &&
            Parse(bytes, pages))
            return true;
    }
    return false;
}
