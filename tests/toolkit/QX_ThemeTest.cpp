#include "tests/support/FinishesWithin.h"
#include "toolkit/QX_Skin.h"

#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include <sys/stat.h>

namespace {

// Every case reads into a skin of its own, which starts with an untouched table.
class ThemeColorFile : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    bool Load(const QByteArray& bytes) {
        const QString path = m_dir.filePath(QStringLiteral("user_color.txt"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(bytes) != bytes.size())
            return false;
        file.close();
        return m_skin.LoadUserColor(path);
    }

    QTemporaryDir m_dir;
    QX_Skin m_skin;
};

struct LineCase {
    const char* name;
    QByteArray file;
    QX_ColorSlot slot;
    COLORREF expected;
};

class ThemeColorLine : public ThemeColorFile, public ::testing::WithParamInterface<LineCase> {};

TEST_P(ThemeColorLine, SetsTheSlotToTheParsedColour) {
    const LineCase& c = GetParam();
    ASSERT_TRUE(Load(c.file));
    EXPECT_EQ(m_skin.UserColor(c.slot), c.expected)
        << std::hex << "got 0x" << m_skin.UserColor(c.slot) << " want 0x" << c.expected;
}

const QByteArray kLongRun(60, '9');
// 4091 bytes of comment lines: a line after them crosses the reader's 4096-byte chunks.
const QByteArray kNearChunkEnd =
    QByteArray(126, '#').append('\n').repeated(32) + QByteArray(26, '#') + "\n";

INSTANTIATE_TEST_SUITE_P(
    Lines, ThemeColorLine,
    ::testing::Values(
        LineCase{"WellFormed", "button[border]=120;140;200;\n", QX_BUTTON_BORDER,
                 QX_RGB(120, 140, 200)},
        LineCase{"LastFieldNeedsSeparator", "static[fore]=10,20,30\n", QX_STATIC_FORE,
                 QX_RGB(10, 20, 0)},
        LineCase{"FourthFieldOverwritesRed", "static[fore]=10;20;30;40;\n", QX_STATIC_FORE,
                 QX_RGB(40, 20, 30)},
        LineCase{"LowEightBits", "static[fore]=300,-1,0,\n", QX_STATIC_FORE, QX_RGB(44, 255, 0)},
        LineCase{"NoEqualsIsBlack", "static[fore] 1,2,3,\n", QX_STATIC_FORE, QX_RGB(0, 0, 0)},
        LineCase{"AtoiSemantics", "window[body_pen]= +7,\t-3x,abc;12abc,\n", QX_WINDOW_BODY_PEN,
                 QX_RGB(12, 253, 0)},
        LineCase{"EmptyFieldsAreZero", "dialog[body_brush]=,,;\n", QX_DIALOG_BODY_BRUSH,
                 QX_RGB(0, 0, 0)},
        LineCase{"KeyAnywhereInLine", "# my colours: button[fore] = 1, 2, 3,", QX_BUTTON_FORE,
                 QX_RGB(1, 2, 3)},
        LineCase{"TableOrderDecides", "button[fore] static[fill]=5,6,7,\n", QX_STATIC_FILL,
                 QX_RGB(5, 6, 7)},
        LineCase{"CrLfLines", "static[fore]=1,2,3,\r\nstatic[fill]=4,5,6,\r\n", QX_STATIC_FILL,
                 QX_RGB(4, 5, 6)},
        LineCase{"LoneCrEndsValue", "static[fore]=1,2,\r3,\n", QX_STATIC_FORE, QX_RGB(1, 2, 0)},
        LineCase{"LaterLineWins", "static[fore]=1,1,1,\nstatic[fore]=2,2,2,\n", QX_STATIC_FORE,
                 QX_RGB(2, 2, 2)},
        // A run longer than 31 characters keeps only its first 31: 'a's parse as 0, the rest
        // of the run (the 5) is dropped, and the following fields are read normally.
        LineCase{"OverlongRunKeepsFirst31", "static[fore]=" + QByteArray(80, 'a') + "5,6,7,\n",
                 QX_STATIC_FORE, QX_RGB(0, 6, 7)},
        // 31 nines are 10^31 - 1, whose low byte is 255 (10^8 is a multiple of 256).
        LineCase{"OverlongDigitsKeepLowByte", "static[fore]=" + kLongRun + ",20,30,\n",
                 QX_STATIC_FORE, QX_RGB(255, 20, 30)},
        LineCase{"OverlongTrailHarmless", "static[fore]=1,2,3," + QByteArray(90, 'z') + "\n",
                 QX_STATIC_FORE, QX_RGB(1, 2, 3)},
        // A line is read in pieces of 127 characters: the second piece is a line of its own.
        LineCase{"SecondPieceOfLongLine", QByteArray(127, '#') + "button[fore]=5,6,7,\n",
                 QX_BUTTON_FORE, QX_RGB(5, 6, 7)},
        LineCase{"KeySplitAcrossPieces", QByteArray(120, '#') + "static[fore]=1,2,3,\n",
                 QX_STATIC_FORE, QX_COLOR_UNSET},
        LineCase{"ValueSplitAcrossPieces", QByteArray(110, '#') + "static[fore]=1,2,3,4,5,\n",
                 QX_STATIC_FORE, QX_RGB(1, 2, 0)},
        LineCase{"LineAcrossReadChunks", kNearChunkEnd + "static[fore]=9,8,7,\r\n", QX_STATIC_FORE,
                 QX_RGB(9, 8, 7)}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

TEST_F(ThemeColorFile, MissingFileKeepsTheTable) {
    m_skin.SetUserColor(QX_BUTTON_FILL, QX_RGB(1, 2, 3));
    EXPECT_FALSE(m_skin.LoadUserColor(m_dir.filePath(QStringLiteral("absent.txt"))));
    EXPECT_FALSE(m_skin.LoadUserColor(QString()));
    EXPECT_EQ(m_skin.UserColor(QX_BUTTON_FILL), QX_RGB(1, 2, 3));
    EXPECT_EQ(m_skin.UserColor(QX_STATIC_FORE), QX_COLOR_UNSET);
}

// A pipe would block the open and a link to a device feed the reader for ever: neither is read,
// as if absent (a hang fails the case rather than the run). Nor is a file past the cap.
TEST_F(ThemeColorFile, OnlyARegularFileUpToTheCapIsRead) {
    const QString pipe = m_dir.filePath(QStringLiteral("pipe.txt"));
    const QString zero = m_dir.filePath(QStringLiteral("zero.txt"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
    const auto skin = std::make_shared<QX_Skin>();
    const auto loaded = std::make_shared<int>(0);
    ASSERT_TRUE(FinishesWithin(10000, [=] {
        *loaded += skin->LoadUserColor(pipe);
        *loaded += skin->LoadUserColor(zero);
    }));
    EXPECT_EQ(*loaded, 0);

    const QByteArray line = "static[fore]=1,2,3,\n";
    // Comment lines shorter than a piece of the reader, up to the cap with the colour line.
    const qsizetype room = QX_Skin::kMaxUserColorBytes - line.size();
    const QByteArray padding =
        (QByteArray(99, '#') + '\n').repeated(room / 100) + QByteArray(room % 100 - 1, '#') + '\n';
    ASSERT_TRUE(Load(padding + line));
    EXPECT_EQ(m_skin.UserColor(QX_STATIC_FORE), QX_RGB(1, 2, 3));
    EXPECT_FALSE(Load("static[fill]=4,5,6,\n" + padding + line));
    EXPECT_EQ(m_skin.UserColor(QX_STATIC_FILL), QX_COLOR_UNSET);
}

TEST_F(ThemeColorFile, EmptyFileAndCommentsLeaveSlotsUnset) {
    EXPECT_TRUE(Load(QByteArray()));
    EXPECT_TRUE(Load("# nothing here\n\nunknown[key]=1,2,3,\n\xc7\xd1\xb1\xdb\n"));
    for (int slot = 0; slot < QX_COLOR_SLOTS; ++slot)
        EXPECT_EQ(m_skin.UserColor(QX_ColorSlot(slot)), QX_COLOR_UNSET);
}

TEST_F(ThemeColorFile, UnsetMarkerValueFallsBackToDefault) {
    ASSERT_TRUE(Load("static[fore]=255,2,7,\nstatic[fill]=1,2,3,\n"));
    EXPECT_EQ(m_skin.Color(QX_STATIC_FORE, QX_RGB(0, 0, 128)), QX_RGB(0, 0, 128));
    EXPECT_EQ(m_skin.Color(QX_STATIC_FILL, QX_RGB(202, 218, 238)), QX_RGB(1, 2, 3));
    EXPECT_EQ(m_skin.Color(QX_BUTTON_FORE, QX_RGB(100, 100, 255)), QX_RGB(100, 100, 255));
}

TEST_F(ThemeColorFile, EveryKeyReachesItsOwnSlot) {
    QByteArray file;
    for (int slot = 0; slot < QX_COLOR_SLOTS; ++slot)
        file += QByteArray(QX_UserColorKey[slot]) + "=" + QByteArray::number(slot) + ",0,0,\n";
    ASSERT_TRUE(Load(file));
    for (int slot = 0; slot < QX_COLOR_SLOTS; ++slot)
        EXPECT_EQ(m_skin.UserColor(QX_ColorSlot(slot)), QX_RGB(slot, 0, 0))
            << QX_UserColorKey[slot];
}

TEST_F(ThemeColorFile, BinaryGarbageIsHarmless) {
    QByteArray junk;
    for (int i = 0; i < 5000; ++i)
        junk += char((i * 7919) & 0xFF);
    junk += "\nbutton[fill]=9,8,7,\n";
    EXPECT_TRUE(Load(junk));
    EXPECT_EQ(m_skin.UserColor(QX_BUTTON_FILL), QX_RGB(9, 8, 7));
}

// ---- gradients ----

QImage Filled(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor(1, 2, 3));
    return image;
}

COLORREF At(const QImage& image, int x, int y) {
    return QX_FromQColor(QColor(image.pixel(x, y)));
}

// Each channel of c lies within one step of the exact linear value between a and b.
bool NearLinear(COLORREF c, COLORREF a, COLORREF b, double t) {
    for (int shift = 0; shift <= 16; shift += 8) {
        const double want = ((a >> shift) & 0xFF) * (1 - t) + ((b >> shift) & 0xFF) * t;
        if (std::abs(double((c >> shift) & 0xFF) - want) > 1.0)
            return false;
    }
    return true;
}

constexpr COLORREF kEdge = QX_RGB(202, 100, 0);
constexpr COLORREF kCentre = QX_RGB(0, 255, 250);

class GradientSize : public ::testing::TestWithParam<int> {};

TEST_P(GradientSize, VerticalMirrorsAroundMid) {
    const int h = GetParam();
    QImage image = Filled(9, h + 6);
    QPainter p(&image);
    QX_GradientFillV(&p, 2, 3, 7, 3 + h, kEdge, kCentre);
    p.end();
    const int mid = 3 + h / 2;
    EXPECT_EQ(At(image, 2, mid), kCentre);
    if (h > 1) {
        EXPECT_EQ(At(image, 2, 3), kEdge);
        if (h > 2) {
            EXPECT_EQ(At(image, 6, 3 + h - 1), kEdge);
        }
    }
    for (int y = 3; y < 3 + h; ++y) {
        const double t = y < mid ? double(y - 3) / (mid - 3)
                                 : (3 + h - 1 == mid ? 0 : double(y - mid) / (3 + h - 1 - mid));
        EXPECT_TRUE(y < mid ? NearLinear(At(image, 2, y), kEdge, kCentre, t)
                            : NearLinear(At(image, 2, y), kCentre, kEdge, t))
            << "row " << y;
        for (int x = 2; x < 7; ++x)
            ASSERT_EQ(At(image, x, y), At(image, 2, y)) << x << "," << y;
        EXPECT_EQ(At(image, 1, y), QX_RGB(1, 2, 3));
        EXPECT_EQ(At(image, 7, y), QX_RGB(1, 2, 3));
    }
    EXPECT_EQ(At(image, 4, 2), QX_RGB(1, 2, 3));
    EXPECT_EQ(At(image, 4, 3 + h), QX_RGB(1, 2, 3));
}

TEST_P(GradientSize, HorizontalMirrorsAroundMid) {
    const int w = GetParam();
    QImage image = Filled(w + 6, 5);
    QPainter p(&image);
    QX_GradientFillH(&p, 3, 1, 3 + w, 4, kEdge, kCentre);
    p.end();
    const int mid = 3 + w / 2;
    EXPECT_EQ(At(image, mid, 1), kCentre);
    if (w > 1) {
        EXPECT_EQ(At(image, 3, 2), kEdge);
    }
    if (w > 2) {
        EXPECT_EQ(At(image, 3 + w - 1, 3), kEdge);
    }
    for (int x = 3; x < 3 + w; ++x) {
        const double t = x < mid ? double(x - 3) / (mid - 3)
                                 : (3 + w - 1 == mid ? 0 : double(x - mid) / (3 + w - 1 - mid));
        EXPECT_TRUE(x < mid ? NearLinear(At(image, x, 1), kEdge, kCentre, t)
                            : NearLinear(At(image, x, 1), kCentre, kEdge, t))
            << "column " << x;
        EXPECT_EQ(At(image, x, 3), At(image, x, 1));
        EXPECT_EQ(At(image, x, 0), QX_RGB(1, 2, 3));
        EXPECT_EQ(At(image, x, 4), QX_RGB(1, 2, 3));
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, GradientSize, ::testing::Values(1, 2, 3, 4, 5, 17, 30, 255));

TEST(QX_Gradient, EmptyOrInvertedRectanglesDrawNothing) {
    QImage image = Filled(10, 10);
    QPainter p(&image);
    QX_GradientFillV(&p, 5, 5, 5, 9, kEdge, kCentre);
    QX_GradientFillV(&p, 5, 5, 9, 5, kEdge, kCentre);
    QX_GradientFillH(&p, 8, 2, 3, 9, kEdge, kCentre);
    QX_GradientFillV(nullptr, 0, 0, 10, 10, kEdge, kCentre);
    p.end();
    EXPECT_EQ(image, Filled(10, 10));
}

TEST(QX_Gradient, ColourConversionsKeepByteOrder) {
    EXPECT_EQ(QX_ToQColor(0x00332211), QColor(0x11, 0x22, 0x33));
    EXPECT_EQ(QX_FromQColor(QColor(0x11, 0x22, 0x33)), COLORREF(0x00332211));
}

// ---- skins and fonts ----

TEST(ThemeSkinColors, EachSkinKeepsItsOwnTable) {
    QX_Skin a;
    QX_Skin b;
    a.SetUserColor(QX_BUTTON_FORE, QX_RGB(1, 2, 3));
    EXPECT_EQ(a.Color(QX_BUTTON_FORE, QX_RGB(100, 100, 255)), QX_RGB(1, 2, 3));
    EXPECT_EQ(b.Color(QX_BUTTON_FORE, QX_RGB(100, 100, 255)), QX_RGB(100, 100, 255));
    EXPECT_EQ(a.UserColor(QX_COLOR_SLOTS), QX_COLOR_UNSET); // out of range reads as unset
}

TEST(ThemeSkinAttach, WidgetsFindTheNearestAttachedSkinElseTheDefault) {
    QX_Skin app;
    QX_Skin own;
    QX_Skin::SetDefault(&app);
    QWidget top;
    QWidget child(&top);
    QWidget grandChild(&child);
    EXPECT_EQ(&QX_Skin::Of(&grandChild), &app);
    QX_Skin::Attach(&top, &own);
    EXPECT_EQ(&QX_Skin::Of(&grandChild), &own);
    EXPECT_EQ(&QX_Skin::Of(nullptr), &app);
    QX_Skin::Attach(&top, nullptr);
    EXPECT_EQ(&QX_Skin::Of(&child), &app);
    QX_Skin::SetDefault(nullptr);
    EXPECT_FALSE(QX_Skin::Default().IsLoaded());
    {
        QX_Skin shortLived;
        QX_Skin::SetDefault(&shortLived);
    }
    // A default that is destroyed stops being the default.
    EXPECT_NE(&QX_Skin::Default(), nullptr);
    EXPECT_EQ(QX_Skin::Default().UserColor(QX_STATIC_FORE), QX_COLOR_UNSET);
}

class ThemeSkin : public ::testing::Test {
  protected:
    QX_Skin m_skin;
};

TEST_F(ThemeSkin, LoadsThePackBitmapsWithTheirKeys) {
    ASSERT_TRUE(QFile::exists(QStringLiteral("kvq7.if"))) << "run folder lacks the skin pack";
    m_skin.Load();
    for (int i = 0; i < 8; ++i) {
        const QX_DIB* frame = m_skin.FrameBitmap(i);
        const QX_DIB* check = m_skin.CheckBitmap(i);
        ASSERT_NE(frame, nullptr);
        EXPECT_TRUE(frame->m_bLoaded) << "frame " << i;
        EXPECT_TRUE(frame->m_bTransparent);
        EXPECT_EQ(frame->m_crKey, QX_RGB(255, 0, 0));
        EXPECT_EQ(frame->m_nWidth, 18);
        ASSERT_NE(check, nullptr);
        EXPECT_TRUE(check->m_bLoaded) << "check " << i;
        EXPECT_TRUE(check->m_bTransparent);
        EXPECT_EQ(check->m_crKey, QX_RGB(0, 255, 0));
        EXPECT_EQ(check->m_nHeight, 13);
    }
    // The corner of a rounded caption button is key: the background shows through it, while
    // its middle is drawn.
    QImage image = Filled(18, 18);
    QPainter p(&image);
    m_skin.FrameBitmap(4)->Draw(&p, 0, 0);
    p.end();
    EXPECT_EQ(At(image, 0, 0), QX_RGB(1, 2, 3));
    EXPECT_NE(At(image, 9, 3), QX_RGB(1, 2, 3));
}

TEST_F(ThemeSkin, MissingPackLeavesUnloadedSlotsAndIsRepeatable) {
    QTemporaryDir empty;
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(empty.path()));
    m_skin.Load();
    m_skin.Load(); // a second start-up replaces the first set
    QDir::setCurrent(previous);
    for (int i = 0; i < 8; ++i) {
        const QX_DIB* dib = m_skin.CheckBitmap(i);
        ASSERT_NE(dib, nullptr);
        EXPECT_FALSE(dib->m_bLoaded);
        EXPECT_TRUE(dib->m_bTransparent);
        EXPECT_EQ(dib->m_crKey, QX_RGB(0, 255, 0));
    }
    m_skin.Free();
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(m_skin.FrameBitmap(i), nullptr);
    EXPECT_EQ(m_skin.FontHangul(), nullptr);
    EXPECT_EQ(m_skin.FontLatin(), nullptr);
}

TEST_F(ThemeSkin, FontsHaveTheirCellHeightsAndHangulGlyphs) {
    m_skin.Load();
    ASSERT_NE(m_skin.FontHangul(), nullptr);
    ASSERT_NE(m_skin.FontLatin(), nullptr);
    const QFontMetrics hangul(*m_skin.FontHangul());
    EXPECT_LE(hangul.ascent() + hangul.descent(), 12);
    EXPECT_GE(hangul.ascent() + hangul.descent(), 10);
    EXPECT_TRUE(hangul.inFont(QChar(0xAC00))); // 가
    const QFontMetrics latin(*m_skin.FontLatin());
    EXPECT_LE(latin.ascent() + latin.descent(), 15);
    EXPECT_GE(latin.ascent() + latin.descent(), 13);
    EXPECT_EQ(QX_StandardFont(), *m_skin.FontHangul());
    EXPECT_EQ(m_skin.CaptionFont(QStringLiteral("캡처")), *m_skin.FontHangul());
    EXPECT_EQ(m_skin.CaptionFont(QStringLiteral("Tarnel")), *m_skin.FontLatin());
    EXPECT_EQ(m_skin.CaptionFont(QString()), *m_skin.FontLatin());
}

} // namespace
