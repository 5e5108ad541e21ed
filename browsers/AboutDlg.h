#pragma once

#include "toolkit/QX_Dialog.h"

#include <QFont>
#include <QString>

class BrowserControl;
class QX_Static;

// The program's about box: a one-line label over a browser control showing the about page
// bundled with the program (about/index.html in the working directory), so it needs no network.
// Escape, Enter and the close button end it, also while the page has the focus.
class AboutDlg final : public QX_Dialog {
    Q_OBJECT

  public:
    static constexpr int kTemplateId = 133;
    static constexpr int kIdLabel = 1001;
    static constexpr int kIdPlaceholder = 1020;
    static constexpr int kIdBrowser = 0xE900;

    // title: the caption; label: the line above the page. font: the application's font
    // (copied); none takes the toolkit's Hangul font.
    AboutDlg(const QString& title, const QString& label, QWidget* parent = nullptr,
             const QFont* font = nullptr);
    ~AboutDlg() override;

    // Loads an address in the dialog's browser (nothing when it has none).
    void OpenPage(const QString& address);
    // The bundled about page, as an absolute path under the working directory.
    static QString AboutPagePath();

    QX_Static* Label() const { return m_pLabel; }
    // Null when the browser could not be created.
    BrowserControl* Browser() const { return m_pBrowser; }

  protected:
    bool OnInitDialog() override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QString m_strLabel;
    QFont m_font;
    QX_Static* m_pLabel = nullptr;
    BrowserControl* m_pBrowser = nullptr;
};
