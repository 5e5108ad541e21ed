#include "review/SaveFileDlg.h"
#include "pages/PageSet.h"
#include "review/PageFileSaver.h"
#include "review/ReviewTexts.h"
#include "review/ShowPageDlg.h"
#include "tests/review/TestReview.h"
#include "tests/support/TestSkin.h"
#include "toolkit/QX_Button.h"
#include "toolkit/QX_CheckBtn.h"
#include "toolkit/QX_MessageDlg.h"
#include "toolkit/QX_Static.h"
#include "toolkit/QX_Theme.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

namespace {

// Acts on modal windows as they come to the top, one step per window in order. Message boxes
// are recorded as `TITLE | LINE | ...` and answered.
class ModalSteps final : public QObject {
  public:
    ModalSteps() {
        connect(&m_timer, &QTimer::timeout, this, [this] { Poll(); });
        m_timer.start(10);
    }
    void OnDialog(std::function<void(SaveFileDlg*)> action) {
        m_steps.append([action](QWidget* w) {
            auto* dlg = qobject_cast<SaveFileDlg*>(w);
            if (dlg)
                action(dlg);
            return dlg != nullptr;
        });
    }
    void AnswerMessage(int answer) {
        m_steps.append([this, answer](QWidget* w) {
            auto* box = qobject_cast<QX_MessageDlg*>(w);
            if (!box)
                return false;
            QStringList parts{box->m_strTitle};
            for (int i = 0; i < box->RecordCount(); ++i) {
                if (box->Record(i)->gap == 0)
                    parts << QX_MessageDlg::RecordText(*box->Record(i));
            }
            messages << parts.join(QStringLiteral(" | "));
            (answer == IDOK ? box->OkButton() : box->CancelButton())->Click();
            return true;
        });
    }
    bool Done() const { return m_steps.isEmpty(); }
    QStringList messages;

  private:
    void Poll() {
        QWidget* top = QApplication::activeModalWidget();
        if (!top || !top->isVisible() || top == m_pActed || m_steps.isEmpty())
            return;
        // Later, outside this timer call, and taken off first: the step may open a nested
        // modal loop in which the following steps run.
        QTimer::singleShot(0, top, [this, top] {
            if (m_steps.isEmpty() || top != QApplication::activeModalWidget())
                return;
            const auto step = m_steps.takeFirst();
            if (!step(top))
                m_steps.prepend(step);
        });
        m_pActed = top;
    }

    QTimer m_timer;
    QList<std::function<bool(QWidget*)>> m_steps;
    QPointer<QWidget> m_pActed;
};

void TypeAndPress(SaveFileDlg* dlg, const QString& name, int button = IDOK) {
    qobject_cast<QLineEdit*>(dlg->GetDlgItem(SaveFileDlg::kNameEdit))->setText(name);
    qobject_cast<QX_Button*>(dlg->GetDlgItem(button))->Click();
}

class SaveFileDlgTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TestSkin();
        ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("user_image")));
    }
    QString Images() const { return m_dir.filePath(QStringLiteral("user_image")); }

    QTemporaryDir m_dir;
    QFont m_font = QX_StandardFont();
};

TEST_F(SaveFileDlgTest, RefusalsKeepTheDialogOpenUntilANewNameIsGiven) {
    ASSERT_TRUE(QDir(Images()).mkdir(QStringLiteral("dup")));
    SaveFileDlg dlg(nullptr, &m_font, Images());
    ModalSteps steps;
    steps.OnDialog([](SaveFileDlg* d) { TypeAndPress(d, QString()); });
    steps.AnswerMessage(IDOK);
    steps.OnDialog([](SaveFileDlg* d) { TypeAndPress(d, QStringLiteral("dup")); });
    steps.AnswerMessage(IDOK);
    steps.OnDialog([](SaveFileDlg* d) { TypeAndPress(d, QStringLiteral("../up")); });
    steps.AnswerMessage(IDOK);
    steps.OnDialog([](SaveFileDlg* d) {
        QTest::mouseClick(d->CheckButton(SaveFileDlg::kJpegRadio), Qt::LeftButton);
        TypeAndPress(d, QStringLiteral("새 이름"));
    });
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(steps.Done());
    const QString folderLine =
        QStringLiteral("입력 오류!! | 파일 이름은 폴더 이름으로도 사용됩니다. | ");
    EXPECT_EQ(steps.messages,
              QStringList({QStringLiteral("입력 오류!! | 파일 이름을 입력하셔야 합니다."),
                           folderLine + QStringLiteral("이미 동일한 파일명이 존재합니다."),
                           folderLine + QStringLiteral("따라서 폴더명으로 사용할수 없는 문자를 "
                                                       "사용해서는 안됩니다.")}));
    EXPECT_EQ(dlg.saveName, QStringLiteral("새 이름"));
    EXPECT_EQ(dlg.format, PageFileSaver::Format::Jpeg);
    EXPECT_EQ(dlg.scrollFormat, 0);
    EXPECT_TRUE(QDir(Images()).exists(QStringLiteral("새 이름")));
    EXPECT_FALSE(QDir(m_dir.path()).exists(QStringLiteral("up")));
}

