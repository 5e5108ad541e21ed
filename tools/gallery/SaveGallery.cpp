#include "review/PageFileSaver.h"
#include "review/SaveFileDlg.h"
#include "toolkit/QX_CheckBtn.h"
#include "toolkit/QX_Skin.h"
#include "tools/gallery/Gallery.h"

// The save dialog as it opens, and with PDF chosen.
void RenderSaveGallery(Gallery& gallery) {
    SaveFileDlg dlg(nullptr, QX_Skin::Default().FontHangul(), PageFileSaver::DefaultImageFolder());
    dlg.Create();
    gallery.Save(&dlg, QStringLiteral("save_dialog"));
    dlg.CheckButton(SaveFileDlg::kBmpRadio)->SetCheck(0);
    dlg.CheckButton(SaveFileDlg::kPdfRadio)->SetCheck(1);
    gallery.Save(&dlg, QStringLiteral("save_dialog_pdf"));
    gallery.Fact(QStringLiteral("save_dialog"), {dlg.width(), dlg.height()});
}
