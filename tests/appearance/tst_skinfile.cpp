#include "appearance/skinfile.h"
#include "common/gbk.h"
#include "tools/skinbuilder/skinlist.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString title = QStringLiteral("Varnel家庭理财");

QByteArray gbk(const char16_t *text)
{
    return toGbk(QString::fromUtf16(text));
}

QByteArray record(const QByteArray &name, const QByteArray &value)
{
    return name + skinFieldSeparator + value;
}

// A plaintext skin: the signature record, then the given records, joined by record separators.
QByteArray plainSkin(const QList<QByteArray> &records)
{
    QByteArray plain = record(gbk(u"签名"), toGbk(title));
    for (const QByteArray &r : records)
        plain += skinRecordSeparator + r;
    return plain;
}

} // namespace

class TestSkinFile : public QObject
{
    Q_OBJECT
private slots:
    void keyDerivation_data();
    void keyDerivation();
    void rc4Vectors_data();
    void rc4Vectors();
    void loadsEntries();
    void trailingSeparatorAddsNothing();
    void failures_data();
    void failures();
    void builderWritesWhatTheReaderReads();
    void builderRefusesBadLists_data();
    void builderRefusesBadLists();

private:
    QString writeSkin(const QByteArray &bytes);
    QTemporaryDir dir;
};

QString TestSkinFile::writeSkin(const QByteArray &bytes)
{
    const QString path = dir.filePath("Green.cskn");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write(bytes);
    return path;
}

void TestSkinFile::keyDerivation_data()
{
    QTest::addColumn<QByteArray>("constant");
    QTest::addColumn<QByteArray>("key");
    // halves swapped, interleaved, swapped again, then read as pairs
    QTest::newRow("sixteen digits") << QByteArray("0123456789ABCDEF") << QByteArray::fromHex("C4D5E6F78091A2B3");
    QTest::newRow("lower case reads as upper") << QByteArray("0123456789abcdef") << QByteArray::fromHex("C4D5E6F78091A2B3");
    QTest::newRow("00 pairs give nothing") << QByteArray("0000000A") << QByteArray::fromHex("A0");
    QTest::newRow("other characters read as 0") << QByteArray("G0G1G0G0") << QByteArray::fromHex("01");
}

void TestSkinFile::keyDerivation()
{
    QFETCH(QByteArray, constant);
    QFETCH(QByteArray, key);
    QCOMPARE(deriveSkinKey(constant), key);
}

void TestSkinFile::rc4Vectors_data()
{
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("plain");
    QTest::addColumn<QByteArray>("cipher");
    QTest::newRow("Key") << QByteArray("Key") << QByteArray("Plaintext") << QByteArray::fromHex("BBF316E8D940AF0AD3");
    QTest::newRow("Wiki") << QByteArray("Wiki") << QByteArray("pedia") << QByteArray::fromHex("1021BF0420");
    QTest::newRow("Secret") << QByteArray("Secret") << QByteArray("Attack at dawn")
                            << QByteArray::fromHex("45A01F645FC35B383552544B9BF5");
}

void TestSkinFile::rc4Vectors()
{
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, plain);
    QFETCH(QByteArray, cipher);
    QCOMPARE(rc4(key, plain), cipher);
    QCOMPARE(rc4(key, cipher), plain);
}

void TestSkinFile::loadsEntries()
{
    QVERIFY(skinKey().size() > 0 && skinKey().size() <= 44);
    QVERIFY(!skinKey().contains('\0'));
    const QByteArray picture = QByteArray::fromHex("ffd8ffe000104a46494600") + QByteArray(1000, '\xa1');
    const QByteArray plain = plainSkin({record(gbk(u"窗口背景颜色"), "15198183"),
                                        record(gbk(u"背景图片1"), picture),
                                        record(gbk(u"重复"), "first"),
                                        record(gbk(u"重复"), "second"),
                                        record(gbk(u"截断"), "kept" + skinFieldSeparator + "dropped")});
    QVERIFY(loadSkinFile(writeSkin(rc4(skinKey(), plain)), title));
    QCOMPARE(skinTable().names.size(), 6);
    QCOMPARE(getSkinEntry(QStringLiteral("窗口背景颜色")), QByteArray("15198183"));
    QCOMPARE(getSkinEntry(QStringLiteral("背景图片1")), picture);
    QCOMPARE(getSkinEntry(QStringLiteral("重复")), QByteArray("first"));
    QCOMPARE(getSkinEntry(QStringLiteral("截断")), QByteArray("kept"));
    QCOMPARE(getSkinEntry(QStringLiteral("没有")), QByteArray());
    // Names compare exactly: no letter-case folding, no trimming.
    QVERIFY(loadSkinFile(writeSkin(rc4(skinKey(), plainSkin({record("Icon", "x")}))), title));
    QCOMPARE(getSkinEntry(QStringLiteral("icon")), QByteArray());
    QCOMPARE(getSkinEntry(QStringLiteral("Icon ")), QByteArray());
    QCOMPARE(getSkinEntry(QStringLiteral("Icon")), QByteArray("x"));
}

void TestSkinFile::trailingSeparatorAddsNothing()
{
    const QByteArray plain = plainSkin({record("a", "1"), record("b", "2")});
    QVERIFY(loadSkinFile(writeSkin(rc4(skinKey(), plain + skinRecordSeparator)), title));
    const SkinTable withSeparator = skinTable();
    QVERIFY(loadSkinFile(writeSkin(rc4(skinKey(), plain)), title));
    QCOMPARE(skinTable().names, withSeparator.names);
    QCOMPARE(skinTable().values, withSeparator.values);
    QCOMPARE(skinTable().names.size(), 3);
}

