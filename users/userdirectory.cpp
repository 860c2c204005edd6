#include "userdirectory.h"

#include "common/files.h"
#include "common/program.h"
#include "dataaccess/databasefile.h"
#include "dataaccess/instances.h"
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
    for (const QString &file : data.entryList(QDir::Files))
        if (file.compare(wanted, Qt::CaseInsensitive) == 0)
            return data.filePath(file);
    return exact;
}

DirectoryOpen openUserDirectory(Prompter &prompter, QStringList &userList)
{
    const QString path = userDirectoryPath();
    if (!directoryConnection.OpenJet(path, databasePassword)) {
        if (fileExists(path)) {
            prompter.showMessage(QStringLiteral("连接用户数据库失败！用户数据库可能已经打开！"));
            return DirectoryOpen::EndProgram;
        }
        if (!writeTemplate(userDirectoryTemplate(), path)) {
            prompter.showMessage(QStringLiteral("新建用户数据库失败！"));
            return DirectoryOpen::EndProgram;
        }
        directoryConnection.OpenJet(path, databasePassword);
    }
    if (!directoryRecordset.SetConnection(directoryConnection))
        prompter.showMessage(QStringLiteral("置用户记录集失败！"));
    fillUserList(userList);
    return DirectoryOpen::Opened;
}

void fillUserList(QStringList &userList)
{
    directoryRecordset.Open(QStringLiteral("select * from yhlbsj order by yhmc"));
    const qint64 n = directoryRecordset.RecordCount();
    userList.clear();
    for (qint64 i = 0; i < n; ++i) {
        userList.append(directoryRecordset.GetText(QStringLiteral("yhmc")));
        directoryRecordset.MoveNext();
    }
}
