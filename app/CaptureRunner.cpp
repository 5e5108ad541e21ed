#include "app/CaptureRunner.h"

#include "app/AppTexts.h"
#include "app/CaptureOutput.h"
#include "capture/BrowserControl.h"
#include "capture/WholePageCapture.h"
#include "pages/PageLayer.h"
#include "pages/PageSet.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QHash>
#include <QTimer>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <new>

#include <unistd.h>

namespace {
// How long a stopped load may take to report its end.
constexpr int kStopWaitMs = 5000;

QString HttpReasonPhrase(int status) {
    static const QHash<int, const char*> phrases = {{400, "Bad Request"},
                                                    {401, "Unauthorized"},
                                                    {403, "Forbidden"},
                                                    {404, "Not Found"},
                                                    {405, "Method Not Allowed"},
                                                    {408, "Request Timeout"},
                                                    {410, "Gone"},
                                                    {429, "Too Many Requests"},
                                                    {500, "Internal Server Error"},
                                                    {501, "Not Implemented"},
                                                    {502, "Bad Gateway"},
                                                    {503, "Service Unavailable"},
                                                    {504, "Gateway Timeout"}};
    return QString::fromLatin1(phrases.value(status, ""));
}

// Why a load failed, in one line. For an error status of the server the engine's text is the
// template of its error page, so the status and the address are said instead.
QString LoadFailure(const QWebEngineLoadingInfo& info) {
    if (info.errorDomain() != QWebEngineLoadingInfo::HttpStatusCodeDomain)
        return QStringLiteral("%1 (%2)").arg(info.errorString()).arg(info.errorCode());
    const QString phrase = HttpReasonPhrase(info.errorCode());
    return QStringLiteral("HTTP %1%2: %3")
        .arg(info.errorCode())
        .arg(phrase.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(phrase))
        .arg(info.url().toDisplayString());
}

// The part of layer that rows top .. bottom - 1 of its image show, moved up to start at row 0:
// what is drawn there by its middle row (cut at the rows' edges), places (headings, link
// targets) that lie there.
DocumentLayer LayerRows(const DocumentLayer& layer, int width, int top, int bottom) {
    DocumentLayer rows;
    rows.title = layer.title;
    rows.address = layer.address;
    rows.captured = layer.captured;
    const auto keeps = [&](qreal y) { return y >= top && y < bottom; };
    const QPointF up(0, top);
    const QRectF all(0, 0, width, bottom - top);
    for (const DocumentLayer::Word& word : layer.words)
        if (keeps(word.box.center().y()))
            rows.words.push_back({word.text, word.box.translated(-up).intersected(all)});
    for (const DocumentLayer::Link& link : layer.links) {
        if (!keeps(link.box.center().y()))
            continue;
        DocumentLayer::Link kept = link;
        kept.box = link.box.translated(-up).intersected(all);
        kept.hasTarget = link.hasTarget && keeps(link.target.y());
        kept.target = kept.hasTarget ? link.target - up : QPointF();
        rows.links.push_back(kept);
    }
    for (const DocumentLayer::Heading& heading : layer.headings)
        if (keeps(heading.place.y()))
            rows.headings.push_back(
                {heading.level, heading.text, heading.place - up, heading.height});
    return rows;
}

} // namespace

CaptureRunner::CaptureRunner(const CaptureOptions& options, const QString& program,
                             std::FILE* report)
    : m_options(options), m_strProgram(program), m_pReport(report),
      m_bProgress(isatty(fileno(report)) != 0) {}

CaptureRunner::~CaptureRunner() = default;

void CaptureRunner::StartEngine() {
    auto control = std::make_unique<BrowserControl>();
    m_pControl = control.get();
    // Drawn for the capture but never put on a screen, whatever the platform.
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        control->setAttribute(Qt::WA_DontShowOnScreen);
    control->resize(m_options.ViewSize());
    control->show();
    m_pHost = std::move(control);
}

int CaptureRunner::Run() {
    int status = CaptureOptions::kDone;
    for (const CaptureJob& job : m_options.Jobs()) {
        const int result = RunJob(job);
        if (status == CaptureOptions::kDone)
            status = result;
    }
    return status;
}

