#include "review/SaveFileDlg.h"

#include "review/AdPanel.h"
#include "review/PageFileSaver.h"
#include "review/ReviewTexts.h"
#include "toolkit/QX_Button.h"
#include "toolkit/QX_CheckBtn.h"
#include "toolkit/QX_MessageDlg.h"
#include "toolkit/QX_Static.h"

#include <QFontMetrics>
#include <QLineEdit>

#include <algorithm>
#include <utility>

namespace {

constexpr COLORREF kErrorRed = QX_RGB(128, 0, 0);
constexpr COLORREF kNavy = QX_RGB(0, 0, 128);
constexpr COLORREF kNoteTeal = QX_RGB(128, 168, 168);
constexpr COLORREF kExampleGrey = QX_RGB(128, 128, 128);
constexpr int kButtonImageSpacing = 10;
constexpr int kAdAddress = 2;

QX_DlgItem Label(int id, const QString& text, int x, int y, int cx) {
    return {id, QX_CtrlKind::Static, text, x, y, cx, 8, 0, false};
}

const QX_DlgTemplateRegistrar kRegisterSaveDlg([] {
    QX_DlgTemplate t;
    t.id = SaveFileDlg::kTemplateId;
    t.cx = 299;
    t.cy = 276;
    t.items = {
        {SaveFileDlg::kNameEdit, QX_CtrlKind::Edit, QString(), 60, 27, 107, 14, 0, false},
        {SaveFileDlg::kScrollCheck, QX_CtrlKind::CheckBox, QStringLiteral("두루마리 형식으로 저장"),
         181, 30, 105, 10, 0, false},
        // One row of four formats, spread across the dialog.
        {SaveFileDlg::kBmpRadio, QX_CtrlKind::RadioButton, QStringLiteral("비트맵 형식"), 27, 143,
         58, 10, QX_WS_GROUP, false},
        {SaveFileDlg::kJpegRadio, QX_CtrlKind::RadioButton, QStringLiteral("JPEG 형식"), 89, 143,
         58, 10, 0, false},
        {SaveFileDlg::kPngRadio, QX_CtrlKind::RadioButton, QStringLiteral("PNG 형식"), 151, 143, 58,
         10, 0, false},
        {SaveFileDlg::kPdfRadio, QX_CtrlKind::RadioButton, QStringLiteral("PDF 형식"), 213, 143, 58,
         10, 0, false},
        {IDOK, QX_CtrlKind::DefButton, QStringLiteral("확 인"), 85, 160, 60, 20, QX_BS_OWNERDRAW,
         false},
        {IDCANCEL, QX_CtrlKind::Button, QStringLiteral("취 소"), 146, 160, 60, 20, QX_BS_OWNERDRAW,
         false},
        Label(1001, QStringLiteral("저장할 이름 :"), 6, 30, 50),
        Label(1005,
              QStringLiteral("이 프로그램이 설치된 경로에 보시면 user_image 라는 폴더가 "
                             "있습니다. 해당 폴더에"),
              7, 49, 285),
        Label(1006,
              QStringLiteral("사용자가 지정한 이름으로 폴더가 만들어지고, 그 폴더 안에 이미지 "
                             "파일이 생성됩니다."),
              7, 59, 285),
        Label(1002,
              QStringLiteral("예를들어, 저장할 이름에 name 이라고 명시하고 비트맵 형식을 "
                             "선택했다면"),
              18, 75, 268),
        Label(1003,
              QStringLiteral("user_image 폴더에 name 이라는 폴더가 생성되고 해당 폴더에 "
                             "name001.bmp, "),
              18, 85, 268),
        Label(1007,
              QStringLiteral("name002.bmp, name003.bmp, ... 식으로 페이지 수만큼 생성됩니다."), 18,
              95, 268),
        Label(1008,
              QStringLiteral("예외적으로, 두루마리 형식으로 저장되면 페이지 수에 상관없이 한개의 "
                             "파일로 만들기"),
              7, 112, 285),
        Label(1009, QStringLiteral("때문에 user_image 폴더에 지정한 이름의 파일이 생성됩니다."), 7,
              122, 285),
        Label(SaveFileDlg::kPdfNote, ReviewTexts::PdfNote(), 7, 131, 285),
        Label(1004, ReviewTexts::SaveFreeNote(), 7, 192, 213),
        {SaveFileDlg::kAdFrame, QX_CtrlKind::Frame, QString(), 7, 206, 285, 63, 0, false},
    };
    return t;
}());

} // namespace

SaveFileDlg::SaveFileDlg(QWidget* parent, const QFont* font, const QString& imageFolder)
    : QX_Dialog(kTemplateId, parent), m_pFont(font), m_strImageFolder(imageFolder) {
    m_strTitle = QStringLiteral("페이지 이미지들을 파일로 저장합니다.");
}

SaveFileDlg::~SaveFileDlg() = default;

QX_CheckBtn* SaveFileDlg::CheckButton(int id) const {
    return qobject_cast<QX_CheckBtn*>(GetDlgItem(id));
}

