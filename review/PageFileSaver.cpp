#include "review/PageFileSaver.h"

#include "imaging/BmpWriter.h"
#include "imaging/CImageJPG.h"
#include "review/ReviewTexts.h"
#include "review/SaveFileDlg.h"
#include "toolkit/QX_MessageDlg.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QUrl>

#include <cerrno>

#include <sys/stat.h>

namespace {
constexpr COLORREF kErrorRed = QX_RGB(128, 0, 0);
constexpr COLORREF kNavy = QX_RGB(0, 0, 128);
} // namespace

PageFileSaver::PageFileSaver(const ReviewPages& pages, const QString& imageFolder)
    : m_pages(pages), m_strImageFolder(imageFolder) {}

QString PageFileSaver::DefaultImageFolder() {
    return QStringLiteral("user_image");
}

int PageFileSaver::MaxJpegScrollPages() const {
    return m_pages.geometry.pageHeight > 0 ? CImageJPG::kMaxHeight / m_pages.geometry.pageHeight
                                           : 0;
}

QString PageFileSaver::PageFilePath(const QString& name, int number, bool bmpFormat) const {
    return QStringLiteral("%1/%2/%2%3.%4")
        .arg(m_strImageFolder, name, QStringLiteral("%1").arg(number, 3, 10, QLatin1Char('0')),
             bmpFormat ? QStringLiteral("bmp") : QStringLiteral("jpg"));
}

QString PageFileSaver::ScrollFilePath(const QString& name, bool bmpFormat) const {
    return QStringLiteral("%1/%2.%3")
        .arg(m_strImageFolder, name, bmpFormat ? QStringLiteral("bmp") : QStringLiteral("jpg"));
}

QString PageFileSaver::OutputFolder(const QString& name, bool scrollFormat) const {
    return scrollFormat ? m_strImageFolder : m_strImageFolder + QLatin1Char('/') + name;
}

bool PageFileSaver::IsUsableName(const QString& name) {
    if (name.isEmpty() || name == QStringLiteral(".") || name == QStringLiteral(".."))
        return false;
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20 ||
            c.unicode() == 0x7F)
            return false;
    }
    // Broken text (a lone surrogate) would be written as some other name.
    return QFile::decodeName(QFile::encodeName(name)) == name;
}

PageFileSaver::FolderResult PageFileSaver::CreatePageFolder(const QString& imageFolder,
                                                            const QString& name) {
    if (!IsUsableName(name))
        return FolderResult::Refused;
    const QByteArray path = QFile::encodeName(imageFolder + QLatin1Char('/') + name);
    if (::mkdir(path.constData(), 0777) == 0)
        return FolderResult::Created;
    switch (errno) {
    case EEXIST:
        return FolderResult::Exists;
    case EACCES:
    case EPERM:
        return FolderResult::Refused;
    default:
        return FolderResult::Failed;
    }
}

PageFileSaver::Outcome PageFileSaver::Save(const QString& name, bool bmpFormat, bool scrollFormat) {
    m_strFailedFile.clear();
    m_nWritten = 0;
    if (scrollFormat) {
        const Outcome check = CheckScroll(bmpFormat);
        if (check != Outcome::Saved)
            return check;
    }
    if (!IsUsableName(name)) {
        Fail(scrollFormat ? ScrollFilePath(name, bmpFormat) : OutputFolder(name, false));
        return Outcome::Failed;
    }
    bool saved = false;
    if (bmpFormat)
        saved = scrollFormat ? SaveBmpScroll(name) : SaveBmpPages(name);
    else
        saved = scrollFormat ? SaveJpegScroll(name) : SaveJpegPages(name);
    return saved ? Outcome::Saved : Outcome::Failed;
}

PageFileSaver::Outcome PageFileSaver::CheckScroll(bool bmpFormat) const {
    const int used = m_pages.CountUsedPages();
    const qint64 rows = qint64(used) * m_pages.geometry.pageHeight;
    if (bmpFormat) {
        return BmpWriter::Fits(m_pages.geometry.pageWidth, rows, m_pages.geometry.bytesPerPixel)
                   ? Outcome::Saved
                   : Outcome::BmpScrollTooLarge;
    }
    if (used == 0)
        return Outcome::NoUsedPages;
    return rows > CImageJPG::kMaxHeight ? Outcome::JpegScrollTooTall : Outcome::Saved;
}

bool PageFileSaver::SaveBmpPages(const QString& name) {
    BmpWriter bmp;
    for (int i = 0; i < m_pages.pages.size(); ++i) {
        const PageRecord* page = m_pages.pages[i];
        if (!page->used)
            continue;
        const QString path = PageFilePath(name, i + 1, true);
        bool ok = bmp.Open(path, m_pages.geometry.pageWidth, m_pages.geometry.pageHeight,
                           m_pages.geometry.bytesPerPixel);
        ok = ok && bmp.WriteBandBottomUp(page->pixels, m_pages.geometry.pageHeight);
        ok = bmp.Close() && ok;
        if (!ok)
            return Fail(path);
        ++m_nWritten;
    }
    return true;
}

