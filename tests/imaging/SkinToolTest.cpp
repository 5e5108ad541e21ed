#include "imaging/Cp949Codec.h"
#include "tests/imaging/BmpBuilder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Result {
    int code;
    QString out;
    QString err;
};

// Runs the built zelvane-skin tool to completion.
Result RunTool(const QStringList& args) {
    QProcess tool;
    tool.start(QStringLiteral(ZELVANE_SKIN_TOOL), args);
    if (!tool.waitForFinished(60000))
        return {-1, {}, {}};
    return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardOutput()),
            QString::fromUtf8(tool.readAllStandardError())};
}

class SkinTool : public ::testing::Test {
  protected:
    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(name);
        QFile out(path);
        out.open(QIODevice::WriteOnly);
        out.write(bytes);
        return path;
    }

    QTemporaryDir m_dir;
};

QByteArray Picture(int w, int h, int bits) {
    const int rowBytes = (w * bits + 7) / 8;
    QList<QByteArray> rows(h, QByteArray(rowBytes, '\x05'));
    QList<COLORREF> table;
    for (int i = 0; bits <= 8 && i < (1 << bits); ++i)
        table.append(QX_RGB(i, i, i));
    return BmpBuilder::File(BmpBuilder::InfoHeader(w, h, bits) + BmpBuilder::Quads(table) +
                            BmpBuilder::Rows(rows));
}

TEST_F(SkinTool, PackThenListAndCheckWithTheProgramsReader) {
    const QString close = Write(QStringLiteral("close_up.bmp"), Picture(18, 17, 24));
    const QString stop = Write(QStringLiteral("t_md_중지.bmp"), Picture(32, 31, 8));
    const QString pack = m_dir.filePath(QStringLiteral("skins.if"));
    ASSERT_EQ(RunTool({QStringLiteral("pack"), pack, close, stop}).code, 0);

    QFile packed(pack);
    ASSERT_TRUE(packed.open(QIODevice::ReadOnly));
    const QByteArray bytes = packed.readAll();
    const QByteArray stopName = Cp949Codec::Encode(QStringLiteral("t_md_중지.bmp"));
    const qsizetype second = 28 + Picture(18, 17, 24).size();
    EXPECT_EQ(bytes.mid(4, 13), QByteArray("close_up.bmp\0", 13));
    EXPECT_EQ(bytes.mid(second + 4, stopName.size() + 1), stopName + '\0');
    EXPECT_EQ(bytes.size(), second + 28 + Picture(32, 31, 8).size());

    const Result list = RunTool({QStringLiteral("list"), pack});
    EXPECT_EQ(list.code, 0) << list.err.toStdString();
    EXPECT_EQ(list.out,
              QStringLiteral("close_up.bmp\t%1\t18\t17\t24\nt_md_중지.bmp\t%2\t32\t31\t8\n")
                  .arg(Picture(18, 17, 24).size())
                  .arg(Picture(32, 31, 8).size()));

    EXPECT_EQ(RunTool({QStringLiteral("check"), pack + QStringLiteral(":CLOSE_UP.BMP")}).out,
              QStringLiteral("1\t18\t17\t24\n"));
    EXPECT_EQ(RunTool({QStringLiteral("check"), pack + QStringLiteral(":T_MD_중지.bmp")}).out,
              QStringLiteral("1\t32\t31\t8\n"));
    const Result absent = RunTool({QStringLiteral("check"), pack + QStringLiteral(":nope.bmp")});
    EXPECT_EQ(absent.out, QStringLiteral("-4\n"));
    EXPECT_EQ(absent.code, 1);
    EXPECT_EQ(RunTool({QStringLiteral("check"), stop}).out, QStringLiteral("1\t32\t31\t8\n"));
    EXPECT_EQ(RunTool({QStringLiteral("check"), m_dir.filePath(QStringLiteral("x.bmp"))}).out,
              QStringLiteral("-3\n"));
}

TEST_F(SkinTool, PackRefusesWhatTheProgramCouldNotLoad) {
    const QString pack = m_dir.filePath(QStringLiteral("out.if"));
    const QString good = Write(QStringLiteral("ok.bmp"), Picture(2, 2, 24));
    const QString longName =
        Write(QStringLiteral("abcdefghijklmnopqrst.bmp"), Picture(2, 2, 24)); // 24 bytes
    const QString notBmp = Write(QStringLiteral("fake.bmp"), "GIF89a");
    const QString twin = Write(QStringLiteral("OK.BMP"), Picture(2, 2, 24));
    for (const QString& bad : {longName, notBmp, twin}) {
        const Result r = RunTool({QStringLiteral("pack"), pack, good, bad});
        EXPECT_EQ(r.code, 1) << bad.toStdString();
        EXPECT_FALSE(r.err.isEmpty());
        EXPECT_FALSE(QFile::exists(pack));
    }
    const QString longest = Write(QStringLiteral("abcdefghijklmnopqrs.bmp"), Picture(2, 2, 24));
    EXPECT_EQ(RunTool({QStringLiteral("pack"), pack, longest}).code, 0); // 23 bytes fit
}

TEST_F(SkinTool, ListReportsDamagedPacks) {
    const QByteArray good = BmpBuilder::PackEntry("a.bmp", Picture(3, 1, 24));
    const QString cut = Write(QStringLiteral("cut.if"),
                              good + BmpBuilder::PackEntry("b.bmp", Picture(3, 1, 24)).chopped(2));
    Result r = RunTool({QStringLiteral("list"), cut});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("a.bmp\t")));
    EXPECT_TRUE(r.err.contains(QStringLiteral("b.bmp")));

    const QString junk =
        Write(QStringLiteral("junk.if"), good + BmpBuilder::PackEntry("c.bmp", "BMxxxxxxxxxxxxxx"));
    r = RunTool({QStringLiteral("list"), junk});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.endsWith(QStringLiteral("c.bmp\t16\t-\t-\t-\n")));
}

TEST_F(SkinTool, ColorsPrintsEverySlotAndWhetherTheFileOpened) {
    const QString file = Write(QStringLiteral("user_color.txt"),
                               "button[border]=120;140;200;\nstatic[fore]=10,20,30,\n");
    Result r = RunTool({QStringLiteral("colors"), file});
    const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 14);
    EXPECT_EQ(lines[0], QStringLiteral("static[fore]\t0x001E140A"));
    EXPECT_EQ(lines[1], QStringLiteral("static[fill]\tunset"));
    EXPECT_EQ(lines[12], QStringLiteral("button[border]\t0x00C88C78"));
    EXPECT_EQ(lines[13], QStringLiteral("opened"));

    r = RunTool({QStringLiteral("colors"), m_dir.filePath(QStringLiteral("none.txt"))});
    EXPECT_TRUE(r.out.endsWith(QStringLiteral("button[border]\tunset\nmissing\n")));
}

TEST_F(SkinTool, UsageErrorsExitWithTwo) {
    for (const QStringList& args :
         {QStringList{}, QStringList{QStringLiteral("pack"), QStringLiteral("x.if")},
          QStringList{QStringLiteral("list")}, QStringList{QStringLiteral("frobnicate"), {}}}) {
        const Result r = RunTool(args);
        EXPECT_EQ(r.code, 2);
        EXPECT_TRUE(r.err.startsWith(QStringLiteral("usage:")));
    }
}

} // namespace
