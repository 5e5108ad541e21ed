#include "capture/AddressResolver.h"

#include <QDir>
#include <QFileInfo>
#include <QHostAddress>
#include <QRegularExpression>

namespace {

// Schemes taken as schemes even where a port could be read ("mailto:1234" stays mail).
const QStringList& KnownSchemes() {
    static const QStringList schemes = {
        QStringLiteral("http"),        QStringLiteral("https"),  QStringLiteral("file"),
        QStringLiteral("about"),       QStringLiteral("data"),   QStringLiteral("javascript"),
        QStringLiteral("mailto"),      QStringLiteral("tel"),    QStringLiteral("ftp"),
        QStringLiteral("blob"),        QStringLiteral("ws"),     QStringLiteral("wss"),
        QStringLiteral("view-source"), QStringLiteral("chrome"), QStringLiteral("qrc")};
    return schemes;
}

// The authority part of a scheme-less address: up to the first '/', '?' or '#'.
QStringView Authority(const QString& text) {
    const qsizetype end = text.indexOf(QRegularExpression(QStringLiteral("[/?#]")));
    return QStringView(text).left(end < 0 ? text.size() : end);
}

} // namespace

QUrl AddressResolver::Resolve(const QString& typed, const QString& workingDir) {
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return QUrl();
    if (HasScheme(text))
        return QUrl(text, QUrl::TolerantMode);
    const QDir dir(workingDir);
    if (IsLocalPath(text)) {
        QString path = text;
        if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/")))
            path = QDir::homePath() + path.mid(1);
        return QUrl::fromLocalFile(QDir::cleanPath(dir.absoluteFilePath(path)));
    }
    if (QFileInfo::exists(dir.absoluteFilePath(text)))
        return QUrl::fromLocalFile(QDir::cleanPath(dir.absoluteFilePath(text)));
    // A host, or any other text: the engine shows its own page when it is no address at all.
    return QUrl(QStringLiteral("http://") + text, QUrl::TolerantMode);
}

bool AddressResolver::HasScheme(const QString& text) {
    static const QRegularExpression scheme(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*):(.*)$"),
                                           QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = scheme.match(text);
    if (!m.hasMatch())
        return false;
    if (KnownSchemes().contains(m.captured(1), Qt::CaseInsensitive))
        return true;
    // "localhost:3000", "example.org:8080/x": a host and its port, not a scheme.
    return !LooksLikeHost(text);
}

bool AddressResolver::LooksLikeHost(const QString& text) {
    QStringView authority = Authority(text);
    if (authority.startsWith(u'[')) {
        const qsizetype close = authority.indexOf(u']');
        if (close < 0)
            return false;
        QHostAddress address;
        if (!address.setAddress(authority.mid(1, close - 1).toString()) ||
            address.protocol() != QAbstractSocket::IPv6Protocol)
            return false;
        const QStringView rest = authority.mid(close + 1);
        return rest.isEmpty() || (rest.startsWith(u':') && IsPort(rest.mid(1)));
    }
    const qsizetype colon = authority.indexOf(u':');
    if (colon >= 0) {
        if (!IsPort(authority.mid(colon + 1)))
            return false;
        authority = authority.left(colon);
    }
    return IsHostName(authority);
}

bool AddressResolver::IsLocalPath(const QString& text) {
    return text.startsWith(u'/') || text == QLatin1String("~") ||
           text.startsWith(QLatin1String("~/")) || text == QLatin1String(".") ||
           text == QLatin1String("..") || text.startsWith(QLatin1String("./")) ||
           text.startsWith(QLatin1String("../"));
}

// localhost, an IPv4 address or a dotted name whose last label is not a number.
bool AddressResolver::IsHostName(QStringView host) {
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 || IsIPv4(host))
        return true;
    if (host.endsWith(u'.'))
        host.chop(1);
    const QList<QStringView> labels = host.split(u'.');
    if (labels.size() < 2)
        return false;
    for (QStringView label : labels) {
        if (label.isEmpty() || label.size() > 63 || label.startsWith(u'-') || label.endsWith(u'-'))
            return false;
        for (QChar c : label)
            if (!c.isLetterOrNumber() && c != u'-')
                return false;
    }
    const QStringView last = labels.last();
    return std::any_of(last.begin(), last.end(), [](QChar c) { return c.isLetter(); });
}

bool AddressResolver::IsIPv4(QStringView host) {
    const QList<QStringView> parts = host.split(u'.');
    if (parts.size() != 4)
        return false;
    for (QStringView part : parts) {
        bool ok = false;
        if (part.isEmpty() || part.size() > 3 || part.toInt(&ok) > 255 || !ok)
            return false;
    }
    return true;
}

bool AddressResolver::IsPort(QStringView port) {
    bool ok = false;
    return !port.isEmpty() && port.size() <= 5 && port.toInt(&ok) <= 65535 && ok &&
           std::all_of(port.begin(), port.end(), [](QChar c) { return c.isDigit(); });
}
