#include "review/ShowPageDlg.h"

#include "pages/AutoBreaks.h"
#include "pages/MarginReflow.h"
#include "pages/PageSet.h"
#include "review/AdPanel.h"
#include "review/PageFileSaver.h"
#include "review/PageImageView.h"
#include "review/PagePrintDlg.h"
#include "review/ReviewMessages.h"
#include "review/ReviewTexts.h"
#include "review/SaveFileDlg.h"
#include "toolkit/QX_Button.h"
#include "toolkit/QX_CheckBtn.h"
#include "toolkit/QX_ListBox.h"
#include "toolkit/QX_MessageDlg.h"
#include "toolkit/QX_Static.h"
#include "toolkit/QX_Theme.h"

#include <QLineEdit>
#include <QPainter>

#include <climits>
#include <new>

namespace {

constexpr COLORREF kKeyRed = QX_RGB(255, 0, 0);
constexpr COLORREF kLabelBlue = QX_RGB(0, 128, 255);
constexpr COLORREF kNoticeBlue = QX_RGB(128, 128, 255);
constexpr COLORREF kMarginNavy = QX_RGB(0, 0, 128);
constexpr COLORREF kErrorRed = QX_RGB(128, 0, 0);
constexpr COLORREF kSelectedText = QX_RGB(0, 0, 255);
constexpr COLORREF kDotLine = QX_RGB(220, 220, 220);
constexpr quint32 kWsBorder = 0x00800000;
constexpr quint32 kWsExStaticEdge = 0x00020000;

QString AdNotice() {
    return QStringLiteral("이 프로그램이 무료로 사용될수 있게 도움을 주시는 분들을 위한 "
                          "광고창입니다. ^^;;") +
           ReviewTexts::AdvertisingContact();
}

QX_DlgTemplate ReviewTemplate() {
    using K = QX_CtrlKind;
    QX_DlgTemplate t;
    t.id = ShowPageDlg::kTemplateId;
    t.cx = 577;
    t.cy = 476;
    t.items = {
        {IDCANCEL, K::Button, QStringLiteral("닫 기         "), 7, 79, 71, 20},
        {ShowPageDlg::IDC_SAVE, K::Button, QStringLiteral("파일로 저장"), 7, 37, 71, 20},
        {ShowPageDlg::IDC_PRINT, K::Button, QStringLiteral("인쇄하기    "), 7, 58, 71, 20},
        {ShowPageDlg::IDC_PAGE_LIST_LABEL, K::Static, QStringLiteral("페이지 목록"), 10, 108, 47,
         8},
        {ShowPageDlg::IDC_PAGE_LIST_FRAME, K::Frame, QString(), 7, 121, 71, 348},
        {ShowPageDlg::IDC_VIEW_LABEL, K::Static, QStringLiteral("선택된 페이지에 대한 이미지"), 86,
         108, 99, 8},
        {ShowPageDlg::IDC_VIEW_FRAME, K::Frame, QString(), 82, 121, 488, 348},
        {ShowPageDlg::IDC_AD_NOTICE, K::Static, AdNotice(), 86, 26, 484, 8},
        {AdPanel::kFrameId, K::Frame, QString(), 82, 37, 488, 64},
        {ShowPageDlg::IDC_TOP_LABEL, K::Static, QStringLiteral("위쪽 여백 :"), 186, 108, 38, 8},
        {ShowPageDlg::IDC_TOP_EDIT, K::Edit, QString(), 228, 105, 26, 12},
        {ShowPageDlg::IDC_BOTTOM_LABEL, K::Static, QStringLiteral("아래쪽 여백 :"), 258, 108, 48,
         8},
        {ShowPageDlg::IDC_BOTTOM_EDIT, K::Edit, QString(), 310, 105, 26, 12},
        // Four controls share the row: the margin buttons leave room for 자동 나누기 and for
        // the check box's whole label.
        {ShowPageDlg::IDC_MARGIN_PREVIEW, K::Button, QStringLiteral("여백 미리보기"), 343, 103, 51,
         16},
        {ShowPageDlg::IDC_MARGIN_APPLY, K::Button, QStringLiteral("여백 적용하기"), 395, 103, 51,
         16},
        {ShowPageDlg::IDC_AUTO_BREAKS, K::Button, QStringLiteral("자동 나누기"), 447, 103, 44, 16},
        {ShowPageDlg::IDC_IMAGE_ADJUST, K::CheckBox, QStringLiteral("이미지 위치 조정"), 494, 108,
         76, 10},
    };
    return t;
}

const QX_DlgTemplateRegistrar kRegistrar(ReviewTemplate());

} // namespace

