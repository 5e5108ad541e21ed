#pragma once

#include "imaging/QX_DIB.h"

#include <QRect>
#include <QString>
#include <QVector>
#include <QWidget>

class QPainter;
class QScrollBar;
class QX_ListBox;

// The owner's row painter: called for each row drawn, after the list box painted the row's
// background (flat, or the grey-white-grey band when selected), with the list box's parent,
// the list box, the row index, the row rectangle, the painter and 1 (selected) or 0.
using QX_DrawItemProc = void (*)(QWidget* parent, QX_ListBox* list, int index, QRect rowRect,
                                 QPainter* dc, int selected);

// The toolkit's skinned list box: single selection, fixed-height owner-drawn rows, a vertical
// scroll bar when the rows do not fit. It sends (id, QX_LBN_SELCHANGE) when the user changes
// the selection and (id, QX_LBN_DBLCLK) when a row is double-clicked.
class QX_ListBox final : public QWidget {
    Q_OBJECT

  public:
    // Window style bits it reads. The default is the dialogs' list box style.
    static constexpr quint32 kLbsNotify = 0x0001;
    static constexpr quint32 kLbsSort = 0x0002;
    static constexpr quint32 kWsVScroll = 0x00200000;
    static constexpr quint32 kWsBorder = 0x00800000;
    static constexpr quint32 kWsDisabled = 0x08000000;
    static constexpr quint32 kWsVisible = 0x10000000;
    static constexpr quint32 kDefaultStyle = 0x50A00153;
    // Extended style bits it reads: a 2-pixel sunken or a 1-pixel static edge.
    static constexpr quint32 kWsExClientEdge = 0x00000200;
    static constexpr quint32 kWsExStaticEdge = 0x00020000;
    static constexpr int kErr = -1;

    explicit QX_ListBox(QWidget* parent = nullptr);
    ~QX_ListBox() override;

    // Creates the list box over the parent's placeholder control (found with QX_FindCtrl; the
    // placeholder is left alone) with the new control id and
    // style (addStyle | kDefaultStyle) & ~removeStyle. false when there is no placeholder.
    bool Create(QWidget* parent, int placeholderId, int newId, quint32 addStyle,
                quint32 removeStyle, quint32 exStyle);
    // The same at a rectangle of the parent's client area.
    bool Create(QWidget* parent, const QRect& rect, int newId, quint32 style, quint32 exStyle);

    // Rows drawn before a callback is installed show their text plainly.
    void SetDrawItemCallback(QX_DrawItemProc proc) { m_pDrawItem = proc; }
    // Every row becomes height pixels high (at least 1); rows are laid out again at once.
    void SetItemHeight(int height);
    int GetItemHeight() const { return m_nItemHeight; }

    // Adds text at its sorted place (case-insensitive) when the style sorts, else at the end.
    // Returns the index.
    int AddString(const QString& text);
    // Inserts text at index (-1: at the end), unsorted. Returns the index or kErr.
    int InsertString(int index, const QString& text);
    // Returns the remaining count, or kErr.
    int DeleteString(int index);
    void ResetContent();
    int GetCount() const { return int(m_rows.size()); }
    QString GetText(int index) const; // empty when out of range
    bool SetItemData(int index, quintptr data);
    quintptr GetItemData(int index) const; // quintptr(kErr) when out of range

    int GetCurSel() const { return m_nCurSel; }
    // Selects index (-1 clears) and scrolls it into view, without notifying. Returns the
    // index, or kErr for -1 or an index out of range (which also clear the selection).
    int SetCurSel(int index);
    int GetTopIndex() const { return m_nTopIndex; }
    int SetTopIndex(int index);

    // The row's rectangle in widget coordinates (it may lie outside the visible part).
    QRect GetItemRect(int index) const;
    // The rows' area: inside the edge, left of the scroll bar.
    QRect RowArea() const;
    // The row under p (widget coordinates), or -1.
    int ItemFromPoint(QPoint p) const;
    quint32 Style() const { return m_nStyle; }
    quint32 ExStyle() const { return m_nExStyle; }
    bool IsScrollBarShown() const;

    COLORREF m_crBack;
    COLORREF m_crSelCentre;
    COLORREF m_crSelEdge;
    COLORREF m_crRowBorder;
    int m_nItemWidth = 80;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    struct Row {
        QString text;
        quintptr data = 0;
    };

    void DrawRow(QPainter* dc, int index, const QRect& rect);
    void DrawEdge(QPainter* dc) const;
    int EdgeWidth() const;
    int VisibleRows() const; // rows that fit whole (at least 1)
    void UpdateScrollBar();
    void SelectByUser(int index);
    void Notify(int code);

    QVector<Row> m_rows;
    QScrollBar* m_pScroll = nullptr;
    QX_DrawItemProc m_pDrawItem = nullptr;
    quint32 m_nStyle = kDefaultStyle;
    quint32 m_nExStyle = 0;
    int m_nItemHeight = 17;
    int m_nCurSel = -1;
    int m_nTopIndex = 0;
    bool m_bTracking = false; // the left button went down on a row and is still held
};
