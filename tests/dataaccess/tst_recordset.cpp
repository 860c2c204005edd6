#include "common/sqltext.h"
#include "ledgerfixture.h"

#include "dataaccess/pg/serverstore.h"

#include <QFile>

class TestRecordset : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void readingPattern();
    void getters_data();
    void getters();
    void failedOpenReadsNothing();
    void navigation();
    void findAndFilter_data();
    void findAndFilter();
    void editingRows();
    void fieldInformation();
    void saving();
    void countRows();
    void textsKeepEveryCharacter();
    void rowByRow_data();
    void rowByRow();

private:
    LedgerFolder *folder = nullptr;
    DbConnection connection;
    DbRecordset recordset;
};

void TestRecordset::init()
{
    folder = new LedgerFolder;
    QVERIFY(folder->openLedger("王五", connection, recordset));
    const QStringList rows = {
        "'生活','早餐',2.90,0,'张三','2012-11-01','豆浆'",
        "'生活','午餐',-2.90,0,'李四','2012-11-02',null",
        "'工资','月薪',0,5000,'张三','2012-11-03','十一月'",
        "'交通','Taxi',35,0,'李四','2012-11-04',''",
    };
    for (const QString &r : rows)
        QVERIFY(connection.Execute("insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq,bz) values (" + r + ")"));
}

void TestRecordset::cleanup()
{
    recordset.Close();
    connection.Close();
    delete folder;
}

void TestRecordset::readingPattern()
{
    QVERIFY(recordset.Open("select * from lcsj order by rq"));
    const qint64 n = recordset.RecordCount();
    QCOMPARE(n, 4);
    QStringList names;
    for (qint64 i = 0; i < n; ++i) {
        names << recordset.GetText("XMMC"); // names without regard to case
        recordset.MoveNext();
    }
    QCOMPARE(names, (QStringList{"早餐", "午餐", "月薪", "Taxi"}));
    QVERIFY(recordset.Eof());
    QCOMPARE(recordset.GetText("xmmc"), QString());
}

void TestRecordset::getters_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("number");
    QTest::addColumn<qint64>("integer");
    QTest::newRow("amount") << 1 << "zcje" << "2.9" << 2.9 << qint64(2);
    QTest::newRow("negative amount truncates toward zero") << 2 << "zcje" << "-2.9" << -2.9 << qint64(-2);
    QTest::newRow("Null remark") << 2 << "bz" << "" << 0.0 << qint64(0);
    QTest::newRow("text that is no number") << 1 << "bz" << "豆浆" << 0.0 << qint64(0);
    QTest::newRow("missing column") << 1 << "nosuch" << "" << 0.0 << qint64(0);
    QTest::newRow("date as a serial") << 1 << "rq" << "2012-11-01" << 41214.0 << qint64(41214);
    QTest::newRow("counter") << 3 << "id" << "3" << 3.0 << qint64(3);
}

void TestRecordset::getters()
{
    QFETCH(int, id);
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(double, number);
    QFETCH(qint64, integer);
    QVERIFY(recordset.Open("select * from lcsj where id=" + QString::number(id)));
    QCOMPARE(recordset.GetText(field), text);
    QCOMPARE(recordset.GetNumber(field), number);
    QCOMPARE(recordset.GetInteger(field), integer);
    QCOMPARE(recordset.GetFloat(field), float(number));
}

void TestRecordset::failedOpenReadsNothing()
{
    QVERIFY(recordset.Open("select * from lcsj"));
    QCOMPARE(recordset.RecordCount(), 4);
    QVERIFY(!recordset.Open("select * form lcsj"));
    QCOMPARE(recordset.RecordCount(), 0);
    QVERIFY(!recordset.IsOpen());
    QCOMPARE(recordset.GetDateTime("rq"), DbRecordset::earliestDateTime());
    QCOMPARE(recordset.GetDateTime("rq"), QDateTime(QDate(100, 1, 1), QTime(0, 0)));
    QVERIFY(!recordset.GetBool("id"));
    QVERIFY(recordset.GetBytes("bz").isEmpty());
    QVERIFY(!recordset.MoveNext());
}

void TestRecordset::navigation()
{
    QVERIFY(recordset.Open("select * from lcsj order by id"));
    QVERIFY(!recordset.Bof());
    QCOMPARE(recordset.AbsolutePosition(), 1.0);
    QVERIFY(recordset.MoveLast());
    QCOMPARE(recordset.GetInteger("id"), 4);
    QVERIFY(recordset.MoveNext());
    QVERIFY(recordset.Eof());
    QCOMPARE(recordset.AbsolutePosition(), -3.0);
    QVERIFY(!recordset.MoveNext()); // past the end: refused, nothing changes
    QVERIFY(recordset.Move(-2));
    QCOMPARE(recordset.GetInteger("id"), 3);
    QVERIFY(recordset.Move(-10));
    QVERIFY(recordset.Bof());
    QVERIFY(!recordset.MovePrevious());
    QVERIFY(recordset.MoveFirst());
    QCOMPARE(recordset.GetInteger("id"), 1);
    QCOMPARE(recordset.GetDateTime("rq"), QDateTime(QDate(2012, 11, 1), QTime(0, 0)));

    QVERIFY(recordset.Open("select * from lcsj where id>100"));
    QVERIFY(recordset.Bof() && recordset.Eof());
    QCOMPARE(recordset.RecordCount(), 0);
}