ShowPageDlg::ShowPageDlg(const QFont* appFont, QWidget* parent)
    : QX_Dialog(kTemplateId, parent), m_appFont(appFont ? *appFont : QX_StandardFont()) {
    m_strTitle = QStringLiteral("출력전에 페이지들을 체크하시기 바랍니다.  -  ") +
                 ReviewTexts::ReviewTitleNote();
}

ShowPageDlg::~ShowPageDlg() {
    // The panel's browser goes first, as the dialog's destruction releases it.
    delete m_pAdPanel.data();
}

void ShowPageDlg::SetPages(PageSet* pages) {
    m_pPages = pages;
    m_pReflow = pages ? std::make_unique<MarginReflow>(*pages) : nullptr;
}

bool ShowPageDlg::OnInitDialog() {
    QX_Dialog::OnInitDialog();
    SetCaptionButtons(false, true);
    AttachControls();
    CreatePageList();
    for (int i = 0; m_pPages && i < m_pPages->Count(); ++i) {
        m_pPageList->InsertString(i, QString());
        m_pPageList->SetItemData(i, quintptr(m_pPages->Page(i)));
    }
    DropBlankLastPage();
    m_pPageList->SetCurSel(0);
    CreatePageView();
    OnPageSelChange();
    m_pAdPanel = AdPanel::Create(this, 1, &m_appFont);
    // The keyboard starts in the page list: the arrows move through the pages.
    m_pPageList->setFocus(Qt::OtherFocusReason);
    return false;
}

void ShowPageDlg::AttachControls() {
    struct ButtonImage {
        int id;
        const char* path;
        bool transparent;
    };
    const ButtonImage buttons[] = {
        {IDCANCEL, "image/qs_ok.bmp", false},      {IDC_SAVE, "image/qx_save16.bmp", true},
        {IDC_PRINT, "image/qx_print16.bmp", true}, {IDC_MARGIN_PREVIEW, nullptr, false},
        {IDC_MARGIN_APPLY, nullptr, false},        {IDC_AUTO_BREAKS, nullptr, false}};
    for (const ButtonImage& b : buttons) {
        auto* button = new QX_Button(this);
        button->TakeOver(this, b.id);
        if (b.path)
            button->SetImage(false, QString::fromLatin1(b.path), 10, b.transparent, kKeyRed);
    }
    const std::pair<int, COLORREF> labels[] = {{IDC_PAGE_LIST_LABEL, kLabelBlue},
                                               {IDC_VIEW_LABEL, kLabelBlue},
                                               {IDC_AD_NOTICE, kNoticeBlue},
                                               {IDC_TOP_LABEL, kMarginNavy},
                                               {IDC_BOTTOM_LABEL, kMarginNavy}};
    for (const auto& [id, color] : labels) {
        auto* label = new QX_Static(this);
        label->Attach(id, this, &m_appFont, true);
        label->SetTextColor(color);
        label->SetTransparent(true);
    }
    (new QX_CheckBtn(this))->Attach(IDC_IMAGE_ADJUST, this, &m_appFont, true);
}

void ShowPageDlg::CreatePageList() {
    m_pPageList = new QX_ListBox(this);
    m_pPageList->Create(this, IDC_PAGE_LIST_FRAME, IDC_PAGE_LIST, 0, kWsBorder, kWsExStaticEdge);
    m_pPageList->setFont(m_appFont);
    m_pPageList->SetDrawItemCallback(&ShowPageDlg::DrawPageItem);
    m_pPageList->SetItemHeight(kItemHeight);
}

void ShowPageDlg::CreatePageView() {
    const QWidget* frame = GetDlgItem(IDC_VIEW_FRAME);
    const QRect rect = frame ? QRect(frame->mapTo(this, QPoint(0, 0)), frame->size()) : QRect();
    m_pView = new PageImageView(this);
    m_pView->SetPageGeometry(m_pPages ? m_pPages->Geometry() : PageGeometry());
    if (!m_pView->Create(rect, this, PageImageView::ctrlId)) {
        delete m_pView;
        m_pView = nullptr;
        ShowOutOfMemory();
        return;
    }
    connect(m_pView, &PageImageView::ImageChanged, this, &ShowPageDlg::OnImageChanged);
}

