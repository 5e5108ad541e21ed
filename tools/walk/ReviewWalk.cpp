#include "tools/walk/ReviewWalk.h"

#include "capture/BrowserControl.h"
#include "review/AdPanel.h"
#include "review/PageImageView.h"
#include "review/ShowPageDlg.h"
#include "toolkit/QX_CheckBtn.h"
#include "toolkit/QX_ListBox.h"
#include "tools/walk/ModalDriver.h"
#include "tools/walk/PrintStep.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>

#include <cstdio>

namespace {
constexpr int kPanelLoadMs = 15000;
constexpr int kQuestionMs = 5000;

// Runs events until done() holds or ms pass; true when it holds.
template <typename Done> bool WaitUntil(Done done, int ms) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(10);
    }
    return true;
}

void SendMouse(QWidget* widget, QEvent::Type type, QPoint pos, Qt::MouseButtons buttons) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(pos), QPointF(widget->mapToGlobal(pos)), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

QString TwoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}
} // namespace

ReviewWalk::ReviewWalk(const WalkOptions& options, ModalDriver* driver, QObject* parent)
    : QObject(parent), m_options(options), m_pDriver(driver) {
    AddHandler(QStringLiteral("toggle"), [](ReviewWalk& w, ShowPageDlg* d, const ReviewAction& a) {
        return w.OnToggle(d, a);
    });
    AddHandler(QStringLiteral("preview"), [](ReviewWalk& w, ShowPageDlg* d, const ReviewAction& a) {
        return w.OnMargins(d, a, false);
    });
    AddHandler(QStringLiteral("margins"), [](ReviewWalk& w, ShowPageDlg* d, const ReviewAction& a) {
        return w.OnMargins(d, a, true);
    });
    AddHandler(QStringLiteral("auto-breaks"),
               [](ReviewWalk& w, ShowPageDlg* d, const ReviewAction&) {
                   return w.ClickControl(d, ShowPageDlg::IDC_AUTO_BREAKS);
               });
    AddHandler(QStringLiteral("cut"),
               [](ReviewWalk& w, ShowPageDlg* d, const ReviewAction& a) { return w.OnCut(d, a); });
}

void ReviewWalk::AddHandler(const QString& name, Handler handler) {
    m_handlers.insert(name, std::move(handler));
}

bool ReviewWalk::Run(ShowPageDlg* dlg) {
    Settle();
    bool ok = true;
    for (const ReviewAction& action : m_options.m_reviewActions) {
        const auto it = m_handlers.constFind(action.name);
        if (it == m_handlers.constEnd()) {
            m_strError = QStringLiteral("no review action called ") + action.name;
            ok = false;
        } else {
            ok = (*it)(*this, dlg, action);
        }
        if (!ok)
            break;
        Settle();
    }
    if (ok && !m_options.m_strPrintQueue.isEmpty()) {
        PrintStep print(*m_pDriver, m_options);
        ok = print.Run(dlg, dlg->Printer());
        if (!ok)
            m_strError = print.m_strError;
    }
    WaitForPanel(dlg->Panel());
    ok = SaveImage(dlg->grab().toImage(), QStringLiteral("review.png")) && ok;
    ClickControl(dlg, IDCANCEL);
    return ok;
}

void ReviewWalk::WaitForPanel(const AdPanel* panel) {
    if (!panel || !panel->Browser() || !panel->NavigatedUrl().isValid())
        return;
    BrowserControl* browser = panel->Browser();
    WaitUntil(
        [&] {
            return !browser->IsLoading() &&
                   browser->LocationURL() == panel->NavigatedUrl().toString();
        },
        kPanelLoadMs);
    Settle(300); // the engine paints its first frame a little after the load ends
}

bool ReviewWalk::SelectPage(ShowPageDlg* dlg, int k) {
    QX_ListBox* list = dlg->PageList();
    const int index = k - 1;
    if (index < 0 || index >= list->GetCount()) {
        m_strError = QStringLiteral("there is no page %1 (the review lists %2)")
                         .arg(k)
                         .arg(list->GetCount());
        return false;
    }
    if (!list->RowArea().contains(list->GetItemRect(index)))
        list->SetTopIndex(index);
    QTest::mouseClick(list, Qt::LeftButton, Qt::NoModifier, list->GetItemRect(index).center());
    Settle();
    return list->GetCurSel() == index;
}

void ReviewWalk::TypeInto(QX_Dialog* dlg, int id, const QString& text) {
    auto* edit = qobject_cast<QLineEdit*>(dlg->GetDlgItem(id));
    if (!edit)
        return;
    QTest::mouseClick(edit, Qt::LeftButton);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(edit, char(c.unicode()));
            continue;
        }
        // Korean comes through the input method, one finished syllable at a time.
        QInputMethodEvent commit;
        commit.setCommitString(QString(c));
        QApplication::sendEvent(edit, &commit);
    }
}

