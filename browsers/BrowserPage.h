#pragma once

#include <QList>
#include <QString>

// One open page of another browser: its title and its address.
struct BrowserPage {
    QString title;
    QString url;

    bool operator==(const BrowserPage& other) const = default;
};

using BrowserPageList = QList<BrowserPage>;
