#pragma once

#include "imaging/QX_DIB.h"
#include "toolkit/QX_ToolLayout.h"

#include <QBasicTimer>
#include <QFont>
#include <QString>
#include <QWidget>

#include <array>
#include <memory>

class QPainter;

// One toolbar record, as the owner hands it over. A command id of 0 makes it a separator.
struct QX_ToolButton {
    QString label;
    QString bitmapPath; // "image/x.bmp" relative to the working directory (".\image\x.bmp"
                        // is accepted too); empty for none. Red (255,0,0) is transparent.
    qint32 commandId = 0;
};

// The toolkit's flat toolbar: a row of text buttons with optional bitmaps and separator lines
// over a gradient. A hovered button is framed raised, a held one sunken with its face shifted
// by one pixel; a click completed on a button sends (command id, 0) to the owner through
// QX_SendCommand, as a menu item would. No keyboard interface, no tooltips.
class QX_ToolBar final : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kSlots = 64;
    static constexpr int kMaxButtons = 63;
    static constexpr int kHoverTimerMs = 300;
    // Window style bits Create understands.
    static constexpr quint32 kWsChild = 0x40000000;
    static constexpr quint32 kWsVisible = 0x10000000;
    static constexpr quint32 kWsDisabled = 0x08000000;

    enum class Look { Resting, Hovered, Held };

    explicit QX_ToolBar(QWidget* parent = nullptr);
    ~QX_ToolBar() override;

    // Makes the toolbar a child of owner at (left, top)-(right, bottom) in the owner's client
    // coordinates with the control id. style = (addStyle | child | visible) & ~removeStyle.
    // A given font is borrowed (copied); without one the toolkit's standard font is used.
    bool Create(QWidget* owner, int id, int left, int top, int right, int bottom,
                quint32 addStyle = 0, quint32 removeStyle = 0, quint32 exStyle = 0,
                const QFont* font = nullptr);
    // Copies count records (1..63) and loads every slot's bitmap; any other count is ignored
    // and false returned. Call RecalcLayout afterwards.
    bool SetButtons(int count, const QX_ToolButton* buttons);
    // Measures the labels in the toolbar font and places every record.
    void RecalcLayout();
    // Draws button index's bitmap and label at their places shifted by (dx, dy).
    void DrawButtonFace(QPainter* dc, int index, int dx, int dy) const;

    int ButtonCount() const { return m_nButtonCount; }
    const QX_ToolButton& Button(int index) const { return m_buttons[size_t(index)]; }
    QX_ToolRect ButtonRect(int index) const { return m_rects[size_t(index)]; }
    int LabelWidth(int index) const { return m_labelWidths[size_t(index)]; }
    // The slot's bitmap (never null once SetButtons ran); check m_bLoaded before use.
    const QX_DIB* ButtonBitmap(int index) const { return m_bitmaps[size_t(index)].get(); }
    int TextHeight() const { return m_nTextHeight; }
    QWidget* Owner() const { return m_pOwner; }
    // The index of the button under the mouse (or held), -1 for none.
    int HotIndex() const { return m_nHotIndex; }
    Look HotLook() const { return m_hotLook; }
    bool IsPressed() const { return m_bPressed; }
    bool IsPointerInside() const { return m_bPointerInside; }
    bool IsHoverTimerRunning() const { return m_bHoverTimer; }
    // The first button (not separator) whose rectangle holds p, or -1.
    int HitTest(QPoint p) const;

    COLORREF m_crBackEdge;
    COLORREF m_crBackCentre;
    COLORREF m_crBorder;
    COLORREF m_crSeparator;
    COLORREF m_crBitmapKey;
    COLORREF m_crText;

  Q_SIGNALS:
    // After the owner was sent the command of a completed click.
    void CommandSent(int commandId);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

  private:
    void SetHot(int index, Look look);
    void DrawLook(QPainter* dc, int index, Look look) const;
    void RepaintButton(int index);
    void EndPress();
    QX_ToolItem Item(int index) const;

    QWidget* m_pOwner = nullptr;
    QFont m_font;
    bool m_bFontBorrowed = false;
    int m_nButtonCount = 0;
    int m_nTextHeight = 12;
    int m_nHotIndex = -1;
    Look m_hotLook = Look::Resting;
    std::array<QX_ToolButton, kSlots> m_buttons;
    std::array<QX_ToolRect, kSlots> m_rects;
    std::array<int, kSlots> m_labelWidths{};
    std::array<std::unique_ptr<QX_DIB>, kSlots> m_bitmaps;
    bool m_bPressed = false;
    bool m_bPointerInside = false;
    bool m_bHoverTimer = false;
    QBasicTimer m_hoverTimer;
};
