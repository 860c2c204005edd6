#include "support/filebytes.h"
#include "ledgerfixture.h"

#include "common/files.h"
#include "dataaccess/instances.h"
#include "dataaccess/pg/serverstore.h"

#include <QFile>
#include <QThread>
#include <sqlite3.h>

namespace {

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QVERIFY(writeFileBytes(path, bytes));
}

} // namespace

class TestConnection : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void refusesFilesThatAreNotOurs_data();
    void refusesFilesThatAreNotOurs();
    void openAndClose();
    void oneFileSafeToCopy();
    void nestedTransactions();
    void compaction();
    void workbookStatements_data();
    void workbookStatements();
    void otherPlatformsBuildTheirTexts();
    void connectionTextsHoldAnyPath_data();
    void connectionTextsHoldAnyPath();
    void properties();
    void constructionFailureIsShown();
    void failuresAreLoggedWithTheirReason();
    void programConnectionsMayStayOpenAtExit();
    void twoConnectionsSaveAtOnce();

private:
    LedgerFolder *folder = nullptr;
    QString ledger;
};

void TestConnection::init()
{
    folder = new LedgerFolder;
    ledger = folder->path("data/张三_lc.dat");
    QVERIFY(writeTemplate(ledgerTemplate(), ledger));
}

void TestConnection::cleanup()
{
    delete folder;
}

void TestConnection::refusesFilesThatAreNotOurs_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing") << "missing";
    QTest::newRow("empty file") << "empty";
    QTest::newRow("random bytes") << "random";
    QTest::newRow("a Windows Jet file") << "jet";
    QTest::newRow("another program's SQLite file") << "sqlite";
    QTest::newRow("ours, another password") << "password";
    QTest::newRow("ours, truncated to its header") << "truncated";
    QTest::newRow("ours, overwritten with junk") << "junk";
}

