#include "imaging/PageOutput.h"

#include "imaging/BmpWriter.h"
#include "imaging/CImageJPG.h"
#include "imaging/PdfFileWriter.h"
#include "imaging/PictureFileWriter.h"
#include "imaging/PngWriter.h"

#include <QFileInfo>

QString PageOutput::Extension(Format format) {
    switch (format) {
    case Format::Bmp:
        return QStringLiteral("bmp");
    case Format::Jpeg:
        return QStringLiteral("jpg");
    case Format::Png:
        return QStringLiteral("png");
    case Format::Pdf:
        break;
    }
    return QStringLiteral("pdf");
}

std::optional<PageOutput::Format> PageOutput::FormatOfFile(const QString& file) {
    const QFileInfo info(file);
    const QString suffix = info.suffix().toLower();
    if (info.completeBaseName().isEmpty())
        return std::nullopt;
    if (suffix == QLatin1String("png"))
        return Format::Png;
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        return Format::Jpeg;
    if (suffix == QLatin1String("bmp"))
        return Format::Bmp;
    if (suffix == QLatin1String("pdf"))
        return Format::Pdf;
    return std::nullopt;
}

QString PageOutput::NumberedFile(const QString& file, int number) {
    const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
    return file.left(dot) + QStringLiteral("%1").arg(number, 3, 10, QLatin1Char('0')) +
           file.mid(dot);
}

PageOutput::Limit PageOutput::PictureLimit(Format format, int width, qint64 rows,
                                           int bytesPerPixel) {
    switch (format) {
    case Format::Bmp:
        return BmpWriter::Fits(width, rows, bytesPerPixel) ? Limit::None : Limit::BmpSize;
    case Format::Png:
        return PngWriter::Fits(width, rows, bytesPerPixel) ? Limit::None : Limit::PngSize;
    case Format::Jpeg:
        return rows > CImageJPG::kMaxHeight ? Limit::JpegRows : Limit::None;
    case Format::Pdf:
        break;
    }
    return Limit::None;
}

int PageOutput::MaxJpegPages(int pageHeight) {
    return pageHeight > 0 ? CImageJPG::kMaxHeight / pageHeight : 0;
}

QString PageOutput::DocumentName() {
    // The display name, " - " and the maker.
    return QStringLiteral("Tarnel - Tarnel 프로젝트");
}

QString PageOutput::Producer() {
    return QStringLiteral("Tarnel ") + QStringLiteral(ZELVANE_VERSION);
}

std::unique_ptr<PageFileWriter> PageOutput::Writer(Format format) {
    if (format == Format::Pdf)
        return std::make_unique<PdfFileWriter>();
    return std::make_unique<PictureFileWriter>(format);
}

PageLayer PageOutput::LayerOfPages(const PageLayer& layer, const QList<int>& pages) {
    PageLayer kept;
    kept.title = layer.title;
    kept.address = layer.address;
    kept.captured = layer.captured;
    // Where each of the layer's pages went, -1 when left out.
    const int count = int(std::max(layer.words.size(), layer.links.size()));
    std::vector<int> moved;
    const auto movedTo = [&moved](int page) {
        return page >= 0 && page < int(moved.size()) ? moved[size_t(page)] : -1;
    };
    for (int k = 0; k < int(pages.size()); ++k) {
        const int page = pages[k];
        if (page >= 0 && page >= int(moved.size()))
            moved.resize(size_t(page) + 1, -1);
        if (page >= 0)
            moved[size_t(page)] = k;
    }
    kept.words.resize(size_t(pages.size()));
    kept.links.resize(size_t(pages.size()));
    for (int k = 0; k < int(pages.size()); ++k) {
        const int page = pages[k];
        if (page < 0 || page >= count)
            continue;
        if (size_t(page) < layer.words.size())
            kept.words[size_t(k)] = layer.words[size_t(page)];
        if (size_t(page) >= layer.links.size())
            continue;
        for (PageLayer::Link link : layer.links[size_t(page)]) {
            link.target.page = movedTo(link.target.page);
            kept.links[size_t(k)].push_back(std::move(link));
        }
    }
    for (PageLayer::Heading heading : layer.headings) {
        heading.place.page = movedTo(heading.place.page);
        if (heading.place.page >= 0)
            kept.headings.push_back(std::move(heading));
    }
    return kept;
}
