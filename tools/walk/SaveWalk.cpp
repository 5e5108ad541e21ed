#include "tools/walk/SaveWalk.h"

#include "review/PageFileSaver.h"
#include "review/ReviewTexts.h"
#include "review/SaveFileDlg.h"
#include "review/ShowPageDlg.h"
#include "toolkit/QX_CheckBtn.h"
#include "tools/walk/ModalDriver.h"
#include "tools/walk/ReviewWalk.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <memory>
#include <utility>

void SaveWalk::Register(ReviewWalk& walk, ModalDriver* driver) {
    auto saves = std::make_shared<int>(0);
    walk.AddHandler(QStringLiteral("save"),
                    [driver, saves](ReviewWalk& w, ShowPageDlg* dlg, const ReviewAction& a) {
                        return SaveWalk(w, driver).OnSave(dlg, a, ++*saves);
                    });
}

bool SaveWalk::OnSave(ShowPageDlg* dlg, const ReviewAction& action, int number) {
    bool opened = false;
    bool accepted = false;
    m_pDriver->SetAnswer(ReviewTexts::SavedTitle(),
                         IDCANCEL); // the walk never opens a file manager
    m_pDriver->OnNextModal<SaveFileDlg>([&](SaveFileDlg* save) {
        opened = true;
        accepted = FillAndPress(save, action, number);
    });
    m_walk.ClickControl(dlg, ShowPageDlg::IDC_SAVE);
    if (!opened) {
        m_walk.m_strError = QStringLiteral("the save dialog did not open");
        return false;
    }
    if (accepted)
        PrintFiles(action);
    return true;
}

bool SaveWalk::FillAndPress(SaveFileDlg* save, const ReviewAction& action, int number) {
    m_walk.TypeInto(save, SaveFileDlg::kNameEdit, action.value);
    const std::pair<const char*, int> formats[] = {{"jpeg", SaveFileDlg::kJpegRadio},
                                                   {"png", SaveFileDlg::kPngRadio},
                                                   {"pdf", SaveFileDlg::kPdfRadio}};
    for (const auto& [flag, radio] : formats) {
        if (action.flags.contains(QLatin1String(flag)))
            m_walk.ClickControl(save, radio);
    }
    if (action.flags.contains(QStringLiteral("scroll")))
        m_walk.ClickControl(save, SaveFileDlg::kScrollCheck);
    m_walk.WaitForPanel(save->Panel());
    m_walk.SaveImage(save->grab().toImage(),
                     QStringLiteral("save%1.png").arg(number, 2, 10, QLatin1Char('0')));
    m_walk.ClickControl(save, IDOK);
    // A refused name leaves the dialog open once its message was answered.
    if (!save->isVisible())
        return true;
    m_walk.ClickControl(save, IDCANCEL);
    return false;
}

void SaveWalk::PrintFiles(const ReviewAction& action) {
    const QString folder = PageFileSaver::DefaultImageFolder();
    const bool pdf = action.flags.contains(QStringLiteral("pdf"));
    const QString extension =
        pdf                                             ? QStringLiteral("pdf")
        : action.flags.contains(QStringLiteral("jpeg")) ? QStringLiteral("jpg")
        : action.flags.contains(QStringLiteral("png"))  ? QStringLiteral("png")
                                                        : QStringLiteral("bmp");
    QStringList files;
    if (pdf || action.flags.contains(QStringLiteral("scroll"))) {
        files << QStringLiteral("%1/%2.%3").arg(folder, action.value, extension);
    } else {
        const QDir dir(folder + QLatin1Char('/') + action.value);
        for (const QString& name : dir.entryList(QDir::Files, QDir::Name))
            files << dir.path() + QLatin1Char('/') + name;
    }
    for (const QString& file : files) {
        const QFileInfo info(file);
        if (info.exists())
            std::printf("saved %s %lld\n", file.toUtf8().constData(), info.size());
    }
    std::fflush(stdout);
}
