#include "imaging/PdfFileWriter.h"

#include "imaging/PageOutput.h"
#include "imaging/PdfWriter.h"

namespace {
template <typename T>
const std::vector<T>& OfPage(const std::vector<std::vector<T>>& byPage, qsizetype page) {
    static const std::vector<T> none;
    return page < qsizetype(byPage.size()) ? byPage[size_t(page)] : none;
}
} // namespace

bool PdfFileWriter::Write(const QString& path, const PageStack& pages, const PageLayer& layer) {
    PdfWriter pdf;
    const QString title =
        layer.title.trimmed().isEmpty() ? PageOutput::DocumentName() : layer.title;
    bool ok = pdf.Open(path, {title, layer.address, layer.captured, PageOutput::Producer()});
    for (qsizetype i = 0; ok && i < pages.pixels.size(); ++i) {
        ok = pdf.AddPage(pages.pixels[i], pages.width, pages.pageHeight, pages.bytesPerPixel,
                         OfPage(layer.words, i), OfPage(layer.links, i), pages.scale);
    }
    pdf.SetHeadings(layer.headings);
    return pdf.Close() && ok;
}
