#include "common/gbk.h"
#include "common/sqltext.h"

#include <QTest>

class TestText : public QObject
{
    Q_OBJECT
private slots:
    void gbkBytes_data();
    void gbkBytes();
    void beyondGbkRoundTrips();
    void badBytes_data();
    void badBytes();
    void prefixKeepsCharactersWhole_data();
    void prefixKeepsCharactersWhole();
    void quoting_data();
    void quoting();
};

void TestText::gbkBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ascii") << "abc 123" << QByteArray("abc 123");
    QTest::newRow("chinese") << "张三" << QByteArray::fromHex("d5c5c8fd");
    QTest::newRow("record separator") << "◆※" << QByteArray::fromHex("a1f4a1f9");
    QTest::newRow("field separator") << "●※" << QByteArray::fromHex("a1f1a1f9");
    QTest::newRow("full-width") << "１Ａ" << QByteArray::fromHex("a3b1a3c1");
    QTest::newRow("database password") << "※→←rtw↑↓〓" << QByteArray::fromHex("a1f9a1faa1fb727477a1fca1fda1fe");
    QTest::newRow("empty") << "" << QByteArray();
}

void TestText::gbkBytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(toGbk(text), bytes);
    QCOMPARE(fromGbk(bytes), text);
}

void TestText::beyondGbkRoundTrips()
{
    // Characters GBK lacks still survive the trip through GB18030.
    const QString text = QStringLiteral("€ 😀 \u20AC\u00E9");
    QCOMPARE(fromGbk(toGbk(text)), text);
    QCOMPARE(toGbk(QString(QChar(0xD800))), QByteArray("?"));
}

void TestText::badBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("lone 0x80") << QByteArray("a\x80" "b") << QString::fromUtf16(u"a\uFFFDb");
    QTest::newRow("0xFF") << QByteArray("\xff" "x") << QString::fromUtf16(u"\uFFFDx");
    QTest::newRow("cut lead byte at the end") << QByteArray("ab\xd5") << QStringLiteral("ab");
    QTest::newRow("bad trail byte") << QByteArray("\xd5\x7f" "z") << QString::fromUtf16(u"\uFFFD\u007Fz");
}

void TestText::badBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(fromGbk(bytes), text);
}

void TestText::prefixKeepsCharactersWhole_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QByteArray>("prefix");
    const QByteArray zhang = QByteArray::fromHex("d5c5c8fd");
    QTest::newRow("fits") << zhang << 4 << zhang;
    QTest::newRow("cuts before a split character") << zhang << 3 << QByteArray::fromHex("d5c5");
    QTest::newRow("ascii") << QByteArray("abcdef") << 4 << QByteArray("abcd");
    QTest::newRow("four-byte character") << (QByteArray("a") + QByteArray::fromHex("81308130")) << 4 << QByteArray("a");
}

void TestText::prefixKeepsCharactersWhole()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, limit);
    QFETCH(QByteArray, prefix);
    QCOMPARE(gbkPrefix(bytes, limit), prefix);
}

void TestText::quoting_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("literal");
    QTest::newRow("plain") << "早餐" << "'早餐'";
    QTest::newRow("empty") << "" << "''";
    QTest::newRow("apostrophe") << "Tom's lunch" << "'Tom''s lunch'";
    QTest::newRow("crafted") << "x' or '1'='1" << "'x'' or ''1''=''1'";
    QTest::newRow("quotes at both ends and side by side") << "'a''" << "'''a'''''";
    QTest::newRow("only a quote") << "'" << "''''";
    QTest::newRow("double quotes untouched") << "say \"hi\"" << "'say \"hi\"'";
}

void TestText::quoting()
{
    QFETCH(QString, text);
    QFETCH(QString, literal);
    QCOMPARE(quoteText(text), literal);
}

QTEST_APPLESS_MAIN(TestText)
#include "tst_text.moc"
