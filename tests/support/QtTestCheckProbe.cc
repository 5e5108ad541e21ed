// Must not compile (the QtTestChecksDoNotCompile test builds it): the checks below would pass
// here whatever their outcome.
#include <QTest>

#include <gtest/gtest.h>

TEST(QtTestCheckProbe, FailingWaitWouldPass) {
    int x = 1;
    QTRY_COMPARE_WITH_TIMEOUT(x, 2, 200);
    QVERIFY(x == 2);
}
