#pragma once

#include "pages/PageSet.h"

#include <QByteArray>
#include <QRect>

#include <random>
#include <string>
#include <vector>

// A page set as a cut makes it from a selection whose rows are given by keys: each key its own
// never-white bytes, key -1 a white row; the last page padded with white.
class CutSet {
  public:
    static constexpr int H = PageSet::pageHeight;

    // Rows 0 .. rows-1, every one different.
    CutSet(qint32 width, int bytesPerPixel, int rows);
    CutSet(qint32 width, int bytesPerPixel, std::vector<int> keys, int scale = 1);
    // The page cutter's cut of an image of imageWidth document pixels whose document row y reads
    // as imageKeys[y] across the selection's columns (other columns hold other bytes). At a scale
    // N the image is N times as wide and tall, and each of the N pixel rows of a document row
    // holds its own part of the row's bytes, so a pixel row out of place shows.
    CutSet(qint32 imageWidth, const std::vector<int>& imageKeys, const QRect& selection,
           int scale = 1);

    // Rows of a page of text: lines of glyph rows (each different) between runs of identical
    // background rows, now and then a white gap or a picture taller than any margin.
    static std::vector<int> TextKeys(std::mt19937& rng, int rows);
    static void FillRow(quint8* row, qsizetype rowBytes, int key);

    qsizetype RowBytes() const { return set.RowBytes(); }
    PageRecord* Page(int i) const { return set.Page(i); }
    void FillRow(quint8* row, int key) const { FillRow(row, RowBytes(), key); }
    bool IsWhite(const quint8* row) const;
    // Empty when the content of all pages, read in page order, is the expected rows followed
    // only by white rows and every row outside a page's content is white; else what is wrong.
    std::string CheckInvariant() const;
    // Empty when every page row shows the key of the image row its source rows name (white where
    // they name none) and the rows named read on in page order; else what is wrong.
    std::string CheckSourceRows() const;
    std::vector<QByteArray> Snapshot() const;
    std::vector<std::vector<qint32>> SourceRows() const;

    PageSet set;
    std::vector<int> expected; // the keys the content must read as; a band cut changes them
    std::vector<int> source;   // the key of every image row; nothing changes them

  private:
    void Cut();
};
