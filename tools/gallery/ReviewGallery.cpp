#include "tools/gallery/Gallery.h"

#include "capture/BrowserControl.h"
#include "pages/PageSet.h"
#include "review/AdPanel.h"
#include "review/PageImageView.h"
#include "review/ShowPageDlg.h"
#include "toolkit/QX_ListBox.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPainter>

#include <cstring>

// The page review dialog over a small page set that looks like a cut web page.

namespace {

constexpr int kWidth = 760;
constexpr int kPages = 4;

// A page of text lines and a coloured heading, drawn as a captured page would look.
QImage DrawPage(int page) {
    QImage image(kWidth, PageSet::pageHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.fillRect(0, 0, kWidth, 64, QColor(11, 92, 173));
    p.setPen(Qt::white);
    QFont heading(QStringLiteral("NanumGothic"));
    heading.setPixelSize(26);
    p.setFont(heading);
    p.drawText(24, 42, QStringLiteral("웹문서 캡쳐 예제 — %1쪽").arg(page + 1));
    QFont body(QStringLiteral("NanumGothic"));
    body.setPixelSize(15);
    p.setFont(body);
    p.setPen(QColor(35, 48, 63));
    for (int y = 100, line = 0; y < PageSet::pageHeight - 20; y += 26, ++line) {
        if (line % 9 == 8)
            continue; // a paragraph break
        p.drawText(24, y,
                   QStringLiteral("%1. 페이지를 나누어 인쇄하거나 그림 파일로 저장하는 예제 "
                                  "문장입니다. Line %2")
                       .arg(page * 40 + line + 1)
                       .arg(line + 1));
    }
    return image;
}

void FillPages(PageSet& set) {
    set.SetWidth(kWidth);
    for (int i = 0; i < kPages && set.AppendWhitePage(); ++i) {
        const QImage image = DrawPage(i);
        for (int row = 0; row < PageSet::pageHeight; ++row)
            std::memcpy(set.Row(set.Page(i), row), image.constScanLine(row),
                        size_t(set.RowBytes()));
    }
}

void WaitForPanel(const ShowPageDlg& dlg) {
    const AdPanel* panel = dlg.Panel();
    if (!panel || !panel->Browser())
        return;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000 &&
           (panel->Browser()->IsLoading() ||
            panel->Browser()->LocationURL() != panel->NavigatedUrl().toString()))
        Gallery::Settle(20);
    Gallery::Settle(300);
}

} // namespace

void RenderReviewGallery(Gallery& gallery) {
    PageSet set;
    FillPages(set);
    const QFont font(QStringLiteral("굴림체"));
    ShowPageDlg dlg(&font);
    dlg.SetPages(&set);
    dlg.Create();
    set.Page(2)->used = false;
    dlg.show();
    dlg.SetCaptionActive(true);
    WaitForPanel(dlg);
    gallery.Save(&dlg, QStringLiteral("review_dialog"));
    const QRect view = dlg.PageView() ? dlg.PageView()->geometry() : QRect();
    const QRect list = dlg.PageList()->geometry();
    gallery.Fact(QStringLiteral("review.size"), {dlg.width(), dlg.height()});
    gallery.Fact(QStringLiteral("review.list"), {list.x(), list.y(), list.width(), list.height()});
    gallery.Fact(QStringLiteral("review.view"), {view.x(), view.y(), view.width(), view.height()});
}
