// The PDF's text, links, outline and information as real readers find them: poppler (pdftotext,
// pdfinfo, pdfimages), qpdf and MuPDF (mutool), on two pages of words drawn in a Korean font at
// boxes known here.
#include "imaging/PageFileWriter.h"
#include "imaging/PageOutput.h"
#include "imaging/PdfWriter.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <optional>

// Readable failures.
void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

constexpr int kWidth = 1200;
constexpr int kHeight = 1024;
// How far a reader's box may be from the box the word was drawn in, in pixels.
constexpr double kTolerance = 1.5;

// A tool's standard output, or nothing when it did not run or failed.
std::optional<QByteArray> Tool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return std::nullopt;
    return p.readAllStandardOutput();
}

// Hangul as separate letters: the writer must join them.
QString Decomposed(const QString& text) {
    return text.normalized(QString::NormalizationForm_D);
}

// The lines of words on each page, as the page shows them.
const std::vector<std::vector<QStringList>> kLines = {
    {{QStringLiteral("Tarnel"), QStringLiteral("keeps"), QStringLiteral("every"),
      QStringLiteral("word.")},
     {QStringLiteral("다람쥐"), QStringLiteral("헌"), QStringLiteral("쳇바퀴에"),
      QStringLiteral("타고파.")},
     {QStringLiteral("링크:"), QStringLiteral("example.com"), QStringLiteral("둘째"),
      QStringLiteral("쪽으로")},
     {QStringLiteral("한글"), QStringLiteral("\U0001F600표정"), QStringLiteral("(괄호)"),
      QStringLiteral("a\\b")}},
    {{QStringLiteral("키스의"), QStringLiteral("고유조건은"), QStringLiteral("입술끼리"),
      QStringLiteral("만나야")},
     {QStringLiteral("Second"), QStringLiteral("page"), QStringLiteral("ends"),
      QStringLiteral("here.")}},
};

// A reader's word and its box in the page picture's pixels.
struct FoundWord {
    QString text;
    QRectF box;
};

// A box on the sheet, in points from its top-left corner, in the pixels of a kWidth x kHeight
// picture.
QRectF ToPixels(double x0, double y0, double x1, double y1) {
    const QRectF at = PdfWriter::Placement(kWidth, kHeight);
    const double scale = at.width() / kWidth;
    return QRectF(QPointF((x0 - at.left()) / scale, (y0 - at.top()) / scale),
                  QPointF((x1 - at.left()) / scale, (y1 - at.top()) / scale));
}

// XML text: named and numbered character references.
QString Unescaped(QString text) {
    static const QRegularExpression number(QStringLiteral("&#x([0-9a-fA-F]+);"));
    for (QRegularExpressionMatch m = number.match(text); m.hasMatch(); m = number.match(text)) {
        const char32_t c = m.captured(1).toUInt(nullptr, 16);
        text.replace(m.capturedStart(), m.capturedLength(), QString::fromUcs4(&c, 1));
    }
    return text.replace(QLatin1String("&lt;"), QLatin1String("<"))
        .replace(QLatin1String("&gt;"), QLatin1String(">"))
        .replace(QLatin1String("&quot;"), QLatin1String("\""))
        .replace(QLatin1String("&apos;"), QLatin1String("'"))
        .replace(QLatin1String("&amp;"), QLatin1String("&"));
}

// The words of pdftotext -bbox, page by page.
std::vector<std::vector<FoundWord>> PopplerWords(const QString& html) {
    std::vector<std::vector<FoundWord>> pages;
    static const QRegularExpression tag(
        QStringLiteral("<page |<word xMin=\"([-\\d.]+)\" yMin=\"([-\\d.]+)\" xMax=\"([-\\d.]+)\" "
                       "yMax=\"([-\\d.]+)\">([^<]*)</word>"));
    for (const QRegularExpressionMatch& m : tag.globalMatch(html)) {
        if (m.captured(0).startsWith(QLatin1String("<page"))) {
            pages.emplace_back();
            continue;
        }
        if (pages.empty())
            return {};
        pages.back().push_back({Unescaped(m.captured(5)),
                                ToPixels(m.captured(1).toDouble(), m.captured(2).toDouble(),
                                         m.captured(3).toDouble(), m.captured(4).toDouble())});
    }
    return pages;
}

