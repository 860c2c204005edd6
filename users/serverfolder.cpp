#include "serverfolder.h"

#include "common/files.h"
#include "common/log.h"
#include "common/program.h"
#include "dataaccess/databasefile.h"
#include "dataaccess/dbconnection.h"
#include "dataaccess/dbrecordset.h"
#include "dataaccess/pg/serverlink.h"
#include "ledger/schema.h"
#include "ledger/templates.h"

#include <QDir>
#include <QRegularExpression>

#include <cmath>
#include <unistd.h>

namespace {

bool isHouseholdDatabase(const QString &name)
{
    return name == QLatin1String("yhlb.dat") || (name.endsWith(QLatin1String("_lc.dat")) && !name.startsWith(u'.'));
}

QStringList schemaOf(const QString &name)
{
    return name == QLatin1String("yhlb.dat") ? userDirectorySchema() : ledgerSchema();
}

// What a database holds, as far as the move checks it: the records of each table, and the
// ledger's amounts summed to the cent.
struct Contents
{
    bool read = false;
    QList<qint64> counts;
    qint64 expenseCents = 0;
    qint64 incomeCents = 0;
    double expense = 0;
    double income = 0;
    bool operator==(const Contents &o) const
    {
        return read && o.read && counts == o.counts && expenseCents == o.expenseCents && incomeCents == o.incomeCents;
    }
};

Contents contentsOf(const QString &path, const QString &name)
{
    Contents c;
    DbConnection connection;
    DbRecordset records;
    if (!connection.OpenJet(path, databasePassword) || !records.SetConnection(connection))
        return c;
    static const QRegularExpression table(QStringLiteral("^create table (\\w+)"), QRegularExpression::CaseInsensitiveOption);
    for (const QString &statement : schemaOf(name)) {
        const QRegularExpressionMatch m = table.match(statement);
        if (!m.hasMatch())
            continue;
        if (!records.Open(QStringLiteral("select count(*) from ") + m.captured(1)))
            return c;
        c.counts.append(records.GetText(0).toLongLong());
        if (m.captured(1) == QLatin1String("lcsj")) {
            if (!records.Open(QStringLiteral("select sum(zcje) as zc, sum(srje) as sr from lcsj")))
                return c;
            c.expense = records.GetNumber("zc");
            c.income = records.GetNumber("sr");
            c.expenseCents = std::llround(c.expense * 100);
            c.incomeCents = std::llround(c.income * 100);
        }
    }
    records.Close();
    connection.Close();
    c.read = true;
    return c;
}

QString dataPath(const QString &name)
{
    return QDir(programPath(QStringLiteral("data"))).filePath(name);
}

QString workingCopy(const QString &name)
{
    return QDir(QDir::tempPath()).filePath(QStringLiteral("kelm-move-%1-%2").arg(qint64(::getpid())).arg(name));
}

// Puts the server choice back as it was whatever the move does.
struct ServerChoice
{
    std::optional<DatabaseServer> before = databaseServer();
    ~ServerChoice() { setDatabaseServer(before); }
};

void account(FolderCopyReport &report, const Contents &c)
{
    ++report.databases;
    for (qint64 n : c.counts)
        report.records += n;
    report.expense += c.expense;
    report.income += c.income;
}

} // namespace

bool testDatabaseServer(const DatabaseServer &server, QString *error)
{
    ServerLink link;
    if (link.connect(server.connection))
        return true;
    if (error)
        *error = link.error();
    return false;
}

QStringList localDatabases()
{
    ServerChoice keep;
    setDatabaseServer(std::nullopt);
    QStringList names = QDir(programPath(QStringLiteral("data"))).entryList(QDir::Files);
    names.removeIf([](const QString &name) { return !isHouseholdDatabase(name); });
    return names;
}

QStringList serverDatabases(const DatabaseServer &server)
{
    ServerChoice keep;
    setDatabaseServer(server);
    QStringList names = serverDatabaseNames();
    names.removeIf([](const QString &name) { return !isHouseholdDatabase(name); });
    return names;
}

FolderCopyReport copyDataFolderToServer(const DatabaseServer &server)
{
    FolderCopyReport report;
    ServerChoice keep;
    for (const QString &name : localDatabases()) {
        report.failed = name;
        const QString copy = workingCopy(name);
        setDatabaseServer(std::nullopt);
        const Contents local = contentsOf(dataPath(name), name);
        if (!local.read || !copyFileReplacing(dataPath(name), copy))
            return report;
        setDatabaseServer(server);
        const QString target = dataPath(name);
        const bool copied = (!fileExists(target) || deleteFile(target)) && writeTemplate(name == QLatin1String("yhlb.dat") ? userDirectoryTemplate() : ledgerTemplate(), target)
            && copyFileReplacing(copy, target);
        removeWorkingCopy(copy);
        const Contents there = copied ? contentsOf(target, name) : Contents();
        if (!(there == local)) {
            qCWarning(logData).noquote() << "the copy of" << name << "on the server does not match the file";
            deleteFile(target);
            return report;
        }
        account(report, there);
    }
    report.failed.clear();
    report.ok = true;
    return report;
}

FolderCopyReport copyServerToDataFolder(const DatabaseServer &server)
{
    FolderCopyReport report;
    ServerChoice keep;
    for (const QString &name : serverDatabases(server)) {
        report.failed = name;
        const QString copy = workingCopy(name);
        setDatabaseServer(server);
        const Contents there = contentsOf(dataPath(name), name);
        if (!there.read || !copyFileReplacing(dataPath(name), copy))
            return report;
        setDatabaseServer(std::nullopt);
        const QString target = dataPath(name);
        const bool keptAside = !fileExists(target) || moveFile(target, freeBackupName(target));
        const bool copied = keptAside && moveFile(copy, target);
        removeWorkingCopy(copy);
        const Contents local = copied ? contentsOf(target, name) : Contents();
        if (!(local == there)) {
            qCWarning(logData).noquote() << "the copy of" << name << "in the data folder does not match the server";
            return report;
        }
        account(report, local);
    }
    report.failed.clear();
    report.ok = true;
    return report;
}
