#include "tools/walk/WalkOptions.h"

QString WalkOptions::Usage() {
    return QStringLiteral("usage: zelvane-walk --url URL --out DIR [--select L,T,R,B] "
                          "[--print QUEUE [--per-sheet 1|2]]");
}

bool WalkOptions::Parse(const QStringList& args) {
    for (int i = 1; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (i + 1 >= args.size()) {
            m_strError = QStringLiteral("missing value after ") + arg;
            return false;
        }
        const QString& value = args.at(++i);
        if (arg == QLatin1String("--url")) {
            m_strUrl = value;
        } else if (arg == QLatin1String("--out")) {
            m_strOutDir = value;
        } else if (arg == QLatin1String("--select")) {
            if (!ParseSelection(value))
                return false;
        } else if (arg == QLatin1String("--print")) {
            m_strPrintQueue = value;
        } else if (arg == QLatin1String("--per-sheet")) {
            if (value != QLatin1String("1") && value != QLatin1String("2")) {
                m_strError = QStringLiteral("--per-sheet takes 1 or 2");
                return false;
            }
            m_nPerSheet = value.toInt();
        } else {
            m_strError = QStringLiteral("unknown argument ") + arg;
            return false;
        }
    }
    if (m_strUrl.isEmpty() || m_strOutDir.isEmpty()) {
        m_strError = QStringLiteral("--url and --out are required");
        return false;
    }
    if (m_strPrintQueue.isEmpty() && args.contains(QLatin1String("--per-sheet"))) {
        m_strError = QStringLiteral("--per-sheet needs --print QUEUE");
        return false;
    }
    return true;
}

bool WalkOptions::ParseSelection(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(','));
    int v[4] = {};
    bool ok = parts.size() == 4;
    for (int k = 0; ok && k < 4; ++k)
        v[k] = parts.at(k).trimmed().toInt(&ok);
    if (!ok || v[0] < 0 || v[1] < 0 || v[2] <= v[0] || v[3] <= v[1]) {
        m_strError = QStringLiteral("--select needs L,T,R,B with 0 <= L < R and 0 <= T < B");
        return false;
    }
    m_nLeft = v[0];
    m_nTop = v[1];
    m_nRight = v[2];
    m_nBottom = v[3];
    m_bHasSelection = true;
    return true;
}
