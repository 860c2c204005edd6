#include "common/texttable.h"

#include <QTest>

class TestTextTable : public QObject
{
    Q_OBJECT
private slots:
    void rowsKeepTheirCellsAndValues();
    void changesAndRemovalsKeepOtherRows();
    void longTextRoundTrips();
};

void TestTextTable::rowsKeepTheirCellsAndValues()
{
    TextTable table(3);
    table.appendRow({QStringLiteral("餐饮"), QStringLiteral("午餐"), QStringLiteral("12.50")}, 7);
    table.appendRow({QStringLiteral("交通")}, 9); // too few cells: the rest are empty
    table.appendRow({QStringLiteral("a"), QString(), QStringLiteral("c"), QStringLiteral("past the columns")}, -3);
    table.beginRow(11);
    table.addCell(QByteArrayView("工资"));
    QCOMPARE(table.rowCount(), 4);
    QCOMPARE(table.rowTexts(0), (QStringList{"餐饮", "午餐", "12.50"}));
    QCOMPARE(table.rowTexts(1), (QStringList{"交通", "", ""}));
    QCOMPARE(table.rowTexts(2), (QStringList{"a", "", "c"}));
    QCOMPARE(table.rowTexts(3), (QStringList{"工资", "", ""})); // a row being given its cells
    QCOMPARE(table.value(1), 9);
    QCOMPARE(table.value(2), -3);
    // Outside the table: nothing, not a neighbour's text.
    QCOMPARE(table.text(4, 0), QString());
    QCOMPARE(table.text(0, 3), QString());
    QCOMPARE(table.text(-1, 0), QString());
    QCOMPARE(table.value(4), 0);
}

void TestTextTable::changesAndRemovalsKeepOtherRows()
{
    TextTable table(2);
    for (int i = 0; i < 5; ++i)
        table.appendRow({QString::number(i), QStringLiteral("第%1行").arg(i)}, i);
    table.setText(1, 1, QStringLiteral("改过的一行"));
    table.setText(3, 0, QString());
    table.removeRow(2);
    table.removeRow(9); // no such row: nothing happens
    QCOMPARE(table.rowCount(), 4);
    QCOMPARE(table.rowTexts(1), (QStringList{"1", "改过的一行"}));
    QCOMPARE(table.rowTexts(2), (QStringList{"", "第3行"}));
    QCOMPARE(table.value(2), 3);
    QCOMPARE(table.rowTexts(3), (QStringList{"4", "第4行"}));
    // More columns: the new ones are empty; fewer: the rest stay in place.
    table.setColumnCount(3);
    QCOMPARE(table.rowTexts(0), (QStringList{"0", "第0行", ""}));
    table.appendRow({QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z")}, 5);
    table.setColumnCount(1);
    QCOMPARE(table.rowTexts(3), QStringList{"4"});
    QCOMPARE(table.rowTexts(4), QStringList{"x"});
    table.clear();
    QVERIFY(table.isEmpty());
    QCOMPARE(table.text(0, 0), QString());
}

void TestTextTable::longTextRoundTrips()
{
    // A text too long for a cell's own length field, between short ones.
    const QByteArray huge((1 << 24) + 3, 'x');
    TextTable table(3);
    table.beginRow(1);
    table.addCell(QByteArrayView("前"));
    table.addCell(QByteArrayView(huge));
    table.addCell(QByteArrayView("后"));
    table.appendRow({QStringLiteral("下一行")}, 2);
    QCOMPARE(table.bytes(0, 1).size(), huge.size());
    QVERIFY(table.bytes(0, 1) == QByteArrayView(huge));
    QCOMPARE(table.text(0, 0), QStringLiteral("前"));
    QCOMPARE(table.text(0, 2), QStringLiteral("后"));
    QCOMPARE(table.text(1, 0), QStringLiteral("下一行"));
}

QTEST_APPLESS_MAIN(TestTextTable)
#include "tst_texttable.moc"
