#pragma once
// A program folder of its own with a data folder, and ledgers written from the empty template.
#include "common/program.h"
#include "dataaccess/databasefile.h"
#include "dataaccess/dbrecordset.h"
#include "ledger/templates.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class LedgerFolder
{
public:
    LedgerFolder()
    {
        QDir(dir.path()).mkdir(QStringLiteral("data"));
        setProgramDirectory(dir.path());
    }
    QString path(const QString &relative) const { return dir.filePath(relative); }
    // A new ledger file from the template, opened on the connection with the recordset attached.
    bool openLedger(const QString &name, DbConnection &connection, DbRecordset &recordset) const
    {
        const QString file = path(QStringLiteral("data/") + name + QStringLiteral("_lc.dat"));
        return writeTemplate(ledgerTemplate(), file) && connection.OpenJet(file, databasePassword)
            && recordset.SetConnection(connection);
    }

private:
    QTemporaryDir dir;
};

// The rows of a query as "a|b|c" texts of the given columns.
inline QStringList rowsOf(DbRecordset &recordset, const QString &query, const QStringList &columns)
{
    QStringList rows;
    if (!recordset.Open(query))
        return {QStringLiteral("<query failed>")};
    const qint64 n = recordset.RecordCount();
    for (qint64 i = 0; i < n; ++i) {
        QStringList cells;
        for (const QString &c : columns)
            cells.append(recordset.GetText(c));
        rows.append(cells.join(u'|'));
        recordset.MoveNext();
    }
    return rows;
}
