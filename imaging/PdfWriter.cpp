#include "imaging/PdfWriter.h"

#include "imaging/PdfOutline.h"
#include "imaging/PdfPageText.h"
#include "imaging/PdfSyntax.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include <zlib.h>

namespace {
constexpr size_t kOutputBuffer = 1 << 20;
constexpr size_t kDeflateBuffer = 1 << 18;
// Objects whose numbers are fixed; pages and their parts follow from 4.
constexpr int kCatalog = 1;
constexpr int kPageTree = 2;
constexpr int kInfo = 3;

QByteArray Number(double v) {
    return QByteArray::number(v, 'f', 4);
}

QByteArray Ref(int object) {
    return PdfSyntax::Ref(object);
}

void BgrToRgb(const quint8* from, unsigned char* to, qint32 width, int bytesPerPixel) {
    for (qint32 x = 0; x < width; ++x, from += bytesPerPixel, to += 3) {
        to[0] = from[2];
        to[1] = from[1];
        to[2] = from[0];
    }
}

QByteArray Compressed(const QByteArray& data) {
    uLongf size = compressBound(uLong(data.size()));
    QByteArray out(qsizetype(size), Qt::Uninitialized);
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                  reinterpret_cast<const Bytef*>(data.constData()), uLong(data.size()),
                  PdfWriter::kCompressionLevel) != Z_OK)
        return {};
    out.truncate(qsizetype(size));
    return out;
}

bool Finite(QRectF r) {
    return std::isfinite(r.left()) && std::isfinite(r.top()) && std::isfinite(r.width()) &&
           std::isfinite(r.height());
}

} // namespace

PdfWriter::PdfWriter() = default;
PdfWriter::~PdfWriter() = default;

QRectF PdfWriter::Placement(qint32 width, qint32 height) {
    if (width <= 0 || height <= 0)
        return {};
    const double areaWidth = kPageWidth - 2 * kMargin;
    const double areaHeight = kPageHeight - 2 * kMargin;
    const double scale = std::min(areaWidth / width, areaHeight / height);
    const double w = width * scale, h = height * scale;
    return {kMargin + (areaWidth - w) / 2, kMargin, w, h};
}

bool PdfWriter::Open(const QString& path, const Info& info) {
    if (m_file.IsOpen())
        m_file.Abandon();
    m_buffer.resize(kOutputBuffer);
    m_nBuffered = 0;
    m_nOffset = 0;
    m_objectOffsets.assign(kInfo, 0);
    m_pages.clear();
    m_links.clear();
    m_headings.clear();
    m_font = PdfTextFont();
    m_nFont = 0;
    m_bFailed = !m_file.Create(path);
    if (m_bFailed)
        return false;
    // The second line's high bytes tell tools that the file holds binary data.
    bool ok = Put(QByteArray("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n"));
    QByteArray fields = "/Title " + PdfSyntax::TextString(info.title);
    if (!info.address.isEmpty())
        fields += " /URL " + PdfSyntax::AsciiString(PdfSyntax::AsciiAddress(info.address));
    const QByteArray created = PdfSyntax::Date(info.created);
    if (!created.isEmpty())
        fields += " /CreationDate " + PdfSyntax::AsciiString(created);
    if (!info.producer.isEmpty())
        fields += " /Producer " + PdfSyntax::TextString(info.producer);
    BeginObject(kInfo);
    ok = ok && Put("<< " + fields + " >>\nendobj\n");
    return ok || Fail();
}

int PdfWriter::Reserve() {
    m_objectOffsets.push_back(0);
    return int(m_objectOffsets.size());
}

int PdfWriter::BeginObject() {
    const int number = Reserve();
    BeginObject(number);
    return number;
}

void PdfWriter::BeginObject(int number) {
    m_objectOffsets[size_t(number) - 1] = m_nOffset;
    Put(QByteArray::number(number) + " 0 obj\n");
}

