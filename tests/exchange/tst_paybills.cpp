// Alipay and WeChat Pay bills: reading each kind and generation, the records they become, and
// saving them into a real ledger.
#include "sessionfixture.h"

#include "dataaccess/instances.h"
#include "dataaccess/xls/xlsxfile.h"
#include "exchange/paybills.h"
#include "support/scriptedprompter.h"
#include "testpaths.h"

#include <QFile>
#include <QStringEncoder>

namespace {

const QString billDir = QStringLiteral(KELM_TEST_DATA_DIR "/exchange/bills/");

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A row as the tests compare it: "支出 18.00", "收入 50.00", "退款 12.00" or the reason it moves no money.
QString summary(const BillRow &r)
{
    if (!r.noMoney.isEmpty())
        return r.noMoney;
    return (r.refund ? QStringLiteral("退款 ") : r.income ? QStringLiteral("收入 ") : QStringLiteral("支出 "))
        + QString::number(r.amount, 'f', 2);
}

// The WeChat CSV bill as the .xlsx bill lays out the same cells.
QString wechatWorkbook(const QString &dir)
{
    QList<QList<XlsValue>> rows;
    QString error;
    if (!readCsvRows(billDir + "wechat.csv", [&](QList<XlsValue> &row) { rows.append(row); return true; }, &error))
        return {};
    QList<XlsColumn> columns;
    for (const XlsValue &v : rows.takeFirst())
        columns.append({v.text});
    while (columns.size() < 11)
        columns.append({QString()});
    qsizetype next = 0;
    const QString path = dir + "/wechat.xlsx";
    const bool written = writeXlsxFile(path, "Sheet1", columns, [&](QList<XlsValue> &row) {
        if (next == rows.size())
                return RowPull::End;
        row = rows[next++];
        while (row.size() < columns.size())
            row.append(XlsValue());
        return RowPull::Row;
    });
    return written ? path : QString();
}

} // namespace

class TestPayBills : public QObject
{
    Q_OBJECT
private slots:
    void init() { dir = new QTemporaryDir; }
    void cleanup()
    {
        closeFixtureSession();
        delete dir;
    }
    void readsEachKind_data();
    void readsEachKind();
    void records_data();
    void records();
    void refusesBadFiles_data();
    void refusesBadFiles();
    void savesOnceAndRemembersChoices();

private:
    QTemporaryDir *dir = nullptr;
};

void TestPayBills::readsEachKind_data()
{
    QTest::addColumn<QString>("file"); // a fixture, or how the test makes one
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("rows");
    const QStringList older{"支出 18.00", "交易关闭", "本人账户间转账", "收入 50.00"};
    const QStringList newer{"支出 58.80", "支出 70.00", "退款 12.00", "本人账户间转账", "交易关闭"};
    const QStringList wechat{"收入 200.00", "支出 8.50", "支出 37.00", "退款 37.00", "本人账户间转账", "本人账户间转账"};
    QTest::newRow("older Alipay, GB18030") << "alipay-older.csv" << int(BillKind::AlipayOlder) << older;
    QTest::newRow("newer Alipay, GB18030") << "alipay-newer.csv" << int(BillKind::AlipayNewer) << newer;
    QTest::newRow("newer Alipay, UTF-8") << "utf8:alipay-newer.csv" << int(BillKind::AlipayNewer) << newer;
    QTest::newRow("WeChat CSV, UTF-8 with BOM") << "wechat.csv" << int(BillKind::WeChat) << wechat;
    QTest::newRow("WeChat CSV, GB18030") << "gb18030:wechat.csv" << int(BillKind::WeChat) << wechat;
    QTest::newRow("WeChat xlsx") << "xlsx" << int(BillKind::WeChat) << wechat;
}

void TestPayBills::readsEachKind()
{
    QFETCH(QString, file);
    QFETCH(int, kind);
    QFETCH(QStringList, rows);
    QString path = billDir + file;
    if (file == "xlsx") {
        path = wechatWorkbook(dir->path());
        QVERIFY(!path.isEmpty());
    } else if (file.contains(':')) {
        const QString fixture = file.section(':', 1);
        QStringDecoder decoder(fixture.startsWith("alipay") ? "GB18030" : "UTF-8");
        const QString text = QString(decoder.decode(bytesOf(billDir + fixture))).remove(QChar(0xfeff));
        QStringEncoder encoder(file.startsWith("gb") ? "GB18030" : "UTF-8");
        path = dir->path() + "/" + file.section(':', 1);
        writeBytes(path, encoder.encode(text));
    }
    PayBill bill;
    QString error;
    QVERIFY2(readPayBill(path, &bill, &error), qPrintable(error));
    QCOMPARE(int(bill.kind), kind);
    QStringList read;
    for (const BillRow &r : bill.rows)
        read.append(summary(r));
    QCOMPARE(read, rows);
}

