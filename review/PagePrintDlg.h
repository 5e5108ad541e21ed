#pragma once

#include "pages/PrintGeometry.h"
#include "toolkit/QX_Dialog.h"

#include <QFont>
#include <QString>

class QX_Button;
class QX_CheckBtn;
class QX_ListBox;

// The printer dialog: the printers CUPS knows, sorted, with the default one selected, the
// choice of one or two pages per A4 sheet and whether pages keep their proportions (ticked each
// time the dialog opens: the program keeps no settings). After IDOK, printerEntry, layout and
// keepProportions hold the choice.
class PagePrintDlg final : public QX_Dialog {
    Q_OBJECT

  public:
    static constexpr int kTemplateId = 135;
    static constexpr int kListId = 22001;
    static constexpr int kTwoPerSheetId = 1025;
    static constexpr int kOnePerSheetId = 1026;
    static constexpr int kKeepProportionsId = 1027;
    static constexpr int kMakerLineId = 1002;
    static constexpr int kAdFrameId = 1020;
    static constexpr int kAdAddress = 3;
    static constexpr int kItemHeight = 18;

    // font: the application font, borrowed.
    PagePrintDlg(QWidget* parent, const QFont* font);
    ~PagePrintDlg() override;

    QString printerEntry;
    SheetLayout layout = SheetLayout::TwoPerSheet;
    bool keepProportions = true;

    // Valid after creation.
    QX_ListBox* PrinterList() const { return m_pList; }
    QX_CheckBtn* LayoutRadio(SheetLayout layout) const;
    QX_CheckBtn* KeepProportionsBox() const;
    // Selects the entry of that printer and the layout, as a user would before OK. false when
    // the printer is not listed.
    bool Choose(const QString& printerName, SheetLayout layout);

  protected:
    bool OnInitDialog() override;
    void OnOK() override;

  private:
    void FillPrinterList();

    const QFont* m_pFont;
    QX_ListBox* m_pList = nullptr;
};
