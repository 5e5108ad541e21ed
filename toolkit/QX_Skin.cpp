#include "toolkit/QX_Skin.h"

#include "imaging/BoundedFile.h"

#include <QFile>
#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <cstring>

namespace {

// The window property that carries an attached skin.
constexpr char kSkinProperty[] = "qx_skin";

const QX_Skin* g_pDefaultSkin = nullptr;

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
void ApplyPiece(const char* piece, COLORREF* table) {
    for (int slot = 0; slot < QX_COLOR_SLOTS; ++slot) {
        if (std::strstr(piece, QX_UserColorKey[slot])) {
            table[slot] = ParseColorLine(piece);
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

std::unique_ptr<QX_DIB> LoadSkinBitmap(const char* name, COLORREF key) {
    auto dib = std::make_unique<QX_DIB>();
    dib->LoadFromPack(QString::fromLatin1(name));
    // The load resets both; a missing entry simply stays unloaded.
    dib->m_bTransparent = true;
    dib->m_crKey = key;
    return dib;
}

} // namespace

QX_Skin::QX_Skin() {
    std::fill(std::begin(m_userColor), std::end(m_userColor), QX_COLOR_UNSET);
}

QX_Skin::~QX_Skin() {
    if (g_pDefaultSkin == this)
        g_pDefaultSkin = nullptr;
}

void QX_Skin::Load() {
    for (int i = 0; i < 8; ++i)
        m_frameBitmap[i] = LoadSkinBitmap(kFrameNames[i], QX_RGB(255, 0, 0));
    for (int i = 0; i < 8; ++i)
        m_checkBitmap[i] = LoadSkinBitmap(kCheckNames[i], QX_RGB(0, 255, 0));
    m_pFontHangul = std::make_unique<QFont>(QX_StandardFont());
    m_pFontLatin = std::make_unique<QFont>(QX_LatinCaptionFont());
    m_bLoaded = true;
}

void QX_Skin::Free() {
    for (auto& dib : m_frameBitmap)
        dib.reset();
    for (auto& dib : m_checkBitmap)
        dib.reset();
    m_pFontHangul.reset();
    m_pFontLatin.reset();
    m_bLoaded = false;
}

bool QX_Skin::LoadUserColor(const QString& path) {
    QFile file;
    if (!BoundedFile::Open(path, kMaxUserColorBytes, &file))
        return false;
    ReadUserColor(file);
    return true;
}

void QX_Skin::ReadUserColor(QIODevice& file) {
    PieceReader reader(&file);
    char piece[kPieceChars + 1];
    while (reader.Next(piece))
        ApplyPiece(piece, m_userColor);
}

COLORREF QX_Skin::UserColor(QX_ColorSlot slot) const {
    return slot >= 0 && slot < QX_COLOR_SLOTS ? m_userColor[slot] : QX_COLOR_UNSET;
}

void QX_Skin::SetUserColor(QX_ColorSlot slot, COLORREF color) {
    if (slot >= 0 && slot < QX_COLOR_SLOTS)
        m_userColor[slot] = color;
}

COLORREF QX_Skin::Color(QX_ColorSlot slot, COLORREF builtInDefault) const {
    const COLORREF value = UserColor(slot);
    return value == QX_COLOR_UNSET ? builtInDefault : value;
}

const QX_DIB* QX_Skin::FrameBitmap(int index) const {
    return index >= 0 && index < 8 ? m_frameBitmap[index].get() : nullptr;
}

const QX_DIB* QX_Skin::CheckBitmap(int index) const {
    return index >= 0 && index < 8 ? m_checkBitmap[index].get() : nullptr;
}

QFont QX_Skin::HangulFont() const {
    return m_pFontHangul ? *m_pFontHangul : QX_StandardFont();
}

QFont QX_Skin::CaptionFont(const QString& title) const {
    const bool hangul = !title.isEmpty() && title.at(0).unicode() >= 0x80;
    if (hangul)
        return HangulFont();
    return m_pFontLatin ? *m_pFontLatin : QX_LatinCaptionFont();
}

const QX_Skin& QX_Skin::Of(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const QVariant attached = w->property(kSkinProperty);
        if (attached.isValid())
            return *static_cast<const QX_Skin*>(attached.value<void*>());
    }
    return Default();
}

void QX_Skin::Attach(QWidget* window, const QX_Skin* skin) {
    if (!window)
        return;
    window->setProperty(kSkinProperty,
                        skin ? QVariant::fromValue(static_cast<void*>(const_cast<QX_Skin*>(skin)))
                             : QVariant());
}

const QX_Skin& QX_Skin::Default() {
    static const QX_Skin builtIn; // unset colours, nothing loaded: every consumer's defaults
    return g_pDefaultSkin ? *g_pDefaultSkin : builtIn;
}

void QX_Skin::SetDefault(const QX_Skin* skin) {
    g_pDefaultSkin = skin;
}
