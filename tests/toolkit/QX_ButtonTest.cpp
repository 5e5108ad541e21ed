#include "toolkit/QX_Button.h"
#include "toolkit/QX_Command.h"
#include "toolkit/QX_DlgTemplate.h"
#include "toolkit/QX_Theme.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A parent that records the commands its controls send.
class CommandSink final : public QWidget, public QX_CommandTarget {
  public:
    bool OnCommand(int id, int code) override {
        commands.append({id, code});
        return true;
    }
    QList<QPair<int, int>> commands;
};

void SendMouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButtons held) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent ev(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &ev);
}

void Press(QWidget* w, QPoint pos) {
    SendMouse(w, QEvent::MouseButtonPress, pos, Qt::LeftButton);
}
void Drag(QWidget* w, QPoint pos) {
    SendMouse(w, QEvent::MouseMove, pos, Qt::LeftButton);
}
void Release(QWidget* w, QPoint pos) {
    SendMouse(w, QEvent::MouseButtonRelease, pos, {});
}

void SendKey(QWidget* w, QEvent::Type type, int key) {
    QKeyEvent ev(type, key, Qt::NoModifier);
    QApplication::sendEvent(w, &ev);
}

// A 16 x 16 picture of one colour, written as a BMP file.
QString WriteSquareBmp(const QTemporaryDir& dir, QRgb colour, int size = 16) {
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = dir.filePath(QStringLiteral("square.bmp"));
    image.save(path, "BMP");
    return path;
}

