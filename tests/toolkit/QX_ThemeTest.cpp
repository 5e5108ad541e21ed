#include "toolkit/QX_Theme.h"

#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

// The colour table is global: every case starts from an untouched table.
class ThemeColorFile : public ::testing::Test {
  protected:
    void SetUp() override {
        std::fill(std::begin(QX_UserColor), std::end(QX_UserColor), QX_COLOR_UNSET);
        ASSERT_TRUE(m_dir.isValid());
    }
    void TearDown() override {
        std::fill(std::begin(QX_UserColor), std::end(QX_UserColor), QX_COLOR_UNSET);
    }

    bool Load(const QByteArray& bytes) {
        const QString path = m_dir.filePath(QStringLiteral("user_color.txt"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(bytes) != bytes.size())
            return false;
        file.close();
        return QX_LoadUserColor(path);
    }

    QTemporaryDir m_dir;
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
    EXPECT_EQ(QX_UserColor[c.slot], c.expected)
        << std::hex << "got 0x" << QX_UserColor[c.slot] << " want 0x" << c.expected;
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
    QX_UserColor[QX_BUTTON_FILL] = QX_RGB(1, 2, 3);
    EXPECT_FALSE(QX_LoadUserColor(m_dir.filePath(QStringLiteral("absent.txt"))));
    EXPECT_FALSE(QX_LoadUserColor(QString()));
    EXPECT_EQ(QX_UserColor[QX_BUTTON_FILL], QX_RGB(1, 2, 3));
    EXPECT_EQ(QX_UserColor[QX_STATIC_FORE], QX_COLOR_UNSET);
}

TEST_F(ThemeColorFile, EmptyFileAndCommentsLeaveSlotsUnset) {
    EXPECT_TRUE(Load(QByteArray()));
    EXPECT_TRUE(Load("# nothing here\n\nunknown[key]=1,2,3,\n\xc7\xd1\xb1\xdb\n"));
    for (COLORREF c : QX_UserColor)
        EXPECT_EQ(c, QX_COLOR_UNSET);
}

TEST_F(ThemeColorFile, UnsetMarkerValueFallsBackToDefault) {
    ASSERT_TRUE(Load("static[fore]=255,2,7,\nstatic[fill]=1,2,3,\n"));
    EXPECT_EQ(QX_ThemeColor(QX_STATIC_FORE, QX_RGB(0, 0, 128)), QX_RGB(0, 0, 128));
    EXPECT_EQ(QX_ThemeColor(QX_STATIC_FILL, QX_RGB(202, 218, 238)), QX_RGB(1, 2, 3));
    EXPECT_EQ(QX_ThemeColor(QX_BUTTON_FORE, QX_RGB(100, 100, 255)), QX_RGB(100, 100, 255));
}

TEST_F(ThemeColorFile, EveryKeyReachesItsOwnSlot) {
    QByteArray file;
    for (int slot = 0; slot < QX_COLOR_SLOTS; ++slot)
        file += QByteArray(QX_UserColorKey[slot]) + "=" + QByteArray::number(slot) + ",0,0,\n";
    ASSERT_TRUE(Load(file));
    for (int slot = 0; slot < QX_COLOR_SLOTS; ++slot)
        EXPECT_EQ(QX_UserColor[slot], QX_RGB(slot, 0, 0)) << QX_UserColorKey[slot];
}

TEST_F(ThemeColorFile, BinaryGarbageIsHarmless) {
    QByteArray junk;
    for (int i = 0; i < 5000; ++i)
        junk += char((i * 7919) & 0xFF);
    junk += "\nbutton[fill]=9,8,7,\n";
    EXPECT_TRUE(Load(junk));
    EXPECT_EQ(QX_UserColor[QX_BUTTON_FILL], QX_RGB(9, 8, 7));
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

class ThemeSkin : public ::testing::Test {
  protected:
    void TearDown() override { QX_FreeSkin(); }
};

TEST_F(ThemeSkin, LoadsThePackBitmapsWithTheirKeys) {
    ASSERT_TRUE(QFile::exists(QStringLiteral("kvq7.if"))) << "run folder lacks the skin pack";
    QX_InitSkin();
    for (int i = 0; i < 8; ++i) {
        ASSERT_NE(QX_FrameBitmap[i], nullptr);
        EXPECT_TRUE(QX_FrameBitmap[i]->m_bLoaded) << "frame " << i;
        EXPECT_TRUE(QX_FrameBitmap[i]->m_bTransparent);
        EXPECT_EQ(QX_FrameBitmap[i]->m_crKey, QX_RGB(255, 0, 0));
        EXPECT_EQ(QX_FrameBitmap[i]->m_nWidth, 18);
        ASSERT_NE(QX_CheckBitmap[i], nullptr);
        EXPECT_TRUE(QX_CheckBitmap[i]->m_bLoaded) << "check " << i;
        EXPECT_TRUE(QX_CheckBitmap[i]->m_bTransparent);
        EXPECT_EQ(QX_CheckBitmap[i]->m_crKey, QX_RGB(0, 255, 0));
        EXPECT_EQ(QX_CheckBitmap[i]->m_nHeight, 13);
    }
    // The corner of a rounded caption button is key: the background shows through it, while
    // its middle is drawn.
    QImage image = Filled(18, 18);
    QPainter p(&image);
    QX_FrameBitmap[4]->Draw(&p, 0, 0);
    p.end();
    EXPECT_EQ(At(image, 0, 0), QX_RGB(1, 2, 3));
    EXPECT_NE(At(image, 9, 3), QX_RGB(1, 2, 3));
}

TEST_F(ThemeSkin, MissingPackLeavesUnloadedSlotsAndIsRepeatable) {
    QTemporaryDir empty;
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(empty.path()));
    QX_InitSkin();
    QX_InitSkin(); // a second start-up replaces the first set
    QDir::setCurrent(previous);
    for (QX_DIB* dib : QX_CheckBitmap) {
        ASSERT_NE(dib, nullptr);
        EXPECT_FALSE(dib->m_bLoaded);
        EXPECT_TRUE(dib->m_bTransparent);
        EXPECT_EQ(dib->m_crKey, QX_RGB(0, 255, 0));
    }
    QX_FreeSkin();
    for (QX_DIB* dib : QX_FrameBitmap)
        EXPECT_EQ(dib, nullptr);
    EXPECT_EQ(QX_FontHangul, nullptr);
    EXPECT_EQ(QX_FontLatin, nullptr);
}

TEST_F(ThemeSkin, FontsHaveTheirCellHeightsAndHangulGlyphs) {
    QX_InitSkin();
    ASSERT_NE(QX_FontHangul, nullptr);
    ASSERT_NE(QX_FontLatin, nullptr);
    const QFontMetrics hangul(*QX_FontHangul);
    EXPECT_LE(hangul.ascent() + hangul.descent(), 12);
    EXPECT_GE(hangul.ascent() + hangul.descent(), 10);
    EXPECT_TRUE(hangul.inFont(QChar(0xAC00))); // 가
    const QFontMetrics latin(*QX_FontLatin);
    EXPECT_LE(latin.ascent() + latin.descent(), 15);
    EXPECT_GE(latin.ascent() + latin.descent(), 13);
    EXPECT_EQ(QX_StandardFont(), *QX_FontHangul);
    EXPECT_EQ(QX_CaptionFont(QStringLiteral("캡처")), *QX_FontHangul);
    EXPECT_EQ(QX_CaptionFont(QStringLiteral("Tarnel")), *QX_FontLatin);
    EXPECT_EQ(QX_CaptionFont(QString()), *QX_FontLatin);
}

} // namespace
