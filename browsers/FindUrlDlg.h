#pragma once

#include "browsers/BrowserPage.h"
#include "toolkit/QX_Dialog.h"

#include <QFont>
#include <QRect>
#include <QString>
#include <QStringList>

class QPainter;
class QX_Button;
class QX_CheckBtn;
class QX_ListBox;
class QX_Static;

// Lets the user pick the address of a page open in another browser: the pages are listed by
// title (sorted) with their address below; "탐색기 포함" also lists local files and folders.
// DoModal returns IDOK with m_strUrl set, or IDCANCEL.
class FindUrlDlg final : public QX_Dialog {
    Q_OBJECT

  public:
    static constexpr int kTemplateId = 134;
    static constexpr int kIdList = 22001;
    static constexpr int kIdPlaceholder = 1011;
    static constexpr int kIdRefresh = 1021;
    static constexpr int kIdExplorer = 1022;
    static constexpr int kItemHeight = 32;

    // font: the application's font (copied); none takes the toolkit's Hangul font. home: the
    // folder whose browsers are listed; empty for the user's own.
    explicit FindUrlDlg(QWidget* parent = nullptr, const QFont* font = nullptr,
                        const QString& home = QString());
    ~FindUrlDlg() override;

    bool OnCommand(int id, int code) override;
    // The line shown in the list's place while no page is listed; call before DoModal.
    void SetEmptyNote(const QString& note) { m_strEmptyNote = note; }
    // Rebuilds the list from the browsers as they are now.
    void RefreshList();
    // Which pages the list shows: every page, or without the explorer box those whose address
    // does not start with exactly "file".
    static BrowserPageList Visible(const BrowserPageList& pages, bool includeExplorer);

    QX_ListBox* List() const { return m_pList; }
    QX_CheckBtn* ExplorerBox() const { return m_pExplorer; }
    QX_Button* RefreshButton() const { return m_pRefresh; }
    // Null until the list is first found empty.
    QX_Static* EmptyNote() const { return m_pEmptyNote; }
    // The address of a row of the list, or an empty string.
    QString ItemUrl(int index) const;

    QString m_strUrl;

  protected:
    bool OnInitDialog() override;
    void OnOK() override;

  private:
    static void DrawItem(QWidget* parent, QX_ListBox* list, int index, QRect rect, QPainter* dc,
                         int selected);
    // The note instead of an empty list, the list again once it has rows.
    void ShowEmptyNote(bool empty);

    QFont m_font;
    QString m_strHome;
    QStringList m_urls; // the rows' addresses; a row's item data is its index here
    QX_Button* m_pOk = nullptr;
    QX_Button* m_pCancel = nullptr;
    QX_Button* m_pRefresh = nullptr;
    QX_ListBox* m_pList = nullptr;
    QX_CheckBtn* m_pExplorer = nullptr;
    QString m_strEmptyNote;
    QX_Static* m_pEmptyNote = nullptr;
};
