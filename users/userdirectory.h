#pragma once
// The user directory (data/yhlb.dat) and where each user's ledger lives.
#include "common/prompter.h"
#include "dataaccess/dbrecordset.h"

#include <QStringList>

QString userDirectoryPath();
// programDirectory/data/<name>_lc.dat, the name exactly as typed.
QString ledgerPath(const QString &userName);
// The ledger of an existing user: the name as typed, or, when no file has exactly that name, the
// one file whose name differs from it only in letter case (names of users never differ only so).
QString existingLedgerPath(const QString &userName);

// The passing names of a ledger while it is registered (".<file>.new") and while it is deleted
// (".<file>.deleting"), beside it in the data folder.
QString pendingLedgerPath(const QString &ledger);
QString deletingLedgerPath(const QString &ledger);

// The folder of the ledger's automatic copies: "backups/<name>" in the ledger's data folder, the
// name as the ledger file spells it.
QString automaticBackupFolder(const QString &ledger);
// Copies found under a free name belong to a user deleted earlier: they move to
// "backups-aside/<name>" (or "<name>.bak1", …) in the data folder, out of every user's sight.
void setAutomaticBackupsAside(const QString &ledger);
// Deletes the automatic copies of a deleted user's ledger.
void removeAutomaticBackups(const QString &ledger);

// Removes the copies of a ledger that an interrupted compaction or file copy left behind.
void removeLeftoverCopies(const QString &ledger);

// Finishes or undoes the registrations and deletions that were cut off, by whether their name is
// listed in the open directory, and removes the copies interrupted work left in the data folder.
// Runs when the directory is opened.
void recoverInterruptedUserChanges(DbConnection &directoryDb, DbRecordset &directoryRows);

enum class DirectoryOpen { Opened, EndProgram };

// Opens the directory on directoryDb, writing the empty directory first when there is
// none, and fills the list with the user names. EndProgram after the message when the directory
// cannot be used at all.
DirectoryOpen openUserDirectory(DbConnection &directoryDb, DbRecordset &directoryRows, Prompter &prompter,
                                QStringList &userList);

// Tells the person about the Windows program's files that opening the directory or a ledger
// converted and kept beside them ("yhlb.dat.jet", "<name>_lc.dat.jet"): what they are and that
// they may be removed. Working copies of a restore or a migration are not mentioned; they go.
void mentionKeptWindowsFiles(Prompter &prompter);

// Replaces the list with the user names of the directory, in the order the database sorts them.
void fillUserList(DbRecordset &directoryRows, QStringList &userList);
