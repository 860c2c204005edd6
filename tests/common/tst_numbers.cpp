#include "common/numbers.h"

#include <QTest>

#include <cmath>
#include <limits>

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
    void amountLimit_data();
    void amountLimit();
    void centsText_data();
    void centsText();
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
    QTest::newRow("tiny") << 1e-10 << "0.00";
    QTest::newRow("tinier than fixed digits fit") << -1e-227 << "0.00";
    QTest::newRow("smallest double") << 5e-324 << "0.00";
    // Beyond the limit a double no longer tells its cents: no figure rather than a wrong one.
    QTest::newRow("largest amount") << 9999999999999.99 << "9999999999999.99";
    QTest::newRow("largest negative amount") << -9999999999999.99 << "-9999999999999.99";
    QTest::newRow("rounds beyond the limit") << 9999999999999.996 << "超出范围";
    QTest::newRow("a cent beyond the limit") << 10000000000000.0 << "超出范围";
    QTest::newRow("Currency bound") << 922337203685477.58 << "超出范围";
    QTest::newRow("large") << 1e15 << "超出范围";
    QTest::newRow("1e308") << 1e308 << "超出范围";
    QTest::newRow("sum of two 1e308") << 1e308 + 1e308 << "超出范围";
    QTest::newRow("negative infinity") << -std::numeric_limits<double>::infinity() << "超出范围";
    QTest::newRow("not a number") << std::nan("") << "超出范围";
}

void TestNumbers::amountText()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(::amountText(value), text);
}

// An amount is kept when its cents stay within the limit, however its text writes it.
void TestNumbers::amountLimit_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<double>("amount");
    QTest::newRow("no number") << "abc" << true << 0.0;
    QTest::newRow("ordinary") << "12.50" << true << 12.5;
    QTest::newRow("largest") << "9999999999999.99" << true << 9999999999999.99;
    QTest::newRow("largest negative") << "-9999999999999.99" << true << -9999999999999.99;
    QTest::newRow("rounds down to the largest") << "9999999999999.994" << true << 9999999999999.994;
    QTest::newRow("rounds up beyond") << "9999999999999.996" << false << 0.0;
    QTest::newRow("a cent beyond") << "10000000000000" << false << 0.0;
    QTest::newRow("Currency bound") << "922337203685477.58" << false << 0.0;
    QTest::newRow("beyond Currency") << "922337203685477.59" << false << 0.0;
    QTest::newRow("negative Currency bound") << "-922337203685477.58" << false << 0.0;
    QTest::newRow("1e308") << "1e308" << false << 0.0;
    QTest::newRow("too large for a double") << "1e999" << false << 0.0;
    QTest::newRow("too large without exponent") << QString(400, u'9') << false << 0.0;
    QTest::newRow("full-width exponent") << "１Ｅ２０" << false << 0.0;
    QTest::newRow("too small for a double") << "1e-999" << true << 0.0;
    QTest::newRow("small with many zeros") << "0." + QString(400, u'0') + "1" << true << 0.0;
    QTest::newRow("large exponent made small") << "0.0000000000000000001e15" << true << 0.0001;
}

void TestNumbers::amountLimit()
{
    QFETCH(QString, text);
    QFETCH(bool, kept);
    QFETCH(double, amount);
    double read = -1;
    QCOMPARE(textToAmount(text, &read), kept);
    if (kept)
        QCOMPARE(read, amount);
}

void TestNumbers::centsText_data()
{
    QTest::addColumn<qint64>("cents");
    QTest::addColumn<qint64>("times");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << qint64(0) << qint64(1) << "0.00";
    QTest::newRow("one cent") << qint64(1) << qint64(1) << "0.01";
    QTest::newRow("negative cents") << qint64(-5) << qint64(1) << "-0.05";
    QTest::newRow("whole") << qint64(123400) << qint64(1) << "1234.00";
    QTest::newRow("two largest") << amountLimitCents << qint64(2) << "19999999999999.98";
    QTest::newRow("a million largest") << amountLimitCents << qint64(1000000) << "9999999999999990000.00";
    QTest::newRow("far beyond 64 bits") << -amountLimitCents << std::numeric_limits<qint64>::max()
                                        << "-92233720368547665836279631452241.93";
}

void TestNumbers::centsText()
{
    QFETCH(qint64, cents);
    QFETCH(qint64, times);
    QFETCH(QString, text);
    QCOMPARE(::centsText(__int128(cents) * times), text);
    qint64 back = 0;
    QCOMPARE(amountTextCents(::centsText(cents), &back), true);
    QCOMPARE(back, cents);
}

QTEST_APPLESS_MAIN(TestNumbers)
#include "tst_numbers.moc"
