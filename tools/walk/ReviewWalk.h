#pragma once

#include "tools/walk/WalkOptions.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QPoint>
#include <QString>

#include <functional>

class AdPanel;
class ModalDriver;
class QX_Dialog;
class QWidget;
class ShowPageDlg;

// The walk's part inside the page review: runs the review actions on the real dialog in the
// order given, as a user would (clicking rows and buttons, typing margins, dragging in the page
// view), then saves the dialog as review.png and closes it. Message boxes are left to the modal
// driver, which prints and answers them. Actions are looked up by name in a table, so further
// actions join the same review session with AddHandler.
class ReviewWalk final : public QObject {
    Q_OBJECT

  public:
    // Runs one action; false with m_strError set when it could not be carried out.
    using Handler = std::function<bool(ReviewWalk& walk, ShowPageDlg* dlg, const ReviewAction&)>;

    ReviewWalk(const WalkOptions& options, ModalDriver* driver, QObject* parent = nullptr);

    // Adds (or replaces) the handler of the action called name.
    void AddHandler(const QString& name, Handler handler);
    // Runs every action, saves review.png and closes the dialog; false when an action failed
    // (the dialog is closed all the same).
    bool Run(ShowPageDlg* dlg);

    // Steps for handlers. Selects page k (from 1) by clicking its row, scrolling the list first
    // when the row is not in sight.
    bool SelectPage(ShowPageDlg* dlg, int k);
    // Replaces the text of the dialog's edit id as typed.
    void TypeInto(QX_Dialog* dlg, int id, const QString& text);
    // Clicks the dialog's button or check box id in its middle.
    bool ClickControl(QX_Dialog* dlg, int id);
    // Waits until a dialog's advertisement panel has shown its page (at most a few seconds).
    void WaitForPanel(const AdPanel* panel);
    // Saves an image as NAME in the output folder.
    bool SaveImage(const QImage& image, const QString& name);
    // Lets pending events run for ms milliseconds.
    static void Settle(int ms = 50);

    QString m_strError;

  private:
    bool OnToggle(ShowPageDlg* dlg, const ReviewAction& action);
    bool OnMargins(ShowPageDlg* dlg, const ReviewAction& action, bool apply);
    bool OnCut(ShowPageDlg* dlg, const ReviewAction& action);
    // One drag in the page view from page row fromRow to page row toRow, the view scrolled to
    // scroll first; waits for the question it raises when askExpected.
    void DragInView(ShowPageDlg* dlg, int scroll, int fromRow, int toRow, bool askExpected);

    WalkOptions m_options;
    ModalDriver* m_pDriver;
    QHash<QString, Handler> m_handlers;
};
