#include "review/PageImageView.h"

#include <QScrollBar>

PageImageView::PageImageView(QWidget* parent) : QWidget(parent) {}

PageImageView::~PageImageView() = default;

void PageImageView::SetPageGeometry(qint32 pageWidth, qint32 pageHeight, qsizetype pageBytes) {
    m_nPageWidth = pageWidth;
    m_nPageHeight = pageHeight;
    m_nPageBytes = pageBytes;
}

bool PageImageView::Create(const QRect& rect, QWidget* parent, int) {
    setParent(parent);
    setGeometry(rect);
    show();
    return true;
}

void PageImageView::ShowPage(PageRecord* record, bool reset) {
    m_pRecord = record;
    if (!reset)
        m_bPreviewShown = false;
    update();
}

void PageImageView::ShowPreview(int top, int bottom, const quint8*) {
    m_nPreviewTop = top;
    m_nPreviewBottom = bottom;
    m_bPreviewShown = true;
    update();
}

bool PageImageView::SetAdjustMode(bool on) {
    if (m_bPreviewShown)
        return false;
    m_bAdjustMode = on;
    update();
    return true;
}

QPoint PageImageView::ScrollPos() const {
    return QPoint();
}

QScrollBar* PageImageView::HScrollBar() const {
    return nullptr;
}

QScrollBar* PageImageView::VScrollBar() const {
    return nullptr;
}

bool PageImageView::event(QEvent* event) {
    return QWidget::event(event);
}

bool PageImageView::eventFilter(QObject* watched, QEvent* event) {
    return QWidget::eventFilter(watched, event);
}

void PageImageView::paintEvent(QPaintEvent*) {}
void PageImageView::wheelEvent(QWheelEvent*) {}
void PageImageView::mousePressEvent(QMouseEvent*) {}
void PageImageView::mouseMoveEvent(QMouseEvent*) {}
void PageImageView::mouseReleaseEvent(QMouseEvent*) {}

void PageImageView::OnImageChanged() {}
