#include "tests/support/WaitUntil.h"

::testing::AssertionResult WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    if (QTest::qWaitFor(done, timeoutMs))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "still false after " << timeoutMs << " ms";
}
