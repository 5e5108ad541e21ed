#include "capture/PageMenu.h"

#include <QMenu>
#include <QWebEngineContextMenuRequest>
#include <QWebEngineHistory>
#include <QWebEnginePage>

namespace {

void AddAction(QMenu* menu, const QString& label, QWebEnginePage* page,
               QWebEnginePage::WebAction action, bool enabled) {
    QAction* item = menu->addAction(label);
    item->setEnabled(enabled);
    QObject::connect(item, &QAction::triggered, page,
                     [page, action] { page->triggerAction(action); });
}

} // namespace

QMenu* PageMenu::Build(const QWebEngineContextMenuRequest& request, QWebEnginePage* page,
                       QWidget* parent) {
    using Edit = QWebEngineContextMenuRequest;
    auto* menu = new QMenu(parent);
    const Edit::EditFlags flags = request.editFlags();
    const bool onLink = request.linkUrl().isValid();
    const bool hasSelection = !request.selectedText().isEmpty();
    const bool editable = request.isContentEditable();
    if (onLink)
        AddAction(menu, OpenLinkLabel(), page, QWebEnginePage::OpenLinkInThisWindow, true);
    if (!onLink && !hasSelection && !editable) {
        AddAction(menu, BackLabel(), page, QWebEnginePage::Back, page->history()->canGoBack());
        AddAction(menu, ForwardLabel(), page, QWebEnginePage::Forward,
                  page->history()->canGoForward());
        AddAction(menu, ReloadLabel(), page, QWebEnginePage::Reload, true);
    }
    if (!menu->isEmpty())
        menu->addSeparator();
    if (hasSelection || editable)
        AddAction(menu, CopyLabel(), page, QWebEnginePage::Copy, flags.testFlag(Edit::CanCopy));
    if (editable)
        AddAction(menu, PasteLabel(), page, QWebEnginePage::Paste, flags.testFlag(Edit::CanPaste));
    // Outside a text field the whole document can always be selected.
    AddAction(menu, SelectAllLabel(), page, QWebEnginePage::SelectAll,
              !editable || flags.testFlag(Edit::CanSelectAll));
    return menu;
}

QString PageMenu::OpenLinkLabel() {
    return QStringLiteral("링크 열기");
}

QString PageMenu::BackLabel() {
    return QStringLiteral("뒤로");
}

QString PageMenu::ForwardLabel() {
    return QStringLiteral("앞으로");
}

QString PageMenu::ReloadLabel() {
    return QStringLiteral("새로 고침");
}

QString PageMenu::CopyLabel() {
    return QStringLiteral("복사");
}

QString PageMenu::PasteLabel() {
    return QStringLiteral("붙여넣기");
}

QString PageMenu::SelectAllLabel() {
    return QStringLiteral("모두 선택");
}
