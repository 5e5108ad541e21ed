#pragma once

#include "imaging/OutputFile.h"
#include "imaging/PdfTextFont.h"
#include "pages/PageLayer.h"

#include <QByteArray>
#include <QDateTime>
#include <QRectF>
#include <QString>
#include <QtGlobal>

#include <vector>

typedef struct z_stream_s z_stream;

// Writes a PDF document of A4 portrait pages, one picture per page: the picture scaled to the
// printable width (10 mm margins) keeping its proportions, top-aligned - or, when that would run
// off the sheet, scaled to the printable height and centred across. The pixels are stored
// losslessly at their own resolution (8-bit RGB, deflated), never resampled; the viewer or
// printer scales them. Pictures are page buffers (rows top first, blue-green-red with or without
// a spare fourth byte); each is compressed straight from the caller's buffer.
// Over its picture a page may carry the page's words as invisible text (see PdfPageText and
// PdfTextFont) and its links as link annotations; the document may carry an outline of headings
// and its information (title, address as /URL, creation time, producer). Places on pages are in
// the pixels of the page's picture, or of its document size (see AddPage). A file that is not
// completed - a write or the close failed, or no page was added - never replaces the target (see
// OutputFile).
class PdfWriter final {
  public:
    static constexpr double kPageWidth = 595.2756; // A4 in points
    static constexpr double kPageHeight = 841.8898;
    static constexpr double kMargin = 28.3465; // 10 mm
    static constexpr int kCompressionLevel = 1;

    // The document information dictionary; empty fields are left out.
    struct Info {
        QString title;
        QString address;
        QDateTime created;
        QString producer;
    };

    PdfWriter();
    ~PdfWriter(); // an unfinished file is dropped
    PdfWriter(const PdfWriter&) = delete;
    PdfWriter& operator=(const PdfWriter&) = delete;

    // Where a picture of width x height pixels lands on the sheet, in points from the sheet's
    // top-left corner; empty for an empty picture.
    static QRectF Placement(qint32 width, qint32 height);

    // Starts the file that will replace path and writes the document's start and information.
    // false when the file cannot be created or written; nothing is left behind then.
    bool Open(const QString& path, const Info& info);
    bool Open(const QString& path, const QString& title) {
        return Open(path, Info{title, {}, {}, {}});
    }
    // Adds one sheet with the picture, and over it the words and the links. A link goes to its
    // target page (counted among the pages added, from 0) when that page is in the document, else
    // to its address. The words, links and places that go to this page are in pixels of the
    // picture divided by scale (document pixels of a page captured at that scale): a picture of
    // N x the pixels lands where the smaller one would, and its layer with it. false, for this and
    // every later call, when the picture is unusable, the scale not positive or the write failed.
    bool AddPage(const quint8* pixels, qint32 width, qint32 height, int bytesPerPixel,
                 const std::vector<PageLayer::Word>& words = {},
                 const std::vector<PageLayer::Link>& links = {}, int scale = 1);
    // The headings Close makes the outline of; those whose page is not in the document are left
    // out.
    void SetHeadings(std::vector<PageLayer::Heading> headings) { m_headings = std::move(headings); }
    // Completes the file and puts it in place: true when at least one page was added and it is
    // in place; otherwise it is dropped and path left as it was.
    bool Close();
    bool IsOpen() const { return m_file.IsOpen(); }
    int PageCount() const { return int(m_pages.size()); }

  private:
    struct Sheet {
        int object = 0;
        QRectF at;        // the picture on the sheet, in points from the top-left corner
        double scale = 1; // points per pixel of the layer
        QSizeF pixels;    // the picture in pixels of the layer
    };
    // A link to a place in the document, written once every page is known.
    struct PendingLink {
        int object = 0;
        QByteArray rect;
        QByteArray address; // 7-bit
        int page = -1;
        QPointF target;
    };

    int Reserve();
    int BeginObject();
    void BeginObject(int number);
    bool Put(const QByteArray& text) { return Put(text.constData(), size_t(text.size())); }
    bool Put(const void* data, size_t bytes);
    bool Flush();
    bool PutImageStream(const quint8* pixels, qint32 width, qint32 height, int bytesPerPixel);
    bool Deflate(z_stream* z, int flush);
    bool WriteImage(const quint8* pixels, qint32 width, qint32 height, int bytesPerPixel);
    void WriteStream(int number, const QByteArray& data, const QByteArray& extra = {});
    QByteArray Annotations(const Sheet& sheet, const std::vector<PageLayer::Link>& links);
    QByteArray Destination(int page, QPointF at) const;
    void WriteAddressLinks();
    void WriteLinks();
    void WriteFont();
    int WriteOutline();
    bool WriteTail();
    bool Fail();

    OutputFile m_file;
    std::vector<unsigned char> m_buffer; // bytes waiting for one large write
    size_t m_nBuffered = 0;
    qint64 m_nOffset = 0;                // bytes put so far, for the cross-reference table
    std::vector<qint64> m_objectOffsets; // by object number - 1; 0 until written
    std::vector<Sheet> m_pages;
    std::vector<PendingLink> m_links;
    std::vector<PageLayer::Heading> m_headings;
    PdfTextFont m_font;
    int m_nFont = 0; // the text font's object, once a page has text
    bool m_bFailed = false;
    std::vector<unsigned char> m_row;  // one row as red, green, blue
    std::vector<unsigned char> m_zout; // deflate output
    qint64 m_nStreamBytes = 0;
};
