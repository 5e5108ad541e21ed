#include "tests/support/DecodedJpeg.h"

#include <QFile>

#include <cstdio>

#include <jpeglib.h>

DecodedJpeg::DecodedJpeg(const QString& path) {
    QFile f(path);
    const QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    if (bytes.isEmpty())
        return;
    jpeg_decompress_struct d;
    jpeg_error_mgr err;
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&d, TRUE);
    d.out_color_space = JCS_RGB;
    jpeg_start_decompress(&d);
    width = int(d.output_width);
    height = int(d.output_height);
    rgb.resize(size_t(width) * height * 3);
    while (d.output_scanline < d.output_height) {
        JSAMPROW row = rgb.data() + size_t(d.output_scanline) * width * 3;
        jpeg_read_scanlines(&d, &row, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
}
