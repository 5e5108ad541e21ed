#include "app/MainLayout.h"

#include <algorithm>

MainLayout::MainLayout(int clientWidth, int clientHeight)
    : m_nWidth(clientWidth), m_nHeight(clientHeight) {}

QRect MainLayout::Sized(int left, int top, int width, int height) {
    return QRect(left, top, std::max(0, width), std::max(0, height));
}

QRect MainLayout::ToolBar() const {
    return Sized(3, 32, m_nWidth - 6, 32);
}

QPoint MainLayout::AddressLabel() const {
    return QPoint(10, 72);
}

QRect MainLayout::AddressBox() const {
    return Sized(110, 67, m_nWidth - 114, 22);
}

QRect MainLayout::Content() const {
    return Sized(3, 90, m_nWidth - 6, m_nHeight - 93);
}
