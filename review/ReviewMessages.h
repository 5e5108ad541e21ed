#pragma once

#include "review/PageFileSaver.h"
#include "review/PagePrinter.h"

#include <QString>

class QFont;
class QWidget;

// The review dialog's words about its work: what a print or a save did, and the questions it
// asks. The workers (PagePrinter, PageFileSaver, PageImageView) only return what happened; the
// dialog the user is looking at says it through this, in the program's message box.
class ReviewMessages final {
  public:
    // owner: the dialog the boxes are modal over; font: the application font (both borrowed).
    ReviewMessages(QWidget* owner, const QFont* font);

    void NothingToPrint() const;
    // Says why a print failed; a printed job needs no word.
    void PrintResult(const PagePrinter::Result& result) const;

    void NothingToSave() const;
    // Says what a save did. true when it succeeded and the user asked to see the folder.
    bool SaveResult(PageFileSaver::Outcome outcome, const PageFileSaver& saver) const;

    // After a band was cut out of the shown page: true to keep the change.
    bool KeepImageChange() const;

  private:
    void SaveFailed(const PageFileSaver& saver) const;
    void ScrollRefused(PageFileSaver::Outcome outcome, const PageFileSaver& saver) const;

    QWidget* m_pOwner;
    const QFont* m_pFont;
};