TEST_F(SaveFileDlgTest, ShowsTheTemplateWithBmpChosenAndColouredLabels) {
    SaveFileDlg dlg(nullptr, &m_font, Images());
    dlg.Create();
    dlg.show();
    EXPECT_EQ(dlg.CheckButton(SaveFileDlg::kBmpRadio)->GetCheck(), 1);
    EXPECT_EQ(dlg.CheckButton(SaveFileDlg::kJpegRadio)->GetCheck(), 0);
    EXPECT_EQ(dlg.CheckButton(SaveFileDlg::kScrollCheck)->GetCheck(), 0);
    EXPECT_EQ(dlg.GetDlgItem(SaveFileDlg::kNameEdit)->geometry(),
              dlg.DlgUnits().MapRect(60, 27, 107, 14));
    EXPECT_EQ(dlg.size(), QSize(dlg.DlgUnits().MapX(299), dlg.DlgUnits().MapY(276)));
    const QImage shot = dlg.grab().toImage();
    // The darkest pixel of a label is a glyph's stroke: the label's colour, give or take the
    // smoothing of thin strokes.
    const auto hasColour = [&shot](const QRect& r, QRgb want) {
        QRgb darkest = qRgb(255, 255, 255);
        const auto sum = [](QRgb c) { return qRed(c) + qGreen(c) + qBlue(c); };
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x) {
                if (sum(shot.pixel(x, y)) < sum(darkest))
                    darkest = shot.pixel(x, y);
            }
        }
        return std::abs(qRed(darkest) - qRed(want)) + std::abs(qGreen(darkest) - qGreen(want)) +
                   std::abs(qBlue(darkest) - qBlue(want)) <=
               40;
    };
    EXPECT_TRUE(hasColour(dlg.GetDlgItem(1001)->geometry(), qRgb(0, 128, 255)));
    EXPECT_TRUE(hasColour(dlg.GetDlgItem(1003)->geometry(), qRgb(128, 128, 128)));
    EXPECT_TRUE(hasColour(dlg.GetDlgItem(1004)->geometry(), qRgb(128, 128, 255)));
    // The four formats share one row without touching, inside the dialog.
    QRect previous;
    for (int id : {SaveFileDlg::kBmpRadio, SaveFileDlg::kJpegRadio, SaveFileDlg::kPngRadio,
                   SaveFileDlg::kPdfRadio}) {
        const QRect r = dlg.GetDlgItem(id)->geometry();
        EXPECT_TRUE(dlg.rect().contains(r));
        if (!previous.isNull()) {
            EXPECT_EQ(r.top(), previous.top());
            EXPECT_GT(r.left(), previous.right());
        }
        previous = r;
    }
    EXPECT_EQ(dlg.CheckButton(SaveFileDlg::kPngRadio)->GetCheck(), 0);
    EXPECT_EQ(dlg.CheckButton(SaveFileDlg::kPdfRadio)->GetCheck(), 0);
}

