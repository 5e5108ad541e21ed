#pragma once

#include <QString>
#include <QStringList>

class CaptureResult;

// The program's own texts in one place: names, the main window's labels and the texts the
// program's maker chooses (the report board). The review's own texts are in review/ReviewTexts.
namespace AppTexts {

// The framework's application name and the main window's class name.
QString AppName();
// The display name shown to users.
QString DisplayName();
// The program's version, the project's in the build.
QString Version();
// The main window's caption.
QString MainTitle();
// The caption as shown: MainTitle, with a note when the web engine runs without its sandbox.
QString MainCaption(bool withoutSandbox);
// The label drawn left of the address box.
QString AddressLabel();

// Where users report pages that could not be captured.
QString ReportBoardUrl();

// The capture error message: title and lines (an empty string stands for a gap).
QString CaptureErrorTitle();
QString CaptureErrorLine1();
QString CaptureErrorLine2();
QString CaptureErrorLine3();
QString CaptureErrorBoardLine();
// The capture error message's title and lines in one line, for the command line.
QString CaptureErrorOneLine();
// Why a capture failed, in one sentence: the line the capture error message ends with.
QString CaptureFailureText(const CaptureResult& result);

// The offer to reload after the process drawing the page ended: title and lines.
QString RendererEndedTitle();
QString RendererEndedLine1();
QString RendererEndedLine2();

// F8's line in place of the list when no browser shows a page.
QString NoBrowserPages();

// The about box: its caption and the line above the bundled about page.
QString AboutTitle();
QString AboutLabel();

} // namespace AppTexts