void ShowPageDlg::OnOK() {}

bool ShowPageDlg::OnCommand(int id, int code) {
    if (id == IDC_PAGE_LIST) {
        if (code == QX_LBN_SELCHANGE)
            OnPageSelChange();
        else if (code == QX_LBN_DBLCLK)
            OnPageDblClk();
        return true;
    }
    if (code != QX_BN_CLICKED)
        return QX_Dialog::OnCommand(id, code);
    switch (id) {
    case IDC_IMAGE_ADJUST:
        OnImageAdjust();
        return true;
    case IDC_SAVE:
        OnSaveFiles();
        return true;
    case IDC_MARGIN_PREVIEW:
        OnMarginPreview();
        return true;
    case IDC_MARGIN_APPLY:
        OnMarginApply();
        return true;
    case IDC_AUTO_BREAKS:
        OnAutoBreaks();
        return true;
    case IDC_PRINT:
        OnPrint();
        return true;
    default:
        return QX_Dialog::OnCommand(id, code);
    }
}

PageRecord* ShowPageDlg::RecordAt(int index) const {
    if (!m_pPageList || index < 0 || index >= m_pPageList->GetCount())
        return nullptr;
    return reinterpret_cast<PageRecord*>(m_pPageList->GetItemData(index));
}

void ShowPageDlg::DrawPageItem(QWidget* parent, QX_ListBox* list, int index, QRect rowRect,
                               QPainter* dc, int selected) {
    auto* dlg = qobject_cast<ShowPageDlg*>(parent);
    const PageRecord* record = dlg ? dlg->RecordAt(index) : nullptr;
    if (!record)
        return;
    dc->save();
    dc->setFont(*dlg->AppFont());
    dc->setPen(QX_ToQColor(selected ? kSelectedText : kLabelBlue));
    const QString text = QString::asprintf("Page %02d", index + 1) +
                         (record->used ? QStringLiteral(" 사용") : QStringLiteral(" 사용안함"));
    const QFontMetrics fm(dc->font());
    dc->drawText(rowRect.left() + 5, rowRect.top() + 3 + fm.ascent(), text);
    // A dotted rule of 3 pixels on, 3 off, from the list's own x 5 (not the row's) to 5 pixels
    // short of the row's right edge, 2 pixels above the row's bottom.
    dc->setPen(QX_ToQColor(kDotLine));
    const int y = rowRect.bottom() - 1;
    const int end = rowRect.right() + 1 - 5; // exclusive
    for (int x = list->RowArea().left() + 5; x < end; x += 6)
        dc->drawLine(x, y, qMin(x + 2, end - 1), y);
    dc->restore();
}

void ShowPageDlg::OnPageSelChange() {
    const int sel = m_pPageList ? m_pPageList->GetCurSel() : -1;
    if (sel == -1 || sel == lastSelection)
        return;
    lastSelection = sel;
    PageRecord* record = RecordAt(sel);
    if (m_pView)
        m_pView->ShowPage(record, true);
    SetDlgItemInt(IDC_TOP_EDIT, record->topMargin);
    SetDlgItemInt(IDC_BOTTOM_EDIT, record->bottomMargin);
}

void ShowPageDlg::OnPageDblClk() {
    const int sel = m_pPageList->GetCurSel();
    PageRecord* record = RecordAt(sel);
    if (!record)
        return;
    record->used = !record->used;
    m_pPageList->SetCurSel(sel);
    m_pPageList->update();
}

int ShowPageDlg::CountUsedPages() const {
    int count = 0;
    for (int i = 0; m_pPageList && i < m_pPageList->GetCount(); ++i)
        count += RecordAt(i)->used ? 1 : 0;
    return count;
}

PageRecord* ShowPageDlg::GetUsedPage(int k) const {
    for (int i = 0; m_pPageList && i < m_pPageList->GetCount(); ++i) {
        PageRecord* record = RecordAt(i);
        if (record->used && k-- == 0)
            return record;
    }
    return nullptr;
}

void ShowPageDlg::DropBlankLastPage() {
    if (!m_pPages || !m_pPageList || m_pPageList->GetCount() < 2)
        return;
    if (m_pReflow->DropBlankLastPage())
        m_pPageList->DeleteString(m_pPageList->GetCount() - 1);
}

