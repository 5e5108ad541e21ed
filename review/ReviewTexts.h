#pragma once

#include <QString>

// The review library's own texts that its maker chooses: notes in the output dialogs and the
// messages about saved files that go beyond the dialogs' fixed wording.
namespace ReviewTexts {

// The save dialog's line about the program being developed and handed out free of charge.
QString SaveFreeNote();

// A file could not be created or written: title and lines around the file's name.
QString SaveFailedTitle();
QString SaveFailedLine();
QString SaveFailedHint();
QString SaveFailedKeptLine();

// A scroll image that cannot be made: title, reasons and what to do instead.
QString ScrollRefusedTitle();
QString JpegScrollTooTallLine(int maxPages);
QString JpegScrollUsedPagesLine(int usedPages);
QString JpegScrollAdvice();
QString BmpScrollTooLargeLine();
QString BmpScrollAdvice();
QString NoUsedPagesLine();

} // namespace ReviewTexts
