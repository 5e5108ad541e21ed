#pragma once

#include "imaging/PageFileWriter.h"
#include "imaging/PageOutput.h"

// One BMP, JPEG or PNG picture of the pages, the first on top, straight from their buffers.
class PictureFileWriter final : public PageFileWriter {
  public:
    explicit PictureFileWriter(PageOutput::Format format) : m_format(format) {}

    bool Write(const QString& path, const PageStack& pages, const PageLayer& layer) override;

  private:
    PageOutput::Format m_format;
};