bool PdfWriter::AddPage(const quint8* pixels, qint32 width, qint32 height, int bytesPerPixel,
                        const std::vector<PageLayer::Word>& words,
                        const std::vector<PageLayer::Link>& links, int scale) {
    if (!m_file.IsOpen() || m_bFailed)
        return false;
    if (!pixels || width <= 0 || height <= 0 || (bytesPerPixel != 3 && bytesPerPixel != 4) ||
        scale < 1)
        return Fail();
    const int image = int(m_objectOffsets.size()) + 1;
    if (!WriteImage(pixels, width, height, bytesPerPixel))
        return Fail();
    // PDF's y runs upwards from the sheet's bottom edge.
    const QRectF at = Placement(width, height);
    const QByteArray draw = "q " + Number(at.width()) + " 0 0 " + Number(at.height()) + ' ' +
                            Number(at.left()) + ' ' + Number(kPageHeight - at.bottom()) +
                            " cm /Im0 Do Q\n";
    // The layer is placed in its own pixels: scale times fewer than the picture's.
    const QSizeF layerSize(double(width) / scale, double(height) / scale);
    const Sheet sheet{0, at, at.width() / width * scale, layerSize};
    const QByteArray text =
        PdfPageText::Operators(words, layerSize.width(), layerSize.height(), m_font);
    const int contents = Reserve();
    if (text.isEmpty()) {
        BeginObject(contents);
        Put("<< /Length " + QByteArray::number(draw.size()) + " >>\nstream\n" + draw +
            "endstream\nendobj\n");
    } else {
        if (m_nFont == 0)
            m_nFont = Reserve();
        // The text is laid out in the layer's pixels, y up from the picture's top edge.
        const QByteArray scale = QByteArray::number(sheet.scale, 'f', 8);
        WriteStream(contents, draw + "q " + scale + " 0 0 " + scale + ' ' + Number(at.left()) +
                                  ' ' + Number(kPageHeight - at.top()) + " cm\n" + text + "Q\n");
    }
    const QByteArray annotations = Annotations(sheet, links);
    m_pages.push_back(sheet);
    m_pages.back().object = BeginObject();
    QByteArray resources = "/XObject << /Im0 " + Ref(image) + " >>";
    if (!text.isEmpty())
        resources +=
            " /Font << /" + QByteArray(PdfPageText::kFontName) + ' ' + Ref(m_nFont) + " >>";
    Put("<< /Type /Page /Parent " + Ref(kPageTree) + " /MediaBox [0 0 " + Number(kPageWidth) + ' ' +
        Number(kPageHeight) + "] /Resources << " + resources + " >> /Contents " + Ref(contents) +
        annotations + " >>\nendobj\n");
    WriteAddressLinks();
    return !m_bFailed || Fail();
}

// Links to addresses need nothing more; those to places wait for their pages.
void PdfWriter::WriteAddressLinks() {
    for (const PendingLink& link : m_links) {
        if (link.page >= 0)
            continue;
        BeginObject(link.object);
        Put("<< /Type /Annot /Subtype /Link /Rect " + link.rect +
            " /Border [0 0 0] /A << /S /URI /URI " + PdfSyntax::AsciiString(link.address) +
            " >> >>\nendobj\n");
    }
    std::erase_if(m_links, [](const PendingLink& link) { return link.page < 0; });
}

// Reserves the page's link annotations and returns the page's /Annots entry; links outside the
// picture or without anywhere to go are left out.
QByteArray PdfWriter::Annotations(const Sheet& sheet, const std::vector<PageLayer::Link>& links) {
    QByteArray list;
    const QRectF picture(QPointF(0, 0), sheet.pixels);
    for (const PageLayer::Link& link : links) {
        if (!Finite(link.box) || (link.target.page < 0 && link.address.isEmpty()))
            continue;
        const QRectF box = link.box.normalized() & picture;
        if (box.isEmpty())
            continue;
        PendingLink pending;
        pending.rect =
            '[' + PdfSyntax::Number(sheet.at.left() + box.left() * sheet.scale) + ' ' +
            PdfSyntax::Number(kPageHeight - sheet.at.top() - box.bottom() * sheet.scale) + ' ' +
            PdfSyntax::Number(sheet.at.left() + box.right() * sheet.scale) + ' ' +
            PdfSyntax::Number(kPageHeight - sheet.at.top() - box.top() * sheet.scale) + ']';
        pending.address = PdfSyntax::AsciiAddress(link.address);
        pending.page = link.target.page;
        pending.target = link.target.at;
        pending.object = Reserve();
        list += Ref(pending.object) + ' ';
        m_links.push_back(std::move(pending));
    }
    return list.isEmpty() ? QByteArray() : " /Annots [" + list.trimmed() + ']';
}

bool PdfWriter::WriteImage(const quint8* pixels, qint32 width, qint32 height, int bytesPerPixel) {
    const int image = BeginObject();
    Put("<< /Type /XObject /Subtype /Image /Width " + QByteArray::number(width) + " /Height " +
        QByteArray::number(height) +
        " /ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /FlateDecode /Length " +
        Ref(image + 1) + " >>\nstream\n");
    if (m_bFailed || !PutImageStream(pixels, width, height, bytesPerPixel))
        return false;
    Put(QByteArray("\nendstream\nendobj\n"));
    BeginObject(); // the stream's length, known only now
    Put(QByteArray::number(m_nStreamBytes) + "\nendobj\n");
    return !m_bFailed;
}

