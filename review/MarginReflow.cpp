#include "review/MarginReflow.h"

MarginReflow::MarginReflow(PageSet& pages) : m_pages(pages) {}

qsizetype MarginReflow::RowBytes() const {
    return m_pages.pageBytes / PageSet::pageHeight;
}

int MarginReflow::BytesPerPixel() const {
    const qint64 pixels = qint64(m_pages.pageWidth) * PageSet::pageHeight;
    return pixels > 0 ? int(m_pages.pageBytes / pixels) : 0;
}

bool MarginReflow::Preview(int, int, int, QByteArray&) const {
    return false;
}

MarginReflow::ApplyResult MarginReflow::Apply(int, int, int) {
    return ApplyResult::NoPage;
}

bool MarginReflow::DropBlankLastPage() {
    return false;
}

bool MarginReflow::IsBlankPage(const quint8*, qint32, qint32, int) {
    return false;
}
