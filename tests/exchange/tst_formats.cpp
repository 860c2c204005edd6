// The ledger exchanged in every kind of file: round trips that give back the same records, a
// second import that adds nothing, a stop during export or import that leaves the file or the
// ledger as it was, and bad files that fail the import without touching the ledger.
#include "dataaccess/ledgerfixture.h"

#include "common/clock.h"
#include "common/gbk.h"
#include "dataaccess/instances.h"
#include "dataaccess/xls/sheetfile.h"
#include "exchange/excelexchange.h"
#include "support/filebytes.h"
#include "support/scriptedprompter.h"
#include "users/administration.h"
#include "users/userdirectory.h"

#include <QDir>

namespace {

// Answers "stop" at the progress step stopAt (from 1); counts the steps.
class StoppingPrompter : public ScriptedPrompter
{
public:
    int stopAt = 0;
    int steps = 0;
    bool stepProgress(qint64) override { return stopAt == 0 || ++steps < stopAt; }
};

const QStringList columns{"xmlx", "xmmc", "zcje", "srje", "ry", "rq", "bz"};

} // namespace

class TestFormats : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void roundTrip_data();
    void roundTrip();
    void stoppedExport_data();
    void stoppedExport();
    void stoppedImport_data();
    void stoppedImport();
    void badFiles_data();
    void badFiles();
    void chosenPath_data();
    void chosenPath();

private:
    void addRecords(int count);
    QStringList ledger();
    bool exportTo(const QString &path, int filter);
    QTemporaryDir *dir = nullptr;
    Session session;
    StoppingPrompter prompter;
};

void TestFormats::init()
{
    dir = new QTemporaryDir;
    QDir(dir->path()).mkdir("data");
    setProgramDirectory(dir->path());
    Clock::setFixed(QDateTime(QDate(2024, 1, 5), QTime(9, 30)));
    prompter = StoppingPrompter();
    QStringList users;
    QCOMPARE(openUserDirectory(directoryConnection, directoryRecordset, prompter, users), DirectoryOpen::Opened);
    QCOMPARE(registerUser(directoryConnection, directoryRecordset, userConnection, userRecordset, "张三", "secret", "secret", prompter), AdminOutcome::Done);
    session = Session();
    QCOMPARE(logIn(userConnection, userRecordset, session, "张三", "secret", prompter), LoginOutcome::LoggedIn);
    prompter = StoppingPrompter();
}

void TestFormats::cleanup()
{
    for (DbRecordset *r : {&userRecordset, &auxRecordset, &directoryRecordset})
        r->Close();
    for (DbConnection *c : {&userConnection, &auxConnection, &directoryConnection})
        c->Close();
    Clock::useSystemTime();
    delete dir;
}

// Records that trouble the kinds of file (separators, quotes, line breaks, texts beyond GBK, an
// empty and a missing remark, two equal records), then plain ones up to count.
void TestFormats::addRecords(int count)
{
    QVERIFY(userConnection.BeginTrans());
    const QStringList tricky{"'生活','早餐,豆浆',12.5,0,'张三','2012-11-05','说\"好\"'",
                             "'工资','月薪',0,8000.01,'李四','2012-11-10',''",
                             "'工资','月薪',0,8000.01,'李四','2012-11-10',''",
                             "'生活','两行',0.1,0,'张三','2013-01-01','第一行\r\n第二行'",
                             "'其他','😀 ₩',9999999999999.99,0,'王五','2020-02-29',null",
                             "'其他','退款',0,-3.25,'王五','1999-12-31 08:30:00','  留空  '"};
    for (int i = 0; i < count; ++i)
        QVERIFY(userConnection.Execute("insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq,bz) values ("
                                       + (i < tricky.size() ? tricky[i]
                                                            : QStringLiteral("'生活','餐%1',%2,0,'张三','%3','备注'")
                                                                  .arg(i)
                                                                  .arg(i % 997 + 0.25)
                                                                  .arg(QDate(1996, 1, 1).addDays(i % 10950).toString(Qt::ISODate)))
                                       + ")"));
    QVERIFY(userConnection.CommitTrans());
}

QStringList TestFormats::ledger()
{
    QStringList rows = rowsOf(userRecordset, "select * from lcsj", columns);
    rows.sort();
    return rows;
}

