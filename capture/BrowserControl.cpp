#include "capture/BrowserControl.h"

#include "capture/AddressResolver.h"
#include "capture/ControlPage.h"
#include "capture/DocumentScripts.h"
#include "capture/PageMenu.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QMenu>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QQuickWindow>
#include <QTimer>
#include <QWebEngineContextMenuRequest>
#include <QWebEngineHistory>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include <unistd.h>

namespace {

// Our scripts run in their own world: the page's scripts cannot see or replace what they use.
constexpr quint32 kScriptWorld = QWebEngineScript::ApplicationWorld;

// The engine's start-up complaints about the machine it runs on (no GPU, no session folder,
// the sandbox we switched off ourselves): nothing the user can act on.
bool IsEngineStartupNoise(const QString& message) {
    return message == QLatin1String("Sandboxing disabled by user.") ||
           message.startsWith(QLatin1String("No suitable graphics backend found")) ||
           message.startsWith(QLatin1String("WebEngineContext used before")) ||
           message.startsWith(QLatin1String("WebEngineContext is used before")) ||
           message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"));
}

QtMessageHandler g_previousHandler = nullptr;

void FilterEngineMessages(QtMsgType type, const QMessageLogContext& context,
                          const QString& message) {
    if (type != QtFatalMsg && IsEngineStartupNoise(message))
        return;
    if (g_previousHandler) {
        g_previousHandler(type, context, message);
        return;
    }
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

void AddEngineFlag(const char* flag, const char* unlessPresent) {
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (flags.contains(unlessPresent))
        return;
    if (!flags.isEmpty())
        flags += ' ';
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags + flag);
}

// The software rasterisers OpenGL falls back to without a GPU (Mesa's, and Windows' under
// WSL): drawing the view through them composites and reads back every frame on the CPU, many
// times slower than Qt Quick's own software scene graph.
bool IsSoftwareRenderer(const QString& renderer) {
    static const char* const kNames[] = {"llvmpipe", "softpipe", "swrast", "software rasterizer",
                                         "basic render driver"};
    for (const char* name : kNames)
        if (renderer.contains(QLatin1String(name), Qt::CaseInsensitive))
            return true;
    return false;
}

// The renderer of an OpenGL context like the one Qt Quick would make; empty when the platform
// has no working OpenGL.
QString OpenGlRenderer() {
    QOpenGLContext context;
    if (const QOpenGLContext* shared = QOpenGLContext::globalShareContext())
        context.setFormat(shared->format());
    if (!context.create())
        return QString();
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface))
        return QString();
    const auto* name = reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER));
    QString renderer = name ? QString::fromLatin1(name) : QString();
    context.doneCurrent();
    return renderer;
}

// A scene graph the user named; empty when the program chooses.
QString UsersSceneGraph() {
    for (const char* name : {"QT_QUICK_BACKEND", "QMLSCENE_DEVICE", "QSG_RHI_BACKEND"})
        if (!qEnvironmentVariableIsEmpty(name))
            return QString::fromLatin1(name) + QLatin1Char('=') + qEnvironmentVariable(name);
    return QString();
}

QString g_graphicsChoice;

// Runs once, after the QApplication exists and before the engine and the first view start.
// Where OpenGL is a software rasteriser (a machine or remote session without a GPU), or missing,
// the view is drawn by Qt Quick's software scene graph and the engine draws in software from the
// start instead of finding out (and saying so) itself; a real GPU keeps OpenGL. A scene graph
// the user named stands. And the engine is told its language.
bool DecideEngineGraphics() {
    static const bool decided = [] {
        const QOpenGLContext* shared = QOpenGLContext::globalShareContext();
        const bool sharedContext = shared && shared->isValid();
        if (const QString named = UsersSceneGraph(); !named.isEmpty()) {
            g_graphicsChoice = QStringLiteral("scene graph as %1 says").arg(named);
        } else if (const QString renderer = OpenGlRenderer(); IsSoftwareRenderer(renderer)) {
            QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
            g_graphicsChoice = QStringLiteral("software scene graph (OpenGL is %1)").arg(renderer);
        } else if (renderer.isEmpty() || !sharedContext) {
            QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
            g_graphicsChoice = QStringLiteral("software scene graph (no OpenGL)");
        } else {
            g_graphicsChoice = QStringLiteral("OpenGL scene graph (%1)").arg(renderer);
        }
        if (!sharedContext || QQuickWindow::sceneGraphBackend() == QLatin1String("software"))
            AddEngineFlag("--disable-gpu", "--disable-gpu");
        // The engine's own pages and messages (an unreachable address, a missing file) speak
        // the program's language, whatever the desktop's.
        AddEngineFlag("--lang=ko", "--lang");
        return true;
    }();
    return decided;
}