QImage Render(const QX_Button& button, quint32 state) {
    QImage image(button.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    button.DrawItem(&p, state);
    return image;
}

COLORREF At(const QImage& image, int x, int y) {
    return QX_FromQColor(QColor(image.pixel(x, y)));
}

// Bounding box of the label's ink inside the inner frame: pixels that are not the neutral grey
// of the face (the label is bluish when enabled, a darker grey when disabled) nor the picture.
QRect LabelInk(const QImage& img) {
    QRect box;
    for (int y = 3; y < img.height() - 3; ++y)
        for (int x = 3; x < img.width() - 3; ++x) {
            const QColor c(img.pixel(x, y));
            const bool face = c.red() == c.green() && c.green() == c.blue() &&
                              c.red() >= qGray(img.pixel(4, y)) - 1;
            const bool shade = QX_FromQColor(c) == QX_RGB(214, 208, 197);
            const bool picture = c.green() > c.red() + 100;
            if (!face && !shade && !picture)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}

struct ButtonFixture : ::testing::Test {
    ButtonFixture() {
        sink.resize(300, 200);
        button = new QX_Button(&sink);
        button->Create(QStringLiteral("확 인"),
                       QX_WS_CHILD | QX_WS_VISIBLE | QX_WS_TABSTOP | QX_BS_OWNERDRAW,
                       QRect(10, 10, 120, 40), &sink, 7);
        button->setFont(QX_StandardFont());
    }
    CommandSink sink;
    QX_Button* button;
};

} // namespace

struct PlaceCase {
    QSize image;
    QSize label;
    int spacing;
    bool above;
    bool pushed;
    QPoint wantImage;
    int wantLabelLeft;
    int wantLabelTop;
};

class ButtonPlacement : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(ButtonPlacement, GroupIsCentredAndShiftsWhenPushed) {
    const PlaceCase c = GetParam();
    const QX_ButtonLayout l =
        QX_Button::PlaceContent(QSize(120, 40), c.image, c.label, c.spacing, c.above, c.pushed);
    if (c.spacing != -1) {
        EXPECT_EQ(l.image, c.wantImage);
    }
    EXPECT_EQ(l.label.left(), c.wantLabelLeft);
    EXPECT_EQ(l.label.top(), c.wantLabelTop);
}

INSTANTIATE_TEST_SUITE_P(Layouts, ButtonPlacement,
                         ::testing::Values(
                             // The documented example: 16 x 16 picture, spacing 10, 30-pixel label.
                             PlaceCase{{16, 16}, {30, 12}, 10, false, false, {32, 12}, 58, 0},
                             PlaceCase{{16, 16}, {30, 12}, 10, false, true, {33, 13}, 59, 1},
                             // A picture that failed to load still reserves the spacing.
                             PlaceCase{{0, 0}, {30, 12}, 10, false, false, {40, 20}, 50, 0},
                             // Odd sums truncate toward zero.
                             PlaceCase{{15, 15}, {31, 12}, 10, false, false, {32, 13}, 57, 0},
                             PlaceCase{{16, 16}, {30, 12}, 4, true, false, {52, 4}, 0, 24},
                             PlaceCase{{16, 16}, {30, 12}, 4, true, true, {53, 5}, 1, 25},
                             // No picture laid out: the label fills the item, offset when pushed.
                             PlaceCase{{16, 16}, {30, 12}, -1, false, false, {}, 0, 0},
                             PlaceCase{{16, 16}, {30, 12}, -1, false, true, {}, 1, 1}));

TEST_F(ButtonFixture, FaceFrameCornersAndShade) {
    const QImage img = Render(*button, 0);
    const int r = 120, b = 40;
    EXPECT_EQ(At(img, 0, 0), QX_RGB(239, 235, 216)) << "outer border";
    EXPECT_EQ(At(img, r - 1, b - 1), QX_RGB(239, 235, 216));
    EXPECT_EQ(At(img, 3, 1), QX_RGB(0, 60, 116)) << "inner frame top starts at left+3";
    EXPECT_EQ(At(img, r - 4, 1), QX_RGB(0, 60, 116));
    EXPECT_NE(At(img, r - 3, 1), QX_RGB(0, 60, 116)) << "MoveTo/LineTo leaves the end point";
    EXPECT_EQ(At(img, 1, 3), QX_RGB(0, 60, 116));
    EXPECT_EQ(At(img, r - 2, b - 4), QX_RGB(0, 60, 116));
    EXPECT_EQ(At(img, 2, 1), QX_RGB(122, 149, 168)) << "corner piece";
    EXPECT_EQ(At(img, 1, 2), QX_RGB(122, 149, 168));
    EXPECT_EQ(At(img, 0, 2), QX_RGB(239, 235, 216)) << "the border is not overdrawn";
    EXPECT_EQ(At(img, r - 3, b - 2), QX_RGB(122, 149, 168));
    EXPECT_EQ(At(img, 3, b - 3), QX_RGB(214, 208, 197)) << "resting shade at the bottom";
    EXPECT_EQ(At(img, r - 3, 10), QX_RGB(214, 208, 197));
    EXPECT_NE(At(img, 10, 2), QX_RGB(214, 208, 197));
    // The face is the mirror gradient: light in the middle, darker towards the edges.
    EXPECT_GT(qRed(img.pixel(30, 20)), qRed(img.pixel(30, 4)));

    const QImage pushed = Render(*button, QX_ODS_SELECTED);
    EXPECT_EQ(At(pushed, 10, 2), QX_RGB(214, 208, 197)) << "pushed shade moves to the top";
    EXPECT_EQ(At(pushed, 2, 10), QX_RGB(214, 208, 197));
    EXPECT_NE(At(pushed, 10, b - 3), QX_RGB(214, 208, 197));
}

TEST_F(ButtonFixture, FocusRectangleMovesWhenPushed) {
    const COLORREF focus = QX_RGB(128, 200, 200);
    const QImage still = Render(*button, QX_ODS_FOCUS);
    EXPECT_EQ(At(still, 5, 5), focus);
    EXPECT_EQ(At(still, 114, 34), focus);
    EXPECT_NE(At(still, 6, 5), focus) << "dotted";
    const QImage pushed = Render(*button, QX_ODS_FOCUS | QX_ODS_SELECTED);
    EXPECT_NE(At(pushed, 5, 5), focus);
    EXPECT_EQ(At(pushed, 6, 6), focus);
    EXPECT_EQ(At(pushed, 115, 35), focus);
    EXPECT_NE(At(pushed, 116, 36), focus);
    EXPECT_NE(At(Render(*button, 0), 5, 5), focus);
}

TEST_F(ButtonFixture, DisabledKeepsFrameButDropsShadeAndFocus) {
    const QImage img = Render(*button, QX_ODS_DISABLED | QX_ODS_FOCUS);
    EXPECT_EQ(At(img, 3, 1), QX_RGB(0, 60, 116));
    EXPECT_NE(At(img, 3, 37), QX_RGB(214, 208, 197));
    EXPECT_NE(At(img, 5, 5), QX_RGB(128, 200, 200));
    // The label's ink is neutral grey, never the enabled label colour.
    const QRect ink = LabelInk(img);
    ASSERT_FALSE(ink.isEmpty());
    const QImage enabled = Render(*button, 0);
    EXPECT_EQ(LabelInk(enabled), ink) << "the label is drawn in the same place";
    int bluish = 0;
    for (int y = ink.top(); y <= ink.bottom(); ++y)
        for (int x = ink.left(); x <= ink.right(); ++x) {
            const QColor c(img.pixel(x, y));
            bluish += c.blue() > c.red() + 8;
        }
    EXPECT_EQ(bluish, 0);
}

TEST_F(ButtonFixture, ImageBesideLabelAtMeasuredPlaces) {
    QTemporaryDir dir;
    button->SetImage(false, WriteSquareBmp(dir, qRgb(0, 160, 0)), 10);
    ASSERT_TRUE(button->Image()->m_bLoaded);
    const int tw = button->LabelSize().width();
    const QX_ButtonLayout l = button->Layout(false);
    EXPECT_EQ(l.image, QPoint(60 - (10 + tw + 16) / 2, 12));
    EXPECT_EQ(l.label.left(), 60 - (tw + 26) / 2 + 26);

    const QImage img = Render(*button, 0);
    EXPECT_EQ(img.pixel(l.image), qRgb(0, 160, 0));
    EXPECT_EQ(img.pixel(l.image + QPoint(15, 15)), qRgb(0, 160, 0));
    EXPECT_NE(img.pixel(l.image + QPoint(16, 8)), qRgb(0, 160, 0));
    EXPECT_NE(img.pixel(l.image - QPoint(1, 0)), qRgb(0, 160, 0));

    // The label's ink lies right of the picture, within the measured label width.
    const QRect ink = LabelInk(img);
    EXPECT_GE(ink.left(), l.label.left());
    EXPECT_LE(ink.right(), l.label.left() + tw);
    EXPECT_NEAR(ink.center().y(), 20, 3);

    // Pushed: picture and label both move one pixel right and down.
    const QImage pushed = Render(*button, QX_ODS_SELECTED);
    EXPECT_EQ(pushed.pixel(l.image + QPoint(16, 16)), qRgb(0, 160, 0));
    const QRect pushedInk = LabelInk(pushed);
    EXPECT_EQ(pushedInk.topLeft(), ink.topLeft() + QPoint(1, 1));
}

TEST_F(ButtonFixture, TransparentImageKeysOutItsColour) {
    QTemporaryDir dir;
    button->SetImage(true, WriteSquareBmp(dir, qRgb(255, 0, 0)), 4, true, QX_RGB(255, 0, 0));
    const QImage img = Render(*button, 0);
    const QPoint at = button->Layout(false).image + QPoint(8, 8);
    EXPECT_NE(img.pixel(at), qRgb(255, 0, 0));
}

TEST_F(ButtonFixture, MissingImageStillReservesSpacing) {
    button->SetImage(false, QStringLiteral("image/no_such_picture.bmp"), 10);
    EXPECT_FALSE(button->Image()->m_bLoaded);
    const int tw = button->LabelSize().width();
    EXPECT_EQ(button->Layout(false).label.left(), 60 - (tw + 10) / 2 + 10);
}

TEST_F(ButtonFixture, CompletedClickNotifiesOnce) {
    Press(button, {20, 20});
    EXPECT_TRUE(button->IsPushed());
    Release(button, {21, 21});
    EXPECT_FALSE(button->IsPushed());
    ASSERT_EQ(sink.commands.size(), 1);
    EXPECT_EQ(sink.commands[0], qMakePair(7, int(QX_BN_CLICKED)));
}

TEST_F(ButtonFixture, DraggedOutAndReleasedOutsideSendsNothing) {
    Press(button, {20, 20});
    Drag(button, {200, 20});
    EXPECT_FALSE(button->IsPushed()) << "shows resting while the cursor is outside";
    Release(button, {200, 20});
    EXPECT_TRUE(sink.commands.isEmpty());

    // Out and back in again still completes the click.
    Press(button, {20, 20});
    Drag(button, {-5, 20});
    Drag(button, {30, 20});
    EXPECT_TRUE(button->IsPushed());
    Release(button, {30, 20});
    EXPECT_EQ(sink.commands.size(), 1);
}

TEST_F(ButtonFixture, DisabledButtonSendsNothing) {
    button->setEnabled(false);
    Press(button, {20, 20});
    Release(button, {20, 20});
    SendKey(button, QEvent::KeyPress, Qt::Key_Space);
    SendKey(button, QEvent::KeyRelease, Qt::Key_Space);
    button->Click();
    EXPECT_TRUE(sink.commands.isEmpty());
    EXPECT_FALSE(button->IsPushed());
}

TEST_F(ButtonFixture, DisablingWhilePushedCancelsThePress) {
    Press(button, {20, 20});
    button->setEnabled(false);
    button->setEnabled(true);
    Release(button, {20, 20});
    EXPECT_TRUE(sink.commands.isEmpty());
}

TEST_F(ButtonFixture, KeyboardPressesLikeAPushButton) {
    SendKey(button, QEvent::KeyPress, Qt::Key_Space);
    EXPECT_TRUE(button->IsPushed());
    EXPECT_TRUE(sink.commands.isEmpty()) << "space clicks on release";
    SendKey(button, QEvent::KeyRelease, Qt::Key_Space);
    EXPECT_EQ(sink.commands.size(), 1);
    SendKey(button, QEvent::KeyPress, Qt::Key_Return);
    EXPECT_EQ(sink.commands.size(), 2);
    SendKey(button, QEvent::KeyPress, Qt::Key_A);
    EXPECT_EQ(sink.commands.size(), 2);

    // Space held while the focus leaves is no click.
    SendKey(button, QEvent::KeyPress, Qt::Key_Space);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(button, &out);
    SendKey(button, QEvent::KeyRelease, Qt::Key_Space);
    EXPECT_EQ(sink.commands.size(), 2);
    EXPECT_FALSE(button->IsPushed());
}

TEST(ButtonCreate, StyleBitsGiveVisibilityStateAndDefault) {
    CommandSink sink;
    QX_Button a(nullptr), b(nullptr);
    EXPECT_FALSE(a.Create(QStringLiteral("x"), QX_WS_VISIBLE, QRect(0, 0, 10, 10), nullptr, 1));
    ASSERT_TRUE(a.Create(QStringLiteral("OK"), QX_WS_CHILD | QX_WS_VISIBLE | QX_BS_DEFPUSHBUTTON,
                         QRect(5, 6, 70, 24), &sink, 1));
    ASSERT_TRUE(b.Create(QStringLiteral("No"), QX_WS_CHILD | QX_WS_DISABLED | QX_BS_OWNERDRAW,
                         QRect(80, 6, 70, 24), &sink, 2));
    EXPECT_EQ(a.geometry(), QRect(5, 6, 70, 24));
    EXPECT_FALSE(a.isHidden());
    EXPECT_TRUE(b.isHidden());
    EXPECT_FALSE(b.isEnabled());
    EXPECT_EQ(QX_CtrlId(&b), 2);
    EXPECT_TRUE(a.IsDefault());
    EXPECT_FALSE(b.IsDefault());
    EXPECT_EQ(QX_Button::DefaultButton(&sink), &a);
    a.setParent(nullptr);
    b.setParent(nullptr);
}

TEST(ButtonCreate, TakesOverATemplateControlKeepingTrailingSpaces) {
    CommandSink dialog;
    dialog.resize(200, 100);
    auto* original = new QPushButton(&dialog);
    original->setGeometry(12, 30, 120, 40);
    QX_SetCtrlInfo(original, QX_CtrlInfo{1001,
                                         QStringLiteral("저장하기  "),
                                         QX_WS_CHILD | QX_WS_VISIBLE | QX_BS_OWNERDRAW,
                                         {}});
    auto* button = new QX_Button(&dialog);
    ASSERT_TRUE(button->TakeOver(&dialog, 1001));
    EXPECT_EQ(QX_FindCtrl(&dialog, 1001), button);
    EXPECT_EQ(button->geometry(), QRect(12, 30, 120, 40));
    EXPECT_EQ(button->Text(), QStringLiteral("저장하기  "));
    // Trailing spaces count in the measured width, so the label sits further left.
    const int withSpaces = button->LabelSize().width();
    button->SetText(QStringLiteral("저장하기"));
    EXPECT_GT(withSpaces, button->LabelSize().width());
    EXPECT_FALSE(button->TakeOver(&dialog, 999));

    Press(button, {5, 5});
    Release(button, {5, 5});
    ASSERT_EQ(dialog.commands.size(), 1);
    EXPECT_EQ(dialog.commands[0].first, 1001);
}

TEST_F(ButtonFixture, PaintedStateFollowsTheWidget) {
    sink.show();
    button->setFocus();
    Press(button, {20, 20});
    const QImage pressed = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(At(pressed, 10, 2), QX_RGB(214, 208, 197));
    Release(button, {20, 20});
    button->setEnabled(false);
    const QImage disabled = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_NE(At(disabled, 3, 37), QX_RGB(214, 208, 197));
    EXPECT_EQ(At(disabled, 3, 1), QX_RGB(0, 60, 116));
}
