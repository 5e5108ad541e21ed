#pragma once

#include <QImage>
#include <QRect>

// How many pixels of the rectangle are within tolerance of the colour on every channel.
int CountNear(const QImage& image, const QRect& r, QRgb colour, int tolerance);
