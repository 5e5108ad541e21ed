#include "toolkit/QX_Theme.h"

#include <QFile>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QStringList>
#include <QWidget>

#include <cstring>

COLORREF QX_UserColor[QX_COLOR_SLOTS] = {
    QX_COLOR_UNSET, QX_COLOR_UNSET, QX_COLOR_UNSET, QX_COLOR_UNSET, QX_COLOR_UNSET,
    QX_COLOR_UNSET, QX_COLOR_UNSET, QX_COLOR_UNSET, QX_COLOR_UNSET, QX_COLOR_UNSET,
    QX_COLOR_UNSET, QX_COLOR_UNSET, QX_COLOR_UNSET,
};

const char* const QX_UserColorKey[QX_COLOR_SLOTS] = {
    "static[fore]",        "static[fill]",          "dialog[body_pen]", "dialog[body_brush]",
    "dialog[active_text]", "dialog[inactive_text]", "window[body_pen]", "window[body_brush]",
    "window[active_text]", "window[inactive_text]", "button[fore]",     "button[fill]",
    "button[border]",
};

QX_DIB* QX_FrameBitmap[8] = {};
QX_DIB* QX_CheckBitmap[8] = {};
QFont* QX_FontHangul = nullptr;
QFont* QX_FontLatin = nullptr;

namespace {

const char* const kFrameNames[8] = {
    "minimize_up.bmp", "minimize_down.bmp", "maximize_up.bmp", "maximize_down.bmp",
    "close_up.bmp",    "close_down.bmp",    "restore_up.bmp",  "restore_down.bmp",
};
const char* const kCheckNames[8] = {
    "check_up2.bmp", "check_up1.bmp", "check_down2.bmp", "check_down1.bmp",
    "radio_up2.bmp", "radio_up1.bmp", "radio_down2.bmp", "radio_down1.bmp",
};

// One read of the colour file: at most 127 characters, as a 128-byte line buffer holds.
constexpr int kPieceChars = 127;
// A number field (or the trailing run after the last separator) keeps at most this many
// characters; the rest of an over-long run is skipped, so no run can overflow anything.
constexpr int kRunChars = 31;

// atoi on a field of at most kRunChars characters. The digits are accumulated modulo 2^32,
// which keeps the low 8 bits exact (all the caller uses) and never overflows.
int ParseComponent(const char* field) {
    const char* p = field;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    quint32 value = 0;
    while (*p >= '0' && *p <= '9')
        value = value * 10u + quint32(*p++ - '0');
    if (negative)
        value = 0u - value;
    return int(value & 0xFFu);
}

// The colour a key line gives: the fields after the first "=", each ended by "," or ";".
COLORREF ParseColorLine(const char* line) {
    const char* eq = std::strchr(line, '=');
    if (!eq)
        return QX_RGB(0, 0, 0);
    int component[3] = {0, 0, 0};
    char field[kRunChars + 1] = {};
    int length = 0;
    int fields = 0;
    for (const char* p = eq + 1; *p && *p != '\n' && *p != '\r'; ++p) {
        if (*p == ',' || *p == ';') {
            field[length] = '\0';
            component[fields % 3] = ParseComponent(field);
            ++fields;
            length = 0;
        } else if (length < kRunChars) {
            field[length++] = *p;
        }
    }
    return QX_RGB(component[0], component[1], component[2]);
}

// Applies one piece of the file: the first key (in table order) found in it takes the colour.
void ApplyPiece(const char* piece) {
    for (int slot = 0; slot < QX_COLOR_SLOTS; ++slot) {
        if (std::strstr(piece, QX_UserColorKey[slot])) {
            QX_UserColor[slot] = ParseColorLine(piece);
            return;
        }
    }
}

// Splits the file into pieces as a text-mode line reader with a 128-byte buffer would: CR LF
// becomes LF, a piece ends after its LF or at 127 characters. Pieces are C strings, so a NUL
// byte ends what the key search and the parser see of that piece.
class PieceReader final {
  public:
    explicit PieceReader(QIODevice* file) : m_pFile(file) {}

    bool Next(char* piece) {
        int length = 0;
        char c = 0;
        while (length < kPieceChars && GetChar(&c)) {
            piece[length++] = c;
            if (c == '\n')
                break;
        }
        piece[length] = '\0';
        return length > 0;
    }

  private:
    bool GetChar(char* c) {
        if (!RawChar(c))
            return false;
        if (*c == '\r') {
            char next = 0;
            if (RawChar(&next)) {
                if (next == '\n')
                    *c = '\n';
                else
                    m_nPos--; // not a CR LF pair: keep the next character for later
            }
        }
        return true;
    }

    bool RawChar(char* c) {
        if (m_nPos >= m_nSize) {
            m_nSize = m_pFile->read(m_buffer, sizeof m_buffer);
            m_nPos = 0;
            if (m_nSize <= 0)
                return false;
        }
        *c = m_buffer[m_nPos++];
        return true;
    }

