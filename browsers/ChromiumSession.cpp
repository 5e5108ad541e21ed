#include "browsers/ChromiumSession.h"

#include "browsers/BrowserFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMap>

#include <algorithm>
#include <climits>
#include <cstring>

namespace {
// Command bytes of the records this reader needs; every other record is skipped.
enum Command : quint8 {
    kSetTabWindow = 0,
    kSetTabIndexInWindow = 2,
    kPrunedFromBack = 5,
    kUpdateTabNavigation = 6,
    kSetSelectedNavigationIndex = 7,
    kPrunedFromFront = 11,
    kTabClosed = 16,
    kWindowClosed = 17,
    kNavigationPathPruned = 24,
};
// Plain files; the encrypted versions (2 and 4) cannot be read.
constexpr qint32 kVersionPlain = 1;
constexpr qint32 kVersionWithMarker = 3;

// Little-endian fields of a payload, each read only when it lies inside the payload.
class PayloadReader {
  public:
    PayloadReader(const char* data, int size) : m_data(data), m_size(size) {}
    bool Int(qint32* value) {
        if (m_size - m_pos < 4)
            return false;
        quint32 v = 0;
        for (int k = 3; k >= 0; --k)
            v = (v << 8) | quint8(m_data[m_pos + k]);
        *value = qint32(v);
        m_pos += 4;
        return true;
    }
    // A pickled string: its length, its bytes (or 16-bit units), padded to 4 bytes.
    bool String(int unitSize, QByteArray* bytes) {
        qint32 length = 0;
        if (!Int(&length) || length < 0 || length > (m_size - m_pos) / unitSize)
            return false;
        const int n = length * unitSize;
        *bytes = QByteArray(m_data + m_pos, n);
        m_pos += std::min(m_size - m_pos, (n + 3) & ~3);
        return true;
    }

  private:
    const char* m_data;
    int m_size;
    int m_pos = 0;
};

struct Tab {
    qint32 window = 0;
    qint32 indexInWindow = 0;
    qint32 selected = -1;
    int order = 0; // first appearance, for tabs of equal index
    QMap<qint32, BrowserPage> entries;
};

class SessionState {
  public:
    void Apply(quint8 command, const char* data, int size);
    BrowserPageList OpenPages() const;

  private:
    Tab& TabOf(qint32 id) {
        auto it = m_tabs.find(id);
        if (it == m_tabs.end())
            it = m_tabs.insert(id, Tab{0, 0, -1, m_nNextOrder++, {}});
        return *it;
    }
    void UpdateNavigation(const char* data, int size);
    void Prune(qint32 tab, qint32 from, qint32 count);

