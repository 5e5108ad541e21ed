#include "tests/support/TestHttpServer.h"

#include "capture/BrowserControl.h"
#include "capture/WholePageCapture.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

namespace {

constexpr int kViewWidth = 800;
constexpr int kViewHeight = 600;

// Whether the image has ink under the box: not one colour all over.
bool Inked(const QImage& image, const QRectF& box) {
    const QRect r = box.toAlignedRect().intersected(image.rect());
    if (r.isEmpty())
        return false;
    const QRgb first = image.pixel(r.topLeft());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (image.pixel(x, y) != first)
                return true;
    return false;
}

// Whether the word's box fits its ink on a white page: the ink in its rows, from a little left
// of it to a little right of it (less than a space), begins and ends at its edges (glyphs
// overhang a little; a monospaced colon's ink ends well before its box).
::testing::AssertionResult FitsInk(const QImage& image, const DocumentLayer::Word& word) {
    constexpr int kPad = 4, kSlack = 6;
    const QRect r = word.box.toAlignedRect().adjusted(-kPad, 0, kPad, 0).intersected(image.rect());
    int left = INT_MAX, right = INT_MIN;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    const QRectF b = word.box;
    if (left > right || left < b.left() - 2 || right > b.right() + 3 || left > b.left() + kSlack ||
        right < b.right() - kSlack)
        return ::testing::AssertionFailure()
               << word.text.toStdString() << " at " << b.left() << ".." << b.right()
               << ", its ink at " << left << ".." << right;
    return ::testing::AssertionSuccess();
}

// The words' texts, with sep between them.
std::string Texts(const DocumentLayer& layer, QLatin1StringView sep = QLatin1StringView(" ")) {
    QStringList texts;
    for (const DocumentLayer::Word& word : layer.words)
        texts << word.text;
    return texts.join(sep).toStdString();
}

const DocumentLayer::Word* Find(const DocumentLayer& layer, const QString& text) {
    for (const DocumentLayer::Word& word : layer.words)
        if (word.text == text)
            return &word;
    return nullptr;
}

} // namespace

class DocumentRecordTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_pServer = new TestHttpServer;
        s_pControl = new BrowserControl;
        s_pControl->resize(kViewWidth, kViewHeight);
        s_pControl->show();
    }
    static void TearDownTestSuite() {
        delete s_pControl;
        delete s_pServer;
    }

    // Serves html at path, loads it and captures it with its layer.
    static bool Capture(const QByteArray& path, const QString& html, QImage* image,
                        DocumentLayer* layer) {
        s_pServer->AddFile(path, html.toUtf8(), "text/html; charset=utf-8");
        QSignalSpy spy(s_pControl, &BrowserControl::DocumentComplete);
        s_pControl->Navigate2(s_pServer->Url(QString::fromLatin1(path)));
        return spy.wait(20000) && spy.last().at(1).toBool() &&
               WholePageCapture(s_pControl).CaptureWholePage(image, layer).Ok();
    }

    static inline TestHttpServer* s_pServer = nullptr;
    static inline BrowserControl* s_pControl = nullptr;
};

