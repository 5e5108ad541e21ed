#include "app/CaptureOptions.h"

#include <gtest/gtest.h>

namespace {

QStringList Args(std::initializer_list<const char*> list) {
    QStringList args;
    for (const char* a : list)
        args.append(QString::fromUtf8(a));
    return args;
}

} // namespace

TEST(CaptureOptions, ModesAndOptionsBelongToTheirCapture) {
    CaptureOptions none;
    EXPECT_EQ(none.Parse({}), CaptureOptions::Mode::Window);
    EXPECT_EQ(none.Parse(Args({"-platform", "offscreen"})), CaptureOptions::Mode::Window);
    // Qt's own options are left to Qt, in either mode.
    EXPECT_EQ(none.Parse(Args({"--platform", "xcb", "-reverse", "-style=fusion", "-geometry",
                               "800x600", "--webEngineArgs", "--no-sandbox", "x"})),
              CaptureOptions::Mode::Window);
    EXPECT_EQ(CaptureOptions().Parse(Args({"-h"})), CaptureOptions::Mode::Help);
    EXPECT_EQ(CaptureOptions().Parse(Args({"-platform", "offscreen", "--capture", "a.org", "--out",
                                           "a.png", "-style", "fusion"})),
              CaptureOptions::Mode::Capture);
    EXPECT_EQ(CaptureOptions().Parse(Args({"--capture", "a.org", "--help"})),
              CaptureOptions::Mode::Help);
    EXPECT_EQ(CaptureOptions().Parse(Args({"--version"})), CaptureOptions::Mode::Version);

    CaptureOptions o;
    ASSERT_EQ(o.Parse(Args({"--pages", "--timeout", "2.5", "--capture-timeout=90", "--capture",
                            "a.org", "--out", "a.png", "--rows=10,20", "--capture", "127.0.0.1:8/x",
                            "--out=b.pdf", "--auto-breaks", "--width", "1200"})),
              CaptureOptions::Mode::Capture)
        << o.Error().toStdString();
    ASSERT_EQ(o.Jobs().size(), 2);
    const CaptureJob& a = o.Jobs().at(0);
    const CaptureJob& b = o.Jobs().at(1);
    EXPECT_EQ(a.address, QStringLiteral("a.org"));
    EXPECT_EQ(a.out, QStringLiteral("a.png"));
    EXPECT_TRUE(a.pages && a.hasRows && !a.autoBreaks);
    EXPECT_EQ(a.top, 10);
    EXPECT_EQ(a.bottom, 20);
    EXPECT_TRUE(b.pages && !b.hasRows && b.autoBreaks);
    EXPECT_EQ(b.out, QStringLiteral("b.pdf"));
    EXPECT_EQ(o.ViewSize(), QSize(1200, CaptureOptions::DefaultViewSize().height()));
    EXPECT_EQ(o.TimeoutMs(), 2500);
    EXPECT_EQ(o.CaptureTimeoutMs(), 90000);
}

TEST(CaptureOptions, DefaultsAreTheMainWindowsBrowser) {
    CaptureOptions o;
    ASSERT_EQ(o.Parse(Args({"--capture", "a.org", "--out", "a.bmp"})),
              CaptureOptions::Mode::Capture);
    EXPECT_EQ(o.ViewSize(), QSize(994, 607));
    EXPECT_EQ(o.TimeoutMs(), 30000);
}

class CaptureOptionsBad : public ::testing::TestWithParam<std::vector<const char*>> {};

TEST_P(CaptureOptionsBad, IsAnErrorWithAReason) {
    QStringList args;
    for (const char* a : GetParam())
        args.append(QString::fromUtf8(a));
    CaptureOptions o;
    EXPECT_EQ(o.Parse(args), CaptureOptions::Mode::Error);
    EXPECT_FALSE(o.Error().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CaptureOptionsBad,
    ::testing::Values(
        std::vector<const char*>{"--capture", "a.org"}, std::vector<const char*>{"--out", "a.png"},
        std::vector<const char*>{"--capture", "a.org", "--capture", "b.org", "--out", "b.png"},
        std::vector<const char*>{"--capture", "a.org", "--out", "a.gif"},
        std::vector<const char*>{"--capture", "a.org", "--out", ".png"},
        std::vector<const char*>{"--capture", "two words", "--out", "a.png"},
        std::vector<const char*>{"--capture", "a.org", "--out", "a.png", "--rows", "20,10"},
        std::vector<const char*>{"--capture", "a.org", "--out", "a.png", "--rows", "5"},
        std::vector<const char*>{"--capture", "a.org", "--out", "a.png", "--width", "99"},
        std::vector<const char*>{"--capture", "a.org", "--out", "a.png", "--timeout", "0"},
        std::vector<const char*>{"--capture", "a.org", "--out", "a.png", "--capture-timeout", "x"},
        std::vector<const char*>{"--capture", "a.org", "--out", "a.png", "--pages=1"},
        std::vector<const char*>{"--capture", "a.org", "--out", "a.png", "extra"},
        std::vector<const char*>{"--capture", "a.org", "--out"},
        std::vector<const char*>{"--pages"}, std::vector<const char*>{"foo"},
        std::vector<const char*>{"--bogus"}, std::vector<const char*>{"-platform"},
        std::vector<const char*>{"-platform", "offscreen", "a.org"}));

TEST(CaptureOptions, PageFilesAndFormats) {
    EXPECT_EQ(CaptureOptions::PageFile(QStringLiteral("out/shot.v2.PNG"), 7),
              QStringLiteral("out/shot.v2007.PNG"));
    EXPECT_EQ(CaptureOptions::FormatOf(QStringLiteral("x.JPEG")), CaptureOptions::Format::Jpeg);
    EXPECT_EQ(CaptureOptions::FormatOf(QStringLiteral("x.jpg")), CaptureOptions::Format::Jpeg);
    EXPECT_EQ(CaptureOptions::FormatOf(QStringLiteral("dir.png/x")), CaptureOptions::Format::None);
    EXPECT_TRUE(CaptureOptions::Usage(QStringLiteral("tarnel")).contains(QLatin1String("--rows")));
}
