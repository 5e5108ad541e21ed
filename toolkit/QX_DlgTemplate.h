#pragma once

#include <QFont>
#include <QList>
#include <QRect>
#include <QString>
#include <QtGlobal>

// Window style bits as dialog templates give them; controls read them back through
// QX_GetCtrlInfo (for instance a check button tells a check box from a radio button).
constexpr quint32 QX_WS_POPUP = 0x80000000;
constexpr quint32 QX_WS_CHILD = 0x40000000;
constexpr quint32 QX_WS_VISIBLE = 0x10000000;
constexpr quint32 QX_WS_DISABLED = 0x08000000;
constexpr quint32 QX_WS_BORDER = 0x00800000;
constexpr quint32 QX_WS_GROUP = 0x00020000;
constexpr quint32 QX_WS_TABSTOP = 0x00010000;
constexpr quint32 QX_DS_SETFONT = 0x00000040;

constexpr quint32 QX_BS_PUSHBUTTON = 0x0;
constexpr quint32 QX_BS_DEFPUSHBUTTON = 0x1;
constexpr quint32 QX_BS_CHECKBOX = 0x2;
constexpr quint32 QX_BS_AUTOCHECKBOX = 0x3;
constexpr quint32 QX_BS_RADIOBUTTON = 0x4;
constexpr quint32 QX_BS_GROUPBOX = 0x7;
constexpr quint32 QX_BS_AUTORADIOBUTTON = 0x9;
constexpr quint32 QX_BS_OWNERDRAW = 0xB;
constexpr quint32 QX_BS_TYPEMASK = 0xF;

constexpr quint32 QX_SS_LEFT = 0x0;
constexpr quint32 QX_SS_CENTER = 0x1;
constexpr quint32 QX_SS_RIGHT = 0x2;
constexpr quint32 QX_SS_BLACKFRAME = 0x7;
constexpr quint32 QX_SS_TYPEMASK = 0x1F;
constexpr quint32 QX_SS_CENTERIMAGE = 0x200;

constexpr quint32 QX_ES_AUTOHSCROLL = 0x80;

// What a template control becomes before a skinned control takes it over.
enum class QX_CtrlKind {
    Button,      // push button
    DefButton,   // default push button: Enter presses it
    CheckBox,    // check box
    RadioButton, // radio button; QX_WS_GROUP starts a new group
    Static,      // static text
    Frame,       // static frame, e.g. a placeholder that only gives a rectangle
    Edit,        // single-line edit
    GroupBox,    // group box
};

// One control of a template; positions and sizes in dialog units.
struct QX_DlgItem {
    int id = 0;
    QX_CtrlKind kind = QX_CtrlKind::Static;
    QString text;
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    // Extra style bits (QX_BS_*, QX_SS_*, QX_WS_DISABLED, QX_WS_GROUP, ...); QX_WS_CHILD and
    // QX_WS_VISIBLE are implied unless hidden is set.
    quint32 style = 0;
    bool hidden = false;
};

// A numbered dialog template: the size in dialog units, the dialog font and the controls.
struct QX_DlgTemplate {
    int id = 0;
    int cx = 0;
    int cy = 0;
    QString fontFace = QStringLiteral("굴림");
    int pointSize = 9;
    quint32 style = QX_WS_POPUP | QX_WS_VISIBLE | QX_DS_SETFONT;
    QList<QX_DlgItem> items;
};

// Adds (or replaces) the template with t.id in the process-wide registry.
void QX_RegisterDlgTemplate(const QX_DlgTemplate& t);
// The registered template with that id, or null.
const QX_DlgTemplate* QX_FindDlgTemplate(int id);

// Registers a template when constructed: a static object of this type in a dialog's own source
// file registers that dialog's template before main runs.
struct QX_DlgTemplateRegistrar {
    explicit QX_DlgTemplateRegistrar(const QX_DlgTemplate& t) { QX_RegisterDlgTemplate(t); }
};

// Dialog units to pixels with the base units of a dialog font, as a template dialog is laid out.
class QX_DlgUnits {
  public:
    QX_DlgUnits(int baseX, int baseY);
    // Base units of a font: average width of "A".."Z" "a".."z" rounded as (w + 26) / 52, and the
    // character height.
    static QX_DlgUnits FromFont(const QFont& font);
    // The font a template asks for: its face at its point size, taken at 96 dots per inch.
    static QFont TemplateFont(const QX_DlgTemplate& t);

    int BaseX() const { return m_nBaseX; }
    int BaseY() const { return m_nBaseY; }
    int MapX(int dluX) const;
    int MapY(int dluY) const;
    // Converts x, y, width, height in dialog units (each on its own, as controls are created).
    QRect MapRect(int x, int y, int cx, int cy) const;

  private:
    int m_nBaseX;
    int m_nBaseY;
};

// Rounded a * b / c as the platform's MulDiv does (halves away from zero); -1 when c is 0.
int QX_MulDiv(int a, int b, int c);
