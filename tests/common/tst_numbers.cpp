#include "common/numbers.h"

#include <QTest>

class TestNumbers : public QObject
{
    Q_OBJECT
private slots:
    void textToNumber_data();
    void textToNumber();
    void truncation_data();
    void truncation();
    void tolerance();
    void amountText_data();
    void amountText();
};

void TestNumbers::textToNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("number");
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("letters") << "abc" << 0.0;
    QTest::newRow("integer") << "42" << 42.0;
    QTest::newRow("decimals") << "12.50" << 12.5;
    QTest::newRow("leading blanks") << "  \t7" << 7.0;
    QTest::newRow("negative") << "-3.2" << -3.2;
    QTest::newRow("plus sign") << "+8" << 8.0;
    QTest::newRow("point first") << ".5" << 0.5;
    QTest::newRow("point last") << "5." << 5.0;
    QTest::newRow("trailing text") << "12元" << 12.0;
    QTest::newRow("second number ignored") << "1 2" << 1.0;
    QTest::newRow("thousands separator stops") << "1,234" << 1.0;
    QTest::newRow("exponent") << "1.5e3" << 1500.0;
    QTest::newRow("exponent upper and sign") << "2E-2" << 0.02;
    QTest::newRow("exponent without digits") << "3e" << 3.0;
    QTest::newRow("exponent sign only") << "3e+x" << 3.0;
    QTest::newRow("sign alone") << "-" << 0.0;
    QTest::newRow("point alone") << "." << 0.0;
    QTest::newRow("full-width digits") << "１２３" << 123.0;
    QTest::newRow("full-width sign and point") << "－１２．５" << -12.5;
    QTest::newRow("full-width exponent") << "１Ｅ２" << 100.0;
    QTest::newRow("ideographic space") << "\u3000\u30009" << 9.0;
    QTest::newRow("overflow") << "1e999" << 0.0;
    QTest::newRow("underflow") << "1e-999" << 0.0;
    QTest::newRow("infinity word") << "inf" << 0.0;
    QTest::newRow("hex is not read") << "0x10" << 0.0;
}

void TestNumbers::textToNumber()
{
    QFETCH(QString, text);
    QFETCH(double, number);
    QCOMPARE(::textToNumber(text), number);
}

void TestNumbers::truncation_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("integer");
    QTest::newRow("positive") << "2.9" << qint64(2);
    QTest::newRow("negative toward zero") << "-2.9" << qint64(-2);
    QTest::newRow("small negative") << "-0.5" << qint64(0);
    QTest::newRow("letters") << "-abc" << qint64(0);
    QTest::newRow("huge") << "1e30" << std::numeric_limits<qint64>::max();
    QTest::newRow("huge negative") << "-1e30" << std::numeric_limits<qint64>::min();
}

void TestNumbers::truncation()
{
    QFETCH(QString, text);
    QFETCH(qint64, integer);
    QCOMPARE(textToInteger(text), integer);
}

void TestNumbers::tolerance()
{
    QVERIFY(isZeroAmount(0.0000001));
    QVERIFY(isZeroAmount(-0.0000001));
    QVERIFY(!isZeroAmount(0.00000011));
    QVERIFY(isPositiveAmount(0.00000011) && !isPositiveAmount(0.0000001));
    QVERIFY(isNegativeAmount(-0.00000011) && !isNegativeAmount(-0.0000001));
    // A sum of cents that lands a hair off zero is still zero.
    QVERIFY(isZeroAmount(0.1 + 0.2 - 0.3));
}

void TestNumbers::amountText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0.0 << "0.00";
    QTest::newRow("negative zero") << -0.0 << "0.00";
    QTest::newRow("one decimal") << 12.5 << "12.50";
    QTest::newRow("whole") << 1234.0 << "1234.00";
    QTest::newRow("no separators") << 1234567.891 << "1234567.89";
    QTest::newRow("typed half up") << 2.675 << "2.68";
    QTest::newRow("typed half 1.005") << 1.005 << "1.01";
    QTest::newRow("below half") << 2.674999 << "2.67";
    QTest::newRow("negative half away from zero") << -0.005 << "-0.01";
    QTest::newRow("negative rounding to zero") << -0.004 << "0.00";
    QTest::newRow("carry through nines") << 99.995 << "100.00";
    QTest::newRow("negative") << -3.2 << "-3.20";
    QTest::newRow("sum of tenths") << 0.1 + 0.2 << "0.30";
    QTest::newRow("large") << 1e15 << "1000000000000000.00";
    QTest::newRow("tiny") << 1e-10 << "0.00";
    QTest::newRow("not a number") << std::nan("") << "0.00";
}

void TestNumbers::amountText()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(::amountText(value), text);
}

QTEST_APPLESS_MAIN(TestNumbers)
#include "tst_numbers.moc"