bool TestFormats::exportTo(const QString &path, int filter)
{
    prompter.files = {path};
    prompter.filterChoice = filter;
    prompter.messages.clear();
    exportLedger(userConnection, userRecordset, prompter);
    return prompter.messages == QStringList{"导出数据成功！"};
}

void TestFormats::roundTrip_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("filter");
    QTest::addColumn<int>("records");
    QTest::addColumn<QByteArray>("start");
    // Beyond one sheet's 65,535 rows the .xls export goes on over lcsj2.
    QTest::newRow("xls, two sheets") << "a.xls" << 0 << 65600 << QByteArray("\xD0\xCF\x11\xE0");
    QTest::newRow("xlsx") << "a.xlsx" << 1 << 300 << QByteArray("PK");
    QTest::newRow("CSV UTF-8") << "a.csv" << 2 << 300 << QByteArray("\xEF\xBB\xBF项目类型,项目名称");
    QTest::newRow("CSV GBK") << "a.csv" << 3 << 300 << toGbk("项目类型,项目名称");
}

void TestFormats::roundTrip()
{
    QFETCH(QString, name);
    QFETCH(int, filter);
    QFETCH(int, records);
    QFETCH(QByteArray, start);
    addRecords(records);
    const QStringList before = ledger();
    const QString path = dir->filePath(name);
    QVERIFY(exportTo(path, filter));
    QVERIFY(fileBytes(path).startsWith(start));
    if (records > 65535)
        QCOMPARE(xlsSheetNames(path), QStringList({"lcsj", "lcsj2"}));
    QVERIFY(userConnection.Execute("delete from lcsj"));
    for (const QString &added : {QString::number(records), QStringLiteral("0")}) {
        prompter.answers = {true, true};
        prompter.files = {path};
        importLedger(userConnection, userRecordset, prompter, {});
        QCOMPARE(prompter.messages.last(), "导入理财数据成功！共 " + added + " 个记录");
        QCOMPARE(ledger(), before);
    }
    // A .xlsx or CSV file there already is replaced only after a question.
    if (filter > 0) {
        prompter.answers = {false};
        QVERIFY(!exportTo(path, filter));
        QCOMPARE(prompter.questions.last(), "a." + QFileInfo(path).suffix() + " 已存在，是否替换？");
        prompter.answers = {true};
        QVERIFY(exportTo(path, filter));
    }
}

void TestFormats::stoppedExport_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("filter");
    QTest::addColumn<bool>("exists");
    for (const auto &[name, filter] : {std::pair{"a.xls", 0}, {"a.xlsx", 1}, {"a.csv", 2}, {"a.csv", 3}}) {
        QTest::addRow("%s (%d), new", name, filter) << name << filter << false;
        QTest::addRow("%s (%d), there", name, filter) << name << filter << true;
    }
}

void TestFormats::stoppedExport()
{
    QFETCH(QString, name);
    QFETCH(int, filter);
    QFETCH(bool, exists);
    addRecords(1600);
    const QString path = dir->filePath(name);
    if (exists) {
        if (filter == 0) // a workbook of another sheet
            QVERIFY(writeXlsSheet(path, "old", {{"x", XlsColumnType::Text}}, {}));
        else
            QVERIFY(writeFileBytes(path, "old"));
    }
    const QByteArray before = fileBytes(path);
    prompter.answers = {true};
    prompter.stopAt = 2;
    QVERIFY(!exportTo(path, filter));
    QCOMPARE(prompter.steps, 2);
    QCOMPARE(prompter.messages, QStringList{}); // the person asked to stop: no failure to tell
    QCOMPARE(QFile::exists(path), exists);
    QCOMPARE(fileBytes(path), before);
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden), exists ? QStringList{name} : QStringList{});
}

void TestFormats::stoppedImport_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("stopAt");
    for (const char *name : {"a.xls", "a.xlsx", "a.csv"}) {
        QTest::addRow("%s, while reading", name) << name << 2;
        // the fourth report comes from the statement that adds the rows
        QTest::addRow("%s, while adding", name) << name << 4;
    }
}

