#include "tools/gallery/Gallery.h"

#include "app/AppTexts.h"

#include "toolkit/QX_Button.h"
#include "toolkit/QX_CheckBtn.h"
#include "toolkit/QX_Dialog.h"
#include "toolkit/QX_Static.h"
#include "toolkit/QX_Theme.h"
#include "toolkit/QX_Wnd.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

#include <memory>

namespace {

constexpr int kGalleryDlgTemplate = 9132;

// A frame with some client contents, as the main window draws its address label.
class SampleWnd final : public QX_Wnd {
  public:
    explicit SampleWnd(const QString& title) {
        m_strTitle = title;
        m_bResizable = true;
        SetCaptionButtons(true, true, true);
    }

  protected:
    void OnDraw(QPainter* dc) override {
        dc->setFont(QX_StandardFont());
        dc->setPen(QX_ToQColor(0xFF8000));
        dc->drawText(QRect(10, 42, width() - 20, 20), Qt::AlignLeft | Qt::AlignTop,
                     QStringLiteral("** 사이트 주소 : "));
    }
};

void Press(QWidget* w, const QPoint& p, QEvent::Type type = QEvent::MouseButtonPress) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(p), QPointF(w->mapToGlobal(p)), Qt::LeftButton, held,
                  Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

// The caption's right end at rest (top) and with close held down (bottom), four times enlarged.
QImage ZoomedButtons(const QImage& up, const QImage& down) {
    const QRect strip(up.width() - 72, 0, 72, 34);
    QImage out(strip.width() * 4, strip.height() * 8 + 4, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    p.drawImage(QRect(0, 0, out.width(), strip.height() * 4), up.copy(strip));
    p.drawImage(QRect(0, strip.height() * 4 + 4, out.width(), strip.height() * 4),
                down.copy(strip));
    return out;
}

void RegisterGalleryTemplate() {
    QX_DlgTemplate t;
    t.id = kGalleryDlgTemplate;
    t.cx = 299;
    t.cy = 190;
    t.items = {
        {1017, QX_CtrlKind::Edit, QString(), 60, 27, 107, 14, 0, false},
        {1023, QX_CtrlKind::CheckBox, QStringLiteral("두루마리 형식으로 저장"), 181, 30, 105, 10, 0,
         false},
        {1001, QX_CtrlKind::Static, QStringLiteral("저장할 이름 :"), 6, 30, 50, 8, 0, false},
        {1005, QX_CtrlKind::Static,
         QStringLiteral("user_image 폴더에 지정한 이름으로 폴더가 만들어집니다."), 7, 52, 285, 8, 0,
         false},
        {1018, QX_CtrlKind::RadioButton, QStringLiteral("비트맵 형식"), 89, 120, 58, 10,
         QX_WS_GROUP, false},
        {1019, QX_CtrlKind::RadioButton, QStringLiteral("JPEG 형식"), 151, 120, 58, 10, 0, false},
        {IDOK, QX_CtrlKind::DefButton, QStringLiteral("확 인"), 85, 150, 60, 20, QX_BS_OWNERDRAW,
         false},
        {IDCANCEL, QX_CtrlKind::Button, QStringLiteral("취 소"), 146, 150, 60, 20, QX_BS_OWNERDRAW,
         false},
    };
    QX_RegisterDlgTemplate(t);
}

// A dialog dressed as the program's dialogs are: template controls taken over by skinned ones.
class SampleDlg final : public QX_Dialog {
  public:
    SampleDlg() : QX_Dialog(kGalleryDlgTemplate, nullptr) {
        m_strTitle = QStringLiteral("페이지 이미지들을 파일로 저장합니다.");
    }

  protected:
    bool OnInitDialog() override {
        QX_Dialog::OnInitDialog();
        SetCaptionButtons(false, true);
        const QFont font = QX_StandardFont();
        for (int id : {IDOK, IDCANCEL}) {
            auto* b = new QX_Button(this);
            b->TakeOver(this, id);
            b->SetImage(false,
                        id == IDOK ? QStringLiteral("image/qs_ok.bmp")
                                   : QStringLiteral("image/qs_cancel.bmp"),
                        10);
        }
        const std::pair<int, COLORREF> labels[] = {{1001, QX_RGB(0, 128, 255)},
                                                   {1005, QX_RGB(128, 168, 168)}};
        for (const auto& [id, colour] : labels) {
            auto* s = new QX_Static(this);
            s->Attach(id, this, &font, true);
            s->SetTextColor(colour);
            s->SetTransparent(true);
        }
        for (int id : {1023, 1018, 1019}) {
            auto* c = new QX_CheckBtn(this);
            c->Attach(id, this, &font, true);
            c->SetCheck(id == 1018);
        }
        if (auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(1017)))
            edit->setText(QStringLiteral("news_page"));
        return true;
    }
};

void FrameFacts(Gallery& gallery) {
    QX_Wnd w;
    w.resize(400, 300);
    w.SetCaptionButtons(true, true, true);
    const auto fact = [&gallery](const char* name, const QRect& r) {
        gallery.Fact(QString::fromLatin1(name), {r.left(), r.left() + r.width()});
    };
    fact("frame.caption.close", w.CloseButtonRect());
    fact("frame.caption.max", w.MaximizeButtonRect());
    fact("frame.caption.min", w.MinimizeButtonRect());
}

void FrameStates(Gallery& gallery) {
    SampleWnd w(AppTexts::MainTitle());
    w.Create(QRect(20, 20, 400, 300));
    w.SetCaptionActive(true);
    gallery.Save(&w, QStringLiteral("frame_active"));
    w.SetCaptionActive(false);
    gallery.Save(&w, QStringLiteral("frame_inactive"));

    w.SetCaptionActive(true);
    const QImage up = w.grab().toImage();
    Press(&w, w.CloseButtonRect().center());
    gallery.Save(&w, QStringLiteral("frame_close_pressed"));
    const QImage down = w.grab().toImage();
    Press(&w, QPoint(200, 200), QEvent::MouseButtonRelease); // released outside: no close
    gallery.Save(ZoomedButtons(up, down), QStringLiteral("frame_buttons_zoom"));

    SampleWnd latin(QStringLiteral("Tarnel - capture and print"));
    latin.m_nLogoMode = 2; // keyed logo; the title moves right by two logo steps
    latin.Create(QRect(20, 20, 400, 300));
    latin.SetCaptionActive(true);
    gallery.Save(&latin, QStringLiteral("frame_latin_title_logo"));
}

void FrameMaximized(Gallery& gallery) {
    SampleWnd w(AppTexts::MainTitle());
    w.Create(QRect(20, 20, 400, 300));
    w.SetCaptionActive(true);
    w.ToggleMaximize();
    gallery.Save(&w, QStringLiteral("frame_maximized"));
    Press(&w, w.MaximizeButtonRect().center());
    gallery.Save(&w, QStringLiteral("frame_restore_pressed"));
    Press(&w, w.MaximizeButtonRect().center(), QEvent::MouseButtonRelease);
    gallery.Save(&w, QStringLiteral("frame_restored"));
}

void DialogStates(Gallery& gallery) {
    RegisterGalleryTemplate();
    SampleDlg dlg;
    dlg.Create();
    dlg.SetCaptionActive(true);
    gallery.Save(&dlg, QStringLiteral("dialog_active"));
    dlg.SetCaptionActive(false);
    gallery.Save(&dlg, QStringLiteral("dialog_inactive"));
    dlg.hide();
}

} // namespace

void RenderFrameGallery(Gallery& gallery) {
    FrameFacts(gallery);
    FrameStates(gallery);
    FrameMaximized(gallery);
    DialogStates(gallery);
}
