#include "imaging/Cp949Codec.h"
#include "imaging/QX_DIB.h"
#include "tests/imaging/BmpBuilder.h"
#include "tests/support/FinishesWithin.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include <sys/stat.h>

namespace {

// Each test works in a scratch folder of its own, since the pack is read from the working
// directory; the previous one is restored afterwards.
class SkinPack : public ::testing::Test {
  protected:
    void SetUp() override {
        m_previous = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(m_dir.path()));
    }
    void TearDown() override { QDir::setCurrent(m_previous); }

    static void WritePack(const QByteArray& bytes) {
        QFile out(QX_DIB::PackFileName());
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }

    // A picture that tells entries apart: width w, 1 row, 24-bit.
    static QByteArray Picture(int w) {
        return BmpBuilder::File(BmpBuilder::InfoHeader(w, 1, 24) +
                                BmpBuilder::Rows({QByteArray(3 * w, '\x11')}));
    }

    QTemporaryDir m_dir;
    QString m_previous;
};

TEST_F(SkinPack, FindsNamesWithoutRegardToAsciiCaseButOnlyWhole) {
    WritePack(BmpBuilder::PackEntry("close_up.bmpx", Picture(1)) +
              BmpBuilder::PackEntry("close_up.bmp", Picture(2)) +
              BmpBuilder::PackEntry("close", Picture(3)));
    QX_DIB dib;
    EXPECT_EQ(dib.LoadFromPack(QStringLiteral("CLOSE_UP.BMP")), 1);
    EXPECT_EQ(dib.m_nWidth, 2);
    EXPECT_EQ(dib.m_strSource, QStringLiteral("kvq7.if,CLOSE_UP.BMP"));
    EXPECT_EQ(dib.LoadFromPack(QStringLiteral("Close")), 1);
    EXPECT_EQ(dib.m_nWidth, 3);
    EXPECT_EQ(dib.LoadFromPack(QStringLiteral("close_up.bm")), -4);
    EXPECT_EQ(dib.LoadFromPack(QStringLiteral("close_up.bmpxy")), -4);
    EXPECT_FALSE(dib.m_bLoaded);
}

TEST_F(SkinPack, KoreanNamesMatchAsCodePage949Bytes) {
    const QByteArray stop = Cp949Codec::Encode(QStringLiteral("t_md_중지.bmp"));
    // 0x8141 and 0x8161 are two Hangul syllables whose trail bytes are 'A' and 'a'.
    const QString upper = Cp949Codec::Decode("\x81\x41");
    const QString lower = Cp949Codec::Decode("\x81\x61");
    ASSERT_EQ(upper.size(), 1);
    ASSERT_NE(upper, lower);
    WritePack(BmpBuilder::PackEntry(stop, Picture(4)) +
              BmpBuilder::PackEntry(Cp949Codec::Encode(upper), Picture(5)));
    QX_DIB dib;
    EXPECT_EQ(dib.LoadFromPack(QStringLiteral("T_MD_중지.BMP")), 1);
    EXPECT_EQ(dib.m_nWidth, 4);
    EXPECT_EQ(dib.LoadFromPack(upper), 1);
    EXPECT_EQ(dib.LoadFromPack(lower), -4); // another syllable, not another case
    // A character code page 949 lacks must not vanish and match the rest of the name.
    EXPECT_EQ(dib.LoadFromPack(QStringLiteral("t_md_중지\U0001F600.bmp")), -4);
}

TEST_F(SkinPack, ResultCodes) {
    QX_DIB dib;
    EXPECT_EQ(dib.LoadFromPack(nullptr), -1);
    EXPECT_TRUE(dib.m_strSource.isEmpty());
    EXPECT_EQ(dib.LoadFromPack(QString()), -2);
    EXPECT_EQ(dib.LoadFromPack(QStringLiteral("close_up.bmp")), -3); // no pack here
    WritePack(QByteArray());
    EXPECT_EQ(dib.LoadFromPack(QStringLiteral("close_up.bmp")), -4);
}

struct PackDamage {
    const char* name;
    QByteArray pack;
};

class SkinPackDamage : public SkinPack, public ::testing::WithParamInterface<PackDamage> {};

// The last entry, "b.bmp", is damaged in each case; the first must still load.
TEST_P(SkinPackDamage, DamagedEntryIsNotFoundAndEarlierOnesStillLoad) {
    WritePack(BmpBuilder::PackEntry("a.bmp", SkinPack::Picture(2)) + GetParam().pack);
    QX_DIB dib;
    EXPECT_EQ(dib.LoadFromPack(QStringLiteral("b.bmp")), -4);
    EXPECT_FALSE(dib.m_bLoaded);
    EXPECT_TRUE(dib.Block().isEmpty());
    EXPECT_EQ(dib.LoadFromPack(QStringLiteral("a.bmp")), 1);
}

