#include "app/CaptureOptions.h"

#include "app/AppTexts.h"
#include "app/MainLayout.h"
#include "capture/AddressResolver.h"
#include "imaging/PageOutput.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace {

// The main window is made 1000 x 700 (CZelvaneApp::InitInstance).
constexpr int kMainWidth = 1000;
constexpr int kMainHeight = 700;
// Seconds a load may be given at most: beyond it the milliseconds leave an int.
constexpr double kMaxTimeoutS = 86400;

const QStringList& CommandOptions() {
    static const QStringList options = {QStringLiteral("--capture"),
                                        QStringLiteral("--out"),
                                        QStringLiteral("--pages"),
                                        QStringLiteral("--auto-breaks"),
                                        QStringLiteral("--rows"),
                                        QStringLiteral("--width"),
                                        QStringLiteral("--scale"),
                                        QStringLiteral("--timeout"),
                                        QStringLiteral("--capture-timeout"),
                                        QStringLiteral("--help"),
                                        QStringLiteral("--version")};
    return options;
}

// Qt's standard options, which QApplication reads and removes itself (with one dash or two);
// those that take the next argument as their value.
constexpr const char* kQtFlags[] = {"-reverse", "-widgetcount"};
constexpr const char* kQtValued[] = {
    "-platform",        "-platformpluginpath", "-platformtheme", "-plugin",
    "-qwindowgeometry", "-qwindowicon",        "-qwindowtitle",  "-session",
    "-display",         "-geometry",           "-style",         "-stylesheet"};
constexpr const char* kQtJoined[] = {"-style=", "-stylesheet=", "-qmljsdebugger="};
// Everything after it is handed to the web engine (Qt WebEngine's own separator).
const QLatin1String kEngineArguments("--webEngineArgs");

// How many arguments from index are Qt's own option (0: none).
int QtOptionLength(const QStringList& arguments, int index) {
    QString argument = arguments.at(index);
    if (argument == kEngineArguments)
        return int(arguments.size()) - index;
    if (argument.startsWith(QLatin1String("--")))
        argument.remove(0, 1);
    for (const char* flag : kQtFlags)
        if (argument == QLatin1String(flag))
            return 1;
    for (const char* joined : kQtJoined)
        if (argument.startsWith(QLatin1String(joined)))
            return 1;
    for (const char* valued : kQtValued)
        if (argument == QLatin1String(valued))
            return index + 1 < arguments.size() ? 2 : 0;
    return 0;
}

// "--name=value" as "--name".
QString OptionName(const QString& argument) {
    const qsizetype equals = argument.indexOf(QLatin1Char('='));
    return argument.startsWith(QLatin1String("--")) && equals > 0 ? argument.left(equals)
                                                                  : argument;
}

} // namespace

QSize CaptureOptions::DefaultViewSize() {
    return MainLayout(kMainWidth, kMainHeight).Content().size();
}

bool CaptureOptions::WantsCommand(const QStringList& arguments) {
    for (int i = 0; i < arguments.size(); ++i) {
        const int qt = QtOptionLength(arguments, i);
        if (qt == 0)
            return true; // ours, or a mistake the command reports
        i += qt - 1;
    }
    return false;
}

CaptureOptions::Format CaptureOptions::FormatOf(const QString& file) {
    const std::optional<PageOutput::Format> format = PageOutput::FormatOfFile(file);
    if (!format)
        return Format::None;
    switch (*format) {
    case PageOutput::Format::Png:
        return Format::Png;
    case PageOutput::Format::Jpeg:
        return Format::Jpeg;
    case PageOutput::Format::Bmp:
        return Format::Bmp;
    case PageOutput::Format::Pdf:
        break;
    }
    return Format::Pdf;
}

QString CaptureOptions::PageFile(const QString& file, int number) {
    return PageOutput::NumberedFile(file, number);
}

