// Builds the Debian package from the build tree and unpacks it into a temporary root, as dpkg would
// lay it out without root. The menu entry and the software-centre description must pass their
// validators, the menus must find the program and its icon, and the unpacked program, started with
// a home of its own, must keep the household's files in that home and write nothing beside itself.
#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run
{
    int code = -1;
    QString output;
};

Run run(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(120000))
        return {-1, QStringLiteral("%1 did not finish: %2").arg(program, process.errorString())};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, QString::fromUtf8(process.readAll())};
}

QStringList filesUnder(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(folder).relativeFilePath(it.next()));
    files.sort();
    return files;
}

} // namespace

class TestPackage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void controlFields_data();
    void controlFields();
    void installedFiles_data();
    void installedFiles();
    void desktopEntryValidates();
    void metainfoValidates();
    void commandLine_data();
    void commandLine();
    void installedProgramKeepsFilesInHome();

private:
    QString rootPath(const QString &relative) const { return work.filePath(QStringLiteral("root/") + relative); }

    QTemporaryDir work;
    QString package;
};

void TestPackage::initTestCase()
{
    QVERIFY(work.isValid());
    const Run built = run(CPACK_PROGRAM, {"--config", KELM_BUILD_DIR "/CPackConfig.cmake", "-B", work.filePath("package")});
    QVERIFY2(built.code == 0, qPrintable(built.output));
    const QStringList debs = QDir(work.filePath("package")).entryList({"*.deb"}, QDir::Files);
    QCOMPARE(debs.size(), 1);
    package = work.filePath("package/" + debs.first());
    const Run unpacked = run("dpkg-deb", {"-x", package, work.filePath("root")});
    QVERIFY2(unpacked.code == 0, qPrintable(unpacked.output));
}

void TestPackage::controlFields_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected"); // a pattern the field's value must match
    QTest::newRow("name") << "Package" << "^kelm$";
    QTest::newRow("version") << "Version" << "^3\\.21$";
    QTest::newRow("maintainer") << "Maintainer" << "^.+ <.+@.+>$";
    QTest::newRow("summary") << "Description" << "^\\S.*\\n .+";
    // dpkg-shlibdeps finds the libraries; the font is named because the program only loads it.
    QTest::newRow("the widget toolkit") << "Depends" << "(^|, )libqt6widgets6 \\(>= [^)]+\\)";
    QTest::newRow("the database engine") << "Depends" << "(^|, )libsqlite3-0 \\(>= [^)]+\\)";
    QTest::newRow("the Chinese font") << "Depends" << "(^|, )fonts-noto-cjk(,|$)";
    QTest::newRow("section") << "Section" << "^\\w+$";
}

void TestPackage::controlFields()
{
    QFETCH(QString, field);
    QFETCH(QString, expected);
    const Run read = run("dpkg-deb", {"-f", package, field});
    QCOMPARE(read.code, 0);
    const QString value = read.output.trimmed();
    QVERIFY2(QRegularExpression(expected).match(value).hasMatch(), qPrintable(field + ": " + value));
}

void TestPackage::installedFiles_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("program") << "usr/bin/kelm";
    QTest::newRow("skin") << "usr/share/kelm/Skin/Green.cskn";
    QTest::newRow("menu entry") << "usr/share/applications/com.tavrix.kelm.desktop";
    QTest::newRow("description") << "usr/share/metainfo/com.tavrix.kelm.metainfo.xml";
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        QTest::addRow("icon %d", size) << QStringLiteral("usr/share/icons/hicolor/%1x%1/apps/kelm.png").arg(size);
    QTest::newRow("scalable icon") << "usr/share/icons/hicolor/scalable/apps/kelm.svg";
    QTest::newRow("manual page") << "usr/share/man/man1/kelm.1.gz";
    QTest::newRow("copyright") << "usr/share/doc/kelm/copyright";
    QTest::newRow("change log") << "usr/share/doc/kelm/changelog.gz";
}

