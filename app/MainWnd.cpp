#include "app/MainWnd.h"

#include "app/AppTexts.h"
#include "app/CaptureInputGuard.h"
#include "app/MainCommands.h"
#include "app/MainLayout.h"
#include "browsers/AboutDlg.h"
#include "browsers/FindUrlDlg.h"
#include "capture/BrowserControl.h"
#include "capture/HtmlCaptureImageWnd.h"
#include "capture/WholePageCapture.h"
#include "review/ShowPageDlg.h"
#include "toolkit/QX_MessageDlg.h"
#include "toolkit/QX_Theme.h"
#include "toolkit/QX_ToolBar.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScopedValueRollback>
#include <QWebEngineView>
#include <QWindow>

MainWnd::MainWnd(const QFont& appFont, QWidget* parent) : QX_Wnd(parent), m_appFont(appFont) {
    m_strTitle = AppTexts::MainCaption(BrowserControl::RunsWithoutSandbox());
    m_bResizable = true;
    m_nMinWidth = 800;
    m_nMinHeight = 600;
    setMinimumSize(m_nMinWidth, m_nMinHeight);
    // Quitting on the last closed window ends the event loop, as the main window's
    // destruction ends the program.
    setAttribute(Qt::WA_QuitOnClose, true);
}

MainWnd::~MainWnd() {
    qApp->removeEventFilter(this);
    delete m_pBrowser;
    m_pBrowser = nullptr;
    FreePages();
    delete m_pCaptureView;
    m_pCaptureView = nullptr;
}

int MainWnd::OnCreate() {
    if (QX_Wnd::OnCreate() < 0)
        return -1;
    QDir().mkdir(QStringLiteral("user_image")); // an existing folder or a failure is fine here
    setCursor(Qt::ArrowCursor);
    SetCaptionButtons(true, true, true);
    CreateToolBar();
    CreateAddressBox();
    CreateBrowser();
    m_pCaptureView = new HtmlCaptureImageWnd(this);
    connect(m_pCaptureView, &HtmlCaptureImageWnd::CancelRequested, this,
            [this] { OnCancelCapture(); });
    LayoutChildren();
    // The keyboard table sees keys before the focused child, wherever the focus is inside.
    qApp->installEventFilter(this);
    return 0;
}

void MainWnd::CreateToolBar() {
    const QRect r = MainLayout(width(), height()).ToolBar();
    m_pToolBar = new QX_ToolBar(this);
    m_pToolBar->Create(this, IDC_MAIN_TOOLBAR, r.left(), r.top(), r.right() + 1, r.bottom() + 1, 0,
                       0, 0, &m_appFont);
    const QVector<QX_ToolButton> buttons = MainCommands::ToolButtons();
    m_pToolBar->SetButtons(int(buttons.size()), buttons.constData());
    m_pToolBar->RecalcLayout();
}

void MainWnd::CreateAddressBox() {
    m_pAddressBox = new QLineEdit(this);
    QX_SetCtrlId(m_pAddressBox, IDC_ADDRESS_BOX);
    m_pAddressBox->setFont(m_appFont);
    m_pAddressBox->setGeometry(MainLayout(width(), height()).AddressBox());
    m_pAddressBox->show();
}

void MainWnd::LayoutChildren() {
    if (!m_pToolBar)
        return; // nothing is placed before the toolbar exists
    const MainLayout layout(width(), height());
    m_pToolBar->setGeometry(layout.ToolBar());
    if (m_pAddressBox)
        m_pAddressBox->setGeometry(layout.AddressBox());
    if (m_pBrowser)
        m_pBrowser->setGeometry(layout.Content());
    if (m_pCaptureView)
        m_pCaptureView->setGeometry(layout.Content());
}

void MainWnd::resizeEvent(QResizeEvent* event) {
    QX_Wnd::resizeEvent(event);
    LayoutChildren();
}

void MainWnd::OnDraw(QPainter* dc) {
    QX_Wnd::OnDraw(dc);
    dc->save();
    dc->setFont(m_appFont);
    dc->setPen(QX_ToQColor(0xFF8000));
    const QPoint at = MainLayout(width(), height()).AddressLabel();
    const QFontMetrics fm(m_appFont);
    dc->drawText(at.x(), at.y() + fm.ascent(), AppTexts::AddressLabel());
    dc->restore();
}

bool MainWnd::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::ShortcutOverride)
        return FilterKey(watched, event);
    return QX_Wnd::eventFilter(watched, event);
}

