#include "app/AppTexts.h"
#include "app/MainLayout.h"
#include "tests/support/PixelCount.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Runs a program to its end (at most two minutes); its exit code, -1 when it did not finish.
int RunToEnd(QProcess& process, const QString& program, const QStringList& args) {
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, args);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    return process.exitCode();
}

// The build installed into a fresh prefix, started as the desktop would start it for a user
// whose home is fresh too.
class InstallTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_root.isValid());
        m_prefix = m_root.filePath(QStringLiteral("prefix"));
        m_home = m_root.filePath(QStringLiteral("home"));
        ASSERT_TRUE(QDir().mkpath(m_home));
        QProcess install;
        ASSERT_EQ(RunToEnd(install, QStringLiteral(ZELVANE_CMAKE),
                           {QStringLiteral("--install"), QStringLiteral(ZELVANE_BUILD_DIR),
                            QStringLiteral("--prefix"), m_prefix}),
                  0);
    }

    // The .desktop entry's command line with its field codes removed.
    QStringList DesktopCommand() const {
        const QString path =
            m_prefix + QStringLiteral("/share/applications/example.tarnel.Tarnel.desktop");
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QString text = QString::fromUtf8(file.readAll());
        const QRegularExpressionMatch exec =
            QRegularExpression(QStringLiteral("^Exec=(.*)$"), QRegularExpression::MultilineOption)
                .match(text);
        QString line = exec.captured(1);
        line.remove(QRegularExpression(QStringLiteral("%[fFuUdDnNickvm]")));
        return QProcess::splitCommand(line.trimmed());
    }

    // Starts the installed program from somewhere else; its stdout, the window as it showed
    // the start page, and the exit code.
    int Start(QString* out, QImage* shot) {
        const QStringList command = DesktopCommand();
        if (command.isEmpty())
            return -2;
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_home);
        env.insert(QStringLiteral("PATH"),
                   m_prefix + QStringLiteral("/bin:") + env.value(QStringLiteral("PATH")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("ZELVANE_START_SHOT"),
                   m_root.filePath(QStringLiteral("shot.png")));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(m_root.path());
        const QString program =
            QStandardPaths::findExecutable(command.first(), {m_prefix + QStringLiteral("/bin")});
        const int code = RunToEnd(process, program, command.mid(1));
        *out = QString::fromUtf8(process.readAllStandardOutput());
        *shot = QImage(m_root.filePath(QStringLiteral("shot.png")));
        return code;
    }

    QTemporaryDir m_root;
    QString m_prefix;
    QString m_home;
};

} // namespace

TEST_F(InstallTest, DesktopFilesValidate) {
    QProcess desktop;
    EXPECT_EQ(
        RunToEnd(desktop, QStringLiteral("desktop-file-validate"),
                 {m_prefix + QStringLiteral("/share/applications/example.tarnel.Tarnel.desktop")}),
        0);
    QProcess metainfo;
    EXPECT_EQ(
        RunToEnd(metainfo, QStringLiteral("appstreamcli"),
                 {QStringLiteral("validate"), QStringLiteral("--no-net"),
                  m_prefix + QStringLiteral("/share/metainfo/example.tarnel.Tarnel.metainfo.xml")}),
        0);
    for (int size : {16, 32, 48, 256}) {
        const QImage icon(
            QStringLiteral("%1/share/icons/hicolor/%2x%2/apps/example.tarnel.Tarnel.png")
                .arg(m_prefix)
                .arg(size));
        EXPECT_EQ(icon.size(), QSize(size, size));
    }
}

TEST_F(InstallTest, StartsInItsOwnFolderOnTheStartPageAndReadsTheUsersColours) {
    QString out;
    QImage shot;
    ASSERT_EQ(Start(&out, &shot), 0);
    const QString folder = m_home + QStringLiteral("/Tarnel");
    EXPECT_TRUE(out.contains(QStringLiteral("start page file://") + folder +
                             QStringLiteral("/home/index.html")))
        << qPrintable(out);
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/user_image")).isDir());
    ASSERT_EQ(shot.size(), QSize(1000, 700));
    // The start page's heading colour in the browser, the skin's caption buttons at top right.
    const QRect content = MainLayout(1000, 700).Content();
    EXPECT_GT(CountNear(shot, content, qRgb(0x0B, 0x5C, 0xAD), 20), 300);
    const int bodyBefore = CountNear(shot, QRect(0, 60, 1000, 30), qRgb(0, 200, 0), 10);

    // A colour file the user puts in the folder is read at the next start.
    QFile colours(folder + QStringLiteral("/user_color.txt"));
    ASSERT_TRUE(colours.open(QIODevice::WriteOnly));
    colours.write("window[body_brush]=0;200;0;\n");
    colours.close();
    ASSERT_EQ(Start(&out, &shot), 0);
    EXPECT_EQ(bodyBefore, 0);
    EXPECT_GT(CountNear(shot, QRect(0, 60, 1000, 30), qRgb(0, 200, 0), 10), 500);
}

// The installed command answers for itself, and its man page renders. The window's title, the
// command, the man page, the about page and the metainfo name one version.
TEST_F(InstallTest, CommandAndManPage) {
    QProcess version;
    ASSERT_EQ(
        RunToEnd(version, m_prefix + QStringLiteral("/bin/tarnel"), {QStringLiteral("--version")}),
        0);
    EXPECT_EQ(version.readAllStandardOutput(), QByteArray("tarnel 0.77\n"));
    EXPECT_EQ(AppTexts::MainTitle(),
              QStringLiteral("Tarnel (웹문서 캡쳐 및 인쇄용 프로그램, Ver 0.77)"));
    const auto installed = [this](const char* path) {
        QFile file(m_prefix + QLatin1Char('/') + QString::fromUtf8(path));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    EXPECT_TRUE(installed("share/man/man1/tarnel.1")
                    .startsWith(QLatin1String(".TH TARNEL 1 \"2026\" \"Tarnel 0.77\"")));
    EXPECT_TRUE(installed("share/tarnel/about/index.html")
                    .contains(QStringLiteral("웹문서 캡쳐 및 인쇄용 프로그램, Ver 0.77<")));
    EXPECT_TRUE(installed("share/metainfo/example.tarnel.Tarnel.metainfo.xml")
                    .contains(QLatin1String("<release version=\"0.77\"")));
    EXPECT_FALSE(QFile::exists(m_prefix + QStringLiteral("/share/tarnel/about/index.html.in")));
    QProcess man;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MANPAGER"), QStringLiteral("cat"));
    man.setProcessEnvironment(env);
    ASSERT_EQ(
        RunToEnd(man, QStringLiteral("man"),
                 {QStringLiteral("-l"), m_prefix + QStringLiteral("/share/man/man1/tarnel.1")}),
        0);
    const QByteArray page = man.readAllStandardOutput();
    EXPECT_TRUE(page.contains("--capture") && page.contains("EXIT STATUS")) << page.constData();
}