void TestSkinFile::failures_data()
{
    QTest::addColumn<QByteArray>("file"); // the bytes on disk; "<missing>" for no file at all
    const QByteArray good = plainSkin({record("a", "1")});
    QTest::newRow("missing") << QByteArray("<missing>");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("only the signature record") << rc4(skinKey(), plainSkin({}));
    QTest::newRow("signature record and trailing separator") << rc4(skinKey(), plainSkin({}) + skinRecordSeparator);
    QTest::newRow("truncated inside the signature") << rc4(skinKey(), good).left(10);
    QTest::newRow("another key") << rc4("another key", good);
    QTest::newRow("not enciphered") << good;
    QTest::newRow("record without field separator")
        << rc4(skinKey(), plainSkin({}) + skinRecordSeparator + "no separator here");
    QTest::newRow("wrong signature")
        << rc4(skinKey(), record("sig", "Other") + skinRecordSeparator + record("a", "1"));
    QTest::newRow("signature with a suffix")
        << rc4(skinKey(), record("sig", toGbk(title) + "x") + skinRecordSeparator + record("a", "1"));
    QTest::newRow("random bytes") << QByteArray::fromHex("9a3c0017ffee01bc5a5a5a5a0000ffff77").repeated(40);
}

void TestSkinFile::failures()
{
    QFETCH(QByteArray, file);
    QVERIFY(loadSkinFile(writeSkin(rc4(skinKey(), plainSkin({record("kept", "yes")}))), title));
    QFile::remove(dir.filePath("Green.cskn"));
    const QString path = file == "<missing>" ? dir.filePath("Green.cskn") : writeSkin(file);
    QVERIFY(!loadSkinFile(path, title));
    // A failed load leaves the loaded skin as it was.
    QCOMPARE(getSkinEntry(QStringLiteral("kept")), QByteArray("yes"));
}

void TestSkinFile::builderWritesWhatTheReaderReads()
{
    QFile picture(dir.filePath("bg1.jpg"));
    QVERIFY(picture.open(QIODevice::WriteOnly));
    const QByteArray pictureBytes = QByteArray::fromHex("ffd8ffe0") + QByteArray(5000, '\x11');
    picture.write(pictureBytes);
    picture.close();
    QFile list(dir.filePath("entries.txt"));
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write("# green\n\ntext 皮肤名称=绿色\ncolour 窗口背景颜色=15198183\nfile 背景图片1=bg1.jpg\n");
    list.close();

    const QString output = dir.filePath("built.cskn");
    QCOMPARE(buildSkinFile(list.fileName(), dir.path(), output), QString());
    QVERIFY(loadSkinFile(output, title));
    QCOMPARE(skinTable().names.first(), gbk(u"签名"));
    QCOMPARE(getSkinEntry(QStringLiteral("皮肤名称")), gbk(u"绿色"));
    QCOMPARE(getSkinEntry(QStringLiteral("窗口背景颜色")), QByteArray("15198183"));
    QCOMPARE(getSkinEntry(QStringLiteral("背景图片1")), pictureBytes);
    // The file on disk is enciphered: none of the names stands in it as plain text.
    QFile built(output);
    QVERIFY(built.open(QIODevice::ReadOnly));
    QVERIFY(!built.readAll().contains(gbk(u"皮肤名称")));
}

void TestSkinFile::builderRefusesBadLists_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("error");
    QTest::newRow("separator in a text") << "text 名称=a◆※b" << "line 1: the value of \"名称\" contains a separator";
    QTest::newRow("field separator in a name") << "text 名●※称=a" << "line 1: the name \"名●※称\" contains a separator";
    QTest::newRow("unknown kind") << "\nsound 声音=a.wav" << "line 2: unknown kind \"sound\"";
    QTest::newRow("colour out of range") << "colour 颜色=16777216"
                                          << "line 1: \"16777216\" is not a colour between 0 and 16777215";
    QTest::newRow("colour not a number") << "colour 颜色=red" << "line 1: \"red\" is not a colour between 0 and 16777215";
    QTest::newRow("no equals sign") << "text 名称" << "line 1: expected \"kind name=value\"";
    QTest::newRow("no name") << "text =a" << "line 1: the entry has no name";
}

void TestSkinFile::builderRefusesBadLists()
{
    QFETCH(QString, list);
    QFETCH(QString, error);
    const SkinListResult result = readSkinList(list, dir.path(), title);
    QCOMPARE(result.error, error);
    QVERIFY(result.records.isEmpty());

    // A picture whose bytes hold a separator cannot be stored either.
    QFile picture(dir.filePath("bad.bmp"));
    QVERIFY(picture.open(QIODevice::WriteOnly));
    picture.write("BM" + skinRecordSeparator);
    picture.close();
    QCOMPARE(readSkinList("file 图=bad.bmp", dir.path(), title).error,
             QStringLiteral("line 1: the value of \"图\" contains a separator"));
    QCOMPARE(readSkinList("file 图=missing.bmp", dir.path(), title).error,
             QStringLiteral("line 1: cannot read %1").arg(dir.filePath("missing.bmp")));
}

QTEST_APPLESS_MAIN(TestSkinFile)
#include "tst_skinfile.moc"
