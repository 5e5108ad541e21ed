#include "browsers/ChromiumSession.h"

#include "browsers/TabEntries.h"
#include "imaging/BoundedFile.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

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
    bool String(int unitSize, QByteArrayView* bytes) {
        qint32 length = 0;
        if (!Int(&length) || length < 0 || length > (m_size - m_pos) / unitSize)
            return false;
        const int n = length * unitSize;
        *bytes = QByteArrayView(m_data + m_pos, n);
        m_pos += std::min(m_size - m_pos, (n + 3) & ~3);
        return true;
    }

  private:
    const char* m_data;
    int m_size;
    int m_pos = 0;
};

// A navigation record's payload: a pickle of its size, then tab id, entry index, address,
// title, and more this reader skips.
struct Navigation {
    qint32 tab = 0;
    qint32 index = 0;
    QByteArrayView url;
    QByteArrayView title; // UTF-16, little-endian
};

bool ReadNavigation(QByteArrayView payload, Navigation* navigation) {
    PayloadReader header(payload.data(), int(payload.size()));
    qint32 size = 0;
    if (!header.Int(&size) || size < 0 || size > payload.size() - 4)
        return false;
    PayloadReader in(payload.data() + 4, size);
    return in.Int(&navigation->tab) && in.Int(&navigation->index) &&
           in.String(1, &navigation->url) && in.String(2, &navigation->title);
}

BrowserPage PageOf(const Navigation& navigation) {
    const QByteArrayView title = navigation.title;
    QString text(title.size() / 2, Qt::Uninitialized);
    for (int i = 0; i < text.size(); ++i)
        text[i] = QChar(char16_t(quint8(title[2 * i]) | (quint8(title[2 * i + 1]) << 8)));
    return BrowserPage{text, QString::fromUtf8(navigation.url)};
}

struct Tab {
    qint32 window = 0;
    qint32 indexInWindow = 0;
    qint32 selected = -1;
    int order = 0; // first appearance, for tabs of equal index
    TabEntries entries;
};

class SessionState {
  public:
    void Apply(quint8 command, const char* data, int size);
    BrowserPageList OpenPages() const;

  private:
    Tab& TabOf(qint32 id) {
        auto it = m_tabs.find(id);
        if (it == m_tabs.end())
            it = m_tabs.insert(id, Tab{0, 0, -1, m_nNextOrder++, TabEntries()});
        return *it;
    }
    void UpdateNavigation(const char* data, int size);

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
            m_tabs[a].entries.Prune(b, INT_MAX);
        break;
    case kPrunedFromFront: // tab, count removed at the front
        if (in.Int(&a) && in.Int(&b) && m_tabs.contains(a))
            m_tabs[a].entries.Prune(0, b);
        break;
    case kNavigationPathPruned: // tab, index, count
        if (in.Int(&a) && in.Int(&b) && in.Int(&c) && m_tabs.contains(a))
            m_tabs[a].entries.Prune(b, c);
        break;
    default:
        break;
    }
}

void SessionState::UpdateNavigation(const char* data, int size) {
    // Only where the record lies is kept: the text of the few entries shown is read at the end.
    const QByteArrayView payload(data, size);
    Navigation navigation;
    if (ReadNavigation(payload, &navigation))
        TabOf(navigation.tab).entries.Set(navigation.index, payload);
}

BrowserPageList SessionState::OpenPages() const {
    QList<const Tab*> open;
    for (const Tab& t : m_tabs)
        if (m_windowOrder.contains(t.window) && !t.entries.IsEmpty())
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
        const QByteArrayView* payload =
            t->selected >= 0 ? t->entries.Find(t->selected) : t->entries.Last();
        Navigation navigation;
        if (payload && ReadNavigation(*payload, &navigation) && !navigation.url.isEmpty())
            pages << PageOf(navigation);
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
    for (int records = 0; pos < bytes.size(); ++records) {
        if (records == kMaxRecords || bytes.size() - pos < 2)
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
    return BoundedFile::Read(path, kMaxFileBytes, &bytes) && Parse(bytes, pages);
}

QString ChromiumSession::NewestSessionFile(const QString& profileDir) {
    const QDir dir(QDir(profileDir).filePath(QStringLiteral("Sessions")));
    const QFileInfoList files =
        dir.entryInfoList({QStringLiteral("Session_*")}, QDir::Files, QDir::Time);
    return files.isEmpty() ? QString() : files.first().filePath();
}
