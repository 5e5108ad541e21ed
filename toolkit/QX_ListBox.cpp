#include "toolkit/QX_ListBox.h"

#include "toolkit/QX_Command.h"
#include "toolkit/QX_Theme.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

#include <algorithm>

QX_ListBox::QX_ListBox(QWidget* parent)
    : QWidget(parent), m_crBack(QX_RGB(249, 246, 239)), m_crSelCentre(QX_RGB(255, 255, 255)),
      m_crSelEdge(QX_RGB(205, 205, 205)), m_crRowBorder(QX_RGB(249, 246, 239)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setFont(QX_StandardFont());
    m_pScroll = new QScrollBar(Qt::Vertical, this);
    m_pScroll->setFocusPolicy(Qt::NoFocus);
    m_pScroll->hide();
    connect(m_pScroll, &QScrollBar::valueChanged, this, [this](int value) {
        m_nTopIndex = value;
        update();
    });
}

QX_ListBox::~QX_ListBox() = default;

bool QX_ListBox::Create(QWidget* parent, int placeholderId, int newId, quint32 addStyle,
                        quint32 removeStyle, quint32 exStyle) {
    QWidget* placeholder = QX_FindCtrl(parent, placeholderId);
    if (!placeholder || placeholder == this)
        return false;
    const QRect rect(placeholder->mapTo(parent, QPoint(0, 0)), placeholder->size());
    return Create(parent, rect, newId, (addStyle | kDefaultStyle) & ~removeStyle, exStyle);
}

bool QX_ListBox::Create(QWidget* parent, const QRect& rect, int newId, quint32 style,
                        quint32 exStyle) {
    if (!parent)
        return false;
    setParent(parent);
    QX_SetCtrlId(this, newId);
    m_nStyle = style;
    m_nExStyle = exStyle;
    setGeometry(rect);
    setEnabled(!(style & kWsDisabled));
    setVisible(style & kWsVisible);
    UpdateScrollBar();
    return true;
}

void QX_ListBox::SetItemHeight(int height) {
    m_nItemHeight = std::max(1, height);
    UpdateScrollBar();
    update();
}

int QX_ListBox::AddString(const QString& text) {
    if (!(m_nStyle & kLbsSort))
        return InsertString(-1, text);
    // After any equal strings, so that equal rows keep the order they were added in.
    const auto at =
        std::upper_bound(m_rows.begin(), m_rows.end(), text, [](const QString& t, const Row& row) {
            return t.compare(row.text, Qt::CaseInsensitive) < 0;
        });
    return InsertString(int(at - m_rows.begin()), text);
}

int QX_ListBox::InsertString(int index, const QString& text) {
    if (index == -1)
        index = GetCount();
    if (index < 0 || index > GetCount())
        return kErr;
    m_rows.insert(index, Row{text, 0});
    if (m_nCurSel >= index)
        ++m_nCurSel; // the selection stays on its row
    UpdateScrollBar();
    update();
    return index;
}

int QX_ListBox::DeleteString(int index) {
    if (index < 0 || index >= GetCount())
        return kErr;
    m_rows.remove(index);
    if (m_nCurSel == index)
        m_nCurSel = -1;
    else if (m_nCurSel > index)
        --m_nCurSel;
    UpdateScrollBar();
    update();
    return GetCount();
}

void QX_ListBox::ResetContent() {
    m_rows.clear();
    m_nCurSel = -1;
    m_nTopIndex = 0;
    UpdateScrollBar();
    update();
}

QString QX_ListBox::GetText(int index) const {
    return index >= 0 && index < GetCount() ? m_rows[index].text : QString();
}

bool QX_ListBox::SetItemData(int index, quintptr data) {
    if (index < 0 || index >= GetCount())
        return false;
    m_rows[index].data = data;
    return true;
}

quintptr QX_ListBox::GetItemData(int index) const {
    return index >= 0 && index < GetCount() ? m_rows[index].data : quintptr(kErr);
}

