#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QVector>

// Draws the program's skin pictures (toolbar and button icons, the logo, caption buttons,
// check and radio images, message box icons) and writes them as BMP files.
class SkinArt final {
  public:
    struct Picture {
        QString fileName; // file name, and the pack entry name for pack pictures
        QImage image;     // final pixels: Format_RGB32 (written 24-bit) or Format_Indexed8
        bool packEntry = false;
        bool keyed = false; // pixels equal to `key` are transparent where the program draws it
        QColor key;
        QColor matte; // the background the picture is drawn for
    };

    // Every picture, drawn.
    static QVector<Picture> DrawAll();
    // Writes the pictures into imageDir (loose files) and packEntryDir (pack entries).
    static bool WriteAll(const QVector<Picture>& pictures, const QString& imageDir,
                         const QString& packEntryDir, QString* error);
    // A sheet showing every picture enlarged on its background, for looking at the set.
    static QImage ContactSheet(const QVector<Picture>& pictures, int scale);
};