    QHash<qint32, Tab> m_tabs;
    QHash<qint32, int> m_windowOrder;
    int m_nNextOrder = 0;
};

void SessionState::Apply(quint8 command, const char* data, int size) {
    PayloadReader in(data, size);
    qint32 a = 0, b = 0, c = 0;
    switch (command) {
    case kSetTabWindow: // window, tab
        if (in.Int(&a) && in.Int(&b)) {
            TabOf(b).window = a;
            if (!m_windowOrder.contains(a))
                m_windowOrder.insert(a, int(m_windowOrder.size()));
        }
        break;
    case kSetTabIndexInWindow:
        if (in.Int(&a) && in.Int(&b))
            TabOf(a).indexInWindow = b;
        break;
    case kSetSelectedNavigationIndex:
        if (in.Int(&a) && in.Int(&b))
            TabOf(a).selected = b;
        break;
    case kUpdateTabNavigation:
        UpdateNavigation(data, size);
        break;
    case kTabClosed:
        if (in.Int(&a))
            m_tabs.remove(a);
        break;
    case kWindowClosed:
        if (in.Int(&a))
            m_windowOrder.remove(a);
        break;
    case kPrunedFromBack: // tab, first index removed: everything from there on goes
        if (in.Int(&a) && in.Int(&b) && m_tabs.contains(a))
            Prune(a, b, INT_MAX);
        break;
    case kPrunedFromFront: // tab, count removed at the front
        if (in.Int(&a) && in.Int(&b) && m_tabs.contains(a))
            Prune(a, 0, b);
        break;
    case kNavigationPathPruned: // tab, index, count
        if (in.Int(&a) && in.Int(&b) && in.Int(&c) && m_tabs.contains(a))
            Prune(a, b, c);
        break;
    default:
        break;
    }
}

void SessionState::UpdateNavigation(const char* data, int size) {
    // A pickle: its payload size, then tab id, entry index, address, title, and more we skip.
    PayloadReader header(data, size);
    qint32 payload = 0;
    if (!header.Int(&payload) || payload < 0 || payload > size - 4)
        return;
    PayloadReader in(data + 4, payload);
    qint32 tab = 0, index = 0;
    QByteArray url, title;
    if (!in.Int(&tab) || !in.Int(&index) || !in.String(1, &url) || !in.String(2, &title))
        return;
    QString text(title.size() / 2, Qt::Uninitialized);
    for (int i = 0; i < text.size(); ++i)
        text[i] = QChar(char16_t(quint8(title[2 * i]) | (quint8(title[2 * i + 1]) << 8)));
    TabOf(tab).entries.insert(index, BrowserPage{text, QString::fromUtf8(url)});
}

void SessionState::Prune(qint32 tab, qint32 from, qint32 count) {
    if (from < 0 || count <= 0)
        return;
    Tab& t = m_tabs[tab];
    QMap<qint32, BrowserPage> kept;
    for (auto it = t.entries.cbegin(); it != t.entries.cend(); ++it) {
        const qint64 i = it.key();
        if (i < from)
            kept.insert(it.key(), it.value());
        else if (i - from >= count)
            kept.insert(qint32(i - count), it.value());
    }
    t.entries = std::move(kept);
}

BrowserPageList SessionState::OpenPages() const {
    QList<const Tab*> open;
    for (const Tab& t : m_tabs)
        if (m_windowOrder.contains(t.window) && !t.entries.isEmpty())
            open << &t;
    std::sort(open.begin(), open.end(), [this](const Tab* x, const Tab* y) {
        const int wx = m_windowOrder.value(x->window), wy = m_windowOrder.value(y->window);
        if (wx != wy)
            return wx < wy;
        if (x->indexInWindow != y->indexInWindow)
            return x->indexInWindow < y->indexInWindow;
        return x->order < y->order;
    });
    BrowserPageList pages;
    for (const Tab* t : open) {
        // Without a selection the newest entry is the one shown.
        const auto it =
            t->selected >= 0 ? t->entries.constFind(t->selected) : std::prev(t->entries.cend());
        if (it != t->entries.cend() && !it->url.isEmpty())
            pages << *it;
    }
    return pages;
}

qint32 ReadInt(const char* p) {
    quint32 v = 0;
    for (int k = 3; k >= 0; --k)
        v = (v << 8) | quint8(p[k]);
    return qint32(v);
}
} // namespace

bool ChromiumSession::Parse(const QByteArray& bytes, BrowserPageList* pages) {
    if (bytes.size() < 8 || std::memcmp(bytes.constData(), "SNSS", 4) != 0)
        return false;
    const qint32 version = ReadInt(bytes.constData() + 4);
    if (version != kVersionPlain && version != kVersionWithMarker)
        return false;
    SessionState state;
    const char* p = bytes.constData();
    qsizetype pos = 8;
    while (pos < bytes.size()) {
        if (bytes.size() - pos < 2)
            return false;
        const int size = quint8(p[pos]) | (quint8(p[pos + 1]) << 8);
        pos += 2;
        // A record holds at least its command byte; one cut short means the file is not whole.
        if (size < 1 || bytes.size() - pos < size)
            return false;
        state.Apply(quint8(p[pos]), p + pos + 1, size - 1);
        pos += size;
    }
    *pages << state.OpenPages();
    return true;
}

bool ChromiumSession::ReadFile(const QString& path, BrowserPageList* pages) {
    QByteArray bytes;
    return BrowserFiles::ReadBounded(path, kMaxFileBytes, &bytes) && Parse(bytes, pages);
}

QString ChromiumSession::NewestSessionFile(const QString& profileDir) {
    const QDir dir(QDir(profileDir).filePath(QStringLiteral("Sessions")));
    const QFileInfoList files =
        dir.entryInfoList({QStringLiteral("Session_*")}, QDir::Files, QDir::Time);
    return files.isEmpty() ? QString() : files.first().filePath();
}