// The keyboard table first, then Enter in the address box; everything else goes on.
bool MainWnd::FilterKey(QObject* watched, QEvent* event) {
    // Keys go to the focus widget (or straight to a widget a caller names). The receiver is
    // only compared, never called: the web engine delivers keys to its own objects too, which
    // carry no type information.
    QWidget* target = nullptr;
    if (watched == this || watched == m_pAddressBox)
        target = static_cast<QWidget*>(watched);
    else if (watched == windowHandle() && windowHandle())
        // A key from the keyboard comes to the window first and only then to the focus, which
        // inside a page is an object of the engine's own: the table must see it here, also
        // when a closed dialog left the application without a focus widget.
        target = focusWidget() ? focusWidget() : this;
    else if (QWidget* focus = QApplication::focusWidget(); focus && watched == focus)
        target = focus;
    if (!target || target->window() != this || !isVisible())
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    int command = 0;
    const bool inTable = MainCommands::Lookup(key->keyCombination(), &command);
    const bool enterInBox = target == m_pAddressBox &&
                            (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
                            !(key->modifiers() & ~Qt::KeypadModifier);
    if (!inTable && !enterInBox)
        return false;
    if (event->type() == QEvent::ShortcutOverride) {
        // Claim the key so that it arrives as a key press (no widget shortcut takes it).
        event->accept();
        return true;
    }
    if (key->isAutoRepeat() && command != 0)
        return true; // a held key runs its command once
    if (inTable) {
        if (command != 0 && event->spontaneous()) {
            OnCommand(command, 0);
        } else if (command != 0) {
            // A key the page gave back unused arrives inside the engine's own handling, where
            // the capture's waits on the engine would never be answered: it runs afterwards.
            QMetaObject::invokeMethod(
                this, [this, command] { OnCommand(command, 0); }, Qt::QueuedConnection);
        }
    } else {
        NavigateTo(m_pAddressBox->text());
    }
    return true;
}

bool MainWnd::OnCommand(int id, int /*code*/) {
    switch (id) {
    case ID_GO_HOME:
        OnGoHome();
        return true;
    case ID_GO_BACK:
        OnGoBack();
        return true;
    case ID_GO_FORWARD:
        OnGoForward();
        return true;
    case ID_APP_EXIT:
        OnExit();
        return true;
    case ID_CAPTURE:
        OnCapture();
        return true;
    case ID_NEXT_STEP:
        OnNextStep();
        return true;
    case ID_CANCEL_CAPTURE:
        OnCancelCapture();
        return true;
    case ID_APP_ABOUT:
        OnAbout();
        return true;
    case ID_GET_ADDRESS:
        OnGetAddress();
        return true;
    default:
        return false;
    }
}

void MainWnd::CreateBrowser() {
    m_pBrowser = new BrowserControl(this);
    QX_SetCtrlId(m_pBrowser, IDC_BROWSER);
    // Only here does someone read a page's dialogs: a few per page, so none can hold the window.
    m_pBrowser->SetPageDialogs(kPageDialogs);
    m_pBrowser->setGeometry(MainLayout(width(), height()).Content());
    connect(m_pBrowser, &BrowserControl::DocumentComplete, this,
            [this](const QUrl&, bool) { OnDocumentComplete(); });
    connect(m_pBrowser, &BrowserControl::RendererTerminated, this,
            [this] { OnRendererTerminated(); });
    m_pBrowser->show();
    OnGoHome();
}

void MainWnd::NavigateTo(const QString& address) {
    if (captureMode != Browsing || !m_pBrowser || m_bBusy)
        return;
    m_pBrowser->Navigate2(address);
}

void MainWnd::OnGoHome() {
    if (captureMode == Browsing && m_pBrowser && !m_bBusy)
        m_pBrowser->GoHome();
}

void MainWnd::OnGoBack() {
    if (captureMode == Browsing && m_pBrowser && !m_bBusy)
        m_pBrowser->GoBack();
}

void MainWnd::OnGoForward() {
    if (captureMode == Browsing && m_pBrowser && !m_bBusy)
        m_pBrowser->GoForward();
}

void MainWnd::OnExit() {
    // Posted, as a close request from the keyboard must not delete the window under its handler.
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void MainWnd::OnDocumentComplete() {
    if (!m_pBrowser)
        return;
    const QString url = m_pBrowser->LocationURL();
    m_pAddressBox->setText(url);
    Q_EMIT DocumentCompleted(url);
}

void MainWnd::ShowBrowserWindow(bool show) {
    if (m_pBrowser)
        m_pBrowser->setVisible(show);
}

void MainWnd::FreePages() {
    m_pageSet.FreePages();
}

void MainWnd::OnCapture() {
    if (captureMode != Browsing || m_bBusy)
        return;
    const QPointer<QWidget> focusBefore = QApplication::focusWidget();
    QElapsedTimer clock;
    clock.start();
    QImage image;
    DocumentLayer layer;
    CaptureResult result = CaptureResult::Failed(CaptureResult::NothingToCapture);
    int scale = 1;
    {
        const QScopedValueRollback<bool> busy(m_bBusy, true);
        Q_EMIT CaptureStarted();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        if (m_pBrowser) {
            WholePageCapture capture(m_pBrowser);
            capture.SetProgress(
                [this](int done, int total) { Q_EMIT CaptureProgress(done, total); });
            const CaptureInputGuard guard(m_pBrowser, [&capture] { capture.Cancel(); });
            result = capture.CaptureWholePage(&image, &layer);
            scale = capture.Scale();
        }
        if (result && !m_pCaptureView->SetImage(std::move(image), std::move(layer), scale))
            result = CaptureResult::Failed(CaptureResult::OutOfMemory);
        QApplication::restoreOverrideCursor();
        // A cancel was the user's own wish: nothing to report.
        if (!result && result.Why() != CaptureResult::Cancelled)
            ShowCaptureError(result);
    }
    if (!result) {
        if (m_bReloadOffered)
            OfferReload();
        return;
    }
    captureMode = Selecting;
    m_pFocusBeforeCapture = focusBefore;
    ShowBrowserWindow(false);
    m_pCaptureView->show();
    m_pCaptureView->setFocus(Qt::OtherFocusReason);
    Q_EMIT CaptureFinished(clock.elapsed());
}

void MainWnd::ShowCaptureError(const CaptureResult& result) {
    QX_MessageDlg box(QX_MessageDlg::kTemplateId, this);
    box.AddLine(AppTexts::CaptureErrorLine1(), 0x000080);
    box.AddGap();
    box.AddLine(AppTexts::CaptureErrorLine2(), 0);
    box.AddLine(AppTexts::CaptureErrorLine3(), 0);
    box.AddGap();
    box.AddLine(AppTexts::CaptureErrorBoardLine(), 0xFF8000);
    box.AddGap();
    box.AddLine(AppTexts::CaptureFailureText(result), 0x000080);
    box.m_nAutoCloseMs = m_nMessageAutoCloseMs;
    const QStringList lines = {AppTexts::CaptureErrorLine1(), AppTexts::CaptureErrorLine2(),
                               AppTexts::CaptureErrorLine3(), AppTexts::CaptureErrorBoardLine(),
                               AppTexts::CaptureFailureText(result)};
    Q_EMIT MessageShown(AppTexts::CaptureErrorTitle(), lines.join(QLatin1Char('\n')));
    box.ShowMessage(false, AppTexts::CaptureErrorTitle(), QX_MSG_STOP, &m_appFont, QX_MSG_KOREAN);
}

void MainWnd::OnRendererTerminated() {
    m_bReloadOffered = true;
    // Not inside the engine's signal; and a capture in progress fails first and says why, its
    // message followed by the offer.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_bReloadOffered && !m_bBusy)
                OfferReload();
        },
        Qt::QueuedConnection);
}

