#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

// The walk's command line: --url URL --out DIR [--select L,T,R,B]
// [--print QUEUE [--per-sheet 1|2]].
class WalkOptions final {
  public:
    // false with m_strError set when the arguments are incomplete or malformed.
    bool Parse(const QStringList& args);

    QString m_strUrl;
    QString m_strOutDir;
    bool m_bHasSelection = false;
    // Image coordinates; right and bottom exclusive (stored as left, top, right, bottom).
    int m_nLeft = 0, m_nTop = 0, m_nRight = 0, m_nBottom = 0;
    // Printing in the review: the CUPS queue (empty: no printing) and pages per sheet.
    QString m_strPrintQueue;
    int m_nPerSheet = 2;
    QString m_strError;

    static QString Usage();

  private:
    bool ParseSelection(const QString& text);
};
