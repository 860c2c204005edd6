// Where the program keeps its files, portable and installed, and what it answers on its command line.
#include "common/commandline.h"
#include "common/program.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestProgram : public QObject
{
    Q_OBJECT
private slots:
    void places_data();
    void places();
    void commandLine_data();
    void commandLine();
};

void TestProgram::places_data()
{
    // The program file lies in <root>/usr/bin; what else lies there is the row's "beside".
    QTest::addColumn<QString>("beside");
    QTest::addColumn<QString>("programFolder");
    QTest::addColumn<bool>("portable");
    QTest::addColumn<QString>("files");
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("registry");
    QTest::addColumn<QString>("skin");

    QTest::newRow("a data folder beside: portable") << "data/" << "usr/bin" << true << "usr/bin" << "usr/bin" << "config" << "usr/bin";
    QTest::newRow("written with a trailing separator") << "data/" << "usr/bin/" << true << "usr/bin" << "usr/bin" << "config" << "usr/bin";
    QTest::newRow("nothing beside: installed") << "" << "usr/bin" << false << "share/kelm" << "config/kelm" << "config/kelm" << "usr/share/kelm";
    QTest::newRow("a file named data is no data folder") << "data" << "usr/bin" << false << "share/kelm" << "config/kelm" << "config/kelm" << "usr/share/kelm";
    QTest::newRow("a skin alone makes no portable copy") << "Skin/" << "usr/bin" << false << "share/kelm" << "config/kelm" << "config/kelm" << "usr/share/kelm";
}

void TestProgram::places()
{
    QFETCH(QString, beside);
    QFETCH(QString, programFolder);
    QFETCH(bool, portable);
    QFETCH(QString, files);
    QFETCH(QString, settings);
    QFETCH(QString, registry);
    QFETCH(QString, skin);
    QTemporaryDir root;
    QVERIFY(QDir(root.path()).mkpath("usr/bin"));
    if (beside.endsWith(u'/'))
        QVERIFY(QDir(root.filePath("usr/bin")).mkpath(beside));
    else if (!beside.isEmpty())
        QVERIFY(QFile(root.filePath("usr/bin/" + beside)).open(QIODevice::WriteOnly));
    const auto at = [&](const QString &relative) { return root.filePath(relative); };

    const ProgramPlaces places = programPlaces(root.filePath(programFolder), at("share"), at("config"));
    QCOMPARE(places.portable, portable);
    QCOMPARE(places.files, at(files));
    QCOMPARE(places.settings, at(settings));
    QCOMPARE(places.registry, at(registry));
    QCOMPARE(places.skin, at(skin));
}

void TestProgram::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("answered");
    QTest::addColumn<QString>("firstLine");

    QTest::newRow("no arguments") << QStringList{} << false << "";
    QTest::newRow("--version") << QStringList{"--version"} << true << "kelm 3.21";
    QTest::newRow("-v") << QStringList{"-v"} << true << "kelm 3.21";
    QTest::newRow("--help") << QStringList{"--help"} << true << "用法：kelm [选项]";
    QTest::newRow("-h") << QStringList{"-h"} << true << "用法：kelm [选项]";
    QTest::newRow("after a file name") << QStringList{"账本.dat", "--version"} << true << "kelm 3.21";
    QTest::newRow("help before version") << QStringList{"--help", "--version"} << true << "用法：kelm [选项]";
    // These start the program, which hands over to a running copy.
    QTest::newRow("a file name") << QStringList{"账本.dat"} << false << "";
    QTest::newRow("an option of no meaning") << QStringList{"--verbose"} << false << "";
    QTest::newRow("a name after --") << QStringList{"--", "--version"} << false << "";
}

void TestProgram::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, answered);
    QFETCH(QString, firstLine);
    const CommandLineAnswer answer = answerCommandLine(arguments);
    QCOMPARE(answer.answered, answered);
    QCOMPARE(answer.text.section(u'\n', 0, 0), firstLine);
    QVERIFY(answer.text.isEmpty() || answer.text.endsWith(u'\n'));
}

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"