// A page over several tiles: its drawn words in document order, each box fitting its ink (in
// plain, wrapped, justified text and in code), Korean words whole and in NFC, a word broken
// over lines in its parts; what is not drawn (hidden, transparent, clipped, outside the page,
// turned) absent; a fixed header once, at the top; links absolute, #name ones with their place;
// headings with their levels; the title and the address.
TEST_F(DocumentRecordTest, RecordsWhatThePageDraws) {
    const QString html = QStringLiteral(
        "<!doctype html><meta charset=utf-8><title>기록 시험 Record</title>"
        "<style>body{margin:0;font:20px/30px sans-serif}p{margin:0 0 10px 10px}</style>"
        "<div style=\"position:fixed;top:0;left:0;width:100%;height:40px;background:#fff\">"
        "FixedHeader 머리글</div><div style=\"height:50px\"></div>"
        "<h1 style=\"margin:0 10px;font-size:30px\">First\n  heading</h1>"
        "<p>alpha beta gamma 다람쥐 헌 쳇바퀴에 \u1112\u1161\u11ab\u1100\u1173\u11af</p>"
        "<p>one <span style=\"display:none\">NoneWord</span><span style=\"visibility:hidden\">"
        "HiddenWord</span> <span style=\"color:transparent\">ClearWord</span> "
        "<span style=\"opacity:0\">FadedWord</span> <span style=\"color:rgba(0,0,0,0)\">ClearToo"
        "</span> <span style=\"font-size:0\">TinyWord</span> two</p>"
        "<div style=\"width:200px;height:30px;overflow:hidden;margin-left:10px\">Kept"
        "<div style=\"margin-top:40px\">ClippedWord</div></div>"
        "<div style=\"position:absolute;left:-500px;top:300px\">OffWord</div>"
        "<p style=\"margin:60px 10px;transform:rotate(5deg)\">TurnedWord</p>"
        "<p><a href=\"#place\">ToPlace</a> <a href=\"other.html\">ToOther</a> "
        "<a href=\"#nowhere\">ToNothing</a></p>"
        "<p style=\"width:230px\">다람쥐 헌 쳇바퀴에 타고파 키스의 고유조건은 입술끼리 만나야 "
        "하고 특별한 기술은 필요치 않다</p>"
        "<p style=\"width:230px;text-align:justify\">one two three four five six seven eight "
        "nine ten eleven twelve</p>"
        "<pre style=\"margin:0 10px;font:16px/20px monospace\"><span style=\"color:#a00\">def"
        "</span> <b>main</b>(x):\n    <span style=\"color:#00a\">return</span> x.y</pre>"
        "<div style=\"height:24000px\"></div>"
        "<h2 style=\"margin:0 10px\">Second <a name=place></a>heading</h2><p>omega</p>");
    const QDateTime before = QDateTime::currentDateTime();
    QImage image;
    DocumentLayer layer;
    ASSERT_TRUE(Capture("/record.html", html, &image, &layer));
    ASSERT_GT(image.height(), 24000);
    const QString url = s_pServer->Url(QStringLiteral("/record.html"));

    // The narrow Korean paragraph breaks words inside: their parts are its records.
    const std::string all = Texts(layer);
    const std::string head = "FixedHeader 머리글 First heading alpha beta gamma 다람쥐 헌 쳇바퀴에 "
                             "한글 one two Kept ToPlace ToOther ToNothing ";
    const std::string tail = " one two three four five six seven eight nine ten eleven twelve "
                             "def main(x): return x.y Second heading omega";
    ASSERT_GT(all.size(), head.size() + tail.size()) << all;
    EXPECT_EQ(all.substr(0, head.size()), head);
    EXPECT_EQ(all.substr(all.size() - tail.size()), tail);
    const std::string wrapped = all.substr(head.size(), all.size() - head.size() - tail.size());
    const QString korean = QStringLiteral("다람쥐 헌 쳇바퀴에 타고파 키스의 고유조건은 입술끼리 "
                                          "만나야 하고 특별한 기술은 필요치 않다");
    EXPECT_EQ(QString::fromStdString(wrapped).remove(QLatin1Char(' ')),
              QString(korean).remove(QLatin1Char(' ')));
    EXPECT_GT(QString::fromStdString(wrapped).count(QLatin1Char(' ')),
              korean.count(QLatin1Char(' ')))
        << "a word broken over lines: " << wrapped;
    for (const DocumentLayer::Word& word : layer.words)
        EXPECT_TRUE(FitsInk(image, word));
    const DocumentLayer::Word* header = Find(layer, QStringLiteral("FixedHeader"));
    ASSERT_NE(header, nullptr);
    EXPECT_LT(header->box.bottom(), 41) << "the fixed header where the first tile draws it";

    ASSERT_EQ(layer.headings.size(), 2u);
    EXPECT_EQ(layer.headings[0].level, 1);
    EXPECT_EQ(layer.headings[0].text, QStringLiteral("First heading"));
    EXPECT_EQ(layer.headings[1].level, 2);
    EXPECT_EQ(layer.headings[1].text, QStringLiteral("Second heading"));
    const DocumentLayer::Word* second = Find(layer, QStringLiteral("Second"));
    ASSERT_NE(second, nullptr);
    EXPECT_NEAR(layer.headings[1].place.y(), second->box.top(), 8);
    EXPECT_GT(layer.headings[1].place.y(), 24000);

    ASSERT_EQ(layer.links.size(), 3u);
    EXPECT_EQ(layer.links[0].address, url + QStringLiteral("#place"));
    EXPECT_TRUE(layer.links[0].hasTarget);
    EXPECT_NEAR(layer.links[0].target.y(), second->box.top(), 8) << "where #place is drawn";
    EXPECT_GT(layer.links[0].target.x(), second->box.right() - 1);
    EXPECT_TRUE(layer.links[0].box.contains(Find(layer, QStringLiteral("ToPlace"))->box.center()));
    EXPECT_EQ(layer.links[1].address, s_pServer->Url(QStringLiteral("/other.html")));
    EXPECT_FALSE(layer.links[1].hasTarget);
    EXPECT_TRUE(layer.links[1].box.contains(Find(layer, QStringLiteral("ToOther"))->box.center()));
    EXPECT_EQ(layer.links[2].address, url + QStringLiteral("#nowhere"));
    EXPECT_FALSE(layer.links[2].hasTarget);

    EXPECT_EQ(layer.title, QStringLiteral("기록 시험 Record"));
    EXPECT_EQ(layer.address, url);
    EXPECT_GE(layer.captured, before.addMSecs(-1000));
    EXPECT_LE(layer.captured, QDateTime::currentDateTime());

    // Not asked for, nothing is recorded and the caller's layer is left alone.
    layer.title = QStringLiteral("kept");
    ASSERT_TRUE(WholePageCapture(s_pControl).CaptureWholePage(&image));
    EXPECT_EQ(layer.title, QStringLiteral("kept"));
}