int QX_ListBox::SetCurSel(int index) {
    const int old = m_nCurSel;
    const bool valid = index >= 0 && index < GetCount();
    m_nCurSel = valid ? index : -1;
    if (valid) {
        const int visible = VisibleRows();
        if (index < m_nTopIndex)
            SetTopIndex(index);
        else if (index >= m_nTopIndex + visible)
            SetTopIndex(index - visible + 1);
    }
    if (old != m_nCurSel)
        update();
    return valid ? index : kErr;
}

int QX_ListBox::SetTopIndex(int index) {
    if (index < 0 || (index >= GetCount() && GetCount() > 0))
        return kErr;
    const int maxTop = std::max(0, GetCount() - VisibleRows());
    m_nTopIndex = std::min(index, maxTop);
    m_pScroll->setValue(m_nTopIndex);
    update();
    return 0;
}

int QX_ListBox::EdgeWidth() const {
    int edge = (m_nStyle & kWsBorder) ? 1 : 0;
    if (m_nExStyle & kWsExClientEdge)
        edge += 2;
    else if (m_nExStyle & kWsExStaticEdge)
        edge += 1;
    return edge;
}

bool QX_ListBox::IsScrollBarShown() const {
    return !m_pScroll->isHidden();
}

QRect QX_ListBox::RowArea() const {
    const int edge = EdgeWidth();
    QRect area = rect().adjusted(edge, edge, -edge, -edge);
    if (IsScrollBarShown())
        area.setRight(area.right() - m_pScroll->width());
    return area;
}

int QX_ListBox::VisibleRows() const {
    const int edge = EdgeWidth();
    return std::max(1, (height() - 2 * edge) / m_nItemHeight);
}

QRect QX_ListBox::GetItemRect(int index) const {
    const QRect area = RowArea();
    return QRect(area.left(), area.top() + (index - m_nTopIndex) * m_nItemHeight, area.width(),
                 m_nItemHeight);
}

int QX_ListBox::ItemFromPoint(QPoint p) const {
    const QRect area = RowArea();
    if (!area.contains(p))
        return -1;
    const int index = m_nTopIndex + (p.y() - area.top()) / m_nItemHeight;
    return index < GetCount() ? index : -1;
}

void QX_ListBox::UpdateScrollBar() {
    const int edge = EdgeWidth();
    const int innerHeight = height() - 2 * edge;
    const bool needed = (m_nStyle & kWsVScroll) && qint64(GetCount()) * m_nItemHeight > innerHeight;
    const int visible = VisibleRows();
    const int maxTop = std::max(0, GetCount() - visible);
    m_nTopIndex = std::clamp(m_nTopIndex, 0, maxTop);
    const QSignalBlocker block(m_pScroll);
    m_pScroll->setRange(0, needed ? maxTop : 0);
    m_pScroll->setPageStep(visible);
    m_pScroll->setValue(m_nTopIndex);
    if (needed) {
        const int w = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_pScroll);
        m_pScroll->setGeometry(width() - edge - w, edge, w, std::max(0, innerHeight));
    }
    m_pScroll->setVisible(needed);
}

void QX_ListBox::resizeEvent(QResizeEvent*) {
    UpdateScrollBar();
}

void QX_ListBox::DrawEdge(QPainter* dc) const {
    QRect r = rect();
    if (m_nStyle & kWsBorder) {
        dc->setPen(Qt::black);
        dc->setBrush(Qt::NoBrush);
        dc->drawRect(r.adjusted(0, 0, -1, -1));
        r.adjust(1, 1, -1, -1);
    }
    const auto sunken = [dc](QRect& rr, const QColor& dark, const QColor& light) {
        dc->fillRect(rr.left(), rr.top(), rr.width() - 1, 1, dark);
        dc->fillRect(rr.left(), rr.top(), 1, rr.height() - 1, dark);
        dc->fillRect(rr.right(), rr.top(), 1, rr.height(), light);
        dc->fillRect(rr.left(), rr.bottom(), rr.width(), 1, light);
        rr.adjust(1, 1, -1, -1);
    };
    if (m_nExStyle & kWsExClientEdge) {
        sunken(r, QColor(160, 160, 160), QColor(255, 255, 255));
        sunken(r, QColor(105, 105, 105), QColor(227, 227, 227));
    } else if (m_nExStyle & kWsExStaticEdge) {
        sunken(r, QColor(160, 160, 160), QColor(255, 255, 255));
    }
}

