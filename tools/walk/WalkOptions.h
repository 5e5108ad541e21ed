#pragma once

#include <QKeyCombination>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

// One action of the walk inside the page review, in the order given on the command line.
struct ReviewAction {
    QString name;       // the option without its dashes: toggle, margins, auto-breaks, ...
    QString value;      // the option's value as given
    QList<int> numbers; // the value's comma-separated whole numbers
    QStringList flags;  // switches that follow it without a value: a save's --jpeg, --scroll
};

// The walk's command line: --url URL --out DIR [--select L,T,R,B] [--find-url K [--explorer]]
// [--about] [--end-renderer] [--capture-keys K,K...] [review actions...]
// [--print QUEUE [--per-sheet 1|2] [--keep-proportions|--stretch]].
class WalkOptions final {
  public:
    // false with m_strError set when the arguments are incomplete or malformed.
    bool Parse(const QStringList& args);

    QString m_strUrl;
    QString m_strOutDir;
    bool m_bHasSelection = false;
    // Image coordinates; right and bottom exclusive (stored as left, top, right, bottom).
    int m_nLeft = 0, m_nTop = 0, m_nRight = 0, m_nBottom = 0;
    // F8's row to pick (1-based; 0 Cancel; -1 no F8), with the explorer box ticked or not.
    int m_nFindUrlRow = -1;
    bool m_bExplorer = false;
    // Alt+A and about.png.
    bool m_bAbout = false;
    // The page's renderer killed after the load: the offer to reload, answered OK.
    bool m_bEndRenderer = false;
    // Keys pressed in the capture view after F3, before the selection is set.
    QList<QKeyCombination> m_captureKeys;
    QList<ReviewAction> m_reviewActions;
    // Printing in the review: the CUPS queue (empty: no printing) and pages per sheet.
    QString m_strPrintQueue;
    int m_nPerSheet = 2;
    // 비율 유지 as the printer dialog opens (ticked), or unticked by --stretch.
    bool m_bKeepProportions = true;
    QString m_strError;

    static QString Usage();

  private:
    bool ParseSelection(const QString& text);
    // false (with m_strError) when option is a switch of the save before it that cannot be
    // taken; *known tells whether option is such a switch at all.
    bool ParseSaveSwitch(const QString& option, bool* known);
    // false (with m_strError) when option is a review action whose value is malformed; *known
    // tells whether option is a review action at all.
    bool ParseReviewAction(const QString& option, const QString& value, bool* known);
};
