#pragma once

#include <QString>
#include <QTemporaryDir>

// Small web pages written to a temporary folder for the browser tests.
class TestPages final {
  public:
    TestPages();

    // Three 600-pixel-wide bands of 1000 rows each: red, green, blue.
    QString Tall() const { return Url(QStringLiteral("tall.html")); }
    QString First() const { return Url(QStringLiteral("first.html")); }
    QString Second() const { return Url(QStringLiteral("second.html")); }
    // Wider than one rendering can be: the capture fails on it.
    QString TooWide() const { return Url(QStringLiteral("wide.html")); }

    QString Url(const QString& name) const;

  private:
    void Write(const QString& name, const QString& html);

    QTemporaryDir m_dir;
};