void QX_ListBox::DrawRow(QPainter* dc, int index, const QRect& r) {
    const bool selected = index == m_nCurSel;
    if (selected) {
        QX_GradientFillV(dc, r.left(), r.top(), r.left() + r.width(), r.top() + r.height(),
                         m_crSelEdge, m_crSelCentre);
    } else {
        dc->setPen(QX_ToQColor(m_crRowBorder));
        dc->setBrush(QX_ToQColor(m_crBack));
        dc->drawRect(r.adjusted(0, 0, -1, -1));
    }
    dc->save();
    if (m_pDrawItem) {
        m_pDrawItem(parentWidget(), this, index, r, dc, selected ? 1 : 0);
    } else {
        dc->setFont(font());
        dc->setPen(Qt::black);
        dc->drawText(r.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     m_rows[index].text);
    }
    dc->restore();
}

void QX_ListBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!p.isActive())
        return;
    p.fillRect(rect(), QX_ToQColor(m_crBack));
    DrawEdge(&p);
    if (m_rows.isEmpty())
        return;
    const QRect area = RowArea();
    p.setClipRect(area);
    for (int i = m_nTopIndex; i < GetCount(); ++i) {
        const QRect r = GetItemRect(i);
        if (r.top() > area.bottom())
            break;
        DrawRow(&p, i, r);
    }
}

void QX_ListBox::Notify(int code) {
    if (m_nStyle & kLbsNotify)
        QX_SendCommand(this, QX_CtrlId(this), code);
}

void QX_ListBox::SelectByUser(int index) {
    index = std::clamp(index, 0, GetCount() - 1);
    if (index == m_nCurSel || GetCount() == 0)
        return;
    SetCurSel(index);
    Notify(QX_LBN_SELCHANGE);
}

void QX_ListBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    setFocus(Qt::MouseFocusReason);
    const int index = ItemFromPoint(event->position().toPoint());
    m_bTracking = index >= 0;
    if (index >= 0)
        SelectByUser(index);
}

void QX_ListBox::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton))
        m_bTracking = false;
    if (!m_bTracking)
        return;
    const QRect area = RowArea();
    const int y = event->position().toPoint().y();
    // Dragging past the top or bottom edge moves the selection on, scrolling with it.
    int index = m_nTopIndex + (y - area.top()) / m_nItemHeight;
    if (y < area.top())
        index = m_nTopIndex - 1;
    SelectByUser(index);
}

void QX_ListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const int index = ItemFromPoint(event->position().toPoint());
    if (index < 0)
        return;
    SelectByUser(index);
    Notify(QX_LBN_DBLCLK);
}

void QX_ListBox::keyPressEvent(QKeyEvent* event) {
    if (GetCount() == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    const int page = VisibleRows();
    const int cur = m_nCurSel;
    switch (event->key()) {
    case Qt::Key_Up:
        SelectByUser(cur < 0 ? 0 : cur - 1);
        break;
    case Qt::Key_Down:
        SelectByUser(cur < 0 ? 0 : cur + 1);
        break;
    case Qt::Key_PageUp:
        SelectByUser(cur - page + 1);
        break;
    case Qt::Key_PageDown:
        SelectByUser(std::max(cur, 0) + page - 1);
        break;
    case Qt::Key_Home:
        SelectByUser(0);
        break;
    case Qt::Key_End:
        SelectByUser(GetCount() - 1);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void QX_ListBox::wheelEvent(QWheelEvent* event) {
    const int rows = event->angleDelta().y() / 40; // three rows a notch
    if (rows != 0 && IsScrollBarShown())
        m_pScroll->setValue(m_pScroll->value() - rows);
    event->accept();
}