bool SaveFileDlg::OnInitDialog() {
    QX_Dialog::OnInitDialog();
    SetCaptionButtons(false, true);
    const std::pair<int, const char*> buttons[] = {{IDOK, "image/qs_ok.bmp"},
                                                   {IDCANCEL, "image/qs_cancel.bmp"}};
    for (const auto& [id, image] : buttons) {
        auto* button = new QX_Button(this);
        button->TakeOver(this, id);
        button->SetImage(false, QString::fromLatin1(image), kButtonImageSpacing, false);
    }
    for (int id : {kBmpRadio, kJpegRadio, kPngRadio, kPdfRadio, kScrollCheck}) {
        auto* check = new QX_CheckBtn(this);
        check->Attach(id, this, m_pFont, true);
    }
    CheckButton(kBmpRadio)->SetCheck(1);
    AttachLabels();
    m_pAdPanel = AdPanel::Create(this, kAdAddress, m_pFont);
    return true;
}

void SaveFileDlg::AttachLabels() {
    for (int id = 1001; id <= kPdfNote; ++id) {
        auto* label = new QX_Static(this);
        label->Attach(id, this, m_pFont, true);
        label->SetTextColor(kNoteTeal);
        label->SetTransparent(true);
        m_labels.append(label);
    }
    const std::pair<int, COLORREF> colours[] = {{1001, QX_RGB(0, 128, 255)},
                                                {1002, kExampleGrey},
                                                {1003, kExampleGrey},
                                                {1007, kExampleGrey},
                                                {1004, QX_RGB(128, 128, 255)}};
    for (const auto& [id, colour] : colours)
        m_labels[id - 1001]->SetTextColor(colour);
    // Installed, the program works in a folder of the user's own: say where the files go, a long
    // path shortened in its middle to fit the line.
    QX_Static* line = m_labels[kFolderLine - 1001];
    const QFontMetrics metrics(m_pFont ? *m_pFont : line->font());
    const int room = line->width() - metrics.horizontalAdvance(ReviewTexts::SaveFolderLine({})) - 4;
    line->SetText(ReviewTexts::SaveFolderLine(metrics.elidedText(
        PageFileSaver::DisplayFolder(m_strImageFolder), Qt::ElideMiddle, std::max(room, 40))));
}

void SaveFileDlg::OnOK() {
    const auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(kNameEdit));
    saveName = edit ? edit->text() : QString();
    scrollFormat = CheckButton(kScrollCheck)->GetCheck();
    if (saveName.isEmpty()) {
        QX_MessageDlg box(QX_MessageDlg::kTemplateId, this);
        box.AddLine(QStringLiteral("파일 이름을 입력하셔야 합니다."), kErrorRed);
        box.ShowMessage(false, QStringLiteral("입력 오류!!"), QX_MSG_STOP, m_pFont, QX_MSG_KOREAN);
        return;
    }
    // Names that would leave the image folder are refused before anything reaches the disk.
    PageFileSaver::FolderResult result = PageFileSaver::FolderResult::Refused;
    const PageFileSaver::Format chosen = ChosenFormat();
    if (PageFileSaver::IsUsableName(saveName))
        result = PageFileSaver::NeedsPageFolder(chosen, scrollFormat != 0)
                     ? PageFileSaver::CreatePageFolder(m_strImageFolder, saveName)
                     : PageFileSaver::FolderResult::Created;
    switch (result) {
    case PageFileSaver::FolderResult::Created:
        format = chosen;
        EndDialog(IDOK);
        return;
    case PageFileSaver::FolderResult::Exists:
        ShowInputError(QStringLiteral("이미 동일한 파일명이 존재합니다."));
        return;
    case PageFileSaver::FolderResult::Refused:
        ShowInputError(
            QStringLiteral("따라서 폴더명으로 사용할수 없는 문자를 사용해서는 안됩니다."));
        return;
    case PageFileSaver::FolderResult::Failed:
        break;
    }
    ShowInputError(QStringLiteral("알수 없는 오류로 이미지 파일을 위한 폴더를 생성할수 없습니다."));
}

PageFileSaver::Format SaveFileDlg::ChosenFormat() const {
    using Format = PageFileSaver::Format;
    const std::pair<int, Format> radios[] = {
        {kJpegRadio, Format::Jpeg}, {kPngRadio, Format::Png}, {kPdfRadio, Format::Pdf}};
    for (const auto& [id, chosen] : radios) {
        if (CheckButton(id)->GetCheck() != 0)
            return chosen;
    }
    return Format::Bmp;
}

void SaveFileDlg::ShowInputError(const QString& reason) {
    QX_MessageDlg box(QX_MessageDlg::kTemplateId, this);
    box.AddLine(QStringLiteral("파일 이름은 폴더 이름으로도 사용됩니다."), kErrorRed);
    box.AddGap();
    box.AddLine(reason, kNavy);
    box.ShowMessage(false, QStringLiteral("입력 오류!!"), QX_MSG_STOP, m_pFont, QX_MSG_KOREAN);
}
