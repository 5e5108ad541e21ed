#pragma once

#include <QDateTime>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <vector>

// What a capture knows of its document beyond the pixels: the words it draws, its links and its
// headings, each where the captured image shows it, in document order. In document pixels (x
// the column, y the row) at every capture scale: an image captured at scale N shows document
// pixel (x, y) in its pixels N*x .. N*x+N-1, N*y .. N*y+N-1. A layer with nothing in it is a
// capture that recorded none.
struct DocumentLayer {
    struct Word {
        QString text; // NFC, no white space inside
        QRectF box;   // over its ink
        bool operator==(const Word&) const = default;
    };
    struct Link {
        QRectF box;
        QString address; // absolute
        // A link to a place of this document (#name): where that place is drawn.
        bool hasTarget = false;
        QPointF target;
        bool operator==(const Link&) const = default;
    };
    struct Heading {
        int level = 1; // 1 (h1) .. 6 (h6)
        QString text;
        QPointF place;    // top left of its box
        qreal height = 0; // of its box; 0 when only its top is known
        bool operator==(const Heading&) const = default;
    };

    QString title;
    QString address;
    QDateTime captured;
    std::vector<Word> words;
    std::vector<Link> links;
    std::vector<Heading> headings;
};