// The text names the folder really used, home written as ~; a PDF, scroll or not, is one file
// beside the scrolls and needs no folder of its own.
TEST_F(SaveFileDlgTest, NamesTheRealFolderAndPdfMakesNoFolder) {
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(m_dir.path()));
    EXPECT_EQ(PageFileSaver::DisplayFolder(Images()), QStringLiteral("~/user_image"));
    SaveFileDlg dlg(nullptr, &m_font, Images());
    ModalSteps steps;
    steps.OnDialog([](SaveFileDlg* d) {
        QTest::mouseClick(d->CheckButton(SaveFileDlg::kPdfRadio), Qt::LeftButton);
        TypeAndPress(d, QStringLiteral("doc"));
    });
    ASSERT_EQ(dlg.DoModal(), IDOK);
    qputenv("HOME", home);
    const auto* line = qobject_cast<QX_Static*>(dlg.GetDlgItem(SaveFileDlg::kFolderLine));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->Text(), ReviewTexts::SaveFolderLine(QStringLiteral("~/user_image")));
    EXPECT_EQ(dlg.format, PageFileSaver::Format::Pdf);
    EXPECT_FALSE(QDir(Images()).exists(QStringLiteral("doc")));
}

// The review's save button, over two pages, in the test's folder (the image folder is
// relative to the working directory). used: the pages' marks.
void PressReviewSave(const QFont* font, const QString& workDir, bool used = true) {
    const QString before = QDir::currentPath();
    QDir::setCurrent(workDir);
    PageSet set;
    ASSERT_TRUE(set.SetWidth(8) && set.AppendWhitePage() && set.AppendWhitePage());
    std::fill_n(set.Page(1)->pixels, set.Geometry().pageBytes, quint8(0)); // not a blank last page
    set.Page(0)->used = set.Page(1)->used = used;
    ShowPageDlg review(font);
    review.SetPages(&set);
    review.Create();
    qobject_cast<QX_Button*>(review.GetDlgItem(ShowPageDlg::IDC_SAVE))->Click();
    review.close();
    QDir::setCurrent(before);
}

TEST_F(SaveFileDlgTest, SavedFilesEndWithTheQuestionAndFailuresWithTheFileName) {
    ModalSteps steps;
    steps.OnDialog([](SaveFileDlg* d) {
        QTest::mouseClick(d->CheckButton(SaveFileDlg::kScrollCheck), Qt::LeftButton);
        TypeAndPress(d, QStringLiteral("긴 페이지"));
    });
    steps.AnswerMessage(IDCANCEL);
    PressReviewSave(&m_font, m_dir.path());
    EXPECT_TRUE(QFile::exists(Images() + QStringLiteral("/긴 페이지.bmp")));

    // The image folder replaced by a file: the scroll cannot be written.
    ASSERT_TRUE(QDir(Images()).removeRecursively());
    QFile blocker(Images());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    steps.OnDialog([](SaveFileDlg* d) {
        QTest::mouseClick(d->CheckButton(SaveFileDlg::kScrollCheck), Qt::LeftButton);
        TypeAndPress(d, QStringLiteral("s"));
    });
    steps.AnswerMessage(IDOK);
    PressReviewSave(&m_font, m_dir.path());
    EXPECT_TRUE(steps.Done());
    EXPECT_EQ(steps.messages,
              QStringList(
                  {QStringLiteral("페이지들을 파일로 저장했습니다~! | 생성된 파일이 "
                                  "존재하는 폴더를 보시겠습니까?"),
                   QStringList({ReviewTexts::SaveFailedTitle(), ReviewTexts::SaveFailedLine(),
                                QStringLiteral("user_image/s.bmp"), ReviewTexts::SaveFailedHint()})
                       .join(QStringLiteral(" | "))}));
}

// With every page unused the review says so before asking anything, and makes nothing.
TEST_F(SaveFileDlgTest, NothingUsedIsSaidWithoutTheDialog) {
    ModalSteps steps;
    steps.AnswerMessage(IDOK);
    PressReviewSave(&m_font, m_dir.path(), false);
    EXPECT_TRUE(steps.Done());
    EXPECT_EQ(steps.messages, QStringList({QStringList({ReviewTexts::NothingToSaveTitle(),
                                                        ReviewTexts::NothingToSaveLine(),
                                                        ReviewTexts::NoUsedPagesLine()})
                                               .join(QStringLiteral(" | "))}));
    EXPECT_TRUE(QDir(Images()).isEmpty());
}

} // namespace
