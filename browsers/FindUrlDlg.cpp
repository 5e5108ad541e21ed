#include "browsers/FindUrlDlg.h"

#include "browsers/RunningBrowsers.h"
#include "toolkit/QX_Button.h"
#include "toolkit/QX_CheckBtn.h"
#include "toolkit/QX_ListBox.h"
#include "toolkit/QX_Skin.h"
#include "toolkit/QX_Static.h"
#include "toolkit/QX_Theme.h"

#include <QDir>
#include <QFontMetrics>
#include <QPainter>

namespace {
constexpr COLORREF kImageKey = 0x0000FF;
constexpr int kImageSpacing = 10;
constexpr quint32 kWsExStaticEdge = 0x00020000;

const QX_DlgTemplateRegistrar kTemplate(QX_DlgTemplate{
    FindUrlDlg::kTemplateId,
    419,
    240,
    QStringLiteral("굴림"),
    9,
    QX_WS_POPUP | QX_WS_VISIBLE | QX_DS_SETFONT,
    {
        {IDOK, QX_CtrlKind::DefButton, QStringLiteral("확 인"), 148, 213, 60, 20},
        {IDCANCEL, QX_CtrlKind::Button, QStringLiteral("취 소"), 209, 213, 60, 20},
        {FindUrlDlg::kIdPlaceholder, QX_CtrlKind::Frame, QString(), 7, 28, 405, 179},
        {FindUrlDlg::kIdRefresh, QX_CtrlKind::Button, QStringLiteral("목록 갱신"), 7, 213, 60, 20},
        {FindUrlDlg::kIdExplorer, QX_CtrlKind::CheckBox, QStringLiteral("탐색기 포함"), 71, 218, 60,
         10},
    }});
} // namespace

FindUrlDlg::FindUrlDlg(QWidget* parent, const QFont* font, const QString& home)
    : QX_Dialog(kTemplateId, parent), m_font(font ? *font : QX_Skin::Of(parent).HangulFont()),
      m_strHome(home.isEmpty() ? QDir::homePath() : home) {
    m_strTitle = QStringLiteral("실행되어 있는 웹브라우져의 URL 목록입니다.");
}

FindUrlDlg::~FindUrlDlg() = default;

bool FindUrlDlg::OnInitDialog() {
    QX_Dialog::OnInitDialog();
    SetCaptionButtons(false, true);
    m_pOk = new QX_Button(this);
    m_pCancel = new QX_Button(this);
    m_pRefresh = new QX_Button(this);
    m_pOk->TakeOver(this, IDOK);
    m_pCancel->TakeOver(this, IDCANCEL);
    m_pRefresh->TakeOver(this, kIdRefresh);
    m_pOk->SetImage(false, QStringLiteral("image/qs_ok.bmp"), kImageSpacing);
    m_pCancel->SetImage(false, QStringLiteral("image/qs_cancel.bmp"), kImageSpacing);
    m_pRefresh->SetImage(false, QStringLiteral("image/select_path16.bmp"), kImageSpacing, true,
                         kImageKey);
    m_pList = new QX_ListBox;
    m_pList->Create(this, kIdPlaceholder, kIdList, 0, QX_ListBox::kWsBorder, kWsExStaticEdge);
    m_pList->SetDrawItemCallback(&FindUrlDlg::DrawItem);
    m_pList->SetItemHeight(kItemHeight);
    m_pList->setFont(m_font);
    m_pExplorer = new QX_CheckBtn;
    m_pExplorer->Attach(kIdExplorer, this, &m_font, true);
    RefreshList();
    m_pList->setFocus(Qt::OtherFocusReason);
    return false;
}

bool FindUrlDlg::OnCommand(int id, int code) {
    if ((id == kIdRefresh || id == kIdExplorer) && code == QX_BN_CLICKED) {
        RefreshList();
        return true;
    }
    if (id == kIdList && code == QX_LBN_DBLCLK) {
        OnOK();
        return true;
    }
    return QX_Dialog::OnCommand(id, code);
}

BrowserPageList FindUrlDlg::Visible(const BrowserPageList& pages, bool includeExplorer) {
    BrowserPageList shown;
    for (const BrowserPage& page : pages)
        // Exactly these four letters: a "FILE:" address is listed either way.
        if (includeExplorer || !page.url.startsWith(QLatin1String("file"), Qt::CaseSensitive))
            shown << page;
    return shown;
}

void FindUrlDlg::RefreshList() {
    if (!m_pList)
        return;
    m_pList->ResetContent();
    m_urls.clear();
    RunningBrowsers browsers(m_strHome);
    browsers.Refresh();
    const bool explorer = m_pExplorer && m_pExplorer->GetCheck() == 1;
    for (const BrowserPage& page : Visible(browsers.Pages(), explorer)) {
        const int row = m_pList->AddString(page.title);
        m_pList->SetItemData(row, quintptr(m_urls.size()));
        m_urls << page.url;
    }
    if (m_pList->GetCount() > 0)
        m_pList->SetCurSel(0);
    ShowEmptyNote(m_pList->GetCount() == 0);
}

void FindUrlDlg::ShowEmptyNote(bool empty) {
    if (m_strEmptyNote.isEmpty())
        return;
    if (empty && !m_pEmptyNote) {
        m_pEmptyNote = new QX_Static(this);
        m_pEmptyNote->Create(m_strEmptyNote, QX_Static::kSsCenter | QX_Static::kSsCenterImage,
                             m_pList->geometry(), this, 0);
        m_pEmptyNote->setFont(m_font);
        m_pEmptyNote->SetTextColor(0x808080);
    }
    if (m_pEmptyNote)
        m_pEmptyNote->setVisible(empty);
    m_pList->setVisible(!empty);
}

QString FindUrlDlg::ItemUrl(int index) const {
    if (!m_pList || index < 0 || index >= m_pList->GetCount())
        return QString();
    const quintptr at = m_pList->GetItemData(index);
    return at < quintptr(m_urls.size()) ? m_urls.at(qsizetype(at)) : QString();
}

void FindUrlDlg::OnOK() {
    const int row = m_pList ? m_pList->GetCurSel() : -1;
    if (row < 0)
        return; // nothing chosen: the dialog stays
    m_strUrl = ItemUrl(row);
    EndDialog(IDOK);
}

void FindUrlDlg::DrawItem(QWidget* parent, QX_ListBox* list, int index, QRect rect, QPainter* dc,
                          int selected) {
    const auto* dlg = qobject_cast<const FindUrlDlg*>(parent);
    if (!dlg)
        return;
    dc->setFont(dlg->m_font);
    const QFontMetrics fm(dlg->m_font);
    const int left = rect.left() + 5;
    // The rows' room: long titles and addresses end in "..." rather than under the edge.
    const int room = std::max(0, rect.right() - 5 - left);
    const QString title = QLatin1Char('"') + list->GetText(index) + QLatin1Char('"');
    dc->setPen(QX_ToQColor(selected ? 0xFF0000 : 0xFF8000));
    dc->drawText(left, rect.top() + 3 + fm.ascent(), fm.elidedText(title, Qt::ElideRight, room));
    dc->setPen(QX_ToQColor(selected ? 0x000000 : 0x808080));
    dc->drawText(left, rect.top() + 16 + fm.ascent(),
                 fm.elidedText(dlg->ItemUrl(index), Qt::ElideMiddle, room));
    QPen dots(QX_ToQColor(0xDCDCDC), 1, Qt::DotLine);
    dc->setPen(dots);
    const int y = rect.bottom() + 1 - 2;
    dc->drawLine(5, y, rect.right() + 1 - 5, y);
}