// The words of mutool's structured text, page by page: characters between spaces and line ends,
// each box the union of its characters' quads.
std::vector<std::vector<FoundWord>> MupdfWords(const QString& xml) {
    std::vector<std::vector<FoundWord>> pages;
    static const QRegularExpression tag(QStringLiteral(
        "<page |</line>|<char quad=\"([-\\d.]+) ([-\\d.]+) [-\\d.]+ [-\\d.]+ [-\\d.]+ [-\\d.]+ "
        "([-\\d.]+) ([-\\d.]+)\"[^>]* c=\"([^\"]*)\"/>"));
    bool inWord = false;
    for (const QRegularExpressionMatch& m : tag.globalMatch(xml)) {
        const QString what = m.captured(0);
        if (what.startsWith(QLatin1String("<page"))) {
            pages.emplace_back();
            inWord = false;
            continue;
        }
        if (pages.empty())
            return {};
        const QString c = Unescaped(m.captured(5));
        if (what == QLatin1String("</line>") || c == QLatin1String(" ")) {
            inWord = false;
            continue;
        }
        const QRectF box = ToPixels(m.captured(1).toDouble(), m.captured(2).toDouble(),
                                    m.captured(3).toDouble(), m.captured(4).toDouble());
        if (!inWord)
            pages.back().push_back({QString(), box});
        pages.back().back().text += c;
        pages.back().back().box |= box;
        inWord = true;
    }
    return pages;
}

// The text's lines, without empty ones and with single spaces.
QStringList Lines(const QByteArray& text) {
    QStringList lines;
    for (const QString& line :
         QString::fromUtf8(text).split(QRegularExpression(QStringLiteral("[\\n\\f]")))) {
        const QString simple = line.simplified();
        if (!simple.isEmpty())
            lines.append(simple);
    }
    return lines;
}

QJsonObject Object(const QJsonObject& json, const QString& ref) {
    return json[QLatin1String("qpdf")]
        .toArray()
        .at(1)
        .toObject()[QLatin1String("obj:") + ref]
        .toObject()[QLatin1String("value")]
        .toObject();
}

class PdfReadersTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_dir = new QTemporaryDir;
        s_pages = new std::vector<QImage>;
        s_layer = new PageLayer;
        QFont font(QStringLiteral("NanumGothic"));
        font.setPixelSize(28);
        ASSERT_TRUE(QFontInfo(font).family().contains(QLatin1String("Nanum")))
            << "fonts-nanum is missing: run scripts/setup";
        const QFontMetricsF metrics(font);
        for (const auto& lines : kLines) {
            QImage page(kWidth, kHeight, QImage::Format_RGB32);
            page.fill(Qt::white);
            QPainter painter(&page);
            painter.setFont(font);
            painter.setPen(QColor(20, 20, 40));
            std::vector<PageLayer::Word> words;
            for (size_t line = 0; line < lines.size(); ++line) {
                const double baseline = 120 + 70 * double(line);
                double x = 60;
                for (const QString& word : lines[line]) {
                    painter.drawText(QPointF(x, baseline), word);
                    const double advance = metrics.horizontalAdvance(word);
                    const QRectF box(x, baseline - metrics.ascent(), advance,
                                     metrics.ascent() + metrics.descent());
                    words.push_back(
                        {word == QStringLiteral("한글") ? Decomposed(word) : word, box});
                    x += advance + metrics.horizontalAdvance(QLatin1Char(' '));
                }
            }
            s_pages->push_back(page);
            s_layer->words.push_back(words);
        }
        s_layer->title = QStringLiteral("한국어 제목 (Test) \\ 끝");
        s_layer->address = QStringLiteral("https://example.com/문서?q=a b");
        s_layer->captured = QDateTime(QDate(2026, 3, 1), QTime(9, 30, 15), QTimeZone(9 * 3600));
        const std::vector<PageLayer::Word>& first = s_layer->words[0];
        s_layer->links = {
            {{first[9].box, QStringLiteral("https://example.com/검색?q=한글 문서&x=(1)"), {}},
             {first[10].box, QStringLiteral("https://example.com/#second"), {1, {60, 400}}}},
            {}};
        s_layer->headings = {{1, QStringLiteral("첫째 장"), {0, {60, 60}}},
                             {3, QStringLiteral("세부 사항"), {0, {60, 150}}},
                             {2, QStringLiteral("English part"), {0, {60, 200}}},
                             {1, QStringLiteral("둘째 장"), {1, {60, 40}}},
                             {2, QStringLiteral("끝"), {1, {60, 120}}}};
        PageStack stack{{}, kWidth, kHeight, 4};
        for (const QImage& page : *s_pages)
            stack.pixels.append(page.constBits());
        ASSERT_TRUE(PageOutput::Writer(PageOutput::Format::Pdf)->Write(Pdf(), stack, *s_layer));
    }
    static void TearDownTestSuite() {
        delete s_dir;
        delete s_pages;
        delete s_layer;
    }
    static QString Pdf() { return s_dir->filePath(QStringLiteral("doc.pdf")); }

    // The words the pages show, in order, as readers should give them back.
    static std::vector<std::vector<FoundWord>> Expected() {
        std::vector<std::vector<FoundWord>> pages;
        for (const auto& words : s_layer->words) {
            pages.emplace_back();
            for (const PageLayer::Word& word : words)
                pages.back().push_back(
                    {word.text.normalized(QString::NormalizationForm_C), word.box});
        }
        return pages;
    }
    static QStringList ExpectedLines() {
        QStringList lines;
        for (const auto& page : kLines) {
            for (const QStringList& line : page)
                lines.append(line.join(QLatin1Char(' ')));
        }
        return lines;
    }

    static void ExpectSameWords(const std::vector<std::vector<FoundWord>>& found,
                                const char* reader) {
        const auto expected = Expected();
        ASSERT_EQ(found.size(), expected.size()) << reader;
        for (size_t p = 0; p < expected.size(); ++p) {
            ASSERT_EQ(found[p].size(), expected[p].size()) << reader << " page " << p;
            for (size_t w = 0; w < expected[p].size(); ++w) {
                const FoundWord& got = found[p][w];
                const FoundWord& want = expected[p][w];
                EXPECT_EQ(got.text, want.text) << reader;
                EXPECT_NEAR(got.box.left(), want.box.left(), kTolerance) << reader << ' ' << w;
                EXPECT_NEAR(got.box.right(), want.box.right(), kTolerance) << reader << ' ' << w;
                EXPECT_NEAR(got.box.top(), want.box.top(), kTolerance) << reader << ' ' << w;
                EXPECT_NEAR(got.box.bottom(), want.box.bottom(), kTolerance) << reader << ' ' << w;
            }
        }
    }

    static QTemporaryDir* s_dir;
    static std::vector<QImage>* s_pages;
    static PageLayer* s_layer;
};
QTemporaryDir* PdfReadersTest::s_dir = nullptr;
std::vector<QImage>* PdfReadersTest::s_pages = nullptr;
PageLayer* PdfReadersTest::s_layer = nullptr;

} // namespace

// Every bit of ink lies inside the box its word was given: the boxes below are over the ink.
TEST_F(PdfReadersTest, TheKnownBoxesHoldTheDrawnInk) {
    for (size_t p = 0; p < s_pages->size(); ++p) {
        const QImage& page = (*s_pages)[p];
        int ink = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                if (qGray(page.pixel(x, y)) > 200)
                    continue;
                ++ink;
                bool inside = false;
                for (const PageLayer::Word& word : s_layer->words[p])
                    inside = inside || word.box.adjusted(-1, -1, 1, 1).contains(QPointF(x, y));
                ASSERT_TRUE(inside) << "page " << p << " ink at " << x << "," << y;
            }
        }
        EXPECT_GT(ink, 1000);
    }
}

TEST_F(PdfReadersTest, PopplerFindsTheWordsInOrderOverTheirInk) {
    const auto text =
        Tool(QStringLiteral("pdftotext"),
             {QStringLiteral("-enc"), QStringLiteral("UTF-8"), Pdf(), QStringLiteral("-")});
    ASSERT_TRUE(text);
    EXPECT_EQ(Lines(*text), ExpectedLines()) << text->toStdString();
    const QString html = s_dir->filePath(QStringLiteral("words.html"));
    ASSERT_TRUE(Tool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), Pdf(), html}));
    QFile file(html);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    ExpectSameWords(PopplerWords(QString::fromUtf8(file.readAll())), "pdftotext");
}

