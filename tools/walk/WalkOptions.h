#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

// The walk's command line: --url URL --out DIR [--select L,T,R,B] [--find-url K [--explorer]]
// [--about].
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
    QString m_strError;

    static QString Usage();

  private:
    bool ParseSelection(const QString& text);
};