void TestConnection::refusesFilesThatAreNotOurs()
{
    QFETCH(QString, kind);
    const QString path = folder->path("data/x.dat");
    if (kind == "empty")
        writeBytes(path, {});
    else if (kind == "random")
        writeBytes(path, QByteArray::fromHex("8f3a00ffe1").repeated(2000));
    else if (kind == "jet")
        writeBytes(path, QByteArray("\x00\x01\x00\x00Standard Jet DB\x00\x01", 21) + QByteArray(4075, '\x5a'));
    else if (kind == "sqlite") {
        sqlite3 *db = nullptr;
        sqlite3_open(QFile::encodeName(path).constData(), &db);
        sqlite3_exec(db, "create table lcsj(a); insert into lcsj values (1);", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    } else if (kind == "password")
        QVERIFY(createDatabaseFile(path, "another"));
    else if (kind == "truncated")
        writeBytes(path, fileBytes(ledger).left(100));
    else if (kind == "junk")
        writeBytes(path, fileBytes(ledger).left(100) + QByteArray(8000, '\x77'));

    DbConnection c;
    DbRecordset r;
    QVERIFY(!c.OpenJet(path, databasePassword));
    QVERIFY(!c.IsOpen());
    QVERIFY(!c.LastError().isEmpty());
    QVERIFY(!c.Execute("select * from lcsj"));
    QVERIFY(r.SetConnection(c));
    QVERIFY(!r.Open("select * from lcsj"));
    QCOMPARE(r.RecordCount(), 0);
}

void TestConnection::openAndClose()
{
    DbConnection c;
    QCOMPARE(c.LastError(), QString());
    QVERIFY(!c.Execute("select * from lcsj"));
    QVERIFY(c.OpenJet(ledger, databasePassword));
    QVERIFY(c.IsOpen());
    QCOMPARE(c.Provider(), QStringLiteral("Microsoft.Jet.OLEDB.4.0"));
    // Opening an open connection again is refused and keeps the first.
    QVERIFY(!c.OpenJet(ledger, databasePassword));
    QVERIFY(c.IsOpen());
    QVERIFY(c.Execute("insert into rysj(ry) values ('张三')"));
    QVERIFY(c.Close());
    QVERIFY(!c.IsOpen());
    QVERIFY(c.Close());
    QVERIFY(c.OpenJet(ledger, databasePassword));
    DbRecordset r;
    QVERIFY(r.SetConnection(c));
    QCOMPARE(rowsOf(r, "select * from rysj", {"ry"}), QStringList{"张三"});
}

void TestConnection::oneFileSafeToCopy()
{
    if (databaseServer())
        QSKIP("the ledger is a schema on the server, not a file");
    DbConnection c;
    QVERIFY(c.OpenJet(ledger, databasePassword));
    QVERIFY(c.Execute("insert into rysj(ry) values ('李四')"));
    QCOMPARE(QDir(folder->path("data")).entryList(QDir::Files), QStringList{"张三_lc.dat"});
    const QString copy = folder->path("data/copy.dat");
    QVERIFY(copyFileReplacing(ledger, copy));
    DbConnection other;
    DbRecordset r;
    QVERIFY(other.OpenJet(copy, databasePassword));
    QVERIFY(r.SetConnection(other));
    QCOMPARE(rowsOf(r, "select * from rysj", {"ry"}), QStringList{"李四"});
}

void TestConnection::nestedTransactions()
{
    DbConnection c;
    DbRecordset r;
    QVERIFY(c.OpenJet(ledger, databasePassword));
    QVERIFY(r.SetConnection(c));
    QCOMPARE(c.BeginTrans(), 1);
    QVERIFY(c.Execute("insert into rysj(ry) values ('外')"));
    QCOMPARE(c.BeginTrans(), 2);
    QVERIFY(c.Execute("insert into rysj(ry) values ('内')"));
    QVERIFY(c.RollbackTrans());
    QVERIFY(c.CommitTrans());
    QCOMPARE(rowsOf(r, "select * from rysj", {"ry"}), QStringList{"外"});
    // Closing with a transaction open rolls it back.
    QCOMPARE(c.BeginTrans(), 1);
    QVERIFY(c.Execute("delete from rysj"));
    QVERIFY(c.Close());
    QVERIFY(c.OpenJet(ledger, databasePassword));
    QCOMPARE(rowsOf(r, "select * from rysj", {"ry"}), QStringList{"外"});
    QVERIFY(c.Close());
    QCOMPARE(c.BeginTrans(), 0);
}

void TestConnection::compaction()
{
    if (databaseServer())
        QSKIP("the ledger is a schema on the server, not a file");
    {
        DbConnection c;
        QVERIFY(c.OpenJet(ledger, databasePassword));
        for (int i = 0; i < 300; ++i)
            QVERIFY(c.Execute(QStringLiteral("insert into lcsj(xmlx,bz) values ('生活','%1')").arg(QString(200, u'备'))));
        QVERIFY(c.Execute("delete from lcsj where id>3"));
        DbConnection other;
        // The engine compacts only a file nobody has open.
        QCOMPARE(other.CompactDatabase(ledger, databasePassword), CompactEngineError);
    }
    const qint64 before = QFileInfo(ledger).size();
    DbConnection c;
    QCOMPARE(c.CompactDatabase(ledger, QStringLiteral("wrong")), CompactEngineError);
    QCOMPARE(c.CompactDatabase(ledger), CompactEngineError);
    QCOMPARE(c.CompactDatabase(folder->path("data/none.dat"), databasePassword), CompactEngineError);
    QCOMPARE(QFileInfo(ledger).size(), before);
    QCOMPARE(c.CompactDatabase(ledger, databasePassword), CompactDone);
    QVERIFY(QFileInfo(ledger).size() < before);
    QCOMPARE(QDir(folder->path("data")).entryList(QDir::Files | QDir::Hidden), QStringList{"张三_lc.dat"});
    // The compacted file keeps its password and its rows.
    QVERIFY(c.OpenJet(ledger, databasePassword));
    DbRecordset r;
    QVERIFY(r.SetConnection(c));
    QCOMPARE(rowsOf(r, "select count(*) as n from lcsj", {"n"}), QStringList{"3"});
    QVERIFY(c.Close());

    setEngineCheck([] { return false; });
    QCOMPARE(c.CompactDatabase(ledger, databasePassword), CompactNoEngine);
    setEngineCheck([] { return true; });
}

void TestConnection::workbookStatements_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("statement");
    const QStringList fields{"xmlx", "xmmc"};
    const QString book = "[Excel 8.0;DATABASE=/home/li/a.xls]";
    QTest::newRow("export, fields") << "export" << "SELECT xmlx,xmmc INTO " + book + ".lcsj FROM lcsj where 1";
    QTest::newRow("export, all") << "export*" << "SELECT * INTO " + book + ".lcsj FROM lcsj where 1";
    QTest::newRow("import, fields") << "import"
                                    << "Insert into lcsj(xmlx,xmmc) select xmlx,xmmc from " + book
                                           + ".[表$] as ek  where not exists (select xmlx,xmmc from lcsj where x=ek.x )";
    QTest::newRow("import, all") << "import*" << "Insert into lcsj select * from " + book + ".[lcsj$] ";
    QTest::newRow("mapped with filter")
        << "mapped" << "Insert into lcsj(xmlx,xmmc) select 项目类型,项目名称 from " + book
               + ".[lcsj$] as ek  where not exists (select xmlx,xmmc from lcsj where rq=ek.日期 )";
    QTest::newRow("mapped without filter")
        << "mapped-all" << "Insert into lcsj(xmlx,xmmc) select 项目类型,项目名称 from " + book + ".[lcsj$] as ek";
    QTest::newRow("aliased") << "aliased" << "SELECT xmlx as 项目类型,xmmc as 项目名称 INTO " + book + ".lcsj FROM lcsj ";
    QTest::newRow("sorted with condition") << "sorted"
                                           << "SELECT xmlx as 项目类型,xmmc as 项目名称 INTO " + book
                                                  + ".明细 FROM lcsj where zcje>0 order by rq";
    QTest::newRow("sorted, all") << "sorted*" << "SELECT * INTO " + book + ".明细 FROM lcsj order by rq";
}

