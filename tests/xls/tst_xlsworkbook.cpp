#include "dataaccess/xls/xlsworkbook.h"
#include "testpaths.h"
#include <QTest>
#include <QTemporaryDir>
class TestXlsWorkbook : public QObject
{
    Q_OBJECT
private slots:
    void smoke()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.xls");
        QList<XlsColumn> cols{{"项目类型", XlsColumnType::Text}, {"支出金额", XlsColumnType::Number}, {"日期", XlsColumnType::Date}};
        QList<QList<XlsValue>> rows{{XlsValue::fromText("生活"), XlsValue::fromNumber(12.5), XlsValue::fromDate(QDateTime(QDate(2012, 11, 5), QTime(0, 0)))}};
        QString error;
        QVERIFY2(writeXlsSheet(path, "lcsj", cols, rows, &error), qPrintable(error));
        XlsSheet s;
        QVERIFY2(readXlsSheet(path, "LCSJ", &s, &error), qPrintable(error));
        QCOMPARE(s.titles, QStringList({"项目类型", "支出金额", "日期"}));
        QCOMPARE(s.rows.size(), 1);
        QCOMPARE(s.rows[0][2].date, QDateTime(QDate(2012, 11, 5), QTime(0, 0)));
        QVERIFY2(writeXlsSheet(path, "other", cols, rows, &error), qPrintable(error));
        QVERIFY(!writeXlsSheet(path, "Other", cols, rows, &error));
        QCOMPARE(xlsSheetNames(path), QStringList({"lcsj", "other"}));
        QFile::copy(path, "/tmp/xlsout/smoke.xls");
    }
};
QTEST_GUILESS_MAIN(TestXlsWorkbook)
#include "tst_xlsworkbook.moc"
