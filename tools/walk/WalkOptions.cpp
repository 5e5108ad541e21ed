#include "tools/walk/WalkOptions.h"

#include "pages/PageSet.h"

#include <QKeySequence>

namespace {

// The review actions: how many numbers each takes and what they must satisfy.
struct ActionForm {
    const char* name;
    int numbers;
    const char* help;
};

constexpr ActionForm kActionForms[] = {
    {"toggle", 1, "--toggle needs K, a page number from 1"},
    {"preview", 3, "--preview needs K,TOP,BOTTOM with K from 1"},
    {"margins", 3, "--margins needs K,TOP,BOTTOM with K from 1"},
    {"cut", 3, "--cut needs K,Y0,Y1 with K from 1 and page rows 0 <= Y0, Y1 < 1024"},
    {"save", 0, "--save needs NAME, the name typed into the save dialog"},
};

bool NumbersFit(const QString& name, const QList<int>& v) {
    if (v.first() < 1)
        return false;
    if (name == QLatin1String("cut"))
        return v.at(1) >= 0 && v.at(2) >= 0 && v.at(1) < PageSet::pageHeight &&
               v.at(2) < PageSet::pageHeight;
    return true;
}

} // namespace

QString WalkOptions::Usage() {
    return QStringLiteral(
        "usage: zelvane-walk --url URL --out DIR [--select L,T,R,B]\n"
        "                    [--find-url K [--explorer]] [--about] [--end-renderer]\n"
        "                    [--capture-keys K,K...]\n"
        "                    [--toggle K] [--preview K,TOP,BOTTOM] [--margins K,TOP,BOTTOM]\n"
        "                    [--cut K,Y0,Y1] [--auto-breaks]\n"
        "                    [--save NAME [--jpeg|--png|--pdf] [--scroll]] ...\n"
        "                    (review actions, applied in the order given)\n"
        "                    [--print QUEUE [--per-sheet 1|2] [--keep-proportions|--stretch]]\n"
        "                    (after the review actions)");
}

bool WalkOptions::ParseReviewAction(const QString& option, const QString& value, bool* known) {
    *known = false;
    for (const ActionForm& form : kActionForms) {
        if (option != QLatin1String("--") + QLatin1String(form.name))
            continue;
        *known = true;
        ReviewAction action{QString::fromLatin1(form.name), value, {}, {}};
        if (form.numbers == 0) { // a text value: taken as it is, for the dialog to judge
            m_reviewActions << action;
            return true;
        }
        const QStringList parts = value.split(QLatin1Char(','));
        bool ok = parts.size() == form.numbers;
        for (int k = 0; ok && k < parts.size(); ++k)
            action.numbers << parts.at(k).trimmed().toInt(&ok);
        if (!ok || !NumbersFit(action.name, action.numbers)) {
            m_strError = QString::fromLatin1(form.help);
            return false;
        }
        m_reviewActions << action;
        return true;
    }
    return true;
}

bool WalkOptions::ParseSaveSwitch(const QString& option, bool* known) {
    *known = option == QLatin1String("--jpeg") || option == QLatin1String("--png") ||
             option == QLatin1String("--pdf") || option == QLatin1String("--scroll");
    if (!*known)
        return true;
    if (m_reviewActions.isEmpty() || m_reviewActions.last().name != QLatin1String("save")) {
        m_strError = option + QStringLiteral(" belongs to a --save NAME before it");
        return false;
    }
    m_reviewActions.last().flags << option.mid(2);
    return true;
}

bool WalkOptions::Parse(const QStringList& args) {
    for (int i = 1; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == QLatin1String("--auto-breaks")) { // a review action without a value
            m_reviewActions << ReviewAction{QStringLiteral("auto-breaks"), {}, {}, {}};
            continue;
        }
        if (arg == QLatin1String("--explorer") || arg == QLatin1String("--about")) {
            (arg == QLatin1String("--about") ? m_bAbout : m_bExplorer) = true;
            continue;
        }
        if (arg == QLatin1String("--end-renderer")) {
            m_bEndRenderer = true;
            continue;
        }
        if (arg == QLatin1String("--keep-proportions") || arg == QLatin1String("--stretch")) {
            m_bKeepProportions = arg == QLatin1String("--keep-proportions");
            continue;
        }
        bool isSwitch = false;
        if (!ParseSaveSwitch(arg, &isSwitch))
            return false;
        if (isSwitch)
            continue;
        if (i + 1 >= args.size()) {
            m_strError = QStringLiteral("missing value after ") + arg;
            return false;
        }
        const QString& value = args.at(++i);
        if (arg == QLatin1String("--url")) {
            m_strUrl = value;
        } else if (arg == QLatin1String("--out")) {
            m_strOutDir = value;
        } else if (arg == QLatin1String("--find-url")) {
            bool ok = false;
            m_nFindUrlRow = value.toInt(&ok);
            if (!ok || m_nFindUrlRow < 0) {
                m_strError = QStringLiteral("--find-url needs a row number (0: Cancel)");
                return false;
            }
        } else if (arg == QLatin1String("--capture-keys")) {
            for (const QString& name : value.split(QLatin1Char(','))) {
                const QKeySequence key(name.trimmed());
                if (key.count() != 1 || key[0].key() == Qt::Key_unknown) {
                    m_strError = QStringLiteral("--capture-keys: no such key ") + name;
                    return false;
                }
                m_captureKeys << key[0];
            }
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
            bool known = false;
            if (!ParseReviewAction(arg, value, &known))
                return false;
            if (!known) {
                m_strError = QStringLiteral("unknown argument ") + arg;
                return false;
            }
        }
    }
    if (m_strUrl.isEmpty() || m_strOutDir.isEmpty()) {
        m_strError = QStringLiteral("--url and --out are required");
        return false;
    }
    for (const char* option : {"--per-sheet", "--keep-proportions", "--stretch"}) {
        if (m_strPrintQueue.isEmpty() && args.contains(QLatin1String(option))) {
            m_strError = QLatin1String(option) + QStringLiteral(" needs --print QUEUE");
            return false;
        }
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
