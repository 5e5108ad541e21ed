#include "toolkit/QX_MessageDlg.h"

#include "imaging/Cp949Codec.h"
#include "toolkit/QX_Button.h"
#include "toolkit/QX_Theme.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QScreen>
#include <QTimerEvent>

#include <algorithm>
#include <cstring>

namespace {
constexpr COLORREF kIconKey = 0x0000FF;
constexpr COLORREF kButtonImageKey = 0x0000FF;
constexpr int kButtonSpacing = 10;
constexpr quint32 kButtonStyle = QX_WS_CHILD | QX_WS_VISIBLE | QX_WS_TABSTOP | QX_BS_OWNERDRAW;

// The box's template: an empty captionless popup whose size is replaced at initialisation.
int RegisteredTemplate(int templateId) {
    static const bool registered = [] {
        QX_DlgTemplate t;
        t.id = QX_MessageDlg::kTemplateId;
        t.cx = 253;
        t.cy = 127;
        t.fontFace = QStringLiteral("굴림");
        t.pointSize = 9;
        t.style = QX_WS_POPUP | QX_WS_VISIBLE | QX_DS_SETFONT;
        if (!QX_FindDlgTemplate(t.id))
            QX_RegisterDlgTemplate(t);
        return true;
    }();
    Q_UNUSED(registered);
    return templateId;
}
} // namespace

QX_MessageDlg::QX_MessageDlg(int templateId, QWidget* parent)
    : QX_Dialog(RegisteredTemplate(templateId), parent), m_font(QX_StandardFont()) {}

QX_MessageDlg::~QX_MessageDlg() = default;

bool QX_MessageDlg::AddLine(const QString& text, COLORREF color) {
    QX_MsgLine line;
    line.gap = 0;
    const QByteArray bytes = Cp949Codec::EncodeTruncated(text, int(sizeof(line.text)) - 1);
    std::memcpy(line.text, bytes.constData(), size_t(bytes.size()));
    line.text[bytes.size()] = '\0';
    line.color = color;
    m_lines.AddCopy(&line);
    return Cp949Codec::Decode(bytes) == text;
}

void QX_MessageDlg::AddGap() {
    QX_MsgLine line;
    line.gap = 1;
    m_lines.AddCopy(&line);
}

const QX_MsgLine* QX_MessageDlg::Record(int index) const {
    return static_cast<const QX_MsgLine*>(m_lines.GetAt(index));
}

QString QX_MessageDlg::RecordText(const QX_MsgLine& line) {
    // The record always holds a terminator; strnlen guards a record filled by other hands.
    return Cp949Codec::Decode(QByteArray(line.text, int(strnlen(line.text, sizeof(line.text)))));
}

QString QX_MessageDlg::IconName(int iconKind) {
    static const char16_t* const kNames[4] = {u"t_md_중지.bmp", u"t_md_물음.bmp", u"t_md_정보.bmp",
                                              u"t_md_경고.bmp"};
    // A negative kind must not index before the table.
    const int kind = ((iconKind % 4) + 4) % 4;
    return QString::fromUtf16(kNames[kind]);
}

void QX_MessageDlg::SetUp(bool withCancel, const QString& title, int iconKind, const QFont* font,
                          quint8 language) {
    m_icon.LoadFromPack(IconName(iconKind));
    m_icon.m_bTransparent = true;
    m_icon.m_crKey = kIconKey;
    m_bWithCancel = withCancel;
    m_strTitle = title;
    m_nLanguage = language;
    m_font = font ? *font : QX_StandardFont();
    setFont(m_font);
}

int QX_MessageDlg::ShowMessage(bool withCancel, const QString& title, int iconKind,
                               const QFont* font, quint8 language) {
    SetUp(withCancel, title, iconKind, font, language);
    return DoModal();
}

bool QX_MessageDlg::Prepare(bool withCancel, const QString& title, int iconKind, const QFont* font,
                            quint8 language) {
    SetUp(withCancel, title, iconKind, font, language);
    return Create();
}

QSize QX_MessageDlg::ComputeSize(int titleWidth, int titleHeight, const QList<int>& lineWidths,
                                 int recordCount) {
    int w = std::max(titleWidth - 20, kMinTextWidth);
    for (int lw : lineWidths)
        w = std::max(w, lw);
    const int textLines = int(lineWidths.size());
    const int h = titleHeight * textLines + kGap * recordCount + 86;
    return QSize(w + 100, std::max(h, kMinHeight));
}