TEST_F(PdfReadersTest, MupdfFindsTheSameWordsOverTheirInk) {
    const auto text = Tool(QStringLiteral("mutool"),
                           {QStringLiteral("draw"), QStringLiteral("-F"), QStringLiteral("txt"),
                            QStringLiteral("-o"), QStringLiteral("-"), Pdf()});
    ASSERT_TRUE(text);
    EXPECT_EQ(Lines(*text), ExpectedLines()) << text->toStdString();
    const auto xml = Tool(QStringLiteral("mutool"),
                          {QStringLiteral("draw"), QStringLiteral("-F"), QStringLiteral("stext"),
                           QStringLiteral("-o"), QStringLiteral("-"), Pdf()});
    ASSERT_TRUE(xml);
    ExpectSameWords(MupdfWords(QString::fromUtf8(*xml)), "mutool");
}

TEST_F(PdfReadersTest, QpdfFindsNoFaultAndThePicturesComeBackUnchanged) {
    QProcess check;
    check.start(QStringLiteral("qpdf"), {QStringLiteral("--check"), Pdf()});
    ASSERT_TRUE(check.waitForFinished(60000));
    const QByteArray said = check.readAllStandardOutput() + check.readAllStandardError();
    EXPECT_EQ(check.exitCode(), 0) << said.toStdString();
    EXPECT_TRUE(said.contains("No syntax or stream encoding errors found")) << said.toStdString();
    EXPECT_FALSE(said.contains("WARNING")) << said.toStdString();

    const QString prefix = s_dir->filePath(QStringLiteral("img"));
    ASSERT_TRUE(Tool(QStringLiteral("pdfimages"), {QStringLiteral("-png"), Pdf(), prefix}));
    for (size_t p = 0; p < s_pages->size(); ++p) {
        const QImage back(prefix + QStringLiteral("-%1.png").arg(p, 3, 10, QLatin1Char('0')));
        EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), (*s_pages)[p]) << p;
    }
}