CaptureOptions::Mode CaptureOptions::Parse(const QStringList& arguments) {
    const QStringList ours = arguments.mid(0, arguments.indexOf(kEngineArguments));
    if (ours.contains(QLatin1String("--help")) || ours.contains(QLatin1String("-h")))
        return Mode::Help;
    if (ours.contains(QLatin1String("--version")))
        return Mode::Version;
    if (!WantsCommand(arguments))
        return Mode::Window;
    for (int i = 0; i < arguments.size(); ++i) {
        if (const int qt = QtOptionLength(arguments, i); qt > 0) {
            i += qt - 1; // QApplication takes these
            continue;
        }
        const QString option = OptionName(arguments.at(i));
        if (!CommandOptions().contains(option))
            return Fail(QStringLiteral("unknown argument: %1").arg(arguments.at(i)));
        if (!ReadOption(option, arguments, &i))
            return Mode::Error;
    }
    return Check() ? Mode::Capture : Mode::Error;
}

bool CaptureOptions::ReadOption(const QString& option, const QStringList& arguments, int* i) {
    CaptureJob* job = m_jobs.isEmpty() ? &m_defaults : &m_jobs.last();
    const bool takesValue =
        option == QLatin1String("--capture") || option == QLatin1String("--out") ||
        option == QLatin1String("--rows") || option == QLatin1String("--width") ||
        option == QLatin1String("--scale") || option == QLatin1String("--timeout") ||
        option == QLatin1String("--capture-timeout");
    QString value;
    if (takesValue && !Take(arguments, i, &value))
        return false;
    if (!takesValue && arguments.at(*i) != option) {
        Fail(QStringLiteral("%1 takes no value").arg(option));
        return false;
    }
    if (option == QLatin1String("--capture")) {
        if (m_bOutPending) {
            Fail(QStringLiteral("--capture %1 has no --out").arg(m_jobs.last().address));
            return false;
        }
        m_jobs.append(m_defaults);
        m_jobs.last().address = value;
        m_bOutPending = true;
    } else if (option == QLatin1String("--out")) {
        if (!m_bOutPending) {
            Fail(QStringLiteral("--out %1 follows no --capture").arg(value));
            return false;
        }
        job->out = value;
        m_bOutPending = false;
    } else if (option == QLatin1String("--pages")) {
        job->pages = true;
    } else if (option == QLatin1String("--auto-breaks")) {
        job->autoBreaks = true;
    } else if (option == QLatin1String("--rows")) {
        return ReadRows(value, job);
    } else if (option == QLatin1String("--width")) {
        return ReadWidth(value);
    } else if (option == QLatin1String("--scale")) {
        return ReadScale(value);
    } else if (option == QLatin1String("--timeout")) {
        return ReadSeconds(option, value, &m_nTimeoutMs);
    } else if (option == QLatin1String("--capture-timeout")) {
        return ReadSeconds(option, value, &m_nCaptureTimeoutMs);
    }
    return true;
}

// The value after "=" or in the next argument.
bool CaptureOptions::Take(const QStringList& arguments, int* index, QString* value) {
    const QString& argument = arguments.at(*index);
    const qsizetype equals = argument.indexOf(QLatin1Char('='));
    if (equals > 0) {
        *value = argument.mid(equals + 1);
    } else if (*index + 1 < arguments.size()) {
        *value = arguments.at(++*index);
    } else {
        Fail(QStringLiteral("%1 needs a value").arg(argument));
        return false;
    }
    if (value->isEmpty()) {
        Fail(QStringLiteral("%1 needs a value").arg(OptionName(argument)));
        return false;
    }
    return true;
}

bool CaptureOptions::ReadRows(const QString& text, CaptureJob* job) {
    const QStringList parts = text.split(QLatin1Char(','));
    bool topOk = false, bottomOk = false;
    const int top = parts.size() == 2 ? parts.at(0).trimmed().toInt(&topOk) : 0;
    const int bottom = parts.size() == 2 ? parts.at(1).trimmed().toInt(&bottomOk) : 0;
    if (!topOk || !bottomOk || top < 0 || bottom <= top) {
        Fail(QStringLiteral("--rows wants TOP,BOTTOM with 0 <= TOP < BOTTOM, not %1").arg(text));
        return false;
    }
    job->hasRows = true;
    job->top = top;
    job->bottom = bottom;
    return true;
}

bool CaptureOptions::ReadWidth(const QString& text) {
    bool ok = false;
    const int width = text.toInt(&ok);
    if (!ok || width < kMinWidth || width > kMaxWidth) {
        Fail(QStringLiteral("--width wants %1 to %2 pixels, not %3")
                 .arg(kMinWidth)
                 .arg(kMaxWidth)
                 .arg(text));
        return false;
    }
    m_viewSize.setWidth(width);
    return true;
}