void MainWnd::OfferReload() {
    m_bReloadOffered = false;
    QX_MessageDlg box(QX_MessageDlg::kTemplateId, this);
    box.AddLine(AppTexts::RendererEndedLine1(), 0x000080);
    box.AddGap();
    box.AddLine(AppTexts::RendererEndedLine2(), 0);
    box.m_nAutoCloseMs = m_nMessageAutoCloseMs;
    Q_EMIT MessageShown(AppTexts::RendererEndedTitle(), AppTexts::RendererEndedLine1() +
                                                            QLatin1Char('\n') +
                                                            AppTexts::RendererEndedLine2());
    const int answer = box.ShowMessage(true, AppTexts::RendererEndedTitle(), QX_MSG_QUESTION,
                                       &m_appFont, QX_MSG_KOREAN);
    if (answer == IDOK && m_pBrowser)
        m_pBrowser->Reload();
}

void MainWnd::OnCancelCapture() {
    if (captureMode != Selecting)
        return;
    captureMode = Browsing;
    ShowBrowserWindow(true);
    // The focus goes back before the capture view hides: else it would move on as by Tab, and
    // the page would take it to its first link instead of the field the user was typing in.
    if (m_pFocusBeforeCapture && m_pFocusBeforeCapture->isVisible())
        m_pFocusBeforeCapture->setFocus(Qt::OtherFocusReason);
    else if (m_pBrowser)
        m_pBrowser->View()->setFocus(Qt::OtherFocusReason);
    m_pFocusBeforeCapture.clear();
    m_pCaptureView->hide();
    SetCaptionButtons(true, true, true);
    update(QRect(width() - 100, 0, 100, 31));
}

void MainWnd::OnNextStep() {
    if (captureMode != Selecting || m_bBusy)
        return;
    OnCancelCapture();
    FreePages();
    m_bBusy = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = m_pCaptureView->CutPages(m_pageSet);
    QApplication::restoreOverrideCursor();
    m_bBusy = false;
    Q_EMIT PagesCut(ok ? m_pageSet.Count() : 0);
    if (ok && m_bReviewAfterCut)
        RunPageReview();
}

void MainWnd::RunPageReview() {
    // The dialog borrows the page set; its changes stay in it until the next F4.
    ShowPageDlg dialog(&m_appFont, this);
    dialog.SetPages(&m_pageSet);
    Q_EMIT ReviewOpening(&dialog);
    dialog.DoModal();
}

void MainWnd::OnAbout() {
    AboutDlg dlg(AppTexts::AboutTitle(), AppTexts::AboutLabel(), this, &m_appFont);
    dlg.DoModal();
}

void MainWnd::OnGetAddress() {
    FindUrlDlg dlg(this, &m_appFont);
    dlg.SetEmptyNote(AppTexts::NoBrowserPages());
    if (dlg.DoModal() != IDOK)
        return;
    // While selecting the box shows the address, and NavigateTo leaves the browser alone.
    m_pAddressBox->setText(dlg.m_strUrl);
    NavigateTo(dlg.m_strUrl);
}
