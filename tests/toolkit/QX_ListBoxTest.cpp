#include "toolkit/QX_ListBox.h"
#include "tests/toolkit/ControlTestHost.h"

#include <gtest/gtest.h>

namespace {

struct DrawCall {
    QWidget* parent;
    int index;
    QRect rect;
    int selected;
};
QVector<DrawCall> g_calls;

void RecordRow(QWidget* parent, QX_ListBox*, int index, QRect rect, QPainter*, int selected) {
    g_calls.append({parent, index, rect, selected});
}

class ListBoxTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_calls.clear();
        auto* placeholder = new QWidget(&host);
        QX_SetCtrlId(placeholder, 1011);
        placeholder->setGeometry(20, 30, 240, 150);
        placeholder->hide();
        list = new QX_ListBox;
        ASSERT_TRUE(list->Create(&host, 1011, 22001, 0, QX_ListBox::kWsBorder,
                                 QX_ListBox::kWsExStaticEdge));
        host.show();
    }
    QImage Grab() { return list->grab().toImage(); }
    void Fill(int n) {
        for (int i = 0; i < n; ++i)
            list->InsertString(-1,
                               QStringLiteral("Page %1 사용").arg(i + 1, 2, 10, QLatin1Char('0')));
    }

    ControlTestHost host;
    QX_ListBox* list = nullptr;
};

TEST_F(ListBoxTest, CreatedOverThePlaceholderWhichStaysAlone) {
    EXPECT_EQ(list->geometry(), QRect(20, 30, 240, 150));
    EXPECT_EQ(QX_CtrlId(list), 22001);
    EXPECT_EQ(list->Style(), 0x50200153u);
    QWidget* placeholder = QX_FindCtrl(&host, 1011);
    ASSERT_NE(placeholder, nullptr);
    EXPECT_TRUE(placeholder->isHidden());
    QX_ListBox other;
    EXPECT_FALSE(other.Create(&host, 4242, 22002, 0, 0, 0));
}

TEST_F(ListBoxTest, EmptyListPaintsOnlyItsBackground) {
    const QImage img = Grab();
    EXPECT_EQ(Pixel(img, 0, 0), QColor(160, 160, 160)) << "static edge";
    EXPECT_EQ(Pixel(img, 239, 149), QColor(255, 255, 255));
    for (int y = 1; y < img.height() - 1; ++y)
        for (int x = 1; x < img.width() - 1; ++x)
            ASSERT_EQ(Pixel(img, x, y), QColor(249, 246, 239)) << x << "," << y;
}

TEST_F(ListBoxTest, AddStringSortsWhileInsertStringKeepsTheIndex) {
    list->AddString(QStringLiteral("b"));
    list->AddString(QStringLiteral("a"));
    list->AddString(QStringLiteral("c"));
    EXPECT_EQ(list->GetText(0), QStringLiteral("a"));
    EXPECT_EQ(list->GetText(1), QStringLiteral("b"));
    EXPECT_EQ(list->GetText(2), QStringLiteral("c"));
    EXPECT_EQ(list->AddString(QStringLiteral("B")), 2) << "case-insensitive, after its equal";
    EXPECT_EQ(list->InsertString(0, QStringLiteral("z")), 0);
    EXPECT_EQ(list->InsertString(9, QStringLiteral("y")), QX_ListBox::kErr);
    EXPECT_EQ(list->GetCount(), 5);
}

TEST_F(ListBoxTest, ItemDataAndSelectionFollowTheirRows) {
    Fill(3);
    ASSERT_TRUE(list->SetItemData(1, 0xBEEF));
    list->SetCurSel(1);
    list->InsertString(0, QStringLiteral("new"));
    EXPECT_EQ(list->GetItemData(2), quintptr(0xBEEF));
    EXPECT_EQ(list->GetCurSel(), 2);
    list->DeleteString(2);
    EXPECT_EQ(list->GetCurSel(), -1);
    EXPECT_EQ(list->GetItemData(7), quintptr(QX_ListBox::kErr));
    list->ResetContent();
    EXPECT_EQ(list->GetCount(), 0);
    EXPECT_EQ(list->GetText(0), QString());
}

