#pragma once

#include "imaging/QX_DIB.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

#include <memory>

class QPainter;

// Drawing state of a button, as the system hands it to the owner-drawn paint.
enum QX_ButtonState : quint32 {
    QX_ODS_SELECTED = 0x0001, // pushed
    QX_ODS_DISABLED = 0x0004,
    QX_ODS_FOCUS = 0x0010,
};

// Where the image and the label of a button go (item coordinates).
struct QX_ButtonLayout {
    QPoint image;    // top-left of the image (meaningless when no image is laid out)
    QRect label;     // rectangle the label is drawn in
    int textFlags;   // Qt::Alignment bits for the label within `label`
    bool centreBoth; // no image laid out: label centred both ways in `label`
};

// The toolkit's push button: a gradient face, a rounded inner frame, a shade line that moves
// when pushed, a dotted focus rectangle and a label with an optional picture beside or above
// it. Behaves as a standard push button: a completed click (mouse, space, or Enter while it
// has the focus) sends (id, QX_BN_CLICKED) to the nearest QX_CommandTarget ancestor.
class QX_Button final : public QWidget {
    Q_OBJECT

  public:
    explicit QX_Button(QWidget* parent = nullptr);
    ~QX_Button() override;

    // As a framework button's Create: the style takes the window style bits (visible 0x10000000,
    // disabled 0x08000000, tab stop 0x00010000, default push button 0x1). false without parent.
    bool Create(const QString& text, quint32 style, const QRect& rect, QWidget* parent, int id);
    // Takes the place of the dialog's template control `id`, keeping its text, rectangle, id
    // and style. false when the dialog has no such control.
    bool TakeOver(QWidget* dialog, int id);

    // Picture beside (imageAboveText false) or above the label, `spacing` pixels from it.
    // A picture that fails to load still reserves the spacing, as if it were 0 x 0.
    void SetImage(bool imageAboveText, const QString& path, int spacing, bool transparent = false,
                  COLORREF key = 0);
    const QX_DIB* Image() const { return m_pImage.get(); }

    void SetText(const QString& text);
    QString Text() const { return m_strText; }
    int CtrlId() const;

    // The dialog's default button: Enter anywhere in the dialog that no button has focus for
    // presses it (see DefaultButton).
    void SetDefault(bool isDefault) { m_bDefault = isDefault; }
    bool IsDefault() const { return m_bDefault; }
    // The default button among dialog's enabled, visible descendants, or null.
    static QX_Button* DefaultButton(const QWidget* dialog);

    // Presses and releases the button as the user would: notifies unless disabled.
    void Click();
    bool IsPushed() const { return m_bPushed; }

    // Paints the whole button for the given state bits into dc (item origin at 0,0).
    void DrawItem(QPainter* dc, quint32 state) const;
    // The frame and face on the item rectangle (right/bottom exclusive).
    void DrawFace(QPainter* dc, int left, int top, int right, int bottom) const;
    // The content placement for this button's size, picture and label in its current font.
    QX_ButtonLayout Layout(bool pushed) const;
    // The placement arithmetic alone: item size, picture size (0 x 0 when not loaded), label
    // size, spacing (-1: no picture laid out), picture above the label or beside it.
    static QX_ButtonLayout PlaceContent(QSize item, QSize image, QSize label, int spacing,
                                        bool above, bool pushed);
    // The label's measured size in the button's font.
    QSize LabelSize() const;

  Q_SIGNALS:
    // Emitted after the command notification of a completed click.
    void Clicked();

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
    void changeEvent(QEvent* event) override;

  private:
    void SetPushed(bool pushed);
    void ApplyStyle(quint32 style);
    void Notify();

    std::unique_ptr<QX_DIB> m_pImage;
    QString m_strText;
    COLORREF m_crFill;
    COLORREF m_crBorder;
    COLORREF m_crFrame;
    COLORREF m_crCorner;
    COLORREF m_crShade;
    COLORREF m_crFocus;
    COLORREF m_crText;
    COLORREF m_crGradientEdge;
    COLORREF m_crGradientCentre;
    int m_nImageSpacing = -1;
    bool m_bGradient = true;
    bool m_bImageAboveText = false;
    bool m_bDefault = false;
    bool m_bPushed = false;
    bool m_bMouseDown = false; // left button went down on us and is still held
    bool m_bSpaceDown = false;
};
