#include "common/clock.h"
#include "common/datetext.h"

#include <QTest>

class TestDateText : public QObject
{
    Q_OBJECT
private slots:
    void formats_data();
    void formats();
    void invalidInput();
    void clockCanBeFixed();
};

void TestDateText::formats_data()
{
    QTest::addColumn<QDateTime>("value");
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("text");
    const QDateTime morning(QDate(2012, 11, 5), QTime(8, 3, 9));
    const QDateTime evening(QDate(2026, 12, 25), QTime(23, 59, 58));
    QTest::newRow("0") << morning << 0 << "2012-11-05 08:03:09";
    QTest::newRow("1") << morning << 1 << "2012-11-05";
    QTest::newRow("2") << morning << 2 << "08:03:09";
    QTest::newRow("3") << morning << 3 << "2012年11月05日";
    QTest::newRow("4") << morning << 4 << "08时03分09秒";
    QTest::newRow("5") << morning << 5 << "20121105";
    QTest::newRow("6") << QDateTime(QDate(2012, 1, 5), QTime(8, 3, 9)) << 6 << "2012年1月5日";
    QTest::newRow("7") << morning << 7 << "20121105080309";
    QTest::newRow("8") << morning << 8 << "20121105";
    QTest::newRow("9") << morning << 9 << "080309";
    QTest::newRow("24-hour clock") << evening << 0 << "2026-12-25 23:59:58";
    QTest::newRow("6 with two-digit parts") << evening << 6 << "2026年12月25日";
    QTest::newRow("midnight") << QDateTime(QDate(2000, 2, 29), QTime(0, 0)) << 0 << "2000-02-29 00:00:00";
}

void TestDateText::formats()
{
    QFETCH(QDateTime, value);
    QFETCH(int, format);
    QFETCH(QString, text);
    QCOMPARE(dateText(value, format), text);
}

void TestDateText::invalidInput()
{
    QCOMPARE(dateText(QDateTime(), 1), QString());
    QCOMPARE(dateText(QDateTime(QDate(2012, 11, 5), QTime(8, 0)), 10), QString());
    QCOMPARE(dateText(QDateTime(QDate(2012, 11, 5), QTime(8, 0)), -1), QString());
    QCOMPARE(dateText(QDate(2012, 11, 5), 0), QStringLiteral("2012-11-05 00:00:00"));
}

void TestDateText::clockCanBeFixed()
{
    const QDateTime christmas(QDate(2026, 12, 25), QTime(9, 30));
    Clock::setFixed(christmas);
    QCOMPARE(Clock::now(), christmas);
    QCOMPARE(Clock::today(), QDate(2026, 12, 25));
    Clock::useSystemTime();
    QVERIFY(qAbs(Clock::now().secsTo(QDateTime::currentDateTime())) < 5);
}

QTEST_APPLESS_MAIN(TestDateText)
#include "tst_datetext.moc"
