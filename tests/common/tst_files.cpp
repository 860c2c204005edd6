#include "common/files.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

} // namespace

class TestFiles : public QObject
{
    Q_OBJECT
private slots:
    void copyReplaces();
    void failedCopyKeepsDestination();
    void deleteAndMove();
    void temporaryNamesAreFree();

private:
    QTemporaryDir dir;
};

void TestFiles::copyReplaces()
{
    const QString from = dir.filePath("a.dat");
    const QString to = dir.filePath("b.dat");
    const QByteArray big(300000, 'x');
    writeFile(from, big + "end");
    writeFile(to, "old");
    QVERIFY(copyFileReplacing(from, to));
    QCOMPARE(readFile(to), big + "end");
    QVERIFY(fileExists(from));
    // Nothing is left beside the destination.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

void TestFiles::failedCopyKeepsDestination()
{
    const QString to = dir.filePath("keep.dat");
    writeFile(to, "precious");
    QVERIFY(!copyFileReplacing(dir.filePath("missing.dat"), to));
    QVERIFY(!copyFileReplacing(dir.path(), to));
    QCOMPARE(readFile(to), QByteArray("precious"));
    // Into a folder that does not exist.
    QVERIFY(!copyFileReplacing(to, dir.filePath("no/such/folder/x.dat")));
}

void TestFiles::deleteAndMove()
{
    const QString a = dir.filePath("m1.dat");
    const QString b = dir.filePath("m2.dat");
    writeFile(a, "one");
    writeFile(b, "two");
    QVERIFY(moveFile(a, b));
    QVERIFY(!fileExists(a));
    QCOMPARE(readFile(b), QByteArray("one"));
    QVERIFY(!moveFile(a, b));
    QVERIFY(deleteFile(b));
    QVERIFY(!fileExists(b));
    QVERIFY(!deleteFile(b));
    QVERIFY(!deleteFile(dir.path()));
    QVERIFY(!fileExists(QString()));
}

void TestFiles::temporaryNamesAreFree()
{
    QSet<QString> names;
    for (int i = 0; i < 50; ++i) {
        const QString name = temporaryFileName();
        QVERIFY(name.endsWith(".tmp"));
        QVERIFY(name.startsWith(QDir::tempPath()));
        QVERIFY(!QFile::exists(name));
        names.insert(name);
    }
    QCOMPARE(names.size(), 50);
}

QTEST_APPLESS_MAIN(TestFiles)
#include "tst_files.moc"
