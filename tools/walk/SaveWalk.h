#pragma once

#include "tools/walk/WalkOptions.h"

class ModalDriver;
class ReviewWalk;
class SaveFileDlg;
class ShowPageDlg;

// The walk's save action inside the review, `--save NAME [--jpeg] [--scroll]`: presses
// 파일로 저장, fills the save dialog as a user would, saves its picture (saveNN.png), presses OK
// (and Cancel when the dialog refused the name and stayed open), answers the last question with
// Cancel and prints the files the save left under user_image.
class SaveWalk final {
  public:
    // Adds the action to the review walk's table.
    static void Register(ReviewWalk& walk, ModalDriver* driver);

  private:
    SaveWalk(ReviewWalk& walk, ModalDriver* driver) : m_walk(walk), m_pDriver(driver) {}
    bool OnSave(ShowPageDlg* dlg, const ReviewAction& action, int number);
    // true when the dialog took the name and closed.
    bool FillAndPress(SaveFileDlg* save, const ReviewAction& action, int number);
    static void PrintFiles(const ReviewAction& action);

    ReviewWalk& m_walk;
    ModalDriver* m_pDriver;
};
