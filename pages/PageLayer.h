#pragma once

#include <QDateTime>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <vector>

struct DocumentLayer;
struct PageGeometry;
struct PageRecord;

// A document layer as it falls on the pages written: per page the words and links over its
// pixels, and the headings with the page and place they go to, all in document pixels of the page
// (x the page column, y the page row; at a scale of N a document pixel is N x N pixels of the
// page's picture, and writers scale the layer where they place it). Pages are counted among the
// pages given to the placement, first page 0.
struct PageLayer {
    struct Place {
        int page = -1; // -1: not on any page
        QPointF at;
        bool operator==(const Place&) const = default;
    };
    struct Word {
        QString text;
        QRectF box;
        bool operator==(const Word&) const = default;
    };
    struct Link {
        QRectF box;
        QString address;
        Place target; // a place on the pages when target.page >= 0, else the address is followed
        bool operator==(const Link&) const = default;
    };
    struct Heading {
        int level = 1;
        QString text;
        Place place;
        bool operator==(const Heading&) const = default;
    };

    QString title;
    QString address;
    QDateTime captured;
    std::vector<std::vector<Word>> words; // by page
    std::vector<std::vector<Link>> links; // by page
    std::vector<Heading> headings;        // document order, only those on a page

    // The document layer placed on `pages` (the pages written, in order) through their source
    // rows; sourceLeft is the image column of page column 0. A word goes on the page that shows
    // its middle row, over the rows that show its box there, and is dropped when no page shows
    // that row or its middle column lies off the page; a link gives one piece per run of
    // consecutive page rows showing its box; a target or heading goes to the first row of it
    // shown. Pages whose source rows are not known show nothing. Throws std::bad_alloc when
    // memory is short.
    static PageLayer Of(const DocumentLayer& doc, const QList<const PageRecord*>& pages,
                        const PageGeometry& geometry, qint32 sourceLeft);
};
