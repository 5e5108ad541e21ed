#pragma once

#include <QImage>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QUrl>
#include <QVariant>
#include <QWidget>

class QEventLoop;
class QWebEngineView;
class QWebEngineProfile;
class ControlPage;

// The embedded web browser: navigation, history, the current address and title, and the
// document operations the whole-page capture needs (reached with JavaScript, waited for
// synchronously within a bound). One private off-the-record profile per control, so browsing
// leaves nothing on the user's disk.
class BrowserControl final : public QWidget {
    Q_OBJECT

  public:
    // Frame index meaning the top document rather than one of its frames.
    static constexpr int kTopDocument = -1;
    // Why the waits on the engine end early (see Interrupt).
    enum Interruption { NotInterrupted, Cancelled, DeadlinePassed };
    // Bound of the synchronous script waits, in milliseconds.
    static constexpr int kScriptTimeoutMs = 5000;

    explicit BrowserControl(QWidget* parent = nullptr);
    ~BrowserControl() override;

    // Holds the page's dialogs while it lives: each is answered at once and none is shown, so
    // that a capture's waits never stop on one. The control's own script waits hold them too.
    class DialogHold final {
      public:
        explicit DialogHold(BrowserControl* control);
        ~DialogHold();
        DialogHold(const DialogHold&) = delete;
        DialogHold& operator=(const DialogHold&) = delete;

      private:
        QPointer<BrowserControl> m_pControl;
    };

    // Call from main() before the QApplication exists: switches the engine's sandbox off only
    // when running as root (where it cannot start), shares OpenGL contexts and keeps the
    // engine's start-up complaints about the machine out of the program's output.
    static void PrepareEngine();
    // Whether the engine runs without its sandbox: as root, or because the environment says
    // so (QTWEBENGINE_DISABLE_SANDBOX, --no-sandbox in QTWEBENGINE_CHROMIUM_FLAGS). Once
    // PrepareEngine has run, the answer is the engine's.
    static bool RunsWithoutSandbox();

    // How many dialogs of its own (alert, confirm, prompt) a page may show after each page the
    // user opens; none by default (see ControlPage::SetDialogsPerPage).
    void SetPageDialogs(int perPage);

    // How the first control chose to draw (the scene graph, and why), for figures and reports;
    // empty before the first control exists.
    static QString GraphicsChoice();

    // Loads the text as an address bar reads it (see AddressResolver): "example.org" and
    // "localhost:3000" on the web, "/path/file.html" and existing "file.html" (relative to the
    // working directory) on disk, full URLs as they are. Empty text does nothing.
    void Navigate2(const QString& address);
    // The start page: home/index.html in the working directory.
    void GoHome();
    void GoBack();
    void GoForward();
    // Loads the current address again (a new renderer after the old one ended).
    void Reload();
    static QUrl HomeUrl();

    QString LocationURL() const;
    QString LocationName() const;
    bool IsLoading() const;

    // The view's size in pixels; writing resizes it at once, and the control with it unless
    // the control shows a still picture.
    int Width() const;
    int Height() const;
    void SetWidth(int width);
    void SetHeight(int height);
    // While on, the control shows a still picture of the view as it is now, and the view
    // behind it is sized by SetWidth and SetHeight alone: a capture's resizes and scrolling are
    // neither seen nor sent to the screen, and the window around keeps its layout. Off, the
    // view fills the control again and is seen.
    void SetStill(bool on);
    bool IsStill() const { return m_pStill != nullptr; }

    QWebEngineView* View() const { return m_pView; }

    // true when a document is loaded and answers scripts.
    bool HasDocument();

    // Runs script in the top document and waits for its value (at most timeoutMs).
    // false on timeout or when the page went away meanwhile.
    bool RunScript(const QString& script, QVariant* result = nullptr,
                   int timeoutMs = kScriptTimeoutMs);
    // Runs body as the body of an async function (it may await) and waits for the value it
    // returns (JSON-compatible), at most timeoutMs. false on timeout or a thrown error.
    bool RunAsyncScript(const QString& body, QVariant* result = nullptr,
                        int timeoutMs = kScriptTimeoutMs);

    // Document operations. frame is kTopDocument or an index into the top document's frames.
    int FrameCount();
    // true when the document has a body (not a frameset) and reads its full scroll size:
    // the larger of the body's and the root element's.
    bool BodyScrollSize(int frame, QSize* size);
    // "no" hides the document's scroll bars for the rendering; "yes" gives back exactly the
    // page's own scrolling. true when the document could be reached.
    bool SetBodyScroll(int frame, bool yes);

    // Pixels per view pixel that a capture keeps: the view's device pixel ratio rounded to the
    // nearest whole number, 1 .. 4.
    int CaptureScale() const;
    // The view's current rendering of the viewport, Format_RGB32, CaptureScale() pixels per view
    // pixel across and down (the engine's own pixels when that is the screen's ratio).
    QImage GrabViewport();

    // Ends every wait on the engine at once, and fails the waits after it, until
    // ClearInterruption: a long operation stops at its next step instead of waiting out each
    // step's bound. The renderer's end (RendererGone) ends them likewise.
    void Interrupt(Interruption why);
    void ClearInterruption() { m_interruption = NotInterrupted; }
    Interruption InterruptedBy() const { return m_interruption; }
    // true from the renderer's abnormal end until the next load starts: no script can answer.
    bool RendererGone() const { return m_bRendererGone; }
    // Whether user input is delivered during the waits (default: held back until they end).
    // Only for a caller that filters that input itself.
    void SetInputDuringWaits(bool on) { m_bInputDuringWaits = on; }
    // Lets the engine work for ms milliseconds, as the waits do.
    void Pump(int ms);

  Q_SIGNALS:
    // A document finished loading (every completed load of the top document).
    void DocumentComplete(const QUrl& url, bool ok);
    void TitleChanged(const QString& title);
    // The process drawing the page ended abnormally (it crashed or was killed).
    void RendererTerminated();
    // Interrupt was called: the current waits end.
    void Interrupted();

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void AddDocumentScripts();
    // Runs the loop until done() or the timeout; false when done() is still false.
    template <typename Done> bool WaitFor(Done done, int timeoutMs, QEventLoop& loop);
    void OnPageMenu(const QPoint& pos);

    QWebEngineProfile* m_pProfile = nullptr;
    ControlPage* m_pPage = nullptr;
    QWebEngineView* m_pView = nullptr;
    QWidget* m_pStill = nullptr; // the still picture over the view, while there is one
    quint64 m_nNextCallId = 1;
    bool m_bLoading = false;
    bool m_bRendererGone = false;
    bool m_bInputDuringWaits = false;
    Interruption m_interruption = NotInterrupted;
};