void TestRecordset::findAndFilter_data()
{
    QTest::addColumn<QString>("criteria");
    QTest::addColumn<int>("direction");
    QTest::addColumn<QList<qint64>>("found"); // ids found by Find, then FindNext until it fails
    QTest::addColumn<qint64>("filtered");
    QTest::newRow("text") << "ry = '李四'" << 1 << QList<qint64>{2, 4} << qint64(2);
    QTest::newRow("text, backward from the first row") << "ry='张三'" << -1 << QList<qint64>{1} << qint64(2);
    QTest::newRow("number") << "zcje > 2" << 1 << QList<qint64>{1, 4} << qint64(2);
    QTest::newRow("date") << "rq >= #2012-11-03#" << 1 << QList<qint64>{3, 4} << qint64(2);
    QTest::newRow("like") << "xmmc like 'ta*'" << 1 << QList<qint64>{4} << qint64(1);
    QTest::newRow("direction 0") << "ry = '张三'" << 0 << QList<qint64>{} << qint64(2);
    QTest::newRow("and, or") << "ry = '张三' and zcje > 1 or xmlx = '交通'" << 1 << QList<qint64>{} << qint64(2);
}

void TestRecordset::findAndFilter()
{
    QFETCH(QString, criteria);
    QFETCH(int, direction);
    QFETCH(QList<qint64>, found);
    QFETCH(qint64, filtered);
    QVERIFY(recordset.Open("select * from lcsj order by id"));
    if (!criteria.contains(" and ")) {
        QList<qint64> ids;
        for (bool hit = recordset.Find(criteria, direction); hit; hit = recordset.FindNext())
            ids << recordset.GetInteger("id");
        QCOMPARE(ids, found);
    }
    QVERIFY(recordset.SetFilter(criteria));
    QCOMPARE(recordset.RecordCount(), filtered);
    QVERIFY(recordset.SetFilter(""));
    QCOMPARE(recordset.RecordCount(), 4);
    QVERIFY(!recordset.SetFilter("nosuch = 1"));
}

void TestRecordset::editingRows()
{
    QVERIFY(recordset.Open("select * from lcsj order by id"));
    QVERIFY(recordset.AddNew());
    QVERIFY(recordset.SetText("xmlx", "医疗"));
    QVERIFY(recordset.SetNumber("zcje", 88.5));
    QVERIFY(recordset.SetDateTime("rq", QDateTime(QDate(2012, 12, 1), QTime(0, 0))));
    QVERIFY(!recordset.SetInteger("id", 99)); // the counter is the database's
    QVERIFY(recordset.Update());
    QCOMPARE(recordset.RecordCount(), 5);
    QCOMPARE(recordset.Status(), 1.0);
    QVERIFY(recordset.MoveFirst());
    QVERIFY(recordset.SetText("bz", "改过"));
    QVERIFY(recordset.MoveNext()); // moving on saves the edit
    QVERIFY(recordset.Delete(1));
    QCOMPARE(recordset.Status(), 4.0);
    QCOMPARE(recordset.RecordCount(), 4);

    DbRecordset check;
    QVERIFY(check.SetConnection(connection));
    QCOMPARE(rowsOf(check, "select * from lcsj order by id", {"id", "bz", "rq"}),
             (QStringList{"1|改过|2012-11-01", "3|十一月|2012-11-03", "4||2012-11-04", "5||2012-12-01"}));
    // A text too long for its column is refused by the engine and nothing changes.
    QVERIFY(recordset.MoveFirst());
    QVERIFY(recordset.SetText("ry", QString(21, u'人')));
    QVERIFY(!recordset.Update());
    QCOMPARE(rowsOf(check, "select ry from lcsj where id=1", {"ry"}), QStringList{"张三"});
    // A computed result cannot be edited.
    QVERIFY(recordset.Open("select count(*) as n from lcsj"));
    QVERIFY(!recordset.SetText("n", "1"));
    QVERIFY(!recordset.AddNew());
    QVERIFY(!recordset.Delete(1));
}

void TestRecordset::fieldInformation()
{
    QVERIFY(recordset.Open("select id, xmlx, zcje, rq, bz, srje * 2 as s from lcsj where id=1"));
    QCOMPARE(recordset.FieldCount(), 6);
    QCOMPARE(recordset.FieldName(1), QStringLiteral("xmlx"));
    QCOMPARE(recordset.FieldName(9), QString());
    QCOMPARE(recordset.FieldType("id"), 3.0);
    QCOMPARE(recordset.FieldType("xmlx"), 202.0);
    QCOMPARE(recordset.FieldType("zcje"), 5.0);
    QCOMPARE(recordset.FieldType("rq"), 7.0);
    QCOMPARE(recordset.FieldType("bz"), 203.0);
    QCOMPARE(recordset.FieldDefinedSize("xmlx"), 30.0);
    QCOMPARE(recordset.FieldActualSize("xmlx"), 4.0);
    QVERIFY(!recordset.FieldMissing("xmlx"));
    QVERIFY(recordset.FieldMissing("nosuch"));
    QVERIFY(recordset.FieldMissing(6));
    QVERIFY(int(recordset.FieldAttributes("xmlx")) & 0x4);
}