ReviewPages ShowPageDlg::Pages() const {
    ReviewPages pages;
    for (int i = 0; m_pPageList && i < m_pPageList->GetCount(); ++i)
        pages.pages.append(RecordAt(i));
    pages.geometry = m_pPages ? m_pPages->Geometry() : PageGeometry();
    pages.sourceLeft = m_pPages ? m_pPages->SourceLeft() : 0;
    return pages;
}

bool ShowPageDlg::ValidateMargins(int top, int bottom) {
    QString line;
    if (top < 0 || bottom < 0)
        line = QStringLiteral("페이지 여백은 음수로 입력할수 없습니다.");
    else if (top > MarginReflow::maxTopMargin)
        line = QStringLiteral("페이지 위쪽 여백은 0 ~ 50 사이의 값만 사용할수 있습니다.");
    else if (bottom > MarginReflow::maxBottomMargin)
        line = QStringLiteral("페이지 아래쪽 여백은 0 ~ 400 사이의 값만 사용할수 있습니다.");
    else
        return false;
    QX_MessageDlg box(QX_MessageDlg::kTemplateId, this);
    box.AddLine(line, kErrorRed);
    box.ShowMessage(false, QStringLiteral("입력값을 확인해주세요!!"), QX_MSG_STOP, &m_appFont,
                    QX_MSG_KOREAN);
    return true;
}

bool ShowPageDlg::ReadMargins(int* top, int* bottom, int* selection) {
    *top = GetDlgItemInt(IDC_TOP_EDIT);
    *bottom = GetDlgItemInt(IDC_BOTTOM_EDIT);
    if (ValidateMargins(*top, *bottom))
        return false;
    *selection = m_pPageList->GetCurSel();
    return *selection >= 0 && m_pPages && *selection < m_pPages->Count();
}

void ShowPageDlg::OnMarginPreview() {
    int top = 0, bottom = 0, sel = -1;
    if (!ReadMargins(&top, &bottom, &sel))
        return;
    QByteArray preview;
    if (!m_pReflow->Preview(sel, top, bottom, preview)) {
        ShowOutOfMemory();
        return;
    }
    if (m_pView)
        m_pView->ShowPreview(top, bottom, reinterpret_cast<const quint8*>(preview.constData()));
}

void ShowPageDlg::OnMarginApply() {
    int top = 0, bottom = 0, sel = -1;
    if (!ReadMargins(&top, &bottom, &sel))
        return;
    if (m_pReflow->Apply(sel, top, bottom) != MarginReflow::ApplyResult::Applied) {
        ShowOutOfMemory();
        return;
    }
    SyncListToPages();
    if (m_pView)
        m_pView->ShowPage(RecordAt(sel), false);
}

void ShowPageDlg::OnAutoBreaks() {
    if (!m_pReflow || !m_pPageList || m_pPageList->GetCount() == 0)
        return;
    if (AutoBreaks::Apply(*m_pReflow) != MarginReflow::ApplyResult::Applied) {
        ShowOutOfMemory();
        return;
    }
    SyncListToPages();
    // The shown page is reloaded with its new margins; when it went (the content needs fewer
    // pages now), the last page is shown instead.
    int sel = m_pPageList->GetCurSel();
    if (sel < 0 || sel >= m_pPageList->GetCount()) {
        sel = m_pPageList->GetCount() - 1;
        m_pPageList->SetCurSel(sel);
    }
    lastSelection = sel;
    PageRecord* record = RecordAt(sel);
    if (m_pView)
        m_pView->ShowPage(record, false);
    SetDlgItemInt(IDC_TOP_EDIT, record->topMargin);
    SetDlgItemInt(IDC_BOTTOM_EDIT, record->bottomMargin);
}

void ShowPageDlg::SyncListToPages() {
    const int count = m_pPages->Count();
    while (m_pPageList->GetCount() > count)
        m_pPageList->DeleteString(m_pPageList->GetCount() - 1);
    while (m_pPageList->GetCount() < count)
        m_pPageList->InsertString(-1, QString());
    for (int i = 0; i < count; ++i)
        m_pPageList->SetItemData(i, quintptr(m_pPages->Page(i)));
    m_pPageList->update(); // the numbers follow the positions
}

void ShowPageDlg::OnImageAdjust() {
    auto* check = qobject_cast<QX_CheckBtn*>(GetDlgItem(IDC_IMAGE_ADJUST));
    if (!check || !m_pView)
        return;
    if (m_pView->SetAdjustMode(check->GetCheck() != 0))
        return;
    ShowAdjustRefused();
    check->SetCheck(0);
}

