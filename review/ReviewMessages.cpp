#include "review/ReviewMessages.h"

#include "review/ReviewTexts.h"
#include "toolkit/QX_MessageDlg.h"

#include <QDir>

namespace {
constexpr COLORREF kErrorRed = QX_RGB(128, 0, 0);
constexpr COLORREF kNavy = QX_RGB(0, 0, 128);
constexpr COLORREF kQuestionColor = QX_RGB(0, 128, 255);
constexpr COLORREF kExplanationColor = QX_RGB(0, 0, 128);
} // namespace

ReviewMessages::ReviewMessages(QWidget* owner, const QFont* font)
    : m_pOwner(owner), m_pFont(font) {}

void ReviewMessages::NothingToPrint() const {
    QX_MessageDlg box(QX_MessageDlg::kTemplateId, m_pOwner);
    box.AddLine(ReviewTexts::NothingToPrintLine(), kErrorRed);
    box.ShowMessage(false, ReviewTexts::PrintErrorTitle(), QX_MSG_STOP, m_pFont);
}

void ReviewMessages::PrintResult(const PagePrinter::Result& result) const {
    using Outcome = PagePrinter::Outcome;
    if (result.outcome == Outcome::Printed)
        return;
    if (result.outcome == Outcome::NothingToPrint) {
        NothingToPrint();
        return;
    }
    QX_MessageDlg box(QX_MessageDlg::kTemplateId, m_pOwner);
    if (result.outcome == Outcome::BadEntry) {
        box.AddLine(ReviewTexts::PrinterSetupLine(), kErrorRed);
        box.ShowMessage(false, ReviewTexts::PrinterSetupTitle(), QX_MSG_STOP, m_pFont);
        return;
    }
    box.AddLine(ReviewTexts::JobRefusedLine(), kErrorRed);
    if (!result.reason.isEmpty())
        box.AddLine(result.reason, kErrorRed); // the scheduler's own words
    box.ShowMessage(false, ReviewTexts::PrintErrorTitle(), QX_MSG_STOP, m_pFont);
}

void ReviewMessages::NothingToSave() const {
    QX_MessageDlg box(QX_MessageDlg::kTemplateId, m_pOwner);
    box.AddLine(ReviewTexts::NothingToSaveLine(), kErrorRed);
    box.AddLine(ReviewTexts::NoUsedPagesLine(), kErrorRed);
    box.ShowMessage(false, ReviewTexts::NothingToSaveTitle(), QX_MSG_STOP, m_pFont, QX_MSG_KOREAN);
}

bool ReviewMessages::SaveResult(PageFileSaver::Outcome outcome, const PageFileSaver& saver) const {
    using Outcome = PageFileSaver::Outcome;
    switch (outcome) {
    case Outcome::Saved:
        break;
    case Outcome::Failed:
        SaveFailed(saver);
        return false;
    case Outcome::NothingToSave:
        NothingToSave();
        return false;
    case Outcome::JpegScrollTooTall:
    case Outcome::BmpScrollTooLarge:
        ScrollRefused(outcome, saver);
        return false;
    }
    QX_MessageDlg box(QX_MessageDlg::kTemplateId, m_pOwner);
    box.AddLine(ReviewTexts::OpenFolderQuestion(), kNavy);
    return box.ShowMessage(true, ReviewTexts::SavedTitle(), QX_MSG_QUESTION, m_pFont,
                           QX_MSG_KOREAN) == IDOK;
}

void ReviewMessages::SaveFailed(const PageFileSaver& saver) const {
    QX_MessageDlg box(QX_MessageDlg::kTemplateId, m_pOwner);
    box.AddLine(ReviewTexts::SaveFailedLine(), kErrorRed);
    box.AddLine(QDir::toNativeSeparators(saver.FailedFile()), kNavy);
    box.AddGap();
    box.AddLine(ReviewTexts::SaveFailedHint(), kNavy);
    if (saver.WrittenFiles() > 0)
        box.AddLine(ReviewTexts::SaveFailedKeptLine(), kNavy);
    box.ShowMessage(false, ReviewTexts::SaveFailedTitle(), QX_MSG_STOP, m_pFont, QX_MSG_KOREAN);
}

void ReviewMessages::ScrollRefused(PageFileSaver::Outcome outcome,
                                   const PageFileSaver& saver) const {
    QX_MessageDlg box(QX_MessageDlg::kTemplateId, m_pOwner);
    if (outcome == PageFileSaver::Outcome::JpegScrollTooTall) {
        box.AddLine(ReviewTexts::JpegScrollTooTallLine(saver.MaxJpegScrollPages()), kErrorRed);
        box.AddLine(ReviewTexts::JpegScrollUsedPagesLine(saver.UsedPages()), kErrorRed);
        box.AddGap();
        box.AddLine(ReviewTexts::JpegScrollAdvice(), kNavy);
    } else {
        box.AddLine(ReviewTexts::BmpScrollTooLargeLine(), kErrorRed);
        box.AddGap();
        box.AddLine(ReviewTexts::BmpScrollAdvice(), kNavy);
    }
    box.ShowMessage(false, ReviewTexts::ScrollRefusedTitle(), QX_MSG_STOP, m_pFont, QX_MSG_KOREAN);
}

bool ReviewMessages::KeepImageChange() const {
    QX_MessageDlg box(QX_MessageDlg::kTemplateId, m_pOwner);
    box.AddLine(ReviewTexts::ImageChangedQuestion(), kQuestionColor);
    box.AddGap();
    box.AddLine(ReviewTexts::ImageChangedLine1(), kExplanationColor);
    box.AddLine(ReviewTexts::ImageChangedLine2(), kExplanationColor);
    return box.ShowMessage(true, ReviewTexts::ImageChangedTitle(), QX_MSG_QUESTION, m_pFont,
                           QX_MSG_KOREAN) == IDOK;
}
