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
    // Larger than the capture's image limit: the capture fails on it.
    QString TooLarge() const { return Url(QStringLiteral("huge.html")); }

    QString Url(const QString& name) const;

  private:
    void Write(const QString& name, const QString& html);

    QTemporaryDir m_dir;
};