TEST_F(PdfReadersTest, LinksOutlineAndInformationAreThere) {
    const auto info = Tool(QStringLiteral("pdfinfo"), {QStringLiteral("-custom"), Pdf()});
    ASSERT_TRUE(info);
    const QString fields = QString::fromUtf8(*info);
    const auto field = [&fields](const char* name) {
        const QRegularExpression line(QLatin1String("(?m)^") + QLatin1String(name) +
                                      QLatin1String(":\\s*(.*)$"));
        return line.match(fields).captured(1);
    };
    EXPECT_EQ(field("Title"), s_layer->title);
    EXPECT_EQ(field("Producer"), PageOutput::Producer());
    EXPECT_TRUE(field("Producer").contains(QRegularExpression(QStringLiteral("^Tarnel \\d"))));
    EXPECT_EQ(field("URL"), QStringLiteral("https://example.com/%EB%AC%B8%EC%84%9C?q=a%20b"));
    EXPECT_TRUE(field("CreationDate").contains(QLatin1String("2026")));

    const auto json = Tool(QStringLiteral("qpdf"), {QStringLiteral("--json"), Pdf()});
    ASSERT_TRUE(json);
    const QJsonObject doc = QJsonDocument::fromJson(*json).object();
    const QJsonArray pages = doc[QLatin1String("pages")].toArray();
    ASSERT_EQ(pages.size(), 2);
    // The links of the first page: an address in 7-bit ASCII, and a place on the second page.
    const QJsonArray annotations =
        Object(doc,
               pages[0].toObject()[QLatin1String("object")].toString())[QLatin1String("/Annots")]
            .toArray();
    ASSERT_EQ(annotations.size(), 2);
    const QJsonObject uri = Object(doc, annotations[0].toString());
    EXPECT_EQ(uri[QLatin1String("/Subtype")].toString(), QStringLiteral("/Link"));
    EXPECT_EQ(uri[QLatin1String("/A")].toObject()[QLatin1String("/URI")].toString(),
              QStringLiteral("u:https://example.com/%EA%B2%80%EC%83%89?q=%ED%95%9C%EA%B8%80%20"
                             "%EB%AC%B8%EC%84%9C&x=(1)"));
    const QJsonObject goTo = Object(doc, annotations[1].toString());
    const QJsonObject action = goTo[QLatin1String("/A")].toObject();
    EXPECT_EQ(action[QLatin1String("/S")].toString(), QStringLiteral("/GoTo"));
    const QJsonArray dest = action[QLatin1String("/D")].toArray();
    ASSERT_EQ(dest.size(), 5);
    EXPECT_EQ(dest[0].toString(), pages[1].toObject()[QLatin1String("object")].toString());
    EXPECT_EQ(dest[1].toString(), QStringLiteral("/XYZ"));
    const QRectF place = ToPixels(dest[2].toDouble(), 0, dest[2].toDouble(), 0);
    EXPECT_NEAR(place.left(), 60, 0.1);
    const QRectF rect = ToPixels(0, PdfWriter::kPageHeight - dest[3].toDouble(), 0,
                                 PdfWriter::kPageHeight - dest[3].toDouble());
    EXPECT_NEAR(rect.top(), 400, 0.1);

    // The outline: an h3 and an h2 under the first h1, an h2 under the second.
    const QJsonArray outline = doc[QLatin1String("outlines")].toArray();
    ASSERT_EQ(outline.size(), 2);
    const auto title = [](const QJsonValue& item) {
        return item.toObject()[QLatin1String("title")].toString();
    };
    const auto kids = [](const QJsonValue& item) {
        return item.toObject()[QLatin1String("kids")].toArray();
    };
    const auto page = [](const QJsonValue& item) {
        return item.toObject()[QLatin1String("destpageposfrom1")].toInt();
    };
    EXPECT_EQ(title(outline[0]), QStringLiteral("첫째 장"));
    EXPECT_EQ(page(outline[0]), 1);
    ASSERT_EQ(kids(outline[0]).size(), 2);
    EXPECT_EQ(title(kids(outline[0])[0]), QStringLiteral("세부 사항"));
    EXPECT_EQ(title(kids(outline[0])[1]), QStringLiteral("English part"));
    EXPECT_EQ(title(outline[1]), QStringLiteral("둘째 장"));
    EXPECT_EQ(page(outline[1]), 2);
    ASSERT_EQ(kids(outline[1]).size(), 1);
    EXPECT_EQ(title(kids(outline[1])[0]), QStringLiteral("끝"));
    EXPECT_EQ(page(kids(outline[1])[0]), 2);
}

