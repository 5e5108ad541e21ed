#include "tools/walk/ModalDriver.h"
#include "toolkit/QX_MessageDlg.h"

#include <gtest/gtest.h>

// An action running inside a modal loop may itself raise message boxes: they are printed and
// answered too, and the action goes on after each.
TEST(ModalDriver, AnswersTheBoxesAnActionRaises) {
    ModalDriver driver;
    QStringList lines;
    QObject::connect(&driver, &ModalDriver::MessageAnswered,
                     [&](const QString& line) { lines << line; });
    QX_Dialog outer(0, nullptr);
    QList<int> results;
    driver.OnNextModal<QX_Dialog>([&](QX_Dialog* dialog) {
        for (const char* text : {"one", "two"}) {
            QX_MessageDlg box(QX_MessageDlg::kTemplateId, dialog);
            box.AddLine(QString::fromLatin1(text), 0);
            results << box.ShowMessage(true, QStringLiteral("title"), QX_MSG_QUESTION, nullptr);
        }
        dialog->EndDialog(IDOK);
    });
    EXPECT_EQ(outer.DoModal(), IDOK);
    EXPECT_FALSE(driver.HasPending());
    EXPECT_EQ(results, (QList<int>{IDOK, IDOK}));
    EXPECT_EQ(lines, (QStringList{QStringLiteral("message title | one"),
                                  QStringLiteral("message title | two")}));
}