bool PdfWriter::PutImageStream(const quint8* pixels, qint32 width, qint32 height,
                               int bytesPerPixel) {
    z_stream z{};
    if (deflateInit(&z, kCompressionLevel) != Z_OK)
        return false;
    m_row.resize(size_t(width) * 3);
    m_zout.resize(kDeflateBuffer);
    m_nStreamBytes = 0;
    const qsizetype rowBytes = qsizetype(width) * bytesPerPixel;
    bool ok = true;
    for (qint32 y = 0; ok && y < height; ++y) {
        BgrToRgb(pixels + y * rowBytes, m_row.data(), width, bytesPerPixel);
        z.next_in = m_row.data();
        z.avail_in = uInt(m_row.size());
        ok = Deflate(&z, Z_NO_FLUSH);
    }
    ok = ok && Deflate(&z, Z_FINISH);
    deflateEnd(&z);
    return ok;
}

// Runs deflate until it has taken all its input (and, to finish, written its end), putting its
// output in the file as the buffer fills.
bool PdfWriter::Deflate(z_stream* z, int flush) {
    for (;;) {
        z->next_out = m_zout.data();
        z->avail_out = uInt(m_zout.size());
        const int result = deflate(z, flush);
        if (result == Z_STREAM_ERROR)
            return false;
        const size_t produced = m_zout.size() - z->avail_out;
        m_nStreamBytes += qint64(produced);
        if (produced > 0 && !Put(m_zout.data(), produced))
            return false;
        if (flush == Z_FINISH ? result == Z_STREAM_END : z->avail_out != 0)
            return true;
    }
}

// A deflated stream object; extra adds entries to its dictionary.
void PdfWriter::WriteStream(int number, const QByteArray& data, const QByteArray& extra) {
    const QByteArray packed = Compressed(data);
    if (packed.isEmpty() && !data.isEmpty()) {
        m_bFailed = true;
        return;
    }
    BeginObject(number);
    Put("<< /Length " + QByteArray::number(packed.size()) + " /Filter /FlateDecode" + extra +
        " >>\nstream\n" + packed + "\nendstream\nendobj\n");
}

// [page /XYZ left top null] for a place in the page's picture, kept on the picture.
QByteArray PdfWriter::Destination(int page, QPointF at) const {
    const Sheet& sheet = m_pages[size_t(page)];
    const double x = std::isfinite(at.x()) ? std::clamp(at.x(), 0.0, sheet.pixels.width()) : 0;
    const double y = std::isfinite(at.y()) ? std::clamp(at.y(), 0.0, sheet.pixels.height()) : 0;
    return '[' + Ref(sheet.object) + " /XYZ " +
           PdfSyntax::Number(sheet.at.left() + x * sheet.scale) + ' ' +
           PdfSyntax::Number(kPageHeight - sheet.at.top() - y * sheet.scale) + " null]";
}

// The links to places, now that every page is known; a place beyond the document falls back to
// the link's address, and a link with neither goes nowhere.
void PdfWriter::WriteLinks() {
    for (const PendingLink& link : m_links) {
        QByteArray action;
        if (link.page < PageCount())
            action = " /A << /S /GoTo /D " + Destination(link.page, link.target) + " >>";
        else if (!link.address.isEmpty())
            action = " /A << /S /URI /URI " + PdfSyntax::AsciiString(link.address) + " >>";
        BeginObject(link.object);
        Put("<< /Type /Annot /Subtype /Link /Rect " + link.rect + " /Border [0 0 0]" + action +
            " >>\nendobj\n");
    }
    m_links.clear();
}

// A composite font with two-byte codes that are the glyph numbers, its program embedded.
void PdfWriter::WriteFont() {
    const int cidFont = Reserve(), descriptor = Reserve(), program = Reserve(),
              toUnicode = Reserve();
    const QByteArray name = "/InvisibleText";
    BeginObject(m_nFont);
    Put("<< /Type /Font /Subtype /Type0 /BaseFont " + name +
        " /Encoding /Identity-H /DescendantFonts [" + Ref(cidFont) + "] /ToUnicode " +
        Ref(toUnicode) + " >>\nendobj\n");
    BeginObject(cidFont);
    Put("<< /Type /Font /Subtype /CIDFontType2 /BaseFont " + name +
        " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> "
        "/FontDescriptor " +
        Ref(descriptor) + " /DW " + QByteArray::number(PdfTextFont::kUnitsPerEm) +
        " /CIDToGIDMap /Identity >>\nendobj\n");
    const QByteArray ascent = QByteArray::number(PdfTextFont::kAscent);
    const QByteArray descent = QByteArray::number(PdfTextFont::kDescent);
    BeginObject(descriptor);
    Put("<< /Type /FontDescriptor /FontName " + name + " /Flags 4 /FontBBox [0 " + descent + ' ' +
        QByteArray::number(PdfTextFont::kUnitsPerEm) + ' ' + ascent + "] /ItalicAngle 0 /Ascent " +
        ascent + " /Descent " + descent + " /CapHeight " + ascent + " /StemV 80 /FontFile2 " +
        Ref(program) + " >>\nendobj\n");
    const QByteArray font = m_font.Program();
    WriteStream(program, font, " /Length1 " + QByteArray::number(font.size()));
    WriteStream(toUnicode, m_font.ToUnicode());
}

