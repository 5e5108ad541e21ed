#include "capture/AddressResolver.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Typed {
    const char* text;
    // "@/" stands for the working directory, "^/" for its parent, "file://~/" for the home
    const char* address;
};

void PrintTo(const Typed& t, std::ostream* os) {
    *os << '"' << t.text << '"';
}

class AddressTable : public ::testing::TestWithParam<Typed> {
  protected:
    static void SetUpTestSuite() {
        s_pDir = new QTemporaryDir;
        // Files whose names would otherwise read as hosts or schemes.
        for (const char* name : {"page.html", "example.net", "notes.txt"}) {
            QFile file(s_pDir->filePath(QString::fromUtf8(name)));
            file.open(QIODevice::WriteOnly);
        }
    }
    static void TearDownTestSuite() { delete s_pDir; }
    static inline QTemporaryDir* s_pDir = nullptr;
};

} // namespace

TEST_P(AddressTable, TypedTextBecomesItsAddress) {
    QString expected = QString::fromUtf8(GetParam().address);
    expected.replace(QStringLiteral("@/"),
                     QUrl::fromLocalFile(s_pDir->path()).toString() + QLatin1Char('/'));
    expected.replace(
        QStringLiteral("^/"),
        QUrl::fromLocalFile(QDir::cleanPath(s_pDir->path() + QStringLiteral("/.."))).toString() +
            QLatin1Char('/'));
    expected.replace(QStringLiteral("file://~/"),
                     QUrl::fromLocalFile(QDir::homePath()).toString() + QLatin1Char('/'));
    const QUrl url = AddressResolver::Resolve(QString::fromUtf8(GetParam().text), s_pDir->path());
    EXPECT_EQ(url, QUrl(expected)) << url.toString().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, AddressTable,
    ::testing::Values(
        // Scheme: as it stands.
        Typed{"http://example.org/a?b#c", "http://example.org/a?b#c"},
        Typed{"HTTPS://Example.org", "https://example.org"}, Typed{"about:blank", "about:blank"},
        Typed{"file:///tmp/x.html", "file:///tmp/x.html"},
        Typed{"data:text/html,<p>hi</p>", "data:text/html,<p>hi</p>"},
        Typed{"mailto:1234", "mailto:1234"}, Typed{"  https://a.example/ ", "https://a.example/"},
        // Host: http:// in front, ports and paths kept.
        Typed{"example.org", "http://example.org"},
        Typed{"www.example.co.kr/path/p.html?q=1", "http://www.example.co.kr/path/p.html?q=1"},
        Typed{"127.0.0.1:8765/page.html", "http://127.0.0.1:8765/page.html"},
        Typed{"localhost:3000", "http://localhost:3000"}, Typed{"localhost", "http://localhost"},
        Typed{"example.org:8080/x", "http://example.org:8080/x"},
        Typed{"[::1]:8080/x", "http://[::1]:8080/x"},
        Typed{"[2001:db8::1]", "http://[2001:db8::1]"}, Typed{"10.0.0.1", "http://10.0.0.1"},
        Typed{"한국.example/가", "http://한국.example/가"},
        Typed{"example.org:80", "http://example.org:80"},
        // Local files: paths, and names that exist in the working directory.
        Typed{"/tmp/x.html", "file:///tmp/x.html"}, Typed{"~/x.html", "file://~/x.html"},
        Typed{"./a b.html", "@/a b.html"}, Typed{"../up.html", "^/up.html"},
        Typed{"page.html", "@/page.html"}, Typed{"example.net", "@/example.net"},
        Typed{"notes.txt", "@/notes.txt"},
        // Neither: never a file of the working directory.
        Typed{"nosuchfile.html", "http://nosuchfile.html"}));

// Texts that are no address at all never become a local file, wherever the program runs.
TEST(AddressResolver, FreeTextIsNeverAFile) {
    QTemporaryDir dir;
    for (const QString& text : {QStringLiteral("hello world"), QStringLiteral("words"),
                                QStringLiteral("1.2.3"), QStringLiteral("a..b")}) {
        const QUrl url = AddressResolver::Resolve(text, dir.path());
        EXPECT_FALSE(url.isLocalFile()) << text.toStdString();
    }
    EXPECT_TRUE(AddressResolver::Resolve(QStringLiteral("   "), dir.path()).isEmpty());
    EXPECT_TRUE(AddressResolver::Resolve(QString(), dir.path()).isEmpty());
}
