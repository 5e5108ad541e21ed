#pragma once

#include <QString>

#include <vector>

// A JPEG file decoded by the library into red, green, blue rows, top first; empty (0 x 0) when
// the file cannot be read.
struct DecodedJpeg {
    explicit DecodedJpeg(const QString& path);

    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
    const unsigned char* At(int x, int y) const { return rgb.data() + (size_t(y) * width + x) * 3; }
};
