#pragma once

#include "tools/walk/WalkOptions.h"

#include <QString>

class ModalDriver;
class PagePrinter;
class QX_Dialog;

// The walk's print step inside the review dialog: presses "인쇄하기" with the printer dialog
// answered as a user would (the queue's entry, the layout, OK), keeps a picture of the dialog
// and prints `job ID SHEETS` once CUPS has accepted the job.
class PrintStep final {
  public:
    static constexpr int kPrintButtonId = 1017;

    PrintStep(ModalDriver& driver, const WalkOptions& options);

    // Runs inside the review's loop; printer is the review's own print routine. false with
    // m_strError when the queue is not listed or no job was accepted.
    bool Run(QX_Dialog* review, const PagePrinter& printer);

    QString m_strError;

  private:
    ModalDriver& m_driver;
    WalkOptions m_options;
};
