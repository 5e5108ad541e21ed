#include "app/CaptureCommand.h"

#include "app/AppTexts.h"
#include "app/CaptureOptions.h"
#include "app/CaptureRunner.h"
#include "capture/BrowserControl.h"

#include <QApplication>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>

namespace {

QStringList Arguments(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

QString ProgramName(char* argv[]) {
    return QFileInfo(QString::fromLocal8Bit(argv[0])).fileName();
}

} // namespace

bool CaptureCommand::Wanted(int argc, char* argv[]) {
    return CaptureOptions::WantsCommand(Arguments(argc, argv));
}

int CaptureCommand::Main(int argc, char* argv[]) {
    const QString program = ProgramName(argv);
    CaptureOptions options;
    switch (options.Parse(Arguments(argc, argv))) {
    case CaptureOptions::Mode::Help:
        std::fputs(qPrintable(CaptureOptions::Usage(program)), stdout);
        return CaptureOptions::kDone;
    case CaptureOptions::Mode::Version:
        std::printf("%s\n", qPrintable(CaptureOptions::Version(program)));
        return CaptureOptions::kDone;
    case CaptureOptions::Mode::Error:
    case CaptureOptions::Mode::Window:
        std::fprintf(stderr, "%s: %s\n%s", qPrintable(program), qPrintable(options.Error()),
                     qPrintable(CaptureOptions::Usage(program)));
        return CaptureOptions::kBadCommandLine;
    case CaptureOptions::Mode::Capture:
        break;
    }
    // No window is shown, so no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The engine draws --scale pixels per CSS pixel as on a screen of that ratio, whatever the
    // screen's own: the captures keep what it draws, the layout stays as at 1.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qunsetenv("QT_SCREEN_SCALE_FACTORS");
    qputenv("QT_SCALE_FACTOR", QByteArray::number(options.Scale()));
    BrowserControl::PrepareEngine();
    QApplication framework(argc, argv);
    QCoreApplication::setApplicationName(AppTexts::AppName());
    CaptureRunner runner(options, program);
    return runner.Run();
}
