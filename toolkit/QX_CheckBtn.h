#pragma once

#include "imaging/QX_DIB.h"
#include "toolkit/QX_TextCtrl.h"

#include <QRect>
#include <QString>
#include <QVector>

// The toolkit's check box and radio button in one: the state is drawn with the shared skin
// images (the skin's check bitmaps) followed by the text, with no background of its own, and focus
// is shown by the text colour. The kind is read from the style at every use: a button type with bit
// 1 set (check box, auto check box) is a check box, any other a radio button. Each mouse release
// that ends a press sends (id, QX_BN_CLICKED) to the parent; the space bar toggles without a
// notification.
class QX_CheckBtn final : public QX_TextCtrl {
    Q_OBJECT

  public:
    // Window style bits it reads.
    static constexpr quint32 kTypeMask = 0x000F;
    static constexpr quint32 kBsCheckBox = 0x0002;
    static constexpr quint32 kBsAutoCheckBox = 0x0003;
    static constexpr quint32 kBsRadioButton = 0x0004;
    static constexpr quint32 kBsAutoRadioButton = 0x0009;
    static constexpr quint32 kBsRight = 0x0200;
    static constexpr quint32 kBsCenter = 0x0300;
    static constexpr quint32 kBsBottom = 0x0800;
    static constexpr quint32 kBsVCenter = 0x0C00;
    static constexpr quint32 kWsTabStop = 0x00010000;
    static constexpr quint32 kWsGroup = 0x00020000;
    static constexpr quint32 kWsDisabled = 0x08000000;
    static constexpr quint32 kWsVisible = 0x10000000;
    // The text starts this far right of the control's left edge.
    static constexpr int kTextIndent = 17;

    explicit QX_CheckBtn(QWidget* parent = nullptr);
    ~QX_CheckBtn() override;

    // Takes the place of the dialog's template control id (text, rectangle, style). With
    // useFont the given font is used (borrowed); otherwise the standard font. false when the
    // dialog has no such control.
    bool Attach(int id, QWidget* dialog, const QFont* font, bool useFont);
    // Creates the control in code. false without a parent.
    bool Create(const QString& text, quint32 style, const QRect& rect, QWidget* parent, int id);

    // Stores the low byte of state (0 or 1) and repaints. Notifies nobody.
    void SetCheck(int state);
    int GetCheck() const { return m_bChecked ? 1 : 0; }
    // Unchecks the other radio buttons of this control's group (see GroupOf).
    void UncheckGroup();
    // The radio group around control in its parent's child order: it starts at a control with
    // the group style and ends before the next one, or at a control that is no radio button.
    static QVector<QX_CheckBtn*> GroupOf(QX_CheckBtn* control);

    bool IsRadio() const;
    int CtrlId() const;
    // Current text colour (focus or normal) and whether the pressed image shows.
    COLORREF TextColor() const { return m_crText; }
    bool ShowsPressedImage() const;
    // The skin's check bitmap index for the current state with or without the pressed look.
    int ImageIndex(bool pressedLook) const;

    COLORREF m_crFocusText;
    COLORREF m_crNormalText;
    int m_nImageYOffset = -1;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    void Toggle();
    static bool IsRadioStyle(quint32 style);

    COLORREF m_crText;
    bool m_bChecked = false;
    bool m_bPressed = false;      // the mouse button is held on the control
    bool m_bPointerInside = true; // while pressed
    bool m_bSpaceDown = false;    // the space bar is held
};
