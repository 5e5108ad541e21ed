#pragma once

#include "pages/PageSet.h"
#include "toolkit/QX_Command.h"
#include "toolkit/QX_Wnd.h"

#include <QFont>
#include <QPointer>
#include <QString>

class BrowserControl;
class CaptureResult;
class HtmlCaptureImageWnd;
class QLineEdit;
class QX_ToolBar;
class ShowPageDlg;

// The program's only top-level window: the toolbar, the address label and box, and one content
// area showing either the web browser or, while selecting, the captured page. Commands come
// from the toolbar and from the keyboard table, which works wherever the focus is inside it.
class MainWnd final : public QX_Wnd, public QX_CommandTarget {
    Q_OBJECT

  public:
    enum CaptureMode : quint8 { Browsing = 0, Selecting = 1 };
    // Dialogs of its own (alert, confirm, prompt) a page may show after each page opened.
    static constexpr int kPageDialogs = 3;

    // appFont is copied; every child of the window draws with it.
    explicit MainWnd(const QFont& appFont, QWidget* parent = nullptr);
    ~MainWnd() override;

    bool OnCommand(int id, int code) override;
    // Loads the address exactly as typed; only while browsing.
    void NavigateTo(const QString& address);

    quint8 CaptureModeNow() const { return captureMode; }
    QX_ToolBar* ToolBar() const { return m_pToolBar; }
    QLineEdit* AddressBox() const { return m_pAddressBox; }
    // Null when the browser could not be created.
    BrowserControl* Browser() const { return m_pBrowser; }
    HtmlCaptureImageWnd* CaptureView() const { return m_pCaptureView; }
    // The pages of the last F4; they stay until the next F4 or the window's end.
    const PageSet& Pages() const { return m_pageSet; }

    // Message boxes the window shows close themselves after ms milliseconds (0: never), for
    // unattended runs.
    void SetMessageAutoCloseMs(int ms) { m_nMessageAutoCloseMs = ms; }
    // Whether F4 opens the page review after the cut (on by default; tests that only look at
    // the cut turn it off).
    void SetReviewAfterCut(bool on) { m_bReviewAfterCut = on; }

  Q_SIGNALS:
    // A message box is about to be shown: its title and its lines joined by newlines.
    void MessageShown(const QString& title, const QString& text);
    // The address box was updated from a completed document.
    void DocumentCompleted(const QString& url);
    // F3 began a capture; it runs the event loop while it waits on the browser.
    void CaptureStarted();
    // F3's capture has drawn done of its total rows.
    void CaptureProgress(int done, int total);
    // F3 switched to selecting.
    void CaptureFinished(qint64 milliseconds);
    // F4 cut the selection into the page set.
    void PagesCut(int count);
    // F4 is about to run the page review on the page set.
    void ReviewOpening(ShowPageDlg* dialog);

  protected:
    int OnCreate() override;
    void OnDraw(QPainter* dc) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void CreateToolBar();
    void CreateAddressBox();
    void CreateBrowser();
    void LayoutChildren();
    bool FilterKey(QObject* watched, QEvent* event);

    void OnGoHome();
    void OnGoBack();
    void OnGoForward();
    void OnExit();
    void OnCapture();
    void OnNextStep();
    void OnCancelCapture();
    void OnAbout();
    void OnGetAddress();
    void OnDocumentComplete();

    void ShowBrowserWindow(bool show);
    void FreePages();
    void ShowCaptureError(const CaptureResult& result);
    // The process drawing the page ended: the user may reload the page.
    void OnRendererTerminated();
    void OfferReload();
    void RunPageReview();

    QX_ToolBar* m_pToolBar = nullptr;
    QLineEdit* m_pAddressBox = nullptr;
    BrowserControl* m_pBrowser = nullptr;
    HtmlCaptureImageWnd* m_pCaptureView = nullptr;
    quint8 captureMode = Browsing;
    PageSet m_pageSet;
    QFont m_appFont;
    int m_nMessageAutoCloseMs = 0;
    bool m_bReviewAfterCut = true;
    bool m_bBusy = false; // a capture or cut is running (it may wait on the browser's events)
    bool m_bReloadOffered = false; // the renderer ended and the offer to reload is due
    // Where the keyboard focus was when F3 switched to selecting; F5 puts it back there.
    QPointer<QWidget> m_pFocusBeforeCapture;
};
