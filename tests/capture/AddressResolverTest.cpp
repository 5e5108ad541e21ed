#include "capture/AddressResolver.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Typed {
    const char* text;
    // "@/" stands for the working directory, "^/" for its parent, "~/" for the home folder;
    // empty for no address at all.
    const char* address;
};

void PrintTo(const Typed& t, std::ostream* os) {
    *os << '"' << t.text << '"';
}

class AddressTable : public ::testing::TestWithParam<Typed> {};

} // namespace

TEST_P(AddressTable, TypedTextBecomesItsAddress) {
    QTemporaryDir dir; // holds files whose names would otherwise read as hosts
    for (const char* name : {"page.html", "example.net"})
        QFile(dir.filePath(QString::fromUtf8(name))).open(QIODevice::WriteOnly);
    const auto folder = [](const QString& path) {
        return QUrl::fromLocalFile(QDir::cleanPath(path)).toString() + QLatin1Char('/');
    };
    QString expected = QString::fromUtf8(GetParam().address);
    expected.replace(QStringLiteral("@/"), folder(dir.path()));
    expected.replace(QStringLiteral("^/"), folder(dir.path() + QStringLiteral("/..")));
    expected.replace(QStringLiteral("~/"), folder(QDir::homePath()));
    const QUrl url = AddressResolver::Resolve(QString::fromUtf8(GetParam().text), dir.path());
    if (expected.isEmpty())
        EXPECT_FALSE(url.isValid()) << url.toString().toStdString();
    else
        EXPECT_EQ(url, QUrl(expected)) << url.toString().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, AddressTable,
    ::testing::Values(
        // A scheme: as it stands.
        Typed{"http://example.org/a?b#c", "http://example.org/a?b#c"},
        Typed{"about:blank", "about:blank"}, Typed{"file:///tmp/x.html", "file:///tmp/x.html"},
        Typed{"data:text/html,<p>hi</p>", "data:text/html,<p>hi</p>"},
        Typed{"mailto:1234", "mailto:1234"}, Typed{"  https://a.example/ ", "https://a.example/"},
        // A host: http:// in front, port and path kept.
        Typed{"example.org", "http://example.org"}, Typed{"localhost", "http://localhost"},
        Typed{"127.0.0.1:8765/page.html", "http://127.0.0.1:8765/page.html"},
        Typed{"localhost:3000", "http://localhost:3000"},
        Typed{"example.org:8080/x", "http://example.org:8080/x"},
        Typed{"[::1]:8080/x", "http://[::1]:8080/x"},
        Typed{"한국.example/가", "http://한국.example/가"},
        // A local file: paths, and names that exist in the working directory.
        Typed{"/tmp/x.html", "file:///tmp/x.html"}, Typed{"~/x.html", "~/x.html"},
        Typed{"./a b.html", "@/a b.html"}, Typed{"../up.html", "^/up.html"},
        Typed{"page.html", "@/page.html"}, Typed{"example.net", "@/example.net"},
        // Neither: never a file of the working directory.
        Typed{"nosuchfile.html", "http://nosuchfile.html"}, Typed{"words", "http://words"},
        Typed{"hello world", ""}, Typed{"   ", ""}));