int CaptureRunner::RunJob(const CaptureJob& job) {
    if (!m_pControl)
        StartEngine();
    QString reason;
    if (!Load(job, &reason))
        return Report(CaptureOptions::kCaptureFailed, job.address, reason);
    QImage rows;
    m_layer = DocumentLayer();
    if (!Capture(job, &rows, &m_layer, &reason))
        return Report(CaptureOptions::kCaptureFailed, job.address, reason);
    CaptureOutput output;
    const auto place = [this](const PageSet& set) {
        QList<const PageRecord*> pages;
        for (int i = 0; i < set.Count(); ++i)
            pages.append(set.Page(i));
        try {
            return PageLayer::Of(m_layer, pages, set.Geometry(), set.SourceLeft());
        } catch (const std::bad_alloc&) {
            // Short of memory the PDF is still written, as pictures only.
            return PageLayer();
        }
    };
    if (!output.Write(rows, job, place, m_nScale))
        return Report(CaptureOptions::kWriteFailed, output.FailedFile(), output.Reason());
    return CaptureOptions::kDone;
}

bool CaptureRunner::Load(const CaptureJob& job, QString* reason) {
    QWebEnginePage* page = m_pControl->View()->page();
    QEventLoop loop;
    bool finished = false, ok = false;
    QString error;
    QObject::connect(page, &QWebEnginePage::loadingChanged, &loop,
                     [&error](const QWebEngineLoadingInfo& info) {
                         if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus)
                             error = LoadFailure(info);
                     });
    QObject::connect(m_pControl, &BrowserControl::DocumentComplete, &loop,
                     [&](const QUrl&, bool done) {
                         finished = true;
                         ok = done;
                         loop.quit();
                     });
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(m_options.TimeoutMs());
    m_pControl->Navigate2(job.address);
    if (!finished)
        loop.exec();
    if (!finished) {
        // The stopped load still reports its end: it must not pass for the next one's.
        timer.start(kStopWaitMs);
        page->triggerAction(QWebEnginePage::Stop);
        if (!finished)
            loop.exec();
        *reason = QStringLiteral("the page did not load within %1 seconds")
                      .arg(m_options.TimeoutMs() / 1000.0);
        return false;
    }
    if (!ok)
        *reason = error.isEmpty() ? QStringLiteral("the page could not be loaded") : error;
    return ok;
}

bool CaptureRunner::Capture(const CaptureJob& job, QImage* rows, DocumentLayer* layer,
                            QString* reason) {
    WholePageCapture capture(m_pControl);
    capture.SetDeadline(m_options.CaptureTimeoutMs());
    bool shown = false;
    if (m_bProgress)
        capture.SetProgress([&](int done, int total) {
            ShowProgress(job, done, total);
            shown = true;
        });
    QImage image;
    // Only a PDF carries the document's text, links and headings.
    const bool record = CaptureOptions::FormatOf(job.out) == CaptureOptions::Format::Pdf;
    DocumentLayer recorded;
    const CaptureResult result = capture.CaptureWholePage(&image, record ? &recorded : nullptr);
    if (shown)
        std::fputc('\n', m_pReport);
    if (!result) {
        *reason = AppTexts::CaptureErrorOneLine() + QLatin1Char(' ') +
                  AppTexts::CaptureFailureText(result);
        return false;
    }
    m_nScale = capture.Scale();
    if (!job.hasRows) {
        *rows = std::move(image);
        *layer = std::move(recorded);
        return true;
    }
    // --rows counts document rows, as the layer does; the image has scale pixel rows for each.
    const int s = m_nScale, documentRows = image.height() / s;
    if (job.top >= documentRows) {
        *reason = QStringLiteral("rows %1,%2 lie below the document's %3 rows")
                      .arg(job.top)
                      .arg(job.bottom)
                      .arg(documentRows);
        return false;
    }
    const int kept = std::min(job.bottom, documentRows) - job.top;
    *rows = image.copy(0, job.top * s, image.width(), kept * s);
    *layer = LayerRows(recorded, image.width() / s, job.top, job.top + kept);
    if (rows->isNull())
        *reason = QStringLiteral("out of memory");
    return !rows->isNull();
}

void CaptureRunner::ShowProgress(const CaptureJob& job, int done, int total) {
    // One line per capture, rewritten in place.
    std::fprintf(m_pReport, "\r%s: %d / %d rows", qPrintable(job.address), done, total);
    std::fflush(m_pReport);
}

int CaptureRunner::Report(int status, const QString& subject, const QString& message) {
    std::fprintf(m_pReport, "%s: %s: %s\n", qPrintable(m_strProgram), qPrintable(subject),
                 qPrintable(message));
    std::fflush(m_pReport);
    return status;
}
