#pragma once

#include <QDir>
#include <QImage>
#include <QString>
#include <QStringList>

class QWidget;

// Collects the gallery's pictures and geometry facts in one output folder.
class Gallery {
  public:
    explicit Gallery(const QString& outDir);

    // Shows the widget (offscreen), lets it paint, saves it as NAME.png.
    void Save(QWidget* widget, const QString& name);
    void Save(const QImage& image, const QString& name);
    // One fact line of geometry.txt: "name value value ...".
    void Fact(const QString& name, const QList<int>& values);
    // Writes geometry.txt; false when it cannot be written.
    bool Finish();

    // Processes pending events so that shown widgets paint and timers that are due fire.
    static void Settle(int ms = 30);

  private:
    QDir m_dir;
    QStringList m_facts;
};

// Sections, one per group of toolkit classes; each draws its pictures and records its facts.
void RenderFrameGallery(Gallery& gallery);   // QX_Wnd, QX_Dialog
void RenderMessageGallery(Gallery& gallery); // QX_Button, QX_MessageDlg
void RenderControlGallery(Gallery& gallery); // QX_CheckBtn, QX_Static, QX_ToolBar, QX_ListBox
void RenderReviewGallery(Gallery& gallery);  // ShowPageDlg with its page view and panel
void RenderPrintGallery(Gallery& gallery);   // the printer dialog
void RenderSaveGallery(Gallery& gallery);    // the save dialog