void TestConnection::workbookStatements()
{
    QFETCH(QString, operation);
    QFETCH(QString, statement);
    DbConnection c;
    QVERIFY(c.OpenJet(ledger, databasePassword));
    const QString book = "/home/li/a.xls";
    const QStringList fields{"xmlx", "xmmc"};
    const QStringList titles{"项目类型", "项目名称", "支出金额"};
    if (operation == "export")
        c.ExportTable(book, "lcsj", fields, "where 1");
    else if (operation == "export*")
        c.ExportTable(book, "lcsj", std::nullopt, "where 1");
    else if (operation == "import")
        c.ImportTable(book, "lcsj", fields, "where x=ek.x", QStringLiteral("表"));
    else if (operation == "import*")
        c.ImportTable(book, "lcsj", std::nullopt, "where x=ek.x");
    else if (operation == "mapped")
        c.ImportTableMapped(book, "lcsj", fields, "where rq=ek.日期", QStringLiteral("lcsj"), titles);
    else if (operation == "mapped-all")
        c.ImportTableMapped(book, "lcsj", fields, "", std::nullopt, titles);
    else if (operation == "aliased")
        c.ExportTableAliased(book, "lcsj", fields, titles, "", std::nullopt);
    else if (operation == "sorted")
        c.ExportTableSorted(book, "lcsj", fields, titles, "rq", QStringLiteral("明细"), "zcje>0");
    else if (operation == "sorted*")
        c.ExportTableSorted(book, "lcsj", std::nullopt, titles, "rq", QStringLiteral("明细"), "");
    QCOMPARE(c.lastStatementText(), statement);

    // A field list that is given but empty runs nothing.
    const QString before = c.lastStatementText();
    QVERIFY(!c.ExportTable(book, "lcsj", QStringList(), ""));
    QVERIFY(!c.ImportTable(book, "lcsj", QStringList(), ""));
    QVERIFY(!c.ImportTableMapped(book, "lcsj", QStringList(), "", std::nullopt, titles));
    QVERIFY(!c.ExportTableAliased(book, "lcsj", QStringList(), titles, "", std::nullopt));
    QVERIFY(!c.ExportTableSorted(book, "lcsj", QStringList(), titles, "rq", std::nullopt, ""));
    QCOMPARE(c.lastStatementText(), before);
}

void TestConnection::otherPlatformsBuildTheirTexts()
{
    DbConnection c;
    QVERIFY(!c.OpenSqlServer("srv", "sa", "pw", "ledger", 1));
    QCOMPARE(c.lastConnectionText(), QStringLiteral("Driver={sql server};server=srv\\SQLExpress;uid=sa;pwd=pw;database=ledger"));
    QVERIFY(!c.OpenSqlServer("srv", "sa", "pw", "ledger", 0));
    QCOMPARE(c.lastConnectionText(), QStringLiteral("Driver={sql server};server=srv;uid=sa;pwd=pw;database=ledger"));
    QVERIFY(!c.IsOpen());
    c.OpenExcel("/tmp/a.xls", 1);
    QCOMPARE(c.lastConnectionText(),
             QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Extended Properties=\"Excel 8.0;IMEX=1\";data source=/tmp/a.xls;"));
    c.OpenJet(ledger, databasePassword);
    QCOMPARE(c.lastConnectionText(), "provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + ledger
                                         + ";Persist Security Info=False;Jet OLEDB:Database Password=" + databasePassword + ";");
    QVERIFY(!c.SetServerPassword(std::nullopt, QStringLiteral("new")));
    QCOMPARE(c.lastStatementText(), QStringLiteral("sp_password NULL,'new','sa'"));
    QVERIFY(!c.SetServerPassword(QStringLiteral("old"), std::nullopt));
    QCOMPARE(c.lastStatementText(), QStringLiteral("sp_password 'old',NULL,'sa'"));
}

