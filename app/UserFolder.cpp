#include "app/UserFolder.h"

#include "imaging/QX_DIB.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Links folder/name to target unless a real entry or the right link is already there.
bool LinkEntry(const QDir& folder, const QFileInfo& target, QString* error) {
    const QString link = folder.filePath(target.fileName());
    const QFileInfo here(link);
    if (here.isSymLink()) {
        if (here.symLinkTarget() == target.absoluteFilePath())
            return true;
        QFile::remove(link); // dangling, or left by an install elsewhere
    } else if (here.exists()) {
        return true; // the user's own copy wins
    }
    if (QFile::link(target.absoluteFilePath(), link))
        return true;
    *error = QStringLiteral("cannot link %1 to %2").arg(link, target.absoluteFilePath());
    return false;
}

} // namespace

QString UserFolder::InstalledDataDir(const QString& appDir) {
    const QDir bin(appDir);
    if (bin.dirName() != QStringLiteral("bin"))
        return {};
    const QString data = QDir::cleanPath(bin.absoluteFilePath(QStringLiteral("../share/tarnel")));
    return QFileInfo(QDir(data).filePath(QX_DIB::PackFileName())).isFile() ? data : QString();
}

QString UserFolder::DefaultPath() {
    return QDir::home().filePath(QStringLiteral("Tarnel"));
}

bool UserFolder::Prepare(const QString& folder, const QString& dataDir, QString* error) {
    const QDir dir(folder);
    if (!QDir().mkpath(dir.filePath(QStringLiteral("user_image")))) {
        *error = QStringLiteral("cannot make ") + dir.filePath(QStringLiteral("user_image"));
        return false;
    }
    // One failed link leaves the others usable: the program still finds what is there.
    bool ok = true;
    const QFileInfoList entries =
        QDir(dataDir).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QFileInfo& entry : entries)
        ok = LinkEntry(dir, entry, error) && ok;
    return ok;
}

bool UserFolder::EnterIfInstalled(QString* error) {
    const QString data = InstalledDataDir(QCoreApplication::applicationDirPath());
    if (data.isEmpty())
        return true;
    const QString folder = DefaultPath();
    const bool prepared = Prepare(folder, data, error);
    if (QFileInfo(folder).isDir() && QDir::setCurrent(folder))
        return prepared;
    if (prepared)
        *error = QStringLiteral("cannot enter ") + folder;
    return false;
}
