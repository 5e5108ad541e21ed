#include "browsers/ChromiumHistory.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QUrl>

#include <algorithm>

#include <sqlite3.h>

namespace {
// A title the browser saved for this address; empty when it has none.
QString TitleOf(sqlite3_stmt* query, const QString& url) {
    const QByteArray key = url.toUtf8();
    QString title;
    if (sqlite3_bind_text(query, 1, key.constData(), int(key.size()), SQLITE_STATIC) == SQLITE_OK &&
        sqlite3_step(query) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(query, 0));
        title = QString::fromUtf8(text, sqlite3_column_bytes(query, 0));
    }
    sqlite3_reset(query);
    sqlite3_clear_bindings(query);
    return title;
}
} // namespace

void ChromiumHistory::FillTitles(const QString& profileDir, BrowserPageList* pages) {
    const bool untitled = std::any_of(pages->cbegin(), pages->cend(), [](const BrowserPage& p) {
        return p.title.trimmed().isEmpty();
    });
    const QString path = QDir(profileDir).filePath(QStringLiteral("History"));
    // Only a regular file: a pipe named like the database must not block the reader.
    if (!untitled || !QFileInfo(path).isFile())
        return;
    // "immutable" reads the file without any lock and never creates a journal beside it, so
    // the running browser is neither held up nor disturbed. A page it rewrites meanwhile can
    // make a read fail; that page's title then stays unknown.
    QUrl uri = QUrl::fromLocalFile(path);
    uri.setQuery(QStringLiteral("mode=ro&immutable=1"));
    sqlite3* db = nullptr;
    const auto close = qScopeGuard([&] { sqlite3_close(db); });
    if (sqlite3_open_v2(uri.toEncoded().constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI,
                        nullptr) != SQLITE_OK)
        return;
    sqlite3_stmt* query = nullptr;
    const auto finish = qScopeGuard([&] { sqlite3_finalize(query); });
    if (sqlite3_prepare_v2(db, "SELECT title FROM urls WHERE url = ?1 AND title <> '' LIMIT 1", -1,
                           &query, nullptr) != SQLITE_OK)
        return;
    for (BrowserPage& page : *pages)
        if (page.title.trimmed().isEmpty())
            if (const QString title = TitleOf(query, page.url); !title.isEmpty())
                page.title = title;
}
