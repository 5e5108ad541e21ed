#include "imaging/PictureFileWriter.h"

#include "imaging/PageStackWriter.h"

bool PictureFileWriter::Write(const QString& path, const PageStack& pages, const PageLayer&) {
    const PageStackWriter writer(pages.width, pages.pageHeight, pages.bytesPerPixel);
    switch (m_format) {
    case PageOutput::Format::Bmp:
        return writer.WriteBmp(path, pages.pixels);
    case PageOutput::Format::Png:
        return writer.WritePng(path, pages.pixels);
    case PageOutput::Format::Jpeg:
        return writer.WriteJpeg(path, pages.pixels, PageOutput::kJpegQuality);
    case PageOutput::Format::Pdf:
        break;
    }
    return false;
}
