#pragma once

#include "tools/walk/WalkOptions.h"

#include <QObject>
#include <QString>

class CZelvaneApp;
class MainWnd;
class ModalDriver;

// Walks the program's main job with the real application objects: load a page, capture it
// with F3, select, cut with F4, work in the page review and write what each step showed into
// the output folder.
class Walker final : public QObject {
    Q_OBJECT

  public:
    explicit Walker(const WalkOptions& options, QObject* parent = nullptr);

    // 0 on success; 1 when the capture failed or a picture could not be written.
    int Run(CZelvaneApp& app);

    // The last thing that went wrong, for the caller to print.
    QString m_strError;

  private:
    bool LoadPage(MainWnd* wnd);
    // F8 and Alt+A when the options ask for them.
    bool BrowserDialogs(MainWnd* wnd);
    // Kills the page's renderer: the reload offer is answered OK and the page loads again.
    bool EndRenderer(MainWnd* wnd);
    bool Capture(MainWnd* wnd);
    bool Cut(MainWnd* wnd);
    bool SavePages(MainWnd* wnd);
    bool SaveImage(const QImage& image, const QString& name);
    QString OutPath(const QString& name) const;

    WalkOptions m_options;
    QString m_strMessage;   // the text of the last message box the window showed
    ModalDriver* m_pDriver; // prints and answers every message box, runs the review actions
};
