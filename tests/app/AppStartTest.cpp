#include "app/AppTexts.h"
#include "app/CZelvaneApp.h"
#include "app/MainWnd.h"
#include "tests/support/PixelCount.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
// Runs the test in an empty working directory: no image folder, no skin pack, no colour file.
class AppStartTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_strOld = QDir::currentPath();
        ASSERT_TRUE(m_dir.isValid());
        QDir::setCurrent(m_dir.path());
    }
    void TearDown() override { QDir::setCurrent(m_strOld); }

    QTemporaryDir m_dir;
    QString m_strOld;
};
} // namespace

TEST_F(AppStartTest, StartsBareAndUndoesItsSetUpAtExit) {
    CZelvaneApp app;
    ASSERT_TRUE(app.InitApplication());
    ASSERT_NE(app.AppFont(), nullptr);
    ASSERT_TRUE(app.InitInstance());
    MainWnd* wnd = app.MainWindow();
    ASSERT_NE(wnd, nullptr);

    EXPECT_EQ(wnd->windowTitle(), AppTexts::MainTitle());
    EXPECT_EQ(wnd->geometry(), QRect(10, 10, 1000, 700));
    EXPECT_TRUE(wnd->isVisible());
    EXPECT_TRUE(QDir(m_dir.path()).exists(QStringLiteral("user_image")));

    // Without skin files the window still draws: the default caption colours and the label.
    const QImage shot = wnd->grab().toImage();
    EXPECT_GT(CountNear(shot, QRect(10, 72, 100, 14), qRgb(0, 128, 255), 40), 20);
    EXPECT_GT(CountNear(shot, QRect(400, 2, 200, 28), qRgb(0xA6, 0x98, 0xF3), 60), 100);

    EXPECT_EQ(app.ExitInstance(7), 7); // the framework's exit code passes through
    EXPECT_EQ(app.MainWindow(), nullptr);
    EXPECT_EQ(app.AppFont(), nullptr);
}

TEST_F(AppStartTest, InstanceWithoutApplicationSetUpFails) {
    CZelvaneApp app;
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(app.MainWindow(), nullptr);
}
