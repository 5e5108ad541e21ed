#include "tools/gallery/Gallery.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPixmap>
#include <QTextStream>
#include <QWidget>

Gallery::Gallery(const QString& outDir) : m_dir(outDir) {
    m_dir.mkpath(QStringLiteral("."));
}

void Gallery::Settle(int ms) {
    QElapsedTimer timer;
    timer.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    } while (timer.elapsed() < ms);
}

void Gallery::Save(QWidget* widget, const QString& name) {
    widget->show();
    Settle();
    Save(widget->grab().toImage(), name);
}

void Gallery::Save(const QImage& image, const QString& name) {
    image.save(m_dir.filePath(name + QStringLiteral(".png")));
}

void Gallery::Fact(const QString& name, const QList<int>& values) {
    QString line = name;
    for (int v : values)
        line += QLatin1Char(' ') + QString::number(v);
    m_facts << line;
}

bool Gallery::Finish() {
    QFile file(m_dir.filePath(QStringLiteral("geometry.txt")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream out(&file);
    for (const QString& line : m_facts)
        out << line << '\n';
    return true;
}
