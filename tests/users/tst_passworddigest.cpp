#include "users/passworddigest.h"

#include <QCryptographicHash>
#include <QTest>

class TestPasswordDigest : public QObject
{
    Q_OBJECT
private slots:
    void rfc1321Vectors_data();
    void rfc1321Vectors();
    void paddingAtLength_data();
    void paddingAtLength();
    void passwordsAreGbk_data();
    void passwordsAreGbk();
    void hugeMessageGivesEmptyText();
};

void TestPasswordDigest::rfc1321Vectors_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QString>("digest");
    QTest::newRow("empty") << QByteArray("") << "d41d8cd98f00b204e9800998ecf8427e";
    QTest::newRow("a") << QByteArray("a") << "0cc175b9c0f1b6a831c399e269772661";
    QTest::newRow("abc") << QByteArray("abc") << "900150983cd24fb0d6963f7d28e17f72";
    QTest::newRow("message digest") << QByteArray("message digest") << "f96b697d7cb7938d525a2f31aaf161d0";
    QTest::newRow("alphabet") << QByteArray("abcdefghijklmnopqrstuvwxyz") << "c3fcd3d76192e4007dfb496cca67e13b";
    QTest::newRow("alphanumeric")
        << QByteArray("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789")
        << "d174ab98d277d9f5a5611c2c9f419d9f";
    QTest::newRow("eighty digits")
        << QByteArray("12345678901234567890123456789012345678901234567890123456789012345678901234567890")
        << "57edf4a22be3c955ac49da2e2107b67a";
}

void TestPasswordDigest::rfc1321Vectors()
{
    QFETCH(QByteArray, message);
    QFETCH(QString, digest);
    QCOMPARE(passwordDigestOfBytes(message), digest);
}

void TestPasswordDigest::paddingAtLength_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("digest"); // empty: the standard MD5 of the message
    QTest::newRow("55") << 55 << "";
    QTest::newRow("56 gets no padding bytes") << 56 << "959729528c4d3149aaed8b0aca8859bb";
    QTest::newRow("57") << 57 << "";
    QTest::newRow("63") << 63 << "";
    QTest::newRow("64") << 64 << "";
    QTest::newRow("119") << 119 << "";
    QTest::newRow("120 gets no padding bytes") << 120 << "9636cf2d40650b47f6912aac2b8a9649";
    QTest::newRow("121") << 121 << "";
}

void TestPasswordDigest::paddingAtLength()
{
    QFETCH(int, length);
    QFETCH(QString, digest);
    const QByteArray message(length, 'a');
    const QString standard = QString::fromLatin1(QCryptographicHash::hash(message, QCryptographicHash::Md5).toHex());
    const QString got = passwordDigest(QString::fromLatin1(message));
    if (digest.isEmpty()) {
        QCOMPARE(got, standard);
    } else {
        QCOMPARE(got, digest);
        QVERIFY(got != standard);
    }
}

void TestPasswordDigest::passwordsAreGbk_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("digest");
    QTest::newRow("chinese") << "张三" << "894152fff4f97e8fb2b8f304c5c56ebb";
    QTest::newRow("mixed") << "密码123" << "023b1f07f0a78fc82f15fc1cebe93524";
    // 28 Chinese characters are 56 GBK bytes: the short padding, although the text has 28 characters.
    QTest::newRow("56 bytes of chinese")
        << QString(28, u'家') << "2a214ced6c8bb6a8ad8d3f66dabf5e9d";
}

void TestPasswordDigest::passwordsAreGbk()
{
    QFETCH(QString, password);
    QFETCH(QString, digest);
    const QString got = passwordDigest(password);
    QCOMPARE(got.size(), 32);
    QCOMPARE(got, got.toLower());
    QCOMPARE(got, digest);
}

void TestPasswordDigest::hugeMessageGivesEmptyText()
{
    QByteArray huge(qsizetype(1) << 28, 'x');
    QCOMPARE(passwordDigestOfBytes(huge), QString());
    huge.chop(1);
    QCOMPARE(passwordDigestOfBytes(huge).size(), 32);
}

QTEST_APPLESS_MAIN(TestPasswordDigest)
#include "tst_passworddigest.moc"
