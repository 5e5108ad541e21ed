#pragma once

#include "pages/PageLayer.h"

#include <QList>
#include <QString>

#include <memory>
#include <optional>

class PageFileWriter;

// What the program writes pages as, for the save dialog and the command line alike: the formats
// and their file endings, the limits of one picture in each, the JPEG quality, the names of
// numbered page files, the program's name in its documents, and the writer of each format.
class PageOutput final {
  public:
    enum class Format { Bmp, Jpeg, Png, Pdf };
    // Why one picture of some size cannot be written in a format.
    enum class Limit {
        None,
        JpegRows, // more rows than a JPEG can hold (CImageJPG::kMaxHeight)
        BmpSize,  // more bytes than a BMP's header fields can describe
        PngSize,  // wider or taller than a PNG can be
    };
    static constexpr int kJpegQuality = 100;

    // "bmp", "jpg", "png", "pdf".
    static QString Extension(Format format);
    // The format a file's ending names (png, jpg or jpeg, bmp, pdf, in any case); none for any
    // other ending or a name that is only an ending.
    static std::optional<Format> FormatOfFile(const QString& file);
    // Page number (from 1) of a file: dir/NAME.EXT becomes dir/NAME001.EXT.
    static QString NumberedFile(const QString& file, int number);
    // Whether one picture of width x rows pixels fits the format; a PDF has no such limit.
    static Limit PictureLimit(Format format, int width, qint64 rows, int bytesPerPixel);
    // Pages of pageHeight rows that one JPEG picture can hold.
    static int MaxJpegPages(int pageHeight);

    // The title of documents whose page has none, and the name of print jobs.
    static QString DocumentName();
    // The program and its version, as PDF documents name their producer.
    static QString Producer();

    // The writer of a format.
    static std::unique_ptr<PageFileWriter> Writer(Format format);
    // The layer of some of its pages, in the order given (pages[k] is the layer's page that
    // becomes page k). Links into pages left out go to their addresses; headings on them are
    // left out.
    static PageLayer LayerOfPages(const PageLayer& layer, const QList<int>& pages);
};
