#include "app/AppTexts.h"
#include "app/CZelvaneApp.h"
#include "app/MainWnd.h"
#include "capture/BrowserControl.h"
#include "tests/support/PixelCount.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

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

// Puts an environment variable back as it was.
class SavedVariable final {
  public:
    explicit SavedVariable(const char* name)
        : m_name(name), m_value(qgetenv(name)), m_bSet(qEnvironmentVariableIsSet(name)) {}
    ~SavedVariable() {
        if (m_bSet)
            qputenv(m_name, m_value);
        else
            qunsetenv(m_name);
    }

  private:
    const char* m_name;
    QByteArray m_value;
    bool m_bSet;
};
} // namespace

TEST_F(AppStartTest, StartsBareAndUndoesItsSetUpAtExit) {
    CZelvaneApp app;
    ASSERT_TRUE(app.InitApplication());
    ASSERT_NE(app.AppFont(), nullptr);
    ASSERT_TRUE(app.InitInstance());
    MainWnd* wnd = app.MainWindow();
    ASSERT_NE(wnd, nullptr);

    // The tests run as root, where the engine has no sandbox: the caption says so.
    EXPECT_EQ(wnd->windowTitle(), AppTexts::MainCaption(BrowserControl::RunsWithoutSandbox()));
    if (geteuid() == 0) {
        EXPECT_NE(wnd->windowTitle(), AppTexts::MainTitle());
    }
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

// The caption's note follows the engine's sandbox, whatever switched it off.
TEST(MainCaption, NotesAnEngineWithoutItsSandbox) {
    const QString plain = QStringLiteral("Tarnel (웹문서 캡쳐 및 인쇄용 프로그램, Ver 0.77)");
    EXPECT_EQ(AppTexts::MainCaption(false), plain);
    EXPECT_TRUE(AppTexts::MainCaption(true).startsWith(plain + QLatin1Char(' ')));
    EXPECT_TRUE(AppTexts::MainCaption(true).contains(QStringLiteral("샌드박스")));

    const SavedVariable disable("QTWEBENGINE_DISABLE_SANDBOX"), flags("QTWEBENGINE_CHROMIUM_FLAGS");
    qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--lang=ko");
    EXPECT_FALSE(BrowserControl::RunsWithoutSandbox());
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--lang=ko --no-sandbox");
    EXPECT_TRUE(BrowserControl::RunsWithoutSandbox());
    qunsetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    EXPECT_TRUE(BrowserControl::RunsWithoutSandbox());
}

TEST_F(AppStartTest, InstanceWithoutApplicationSetUpFails) {
    CZelvaneApp app;
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(app.MainWindow(), nullptr);
}
