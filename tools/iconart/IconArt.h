#pragma once

#include <QImage>
#include <QString>
#include <QVector>

// The program's icon: a web page cut into two sheets, drawn at any size from one outline so
// the hicolor theme gets crisp pictures from 16 to 256 pixels.
namespace IconArt {

// The sizes a desktop's icon theme looks for.
QVector<int> ThemeSizes();
// The icon at size x size pixels, ARGB with a transparent background.
QImage Draw(int size);
// Writes OUT_DIR/hicolor/NxN/apps/NAME.png for every theme size; false with a message on failure.
bool WriteTheme(const QString& outDir, const QString& name, QString* error);

} // namespace IconArt
