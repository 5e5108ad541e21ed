#pragma once

#include <QString>

// The texts of the review library that the program's maker chooses, in one place: the notes of
// the review and save dialogs, the out-of-memory message, the advertisement panels' addresses
// and the messages about saved files beyond the save dialog's fixed wording.
namespace ReviewTexts {

// The note after the review dialog's title, pointing to the community board.
QString ReviewTitleNote();
// The advertising contact after the review dialog's advertisement notice.
QString AdvertisingContact();

// The message shown when a page buffer cannot be allocated: title and lines.
QString OutOfMemoryTitle();
QString OutOfMemoryLine1();
QString OutOfMemoryLine2();

// The built-in advertisement page address of a dialog (1 review, 2 save, 3 print): a text
// inside the program naming one of the bundled panel pages. Empty for other numbers.
QString BuiltInAdAddress(int number);
// The environment variable that overrides that address (ZELVANE_AD_URL_1 ...).
QByteArray AdAddressVariable(int number);
// The folder of the bundled panel pages, relative to the working directory.
QString AdPagesFolder();

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

// Saving with no page marked used: title and line (nothing is made).
QString NothingToSaveTitle();
QString NothingToSaveLine();
// The question after a save.
QString SavedTitle();
QString OpenFolderQuestion();
// The save dialog's line naming the folder the files really go to, and its note that a PDF is
// one file whether or not the scroll is ticked.
QString SaveFolderLine(const QString& folder);
QString PdfNote();

// Printing: the maker as the printer dialog and the job name give it, the printer dialog's line
// saying that the maker develops and distributes the program free, the print job's name (the
// display name, " - " and the maker, as saved documents are titled), and the line added when the
// printer did not take the job.
QString MakerName();
QString MakerLine();
QString JobName();
QString JobRefusedLine();
// Printing's messages: nothing to print, and an entry that names no printer.
QString PrintErrorTitle();
QString NothingToPrintLine();
QString PrinterSetupTitle();
QString PrinterSetupLine();

// The question after a band was cut out of the shown page: title and lines.
QString ImageChangedTitle();
QString ImageChangedQuestion();
QString ImageChangedLine1();
QString ImageChangedLine2();

} // namespace ReviewTexts
