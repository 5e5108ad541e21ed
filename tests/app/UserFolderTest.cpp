#include "app/UserFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void Touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

// A prefix laid out as an install makes it: bin/ and share/tarnel/ with the pack, image/, home/.
class UserFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_root.isValid());
        m_data = m_root.filePath(QStringLiteral("prefix/share/tarnel"));
        ASSERT_TRUE(QDir().mkpath(m_root.filePath(QStringLiteral("prefix/bin"))));
        ASSERT_TRUE(QDir().mkpath(m_data + QStringLiteral("/image")));
        ASSERT_TRUE(QDir().mkpath(m_data + QStringLiteral("/home")));
        Touch(m_data + QStringLiteral("/kvq7.if"));
        m_folder = m_root.filePath(QStringLiteral("user/Tarnel"));
    }
    QString LinkOf(const QString& name) const {
        return QFileInfo(m_folder + QLatin1Char('/') + name).symLinkTarget();
    }

    QTemporaryDir m_root;
    QString m_data;
    QString m_folder;
};

} // namespace

TEST_F(UserFolderTest, FindsTheDataFolderOnlyBesideAnInstalledBin) {
    EXPECT_EQ(UserFolder::InstalledDataDir(m_root.filePath(QStringLiteral("prefix/bin"))), m_data);
    EXPECT_EQ(UserFolder::InstalledDataDir(m_root.filePath(QStringLiteral("prefix/share"))),
              QString());
    QFile::remove(m_data + QStringLiteral("/kvq7.if"));
    EXPECT_EQ(UserFolder::InstalledDataDir(m_root.filePath(QStringLiteral("prefix/bin"))),
              QString());
}

TEST_F(UserFolderTest, LinksEachInstalledEntryOnceAndLeavesTheUsersOwnAlone) {
    QString error;
    ASSERT_TRUE(UserFolder::Prepare(m_folder, m_data, &error)) << qPrintable(error);
    EXPECT_TRUE(QFileInfo(m_folder + QStringLiteral("/user_image")).isDir());
    for (const char* name : {"kvq7.if", "image", "home"})
        EXPECT_EQ(LinkOf(QString::fromLatin1(name)),
                  m_data + QLatin1Char('/') + QLatin1String(name));

    // The user's own image folder stays; a link left by an install elsewhere, now gone, is
    // pointed back at this one; a page added by a later install is linked too.
    ASSERT_TRUE(QFile::remove(m_folder + QStringLiteral("/image")));
    ASSERT_TRUE(QDir().mkpath(m_folder + QStringLiteral("/image")));
    Touch(m_folder + QStringLiteral("/image/mine.bmp"));
    ASSERT_TRUE(QFile::remove(m_folder + QStringLiteral("/home")));
    ASSERT_TRUE(QFile::link(m_root.filePath(QStringLiteral("gone/home")),
                            m_folder + QStringLiteral("/home")));
    ASSERT_TRUE(QDir().mkpath(m_data + QStringLiteral("/help")));
    ASSERT_TRUE(UserFolder::Prepare(m_folder, m_data, &error)) << qPrintable(error);
    EXPECT_FALSE(QFileInfo(m_folder + QStringLiteral("/image")).isSymLink());
    EXPECT_TRUE(QFileInfo::exists(m_folder + QStringLiteral("/image/mine.bmp")));
    EXPECT_EQ(LinkOf(QStringLiteral("home")), m_data + QStringLiteral("/home"));
    EXPECT_EQ(LinkOf(QStringLiteral("help")), m_data + QStringLiteral("/help"));
}

TEST_F(UserFolderTest, AFolderThatCannotBeMadeIsReported) {
    Touch(m_root.filePath(QStringLiteral("user"))); // a file where the folder's parent should be
    QString error;
    EXPECT_FALSE(UserFolder::Prepare(m_folder, m_data, &error));
    EXPECT_FALSE(error.isEmpty());
}
