#pragma once

#include "imaging/PageFileWriter.h"

// A PDF document of an A4 page per page (see PdfWriter), carrying the layer: the words as
// invisible text, the links, an outline of the headings, and the title (the program's document
// name when the layer has none), address, capture time and the program as producer.
class PdfFileWriter final : public PageFileWriter {
  public:
    bool Write(const QString& path, const PageStack& pages, const PageLayer& layer) override;
};