// The view's last picture, shown over it while the view works out of sight.
class StillPicture final : public QWidget {
  public:
    StillPicture(const QPixmap& picture, QWidget* parent) : QWidget(parent), m_picture(picture) {
        // Opaque: the view's frames behind it are neither painted nor sent to the screen.
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFocusPolicy(Qt::NoFocus);
    }

  protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        const QRect picture(QPoint(0, 0), m_picture.deviceIndependentSize().toSize());
        for (const QRect& r : event->region().subtracted(picture))
            painter.fillRect(r, palette().color(QPalette::Base));
        painter.drawPixmap(0, 0, m_picture);
    }

  private:
    QPixmap m_picture;
};

// How long the still picture stays once the view is back: the view's next frames show the
// page as it was put back, not the last frame of the work before it.
constexpr int kStillLingerMs = 150;

} // namespace

template <typename Done> bool BrowserControl::WaitFor(Done done, int timeoutMs, QEventLoop& loop) {
    // An interruption ends the wait as a timeout would, at once.
    const auto over = [&] { return done() || m_interruption != NotInterrupted || m_bRendererGone; };
    if (over())
        return done();
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    const QMetaObject::Connection interrupted =
        connect(this, &BrowserControl::Interrupted, &loop, &QEventLoop::quit);
    timer.start(timeoutMs);
    // No user input meanwhile, unless the caller filters it.
    const QEventLoop::ProcessEventsFlags flags =
        m_bInputDuringWaits ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents;
    while (!over() && timer.isActive())
        loop.exec(flags);
    disconnect(interrupted);
    return done();
}

void BrowserControl::Pump(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec(m_bInputDuringWaits ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
}

void BrowserControl::Interrupt(Interruption why) {
    if (why == NotInterrupted || m_interruption != NotInterrupted)
        return;
    m_interruption = why;
    Q_EMIT Interrupted();
}

BrowserControl::BrowserControl(QWidget* parent)
    : QWidget(parent), m_pProfile((DecideEngineGraphics(), new QWebEngineProfile(this))),
      m_pPage(new ControlPage(m_pProfile, this)), m_pView(new QWebEngineView(this)) {
    m_pView->setPage(m_pPage);
    m_pView->setZoomFactor(1.0);
    AddDocumentScripts();
    // Placed by resizeEvent, not a layout: while the still picture shows, the view has a size
    // of its own.
    m_pView->setGeometry(rect());

    connect(m_pPage, &QWebEnginePage::loadStarted, this, [this] {
        m_bLoading = true;
        m_bRendererGone = false; // a new load starts a new renderer
    });
    connect(m_pPage, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
                if (status == QWebEnginePage::NormalTerminationStatus)
                    return;
                m_bRendererGone = true;
                Q_EMIT Interrupted(); // no script can answer now: the waits end
                Q_EMIT RendererTerminated();
            });
    connect(m_pPage, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        m_bLoading = false;
        Q_EMIT DocumentComplete(m_pPage->url(), ok);
    });
    connect(m_pPage, &QWebEnginePage::titleChanged, this, &BrowserControl::TitleChanged);
    m_pView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_pView, &QWidget::customContextMenuRequested, this, &BrowserControl::OnPageMenu);
}

