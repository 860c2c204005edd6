// The empty databases the program writes for the user directory and for a new ledger.
#include "dataaccess/databasefile.h"
#include "dataaccess/dbrecordset.h"
#include "ledger/templates.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>

namespace {

// Tables and their columns as "table(column type, ...)", read with the plain SQLite library the
// way any other program reads the file.
QStringList layout(const QString &path)
{
    QStringList tables;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return {"<cannot open>"};
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(db, "select name from sqlite_master where type='table' and name not like 'sqlite_%' order by name", -1, &s, nullptr);
    QStringList names;
    while (sqlite3_step(s) == SQLITE_ROW)
        names << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)));
    sqlite3_finalize(s);
    for (const QString &name : names) {
        QStringList columns;
        sqlite3_prepare_v2(db, "select name, type from pragma_table_info(?)", -1, &s, nullptr);
        const QByteArray n = name.toUtf8();
        sqlite3_bind_text(s, 1, n.constData(), -1, SQLITE_TRANSIENT);
        while (sqlite3_step(s) == SQLITE_ROW)
            columns << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0))) + ' '
                    + QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 1)));
        sqlite3_finalize(s);
        sqlite3_prepare_v2(db, ("select count(*) from \"" + n + "\"").constData(), -1, &s, nullptr);
        sqlite3_step(s);
        const int rows = sqlite3_column_int(s, 0);
        sqlite3_finalize(s);
        tables << name + '(' + columns.join(", ") + ')' + (rows ? " with rows" : "");
    }
    sqlite3_close(db);
    return tables;
}

} // namespace

class TestTemplates : public QObject
{
    Q_OBJECT
private slots:
    void layouts_data();
    void layouts();
    void writtenByteForByte();
};

void TestTemplates::layouts_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("tables");
    QTest::newRow("user directory") << userDirectoryTemplate()
                                    << QStringList{"yhlbsj(id INTEGER, yhmc TEXT(50), yhsjkmc TEXT(50))"};
    QTest::newRow("ledger") << ledgerTemplate()
                            << QStringList{"lcsj(id INTEGER, xmlx TEXT(30), xmmc TEXT(50), zcje DOUBLE, srje DOUBLE, ry TEXT(20), "
                                           "rq DATETIME, tjrq DATETIME, gxrq DATETIME, bz LONGTEXT)",
                                           "rysj(id INTEGER, ry TEXT(50))", "xmlxsj(id INTEGER, xmlx TEXT(50))",
                                           "xmmcsj(id INTEGER, xmmc TEXT(50), xmlx TEXT(50))",
                                           "yhsj(id INTEGER, yhmc TEXT(50), yhmm TEXT(50), tjrq DATETIME, gxrq DATETIME, "
                                           "mbwt TEXT(50), mbda TEXT(50))"};
}

void TestTemplates::layouts()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, tables);
    QTemporaryDir dir;
    const QString path = dir.filePath("new.dat");
    QVERIFY(writeTemplate(bytes, path));
    QCOMPARE(layout(path), tables);
    QCOMPARE(checkDatabaseFile(path, databasePassword), DatabaseFileCheck::Ours);
    QCOMPARE(checkDatabaseFile(path, "other"), DatabaseFileCheck::WrongPassword);
}

void TestTemplates::writtenByteForByte()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("张三_lc.dat");
    QVERIFY(writeTemplate(ledgerTemplate(), path));
    {
        // Registering again over an old file replaces it whole.
        DbConnection c;
        QVERIFY(c.OpenJet(path, databasePassword));
        QVERIFY(c.Execute("insert into rysj(ry) values ('x')"));
    }
    QVERIFY(writeTemplate(ledgerTemplate(), path));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), ledgerTemplate());
    QVERIFY(!writeTemplate(ledgerTemplate(), dir.filePath("no/such/folder/a.dat")));
}

QTEST_GUILESS_MAIN(TestTemplates)
#include "tst_templates.moc"
