#pragma once
// File operations the ledger relies on. Each answers with a truth value and never throws.
#include <QString>
#include <QStringList>

#include <functional>

#include <functional>

bool fileExists(const QString &path);
// Copies source over destination. The copy is written beside the destination, synced and renamed
// over it, so the destination is either the old file or the whole new one, never half of each.
bool copyFileReplacing(const QString &source, const QString &destination);
// The same, telling the bytes copied so far and the whole; a false answer stops the copy and
// leaves the destination as it was.
using CopyProgress = std::function<bool(qint64 done, qint64 total)>;
bool copyFileReplacing(const QString &source, const QString &destination, const CopyProgress &progress);
// Removes the partial copies copyFileReplacing left behind when it was cut off
// ("<destination>.part<process>", the process gone). Given a folder, every such copy in it.
void removeStalePartialCopies(const QString &destinationOrFolder);
// Where a copy of the file is kept aside: "<path>.bak", or the first free "<path>.bak1",
// "<path>.bak2", …, so a copy kept earlier is never overwritten.
QString freeBackupName(const QString &path);
bool deleteFile(const QString &path);
// Deletes a database file together with its rollback journal ("<path>-journal").
void removeDatabaseFiles(const QString &path);
// Moves source to destination, replacing it; across file systems it copies, then deletes.
bool moveFile(const QString &source, const QString &destination);
// A path in the system's temporary folder where no file exists yet; the file is not created.
QString temporaryFileName();

// Deletes a working copy together with the originals a conversion kept beside it
// ("<copy>.jet", "<copy>.2.jet", …).
void removeWorkingCopy(const QString &path);

// Database files kept elsewhere than on the disk (on a database server) answer fileExists,
// deleteFile, removeDatabaseFiles, moveFile, copyFileReplacing and databaseFilesIn through these; the disk answers
// for every path holds() does not claim.
struct DatabasePlaces
{
    std::function<bool(const QString &path)> holds;
    std::function<bool(const QString &path)> exists;
    std::function<bool(const QString &path)> remove;
    std::function<bool(const QString &from, const QString &to)> move;
    std::function<bool(const QString &from, const QString &to)> copy; // either side may be on the disk
    std::function<QStringList(const QString &folder)> list;
};
void setDatabasePlaces(DatabasePlaces places);
// The names of the files in the folder, those kept elsewhere included.
QStringList databaseFilesIn(const QString &folder);
