#include "tests/app/TestPages.h"

#include <QFile>
#include <QUrl>

TestPages::TestPages() {
    const QString style = QStringLiteral("<style>body{margin:0}div{width:600px}</style>");
    Write(QStringLiteral("tall.html"),
          QStringLiteral("<html><head>") + style +
              QStringLiteral("</head><body>"
                             "<div style='height:1000px;background:#ff0000'></div>"
                             "<div style='height:1000px;background:#00ff00'></div>"
                             "<div style='height:1000px;background:#0000ff'></div>"
                             "</body></html>"));
    Write(QStringLiteral("first.html"), QStringLiteral("<html><body><p>first</p></body></html>"));
    Write(QStringLiteral("second.html"), QStringLiteral("<html><body><p>second</p></body></html>"));
    Write(QStringLiteral("huge.html"),
          QStringLiteral("<html><body style='margin:0'>"
                         "<div style='width:20000px;height:30000px;background:#888'></div>"
                         "</body></html>"));
}

QString TestPages::Url(const QString& name) const {
    return QUrl::fromLocalFile(m_dir.filePath(name)).toString();
}

void TestPages::Write(const QString& name, const QString& html) {
    QFile file(m_dir.filePath(name));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(html.toUtf8());
}
