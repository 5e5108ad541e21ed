#pragma once

#include "imaging/QX_DIB.h"
#include "toolkit/QX_TextCtrl.h"

#include <QBasicTimer>
#include <QRect>
#include <QString>

// The toolkit's text label: its text over a light vertical gradient band, or over whatever the
// parent painted when switched to no background. It can alternate between its normal colours
// and a second pair (StartAlternation), e.g. to draw attention to a note.
class QX_Static final : public QX_TextCtrl {
    Q_OBJECT

  public:
    // Window style bits it reads.
    static constexpr quint32 kSsLeft = 0x0000;
    static constexpr quint32 kSsCenter = 0x0001;
    static constexpr quint32 kSsRight = 0x0002;
    static constexpr quint32 kSsNoPrefix = 0x0080;
    static constexpr quint32 kSsCenterImage = 0x0200;
    static constexpr quint32 kWsVisible = 0x10000000;

    explicit QX_Static(QWidget* parent = nullptr);
    ~QX_Static() override;

    // Takes the place of the dialog's template control id (text, rectangle, style). With
    // useFont the given font is used (borrowed); otherwise the standard font. false when the
    // dialog has no such control.
    bool Attach(int id, QWidget* dialog, const QFont* font, bool useFont);
    // Creates the label in code. false without a parent.
    bool Create(const QString& text, quint32 style, const QRect& rect, QWidget* parent, int id);

    // Both take effect at the next paint; call them before the label is first shown.
    void SetTextColor(COLORREF color) { m_crText = color; }
    void SetTransparent(bool transparent) { m_bNoBackground = transparent; }
    bool IsTransparent() const { return m_bNoBackground; }

    // Sets the alternate text and fill colours and starts alternating every periodMs.
    void StartAlternation(COLORREF text, COLORREF fill, int periodMs);
    // Stops alternating and returns to the normal colours.
    void StopAlternation();
    // 0 normal; 1 and 2 while alternating (2 draws like 0).
    int Phase() const { return m_nPhase; }

    // The Qt alignment and flags the style gives the text.
    int TextFlags() const;

    COLORREF m_crText;
    COLORREF m_crFill;
    COLORREF m_crFillCentre;
    COLORREF m_crAltText;
    COLORREF m_crAltFill;
    COLORREF m_crAltFillCentre;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

  private:
    bool m_bNoBackground = false;
    int m_nPhase = 0;
    QBasicTimer m_phaseTimer;
};
