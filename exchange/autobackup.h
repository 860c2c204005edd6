#pragma once
// Automatic copies of a user's ledger, in "backups/<name>/" of the data folder: one when a session
// ends with the ledger changed since the last copy, and a safety copy before a restore, a
// migration or a large import replaces records. They are the same kind of file as 备份数据
// writes, so 恢复数据 restores them, and they are thinned to 7 daily, 4 weekly and 12 monthly.
#include "common/prompter.h"
#include "dataaccess/dbconnection.h"

#include <QDateTime>
#include <QList>
#include <QString>

struct AutomaticCopy
{
    QString path;
    QDateTime taken; // from the file name, the local wall clock
    qint64 size = 0;
};

// The ledger's copies, newest first.
QList<AutomaticCopy> automaticCopies(const QString &ledger);
// How many records a copy holds; -1 when it cannot be read.
qint64 copyRecordCount(const QString &copy);

// The switch of the settings file; on unless it was turned off.
bool automaticBackupsOn();
void setAutomaticBackupsOn(bool on);

// NoLedger: the session has no ledger file to copy (it was deleted or never opened).
enum class AutomaticBackup { Written, Unchanged, Off, NoLedger, Failed };

// At log-out and exit: a copy when the switch is on and the ledger differs from its newest copy.
AutomaticBackup backUpAtSessionEnd(const QString &ledger, Prompter &prompter);

// Before work that replaces records: a copy unless one younger than a minute exists. When it
// cannot be written the person is asked whether to go on; false when they answer no.
bool takeSafetyCopy(const QString &ledger, Prompter &prompter);
// The same before an import, for files large enough for a long import; the ledger is the one open
// on ledgerDb.
bool takeSafetyCopyBeforeImport(DbConnection &ledgerDb, const QString &importedFile, Prompter &prompter);

// A progress report of a scope opened with the total 1000, fed with parts of any whole.
inline auto inThousandths(ProgressScope &scope)
{
    return [&scope](qint64 done, qint64 total) { return scope.step(total > 0 ? done * 1000 / total : 0); };
}

// Which copies of those taken at these moments stay: every copy of the last 24 hours, the newest
// of each of the last 7 days, then of 4 more weeks and 12 more months that have copies (as the
// peers count), and the newest of all. The moments are newest first; the answer holds their
// indexes.
QList<int> copiesToKeep(const QList<QDateTime> &takenNewestFirst, const QDateTime &now);
