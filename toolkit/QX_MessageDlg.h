#pragma once

#include "imaging/QX_DIB.h"
#include "toolkit/QX_Dialog.h"
#include "toolkit/QX_List.h"

#include <QBasicTimer>
#include <QFont>
#include <QList>
#include <QPoint>
#include <QSize>
#include <QString>

class QX_Button;

// Icon kinds of a message box.
enum QX_MsgIcon {
    QX_MSG_STOP = 0,
    QX_MSG_QUESTION = 1,
    QX_MSG_INFORMATION = 2,
    QX_MSG_WARNING = 3
};

// Caption languages of a message box's buttons.
enum QX_MsgLanguage : quint8 { QX_MSG_ENGLISH = 0, QX_MSG_KOREAN = 1 };

// The system's message box: a skinned dialog with a title, an icon, coloured text lines with
// optional 4-pixel gaps, and OK or OK and Cancel. It sizes itself to its text. Used on a local
// object: AddLine/AddGap, then ShowMessage, which returns IDOK or IDCANCEL. Enter is OK and
// Escape is Cancel, with or without a Cancel button.
class QX_MessageDlg final : public QX_Dialog {
    Q_OBJECT

  public:
    static constexpr int kTemplateId = 131;
    static constexpr int kGap = 4;
    static constexpr int kMinTextWidth = 124;
    static constexpr int kMinHeight = 120;
    static constexpr int kTextX = 70;
    static constexpr QPoint kIconPos{20, 42};

    explicit QX_MessageDlg(int templateId = kTemplateId, QWidget* parent = nullptr);
    ~QX_MessageDlg() override;

    // Appends a text line. Text that does not fit the record's 127 bytes is cut after the last
    // whole character that fits; false when the record does not hold the text exactly.
    bool AddLine(const QString& text, COLORREF color);
    // Appends a gap of 4 pixels.
    void AddGap();
    // Runs the box modally: IDOK or IDCANCEL. No font: the toolkit's standard font.
    int ShowMessage(bool withCancel, const QString& title, int iconKind, const QFont* font,
                    quint8 language = QX_MSG_KOREAN);
    // Does what ShowMessage does up to the modal loop: the box is laid out and ready to show.
    // false when initialisation failed.
    bool Prepare(bool withCancel, const QString& title, int iconKind, const QFont* font,
                 quint8 language = QX_MSG_KOREAN);

    // Line records in order; the text of a record decoded from its bytes.
    int RecordCount() const { return m_lines.GetCount(); }
    const QX_MsgLine* Record(int index) const;
    static QString RecordText(const QX_MsgLine& line);

    // Valid after initialisation.
    int LineHeight() const { return m_nLineHeight; }
    int TextLineCount() const { return m_nTextLines; }
    // Top-left of each text line, in record order (gaps left out).
    QList<QPoint> TextOrigins() const;
    QX_Button* OkButton() const { return m_pOkButton; }
    QX_Button* CancelButton() const { return m_pCancelButton; }
    const QX_DIB& Icon() const { return m_icon; }
    const QFont& Font() const { return m_font; }

    // The box size for measured title and line widths, title height and record count.
    static QSize ComputeSize(int titleWidth, int titleHeight, const QList<int>& lineWidths,
                             int recordCount);
    // The pack name of an icon kind (kind taken modulo 4).
    static QString IconName(int iconKind);

    // Delay after which the box closes as by OK; 0 never.
    int m_nAutoCloseMs = 0;

  protected:
    bool OnInitDialog() override;
    void OnDraw(QPainter* dc) override;
    void timerEvent(QTimerEvent* event) override;

  private:
    void SetUp(bool withCancel, const QString& title, int iconKind, const QFont* font,
               quint8 language);
    void MeasureAndSize();
    void CreateButtons();
    void CentreOnOwner();

    QX_DIB m_icon;
    QFont m_font;
    bool m_bWithCancel = false;
    quint8 m_nLanguage = QX_MSG_KOREAN;
    QX_List m_lines;
    QX_Button* m_pOkButton = nullptr;     // child of the box
    QX_Button* m_pCancelButton = nullptr; // child of the box
    int m_nLineHeight = 0;
    int m_nTextLines = 0;
    QBasicTimer m_autoClose;
};