bool CaptureOptions::ReadScale(const QString& text) {
    bool ok = false;
    const int scale = text.toInt(&ok);
    if (!ok || scale < 1 || scale > kMaxScale) {
        Fail(QStringLiteral("--scale wants 1 to %1 pixels per CSS pixel, not %2")
                 .arg(kMaxScale)
                 .arg(text));
        return false;
    }
    m_nScale = scale;
    return true;
}

bool CaptureOptions::ReadSeconds(const QString& option, const QString& text, int* ms) {
    bool ok = false;
    const double seconds = text.toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds <= 0 || seconds > kMaxTimeoutS) {
        Fail(QStringLiteral("%1 wants seconds above 0, not %2").arg(option, text));
        return false;
    }
    *ms = std::max(1, int(std::lround(seconds * 1000)));
    return true;
}

bool CaptureOptions::Check() {
    if (m_jobs.isEmpty()) {
        Fail(QStringLiteral("nothing to capture: --capture ADDRESS --out FILE is missing"));
        return false;
    }
    if (m_bOutPending) {
        Fail(QStringLiteral("--capture %1 has no --out").arg(m_jobs.last().address));
        return false;
    }
    for (const CaptureJob& job : std::as_const(m_jobs)) {
        if (!AddressResolver::Resolve(job.address, QDir::currentPath()).isValid()) {
            Fail(QStringLiteral("not an address: %1").arg(job.address));
            return false;
        }
        if (FormatOf(job.out) == Format::None) {
            Fail(QStringLiteral("%1: the file's ending must be .png, .jpg, .jpeg, .bmp or .pdf")
                     .arg(job.out));
            return false;
        }
    }
    return true;
}

CaptureOptions::Mode CaptureOptions::Fail(const QString& error) {
    if (m_strError.isEmpty())
        m_strError = error;
    return Mode::Error;
}

QString CaptureOptions::Version(const QString& program) {
    return QStringLiteral("%1 %2").arg(program, AppTexts::Version());
}

QString CaptureOptions::Usage(const QString& program) {
    const QSize view = DefaultViewSize();
    return QStringLiteral(
               "Usage: %1                 open the window\n"
               "       %1 --capture ADDRESS --out FILE [--pages] [--auto-breaks]\n"
               "              [--rows TOP,BOTTOM] [--capture ADDRESS --out FILE ...]\n"
               "              [--width N] [--scale N] [--timeout S] [--capture-timeout S]\n"
               "       %1 --help | --version\n"
               "\n"
               "Captures each whole web page as F3 does, without a window, and writes FILE.\n"
               "ADDRESS is read as the address box reads it. FILE's ending chooses the format:\n"
               ".png, .jpg or .jpeg, .bmp, or .pdf (one A4 page per 1024-row page).\n"
               "\n"
               "  --pages             1024-row pages as NAME001.EXT, NAME002.EXT, ... beside FILE\n"
               "  --auto-breaks       page breaks placed between identical rows, as 자동 나누기\n"
               "  --rows TOP,BOTTOM   keep only the document's rows TOP to BOTTOM - 1\n"
               "  --width N           the view's width in CSS pixels (default %2)\n"
               "  --scale N           N x N pixels per CSS pixel, 1 to 4 (default 1), as a screen\n"
               "                      of device pixel ratio N draws them; the layout, --rows and\n"
               "                      --width stay in CSS pixels; --pages pages are 1024 * N rows\n"
               "  --timeout S         seconds a page may take to load (default %3)\n"
               "  --capture-timeout S seconds a capture may take (default %4)\n"
               "\n"
               "Options after a --capture belong to it; given before the first they apply to all.\n"
               "Exit status: 0 every file written, 1 a page failed to load or to capture,\n"
               "2 bad command line, 3 a file could not be written (nothing half-written is "
               "left).\n"
               "\n"
               "Run it as your own user: as root the web engine runs without its sandbox,\n"
               "which is what keeps a hostile page away from the rest of the machine.\n")
        .arg(program)
        .arg(view.width())
        .arg(kDefaultTimeoutS)
        .arg(kDefaultCaptureTimeoutS);
}