// Text of any kind, boxes and places of any value: the document is still valid PDF that the
// readers open, and what can be kept of the text is found.
TEST(PdfHostileLayer, AnyTextAndAnyBoxYieldAValidDocument) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("hostile.pdf"));
    const QString nasty = QStringLiteral("a)b(c\\d\x01\ne\t") + QChar(0xD800) +
                          QStringLiteral("f") + QChar(0xDC00) + QChar(0xFFFF) + QChar(0x7F);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    PageLayer layer;
    layer.title = nasty + QString(100000, QChar(0x4E00)) + QChar(0xD83D);
    layer.address = nasty;
    layer.captured = QDateTime(QDate(12345, 1, 1), QTime(0, 0));
    std::vector<PageLayer::Word> words = {
        {QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b"), {10, 10, 40, 20}},
        {nasty, {60, 10, 200, 20}},
        {QStringLiteral("nan"), {nan, 10, 40, 20}},
        {QStringLiteral("inf"), {10, 10, inf, 20}},
        {QStringLiteral("off"), {-500, -500, 10, 10}},
        {QStringLiteral("flat"), {10, 40, 0, 0}},
        {QStringLiteral("huge"), {0, 0, 1e300, 1e300}},
        {QString(QChar(0x0301)), {10, 70, 10, 20}}, // a lone combining mark
        {QString(), {10, 90, 10, 20}},
    };
    // More distinct characters than two-byte codes can number.
    for (char32_t c = 0x20000; c < 0x20000 + 70000; c += 100) {
        QString word;
        for (char32_t k = c; k < c + 100; ++k)
            word += QString::fromUcs4(&k, 1);
        words.push_back({word, {100, 200, 500, 10}});
    }
    layer.words = {words, {}};
    layer.links = {{{{nan, 0, 10, 10}, QStringLiteral("x"), {}},
                    {{0, 0, 10, 10}, nasty, {99, {5, 5}}},
                    {{0, 0, 10, 10}, QString(), {-1, {}}},
                    {{0, 0, 10, 10}, QString(), {1, {inf, nan}}},
                    {{-1e9, -1e9, 2e9, 2e9}, QStringLiteral("javascript:)"), {}}}};
    layer.headings = {{0, nasty, {0, {nan, inf}}},     {99, QString(), {1, {0, 0}}},
                      {-5, nasty, {7, {0, 0}}},        {3, QStringLiteral("ok"), {1, {-1e9, 1e9}}},
                      {2, layer.title, {0, {10, 10}}}, {1, nasty, {-1, {}}}};
    std::vector<quint8> white(size_t(kWidth) * 300 * 4, 0xFF);
    const PageStack pages{{white.data(), white.data()}, kWidth, 300, 4};
    ASSERT_TRUE(PageOutput::Writer(PageOutput::Format::Pdf)->Write(path, pages, layer));

    QProcess check;
    check.start(QStringLiteral("qpdf"), {QStringLiteral("--check"), path});
    ASSERT_TRUE(check.waitForFinished(60000));
    const QByteArray said = check.readAllStandardOutput() + check.readAllStandardError();
    EXPECT_EQ(check.exitCode(), 0) << said.toStdString();
    EXPECT_FALSE(said.contains("WARNING")) << said.toStdString();
    const auto text =
        Tool(QStringLiteral("pdftotext"),
             {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    ASSERT_TRUE(text);
    EXPECT_TRUE(QString::fromUtf8(*text).startsWith(QStringLiteral("ab a)b(c\\def")))
        << text->left(200).toStdString();
    QProcess mupdf;
    mupdf.start(QStringLiteral("mutool"),
                {QStringLiteral("draw"), QStringLiteral("-F"), QStringLiteral("txt"),
                 QStringLiteral("-o"), QStringLiteral("/dev/null"), path});
    ASSERT_TRUE(mupdf.waitForFinished(60000));
    EXPECT_EQ(mupdf.exitCode(), 0);
    EXPECT_FALSE(mupdf.readAllStandardError().contains("error"));
    const auto info = Tool(QStringLiteral("pdfinfo"), {path});
    ASSERT_TRUE(info);
    const QString title = QString::fromUtf8(*info).section(QLatin1Char('\n'), 0, 0);
    EXPECT_TRUE(title.startsWith(QStringLiteral("Title:           a)b(c\\d ")))
        << title.toStdString();
    EXPECT_TRUE(title.contains(QString(100, QChar(0x4E00))));
}

// Pages captured at twice the pixels, with the layer in document pixels: the picture is stored
// at its own 2x size on the same place of the sheet, and the words still lie over their ink.
TEST_F(PdfReadersTest, AtScaleTwoTheWordsStillLieOverTheirInk) {
    std::vector<QImage> sharp;
    PageStack stack{{}, 2 * kWidth, 2 * kHeight, 4, 2};
    for (const QImage& page : *s_pages) {
        sharp.push_back(page.scaled(2 * kWidth, 2 * kHeight));
        stack.pixels.append(sharp.back().constBits());
    }
    const QString pdf = s_dir->filePath(QStringLiteral("sharp.pdf"));
    ASSERT_TRUE(PageOutput::Writer(PageOutput::Format::Pdf)->Write(pdf, stack, *s_layer));
    const auto list = Tool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    ASSERT_TRUE(list);
    EXPECT_TRUE(list->contains(" 2400  2048 ")) << list->toStdString();
    const QString html = s_dir->filePath(QStringLiteral("sharp.html"));
    ASSERT_TRUE(Tool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, html}));
    QFile file(html);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    ExpectSameWords(PopplerWords(QString::fromUtf8(file.readAll())), "pdftotext at 2");
}
