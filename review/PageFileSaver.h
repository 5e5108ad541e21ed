#pragma once

#include "imaging/PageOutput.h"
#include "pages/PageLayer.h"
#include "pages/ReviewPages.h"

#include <QList>
#include <QString>

// Saves the used pages of a review as picture files in the image folder (user_image under the
// working directory): one BMP, JPEG or PNG file per used page, numbered by its place in the
// list, in a folder named after the save name, or one tall scroll image of all used pages with
// the first on top; or one PDF document with an A4 page per used page, scroll or not. Saving
// stops at the first file that cannot be written completely; that file is not made (an earlier
// file of its name stays as it was) and the files written before it stay. It says nothing itself:
// Save returns what happened. The formats and their writers are PageOutput's.
class PageFileSaver final {
  public:
    using Format = PageOutput::Format;
    enum class Outcome {
        Saved,
        Failed,            // FailedFile() could not be created or written
        JpegScrollTooTall, // more rows than a JPEG can hold; nothing written
        BmpScrollTooLarge, // more bytes than a BMP's header fields can describe; nothing written
        NothingToSave,     // no page is marked used; nothing written
    };
    enum class FolderResult { Created, Exists, Refused, Failed };

    explicit PageFileSaver(const ReviewPages& pages,
                           const QString& imageFolder = DefaultImageFolder());

    // What the pages show beyond their pixels, by page in list order (used or not): the PDF
    // carries it for the used pages.
    void SetLayer(PageLayer layer) { m_layer = std::move(layer); }

    // "user_image", relative to the working directory.
    static QString DefaultImageFolder();

    // Writes the files of a request the save dialog accepted (when NeedsPageFolder it has made
    // the folder).
    Outcome Save(const QString& name, Format format, bool scrollFormat);
    // After Outcome::Failed: the path of the file that failed.
    QString FailedFile() const { return m_strFailedFile; }
    // Files completed by the last Save.
    int WrittenFiles() const { return m_nWritten; }
    int UsedPages() const { return m_pages.CountUsedPages(); }
    // Used pages a JPEG scroll may hold.
    int MaxJpegScrollPages() const;

    QString PageFilePath(const QString& name, int number, Format format) const;
    // The one file of a scroll or a PDF: imageFolder/name.ext.
    QString ScrollFilePath(const QString& name, Format format) const;
    // Whether the files go into a folder of their own: files per page, not a scroll or a PDF.
    static bool NeedsPageFolder(Format format, bool scrollFormat);
    // The folder to show afterwards: the image folder for one file, else the name's folder.
    QString OutputFolder(const QString& name, Format format, bool scrollFormat) const;
    // The image folder as the user finds it: absolute, the home folder written as ~.
    static QString DisplayFolder(const QString& imageFolder);
    // Opens a folder in the desktop's file manager (nothing without a desktop).
    static void OpenFolder(const QString& folder);

    // false for names that would leave the image folder or cannot name a file: empty, "." and
    // "..", path separators, control characters, text the file system cannot encode.
    static bool IsUsableName(const QString& name);
    // Makes imageFolder/name for files per page; refused names never reach the disk.
    static FolderResult CreatePageFolder(const QString& imageFolder, const QString& name);

  private:
    Outcome CheckScroll(Format format) const;
    bool SavePages(const QString& name, Format format);
    bool SaveScroll(const QString& name, Format format);
    // One file of pages, the first on top.
    bool WriteFile(const QString& path, Format format, const QList<const quint8*>& pages,
                   const PageLayer& layer = {});
    bool SavePdf(const QString& name);
    bool Fail(const QString& path);
    QList<const quint8*> UsedPixels() const;
    QList<int> UsedPlaces() const; // list places of the used pages

    ReviewPages m_pages;
    PageLayer m_layer;
    QString m_strImageFolder;
    QString m_strFailedFile;
    int m_nWritten = 0;
};
