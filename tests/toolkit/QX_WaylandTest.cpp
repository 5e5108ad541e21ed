#include "tests/support/TestSkin.h"
#include "tests/support/WaylandSession.h"
#include "toolkit/QX_Dialog.h"
#include "toolkit/QX_MessageDlg.h"
#include "toolkit/QX_WindowSystem.h"
#include "toolkit/QX_Wnd.h"

#include <QApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

constexpr const char* kSessionVariable = "ZELVANE_WAYLAND_SESSION";

bool TrackOutlineShown() {
    for (const QWidget* top : QApplication::topLevelWidgets())
        if (top->isVisible() && top->inherits("QX_TrackFrame"))
            return true;
    return false;
}

} // namespace

// Inside the compositor of the case below: the frame does not move or resize the window itself
// (the compositor would ignore it) and draws no outline at a screen position; dialogs and
// message boxes name their owner, so that the compositor can place them over it.
TEST(QX_FramesOnWayland, LeaveMovingAndPlacingToTheCompositor) {
    if (!qEnvironmentVariableIsSet(kSessionVariable))
        GTEST_SKIP() << "runs inside the Wayland session case";
    ASSERT_TRUE(QGuiApplication::platformName().startsWith(QLatin1String("wayland")));
    EXPECT_FALSE(QX_WindowSystem::WindowsPlaceThemselves());
    TestSkin();
    QX_Wnd w;
    w.m_strTitle = QStringLiteral("Tarnel");
    w.SetCaptionButtons(true, true, true);
    w.m_bResizable = true;
    ASSERT_TRUE(w.Create(QRect(40, 50, 400, 300)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const QRect before = w.geometry();

    QTest::mousePress(&w, Qt::LeftButton, {}, QPoint(100, 10));
    EXPECT_EQ(w.MouseMode(), QX_Wnd::ModeNone);
    QTest::mouseMove(&w, QPoint(140, 40));
    QTest::mouseRelease(&w, Qt::LeftButton, {}, QPoint(140, 40));
    EXPECT_EQ(w.geometry(), before) << "the caption moved the window itself";

    const QPoint grip = w.GripRect().center();
    QTest::mousePress(&w, Qt::LeftButton, {}, grip);
    EXPECT_EQ(w.MouseMode(), QX_Wnd::ModeNone);
    QTest::mouseMove(&w, grip + QPoint(60, 30));
    EXPECT_FALSE(TrackOutlineShown());
    QTest::mouseRelease(&w, Qt::LeftButton, {}, grip + QPoint(60, 30));
    EXPECT_EQ(w.geometry(), before) << "the grip resized the window itself";

    QX_Dialog dialog(0, &w);
    dialog.m_strTitle = QStringLiteral("dialog");
    dialog.Create();
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.windowHandle()->transientParent(), w.windowHandle());
    QX_MessageDlg box(QX_MessageDlg::kTemplateId, &dialog);
    box.AddLine(QStringLiteral("line"), 0);
    box.Prepare(false, QStringLiteral("box"), QX_MSG_INFORMATION, nullptr);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    EXPECT_EQ(box.windowHandle()->transientParent(), dialog.windowHandle());
}

// The case above, run by this program again as a client of its own headless weston. The
// protocol log shows that the compositor is told each dialog's owner. (The headless back end
// has no input devices, so the compositor is never actually asked to move or resize: that takes
// a real pointer press, which only the press's own serial can start.)
TEST(QX_FramesUnderWayland, AskTheCompositorAndNameTheOwnerOfEachDialog) {
    if (qEnvironmentVariableIsSet(kSessionVariable))
        GTEST_SKIP() << "already inside the session";
    if (!WaylandSession::Available())
        GTEST_SKIP() << "weston or Qt's Wayland platform plugin is not installed";
    WaylandSession weston;
    ASSERT_TRUE(weston.Start()) << weston.Error().toStdString();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    weston.AddTo(&env);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    env.remove(QStringLiteral("DISPLAY"));
    env.insert(QString::fromLatin1(kSessionVariable), QStringLiteral("1"));
    env.insert(QStringLiteral("WAYLAND_DEBUG"), QStringLiteral("client"));
    // The Wayland client library still holds a few of the platform plugin's objects at exit.
    QTemporaryDir scratch;
    QFile suppressions(scratch.filePath(QStringLiteral("lsan.supp")));
    ASSERT_TRUE(suppressions.open(QIODevice::WriteOnly) &&
                suppressions.write("leak:libwayland-client.so\n") > 0);
    suppressions.close();
    const QString lsan = env.value(QStringLiteral("LSAN_OPTIONS"));
    env.insert(QStringLiteral("LSAN_OPTIONS"),
               (lsan.isEmpty() ? QString() : lsan + QLatin1Char(':')) +
                   QStringLiteral("suppressions=") + suppressions.fileName());
    QProcess inner;
    inner.setProcessEnvironment(env);
    inner.setProcessChannelMode(QProcess::MergedChannels);
    inner.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=QX_FramesOnWayland.*")});
    const bool finished = inner.waitForFinished(120000);
    if (!finished)
        inner.kill();
    (void)inner.waitForFinished(5000);
    const QString out = QString::fromLocal8Bit(inner.readAll());
    const QRegularExpression protocol(QStringLiteral("\\w@\\d+\\.\\w+\\("));
    QString report; // the run's own lines, without the protocol log
    for (const QString& line : out.split(QLatin1Char('\n')))
        if (!line.contains(protocol))
            report += line + QLatin1Char('\n');
    ASSERT_TRUE(finished) << "the run did not end within 120 s\n" << report.toStdString();
    EXPECT_EQ(inner.exitCode(), 0) << report.toStdString();
    EXPECT_TRUE(out.contains(QLatin1String("[  PASSED  ] 1 test"))) << report.toStdString();
    const qsizetype owners = out.count(
        QRegularExpression(QStringLiteral("xdg_toplevel@\\d+\\.set_parent\\(xdg_toplevel@")));
    EXPECT_GE(owners, 2) << "the dialog and the message box name their owner";
}
