#pragma once

#include "review/PageFileSaver.h"
#include "toolkit/QX_Dialog.h"

#include <QList>
#include <QString>

class AdPanel;
class QFont;
class QX_CheckBtn;
class QX_Static;

// Asks for the name, the format (BMP, JPEG, PNG or PDF) and the scroll choice of a save, and
// names the image folder really used. OK refuses an empty or unusable name and, for files per
// page, makes the name's folder in the image folder; every refusal is explained in a message
// box and the dialog stays open for a correction.
class SaveFileDlg final : public QX_Dialog {
    Q_OBJECT

  public:
    static constexpr int kTemplateId = 132;
    static constexpr int kNameEdit = 1017;
    static constexpr int kScrollCheck = 1023;
    static constexpr int kBmpRadio = 1018;
    static constexpr int kJpegRadio = 1019;
    static constexpr int kPngRadio = 1021;
    static constexpr int kPdfRadio = 1022;
    static constexpr int kFolderLine = 1005;
    static constexpr int kPdfNote = 1010;
    static constexpr int kAdFrame = 1020;

    // font: the application font (borrowed). imageFolder: where the files go.
    SaveFileDlg(QWidget* parent, const QFont* font, const QString& imageFolder);
    ~SaveFileDlg() override;

    // Results after IDOK.
    QString saveName;
    PageFileSaver::Format format = PageFileSaver::Format::Bmp;
    int scrollFormat = 0;

    // The skinned check box and radios, after initialisation (null before).
    QX_CheckBtn* CheckButton(int id) const;
    // The advertisement panel; null when it could not be made.
    AdPanel* Panel() const { return m_pAdPanel; }

  protected:
    bool OnInitDialog() override;
    void OnOK() override;

  private:
    void AttachLabels();
    void ShowInputError(const QString& reason);
    PageFileSaver::Format ChosenFormat() const;

    const QFont* m_pFont;
    QString m_strImageFolder;
    QList<QX_Static*> m_labels;
    AdPanel* m_pAdPanel = nullptr; // child object of the dialog
};
