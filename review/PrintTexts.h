#pragma once

#include <QString>

// The texts of printing that the program's maker chooses, in one place.
namespace PrintTexts {

// The maker as the printer dialog and the job name give it.
QString MakerName();
// The printer dialog's line saying that the maker develops and distributes the program free.
QString MakerLine();
// The print job's name: the display name, " - " and the maker.
QString JobName();
// The line added to the print error when the printer did not take the job.
QString JobRefusedLine();

} // namespace PrintTexts