void TestPayBills::records_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("record"); // type, name, expense, income, day, remark, imported
    QTest::newRow("newer Alipay: category, counterparty, goods with a comma, trade number")
        << "alipay-newer.csv" << 0
        << QStringList{"餐饮美食", "好味道餐厅", "58.80", "0.00", "2023-05-02", "午餐, 两份 交易号：2023050222001400000011", "1"};
    QTest::newRow("newer Alipay: a refund is income")
        << "alipay-newer.csv" << 2
        << QStringList{"日用百货", "超市发", "0.00", "12.00", "2023-05-04", "退款-洗衣液 交易号：2023050322001400000012_R1", "1"};
    QTest::newRow("newer Alipay: a savings transfer is listed only")
        << "alipay-newer.csv" << 3
        << QStringList{"投资理财", "余额宝", "1000.00", "0.00", "2023-05-05", "余额宝-转入 交易号：2023050522001400000013", "0"};
    QTest::newRow("older Alipay: the default type, the payment day, the note")
        << "alipay-older.csv" << 3
        << QStringList{"支付宝", "李四", "0.00", "50.00", "2019-03-25", "还饭钱 谢谢 交易号：2019032522001100000004", "1"};
    QTest::newRow("WeChat: the remembered choice of a counterparty")
        << "wechat.csv" << 1
        << QStringList{"餐饮", "早点", "8.50", "0.00", "2024-02-10", "包子,豆浆 交易号：4200002024021000002", "1"};
    QTest::newRow("WeChat: a slash is no goods")
        << "wechat.csv" << 0 << QStringList{"微信红包", "妈妈", "0.00", "200.00", "2024-02-09", "交易号：10000498012024020900001", "1"};
}

void TestPayBills::records()
{
    QFETCH(QString, file);
    QFETCH(int, row);
    QFETCH(QStringList, record);
    PayBill bill;
    QVERIFY(readPayBill(billDir + file, &bill, nullptr));
    const CounterpartyChoices choices{{"早餐铺", {"餐饮", "早点"}}};
    const BillRecord r = proposedRecords(bill, "支付宝", "张三", choices).at(row);
    QCOMPARE(r.person, QString("张三"));
    const QStringList got{r.type, r.name, QString::number(r.expense, 'f', 2), QString::number(r.income, 'f', 2),
                          r.day.toString(Qt::ISODate), r.remark, r.import ? "1" : "0"};
    QCOMPARE(got, record);
}

void TestPayBills::refusesBadFiles_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QByteArray>("bytes"); // written over the source's bytes from this offset on; see below
    QTest::addColumn<int>("keep");         // bytes of the source kept; -1 all
    QTest::addColumn<QString>("message");
    const QString damaged = "账单已损坏或不完整，未导入任何记录！";
    const QString notABill = "所选文件不是支付宝或微信支付的账单！";
    const int wechatSize = int(bytesOf(billDir + "wechat.csv").size());
    const int olderSize = int(bytesOf(billDir + "alipay-older.csv").size());
    QTest::newRow("no bill") << "" << QByteArray("日期,金额\n2024-01-01,3\n") << 0 << notABill;
    QTest::newRow("empty") << "" << QByteArray() << 0 << notABill;
    QTest::newRow("cut inside a row") << "wechat.csv" << QByteArray() << wechatSize - 40 << damaged;
    QTest::newRow("cut after a row: fewer than announced")
        << "wechat.csv" << QByteArray() << int(bytesOf(billDir + "wechat.csv").lastIndexOf("2024-02-15")) << damaged;
    QTest::newRow("older Alipay without its summary")
        << "alipay-older.csv" << QByteArray() << int(bytesOf(billDir + "alipay-older.csv").indexOf("-----\r\n共")) << damaged;
    QTest::newRow("an amount that is no number")
        << "wechat.csv" << QByteArray("2024-02-16 09:00:00,商户消费,店,x,支出,¥abc,零钱,支付成功,1,2,/\n") << wechatSize
        << damaged;
    QTest::newRow("a date that is no date")
        << "alipay-older.csv" << QByteArray() << -1 << damaged; // the rows are shifted below
    Q_UNUSED(olderSize)
}

