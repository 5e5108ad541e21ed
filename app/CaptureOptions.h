#pragma once

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

// One --capture ADDRESS --out FILE pair and the options that belong to it.
struct CaptureJob {
    QString address;
    QString out;
    bool pages = false;      // one file per 1024-row page, NAME001.EXT, ...
    bool autoBreaks = false; // page breaks placed where they cut no line
    bool hasRows = false;    // keep only the rows top .. bottom - 1
    int top = 0;
    int bottom = 0;
};

// The program's command line, read without any window: the window mode (no arguments but Qt's
// own), --help (or -h), --version, or one or more captures. Options that belong to a capture
// (--pages,
// --auto-breaks, --rows) apply to the --capture they follow; given before the first --capture
// they apply to every capture. --width, --scale, --timeout and --capture-timeout apply to the
// whole run.
class CaptureOptions final {
  public:
    enum class Mode { Window, Capture, Help, Version, Error };
    enum class Format { None, Png, Jpeg, Bmp, Pdf };
    // The exit statuses of the command.
    enum Status { kDone = 0, kCaptureFailed = 1, kBadCommandLine = 2, kWriteFailed = 3 };

    static constexpr int kMinWidth = 100;
    static constexpr int kMaxScale = 4;
    static constexpr int kMaxWidth = 16000;
    static constexpr double kDefaultTimeoutS = 30;
    static constexpr double kDefaultCaptureTimeoutS = 300;

    // The arguments after the program's name; Mode::Error with Error() set when they are wrong.
    Mode Parse(const QStringList& arguments);

    const QList<CaptureJob>& Jobs() const { return m_jobs; }
    // The view's size: the main window's browser, its width replaced by --width.
    QSize ViewSize() const { return m_viewSize; }
    // Pixels per CSS pixel across and down that the captures keep (--scale), 1 .. kMaxScale.
    int Scale() const { return m_nScale; }
    int TimeoutMs() const { return m_nTimeoutMs; }
    // The bound of each capture, once its page has loaded.
    int CaptureTimeoutMs() const { return m_nCaptureTimeoutMs; }
    const QString& Error() const { return m_strError; }

    // Whether the arguments ask for anything but the window: any argument besides Qt's own
    // standard options (-platform NAME, -style S, ..., --webEngineArgs and what follows), so
    // that a wrong one is reported as a bad command line rather than opening the window.
    static bool WantsCommand(const QStringList& arguments);
    // The file format that FILE's ending names; Format::None for any other ending.
    static Format FormatOf(const QString& file);
    // The file of page number (from 1) beside FILE: dir/NAME001.EXT.
    static QString PageFile(const QString& file, int number);
    // The main window's browser size, which captures see by default.
    static QSize DefaultViewSize();

    static QString Usage(const QString& program);
    static QString Version(const QString& program);

  private:
    bool Take(const QStringList& arguments, int* index, QString* value);
    bool ReadOption(const QString& option, const QStringList& arguments, int* index);
    bool ReadRows(const QString& text, CaptureJob* job);
    bool ReadWidth(const QString& text);
    bool ReadScale(const QString& text);
    bool ReadSeconds(const QString& option, const QString& text, int* ms);
    bool Check();
    Mode Fail(const QString& error);

    QList<CaptureJob> m_jobs;
    CaptureJob m_defaults; // per-capture options given before the first --capture
    QSize m_viewSize = DefaultViewSize();
    int m_nScale = 1;
    int m_nTimeoutMs = int(kDefaultTimeoutS * 1000);
    int m_nCaptureTimeoutMs = int(kDefaultCaptureTimeoutS * 1000);
    QString m_strError;
    bool m_bOutPending = false;
};