void TestRecordset::saving()
{
    QVERIFY(recordset.Open("select xmlx, zcje, rq from lcsj order by id"));
    const QString xml = folder->path("rows.xml");
    QVERIFY(recordset.SaveXml(xml));
    QVERIFY(!recordset.SaveXml(xml)); // never over an existing file
    QFile f(xml);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    QVERIFY(text.contains("<z:row xmlx=\"交通\" zcje=\"35\" rq=\"2012-11-04T00:00:00\"/>"));
    QVERIFY(text.contains("rq=\"2012-11-01T00:00:00\""));
    QVERIFY(recordset.SaveBinary(folder->path("rows.bin")));
    QVERIFY(QFileInfo(folder->path("rows.bin")).size() > 0);
}

void TestRecordset::countRows()
{
    QCOMPARE(recordset.CountRows("nosuch"), -1);
    QVERIFY(!recordset.Requery());
    QCOMPARE(recordset.CountRows("lcsj"), 4);
    QVERIFY(recordset.Requery());
    QCOMPARE(recordset.GetText(0), QStringLiteral("4"));
    QVERIFY(connection.Execute("delete from lcsj where id=1"));
    QVERIFY(recordset.Requery());
    QCOMPARE(recordset.GetText(0), QStringLiteral("3"));
    auto own = recordset.GetConnection();
    QVERIFY(own->IsOpen());
}

// Texts go in and come back as typed: quotes, Chinese, a character outside the basic plane and
// even a NUL inside. The server keeps no NUL: there the record is refused, never saved cut short.
void TestRecordset::textsKeepEveryCharacter()
{
    const QString remark = QStringLiteral("Tom's 早餐 \U0001F600 a") + QChar(u'\0') + QStringLiteral("b");
    const QString insert = "insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq,bz) values ('生活','早餐',1,0,'张三','2012-11-05',%1)";
    if (databaseServer()) {
        QVERIFY(!connection.Execute(insert.arg(quoteText(remark))));
        QVERIFY(recordset.Open("select count(*) from lcsj where rq=#2012-11-05#"));
        QCOMPARE(recordset.GetText(0), QStringLiteral("0"));
        const QString kept = QStringLiteral("Tom's 早餐 \U0001F600 ab");
        QVERIFY(connection.Execute(insert.arg(quoteText(kept))));
        QVERIFY(recordset.Open("select bz from lcsj where rq=#2012-11-05#"));
        QCOMPARE(recordset.GetText("bz"), kept);
        return;
    }
    QVERIFY(connection.Execute(insert.arg(quoteText(remark))));
    QVERIFY(recordset.Open("select bz from lcsj where rq=#2012-11-05#"));
    QCOMPARE(recordset.GetText("bz"), remark);
    QCOMPARE(recordset.GetText("bz").size(), remark.size());
}

void TestRecordset::rowByRow_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<bool>("runs");
    QTest::addColumn<QStringList>("rows"); // name|expense|remark as text|remark's bytes are text
    QTest::newRow("every row in order") << "select * from lcsj order by rq" << true
                                        << QStringList{"早餐|2.9|豆浆|1", "午餐|-2.9||0", "月薪|0|十一月|1", "Taxi|35||1"};
    QTest::newRow("no rows") << "select * from lcsj where rq>#2013-01-01#" << true << QStringList{};
    QTest::newRow("a failing query") << "select * form lcsj" << false << QStringList{};
}

void TestRecordset::rowByRow()
{
    // Read one row at a time, each row reads as the held result reads it; none is left held.
    QFETCH(QString, query);
    QFETCH(bool, runs);
    QFETCH(QStringList, rows);
    QVERIFY(recordset.Open("select * from lcsj"));
    QStringList read;
    QCOMPARE(recordset.OpenEach(query, [&] {
        QByteArrayView bytes;
        const bool isText = recordset.GetTextBytes("bz", &bytes);
        QCOMPARE(isText ? QString::fromUtf8(bytes) : QString(), recordset.GetText("bz"));
        read << recordset.GetText("XMMC") + '|' + QString::number(recordset.GetNumber("zcje")) + '|'
                    + recordset.GetText("bz") + '|' + QString::number(isText);
    }),
             runs);
    QCOMPARE(read, rows);
    QVERIFY(!recordset.IsOpen());
    QCOMPARE(recordset.RecordCount(), 0);
    QCOMPARE(recordset.GetText("xmmc"), QString());
}

QTEST_GUILESS_MAIN(TestRecordset)
#include "tst_recordset.moc"
