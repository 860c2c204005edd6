#include "common/clock.h"
#include "common/datetext.h"

#include <QTest>

#include <ctime>

// The clock's local time, in zones east and west of Greenwich, around midnight and around a change
// to summer time. The zone is set per row; CTest also runs the whole test under each zone.
class TestClock : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();
    void localWallClock_data();
    void localWallClock();
    void nowIsTheLocalTime_data();
    void nowIsTheLocalTime();

private:
    void useZone(const QByteArray &zone);
    QByteArray startZone = qgetenv("TZ");
};

void TestClock::useZone(const QByteArray &zone)
{
    qputenv("TZ", zone);
    tzset();
}

void TestClock::cleanup()
{
    if (startZone.isEmpty())
        qunsetenv("TZ");
    else
        qputenv("TZ", startZone);
    tzset();
}

void TestClock::localWallClock_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QString>("utc");
    QTest::addColumn<QString>("local");
    QTest::addColumn<QString>("laterUtc"); // asked right after, inside the same minute or not
    QTest::addColumn<QString>("laterLocal");
    QTest::newRow("Shanghai, 01:21 is already the next day")
        << QByteArray("Asia/Shanghai") << "2026-12-09 17:21:00" << "2026-12-10 01:21:00"
        << "2026-12-09 17:21:59" << "2026-12-10 01:21:59";
    QTest::newRow("Shanghai, the last second of the day")
        << QByteArray("Asia/Shanghai") << "2026-12-10 15:59:59" << "2026-12-10 23:59:59"
        << "2026-12-10 16:00:00" << "2026-12-11 00:00:00";
    QTest::newRow("Los Angeles, 21:30 is still the day before")
        << QByteArray("America/Los_Angeles") << "2026-12-10 05:30:00" << "2026-12-09 21:30:00"
        << "2026-12-10 08:00:00" << "2026-12-10 00:00:00";
    QTest::newRow("Los Angeles, summer time begins between two seconds")
        << QByteArray("America/Los_Angeles") << "2026-03-08 09:59:59" << "2026-03-08 01:59:59"
        << "2026-03-08 10:00:00" << "2026-03-08 03:00:00";
    QTest::newRow("Los Angeles, summer time ends")
        << QByteArray("America/Los_Angeles") << "2026-11-01 08:59:59" << "2026-11-01 01:59:59"
        << "2026-11-01 09:00:00" << "2026-11-01 01:00:00";
}

void TestClock::localWallClock()
{
    QFETCH(QByteArray, zone);
    QFETCH(QString, utc);
    QFETCH(QString, local);
    QFETCH(QString, laterUtc);
    QFETCH(QString, laterLocal);
    useZone(zone);
    const auto instant = [](const QString &text) {
        const QDateTime read = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        return QDateTime(read.date(), read.time(), Qt::UTC).toMSecsSinceEpoch();
    };
    QCOMPARE(dateText(Clock::localTime(instant(utc)), 0), local);
    QCOMPARE(dateText(Clock::localTime(instant(laterUtc)), 0), laterLocal);
}

void TestClock::nowIsTheLocalTime_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::newRow("east of Greenwich") << QByteArray("Asia/Shanghai");
    QTest::newRow("west of Greenwich") << QByteArray("America/Los_Angeles");
    QTest::newRow("as the test was started") << startZone;
}

void TestClock::nowIsTheLocalTime()
{
    QFETCH(QByteArray, zone);
    if (!zone.isEmpty())
        useZone(zone);
    Clock::useSystemTime();
    for (int i = 0; i < 2; ++i) { // the first answer finds the offset, the second reuses it
        const QDateTime before = QDateTime::currentDateTime();
        const QDateTime now = Clock::now();
        const QDateTime after = QDateTime::currentDateTime();
        QCOMPARE(now.offsetFromUtc(), before.offsetFromUtc());
        QVERIFY2(dateText(before, 0) <= dateText(now, 0) && dateText(now, 0) <= dateText(after, 0),
                 qPrintable(dateText(now, 0) + QStringLiteral(" is not the wall clock ") + dateText(before, 0)));
        QVERIFY(Clock::today() == before.date() || Clock::today() == after.date());
    }
}

QTEST_APPLESS_MAIN(TestClock)
#include "tst_clock.moc"
