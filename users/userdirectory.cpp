#include "userdirectory.h"

#include "common/files.h"
#include "common/program.h"
#include "common/sqltext.h"
#include "dataaccess/databasefile.h"
#include "dataaccess/dbrecordset.h"
#include "dataaccess/jet/jetconversion.h"
#include "ledger/templates.h"

#include <QDir>
#include <QFileInfo>

QString userDirectoryPath()
{
    return programPath(QStringLiteral("data/yhlb.dat"));
}

QString ledgerPath(const QString &userName)
{
    return programPath(QStringLiteral("data/") + userName + QStringLiteral("_lc.dat"));
}

QString existingLedgerPath(const QString &userName)
{
    const QString exact = ledgerPath(userName);
    if (fileExists(exact))
        return exact;
    const QString wanted = QFileInfo(exact).fileName();
    const QDir data(programPath(QStringLiteral("data")));
    for (const QString &file : databaseFilesIn(data.path()))
        if (file.compare(wanted, Qt::CaseInsensitive) == 0)
            return data.filePath(file);
    return exact;
}

namespace {

const QString pendingSuffix = QStringLiteral(".new");
const QString deletingSuffix = QStringLiteral(".deleting");
const QString ledgerSuffix = QStringLiteral("_lc.dat");

QString passingName(const QString &ledger, const QString &suffix)
{
    const QFileInfo info(ledger);
    return info.dir().filePath(u'.' + info.fileName() + suffix);
}

bool isListed(DbRecordset &directoryRows, const QString &name)
{
    directoryRows.Open(QStringLiteral("select * from yhlbsj where yhmc=") + quoteText(name));
    return directoryRows.RecordCount() > 0;
}

// True when the ledger file opens whole and holds the account row of the name. A ledger whose
// journal is left over is rolled back by the opening, so a half-written row is never taken.
bool holdsAccount(const QString &ledger, const QString &name)
{
    DbConnection connection;
    DbRecordset account;
    if (!connection.OpenJet(ledger, databasePassword) || !account.SetConnection(connection))
        return false;
    account.Open(QStringLiteral("select * from yhsj where yhmc=") + quoteText(name));
    const bool found = account.RecordCount() > 0 && !account.GetText(QStringLiteral("yhmm")).isEmpty();
    account.Close();
    connection.Close();
    return found;
}

} // namespace

QString pendingLedgerPath(const QString &ledger)
{
    return passingName(ledger, pendingSuffix);
}

QString deletingLedgerPath(const QString &ledger)
{
    return passingName(ledger, deletingSuffix);
}

QString automaticBackupFolder(const QString &ledger)
{
    const QFileInfo info(ledger);
    QString name = info.fileName();
    if (name.endsWith(ledgerSuffix))
        name.chop(ledgerSuffix.size());
    return info.dir().filePath(QStringLiteral("backups/") + name);
}

void setAutomaticBackupsAside(const QString &ledger)
{
    const QString copies = automaticBackupFolder(ledger);
    if (!QFileInfo(copies).isDir())
        return;
    const QFileInfo info(ledger);
    const QString aside = info.dir().filePath(QStringLiteral("backups-aside/") + QFileInfo(copies).fileName());
    QDir().mkpath(QFileInfo(aside).path());
    QDir().rename(copies, QFileInfo::exists(aside) ? freeBackupName(aside) : aside);
}

void removeAutomaticBackups(const QString &ledger)
{
    QDir(automaticBackupFolder(ledger)).removeRecursively();
}

void removeLeftoverCopies(const QString &ledger)
{
    removeCompactionLeftovers(ledger);
    removeStalePartialCopies(ledger);
}

void recoverInterruptedUserChanges(DbConnection &directoryDb, DbRecordset &directoryRows)
{
    const QDir data(programPath(QStringLiteral("data")));
    for (const QString &file : databaseFilesIn(data.path())) {
        const bool pending = file.endsWith(pendingSuffix);
        if (!file.startsWith(u'.') || !(pending || file.endsWith(deletingSuffix)))
            continue;
        const QString ledgerFile = file.mid(1).chopped(pending ? pendingSuffix.size() : deletingSuffix.size());
        if (!ledgerFile.endsWith(ledgerSuffix))
            continue;
        const QString passing = data.filePath(file);
        const QString ledger = data.filePath(ledgerFile);
        const QString name = ledgerFile.chopped(ledgerSuffix.size());
        if (!isListed(directoryRows, name) || fileExists(existingLedgerPath(name))) {
            // A deletion that unlisted the name had its copies to go as well.
            if (!pending && !isListed(directoryRows, name))
                removeAutomaticBackups(ledger);
            removeDatabaseFiles(passing);
            continue;
        }
        // The name is listed and its ledger is away. A deletion moves the ledger away before it
        // unlists the name, so the deletion did not happen: the ledger comes back. A registration
        // lists the name before its ledger holds the account row: a finished ledger is moved into
        // place, an unfinished one goes with the name.
        if (!pending || holdsAccount(passing, name)) {
            moveFile(passing, ledger);
            continue;
        }
        directoryDb.Execute(QStringLiteral("delete from yhlbsj where yhmc=") + quoteText(name));
        removeDatabaseFiles(passing);
    }
    removeCompactionLeftovers(data.path());
    removeStalePartialCopies(data.path());
}

void mentionKeptWindowsFiles(Prompter &prompter)
{
    QStringList names;
    for (const QString &kept : takeKeptJetFiles()) {
        const QFileInfo info(kept);
        const QString name = info.fileName();
        if (info.exists() && (name.startsWith(QFileInfo(userDirectoryPath()).fileName()) || name.contains(ledgerSuffix)))
            names.append(QStringLiteral("“") + name + QStringLiteral("”"));
    }
    if (names.isEmpty())
        return;
    prompter.showMessage(QStringLiteral("已将Windows版的数据文件转换为本程序的格式，原文件保留为data文件夹中的")
                         + names.join(QStringLiteral("、"))
                         + (names.size() == 1 ? QStringLiteral("。本程序不再使用它，确认数据无误后可以删除。")
                                              : QStringLiteral("。本程序不再使用它们，确认数据无误后可以删除。")));
}

DirectoryOpen openUserDirectory(DbConnection &directoryDb, DbRecordset &directoryRows, Prompter &prompter,
                                QStringList &userList)
{
    const QString path = userDirectoryPath();
    if (!directoryDb.OpenJet(path, databasePassword)) {
        if (fileExists(path)) {
            prompter.showMessage(QStringLiteral("连接用户数据库失败！用户数据库可能已经打开！"));
            return DirectoryOpen::EndProgram;
        }
        if (!writeTemplate(userDirectoryTemplate(), path)) {
            prompter.showMessage(QStringLiteral("新建用户数据库失败！"));
            return DirectoryOpen::EndProgram;
        }
        directoryDb.OpenJet(path, databasePassword);
    }
    if (!directoryRows.SetConnection(directoryDb))
        prompter.showMessage(QStringLiteral("置用户记录集失败！"));
    recoverInterruptedUserChanges(directoryDb, directoryRows);
    fillUserList(directoryRows, userList);
    mentionKeptWindowsFiles(prompter);
    return DirectoryOpen::Opened;
}

void fillUserList(DbRecordset &directoryRows, QStringList &userList)
{
    directoryRows.Open(QStringLiteral("select * from yhlbsj order by yhmc"));
    const qint64 n = directoryRows.RecordCount();
    userList.clear();
    for (qint64 i = 0; i < n; ++i) {
        userList.append(directoryRows.GetText(QStringLiteral("yhmc")));
        directoryRows.MoveNext();
    }
}