// The outline of the headings whose page is in the document; its root's number, 0 for none.
int PdfWriter::WriteOutline() {
    std::vector<const PageLayer::Heading*> kept;
    std::vector<int> levels;
    for (const PageLayer::Heading& heading : m_headings) {
        if (heading.place.page >= 0 && heading.place.page < PageCount()) {
            kept.push_back(&heading);
            levels.push_back(heading.level);
        }
    }
    if (kept.empty())
        return 0;
    const PdfOutline outline(levels);
    const int root = Reserve();
    const int first = root + 1;
    for (size_t i = 0; i < kept.size(); ++i)
        Reserve();
    const auto entry = [first](const char* key, int item) {
        return item < 0 ? QByteArray() : " /" + QByteArray(key) + ' ' + Ref(first + item);
    };
    BeginObject(root);
    Put("<< /Type /Outlines" + entry("First", outline.First()) + entry("Last", outline.Last()) +
        " /Count " + QByteArray::number(qsizetype(kept.size())) + " >>\nendobj\n");
    for (size_t i = 0; i < kept.size(); ++i) {
        const PdfOutline::Item& item = outline.Items()[i];
        const PageLayer::Heading& heading = *kept[i];
        BeginObject(first + int(i));
        Put("<< /Title " + PdfSyntax::TextString(heading.text.simplified()) + " /Parent " +
            (item.parent < 0 ? Ref(root) : Ref(first + item.parent)) +
            entry("Prev", item.previous) + entry("Next", item.next) + entry("First", item.first) +
            entry("Last", item.last) +
            (item.descendants > 0 ? " /Count " + QByteArray::number(item.descendants) : "") +
            " /Dest " + Destination(heading.place.page, heading.place.at) + " >>\nendobj\n");
    }
    return root;
}

bool PdfWriter::Close() {
    if (!m_file.IsOpen())
        return false;
    if (m_bFailed || m_pages.empty() || !WriteTail() || !Flush()) {
        m_file.Abandon();
        return false;
    }
    return m_file.Finish();
}

bool PdfWriter::WriteTail() {
    WriteLinks();
    if (m_nFont != 0)
        WriteFont();
    const int outline = WriteOutline();
    BeginObject(kCatalog);
    Put("<< /Type /Catalog /Pages " + Ref(kPageTree) +
        (outline != 0 ? " /Outlines " + Ref(outline) + " /PageMode /UseOutlines" : "") +
        " >>\nendobj\n");
    QByteArray kids;
    for (const Sheet& sheet : m_pages)
        kids += Ref(sheet.object) + ' ';
    BeginObject(kPageTree);
    Put("<< /Type /Pages /Kids [" + kids.trimmed() + "] /Count " + QByteArray::number(PageCount()) +
        " >>\nendobj\n");
    const qint64 xref = m_nOffset;
    QByteArray table = "xref\n0 " + QByteArray::number(qsizetype(m_objectOffsets.size()) + 1) +
                       "\n0000000000 65535 f \n";
    for (const qint64 offset : m_objectOffsets)
        table += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    Put(table);
    Put("trailer\n<< /Size " + QByteArray::number(qsizetype(m_objectOffsets.size()) + 1) +
        " /Root " + Ref(kCatalog) + " /Info " + Ref(kInfo) + " >>\nstartxref\n" +
        QByteArray::number(xref) + "\n%%EOF\n");
    return !m_bFailed;
}

bool PdfWriter::Put(const void* data, size_t bytes) {
    if (m_bFailed)
        return false;
    m_nOffset += qint64(bytes);
    if (m_nBuffered + bytes > m_buffer.size()) {
        if (!Flush())
            return false;
        if (bytes >= m_buffer.size()) {
            m_bFailed = !m_file.Write(data, bytes);
            return !m_bFailed;
        }
    }
    std::memcpy(m_buffer.data() + m_nBuffered, data, bytes);
    m_nBuffered += bytes;
    return true;
}

bool PdfWriter::Flush() {
    const size_t bytes = std::exchange(m_nBuffered, 0);
    if (!m_bFailed && bytes > 0)
        m_bFailed = !m_file.Write(m_buffer.data(), bytes);
    return !m_bFailed;
}

bool PdfWriter::Fail() {
    m_bFailed = true;
    m_file.Abandon();
    return false;
}
