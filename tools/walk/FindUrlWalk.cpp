#include "tools/walk/FindUrlWalk.h"

#include "app/MainWnd.h"
#include "browsers/AboutDlg.h"
#include "browsers/FindUrlDlg.h"
#include "capture/BrowserControl.h"
#include "toolkit/QX_Button.h"
#include "toolkit/QX_CheckBtn.h"
#include "toolkit/QX_ListBox.h"
#include "tools/walk/ModalDriver.h"
#include "tools/walk/WaitForSignal.h"

#include <QDir>
#include <QEventLoop>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace {
constexpr int kLoadTimeoutMs = 60000;

void PressButton(QX_Dialog* dlg, int id) {
    if (auto* button = qobject_cast<QX_Button*>(dlg->GetDlgItem(id)))
        button->Click();
    else
        dlg->EndDialog(IDCANCEL); // the dialog must never be left hanging
}
} // namespace

FindUrlWalk::FindUrlWalk(const QString& outDir) : m_strOutDir(outDir) {}

bool FindUrlWalk::PickAddress(MainWnd* wnd, int row, bool explorer) {
    ModalDriver driver;
    bool shown = false;
    driver.OnNextModal<FindUrlDlg>([&](FindUrlDlg* dlg) {
        shown = true;
        if (explorer)
            QTest::mouseClick(dlg->ExplorerBox(), Qt::LeftButton, {}, QPoint(5, 5));
        QX_ListBox* list = dlg->List();
        for (int i = 0; i < list->GetCount(); ++i)
            std::printf("row %s\t%s\n", list->GetText(i).toUtf8().constData(),
                        dlg->ItemUrl(i).toUtf8().constData());
        std::fflush(stdout);
        const QString png = QDir(m_strOutDir).filePath(QStringLiteral("findurl.png"));
        if (!dlg->grab().save(png, "PNG"))
            m_strError = QStringLiteral("cannot write ") + png;
        if (row < 1 || row > list->GetCount()) {
            if (row != 0)
                m_strError = QStringLiteral("no row %1 in the list").arg(row);
            PressButton(dlg, IDCANCEL);
            return;
        }
        list->SetTopIndex(row - 1);
        QTest::mouseClick(list, Qt::LeftButton, {}, list->GetItemRect(row - 1).center());
        PressButton(dlg, IDOK);
    });
    bool loaded = false;
    const QMetaObject::Connection done =
        QObject::connect(wnd, &MainWnd::DocumentCompleted, wnd, [&loaded] { loaded = true; });
    QTest::keyClick(wnd, Qt::Key_F8);
    if (!shown && m_strError.isEmpty())
        m_strError = QStringLiteral("F8 showed no list");
    if (m_strError.isEmpty() && row > 0 && !loaded &&
        !WaitForSignal(wnd, &MainWnd::DocumentCompleted, kLoadTimeoutMs))
        m_strError = QStringLiteral("the chosen page did not load");
    QObject::disconnect(done);
    return m_strError.isEmpty();
}

bool FindUrlWalk::ShowAbout(MainWnd* wnd) {
    ModalDriver driver;
    bool shown = false;
    driver.OnNextModal<AboutDlg>([&](AboutDlg* dlg) {
        shown = true;
        if (BrowserControl* browser = dlg->Browser())
            if (browser->IsLoading() || browser->LocationURL().isEmpty())
                WaitForSignal(browser, &BrowserControl::DocumentComplete, kLoadTimeoutMs);
        QTest::qWait(300); // let the page paint its first frame for the picture
        const QString png = QDir(m_strOutDir).filePath(QStringLiteral("about.png"));
        if (!dlg->grab().save(png, "PNG"))
            m_strError = QStringLiteral("cannot write ") + png;
        dlg->EndDialog(IDCANCEL);
    });
    QTest::keyClick(wnd, Qt::Key_A, Qt::AltModifier);
    if (!shown && m_strError.isEmpty())
        m_strError = QStringLiteral("Alt+A showed no about box");
    return m_strError.isEmpty();
}
