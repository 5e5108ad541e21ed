#pragma once

#include <QByteArray>
#include <QImage>

// Turns a device bitmap into a packed DIB block (40-byte info header, colour table, bottom-up
// rows). An empty array means failure.
QByteArray DibFromBitmap(const QImage& bitmap);
