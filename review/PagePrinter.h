#pragma once

#include "pages/PrintGeometry.h"
#include "pages/ReviewPages.h"

#include <QPoint>
#include <QString>

class QPainter;
class QPrinter;

// Prints the used pages of a review on a CUPS printer, one page per portrait A4 sheet or two
// side by side per landscape sheet: stores the orientation as the printer's default for this
// user, draws each page into its slot (keeping its proportions, or stretched to fill it) and
// hands the job to the scheduler. It says nothing itself: Print returns what happened and the
// dialog the user is looking at tells them.
class PagePrinter final {
  public:
    struct Options {
        SheetLayout layout = SheetLayout::TwoPerSheet;
        bool keepProportions = true;
    };
    enum class Outcome {
        Printed,        // the scheduler took the job: jobId, sheets
        NothingToPrint, // no page is marked used
        BadEntry,       // the printer entry names no printer (no comma)
        NotRendered,    // the printer is gone or the document could not be made
        Refused,        // the scheduler refused the job: reason
    };
    struct Result {
        Outcome outcome = Outcome::NothingToPrint;
        int jobId = 0;
        int sheets = 0;
        QString reason;
    };

    // Prints on the printer of a dialog entry ("name,driver,port").
    Result Print(const ReviewPages& pages, const QString& printerEntry, const Options& options);

    // The printable area's offset from the sheet's top left corner, in tenths of a millimetre,
    // for the printer's present page size and orientation.
    static QPoint PrintingOffset(const QPrinter& printer);

    // The last accepted job: its number and sheet count (0 before any).
    int LastJobId() const { return m_nLastJobId; }
    int LastSheets() const { return m_nLastSheets; }

  private:
    // Draws the sheets into a document file for that printer; false when it cannot be made.
    bool RenderJob(const ReviewPages& pages, const QString& printerName, const Options& options,
                   int sheets, const QString& file);
    void DrawSheet(QPainter* dc, const ReviewPages& pages, int sheet, const Options& options,
                   QPoint offset);

    int m_nLastJobId = 0;
    int m_nLastSheets = 0;
};
