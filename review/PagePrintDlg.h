#pragma once

#include "toolkit/QX_Dialog.h"

#include <QFont>
#include <QString>

class QX_Button;
class QX_CheckBtn;
class QX_ListBox;

// The printer dialog: the printers CUPS knows, sorted, with the default one selected, and the
// choice of one or two pages per A4 sheet. After IDOK, printerEntry and onePerSheet hold the
// choice.
class PagePrintDlg final : public QX_Dialog {
    Q_OBJECT

  public:
    static constexpr int kTemplateId = 135;
    static constexpr int kListId = 22001;
    static constexpr int kTwoPerSheetId = 1025;
    static constexpr int kOnePerSheetId = 1026;
    static constexpr int kMakerLineId = 1002;
    static constexpr int kAdFrameId = 1020;
    static constexpr int kAdAddress = 3;
    static constexpr int kItemHeight = 18;

    // font: the application font, borrowed.
    PagePrintDlg(QWidget* parent, const QFont* font);
    ~PagePrintDlg() override;

    QString printerEntry;
    int onePerSheet = 0;

    // Valid after creation.
    QX_ListBox* PrinterList() const { return m_pList; }
    QX_CheckBtn* LayoutRadio(bool onePage) const;
    // Selects the entry of that printer and the layout, as a user would before OK. false when
    // the printer is not listed.
    bool Choose(const QString& printerName, bool onePage);

  protected:
    bool OnInitDialog() override;
    void OnOK() override;

  private:
    void FillPrinterList();

    const QFont* m_pFont;
    QX_ListBox* m_pList = nullptr;
};
