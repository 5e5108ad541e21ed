#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The files of one job, all in one folder, written first into a hidden folder of their own
// beside their targets and moved into place together once every one is complete. A job that
// fails part way leaves no file of its own and changes none that was there before.
class StagedFiles final {
  public:
    explicit StagedFiles(const QString& folder);
    ~StagedFiles(); // removes what was staged and not put in place
    StagedFiles(const StagedFiles&) = delete;
    StagedFiles& operator=(const StagedFiles&) = delete;

    // Where to write the file meant for target (a file of the folder); empty, with errno set,
    // when no staging folder can be made or target is a folder.
    QString Stage(const QString& target);
    // Moves every staged file onto its target, in order. false, with errno set and
    // FailedTarget() naming it, at the first that cannot be moved; those moved before it that
    // had no earlier file are removed again.
    bool Commit();
    QString FailedTarget() const { return m_strFailedTarget; }
    // The targets put in place by Commit, in order.
    QStringList Targets() const;

  private:
    struct Entry {
        QString target;
        QByteArray encodedTarget;
        QByteArray staged;
        bool replaces = false; // a file of that name was there before
    };
    void Discard();

    QString m_strFolder;
    QByteArray m_stagingFolder;
    QList<Entry> m_entries;
    QString m_strFailedTarget;
    bool m_bCommitted = false;
};
