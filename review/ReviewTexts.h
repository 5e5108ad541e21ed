#pragma once

#include <QString>

// The texts of the review library that the program's maker chooses, in one place: the notes of
// the review dialog, the out-of-memory message and the advertisement panels' addresses.
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

} // namespace ReviewTexts
