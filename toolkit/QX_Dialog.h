#pragma once

#include "imaging/QX_DIB.h"
#include "toolkit/QX_Command.h"
#include "toolkit/QX_DlgTemplate.h"
#include "toolkit/QX_FrameBehaviour.h"

#include <QDialog>
#include <QPoint>
#include <QString>

class QPainter;

// Dialog results, as the platform numbers them.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

// The base of every dialog: built from a numbered template (QX_RegisterDlgTemplate), frameless,
// with a self-painted frame and 30-pixel caption showing m_strTitle, an optional close and
// minimize button, and moved by dragging the caption strip. Its window names its owner (the
// parent's window, else the active window) as transient parent. Controls notify it through
// OnCommand; Enter acts as the default button (IDOK) and Escape and the close button as Cancel.
// The frame's behaviour and colours come from QX_FrameBehaviour, as for QX_Wnd.
class QX_Dialog : public QDialog, public QX_CommandTarget, public QX_FrameBehaviour {
    Q_OBJECT

  public:
    QX_Dialog(int templateId, QWidget* parent);
    ~QX_Dialog() override;

    // Creates the template's controls and runs OnInitDialog, once; DoModal does it when needed.
    // Always true: the dialog exists afterwards whatever OnInitDialog returned.
    bool Create();
    // Runs the dialog modally; IDOK or IDCANCEL (or whatever EndDialog was given).
    int DoModal();
    // Ends the dialog with that result.
    void EndDialog(int result);
    // The dialog's control with that id, or null.
    QWidget* GetDlgItem(int id) const;

    // Chooses the caption buttons; derived dialogs call it in OnInitDialog after the base.
    void SetCaptionButtons(bool minimize, bool close);
    int TemplateId() const { return m_nTemplateId; }
    // Dialog-unit conversion with this dialog's font.
    const QX_DlgUnits& DlgUnits() const { return m_units; }

    // IDOK runs OnOK and IDCANCEL OnCancel; true when handled.
    bool OnCommand(int id, int code) override;

    // Cancel, as the window's close does.
    void reject() override;
    void accept() override;

    QString m_strTitle;
    bool m_bDragAnywhere = false;
    bool m_bMinimizeBox = false;
    bool m_bCloseBox = false;

  protected:
    // Sets the window title; derived dialogs call it first and then take over their controls.
    // true gives the focus to the first control; false when the dialog placed the focus itself.
    virtual bool OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    QX_FrameSetup FrameSetup() const override;
    void OnFrameZoomed(bool zoomed) override;

    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

    bool m_bZoomed = false;

  private:
    void BuildFromTemplate();
    void FocusFirstControl();
    int DefaultButtonId() const;

    int m_nTemplateId;
    bool m_bCreated = false;
    bool m_bEndRequested = false;
    int m_nEndResult = IDCANCEL;
    QX_DlgUnits m_units{6, 12};
};