    QIODevice* m_pFile;
    char m_buffer[4096]; // a fixed buffer: nothing is allocated per chunk read
    qint64 m_nSize = 0;
    qint64 m_nPos = 0;
};

// The pixel size whose line height (ascent + descent) comes closest to cellHeight without
// exceeding it: what a positive CreateFont height asks for.
int PixelSizeForCell(const QStringList& families, int cellHeight) {
    QFont font;
    font.setFamilies(families);
    int best = cellHeight;
    for (int size = cellHeight; size >= qMax(1, cellHeight / 2); --size) {
        font.setPixelSize(size);
        best = size;
        if (QFontMetrics(font).ascent() + QFontMetrics(font).descent() <= cellHeight)
            break;
    }
    return best;
}

QFont MakeCellFont(const QStringList& families, int cellHeight) {
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setPixelSize(qGuiApp ? PixelSizeForCell(families, cellHeight) : cellHeight);
    return font;
}

QStringList HangulFamilies() {
    return {QStringLiteral("굴림체"), QStringLiteral("NanumGothicCoding"),
            QStringLiteral("NanumGothic")};
}

QStringList LatinFamilies() {
    return {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
            QStringLiteral("DejaVu Sans")};
}

QX_DIB* LoadSkinBitmap(const char* name, COLORREF key) {
    auto* dib = new QX_DIB;
    dib->LoadFromPack(QString::fromLatin1(name));
    // The load resets both; a missing entry simply stays unloaded.
    dib->m_bTransparent = true;
    dib->m_crKey = key;
    return dib;
}

// The colour i/n of the way from a to b, rounded to nearest, per channel.
COLORREF Interpolate(COLORREF a, COLORREF b, int i, int n) {
    if (n <= 0)
        return a;
    COLORREF result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int ca = int((a >> shift) & 0xFF);
        const int cb = int((b >> shift) & 0xFF);
        const int num = (cb - ca) * i;
        const int step = num >= 0 ? (num + n / 2) / n : -((-num + n / 2) / n);
        result |= COLORREF(ca + step) << shift;
    }
    return result;
}

// Fills [from, to) of the axis with lines running from colour a at `from` to colour b at
// `last`; line(pos) paints one row or column.
template <typename LineFn>
void FillRamp(int from, int to, int last, COLORREF a, COLORREF b, LineFn line) {
    const int span = last - from;
    for (int pos = from; pos < to; ++pos)
        line(pos, QX_ToQColor(Interpolate(a, b, pos - from, span)));
}

} // namespace

COLORREF QX_ThemeColor(QX_ColorSlot slot, COLORREF builtInDefault) {
    if (slot < 0 || slot >= QX_COLOR_SLOTS)
        return builtInDefault;
    const COLORREF value = QX_UserColor[slot];
    return value == QX_COLOR_UNSET ? builtInDefault : value;
}

void QX_InitSkin() {
    QX_FreeSkin(); // a second start-up must not leak the first set
    for (int i = 0; i < 8; ++i)
        QX_FrameBitmap[i] = LoadSkinBitmap(kFrameNames[i], QX_RGB(255, 0, 0));
    for (int i = 0; i < 8; ++i)
        QX_CheckBitmap[i] = LoadSkinBitmap(kCheckNames[i], QX_RGB(0, 255, 0));
    QX_FontHangul = new QFont(MakeCellFont(HangulFamilies(), 12));
    QX_FontLatin = new QFont(MakeCellFont(LatinFamilies(), 15));
}

void QX_FreeSkin() {
    for (QX_DIB*& dib : QX_FrameBitmap) {
        delete dib;
        dib = nullptr;
    }
    for (QX_DIB*& dib : QX_CheckBitmap) {
        delete dib;
        dib = nullptr;
    }
    delete QX_FontHangul;
    QX_FontHangul = nullptr;
    delete QX_FontLatin;
    QX_FontLatin = nullptr;
}

bool QX_LoadUserColor(const QString& path) {
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return false;
    QX_ReadUserColor(file);
    return true;
}

void QX_ReadUserColor(QIODevice& file) {
    PieceReader reader(&file);
    char piece[kPieceChars + 1];
    while (reader.Next(piece))
        ApplyPiece(piece);
}

QFont QX_StandardFont() {
    // Measuring needs the GUI application; before it exists the font is not cached.
    if (!qGuiApp)
        return MakeCellFont(HangulFamilies(), 12);
    static const QFont font = MakeCellFont(HangulFamilies(), 12);
    return font;
}

QFont QX_CaptionFont(const QString& title) {
    const bool hangul = !title.isEmpty() && title.at(0).unicode() >= 0x80;
    if (hangul)
        return QX_FontHangul ? *QX_FontHangul : QX_StandardFont();
    return QX_FontLatin ? *QX_FontLatin : MakeCellFont(LatinFamilies(), 15);
}

void QX_GradientFillV(QPainter* dc, int left, int top, int right, int bottom, COLORREF edge,
                      COLORREF centre) {
    if (!dc || right <= left || bottom <= top)
        return;
    const int mid = top + (bottom - top) / 2;
    const auto row = [&](int y, const QColor& c) { dc->fillRect(left, y, right - left, 1, c); };
    FillRamp(top, mid, mid, edge, centre, row);
    FillRamp(mid, bottom, bottom - 1, centre, edge, row);
}

void QX_GradientFillH(QPainter* dc, int left, int top, int right, int bottom, COLORREF edge,
                      COLORREF centre) {
    if (!dc || right <= left || bottom <= top)
        return;
    const int mid = left + (right - left) / 2;
    const auto column = [&](int x, const QColor& c) { dc->fillRect(x, top, 1, bottom - top, c); };
    FillRamp(left, mid, mid, edge, centre, column);
    FillRamp(mid, right, right - 1, centre, edge, column);
}

void QX_InvalidateWithParent(QWidget* control) {
    if (!control)
        return;
    // A child's geometry is already in its parent's client coordinates.
    if (QWidget* parent = control->parentWidget(); parent && !control->isWindow())
        parent->update(control->geometry());
    control->update();
}

QColor QX_ToQColor(COLORREF c) {
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

COLORREF QX_FromQColor(const QColor& c) {
    return QX_RGB(c.red(), c.green(), c.blue());
}