// A page that scrolls in a box beside a side box that scrolls along: the box's and the side
// box's words where the stitched image shows their whole content, the header above them and a
// fixed badge over the box once.
TEST_F(DocumentRecordTest, ScrollBoxWordsWhereTheImageShowsThem) {
    constexpr int kHeader = 50, kSide = 100, kPart = 137, kParts = 30, kLine = 30, kLines = 40;
    QString html = QStringLiteral(
        "<!doctype html><style>html,body{margin:0;height:100%;overflow:hidden;"
        "font:20px/30px sans-serif}#h{height:50px;background:#ff0000}"
        "#s{position:absolute;left:0;top:50px;bottom:0;width:100px;overflow:auto;"
        "background:#ffff00}#s div{height:30px}#box{position:absolute;left:100px;right:0;"
        "top:50px;bottom:0;overflow:auto}#box div{height:137px}</style>"
        "<div id=h>HeaderWord</div><div id=s>");
    for (int i = 1; i <= kLines; ++i)
        html += QStringLiteral("<div>Side%1</div>").arg(i);
    html += QStringLiteral("</div><div id=box>");
    for (int i = 1; i <= kParts; ++i)
        html += QStringLiteral("<div>Part%1</div>").arg(i);
    html += QStringLiteral("</div><div style=\"position:fixed;right:0;bottom:0;width:80px;"
                           "height:30px;background:#0ff\">Badge</div>");
    QImage image;
    DocumentLayer layer;
    ASSERT_TRUE(Capture("/recordbox.html", html, &image, &layer));
    ASSERT_EQ(image.size(), QSize(kViewWidth, kHeader + kParts * kPart));

    QStringList expected{QStringLiteral("HeaderWord")};
    for (int i = 1; i <= kLines; ++i)
        expected << QStringLiteral("Side%1").arg(i);
    for (int i = 1; i <= kParts; ++i)
        expected << QStringLiteral("Part%1").arg(i);
    expected << QStringLiteral("Badge");
    EXPECT_EQ(Texts(layer), expected.join(QLatin1Char(' ')).toStdString());
    for (const DocumentLayer::Word& word : layer.words)
        EXPECT_TRUE(Inked(image, word.box)) << word.text.toStdString() << " has no ink under it";
    for (int i = 1; i <= kLines; ++i) {
        const DocumentLayer::Word* word = Find(layer, QStringLiteral("Side%1").arg(i));
        ASSERT_NE(word, nullptr);
        EXPECT_LT(word->box.right(), kSide + 1);
        EXPECT_NEAR(word->box.center().y(), kHeader + (i - 1) * kLine + kLine / 2, 6) << i;
    }
    for (int i = 1; i <= kParts; ++i) {
        const DocumentLayer::Word* word = Find(layer, QStringLiteral("Part%1").arg(i));
        ASSERT_NE(word, nullptr);
        EXPECT_GE(word->box.left(), kSide);
        EXPECT_NEAR(word->box.center().y(), kHeader + (i - 1) * kPart + kLine / 2, 6) << i;
    }
    const DocumentLayer::Word* badge = Find(layer, QStringLiteral("Badge"));
    ASSERT_NE(badge, nullptr);
    EXPECT_GT(badge->box.top(), kViewHeight - 31) << "where the first tile drew it";
    EXPECT_LT(badge->box.bottom(), kViewHeight + 1);
}
