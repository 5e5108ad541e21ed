#include "imaging/CImageJPG.h"

#include "imaging/OutputFile.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>

#include <jpeglib.h>

#include <jerror.h>

namespace {

// libjpeg's error manager with a way back: a fatal error returns to the compressing function
// instead of ending the process.
struct ReturningErrorMgr {
    jpeg_error_mgr pub;
    std::jmp_buf back;
};

[[noreturn]] void ReturnToCaller(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ReturningErrorMgr*>(info->err)->back, 1);
}

// Warnings are not the user's business and must not reach the standard error stream.
void KeepQuiet(j_common_ptr) {}

// The compressed bytes go to the file in large writes straight from the library's buffer.
struct FileDestination {
    jpeg_destination_mgr pub;
    OutputFile* file;
    JOCTET* buffer;
    size_t size;
};

void StartBuffer(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<FileDestination*>(cinfo->dest);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = dest->size;
}

boolean WriteFullBuffer(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<FileDestination*>(cinfo->dest);
    if (!dest->file->Write(dest->buffer, dest->size))
        ERREXIT(cinfo, JERR_FILE_WRITE);
    StartBuffer(cinfo);
    return TRUE;
}

void WriteRest(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<FileDestination*>(cinfo->dest);
    if (!dest->file->Write(dest->buffer, dest->size - dest->pub.free_in_buffer))
        ERREXIT(cinfo, JERR_FILE_WRITE);
}

constexpr int kRowsPerCall = 16;
constexpr size_t kOutputBuffer = 1 << 20;

} // namespace

CImageJPG::CImageJPG(const QString& fileName) : m_strFileName(fileName) {}

CImageJPG::~CImageJPG() = default;

void CImageJPG::SetQuality(int quality) {
    m_nQuality = std::clamp(quality, 1, 100);
}

bool CImageJPG::CreateFromBitmap(const QImage& bitmap) {
    QImage source = bitmap;
    RawKind kind = RawKind::Bgrx;
    switch (bitmap.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        break;
    case QImage::Format_BGR888:
        kind = RawKind::Bgr;
        break;
    case QImage::Format_RGB16:
        kind = RawKind::Rgb565;
        break;
    default:
        source = bitmap.convertToFormat(QImage::Format_RGB32);
        break;
    }
    SetGeometry(bitmap.width(), bitmap.height());
    if (source.width() != Width() || source.height() != Height()) {
        // Another size than the first picture: its top-left part in the first picture's frame.
        QImage framed(Width(), Height(), source.format());
        framed.fill(0);
        const int rows = std::min(Height(), source.height());
        const qsizetype bytes = qsizetype(std::min(Width(), source.width())) * RawBytes(kind);
        for (int y = 0; y < rows; ++y)
            std::memcpy(framed.scanLine(y), source.constScanLine(y), size_t(bytes));
        source = framed;
    }
    if (source.isNull())
        SetSource(kind, {});
    else
        SetSource(kind, {{source.constBits(), source.height(), source.bytesPerLine()}}, source);
    return true;
}

bool CImageJPG::CreateFromPages(const QList<const quint8*>& pages, int width, int pageHeight,
                                int bytesPerPixel) {
    const RawKind kind = bytesPerPixel == 4   ? RawKind::Bgrx
                         : bytesPerPixel == 3 ? RawKind::Bgr
                                              : RawKind::Rgb565;
    const qint64 height = qint64(pageHeight) * pages.size();
    if (width <= 0 || pageHeight <= 0 || pages.isEmpty() || bytesPerPixel < 2 ||
        bytesPerPixel > 4 || height > std::numeric_limits<int>::max())
        return false;
    if (HasRows() && (Width() != width || Height() != height))
        return false;
    QList<Band> bands;
    bands.reserve(pages.size());
    for (const quint8* page : pages)
        bands.append({page, pageHeight, qsizetype(width) * bytesPerPixel});
    SetGeometry(width, int(height));
    SetSource(kind, bands);
    return true;
}

bool CImageJPG::Save(const QString& fileName) {
    if (!fileName.isEmpty())
        m_strFileName = fileName;
    if (!HasRows() || m_strFileName.isEmpty())
        return false;
    OutputFile file;
    if (!file.Create(m_strFileName))
        return false;
    const auto buffer = std::make_unique<JOCTET[]>(kOutputBuffer);
    if (!Compress(&file, buffer.get(), kOutputBuffer)) {
        file.Abandon();
        return false;
    }
    return file.Finish();
}

int CImageJPG::LibraryColourSpace() const {
    // The library reads blue-green-red rows itself; the result is the same as from red, green,
    // blue rows and saves a conversion pass over every page.
    switch (Kind()) {
    case RawKind::Bgrx:
        return JCS_EXT_BGRX;
    case RawKind::Bgr:
        return JCS_EXT_BGR;
    case RawKind::Rgb565:
    case RawKind::Rgb:
        break;
    }
    return JCS_RGB;
}

// Only plain data lives in this frame: a library error jumps back over it.
bool CImageJPG::Compress(OutputFile* file, unsigned char* buffer, size_t bufferSize) {
    jpeg_compress_struct cinfo;
    ReturningErrorMgr errors;
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = ReturnToCaller;
    errors.pub.output_message = KeepQuiet;
    if (setjmp(errors.back)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    FileDestination dest{{}, file, buffer, bufferSize};
    dest.pub.init_destination = StartBuffer;
    dest.pub.empty_output_buffer = WriteFullBuffer;
    dest.pub.term_destination = WriteRest;
    cinfo.dest = &dest.pub;
    cinfo.image_width = JDIMENSION(Width());
    cinfo.image_height = JDIMENSION(Height());
    cinfo.input_components = RawBytes(Kind());
    cinfo.in_color_space = J_COLOR_SPACE(LibraryColourSpace());
    if (Kind() == RawKind::Rgb565)
        cinfo.input_components = 3; // converted row by row below
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, m_nQuality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    JSAMPARRAY converted = nullptr;
    if (Kind() == RawKind::Rgb565)
        converted = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                               JDIMENSION(RowStride()), 1);
    JSAMPROW rows[kRowsPerCall];
    while (cinfo.next_scanline < cinfo.image_height) {
        const int top = int(cinfo.next_scanline);
        if (converted) {
            ConvertRow(top, converted[0]);
            jpeg_write_scanlines(&cinfo, converted, 1);
            continue;
        }
        const int count = std::min(kRowsPerCall, Height() - top);
        for (int i = 0; i < count; ++i)
            rows[i] = const_cast<JSAMPROW>(RawRow(top + i)); // the library only reads them
        jpeg_write_scanlines(&cinfo, rows, JDIMENSION(count));
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}
