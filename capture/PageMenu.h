#pragma once

#include <QString>

class QMenu;
class QWebEngineContextMenuRequest;
class QWebEnginePage;
class QWidget;

// The page's right-click menu: Korean labels and only what works in our one browser view
// (open a link here, back, forward, reload, copy, paste, select all). Each entry runs the
// engine's own action on the page.
class PageMenu final {
  public:
    // A new menu for what was under the pointer; the caller shows it and owns it.
    static QMenu* Build(const QWebEngineContextMenuRequest& request, QWebEnginePage* page,
                        QWidget* parent);

    static QString OpenLinkLabel();
    static QString BackLabel();
    static QString ForwardLabel();
    static QString ReloadLabel();
    static QString CopyLabel();
    static QString PasteLabel();
    static QString SelectAllLabel();
};