TEST_F(ListBoxTest, ItemHeightRelaysTheRowsAtOnce) {
    Fill(3);
    list->SetItemHeight(32);
    list->SetCurSel(1);
    const QImage img = Grab();
    const QRect r1 = list->GetItemRect(1);
    EXPECT_EQ(r1, QRect(1, 1 + 32, 238, 32));
    EXPECT_EQ(Pixel(img, 100, r1.top()), QColor(205, 205, 205)) << "band edge";
    EXPECT_EQ(Pixel(img, 100, r1.top() + 16), QColor(255, 255, 255)) << "band centre";
    EXPECT_EQ(Pixel(img, 100, r1.bottom()), QColor(205, 205, 205));
    EXPECT_EQ(Pixel(img, 236, r1.top() + 33), QColor(249, 246, 239)) << "next row flat";
}

TEST_F(ListBoxTest, CallbackGetsEachRowWithItsSelectedFlag) {
    list->SetDrawItemCallback(&RecordRow);
    list->SetItemHeight(18);
    Fill(4);
    list->SetCurSel(2);
    Grab();
    ASSERT_EQ(g_calls.size(), 4);
    for (const DrawCall& c : g_calls) {
        EXPECT_EQ(c.parent, &host);
        EXPECT_EQ(c.rect, list->GetItemRect(c.index));
        EXPECT_EQ(c.selected, c.index == 2 ? 1 : 0);
    }
    g_calls.clear();
    list->SetCurSel(0);
    Grab();
    for (const DrawCall& c : g_calls)
        EXPECT_EQ(c.selected, c.index == 0 ? 1 : 0) << c.index;
}

TEST_F(ListBoxTest, RowsWithoutCallbackShowTheirText) {
    Fill(1);
    const QRect r = list->GetItemRect(0);
    const QImage img = Grab();
    int dark = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x < r.left() + 60; ++x)
            dark += img.pixelColor(x, y).lightness() < 100;
    EXPECT_GT(dark, 10);
}

TEST_F(ListBoxTest, UserSelectionAndDoubleClickNotify) {
    Fill(5);
    const QPoint row3 = list->GetItemRect(3).center();
    SendMouse(list, QEvent::MouseButtonPress, row3);
    SendMouse(list, QEvent::MouseButtonRelease, row3);
    EXPECT_EQ(list->GetCurSel(), 3);
    SendMouse(list, QEvent::MouseButtonPress, row3);
    SendMouse(list, QEvent::MouseButtonDblClick, row3);
    const QVector<std::pair<int, int>> expected{{22001, QX_LBN_SELCHANGE}, {22001, QX_LBN_DBLCLK}};
    EXPECT_EQ(host.commands, expected);
    SendKey(list, QEvent::KeyPress, Qt::Key_Down);
    EXPECT_EQ(list->GetCurSel(), 4);
    EXPECT_EQ(host.commands.size(), 3);
    list->SetCurSel(0);
    EXPECT_EQ(host.commands.size(), 3) << "programmatic selection does not notify";
}

TEST_F(ListBoxTest, LongListScrollsTheSelectionIntoView) {
    Fill(30);
    EXPECT_TRUE(list->IsScrollBarShown());
    EXPECT_LT(list->RowArea().right(), 238);
    list->SetCurSel(29);
    EXPECT_GT(list->GetTopIndex(), 0);
    EXPECT_LE(list->GetItemRect(29).bottom(), list->RowArea().bottom());
    list->ResetContent();
    EXPECT_FALSE(list->IsScrollBarShown());
    EXPECT_EQ(list->GetTopIndex(), 0);
}

} // namespace