void BrowserControl::AddDocumentScripts() {
    // Before the page's own scripts, so that the capture knows whether it must walk the page
    // for what loads on scrolling.
    const auto add = [this](const char* name, const QString& source, quint32 world) {
        QWebEngineScript script;
        script.setName(QString::fromLatin1(name));
        script.setSourceCode(source);
        script.setInjectionPoint(QWebEngineScript::DocumentCreation);
        script.setWorldId(world);
        script.setRunsOnSubFrames(false);
        m_pPage->scripts().insert(script);
    };
    add("zelvane-listen", DocumentScripts::ListenForScrollUsers(), kScriptWorld);
    add("zelvane-watch", DocumentScripts::WatchScrollUsers(), QWebEngineScript::MainWorld);
}

void BrowserControl::OnPageMenu(const QPoint& pos) {
    const QWebEngineContextMenuRequest* request = m_pView->lastContextMenuRequest();
    if (!request)
        return;
    QMenu* menu = PageMenu::Build(*request, m_pPage, this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(m_pView->mapToGlobal(pos));
}

BrowserControl::~BrowserControl() {
    // The page must go before its profile.
    delete m_pView;
    m_pView = nullptr;
    delete m_pPage;
    m_pPage = nullptr;
}

void BrowserControl::PrepareEngine() {
    // Installed once: a second call must not chain the filter to itself.
    if (const QtMessageHandler previous = qInstallMessageHandler(FilterEngineMessages);
        previous != FilterEngineMessages)
        g_previousHandler = previous;
    // The engine's sandbox cannot run as root; for everyone else it stays on.
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        AddEngineFlag("--no-sandbox", "--no-sandbox");
    // The engine's helper processes write their own diagnostics straight to the terminal;
    // only fatal ones are of use to a user.
    AddEngineFlag("--log-level=3", "--log-level");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The engine reports its graphics set-up at every start; users who want it set the rules.
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
}

bool BrowserControl::RunsWithoutSandbox() {
    return qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX") ||
           qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").contains("--no-sandbox");
}

BrowserControl::DialogHold::DialogHold(BrowserControl* control) : m_pControl(control) {
    if (m_pControl && m_pControl->m_pPage)
        m_pControl->m_pPage->HoldDialogs(true);
}

BrowserControl::DialogHold::~DialogHold() {
    if (m_pControl && m_pControl->m_pPage)
        m_pControl->m_pPage->HoldDialogs(false);
}

void BrowserControl::SetPageDialogs(int perPage) {
    m_pPage->SetDialogsPerPage(perPage);
}

void BrowserControl::Navigate2(const QString& address) {
    if (address.trimmed().isEmpty())
        return;
    const QUrl url = AddressResolver::Resolve(address, QDir::currentPath());
    if (url.isValid())
        m_pView->load(url);
}

QUrl BrowserControl::HomeUrl() {
    return QUrl::fromLocalFile(QFileInfo(QStringLiteral("home/index.html")).absoluteFilePath());
}

void BrowserControl::GoHome() {
    m_pView->load(HomeUrl());
}

void BrowserControl::GoBack() {
    m_pView->back();
}

void BrowserControl::GoForward() {
    m_pView->forward();
}

void BrowserControl::Reload() {
    m_pView->reload();
}

QString BrowserControl::LocationURL() const {
    return m_pPage->url().toString();
}

QString BrowserControl::LocationName() const {
    return m_pPage->title();
}

bool BrowserControl::IsLoading() const {
    return m_bLoading;
}

QString BrowserControl::GraphicsChoice() {
    return g_graphicsChoice;
}

int BrowserControl::Width() const {
    return m_pView->width();
}

int BrowserControl::Height() const {
    return m_pView->height();
}

void BrowserControl::SetWidth(int width) {
    if (m_pStill)
        m_pView->resize(width, m_pView->height());
    else
        resize(width, height());
}

void BrowserControl::SetHeight(int height) {
    if (m_pStill)
        m_pView->resize(m_pView->width(), height);
    else
        resize(width(), height);
}

void BrowserControl::SetStill(bool on) {
    if (on == IsStill())
        return;
    if (on) {
        auto* still = new StillPicture(m_pView->grab(), this);
        still->setGeometry(rect());
        still->raise();
        still->show();
        m_pStill = still;
        return;
    }
    m_pView->setGeometry(rect());
    // Deleted with the control if it goes first.
    QTimer::singleShot(kStillLingerMs, m_pStill, &QObject::deleteLater);
    m_pStill = nullptr;
}

void BrowserControl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // At once, not on the next event round: the capture needs the size now. The still picture
    // covers the control; the view behind it keeps the size the capture gave it.
    if (m_pStill)
        m_pStill->setGeometry(rect());
    else
        m_pView->setGeometry(rect());
}

