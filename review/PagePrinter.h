#pragma once

#include "pages/ReviewPages.h"

#include <QFont>
#include <QPoint>
#include <QString>

class QPainter;
class QPrinter;
class QWidget;

// Prints the used pages of a review on a CUPS printer, one page per portrait A4 sheet or two
// side by side per landscape sheet: asks for the printer and layout, stores the orientation as
// the printer's default for this user, draws each page stretched into its slot and hands the
// job to the scheduler. Failures the user must know of are shown in message boxes over parent.
class PagePrinter final {
  public:
    // parent: the review dialog; font: the application font (both borrowed).
    PagePrinter(QWidget* parent, const QFont* font);

    // The review's print command: the no-pages message, the printer dialog, then Print.
    void OnPrint(const ReviewPages& pages);
    // Prints on the printer of a dialog entry ("name,driver,port"). true when the scheduler
    // accepted the job; otherwise the user has been told why.
    bool Print(const ReviewPages& pages, const QString& printerEntry, bool onePerSheet);

    // The printable area's offset from the sheet's top left corner, in tenths of a millimetre,
    // for the printer's present page size and orientation.
    static QPoint PrintingOffset(const QPrinter& printer);

    // The last accepted job: its number and sheet count (0 before any).
    int LastJobId() const { return m_nLastJobId; }
    int LastSheets() const { return m_nLastSheets; }

  private:
    // Draws the sheets into a document file for that printer; false when it cannot be made.
    bool RenderJob(const ReviewPages& pages, const QString& printerName, bool onePerSheet,
                   int sheets, const QString& file);
    void DrawSheet(QPainter* dc, const ReviewPages& pages, int sheet, bool onePerSheet, int ox,
                   int oy);
    void ShowError(const QString& title, const QString& line, const QString& detail = QString());

    QWidget* m_pParent;
    const QFont* m_pFont;
    int m_nLastJobId = 0;
    int m_nLastSheets = 0;
};