bool ReviewWalk::ClickControl(QX_Dialog* dlg, int id) {
    QWidget* control = dlg->GetDlgItem(id);
    if (!control)
        return false;
    QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, control->rect().center());
    Settle();
    return true;
}

bool ReviewWalk::SaveImage(const QImage& image, const QString& name) {
    const QString path = QDir(m_options.m_strOutDir).filePath(name);
    if (image.save(path, "PNG"))
        return true;
    m_strError = QStringLiteral("cannot write ") + path;
    return false;
}

void ReviewWalk::Settle(int ms) {
    QTest::qWait(ms);
}

bool ReviewWalk::OnToggle(ShowPageDlg* dlg, const ReviewAction& action) {
    if (!SelectPage(dlg, action.numbers.at(0)))
        return false;
    QX_ListBox* list = dlg->PageList();
    QTest::mouseDClick(list, Qt::LeftButton, Qt::NoModifier,
                       list->GetItemRect(list->GetCurSel()).center());
    return true;
}

bool ReviewWalk::OnMargins(ShowPageDlg* dlg, const ReviewAction& action, bool apply) {
    const int k = action.numbers.at(0);
    if (!SelectPage(dlg, k))
        return false;
    TypeInto(dlg, ShowPageDlg::IDC_TOP_EDIT, QString::number(action.numbers.at(1)));
    TypeInto(dlg, ShowPageDlg::IDC_BOTTOM_EDIT, QString::number(action.numbers.at(2)));
    ClickControl(dlg, ShowPageDlg::IDC_MARGIN_PREVIEW);
    if (apply)
        return ClickControl(dlg, ShowPageDlg::IDC_MARGIN_APPLY);
    return !dlg->PageView() || SaveImage(dlg->PageView()->PageImage(),
                                         QStringLiteral("preview%1.png").arg(TwoDigits(k)));
}

bool ReviewWalk::OnCut(ShowPageDlg* dlg, const ReviewAction& action) {
    if (!SelectPage(dlg, action.numbers.at(0)))
        return false;
    PageImageView* view = dlg->PageView();
    auto* check = qobject_cast<QX_CheckBtn*>(dlg->GetDlgItem(ShowPageDlg::IDC_IMAGE_ADJUST));
    if (!view || !check)
        return false;
    if (!check->GetCheck())
        ClickControl(dlg, ShowPageDlg::IDC_IMAGE_ADJUST);
    if (!view->AdjustMode())
        return true; // refused (a preview is shown); the dialog said why
    const int visible = view->VisibleHeight();
    const QScrollBar* bar = view->VScrollBar();
    const int maxScroll = bar && bar->isVisible() ? bar->maximum() : 0;
    const int y0 = action.numbers.at(1);
    int hi = action.numbers.at(2);
    if (y0 >= hi) { // not upwards: the view changes nothing, but the user may still try
        DragInView(dlg, qBound(0, hi - visible / 2, maxScroll), hi, y0, false);
        return true;
    }
    // A band taller than the view is cut in pieces, lowest first, each one in sight.
    while (hi > y0) {
        const int lo = qMax(y0, hi - (visible - 1));
        DragInView(dlg, qBound(0, lo, maxScroll), hi, lo, true);
        hi = lo;
    }
    return true;
}

void ReviewWalk::DragInView(ShowPageDlg* dlg, int scroll, int fromRow, int toRow,
                            bool askExpected) {
    PageImageView* view = dlg->PageView();
    if (QScrollBar* bar = view->VScrollBar(); bar && bar->isVisible()) {
        bar->setValue(scroll);
        Settle();
    }
    const int s = view->ScrollPos().y();
    const int x = qMax(1, view->VisibleWidth() / 2);
    const QPoint from = view->ClientOrigin() + QPoint(x, fromRow - s);
    const QPoint to = view->ClientOrigin() + QPoint(x, toRow - s);
    SendMouse(view, QEvent::MouseMove, from, Qt::NoButton);
    SendMouse(view, QEvent::MouseButtonPress, from, Qt::LeftButton);
    SendMouse(view, QEvent::MouseMove, (from + to) / 2, Qt::LeftButton);
    SendMouse(view, QEvent::MouseMove, to, Qt::LeftButton);
    const int answered = m_pDriver ? m_pDriver->MessageCount() : 0;
    SendMouse(view, QEvent::MouseButtonRelease, to, Qt::NoButton);
    if (askExpected && m_pDriver) {
        WaitUntil([&] { return m_pDriver->MessageCount() > answered; }, kQuestionMs);
        WaitUntil([&] { return QApplication::activeModalWidget() == dlg; }, kQuestionMs);
    }
    Settle();
    std::fflush(stdout);
}
