#include "toolkit/QX_Command.h"

#include <QWidget>

#include <gtest/gtest.h>

namespace {
class Target final : public QWidget, public QX_CommandTarget {
  public:
    bool OnCommand(int id, int code) override {
        lastId = id;
        lastCode = code;
        return true;
    }
    int lastId = -1;
    int lastCode = -1;
};
} // namespace

TEST(QX_Command, ReachesTheNearestTargetAncestorAndFindsControlsById) {
    Target dialog;
    QWidget group(&dialog);
    QWidget button(&group);
    QX_SetCtrlId(&button, 1011);
    EXPECT_TRUE(QX_SendCommand(&button, 1011, QX_BN_CLICKED));
    EXPECT_EQ(dialog.lastId, 1011);
    EXPECT_EQ(dialog.lastCode, 0);
    EXPECT_EQ(QX_FindCtrl(&dialog, 1011), &button);
    EXPECT_EQ(QX_FindCtrl(&dialog, 7), nullptr);
    QWidget orphan;
    EXPECT_FALSE(QX_SendCommand(&orphan, 1, 0));
}
