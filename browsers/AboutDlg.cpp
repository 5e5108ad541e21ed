#include "browsers/AboutDlg.h"

#include "capture/BrowserControl.h"
#include "toolkit/QX_Skin.h"
#include "toolkit/QX_Static.h"

#include <QDir>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QWindow>

#include <algorithm>

namespace {
const QX_DlgTemplateRegistrar kTemplate(QX_DlgTemplate{
    AboutDlg::kTemplateId,
    319,
    280,
    QStringLiteral("굴림"),
    9,
    QX_WS_POPUP | QX_WS_VISIBLE | QX_DS_SETFONT,
    {
        {AboutDlg::kIdLabel, QX_CtrlKind::Static, QString(), 12, 28, 231, 8},
        {AboutDlg::kIdPlaceholder, QX_CtrlKind::Frame, QString(), 7, 42, 305, 231, QX_WS_DISABLED},
    }});
} // namespace

AboutDlg::AboutDlg(const QString& title, const QString& label, QWidget* parent, const QFont* font)
    : QX_Dialog(kTemplateId, parent), m_strLabel(label),
      m_font(font ? *font : QX_Skin::Of(parent).HangulFont()) {
    m_strTitle = title;
}

AboutDlg::~AboutDlg() = default;

QString AboutDlg::AboutPagePath() {
    return QDir::current().absoluteFilePath(QStringLiteral("about/index.html"));
}

bool AboutDlg::OnInitDialog() {
    QX_Dialog::OnInitDialog();
    SetCaptionButtons(false, true);
    m_pLabel = new QX_Static;
    if (m_pLabel->Attach(kIdLabel, this, &m_font, true)) {
        m_pLabel->SetText(m_strLabel);
        m_pLabel->SetTextColor(0xFF8000);
        m_pLabel->SetTransparent(true);
        // The label is only as wide as the template gives it; the line must show whole.
        m_pLabel->resize(
            std::max(m_pLabel->width(), QFontMetrics(m_font).horizontalAdvance(m_strLabel) + 4),
            m_pLabel->height());
    } else {
        delete m_pLabel;
        m_pLabel = nullptr;
    }
    const QWidget* frame = GetDlgItem(kIdPlaceholder);
    if (!frame)
        return true; // no rectangle for the page: the dialog shows without it
    m_pBrowser = new BrowserControl(this);
    QX_SetCtrlId(m_pBrowser, kIdBrowser);
    m_pBrowser->setGeometry(frame->geometry());
    m_pBrowser->show();
    OpenPage(AboutPagePath());
    return true;
}

void AboutDlg::OpenPage(const QString& address) {
    if (m_pBrowser)
        m_pBrowser->Navigate2(address);
}

void AboutDlg::showEvent(QShowEvent* event) {
    QX_Dialog::showEvent(event);
    // The window exists once shown; filtering twice would be harmless but pointless.
    if (QWindow* window = windowHandle()) {
        window->removeEventFilter(this);
        window->installEventFilter(this);
    }
}

bool AboutDlg::eventFilter(QObject* watched, QEvent* event) {
    // Keys from the keyboard reach the dialog's window before the page, which keeps Escape and
    // Enter for itself and would leave the box open.
    if (event->type() == QEvent::KeyPress && watched == windowHandle()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool plain = !(key->modifiers() & ~Qt::KeypadModifier);
        if (plain && key->key() == Qt::Key_Escape) {
            OnCommand(IDCANCEL, QX_BN_CLICKED);
            return true;
        }
        if (plain && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            OnCommand(IDOK, QX_BN_CLICKED);
            return true;
        }
    }
    return QX_Dialog::eventFilter(watched, event);
}
