#include "review/PageFileSaver.h"

#include "imaging/PageFileWriter.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QUrl>

#include <cerrno>

#include <sys/stat.h>

PageFileSaver::PageFileSaver(const ReviewPages& pages, const QString& imageFolder)
    : m_pages(pages), m_strImageFolder(imageFolder) {}

QString PageFileSaver::DefaultImageFolder() {
    return QStringLiteral("user_image");
}

int PageFileSaver::MaxJpegScrollPages() const {
    return PageOutput::MaxJpegPages(m_pages.geometry.pageHeight);
}

QString PageFileSaver::PageFilePath(const QString& name, int number, Format format) const {
    return PageOutput::NumberedFile(
        QStringLiteral("%1/%2/%2.%3").arg(m_strImageFolder, name, PageOutput::Extension(format)),
        number);
}

QString PageFileSaver::ScrollFilePath(const QString& name, Format format) const {
    return QStringLiteral("%1/%2.%3").arg(m_strImageFolder, name, PageOutput::Extension(format));
}

bool PageFileSaver::NeedsPageFolder(Format format, bool scrollFormat) {
    return !scrollFormat && format != Format::Pdf;
}

QString PageFileSaver::OutputFolder(const QString& name, Format format, bool scrollFormat) const {
    return NeedsPageFolder(format, scrollFormat) ? m_strImageFolder + QLatin1Char('/') + name
                                                 : m_strImageFolder;
}

QString PageFileSaver::DisplayFolder(const QString& imageFolder) {
    const QString path = QDir::cleanPath(QDir(imageFolder).absolutePath());
    const QString home = QDir::cleanPath(QDir::homePath());
    if (home != QStringLiteral("/") && path.startsWith(home + QLatin1Char('/')))
        return QStringLiteral("~") + path.mid(home.size());
    return path;
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

PageFileSaver::Outcome PageFileSaver::Save(const QString& name, Format format, bool scrollFormat) {
    m_strFailedFile.clear();
    m_nWritten = 0;
    if (m_pages.CountUsedPages() == 0)
        return Outcome::NothingToSave;
    const bool oneFile = !NeedsPageFolder(format, scrollFormat);
    if (scrollFormat && format != Format::Pdf) {
        const Outcome check = CheckScroll(format);
        if (check != Outcome::Saved)
            return check;
    }
    if (!IsUsableName(name)) {
        Fail(oneFile ? ScrollFilePath(name, format) : OutputFolder(name, format, false));
        return Outcome::Failed;
    }
    bool saved = false;
    if (format == Format::Pdf)
        saved = SavePdf(name);
    else
        saved = scrollFormat ? SaveScroll(name, format) : SavePages(name, format);
    return saved ? Outcome::Saved : Outcome::Failed;
}

PageFileSaver::Outcome PageFileSaver::CheckScroll(Format format) const {
    const PageGeometry& g = m_pages.geometry;
    const qint64 rows = qint64(m_pages.CountUsedPages()) * g.pageHeight;
    switch (PageOutput::PictureLimit(format, g.pageWidth, rows, g.bytesPerPixel)) {
    case PageOutput::Limit::JpegRows:
        return Outcome::JpegScrollTooTall;
    case PageOutput::Limit::BmpSize:
        return Outcome::BmpScrollTooLarge;
    case PageOutput::Limit::PngSize: // refused by its writer: a file that cannot be written
    case PageOutput::Limit::None:
        break;
    }
    return Outcome::Saved;
}

bool PageFileSaver::SavePages(const QString& name, Format format) {
    for (int i = 0; i < m_pages.pages.size(); ++i) {
        const PageRecord* page = m_pages.pages[i];
        if (!page->used)
            continue;
        const QString path = PageFilePath(name, i + 1, format);
        if (!WriteFile(path, format, {page->pixels}))
            return Fail(path);
    }
    return true;
}

bool PageFileSaver::SaveScroll(const QString& name, Format format) {
    // The pages are read in place: no tall copy of all of them.
    const QString path = ScrollFilePath(name, format);
    return WriteFile(path, format, UsedPixels()) || Fail(path);
}

bool PageFileSaver::WriteFile(const QString& path, Format format, const QList<const quint8*>& pages,
                              const PageLayer& layer) {
    const PageGeometry& g = m_pages.geometry;
    const bool ok = PageOutput::Writer(format)->Write(
        path, {pages, g.pageWidth, g.pageHeight, g.bytesPerPixel, g.scale}, layer);
    m_nWritten += ok ? 1 : 0;
    return ok;
}

bool PageFileSaver::SavePdf(const QString& name) {
    const QString path = ScrollFilePath(name, Format::Pdf);
    return WriteFile(path, Format::Pdf, UsedPixels(),
                     PageOutput::LayerOfPages(m_layer, UsedPlaces())) ||
           Fail(path);
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

QList<int> PageFileSaver::UsedPlaces() const {
    QList<int> used;
    for (int i = 0; i < m_pages.pages.size(); ++i) {
        if (m_pages.pages[i]->used)
            used.append(i);
    }
    return used;
}

void PageFileSaver::OpenFolder(const QString& folder) {
    // Without a desktop there is no file manager to ask, and nothing to say about it.
    const QString platform = QGuiApplication::platformName();
    if (platform == QStringLiteral("offscreen") || platform == QStringLiteral("minimal"))
        return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(QDir(folder).absolutePath()));
}