void TestConnection::connectionTextsHoldAnyPath_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("quoted"); // how the path stands in the connection text; empty: as it is
    QTest::newRow("plain") << "a b" << "";
    QTest::newRow(";") << "a;b" << "\"%1\"";
    QTest::newRow("; and a double quote") << "a;\"b" << "\"%1\"";
    QTest::newRow("a key inside") << "a;Data Source=x" << "\"%1\"";
    QTest::newRow("a trailing space") << "a.dat " << "\"%1\"";
}

void TestConnection::connectionTextsHoldAnyPath()
{
    if (databaseServer())
        QSKIP("the ledger is a schema on the server, not a file");
    QFETCH(QString, name);
    QFETCH(QString, quoted);
    const QString path = folder->path(name);
    QVERIFY(QFile::copy(ledger, path));
    DbConnection c;
    QVERIFY(c.OpenJet(path, databasePassword));
    const QString written = quoted.isEmpty() ? path : quoted.arg(QString(path).replace("\"", "\"\""));
    QCOMPARE(c.lastConnectionText(), "provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + written
                                         + ";Persist Security Info=False;Jet OLEDB:Database Password=" + databasePassword + ";");
    // The file opened is the one named: its ledger table is there.
    DbRecordset r;
    QVERIFY(r.SetConnection(c));
    QCOMPARE(rowsOf(r, "select count(*) as n from lcsj", {"n"}), QStringList{"0"});
    QVERIFY(c.Close());
    // Single quotes, doubled inside, are read as OLE DB reads them.
    QVERIFY(c.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source='" + QString(path).replace("'", "''")
                   + "';Jet OLEDB:Database Password=" + databasePassword));
    QVERIFY(c.Close());
}

void TestConnection::properties()
{
    DbConnection c;
    QCOMPARE(c.GetTimeout(true), 30.0);
    QCOMPARE(c.GetTimeout(false), 15.0);
    QVERIFY(c.SetTimeout(60, true));
    QCOMPARE(c.GetTimeout(true), 60.0);
    QVERIFY(!c.SetTimeout(-1, false));
    QVERIFY(c.SetMode(16));
    QCOMPARE(c.GetMode(), 16.0);
    QVERIFY(c.OpenJet(ledger, databasePassword));
    QVERIFY(!c.SetMode(3)); // fixed while open
    QVERIFY(c.Version().startsWith("SQLite 3."));
    // Another instance holding the same object sees the same connection.
    DbConnection other;
    other.SetObject(c.GetObject());
    QVERIFY(other.IsOpen());
    QVERIFY(other.Execute("insert into rysj(ry) values ('共')"));
}

void TestConnection::constructionFailureIsShown()
{
    QStringList shown;
    setDataAccessMessageHandler([&](const QString &text, const QString &caption) { shown << caption + text; });
    setEngineCheck([] { return false; });
    {
        DbConnection c;
        DbRecordset r;
        QVERIFY(!c.OpenJet(ledger, databasePassword));
        QVERIFY(!c.Execute("select 1"));
        QCOMPARE(c.BeginTrans(), 0);
        QVERIFY(!r.SetConnection(c));
        QVERIFY(!r.Open("select 1"));
    }
    setEngineCheck([] { return true; });
    setDataAccessMessageHandler({});
    QCOMPARE(shown, (QStringList{"信息：创建 ADODB.Connection 对象失败！", "信息：创建 ADODB.RecordSet 对象失败！"}));
}

namespace {
QStringList logged;
void keepLogged(QtMsgType, const QMessageLogContext &context, const QString &text)
{
    logged.append(QString::fromLatin1(context.category) + u' ' + text);
}
} // namespace

