#pragma once

#include <QString>
#include <QStringList>
#include <QtCore/qtestsupport_core.h>

#include <functional>
#include <string>
#include <type_traits>

#include <gtest/gtest.h>

// Long enough for the web engine under the sanitizers; only a wait that fails lasts it.
inline constexpr int kWaitMs = 30000;

// Runs the event loop until done() holds. For ASSERT_TRUE/EXPECT_TRUE, whose message names the
// condition; the failure adds how long it was waited for.
::testing::AssertionResult WaitUntil(const std::function<bool()>& done, int timeoutMs = kWaitMs);

namespace wait_detail {
template <typename T> std::string Shown(const T& value) {
    if constexpr (std::is_same_v<T, QString>)
        return '"' + value.toStdString() + '"';
    else if constexpr (std::is_same_v<T, QStringList>)
        return "{\"" + value.join(QStringLiteral("\", \"")).toStdString() + "\"}";
    else
        return ::testing::PrintToString(value);
}
} // namespace wait_detail

// Runs the event loop until value() == expected; the failure shows the last value seen.
template <typename Value, typename Expected>
::testing::AssertionResult WaitUntilEqual(const Value& value, const Expected& expected,
                                          int timeoutMs = kWaitMs) {
    auto last = value();
    if (QTest::qWaitFor(
            [&] {
                last = value();
                return last == expected;
            },
            timeoutMs))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "after " << timeoutMs << " ms the value is " << wait_detail::Shown(last) << ", not "
           << wait_detail::Shown(decltype(last)(expected));
}
