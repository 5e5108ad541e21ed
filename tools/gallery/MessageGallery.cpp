#include "tools/gallery/Gallery.h"

#include "toolkit/QX_Button.h"
#include "toolkit/QX_DlgTemplate.h"
#include "toolkit/QX_MessageDlg.h"
#include "toolkit/QX_Theme.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <memory>

// Message boxes in their usual shapes and both languages, and the push button in its states.

namespace {

constexpr COLORREF kErrorRed = 0x000080;
constexpr COLORREF kPlainText = 0x000000;
constexpr COLORREF kKeyRed = 0x0000FF;
constexpr COLORREF kPanel = QX_RGB(232, 236, 255);

struct BoxLine {
    QString text; // empty: a gap
    COLORREF color = kPlainText;
};

// Lays the box out as ShowMessage would, shows it without a modal loop and saves it.
QSize SaveBox(Gallery& gallery, const QString& name, const QString& title, int icon,
              bool withCancel, quint8 language, const QList<BoxLine>& lines,
              std::unique_ptr<QX_MessageDlg>* keep = nullptr) {
    auto box = std::make_unique<QX_MessageDlg>();
    for (const BoxLine& line : lines) {
        if (line.text.isEmpty())
            box->AddGap();
        else
            box->AddLine(line.text, line.color);
    }
    const QFont font = QX_StandardFont();
    box->Prepare(withCancel, title, icon, &font, language);
    box->show();
    box->SetCaptionActive(true);
    box->OkButton()->setFocus();
    Gallery::Settle();
    gallery.Save(box.get(), name);
    const QSize size = box->size();
    box->hide();
    if (keep)
        *keep = std::move(box);
    return size;
}

void SaveBoxes(Gallery& gallery) {
    const QSize shortBox =
        SaveBox(gallery, QStringLiteral("messagebox_short"), QStringLiteral("알림"),
                QX_MSG_INFORMATION, false, QX_MSG_KOREAN, {{QStringLiteral("저장했습니다.")}});
    gallery.Fact(QStringLiteral("messagebox.short"), {shortBox.width(), shortBox.height()});

    const QSize gapBox = SaveBox(gallery, QStringLiteral("messagebox_lines3gap"),
                                 QStringLiteral("저장 오류!!"), QX_MSG_STOP, false, QX_MSG_KOREAN,
                                 {{QStringLiteral("파일을 저장하지 못했습니다."), kErrorRed},
                                  {},
                                  {QStringLiteral("폴더의 쓰기 권한과 디스크의 남은 공간을")},
                                  {QStringLiteral("확인한 뒤 다시 저장하십시오.")}});
    gallery.Fact(QStringLiteral("messagebox.lines3gap"), {gapBox.width(), gapBox.height()});

    std::unique_ptr<QX_MessageDlg> okOnly;
    SaveBox(gallery, QStringLiteral("messagebox_ok"), QStringLiteral("캡처 오류!!"), QX_MSG_STOP,
            false, QX_MSG_KOREAN,
            {{QStringLiteral("페이지를 캡처하지 못했습니다."), kErrorRed},
             {QStringLiteral("페이지를 다시 불러온 뒤 시도하십시오.")}},
            &okOnly);
    const QRect ok = okOnly->OkButton()->geometry();
    gallery.Fact(QStringLiteral("messagebox.ok"), {ok.left(), ok.right() + 1});

    std::unique_ptr<QX_MessageDlg> pair;
    SaveBox(gallery, QStringLiteral("messagebox_okcancel"), QStringLiteral("인쇄"), QX_MSG_QUESTION,
            true, QX_MSG_KOREAN, {{QStringLiteral("사용으로 표시한 페이지를 인쇄하시겠습니까?")}},
            &pair);
    const QRect pairOk = pair->OkButton()->geometry();
    const QRect pairCancel = pair->CancelButton()->geometry();
    gallery.Fact(QStringLiteral("messagebox.okcancel.ok"), {pairOk.left(), pairOk.right() + 1});
    gallery.Fact(QStringLiteral("messagebox.okcancel.cancel"),
                 {pairCancel.left(), pairCancel.right() + 1});

    SaveBox(gallery, QStringLiteral("messagebox_english_ok"), QStringLiteral("Notice"),
            QX_MSG_INFORMATION, false, QX_MSG_ENGLISH, {{QStringLiteral("The pages were saved.")}});
    SaveBox(gallery, QStringLiteral("messagebox_english_okcancel"), QStringLiteral("Warning"),
            QX_MSG_WARNING, true, QX_MSG_ENGLISH,
            {{QStringLiteral("The margins move content to the next page.")},
             {},
             {QStringLiteral("Apply them to every used page?"), kErrorRed}});
}

QX_Button* MakeButton(QWidget* parent, const QString& text, QSize size, bool above,
                      const QString& image, COLORREF key) {
    auto* button = new QX_Button(parent);
    button->Create(text, QX_WS_CHILD | QX_WS_VISIBLE | QX_WS_TABSTOP | QX_BS_OWNERDRAW,
                   QRect(QPoint(0, 0), size), parent, 1);
    button->setFont(QX_StandardFont());
    button->SetImage(above, image, above ? 4 : 10, true, key);
    return button;
}

// One sheet: rows of layouts, columns of states, each cell captioned.
void SaveButtonSheet(Gallery& gallery) {
    QWidget host;
    const QList<QX_Button*> rows = {MakeButton(&host, QStringLiteral("확 인"), {120, 40}, false,
                                               QStringLiteral("image/qs_ok.bmp"), kKeyRed),
                                    MakeButton(&host, QStringLiteral("취 소"), {120, 40}, false,
                                               QStringLiteral("image/qs_cancel.bmp"), kKeyRed),
                                    MakeButton(&host, QStringLiteral("저장하기"), {120, 56}, true,
                                               QStringLiteral("image/qx_save16.bmp"), kKeyRed),
                                    MakeButton(&host, QStringLiteral("인쇄하기"), {120, 56}, true,
                                               QStringLiteral("image/qx_print16.bmp"), kKeyRed)};
    const QStringList captions = {QStringLiteral("보통"), QStringLiteral("눌림"),
                                  QStringLiteral("포커스"), QStringLiteral("사용 안 함")};
    const quint32 states[4] = {0, QX_ODS_SELECTED | QX_ODS_FOCUS, QX_ODS_FOCUS, QX_ODS_DISABLED};
    const int cellW = 140, top = 28, pad = 10;
    int height = top;
    for (const QX_Button* b : rows)
        height += b->height() + pad;

    QImage sheet(pad + 4 * cellW, height + pad, QImage::Format_RGB32);
    sheet.fill(QX_ToQColor(kPanel));
    QPainter p(&sheet);
    p.setFont(QX_StandardFont());
    p.setPen(QX_ToQColor(QX_RGB(0, 0, 128)));
    for (int c = 0; c < 4; ++c)
        p.drawText(QRect(pad + c * cellW, 6, 120, 16), Qt::AlignCenter, captions[c]);
    int y = top;
    for (const QX_Button* b : rows) {
        for (int c = 0; c < 4; ++c) {
            p.save();
            p.translate(pad + c * cellW, y);
            b->DrawItem(&p, states[c]);
            p.restore();
        }
        y += b->height() + pad;
    }
    p.end();
    gallery.Save(sheet, QStringLiteral("buttons"));

    const QX_Button* ok = rows.first();
    const QX_ButtonLayout layout = ok->Layout(false);
    gallery.Fact(QStringLiteral("button.image"), {layout.image.x(), layout.image.y()});
    gallery.Fact(QStringLiteral("button.label"), {layout.label.left()});
    gallery.Fact(QStringLiteral("button.labelwidth"), {ok->LabelSize().width()});
}

// The live widget in a dialog-coloured host, so the picture shows real focus and push states.
void SaveLiveButton(Gallery& gallery) {
    QWidget host;
    host.setFixedSize(140, 60);
    QPalette pal = host.palette();
    pal.setColor(QPalette::Window, QX_ToQColor(kPanel));
    host.setPalette(pal);
    host.setAutoFillBackground(true);
    QX_Button* button = MakeButton(&host, QStringLiteral("확 인"), {120, 40}, false,
                                   QStringLiteral("image/qs_ok.bmp"), kKeyRed);
    button->move(10, 10);
    host.show();
    host.activateWindow();
    button->setFocus();
    gallery.Save(&host, QStringLiteral("button_ok_live"));
}

} // namespace

void RenderMessageGallery(Gallery& gallery) {
    SaveBoxes(gallery);
    SaveButtonSheet(gallery);
    SaveLiveButton(gallery);
}