void TestPackage::installedFiles()
{
    QFETCH(QString, path);
    const QFileInfo file(rootPath(path));
    QVERIFY2(file.isFile() && file.size() > 0, qPrintable(path));
    if (path.endsWith(".png")) {
        const int size = path.section(u'/', 4, 4).section(u'x', 0, 0).toInt();
        QCOMPARE(QImage(file.filePath()).size(), QSize(size, size));
    }
}

void TestPackage::desktopEntryValidates()
{
    const QString entry = rootPath("usr/share/applications/com.tavrix.kelm.desktop");
    const Run validated = run("desktop-file-validate", {entry});
    QVERIFY2(validated.code == 0 && validated.output.isEmpty(), qPrintable(validated.output));
    // The entry starts the installed program and shows the installed icon.
    QSettings desktop(entry, QSettings::IniFormat);
    desktop.beginGroup("Desktop Entry");
    QCOMPARE(desktop.value("Name").toString(), QStringLiteral("Varnel家庭理财"));
    QCOMPARE(desktop.value("Exec").toString(), QStringLiteral("kelm"));
    QVERIFY(QFileInfo(rootPath("usr/bin/kelm")).isExecutable());
    QVERIFY(QFileInfo::exists(rootPath("usr/share/icons/hicolor/48x48/apps/" + desktop.value("Icon").toString() + ".png")));
}

void TestPackage::metainfoValidates()
{
    const Run validated = run("appstreamcli", {"validate", "--no-net", "--no-color", rootPath("usr/share/metainfo/com.tavrix.kelm.metainfo.xml")});
    QVERIFY2(validated.code == 0, qPrintable(validated.output));
}

void TestPackage::commandLine_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("firstLine");
    QTest::newRow("version") << "--version" << "kelm 3.21";
    QTest::newRow("help") << "--help" << "用法：kelm [选项]";
}

void TestPackage::commandLine()
{
    QFETCH(QString, argument);
    QFETCH(QString, firstLine);
    // Answered without a display and without writing anything.
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("QT_QPA_PLATFORM");
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    environment.insert("HOME", home.path());
    for (const char *name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME"})
        environment.remove(name);
    const Run answered = run(rootPath("usr/bin/kelm"), {argument}, environment);
    QCOMPARE(answered.code, 0);
    QCOMPARE(answered.output.section(u'\n', 0, 0), firstLine);
    QCOMPARE(filesUnder(home.path()), QStringList());
}

void TestPackage::installedProgramKeepsFilesInHome()
{
    QTemporaryDir home;
    const QStringList before = filesUnder(work.filePath("root"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("HOME", home.path());
    // The XDG defaults, as in a household's session.
    for (const char *name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"})
        environment.remove(name);
    environment.insert("KELM_TEST_INSTANCE", QStringLiteral("kelm-package-%1").arg(QCoreApplication::applicationPid()));
    // The killed program leaves its instance socket behind, in a temporary folder of its own.
    QTemporaryDir temporary;
    environment.insert("TMPDIR", temporary.path());

    QProcess program;
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(rootPath("usr/bin/kelm"), {});
    QVERIFY(program.waitForStarted());
    QByteArray output;
    // The main window shows only once the skin from share/kelm was read and the user directory opened.
    QTRY_VERIFY2_WITH_TIMEOUT((output += program.readAll()).contains("main window shown") || program.state() == QProcess::NotRunning,
                              output.constData(), 30000);
    QVERIFY2(output.contains("main window shown"), output.constData());
    program.kill();
    program.waitForFinished();

    const QString files = home.filePath(".local/share/kelm/");
    const QString settings = home.filePath(".config/kelm/");
    QVERIFY(QFileInfo(files + "data/yhlb.dat").isFile());
    QVERIFY(QFileInfo(settings + "config.ini").isFile());
    QVERIFY(QFileInfo(settings + "tavrix/kelm.conf").isFile()); // the per-user key store
    QCOMPARE(filesUnder(work.filePath("root")), before);
    // Nothing of the household's lands anywhere else in the home.
    for (const QString &path : filesUnder(home.path()))
        QVERIFY2(!path.contains("kelm") || path.startsWith(".local/share/kelm") || path.startsWith(".config/kelm"), qPrintable(path));
}

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
