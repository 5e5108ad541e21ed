#include "review/PagePrintDlg.h"
#include "toolkit/QX_ListBox.h"
#include "toolkit/QX_Skin.h"
#include "tools/gallery/Gallery.h"

// The printer dialog as it opens, listing whatever printers CUPS_SERVER's scheduler has.
void RenderPrintGallery(Gallery& gallery) {
    PagePrintDlg dlg(nullptr, QX_Skin::Default().FontHangul());
    dlg.Create();
    gallery.Save(&dlg, QStringLiteral("print_dialog"));
    gallery.Fact(
        QStringLiteral("print_dialog"),
        {dlg.width(), dlg.height(), dlg.PrinterList()->GetCount(), dlg.PrinterList()->GetCurSel()});
}
