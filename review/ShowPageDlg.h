#pragma once

#include "pages/PageLayer.h"
#include "pages/ReviewPages.h"
#include "review/AdPanel.h"
#include "review/PagePrinter.h"
#include "toolkit/QX_Dialog.h"

#include <QFont>
#include <QPointer>
#include <QRect>

#include <memory>

class MarginReflow;
class PageImageView;
class PageSet;
class QPainter;
class QX_ListBox;
struct PageRecord;

// The modal page review: the list of pages with their used mark, the selected page in a page
// view, the margins of the selected page (preview and apply, the following pages reflow), image
// position adjust, printing and saving, and an advertisement panel. It borrows the page set and
// edits its records in place; nothing is kept when it closes.
class ShowPageDlg final : public QX_Dialog {
    Q_OBJECT

  public:
    static constexpr int kTemplateId = 130;
    // Control ids of the template and of the controls made over its frames.
    enum ControlId {
        IDC_SAVE = 1016,
        IDC_PRINT = 1017,
        IDC_PAGE_LIST_LABEL = 1001,
        IDC_PAGE_LIST_FRAME = 1011,
        IDC_VIEW_LABEL = 1002,
        IDC_VIEW_FRAME = 1012,
        IDC_AD_NOTICE = 1003,
        IDC_TOP_LABEL = 1004,
        IDC_TOP_EDIT = 1024,
        IDC_BOTTOM_LABEL = 1005,
        IDC_BOTTOM_EDIT = 1010,
        IDC_MARGIN_PREVIEW = 1013,
        IDC_MARGIN_APPLY = 1014,
        IDC_IMAGE_ADJUST = 1015,
        IDC_AUTO_BREAKS = 1018,
        IDC_PAGE_LIST = 22001,
    };
    static constexpr int kItemHeight = 18;

    // appFont (borrowed) draws the list, the labels and every message.
    explicit ShowPageDlg(const QFont* appFont, QWidget* parent = nullptr);
    ~ShowPageDlg() override;

    // The page set to review (borrowed); before the dialog is run.
    void SetPages(PageSet* pages);

    bool OnCommand(int id, int code) override;

    int CountUsedPages() const;
    // The k-th (from 0) used page in list order, or null.
    PageRecord* GetUsedPage(int k) const;
    // Drops an all-white last page (list item, record and buffer) when there are 2 or more.
    void DropBlankLastPage();
    // The pages as the list holds them, for printing and saving.
    ReviewPages Pages() const;
    // What the capture recorded, placed on those pages (nothing when it recorded nothing).
    PageLayer DocumentOnPages(const ReviewPages& pages) const;

    // true when the margins were rejected (a message was shown).
    bool ValidateMargins(int top, int bottom);

    QX_ListBox* PageList() const { return m_pPageList; }
    PageImageView* PageView() const { return m_pView; }
    AdPanel* Panel() const { return m_pAdPanel; }
    // The margin arithmetic over the page set; null before SetPages.
    MarginReflow* Reflow() const { return m_pReflow.get(); }
    const QFont* AppFont() const { return &m_appFont; }
    // The print routine behind the print button.
    const PagePrinter& Printer() const { return m_printer; }

    // The row painter of the page list.
    static void DrawPageItem(QWidget* parent, QX_ListBox* list, int index, QRect rowRect,
                             QPainter* dc, int selected);

  protected:
    bool OnInitDialog() override;
    // Enter in the dialog does nothing: only Close ends the review.
    void OnOK() override;

  private:
    void AttachControls();
    void CreatePageList();
    void CreatePageView();
    void OnPageSelChange();
    void OnPageDblClk();
    void OnMarginPreview();
    void OnMarginApply();
    void OnAutoBreaks();
    void OnImageAdjust();
    void OnPrint();
    void OnSaveFiles();
    void OnImageChanged();

    // Reads the two margin edits and validates them; false when rejected or nothing is selected.
    bool ReadMargins(int* top, int* bottom, int* selection);
    int GetDlgItemInt(int id) const;
    void SetDlgItemInt(int id, int value);
    // Gives the list one item per page of the set, each carrying its record, and repaints it.
    void SyncListToPages();
    PageRecord* RecordAt(int index) const;
    void ShowOutOfMemory();
    void ShowAdjustRefused();

    QFont m_appFont;
    PagePrinter m_printer;
    PageSet* m_pPages = nullptr;
    std::unique_ptr<MarginReflow> m_pReflow;
    int lastSelection = -1;
    QX_ListBox* m_pPageList = nullptr; // children of the dialog
    PageImageView* m_pView = nullptr;
    QPointer<AdPanel> m_pAdPanel;
};
