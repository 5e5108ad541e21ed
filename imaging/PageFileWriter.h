#pragma once

#include "pages/PageLayer.h"

#include <QList>
#include <QString>

// Pages of one size to be written as one file: each pageHeight rows of width pixels of
// bytesPerPixel bytes (blue, green, red and a spare byte or none), top row first, no filler.
struct PageStack {
    QList<const quint8*> pixels; // the pages in the file's order
    int width = 0;
    int pageHeight = 0;
    int bytesPerPixel = 4;
    int scale = 1; // pixels per document pixel; the layer written with them is in document pixels
};

// Writes pages as one file of its format (see PageOutput::Writer). A file that cannot be written
// completely never replaces the one at path; errno tells why when the system refused.
class PageFileWriter {
  public:
    virtual ~PageFileWriter();

    // layer: what the pages show beyond their pixels, by page as in pages (see PageLayer);
    // formats that hold only pictures ignore it.
    virtual bool Write(const QString& path, const PageStack& pages, const PageLayer& layer) = 0;
};
