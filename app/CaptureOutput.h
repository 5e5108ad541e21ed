#pragma once

#include "app/CaptureOptions.h"
#include "imaging/PageOutput.h"
#include "pages/PageLayer.h"
#include "pages/PageSet.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class StagedFiles;

// Writes what one capture keeps (an image of document rows, Format_RGB32, scale x scale pixels
// per document pixel) as its job asks: one picture, or pages of 1024 document rows (1024 * scale
// pixel rows) as NAME001.EXT, ... beside FILE; a PDF always holds the pages,
// one A4 page each. With automatic breaks and no pages, the one picture is the pages one below
// the other, as the save dialog's scroll. The files are put in place together once all of them
// are complete: a failed job leaves none of its files behind and changes no file that was there.
// The formats and their writers are PageOutput's.
class CaptureOutput final {
  public:
    // Document rows of a page.
    static constexpr int kPageRows = 1024;
    // Places what the capture recorded on the pages cut from it (see PageLayer).
    using LayerPlacement = std::function<PageLayer(const PageSet& pages)>;

    // false with FailedFile() and Reason() set when a file could not be written. place, when
    // given, makes the layer a PDF carries from the pages written.
    bool Write(const QImage& rows, const CaptureJob& job, const LayerPlacement& place = {},
               int scale = 1);

    QString FailedFile() const { return m_strFailedFile; }
    QString Reason() const { return m_strReason; }
    // The files the last Write made, in order.
    const QStringList& Written() const { return m_written; }

    // The document's rows cut into the set's pages of 1024 document rows at the image's scale,
    // the last one padded with white,
    // as F4 cuts a selection; with autoBreaks the breaks are then placed as the review's
    // 자동 나누기 places them (the pages' bottom margins). false when memory is short.
    static bool CutPages(const QImage& rows, bool autoBreaks, PageSet& set, int scale = 1);

  private:
    static QList<const quint8*> PagePixels(const PageSet& set);
    // One picture of pages (each pageRows rows of width pixels), the first on top.
    bool WriteAll(const QImage& rows, const CaptureJob& job, const LayerPlacement& place, int scale,
                  StagedFiles& stage);
    bool WriteFile(const QList<const quint8*>& pages, int width, int pageRows, int scale,
                   const QString& path, PageOutput::Format format, StagedFiles& stage,
                   const PageLayer& layer = {});
    bool Fail(const QString& path, const QString& reason);

    QStringList m_written;
    QString m_strFailedFile;
    QString m_strReason;
};