void TestPayBills::refusesBadFiles()
{
    QFETCH(QString, source);
    QFETCH(QByteArray, bytes);
    QFETCH(int, keep);
    QFETCH(QString, message);
    QByteArray content = source.isEmpty() ? QByteArray() : bytesOf(billDir + source);
    if (keep >= 0)
        content = content.left(keep) + bytes;
    else
        content.replace("2019-03-15 12:01:05", "2019-13-45 12:01:05");
    const QString path = dir->path() + "/bill.csv";
    writeBytes(path, content);
    PayBill bill;
    bill.rows.append(BillRow());
    QString error;
    QVERIFY(!readPayBill(path, &bill, &error));
    QCOMPARE(error, message);
    QCOMPARE(bill.rows.size(), 1); // the bill handed in is left as it was
}

void TestPayBills::savesOnceAndRemembersChoices()
{
    Session session;
    ScriptedPrompter prompter;
    openFixtureSession(*dir, QDateTime(QDate(2024, 3, 2), QTime(9, 0)), session, prompter);
    prompter = ScriptedPrompter();
    const auto ledgerCount = [] {
        userRecordset.Open("select count(*) from lcsj");
        return userRecordset.GetText(0).toLongLong();
    };
    PayBill wechat;
    QVERIFY(readPayBill(billDir + "wechat.csv", &wechat, nullptr));
    QVERIFY(rememberedChoices(userRecordset).isEmpty());
    CounterpartyChoices choices{{"早餐铺", {"餐饮", "早点"}}};
    qint64 added = -1;
    QVERIFY(saveBillRecords(userConnection, userRecordset, billDir + "wechat.csv", proposedRecords(wechat, "微信支付", "张三", choices), choices,
                            prompter, &added));
    QCOMPARE(added, 4); // the two transfers between own accounts stay out
    QCOMPARE(ledgerCount(), 4);
    QCOMPARE(prompter.messages, QStringList{"导入账单成功！共 4 个记录"});
    userRecordset.Open("select xmlx,xmmc,zcje,ry,rq from lcsj where xmmc='早点'");
    QCOMPARE(userRecordset.RecordCount(), 1);
    QCOMPARE(userRecordset.GetText(0), QString("餐饮"));
    QCOMPARE(userRecordset.GetNumber(2), 8.5);
    QCOMPARE(userRecordset.GetText(3), QString("张三"));
    userRecordset.Open("select count(*) from xmmcsj where xmmc='早点' and xmlx='餐饮'");
    QCOMPARE(userRecordset.GetText(0), QString("1")); // the entry page offers the new name

    // The next bill arrives sorted as chosen.
    const CounterpartyChoices remembered = rememberedChoices(userRecordset);
    QCOMPARE(remembered.value("早餐铺").type, QString("餐饮"));
    QCOMPARE(remembered.value("早餐铺").name, QString("早点"));

    // The same bill again adds nothing, even after a record was re-sorted in the ledger; another
    // bill comes in beside it.
    QVERIFY(userConnection.Execute("update lcsj set xmlx='水果' where xmmc='水果店'"));
    prompter = ScriptedPrompter();
    QList<BillRecord> again = proposedRecords(wechat, "微信支付", "张三", remembered);
    // The window shows the rows the ledger holds as such, and offers none of them for import.
    QCOMPARE(markHeldRecords(userRecordset, &again), 4);
    QStringList held;
    for (const BillRecord &r : again) {
        QVERIFY(!r.import);
        if (r.held)
            held << r.name;
    }
    QCOMPARE(held, QStringList({"妈妈", "早点", "水果店", "水果店"}));
    again.first().import = true; // chosen again by hand: still not written twice
    QVERIFY(saveBillRecords(userConnection, userRecordset, billDir + "wechat.csv", again, {}, prompter, &added));
    QCOMPARE(added, 0);
    QCOMPARE(prompter.messages, QStringList{"导入账单成功！共 0 个记录"});
    PayBill alipay;
    QVERIFY(readPayBill(billDir + "alipay-newer.csv", &alipay, nullptr));
    QVERIFY(saveBillRecords(userConnection, userRecordset, billDir + "alipay-newer.csv", proposedRecords(alipay, "支付宝", "张三", remembered),
                            remembered, prompter, &added));
    QCOMPARE(added, 3);
    QCOMPARE(ledgerCount(), 7);
}

QTEST_GUILESS_MAIN(TestPayBills)
#include "tst_paybills.moc"