void TestFormats::stoppedImport()
{
    QFETCH(QString, name);
    QFETCH(int, stopAt);
    addRecords(1600);
    const QString path = dir->filePath(name);
    QVERIFY(exportTo(path, name.endsWith(".xls") ? 0 : name.endsWith(".xlsx") ? 1 : 2));
    QVERIFY(userConnection.Execute("delete from lcsj where id > 100"));
    const QStringList before = ledger();
    prompter.answers = {true, true};
    prompter.files = {path};
    prompter.messages.clear();
    prompter.stopAt = stopAt;
    importLedger(userConnection, userRecordset, prompter, [] { QFAIL("the view is refreshed after a stopped import"); });
    QCOMPARE(prompter.steps, stopAt);
    QCOMPARE(prompter.messages, QStringList{});
    QCOMPARE(ledger(), before);
    // The ledger takes the next import as usual.
    prompter.stopAt = 0;
    prompter.answers = {true, true};
    prompter.files = {path};
    importLedger(userConnection, userRecordset, prompter, {});
    QCOMPARE(prompter.messages, QStringList{"导入理财数据成功！共 1500 个记录"});
}

void TestFormats::badFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray header = "项目类型,项目名称,支出金额,收入金额,人员,日期,备注\r\n";
    QTest::newRow("empty CSV") << "b.csv" << QByteArray();
    QTest::newRow("empty xlsx") << "b.xlsx" << QByteArray();
    QTest::newRow("damaged xls") << "b.xls" << QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1 damaged");
    QTest::newRow("xlsx that is no zip") << "b.xlsx" << header;
    QTest::newRow("a zip that is no workbook")
        << "b.xlsx"
        << QByteArray::fromHex("504b030414000000000000002150ac2a93d8020000000200000005000000612e7478746869504b0102140314000000000000"
                               "002150ac2a93d80200000002000000050000000000000000000000800100000000612e747874504b0506000000000100010033000000250000000000");
    QTest::newRow("CSV without our columns") << "b.csv" << QByteArray("日期,金额\r\n2024-01-01,3\r\n");
    QTest::newRow("CSV whose amount is no number") << "b.csv" << header + "生活,早餐,十二,0,张三,2024-01-01,\r\n";
    QTest::newRow("CSV whose date is no date") << "b.csv" << header + "生活,早餐,12,0,张三,昨天,\r\n";
    QTest::newRow("CSV wrongly encoded") << "b.csv" << header + "生活,早\x81\x20,12,0,张三,2024-01-01,\r\n";
    QTest::newRow("CSV with an open quote") << "b.csv" << header + "生活,\"早餐,12,0,张三,2024-01-01,\r\n";
}

void TestFormats::badFiles()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    addRecords(10);
    const QStringList before = ledger();
    const QString path = dir->filePath(name);
    QVERIFY(writeFileBytes(path, bytes));
    prompter.answers = {true, true};
    prompter.files = {path};
    importLedger(userConnection, userRecordset, prompter, [] { QFAIL("the view is refreshed after a failed import"); });
    QCOMPARE(prompter.messages, QStringList{"导入理财数据失败！"});
    QCOMPARE(ledger(), before);
}

void TestFormats::chosenPath_data()
{
    QTest::addColumn<QString>("picked");
    QTest::addColumn<int>("filter");
    QTest::addColumn<QString>("path");
    QTest::newRow("xls by its filter") << "/d/a.xls" << 0 << "/d/a.xls";
    QTest::newRow("another extension, xls filter") << "/d/a.2024" << 0 << "/d/a.2024";
    QTest::newRow("another extension, xlsx filter") << "/d/a.2024" << 1 << "/d/a.2024.xlsx";
    QTest::newRow("another extension, GBK filter") << "/d/a.2024" << 3 << "/d/a.2024.csv";
    QTest::newRow("the extension wins") << "/d/a.csv" << 1 << "/d/a.csv";
    QTest::newRow("xls in the CSV filter") << "/d/a.XLS" << 2 << "/d/a.XLS";
    QTest::newRow("filter unknown") << "/d/a.2024" << -1 << "/d/a.2024";
    QTest::newRow("cancelled") << "" << 1 << "";
}

void TestFormats::chosenPath()
{
    QFETCH(QString, picked);
    QFETCH(int, filter);
    QFETCH(QString, path);
    QCOMPARE(chosenExchangePath(picked, filter), path);
}

QTEST_GUILESS_MAIN(TestFormats)
#include "tst_formats.moc"