bool BrowserControl::HasDocument() {
    if (m_pPage->url().isEmpty())
        return false;
    QVariant ready;
    return RunScript(QStringLiteral("document.readyState"), &ready) && ready.isValid() &&
           !ready.toString().isEmpty();
}

bool BrowserControl::RunScript(const QString& script, QVariant* result, int timeoutMs) {
    const DialogHold quiet(this);
    QEventLoop loop;
    struct Reply {
        bool done = false;
        QVariant value;
        QPointer<QEventLoop> loop;
    };
    auto reply = std::make_shared<Reply>();
    reply->loop = &loop;
    QPointer<BrowserControl> self(this);
    // The callback may come after a timeout, when the loop is gone: it holds only the reply.
    m_pPage->runJavaScript(script, kScriptWorld, [reply](const QVariant& value) {
        reply->value = value;
        reply->done = true;
        if (reply->loop)
            reply->loop->quit();
    });
    const bool ok = WaitFor([&] { return reply->done || !self; }, timeoutMs, loop);
    if (!ok || !self || !reply->done)
        return false;
    if (result)
        *result = reply->value;
    return true;
}

bool BrowserControl::RunAsyncScript(const QString& body, QVariant* result, int timeoutMs) {
    const DialogHold quiet(this);
    const quint64 id = m_nNextCallId++;
    struct Reply {
        bool done = false;
        bool ok = false;
        QString json;
    };
    auto reply = std::make_shared<Reply>();
    QEventLoop loop;
    auto conn = connect(m_pPage, &ControlPage::ScriptReply, &loop,
                        [&loop, reply, id](quint64 replyId, bool ok, const QString& json) {
                            if (replyId != id)
                                return;
                            reply->done = true;
                            reply->ok = ok;
                            reply->json = json;
                            loop.quit();
                        });
    QPointer<BrowserControl> self(this);
    m_pPage->runJavaScript(DocumentScripts::AsyncCall(body, m_pPage->ReplyTag(), id), kScriptWorld);
    const bool done = WaitFor([&] { return reply->done || !self; }, timeoutMs, loop);
    disconnect(conn);
    if (!done || !self || !reply->ok)
        return false;
    if (result)
        *result = QJsonDocument::fromJson(reply->json.toUtf8(), nullptr).toVariant();
    return true;
}

int BrowserControl::FrameCount() {
    QVariant count;
    if (!RunScript(QStringLiteral("window.frames.length"), &count))
        return 0;
    return count.toInt();
}

bool BrowserControl::BodyScrollSize(int frame, QSize* size) {
    QVariant value;
    if (!RunScript(DocumentScripts::MeasureBody(frame), &value))
        return false;
    const QVariantList list = value.toList();
    if (list.size() != 2)
        return false;
    *size = QSize(list.at(0).toInt(), list.at(1).toInt());
    return size->width() > 0 && size->height() > 0;
}

bool BrowserControl::SetBodyScroll(int frame, bool yes) {
    QVariant value;
    return RunScript(DocumentScripts::SetScroll(frame, yes), &value) && value.toBool();
}

int BrowserControl::CaptureScale() const {
    return std::clamp(int(std::lround(m_pView->devicePixelRatioF())), 1, 4);
}

QImage BrowserControl::GrabViewport() {
    const QPixmap pixmap = m_pView->grab();
    QImage image = pixmap.toImage();
    if (image.isNull())
        return image;
    // Only a screen ratio that is no whole number is scaled, to the nearest one.
    const QSize pixels = m_pView->size() * CaptureScale();
    if (image.size() != pixels)
        image = image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    image.setDevicePixelRatio(1.0);
    return image.format() == QImage::Format_RGB32 ? image
                                                  : image.convertToFormat(QImage::Format_RGB32);
}
