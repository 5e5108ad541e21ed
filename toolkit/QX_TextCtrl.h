#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>

struct QX_CtrlInfo;

// What the skinned label and the check button have in common: a text drawn in a font of their
// own (the standard font unless one is lent), and the window style kept with the control's id,
// whether the control took a dialog template's place or was created in code.
class QX_TextCtrl : public QWidget {
    Q_OBJECT

  public:
    ~QX_TextCtrl() override;

    quint32 Style() const;
    // Stores the style and repaints the control with its area in the parent.
    void SetStyle(quint32 style);
    QString Text() const { return m_strText; }
    void SetText(const QString& text);
    // The given font (borrowed), or the standard font for null.
    void SetFont(const QFont* font);

  protected:
    explicit QX_TextCtrl(QWidget* parent);

    // Takes the place of the dialog's template control id and its text; with useFont the given
    // font is set first. info receives what the template gave. false when there is no such
    // control.
    bool AttachText(int id, QWidget* dialog, const QFont* font, bool useFont, QX_CtrlInfo* info);
    // Puts the control on parent at rect with that id, text and style; shows nothing yet.
    // false without a parent.
    bool CreateText(const QString& text, quint32 style, const QRect& rect, QWidget* parent, int id);

    QString m_strText;
    QFont m_font;
    bool m_bFontBorrowed = false;
};
