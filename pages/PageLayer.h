#pragma once

#include <QDateTime>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <vector>

// A document layer as it falls on the pages written: per page the words and links over its
// pixels, and the headings with the page and place they go to, all in pixels of the page (x the
// page column, y the page row). Pages are counted among the pages given to the placement, first
// page 0.
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
};
