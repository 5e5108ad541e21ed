#include "app/MainCommands.h"
#include "toolkit/QX_CheckBtn.h"
#include "toolkit/QX_Command.h"
#include "toolkit/QX_ListBox.h"
#include "toolkit/QX_Skin.h"
#include "toolkit/QX_Static.h"
#include "toolkit/QX_ToolBar.h"
#include "tools/gallery/Gallery.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

namespace {

// A piece of dialog body for the controls to stand on.
class Panel final : public QWidget {
  public:
    Panel(int w, int h) { resize(w, h); }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QX_ToQColor(QX_Skin::Of(this).Color(QX_DIALOG_BODY_BRUSH,
                                                               QX_RGB(232, 236, 255))));
    }
};

void Press(QWidget* w, QPoint p, bool move = true) {
    if (move) {
        QMouseEvent m(QEvent::MouseMove, QPointF(p), QPointF(w->mapToGlobal(p)), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &m);
    }
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(p), QPointF(w->mapToGlobal(p)), Qt::LeftButton,
                  Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

void RenderCheckButtons(Gallery& gallery) {
    Panel panel(380, 150);
    const quint32 check = QX_CheckBtn::kBsAutoCheckBox | QX_CheckBtn::kWsVisible;
    const quint32 radio = QX_CheckBtn::kBsAutoRadioButton | QX_CheckBtn::kWsVisible;
    const QString names[] = {QStringLiteral("해제"), QStringLiteral("선택"),
                             QStringLiteral("누름 (해제)"), QStringLiteral("누름 (선택)"),
                             QStringLiteral("포커스")};
    QVector<QX_CheckBtn*> buttons;
    for (int column = 0; column < 2; ++column) {
        for (int row = 0; row < 5; ++row) {
            auto* b = new QX_CheckBtn;
            const QString kind = column ? QStringLiteral("라디오 ") : QStringLiteral("체크 ");
            b->Create(kind + names[row],
                      (column ? radio : check) | (row == 0 ? QX_CheckBtn::kWsGroup : 0) |
                          QX_CheckBtn::kBsVCenter,
                      QRect(14 + column * 190, 12 + row * 26, 170, 20), &panel, 100 + row);
            b->SetCheck(row == 1 || row == 3 || (row == 4 && column == 0));
            buttons.append(b);
        }
    }
    panel.show();
    panel.activateWindow();
    Gallery::Settle();
    for (int column = 0; column < 2; ++column) {
        Press(buttons[column * 5 + 2], QPoint(5, 10), false);
        Press(buttons[column * 5 + 3], QPoint(5, 10), false);
    }
    buttons[4]->setFocus();
    gallery.Save(&panel, QStringLiteral("checkbuttons"));
}

void RenderLabels(Gallery& gallery) {
    Panel panel(420, 232);
    struct LabelSample {
        QString text;
        quint32 style;
        bool transparent;
    };
    const LabelSample samples[] = {
        {QStringLiteral("왼쪽 정렬 (배경)"), QX_Static::kSsLeft, false},
        {QStringLiteral("가운데 정렬 (배경)"), QX_Static::kSsCenter, false},
        {QStringLiteral("오른쪽 정렬 (배경)"), QX_Static::kSsRight, false},
        {QStringLiteral("세로 가운데 · 가운데 정렬"),
         QX_Static::kSsCenter | QX_Static::kSsCenterImage, false},
        {QStringLiteral("배경 없음: 대화상자 배경이 보입니다"), QX_Static::kSsLeft, true},
        {QStringLiteral("첫째 줄\n둘째 줄 (줄바꿈)"), QX_Static::kSsLeft, false},
    };
    int y = 10;
    for (const LabelSample& s : samples) {
        auto* label = new QX_Static;
        const int h = s.text.contains(QLatin1Char('\n')) ? 30 : 22;
        label->Create(s.text, s.style | QX_Static::kWsVisible, QRect(12, y, 396, h), &panel, 1);
        label->SetTransparent(s.transparent);
        y += h + 8;
    }
    auto* alternate = new QX_Static;
    alternate->Create(QStringLiteral("교대 색 (강조)"),
                      QX_Static::kSsCenter | QX_Static::kSsCenterImage | QX_Static::kWsVisible,
                      QRect(12, y, 396, 22), &panel, 2);
    alternate->StartAlternation(QX_RGB(160, 0, 0), QX_RGB(250, 196, 120), 20);
    panel.show();
    for (int i = 0; i < 100 && alternate->Phase() != 1; ++i)
        Gallery::Settle(10);
    alternate->StopAlternation();
    alternate->m_crText = QX_RGB(160, 0, 0);
    alternate->m_crFill = QX_RGB(250, 196, 120); // hold phase 1's look for the picture
    gallery.Save(&panel, QStringLiteral("labels"));
}

void RenderToolBar(Gallery& gallery) {
    Panel owner(1000, 38);
    QX_ToolBar bar;
    const QFont font = QX_StandardFont();
    bar.Create(&owner, 20001, 3, 3, 997, 35, 0, 0, 0, &font);
    const QVector<QX_ToolButton> records = MainCommands::ToolButtons();
    bar.SetButtons(int(records.size()), records.data());
    bar.RecalcLayout();
    owner.show();
    Gallery::Settle();
    for (int i = 0; i < bar.ButtonCount(); ++i) {
        const QX_ToolRect r = bar.ButtonRect(i);
        gallery.Fact(QStringLiteral("toolbar.rect"), {i + 1, r.left, r.top, r.right, r.bottom});
        gallery.Fact(QStringLiteral("toolbar.labelwidth"), {i + 1, bar.LabelWidth(i)});
    }
    gallery.Save(bar.grab().toImage(), QStringLiteral("toolbar"));
    Press(&bar, bar.ButtonRect(0).ToQRect().center());
    QMouseEvent up(QEvent::MouseButtonRelease, QPointF(bar.ButtonRect(0).ToQRect().center()),
                   QPointF(), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&bar, &up); // a completed click leaves the hover frame
    gallery.Save(bar.grab().toImage(), QStringLiteral("toolbar_hover"));
    Press(&bar, bar.ButtonRect(6).ToQRect().center());
    gallery.Save(bar.grab().toImage(), QStringLiteral("toolbar_held"));
}

void DrawPageRow(QWidget*, QX_ListBox* list, int index, QRect r, QPainter* dc, int selected) {
    const bool used = list->GetItemData(index) != 0;
    dc->setFont(QX_StandardFont());
    dc->setPen(QX_ToQColor(selected ? QX_RGB(0, 0, 128) : QX_RGB(60, 60, 60)));
    dc->drawText(r.adjusted(8, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, list->GetText(index));
    if (!used) {
        dc->setPen(QX_ToQColor(QX_RGB(128, 0, 0)));
        dc->drawText(r.adjusted(0, 0, -8, 0), Qt::AlignVCenter | Qt::AlignRight,
                     QStringLiteral("제외"));
    }
}

void RenderListBoxes(Gallery& gallery) {
    Panel panel(440, 200);
    auto* placeholder = new QWidget(&panel);
    QX_SetCtrlId(placeholder, 1011);
    placeholder->setGeometry(10, 10, 200, 180);
    placeholder->hide();
    auto* pages = new QX_ListBox;
    pages->Create(&panel, 1011, 22001, 0, QX_ListBox::kWsBorder, QX_ListBox::kWsExStaticEdge);
    pages->SetDrawItemCallback(&DrawPageRow);
    pages->SetItemHeight(18);
    for (int i = 0; i < 7; ++i) {
        const bool used = i != 4;
        const int at = pages->InsertString(
            -1, QStringLiteral("Page %1").arg(i + 1, 2, 10, QLatin1Char('0')) +
                    (used ? QStringLiteral(" 사용") : QStringLiteral(" 사용안함")));
        pages->SetItemData(at, used ? 1 : 0);
    }
    pages->SetCurSel(2);
    auto* plain = new QX_ListBox;
    plain->Create(&panel, QRect(224, 10, 206, 180), 22002,
                  QX_ListBox::kDefaultStyle & ~QX_ListBox::kWsBorder, QX_ListBox::kWsExStaticEdge);
    plain->SetItemHeight(20);
    for (const char* name : {"printer-b", "printer-a", "printer-d", "printer-c", "printer-f",
                             "printer-e", "printer-h", "printer-g", "printer-j", "printer-i"})
        plain->AddString(QString::fromLatin1(name));
    plain->SetCurSel(3);
    gallery.Save(&panel, QStringLiteral("listboxes"));
}

} // namespace

void RenderControlGallery(Gallery& gallery) {
    RenderCheckButtons(gallery);
    RenderLabels(gallery);
    RenderToolBar(gallery);
    RenderListBoxes(gallery);
}
