#include "review/PagePrintDlg.h"

#include "review/AdPanel.h"
#include "review/PrinterEntries.h"
#include "review/ReviewTexts.h"
#include "toolkit/QX_Button.h"
#include "toolkit/QX_CheckBtn.h"
#include "toolkit/QX_ListBox.h"
#include "toolkit/QX_Static.h"
#include "toolkit/QX_Theme.h"

#include <QPainter>
#include <QPen>

namespace {

constexpr COLORREF kLabelColor = QX_RGB(0, 128, 255);
constexpr COLORREF kSelectedText = QX_RGB(0, 64, 255);
constexpr COLORREF kSeparator = QX_RGB(220, 220, 220);
constexpr int kImageSpacing = 10;

const QX_DlgTemplateRegistrar kRegisterTemplate([] {
    QX_DlgTemplate t;
    t.id = PagePrintDlg::kTemplateId;
    t.cx = 299;
    t.cy = 297;
    t.items = {
        {IDOK, QX_CtrlKind::DefButton, QStringLiteral("확 인"), 85, 181, 60, 20, 0, false},
        {IDCANCEL, QX_CtrlKind::Button, QStringLiteral("취 소"), 146, 181, 60, 20, 0, false},
        {1001, QX_CtrlKind::Static, QStringLiteral("사용가능한 프린터 목록"), 8, 26, 87, 8, 0,
         false},
        {1011, QX_CtrlKind::Frame, QString(), 7, 38, 285, 99, 0, true},
        {PagePrintDlg::kTwoPerSheetId, QX_CtrlKind::RadioButton,
         QStringLiteral("A4 한장에 두개의 페이지(이미지)씩 출력하기"), 12, 147, 159, 10,
         QX_WS_GROUP, false},
        {PagePrintDlg::kOnePerSheetId, QX_CtrlKind::RadioButton,
         QStringLiteral("A4 한장에 한개의 페이지(이미지)씩 출력하기"), 12, 161, 159, 10, 0, false},
        {PagePrintDlg::kKeepProportionsId, QX_CtrlKind::CheckBox, QStringLiteral("비율 유지"), 200,
         161, 80, 10, 0, false},
        {PagePrintDlg::kMakerLineId, QX_CtrlKind::Static, ReviewTexts::MakerLine(), 9, 213, 213, 8,
         0, false},
        {PagePrintDlg::kAdFrameId, QX_CtrlKind::Frame, QString(), 7, 227, 285, 63, 0, true},
    };
    return t;
}());

// One printer row: the entry's text, then the same dotted separator as the page list.
void DrawPrinterItem(QWidget* parent, QX_ListBox* list, int index, QRect rect, QPainter* dc,
                     int selected) {
    const auto* dlg = static_cast<const PagePrintDlg*>(parent);
    dc->save();
    dc->setFont(dlg->font());
    dc->setPen(QX_ToQColor(selected ? kSelectedText : QX_RGB(0, 0, 0)));
    dc->drawText(QRect(rect.left() + 5, rect.top() + 2, rect.width() - 5, rect.height() - 2),
                 Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, list->GetText(index));
    QPen dots(QX_ToQColor(kSeparator), 1, Qt::DotLine);
    dc->setPen(dots);
    dc->drawLine(5, rect.bottom() - 1, rect.right() - 4, rect.bottom() - 1);
    dc->restore();
}

void AttachLabel(QWidget* dialog, int id, const QFont* font) {
    auto* label = new QX_Static(dialog);
    if (!label->Attach(id, dialog, font, font != nullptr)) {
        delete label;
        return;
    }
    label->SetTextColor(kLabelColor);
    label->SetTransparent(true);
}

} // namespace

PagePrintDlg::PagePrintDlg(QWidget* parent, const QFont* font)
    : QX_Dialog(kTemplateId, parent), m_pFont(font) {
    m_strTitle = QStringLiteral("프린터에 인쇄할 정보를 설정합니다.");
    if (font != nullptr)
        setFont(*font);
}

