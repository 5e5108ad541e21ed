#pragma once

#include "tests/support/WaitUntil.h"

#include <QString>

#include <gtest/gtest.h>

class BrowserControl;
class CZelvaneApp;
class HtmlCaptureImageWnd;
class MainWnd;
class TestPages;

// One main window with its browser for a whole suite, so that the engine starts once; each case
// begins in the browsing mode.
class MainWndFixture : public ::testing::Test {
  protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;

    static MainWnd* Wnd();
    static BrowserControl* Browser();
    static HtmlCaptureImageWnd* View();
    // Loads url through the program and waits until the address box shows it.
    static bool Load(const QString& url);
    // Load, then F3 in the address box; true once the capture view is up.
    static bool Capture(const QString& url);

    static CZelvaneApp* s_app;
    static TestPages* s_pages;
};
