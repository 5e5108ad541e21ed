#pragma once

#include "app/CaptureOptions.h"
#include "pages/DocumentLayer.h"

#include <QImage>
#include <QString>

#include <cstdio>
#include <memory>

class BrowserControl;
class QWidget;

// Runs the captures of a command line with one start of the engine and no window on screen:
// loads each address (within the timeout), captures the whole document as F3 does, keeps the
// rows asked for and writes the files. Reports go to standard error: nothing on success except,
// on a terminal, one progress line per capture. The QApplication must exist.
class CaptureRunner final {
  public:
    explicit CaptureRunner(const CaptureOptions& options, const QString& program,
                           std::FILE* report = stderr);
    ~CaptureRunner();
    CaptureRunner(const CaptureRunner&) = delete;
    CaptureRunner& operator=(const CaptureRunner&) = delete;

    // Every job in order, the later ones after a failure too; the status of the first failure
    // (CaptureOptions::Status), or kDone.
    int Run();
    // One job: kDone or the failure's status.
    int RunJob(const CaptureJob& job);

    // Shows progress lines (on by default when the report stream is a terminal).
    void SetShowProgress(bool on) { m_bProgress = on; }

    // What the last job's capture recorded of its document (words, links, headings), in the
    // document pixels of the rows handed to the output; recorded only for a PDF, else empty.
    // The rows hold Scale() x Scale() pixels per document pixel.
    const DocumentLayer& Layer() const { return m_layer; }
    int Scale() const { return m_nScale; }

  private:
    void StartEngine();
    bool Load(const CaptureJob& job, QString* reason);
    bool Capture(const CaptureJob& job, QImage* rows, DocumentLayer* layer, QString* reason);
    void ShowProgress(const CaptureJob& job, int done, int total);
    int Report(int status, const QString& subject, const QString& message);

    const CaptureOptions& m_options;
    QString m_strProgram;
    std::FILE* m_pReport;
    std::unique_ptr<QWidget> m_pHost;
    BrowserControl* m_pControl = nullptr;
    bool m_bProgress = false;
    DocumentLayer m_layer;
    int m_nScale = 1; // pixels per document pixel of the last capture
};