void ShowPageDlg::ShowAdjustRefused() {
    QX_MessageDlg box(QX_MessageDlg::kTemplateId, this);
    box.AddLine(QStringLiteral("페이지 여백에 대한 미리보기 기능을 사용을 사용한 상태에서는"),
                kErrorRed);
    box.AddLine(QStringLiteral("이미지 위치 조정 기능을 사용할 수 없습니다."), kErrorRed);
    box.AddGap();
    box.AddLine(QStringLiteral("이미지 위치 조정 기능을 사용하시려면 \"여백 적용하기\" 버튼을"),
                kMarginNavy);
    box.AddLine(QStringLiteral("눌러서 여백 정보를 적용시킨후에 사용하시면 됩니다."), kMarginNavy);
    box.ShowMessage(false, QStringLiteral("여백 조정중입니다!!"), QX_MSG_STOP, &m_appFont,
                    QX_MSG_KOREAN);
}

void ShowPageDlg::ShowOutOfMemory() {
    QX_MessageDlg box(QX_MessageDlg::kTemplateId, this);
    box.AddLine(ReviewTexts::OutOfMemoryLine1(), kErrorRed);
    box.AddGap();
    box.AddLine(ReviewTexts::OutOfMemoryLine2(), kMarginNavy);
    box.ShowMessage(false, ReviewTexts::OutOfMemoryTitle(), QX_MSG_STOP, &m_appFont, QX_MSG_KOREAN);
}

void ShowPageDlg::OnImageChanged() {
    if (ReviewMessages(this, &m_appFont).KeepImageChange() && m_pView)
        m_pView->KeepChange();
}

void ShowPageDlg::OnPrint() {
    const ReviewMessages say(this, &m_appFont);
    if (CountUsedPages() == 0) {
        say.NothingToPrint();
        return;
    }
    PagePrintDlg dlg(this, &m_appFont);
    if (dlg.DoModal() != IDOK)
        return;
    say.PrintResult(m_printer.Print(Pages(), dlg.printerEntry, {dlg.layout, dlg.keepProportions}));
}

void ShowPageDlg::OnSaveFiles() {
    // Nothing used: nothing to ask for and no folder to make.
    const ReviewMessages say(this, &m_appFont);
    if (CountUsedPages() == 0) {
        say.NothingToSave();
        return;
    }
    const QString folder = PageFileSaver::DefaultImageFolder();
    SaveFileDlg dlg(this, &m_appFont, folder);
    if (dlg.DoModal() != IDOK)
        return;
    const ReviewPages pages = Pages();
    PageFileSaver saver(pages, folder);
    saver.SetLayer(DocumentOnPages(pages));
    const bool scroll = dlg.scrollFormat != 0;
    if (say.SaveResult(saver.Save(dlg.saveName, dlg.format, scroll), saver))
        PageFileSaver::OpenFolder(saver.OutputFolder(dlg.saveName, dlg.format, scroll));
}

PageLayer ShowPageDlg::DocumentOnPages(const ReviewPages& pages) const {
    const DocumentLayer* document = m_pPages ? m_pPages->Document().get() : nullptr;
    if (!document)
        return {};
    QList<const PageRecord*> records(pages.pages.cbegin(), pages.pages.cend());
    try {
        return PageLayer::Of(*document, records, pages.geometry, pages.sourceLeft);
    } catch (const std::bad_alloc&) {
        // Short of memory the files are still written, as pictures only.
        return {};
    }
}

// As the platform reads a number from a control: leading blanks, an optional minus, the digits
// up to the first other character; no number (or one out of range) reads as 0.
int ShowPageDlg::GetDlgItemInt(int id) const {
    const auto* edit = qobject_cast<const QLineEdit*>(GetDlgItem(id));
    const QString text = edit ? edit->text() : QString();
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    const bool negative = i < text.size() && text.at(i) == QLatin1Char('-');
    i += negative ? 1 : 0;
    qint64 value = 0;
    bool digits = false;
    for (; i < text.size() && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9');
         ++i) {
        digits = true;
        value = value * 10 + (text.at(i).unicode() - '0');
        if (value > qint64(INT_MAX) + 1)
            return 0;
    }
    value = negative ? -value : value;
    if (!digits || value > INT_MAX || value < INT_MIN)
        return 0;
    return int(value);
}

void ShowPageDlg::SetDlgItemInt(int id, int value) {
    if (auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(id)))
        edit->setText(QString::number(value));
}
