#pragma once

#include "pages/ReviewPages.h"

#include <QList>
#include <QString>

class QFont;
class QWidget;

// Saves the used pages of a review as picture files in the image folder (user_image under the
// working directory): one BMP or JPEG file per used page, numbered by its place in the list, in
// a folder named after the save name, or one tall scroll image of all used pages with the first
// on top. Saving stops at the first file that cannot be written completely; that file is
// removed and the files written before it stay.
class PageFileSaver final {
  public:
    enum class Outcome {
        Saved,
        Failed,            // FailedFile() could not be created or written
        JpegScrollTooTall, // more rows than a JPEG can hold; nothing written
        BmpScrollTooLarge, // more bytes than a BMP's header fields can describe; nothing written
        NoUsedPages,       // a JPEG scroll needs at least one row; nothing written
    };
    enum class FolderResult { Created, Exists, Refused, Failed };

    explicit PageFileSaver(const ReviewPages& pages,
                           const QString& imageFolder = DefaultImageFolder());

    // "user_image", relative to the working directory.
    static QString DefaultImageFolder();

    // The review's save command: asks with SaveFileDlg, writes the files, reports a failure or
    // offers to open the folder with the files.
    void Run(QWidget* owner, const QFont* font);
    // Writes the files of a request the save dialog accepted (for files per page it has made
    // the folder).
    Outcome Save(const QString& name, bool bmpFormat, bool scrollFormat);
    // After Outcome::Failed: the path of the file that failed.
    QString FailedFile() const { return m_strFailedFile; }
    // Files completed by the last Save.
    int WrittenFiles() const { return m_nWritten; }
    // Used pages a JPEG scroll may hold.
    int MaxJpegScrollPages() const;

    QString PageFilePath(const QString& name, int number, bool bmpFormat) const;
    QString ScrollFilePath(const QString& name, bool bmpFormat) const;
    // The folder to show afterwards: the image folder for a scroll, else the name's folder.
    QString OutputFolder(const QString& name, bool scrollFormat) const;

    // false for names that would leave the image folder or cannot name a file: empty, "." and
    // "..", path separators, control characters, text the file system cannot encode.
    static bool IsUsableName(const QString& name);
    // Makes imageFolder/name for files per page; refused names never reach the disk.
    static FolderResult CreatePageFolder(const QString& imageFolder, const QString& name);

  private:
    Outcome CheckScroll(bool bmpFormat) const;
    bool SaveBmpPages(const QString& name);
    bool SaveBmpScroll(const QString& name);
    bool SaveJpegPages(const QString& name);
    bool SaveJpegScroll(const QString& name);
    bool WriteJpeg(const QString& path, const QList<const quint8*>& pages);
    bool Fail(const QString& path);
    QList<const quint8*> UsedPixels() const;

    void ShowFailed(QWidget* owner, const QFont* font) const;
    void ShowRefused(Outcome outcome, QWidget* owner, const QFont* font) const;
    bool AskToOpen(QWidget* owner, const QFont* font) const;
    static void OpenFolder(const QString& folder);

    ReviewPages m_pages;
    QString m_strImageFolder;
    QString m_strFailedFile;
    int m_nWritten = 0;
};