bool PageFileSaver::SaveBmpScroll(const QString& name) {
    // Bottom-up rows: the last used page goes first, so the first one ends up on top.
    const QString path = ScrollFilePath(name, true);
    BmpWriter bmp;
    bool ok = bmp.Open(path, m_pages.geometry.pageWidth,
                       qint64(m_pages.CountUsedPages()) * m_pages.geometry.pageHeight,
                       m_pages.geometry.bytesPerPixel);
    for (qsizetype f = m_pages.pages.size() - 1; ok && f >= 0; --f) {
        if (m_pages.pages[f]->used)
            ok = bmp.WriteBandBottomUp(m_pages.pages[f]->pixels, m_pages.geometry.pageHeight);
    }
    ok = bmp.Close() && ok;
    if (!ok)
        return Fail(path);
    ++m_nWritten;
    return true;
}

bool PageFileSaver::SaveJpegPages(const QString& name) {
    for (int i = 0; i < m_pages.pages.size(); ++i) {
        const PageRecord* page = m_pages.pages[i];
        if (!page->used)
            continue;
        const QString path = PageFilePath(name, i + 1, false);
        if (!WriteJpeg(path, {page->pixels}))
            return Fail(path);
    }
    return true;
}

bool PageFileSaver::SaveJpegScroll(const QString& name) {
    // The pages are read in place one row at a time: no tall copy of all of them.
    const QString path = ScrollFilePath(name, false);
    return WriteJpeg(path, UsedPixels()) || Fail(path);
}

bool PageFileSaver::WriteJpeg(const QString& path, const QList<const quint8*>& pages) {
    CImageJPG jpeg(path);
    jpeg.SetQuality(100);
    if (!jpeg.CreateFromPages(pages, m_pages.geometry.pageWidth, m_pages.geometry.pageHeight,
                              m_pages.geometry.bytesPerPixel) ||
        !jpeg.Save(path))
        return false;
    ++m_nWritten;
    return true;
}

bool PageFileSaver::Fail(const QString& path) {
    m_strFailedFile = path;
    return false;
}

QList<const quint8*> PageFileSaver::UsedPixels() const {
    QList<const quint8*> pixels;
    for (const PageRecord* page : m_pages.pages) {
        if (page->used)
            pixels.append(page->pixels);
    }
    return pixels;
}

void PageFileSaver::Run(QWidget* owner, const QFont* font) {
    SaveFileDlg dlg(owner, font, m_strImageFolder);
    if (dlg.DoModal() != IDOK)
        return;
    const bool bmp = dlg.bmpFormat != 0;
    const bool scroll = dlg.scrollFormat != 0;
    const Outcome outcome = Save(dlg.saveName, bmp, scroll);
    if (outcome == Outcome::Failed)
        ShowFailed(owner, font);
    else if (outcome != Outcome::Saved)
        ShowRefused(outcome, owner, font);
    else if (AskToOpen(owner, font))
        OpenFolder(OutputFolder(dlg.saveName, scroll));
}

void PageFileSaver::ShowFailed(QWidget* owner, const QFont* font) const {
    QX_MessageDlg box(QX_MessageDlg::kTemplateId, owner);
    box.AddLine(ReviewTexts::SaveFailedLine(), kErrorRed);
    box.AddLine(QDir::toNativeSeparators(m_strFailedFile), kNavy);
    box.AddGap();
    box.AddLine(ReviewTexts::SaveFailedHint(), kNavy);
    if (m_nWritten > 0)
        box.AddLine(ReviewTexts::SaveFailedKeptLine(), kNavy);
    box.ShowMessage(false, ReviewTexts::SaveFailedTitle(), QX_MSG_STOP, font, QX_MSG_KOREAN);
}

void PageFileSaver::ShowRefused(Outcome outcome, QWidget* owner, const QFont* font) const {
    QX_MessageDlg box(QX_MessageDlg::kTemplateId, owner);
    if (outcome == Outcome::JpegScrollTooTall) {
        box.AddLine(ReviewTexts::JpegScrollTooTallLine(MaxJpegScrollPages()), kErrorRed);
        box.AddLine(ReviewTexts::JpegScrollUsedPagesLine(m_pages.CountUsedPages()), kErrorRed);
        box.AddGap();
        box.AddLine(ReviewTexts::JpegScrollAdvice(), kNavy);
    } else if (outcome == Outcome::BmpScrollTooLarge) {
        box.AddLine(ReviewTexts::BmpScrollTooLargeLine(), kErrorRed);
        box.AddGap();
        box.AddLine(ReviewTexts::BmpScrollAdvice(), kNavy);
    } else {
        box.AddLine(ReviewTexts::NoUsedPagesLine(), kErrorRed);
    }
    box.ShowMessage(false, ReviewTexts::ScrollRefusedTitle(), QX_MSG_STOP, font, QX_MSG_KOREAN);
}

bool PageFileSaver::AskToOpen(QWidget* owner, const QFont* font) const {
    QX_MessageDlg box(QX_MessageDlg::kTemplateId, owner);
    box.AddLine(QStringLiteral("생성된 파일이 존재하는 폴더를 보시겠습니까?"), kNavy);
    return box.ShowMessage(true, QStringLiteral("페이지들을 파일로 저장했습니다~!"),
                           QX_MSG_QUESTION, font, QX_MSG_KOREAN) == IDOK;
}

void PageFileSaver::OpenFolder(const QString& folder) {
    // Without a desktop there is no file manager to ask, and nothing to say about it.
    const QString platform = QGuiApplication::platformName();
    if (platform == QStringLiteral("offscreen") || platform == QStringLiteral("minimal"))
        return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(QDir(folder).absolutePath()));
}
