#pragma once

#include <QString>
#include <QUrl>

// Reads a text typed into the address box as a browser's address bar does: a text with a
// scheme as it stands; a path (absolute, "~/", "./", "../") or the name of a file that exists
// in the working directory as a local file; a host (a dotted name, an IPv4 or [IPv6] address,
// localhost, each with or without port and path) as a web address with "http://" in front.
// Anything else is never looked up as a file.
class AddressResolver final {
  public:
    // An empty QUrl when the text is empty or only blanks (nothing to load).
    static QUrl Resolve(const QString& typed, const QString& workingDir);

    // true when text starts with a scheme ("about:", "file:", "http://"), and not with a host
    // and port ("localhost:3000", "example.org:8080/x").
    static bool HasScheme(const QString& text);
    // true when the part before the first '/', '?' or '#' is a host with an optional port.
    static bool LooksLikeHost(const QString& text);

  private:
    static bool IsLocalPath(const QString& text);
    static bool IsHostName(QStringView host);
    static bool IsIPv4(QStringView host);
    static bool IsPort(QStringView port);
};
