#include "tools/walk/PrintStep.h"

#include "review/PagePrintDlg.h"
#include "review/PagePrinter.h"
#include "toolkit/QX_Button.h"
#include "toolkit/QX_CheckBtn.h"
#include "tools/walk/ModalDriver.h"

#include <QDir>
#include <QImage>
#include <QTest>

#include <cstdio>
#include <memory>

PrintStep::PrintStep(ModalDriver& driver, const WalkOptions& options)
    : m_driver(driver), m_options(options) {}

bool PrintStep::Run(QX_Dialog* review, const PagePrinter& printer) {
    auto* print = qobject_cast<QX_Button*>(review->GetDlgItem(kPrintButtonId));
    if (print == nullptr) {
        m_strError = QStringLiteral("the review has no print button");
        return false;
    }
    const QString queue = m_options.m_strPrintQueue;
    const QString picture =
        QDir(m_options.m_strOutDir).filePath(QStringLiteral("print_dialog.png"));
    // Shared, not borrowed: when the dialog never opens (no used pages) the action outlives
    // this call.
    auto opened = std::make_shared<bool>(false);
    auto listed = std::make_shared<bool>(false);
    const SheetLayout layout =
        m_options.m_nPerSheet == 1 ? SheetLayout::OnePerSheet : SheetLayout::TwoPerSheet;
    const bool keep = m_options.m_bKeepProportions;
    m_driver.OnNextModal<PagePrintDlg>([=](PagePrintDlg* dlg) {
        *opened = true;
        *listed = dlg->Choose(queue, layout);
        // The box opens ticked; a click, as the user's, unticks it.
        if (QX_CheckBtn* box = dlg->KeepProportionsBox(); box && (box->GetCheck() != 0) != keep)
            QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, box->rect().center());
        dlg->grab().toImage().save(picture, "PNG");
        auto* ok = qobject_cast<QX_Button*>(dlg->GetDlgItem(IDOK));
        if (!*listed || ok == nullptr)
            dlg->EndDialog(IDCANCEL);
        else
            ok->Click();
    });
    const int before = printer.LastJobId();
    print->Click(); // the whole print runs here, its dialog and boxes in nested loops
    if (!*opened) {
        m_strError = QStringLiteral("the printer dialog did not open");
        return false;
    }
    if (!*listed) {
        m_strError = QStringLiteral("the printer dialog did not list ") + queue;
        return false;
    }
    if (printer.LastJobId() == before) {
        m_strError = QStringLiteral("CUPS did not accept the job for ") + queue;
        return false;
    }
    std::printf("job %d %d\n", printer.LastJobId(), printer.LastSheets());
    std::fflush(stdout);
    return true;
}