QByteArray WithSize(quint32 size, const QByteArray& file) {
    QByteArray entry = BmpBuilder::PackEntry("b.bmp", file);
    qToLittleEndian<quint32>(size, entry.data());
    return entry;
}

const QByteArray Good =
    BmpBuilder::File(BmpBuilder::InfoHeader(2, 1, 24) + BmpBuilder::Rows({QByteArray(6, '\x22')}));

INSTANTIATE_TEST_SUITE_P(
    Entries, SkinPackDamage,
    ::testing::Values(PackDamage{"cut_short", BmpBuilder::PackEntry("b.bmp", Good).chopped(3)},
                      PackDamage{"size_far_past_end", WithSize(0xFFFFFFFF, Good)},
                      PackDamage{"size_one_past_end", WithSize(Good.size() + 1, Good)},
                      PackDamage{"size_below_file_header", WithSize(5, Good)},
                      PackDamage{"size_cuts_pixels", WithSize(Good.size() - 4, Good)},
                      PackDamage{"name_field_cut", BmpBuilder::PackEntry("b.bmp", Good).left(10)},
                      PackDamage{"not_a_bmp", BmpBuilder::PackEntry("b.bmp", "XX" + Good.mid(2))},
                      PackDamage{
                          "bad_header",
                          BmpBuilder::PackEntry("b.bmp", Good.left(14) + QByteArray(40, 'x'))}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SkinPack, SearchStopsAtTheFirstMatchingName) {
    WritePack(BmpBuilder::PackEntry("twin.bmp", "BM broken") +
              BmpBuilder::PackEntry("TWIN.BMP", Picture(7)));
    QX_DIB dib;
    EXPECT_EQ(dib.LoadFromPack(QStringLiteral("twin.bmp")), -4);
}

// A pipe named like the pack or a picture would block its open, a link to a device could feed a
// reader for ever: none is opened (a hang fails the case rather than the run), nor a pack larger
// than 64 MiB.
TEST_F(SkinPack, OnlyRegularFilesAreOpened) {
    ASSERT_EQ(::mkfifo("kvq7.if", 0600), 0);
    ASSERT_EQ(::mkfifo("pipe.bmp", 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), QStringLiteral("zero.bmp")));
    const auto codes = std::make_shared<std::vector<int>>();
    const auto load = [codes] {
        QX_DIB dib;
        codes->push_back(dib.LoadFromPack(QStringLiteral("a.bmp")));
        codes->push_back(dib.LoadFile(QStringLiteral("pipe.bmp")));
        codes->push_back(dib.LoadFile(QStringLiteral("zero.bmp")));
    };
    ASSERT_TRUE(FinishesWithin(10000, load));
    ASSERT_TRUE(QFile::remove(QX_DIB::PackFileName()));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), QX_DIB::PackFileName()));
    ASSERT_TRUE(FinishesWithin(10000, load));
    EXPECT_EQ(*codes, (std::vector<int>{-3, -3, -3, -3, -3, -3}));

    ASSERT_TRUE(QFile::remove(QX_DIB::PackFileName()));
    WritePack(BmpBuilder::PackEntry("a.bmp", Picture(2)));
    QX_DIB dib;
    ASSERT_TRUE(QFile::resize(QX_DIB::PackFileName(), qint64(64) << 20));
    EXPECT_EQ(dib.LoadFromPack(QStringLiteral("a.bmp")), 1);
    ASSERT_TRUE(QFile::resize(QX_DIB::PackFileName(), (qint64(64) << 20) + 1));
    EXPECT_EQ(dib.LoadFromPack(QStringLiteral("a.bmp")), -3);
}

// Lookups straight from bytes in memory find what LoadFromPack finds, one after another on
// the same device; a BMP is read from the device's position.
TEST_F(SkinPack, ReadsPacksAndFilesHeldInMemory) {
    QByteArray bytes =
        BmpBuilder::PackEntry("a.bmp", Picture(2)) +
        BmpBuilder::PackEntry(Cp949Codec::Encode(QStringLiteral("중지.bmp")), Picture(3));
    QBuffer pack(&bytes);
    ASSERT_TRUE(pack.open(QIODevice::ReadOnly));
    QX_DIB dib;
    EXPECT_EQ(dib.ReadPackEntry(pack, QStringLiteral("중지.BMP")), 1);
    EXPECT_EQ(dib.m_nWidth, 3);
    EXPECT_EQ(dib.ReadPackEntry(pack, QByteArray("A.bmp")), 1);
    EXPECT_EQ(dib.m_nWidth, 2);
    EXPECT_EQ(dib.ReadPackEntry(pack, QStringLiteral("\U0001F600")), -4);
    EXPECT_FALSE(dib.m_bLoaded);

    QByteArray prefixed = "junk" + Picture(5);
    QBuffer file(&prefixed);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(dib.ReadFile(file), -1);
    ASSERT_TRUE(file.seek(4));
    EXPECT_EQ(dib.ReadFile(file), 1);
    EXPECT_EQ(dib.m_nWidth, 5);
}

} // namespace