PagePrintDlg::~PagePrintDlg() = default;

bool PagePrintDlg::OnInitDialog() {
    QX_Dialog::OnInitDialog();
    auto* ok = new QX_Button(this);
    if (ok->TakeOver(this, IDOK))
        ok->SetImage(false, QStringLiteral("image/qs_ok.bmp"), kImageSpacing, false);
    auto* cancel = new QX_Button(this);
    if (cancel->TakeOver(this, IDCANCEL))
        cancel->SetImage(false, QStringLiteral("image/qs_cancel.bmp"), kImageSpacing, false);
    auto* two = new QX_CheckBtn(this);
    two->Attach(kTwoPerSheetId, this, m_pFont, m_pFont != nullptr);
    two->SetCheck(1);
    auto* one = new QX_CheckBtn(this);
    one->Attach(kOnePerSheetId, this, m_pFont, m_pFont != nullptr);
    auto* keep = new QX_CheckBtn(this);
    keep->Attach(kKeepProportionsId, this, m_pFont, m_pFont != nullptr);
    keep->SetCheck(1);
    AttachLabel(this, 1001, m_pFont);
    AttachLabel(this, kMakerLineId, m_pFont);

    m_pList = new QX_ListBox(this);
    m_pList->Create(this, 1011, kListId, 0, QX_ListBox::kWsBorder, QX_ListBox::kWsExStaticEdge);
    m_pList->SetDrawItemCallback(DrawPrinterItem);
    m_pList->SetItemHeight(kItemHeight);
    FillPrinterList();
    AdPanel::Create(this, kAdAddress, m_pFont);
    return true;
}

void PagePrintDlg::FillPrinterList() {
    const QStringList entries = PrinterEntries::Entries();
    for (const QString& entry : entries)
        m_pList->AddString(entry); // the list sorts what is added
    QStringList listed;
    for (int i = 0; i < m_pList->GetCount(); ++i)
        listed << m_pList->GetText(i);
    m_pList->SetCurSel(PrinterEntries::FindPrefix(listed, PrinterEntries::DefaultEntry()));
}

QX_CheckBtn* PagePrintDlg::LayoutRadio(SheetLayout choice) const {
    return qobject_cast<QX_CheckBtn*>(
        GetDlgItem(choice == SheetLayout::OnePerSheet ? kOnePerSheetId : kTwoPerSheetId));
}

QX_CheckBtn* PagePrintDlg::KeepProportionsBox() const {
    return qobject_cast<QX_CheckBtn*>(GetDlgItem(kKeepProportionsId));
}

bool PagePrintDlg::Choose(const QString& printerName, SheetLayout choice) {
    for (int i = 0; m_pList != nullptr && i < m_pList->GetCount(); ++i) {
        QString name;
        if (PrinterEntries::PrinterName(m_pList->GetText(i), &name) && name == printerName) {
            m_pList->SetCurSel(i);
            const bool one = choice == SheetLayout::OnePerSheet;
            LayoutRadio(SheetLayout::OnePerSheet)->SetCheck(one ? 1 : 0);
            LayoutRadio(SheetLayout::TwoPerSheet)->SetCheck(one ? 0 : 1);
            return true;
        }
    }
    return false;
}

void PagePrintDlg::OnOK() {
    const int selected = m_pList != nullptr ? m_pList->GetCurSel() : -1;
    if (selected < 0)
        return;
    printerEntry = m_pList->GetText(selected);
    const QX_CheckBtn* two = LayoutRadio(SheetLayout::TwoPerSheet);
    layout = (two != nullptr && two->GetCheck() != 0) ? SheetLayout::TwoPerSheet
                                                      : SheetLayout::OnePerSheet;
    const QX_CheckBtn* keep = KeepProportionsBox();
    keepProportions = keep != nullptr && keep->GetCheck() != 0;
    EndDialog(IDOK);
}
