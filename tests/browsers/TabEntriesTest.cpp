#include "browsers/TabEntries.h"

#include <QByteArray>
#include <QMap>

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <vector>

namespace {

// The entries the plain way, the whole map rebuilt on each prune: what TabEntries has to match.
void ReferencePrune(QMap<qint32, QByteArrayView>* entries, qint32 from, qint32 count) {
    if (from < 0 || count <= 0)
        return;
    QMap<qint32, QByteArrayView> kept;
    for (auto it = entries->cbegin(); it != entries->cend(); ++it) {
        const qint64 i = it.key();
        if (i < from)
            kept.insert(it.key(), it.value());
        else if (i - from >= count)
            kept.insert(qint32(i - count), it.value());
    }
    *entries = std::move(kept);
}

} // namespace

// Random sets and prunes over a few indexes (and the largest, where a prune from the back
// keeps it), each followed by a look at every index in play.
TEST(TabEntries, MatchTheMapRebuiltOnEveryPrune) {
    std::mt19937 random(20240611);
    const std::vector<qint32> edges = {INT_MAX, INT_MAX - 1};
    std::vector<QByteArray> records(64);
    for (size_t i = 0; i < records.size(); ++i)
        records[i] = QByteArray::number(qulonglong(i));
    for (int run = 0; run < 1500; ++run) {
        TabEntries entries;
        QMap<qint32, QByteArrayView> expected;
        for (int step = 0; step < 40; ++step) {
            const int what = int(random() % 10);
            const auto index = [&] {
                return random() % 12 == 0 ? edges[random() % edges.size()]
                                          : qint32(random() % 19) - 3;
            };
            if (what < 5) {
                const qint32 at = index();
                const QByteArrayView record = records[random() % records.size()];
                entries.Set(at, record);
                expected.insert(at, record);
            } else {
                const qint32 from = index();
                const qint32 count = random() % 8 == 0 ? INT_MAX : qint32(random() % 7);
                entries.Prune(from, count);
                ReferencePrune(&expected, from, count);
            }
            std::vector<qint32> probes = edges;
            for (qint32 i = -3; i < 16; ++i)
                probes.push_back(i);
            for (auto it = expected.cbegin(); it != expected.cend(); ++it)
                probes.push_back(it.key());
            for (const qint32 i : probes) {
                const QByteArrayView* found = entries.Find(i);
                ASSERT_EQ(found != nullptr, expected.contains(i))
                    << "run " << run << " index " << i;
                if (found) {
                    ASSERT_EQ(found->data(), expected.value(i).data()) << "run " << run;
                }
            }
            ASSERT_EQ(entries.IsEmpty(), expected.isEmpty());
            if (!expected.isEmpty()) {
                ASSERT_EQ(entries.Last()->data(), expected.last().data()) << "run " << run;
            }
        }
    }
}
