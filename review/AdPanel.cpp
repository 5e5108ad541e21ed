#include "review/AdPanel.h"

#include "capture/BrowserControl.h"
#include "imaging/Cp949Codec.h"
#include "review/ReviewTexts.h"
#include "toolkit/QX_Dialog.h"
#include "toolkit/QX_MessageDlg.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringDecoder>
#include <QTimer>
#include <QWebEngineView>

namespace {

constexpr COLORREF kLineBlue = QX_RGB(0, 0, 255);

// Network-level failures (nothing answered) as opposed to answers without a usable text.
bool IsConnectionError(QNetworkReply::NetworkError error) {
    return (error > QNetworkReply::NoError && error < QNetworkReply::ProxyConnectionRefusedError) ||
           (error >= QNetworkReply::ProxyConnectionRefusedError &&
            error < QNetworkReply::ContentAccessDenied);
}

AdPanel::FetchResult ReadResource(const QUrl& url, QByteArray* body) {
    QFile file(QLatin1Char(':') + url.path());
    if (!file.open(QIODevice::ReadOnly))
        return AdPanel::NoText;
    *body = file.read(AdPanel::kMaxTextBytes + 1);
    return body->size() > AdPanel::kMaxTextBytes ? AdPanel::NoText : AdPanel::Fetched;
}

} // namespace

AdPanel::AdPanel(QX_Dialog* dialog, const QFont* font)
    : QObject(dialog), m_pDialog(dialog), m_pFont(font) {}

AdPanel::~AdPanel() {
    delete m_pBrowser.data();
}

AdPanel* AdPanel::Create(QX_Dialog* dialog, int addressNumber, const QFont* font) {
    QWidget* frame = dialog ? dialog->GetDlgItem(kFrameId) : nullptr;
    if (!frame)
        return nullptr;
    auto* panel = new AdPanel(dialog, font);
    auto* browser = new BrowserControl(dialog);
    QX_SetCtrlId(browser, kCtrlId);
    browser->setGeometry(QRect(frame->mapTo(dialog, QPoint(0, 0)), frame->size()));
    // The panel only shows; the keyboard stays with the dialog's controls.
    browser->setFocusPolicy(Qt::NoFocus);
    browser->View()->setFocusPolicy(Qt::NoFocus);
    browser->show();
    panel->m_pBrowser = browser;
    panel->ShowAdPanel(AdAddress(addressNumber));
    return panel;
}

QString AdPanel::AdAddress(int addressNumber) {
    const QString custom =
        qEnvironmentVariable(ReviewTexts::AdAddressVariable(addressNumber).constData()).trimmed();
    return custom.isEmpty() ? ReviewTexts::BuiltInAdAddress(addressNumber) : custom;
}

void AdPanel::ShowAdPanel(const QString& address) {
    QString text;
    if (!FetchAdText(address, &text))
        return;
    const QString target = AddressInText(text);
    if (!target.isEmpty())
        NavigateAd(target);
}

bool AdPanel::FetchAdText(const QString& address, QString* text) {
    QByteArray body;
    const FetchResult result = Fetch(address, &body);
    if (result != Fetched) {
        ShowFetchError(result);
        return false;
    }
    *text = JoinLines(body);
    return true;
}

void AdPanel::NavigateAd(const QString& address) {
    const QUrl url = AllowedTarget(address);
    if (!m_pBrowser || !url.isValid())
        return;
    m_navigated = url;
    m_pBrowser->View()->load(url);
}

QString AdPanel::AddressInText(const QString& text) {
    const qsizetype first = text.indexOf(QLatin1Char('>'));
    const qsizetype second = first < 0 ? -1 : text.indexOf(QLatin1Char('>'), first + 1);
    return second < 0 ? QString() : text.mid(second + 1).trimmed();
}

QUrl AdPanel::AllowedTarget(const QString& address) {
    if (address.isEmpty())
        return {};
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid())
        return {};
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        return url.host().isEmpty() ? QUrl() : url;
    QString path;
    if (scheme.isEmpty())
        path = QDir::current().absoluteFilePath(url.path());
    else if (scheme == QLatin1String("file") && url.host().isEmpty())
        path = url.toLocalFile();
    else
        return {}; // javascript:, data:, about: and the like are never shown
    // Our own pages only: the real file must lie inside the bundled pages folder.
    const QString folder = QDir(ReviewTexts::AdPagesFolder()).canonicalPath();
    const QString file = QFileInfo(path).canonicalFilePath();
    if (folder.isEmpty() || file.isEmpty() || !file.startsWith(folder + QLatin1Char('/')))
        return {};
    QUrl local = QUrl::fromLocalFile(file);
    local.setFragment(url.fragment());
    return local;
}

AdPanel::FetchResult AdPanel::Fetch(const QString& address, QByteArray* body) {
    body->clear();
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("qrc"))
        return ReadResource(url, body);
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https") &&
        scheme != QLatin1String("file"))
        return NoConnection;
    QNetworkAccessManager access;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setTransferTimeout(kFetchTimeoutMs);
    QNetworkReply* reply = access.get(request);
    QEventLoop loop;
    bool tooLong = false;
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        body->append(reply->read(kMaxTextBytes + 1 - body->size()));
        if (body->size() > kMaxTextBytes) {
            tooLong = true;
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    // The whole fetch is bounded, also against a server that sends a byte now and then.
    QTimer::singleShot(kFetchTimeoutMs, &loop, [reply] { reply->abort(); });
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!tooLong && reply->error() == QNetworkReply::NoError)
        body->append(reply->read(kMaxTextBytes + 1 - body->size()));
    const QNetworkReply::NetworkError error = reply->error();
    delete reply;
    if (tooLong || body->size() > kMaxTextBytes)
        return NoText;
    if (error == QNetworkReply::NoError)
        return Fetched;
    return IsConnectionError(error) ? NoConnection : NoText;
}

QString AdPanel::JoinLines(const QByteArray& body) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(body);
    if (utf8.hasError())
        text = Cp949Codec::Decode(body);
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    return text;
}

void AdPanel::ShowFetchError(FetchResult result) {
    QX_MessageDlg box(QX_MessageDlg::kTemplateId, m_pDialog);
    box.AddLine(QStringLiteral("IP 서버를 이용할수 없습니다."), kLineBlue);
    const QString title = result == NoConnection
                              ? QStringLiteral("서버 접속 정보를 찾을 수 없습니다.")
                              : QStringLiteral("정상적인 서버 목록을 얻을 수 없습니다.");
    box.ShowMessage(false, title, QX_MSG_STOP, m_pFont, QX_MSG_KOREAN);
}
