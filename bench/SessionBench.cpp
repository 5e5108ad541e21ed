// The Chromium session reader on crafted files of many navigations and many prunes, the kind
// that once made F8 freeze the window: each figure is one whole read on one thread (goal: under
// a second for the largest file the reader takes).
#include "browsers/ChromiumSession.h"
#include "tests/support/SessionFileWriter.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kRounds = 3;

// n entries of one tab, then n prunes at its front that each move all of them down by one.
SessionFileWriter MovedOnEveryPrune(int n, int urlBytes, int prunePadding) {
    SessionFileWriter file;
    file.SetTabWindow(1, 1);
    for (int i = 0; i < n; ++i)
        file.Navigation(1, n + i,
                        "http://127.0.0.1/" + QByteArray::number(i).leftJustified(urlBytes, 'x'));
    for (int i = 0; i < n; ++i)
        file.PruneFromFront(1, 1, prunePadding);
    return file;
}

// As many tabs as fit, each showing an address as long as a record holds: all of it is text to
// convert for the list.
SessionFileWriter LongAddresses() {
    SessionFileWriter file;
    const QByteArray url = "http://127.0.0.1/" + QByteArray(65400, 'x');
    for (int tab = 1; file.Bytes().size() + 2 * url.size() < ChromiumSession::kMaxFileBytes;
         ++tab) {
        file.SetTabWindow(1, tab);
        file.Navigation(tab, 0, url);
    }
    return file;
}

void Measure(const char* name, const SessionFileWriter& file, qsizetype expectPages) {
    double best = 1e30;
    bool read = false;
    BrowserPageList pages;
    for (int round = 0; round < kRounds; ++round) {
        pages.clear();
        QElapsedTimer timer;
        timer.start();
        read = ChromiumSession::Parse(file.Bytes(), &pages);
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    const bool right = expectPages < 0 ? !read : read && pages.size() == expectPages;
    std::printf("%-56s %6.1f MiB %7d records %9.1f ms (goal < 1000)%s\n", name,
                file.Bytes().size() / 1048576.0, file.Records(), best,
                right ? (read ? "" : "  refused") : "  WRONG RESULT");
}

} // namespace

int main() {
    Measure("4,000 entries, 4,000 prunes moving them all", MovedOnEveryPrune(4000, 16, 0), 1);
    Measure("8,000 entries, 8,000 prunes moving them all", MovedOnEveryPrune(8000, 16, 0), 1);
    // The most records the reader takes, their addresses and prunes long enough for 64 MiB.
    const int half = (ChromiumSession::kMaxRecords - 1) / 2;
    Measure("64 MiB: 49,999 entries, 49,999 prunes (largest read)",
            MovedOnEveryPrune(half, 1280, 8), 1);
    // 64 MiB of the shortest such records: refused at the cap, after its first records.
    Measure("64 MiB: 1.1 M short entries, as many prunes (refused)",
            MovedOnEveryPrune(1100000, 1, 0), -1);
    const SessionFileWriter tabs = LongAddresses();
    Measure("64 MiB: 1,024 tabs of 64 KiB addresses (largest list)", tabs, tabs.Records() / 2);
    return 0;
}
