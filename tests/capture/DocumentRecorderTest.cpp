#include "capture/DocumentRecorder.h"

#include <QByteArray>
#include <QVariantMap>

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace {

QByteArray Floats(std::initializer_list<float> values) {
    QByteArray bytes;
    for (float v : values)
        bytes.append(reinterpret_cast<const char*>(&v), sizeof v);
    return bytes;
}

// A reply as the script sends it.
QVariantMap Reply(const QByteArray& words, const QString& text, const QByteArray& links = {},
                  const QByteArray& headings = {}, const QStringList& strings = {}) {
    return {{QStringLiteral("v"), 1},
            {QStringLiteral("title"), QStringLiteral("t")},
            {QStringLiteral("address"), QStringLiteral("http://a/")},
            {QStringLiteral("w"), words},
            {QStringLiteral("t"), text},
            {QStringLiteral("l"), links},
            {QStringLiteral("h"), headings},
            {QStringLiteral("s"), strings}};
}

std::string Texts(const DocumentLayer& layer) {
    QStringList texts;
    for (const DocumentLayer::Word& word : layer.words)
        texts << word.text;
    return texts.join(QLatin1Char(' ')).toStdString();
}

constexpr float kNan = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

} // namespace

// Every number is checked before it is taken: a record not finite, outside the image (by its
// middle), of a place the image does not show or naming a string that is not there is left
// out; texts that do not add up make the whole reply untrusted, and the layer is left alone.
TEST(DocumentRecorderTest, TakesOnlyWhatItCanCheck) {
    DocumentRecorder::Placement place;
    place.image = QSize(100, 200);
    place.firstTile = QRect(0, 0, 100, 50);
    const DocumentRecorder recorder(place);
    // Ten words of two letters: a0 b0 c0 ...
    QString text;
    for (char c = 'a'; c < 'k'; ++c)
        text += QLatin1Char(c) + QStringLiteral("0");
    const QByteArray words = Floats({
        10,   10,  20,   10, 2, 0, // kept
        kNan, 10,  20,   10, 2, 0, // not a number
        10,   10,  kInf, 10, 2, 0, // endless
        90,   10,  40,   10, 2, 0, // its middle right of the image
        10,   195, 20,   20, 2, 0, // its middle below it
        10,   60,  20,   10, 2, 1, // fixed, below the first tile
        10,   20,  20,   10, 2, 1, // fixed, in the first tile: kept
        10,   10,  20,   10, 2, 4, // in a side box there is none of
        10,   10,  0,    10, 2, 0, // no width
        80,   30,  30,   10, 2, 0, // kept, cut at the image's edge
    });
    const QByteArray links = Floats({
        10, 10, 20, 10, 0, 0, 1, 5, 150,  0, // kept, its target too
        10, 10, 20, 10, 1, 0, 1, 5, kNan, 0, // its target not a number: kept without it
        10, 10, 20, 10, 7, 0, 0, 0, 0,    0, // names no string
    });
    const QByteArray headings = Floats({
        1, 0, 100, 1, 0, 24, // kept
        7, 0, 100, 1, 0, 24, // no such level
        2, 0, 300, 1, 0, 24, // below the image
    });
    DocumentLayer layer;
    ASSERT_TRUE(recorder.Take(Reply(words, text, links, headings,
                                    {QStringLiteral("http://a/#x"), QStringLiteral("Head")}),
                              &layer));
    EXPECT_EQ(Texts(layer), "a0 g0 j0");
    ASSERT_EQ(layer.words.size(), 3u);
    EXPECT_EQ(layer.words[2].box, QRectF(80, 30, 20, 10));
    ASSERT_EQ(layer.links.size(), 2u);
    EXPECT_TRUE(layer.links[0].hasTarget);
    EXPECT_EQ(layer.links[0].target, QPointF(5, 150));
    EXPECT_EQ(layer.links[1].address, QStringLiteral("Head"));
    EXPECT_FALSE(layer.links[1].hasTarget);
    ASSERT_EQ(layer.headings.size(), 1u);
    EXPECT_EQ(layer.headings[0].text, QStringLiteral("Head"));
    EXPECT_EQ(layer.headings[0].height, 24);

    // Lengths that run past the text, or records cut short: nothing is taken.
    for (const QVariantMap& bad :
         {Reply(Floats({10, 10, 20, 10, 30, 0}), text), Reply(Floats({10, 10, 20, 10, 0, 0}), text),
          Reply(Floats({10, 10, 20, 10, kNan, 0}), text), Reply(Floats({10, 10, 20}), text)}) {
        DocumentLayer kept;
        kept.title = QStringLiteral("kept");
        EXPECT_FALSE(recorder.Take(bad, &kept));
        EXPECT_EQ(kept.title, QStringLiteral("kept"));
    }
}

// Around a box the capture unfolds, the page right of it and below it moves aside by the box's
// extra width and height; the box's words and a side box's are where their content lands; what
// the page draws across the box's edge or over it, standing still while it scrolls, is left out.
TEST(DocumentRecorderTest, PlacesAroundAnUnfoldedBox) {
    DocumentRecorder::Placement place;
    place.box = true;
    place.boxView = QRect(100, 50, 600, 500); // extra: 400 wide, 1500 tall
    place.boxContent = QSize(1000, 2000);
    place.image = QSize(800 + 400, 600 + 1500);
    place.firstTile = QRect(0, 0, 800, 600);
    place.sides = {{QRect(0, 50, 100, 500), 1200, 0}, {QRect(700, 50, 100, 500), 900, 3}};
    const DocumentRecorder recorder(place);
    QString text;
    for (int i = 0; i < 9; ++i)
        text += QStringLiteral("w%1").arg(i);
    const QByteArray words = Floats({
        10,  10,   20, 10, 2, 0, // the page above-left: where it is
        750, 10,   20, 10, 2, 0, // the page right of the box: 400 right
        10,  560,  20, 10, 2, 0, // the page below the box: 1500 down
        690, 10,   20, 10, 2, 0, // across the box's right edge
        300, 300,  20, 10, 2, 0, // the page over the box, not scrolled with it
        300, 300,  20, 10, 2, 1, // the same fixed: drawn by the first tile only, where it is
        300, 1900, 20, 10, 2, 2, // the box's content, far down
        10,  1000, 20, 10, 2, 4, // the left side box's content
        710, 800,  20, 10, 2, 6, // the right side box's, 400 right
    });
    DocumentLayer layer;
    ASSERT_TRUE(recorder.Take(Reply(words, text), &layer));
    ASSERT_EQ(Texts(layer), "w0 w1 w2 w5 w6 w7 w8");
    EXPECT_EQ(layer.words[0].box, QRectF(10, 10, 20, 10));
    EXPECT_EQ(layer.words[1].box, QRectF(1150, 10, 20, 10));
    EXPECT_EQ(layer.words[2].box, QRectF(10, 2060, 20, 10));
    EXPECT_EQ(layer.words[3].box, QRectF(300, 300, 20, 10));
    EXPECT_EQ(layer.words[4].box, QRectF(300, 1900, 20, 10));
    EXPECT_EQ(layer.words[5].box, QRectF(10, 1000, 20, 10));
    EXPECT_EQ(layer.words[6].box, QRectF(1110, 800, 20, 10));
}