void TestConnection::failuresAreLoggedWithTheirReason()
{
    // A person sees the program's fixed message; the log keeps the statement and the engine's
    // reason, with the texts of a statement that touches a password masked.
    logged.clear();
    const QtMessageHandler previous = qInstallMessageHandler(keepLogged);
    DbConnection c;
    QVERIFY(!c.OpenJet(folder->path("data/missing.dat"), "dbsecret"));
    QVERIFY(c.OpenJet(ledger, databasePassword));
    QVERIFY(c.Execute("insert into lcsj (xmlx) values ('生活')"));
    QVERIFY(!c.Execute("insert into nosuchtable (xmlx) values ('生活')"));
    QVERIFY(!c.Execute("update yhsj set yhmm='topsecret' where yhmc='张三' and nosuchcolumn=1"));
    DbRecordset r;
    QVERIFY(r.SetConnection(c));
    QVERIFY(!r.Open("select nosuchcolumn from lcsj"));
    qInstallMessageHandler(previous);
    QCOMPARE(logged.size(), 4);
    QVERIFY2(logged[0].startsWith("kelm.data cannot open") && logged[0].contains("missing.dat") && !logged[0].contains("dbsecret"),
             qPrintable(logged[0]));
    QVERIFY2(logged[1].contains("insert into nosuchtable") && (logged[1].contains("no such table") || logged[1].contains("does not exist")), qPrintable(logged[1]));
    QVERIFY2(logged[2].startsWith("kelm.data statement failed: update yhsj set yhmm='***'") && !logged[2].contains("topsecret"),
             qPrintable(logged[2]));
    QVERIFY2(logged[3].startsWith("kelm.data query failed: select nosuchcolumn from lcsj") && logged[3].contains("nosuchcolumn"),
             qPrintable(logged[3]));
}

void TestConnection::programConnectionsMayStayOpenAtExit()
{
    if (databaseServer())
        QSKIP("the ledger is a schema on the server, not a file");
    // The program's own connections are globals; one still open when the process ends closes
    // after the rest of the data layer is gone, and must not bring the exit down.
    const QString kept = QDir::temp().filePath("kelm-open-at-exit.dat");
    QFile::remove(kept);
    QVERIFY(QFile::copy(ledger, kept));
    QVERIFY(userConnection.OpenJet(kept, databasePassword));
    QVERIFY(userRecordset.SetConnection(userConnection));
    QVERIFY(userRecordset.Open("select * from lcsj"));
    // The open file's name goes with the application; the connection keeps the file itself.
    qAddPostRoutine([] { QFile::remove(QDir::temp().filePath("kelm-open-at-exit.dat")); });
}

void TestConnection::twoConnectionsSaveAtOnce()
{
    // Two computers saving entries to one ledger at the same moment: both succeed, and each
    // finds every record of the other.
    constexpr int batches = 20, perBatch = 10;
    DbConnection first, second;
    QVERIFY(first.OpenJet(ledger, databasePassword));
    QVERIFY(second.OpenJet(ledger, databasePassword));
    const auto save = [](DbConnection *c, QString who, bool *ok) {
        *ok = true;
        for (int b = 0; b < batches && *ok; ++b) {
            *ok = c->BeginTrans() == 1;
            for (int i = 0; i < perBatch && *ok; ++i)
                *ok = c->Execute(QStringLiteral("insert into lcsj(xmlx,xmmc,zcje,ry,rq) values ('生活','%1',%2,'%1',#2024-03-%3#)")
                                     .arg(who).arg(b * perBatch + i + 0.25).arg(i + 1));
            *ok = *ok && c->CommitTrans();
        }
    };
    bool firstOk = false, secondOk = false;
    QThread *a = QThread::create(save, &first, QStringLiteral("张三"), &firstOk);
    QThread *b = QThread::create(save, &second, QStringLiteral("李四"), &secondOk);
    a->start();
    b->start();
    QVERIFY(a->wait(120000) && b->wait(120000));
    delete a;
    delete b;
    QVERIFY(firstOk);
    QVERIFY(secondOk);
    DbRecordset r;
    QVERIFY(r.SetConnection(first));
    const double each = batches * perBatch * 0.25 + (batches * perBatch - 1) * batches * perBatch / 2.0;
    QCOMPARE(rowsOf(r, "select ry, count(*) as n, sum(zcje) as total from lcsj group by ry order by ry", {"ry", "n", "total"}),
             QStringList({QStringLiteral("李四|200|%1").arg(each), QStringLiteral("张三|200|%1").arg(each)}));
}

QTEST_GUILESS_MAIN(TestConnection)
#include "tst_connection.moc"