void QX_MessageDlg::MeasureAndSize() {
    const QFontMetrics fm(m_font);
    const int titleHeight = fm.height();
    m_nLineHeight = titleHeight + kGap;
    QList<int> widths;
    for (QX_List::Node* n = m_lines.Head(); n; n = n->next) {
        const auto* line = static_cast<const QX_MsgLine*>(n->item);
        if (!line->gap)
            widths << fm.horizontalAdvance(RecordText(*line));
    }
    m_nTextLines = int(widths.size());
    const QSize size =
        ComputeSize(fm.horizontalAdvance(m_strTitle), titleHeight, widths, m_lines.GetCount());
    setFixedSize(size);
    CentreOnOwner();
}

void QX_MessageDlg::CentreOnOwner() {
    const QWidget* owner = parentWidget() ? parentWidget()->window() : QApplication::activeWindow();
    if (owner == this)
        owner = nullptr;
    QRect area;
    if (owner && owner->isVisible())
        area = owner->frameGeometry();
    else if (const QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isValid())
        move(area.center() - QPoint(width() / 2, height() / 2));
}

void QX_MessageDlg::CreateButtons() {
    const int bottom = height();
    int m = width() / 2;
    const bool english = m_nLanguage == QX_MSG_ENGLISH;
    if (m_bWithCancel) {
        m_pCancelButton = new QX_Button(this);
        m_pCancelButton->Create(english ? QStringLiteral("Cancel") : QStringLiteral("취 소"),
                                kButtonStyle, QRect(m + 2, bottom - 40, 100, 30), this, IDCANCEL);
        m_pCancelButton->SetImage(false, QStringLiteral("image/qs_cancel.bmp"), kButtonSpacing,
                                  true, kButtonImageKey);
        m_pCancelButton->setFont(m_font);
        m = m - 52;
    }
    m_pOkButton = new QX_Button(this);
    m_pOkButton->Create(english ? QStringLiteral("Ok") : QStringLiteral("확 인"), kButtonStyle,
                        QRect(m - 50, bottom - 40, 100, 30), this, IDOK);
    m_pOkButton->SetImage(false, QStringLiteral("image/qs_ok.bmp"), kButtonSpacing, true,
                          kButtonImageKey);
    m_pOkButton->setFont(m_font);
    m_pOkButton->SetDefault(true);
    if (m_pCancelButton)
        setTabOrder(m_pOkButton, m_pCancelButton);
}

bool QX_MessageDlg::OnInitDialog() {
    QX_Dialog::OnInitDialog();
    MeasureAndSize();
    CreateButtons();
    m_pOkButton->setFocus(Qt::OtherFocusReason);
    if (m_nAutoCloseMs > 0)
        m_autoClose.start(m_nAutoCloseMs, this);
    return true;
}

QList<QPoint> QX_MessageDlg::TextOrigins() const {
    QList<QPoint> origins;
    int n = 0;
    int g = 0;
    for (QX_List::Node* node = m_lines.Head(); node; node = node->next) {
        const auto* line = static_cast<const QX_MsgLine*>(node->item);
        if (line->gap) {
            g += kGap;
            continue;
        }
        // A lone line sits beside the middle of the icon.
        const int y = m_nTextLines == 1 ? 54 : m_nLineHeight * n + g + 42;
        origins << QPoint(kTextX, y);
        ++n;
    }
    return origins;
}

void QX_MessageDlg::OnDraw(QPainter* dc) {
    dc->save();
    dc->setFont(m_font);
    if (m_icon.m_bLoaded)
        m_icon.DrawRealized(dc, kIconPos.x(), kIconPos.y());
    const QFontMetrics fm(m_font);
    const QList<QPoint> origins = TextOrigins();
    int i = 0;
    for (QX_List::Node* node = m_lines.Head(); node && i < origins.size(); node = node->next) {
        const auto* line = static_cast<const QX_MsgLine*>(node->item);
        if (line->gap)
            continue;
        dc->setPen(QX_ToQColor(line->color));
        const QPoint& p = origins.at(i++);
        dc->drawText(p.x(), p.y() + fm.ascent(), RecordText(*line));
    }
    dc->restore();
}

void QX_MessageDlg::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_autoClose.timerId()) {
        QX_Dialog::timerEvent(event);
        return;
    }
    m_autoClose.stop();
    // Posted, as the command would be, so that the box ends from its own event loop.
    QMetaObject::invokeMethod(
        this, [this] { OnCommand(IDOK, QX_BN_CLICKED); }, Qt::QueuedConnection);
}
