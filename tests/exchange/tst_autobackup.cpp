// Automatic copies of the ledger: when they are written, which of them stay over a year, the safety
// copy before work that replaces records, restoring a copy, and what a deleted user leaves.
#include "dataaccess/ledgerfixture.h"
#include "sessionfixture.h"

#include "common/clock.h"
#include "common/files.h"
#include "common/settings.h"
#include "dataaccess/instances.h"
#include "exchange/autobackup.h"
#include "exchange/backup.h"
#include "support/scriptedprompter.h"
#include "users/administration.h"
#include "users/userdirectory.h"

#include <QFile>

namespace {

// Records what long work reports, and checks that it is told in order.
class ProgressRecorder : public ScriptedPrompter
{
public:
    QStringList begun;
    int open = 0;
    bool stepsInOrder = true;
    QList<qint64> last;
    void beginProgress(const QString &what, qint64, bool) override
    {
        begun.append(what);
        ++open;
        last.append(-1);
    }
    bool stepProgress(qint64 done) override
    {
        stepsInOrder &= !last.isEmpty() && done >= last.last();
        if (!last.isEmpty())
            last.last() = done;
        return true;
    }
    void endProgress() override
    {
        --open;
        if (!last.isEmpty())
            last.removeLast();
    }
};

QStringList takenTimes(const QString &ledger)
{
    QStringList times;
    for (const AutomaticCopy &copy : automaticCopies(ledger))
        times.append(copy.taken.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    return times;
}

} // namespace

class TestAutoBackup : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void copiesOnlyAChangedLedger();
    void aYearOfSessions();
    void safetyCopyOnceAMinute();
    void restoreOfAnAutomaticCopy();
    void longWorkReportsItsProgress_data();
    void longWorkReportsItsProgress();
    void deletedUsersCopiesNeverReachANewcomer();

private:
    void addRecord(const QString &name);
    QStringList ledger();
    QTemporaryDir *dir = nullptr;
    Session session;
    ProgressRecorder prompter;
};

void TestAutoBackup::init()
{
    dir = new QTemporaryDir;
    prompter = ProgressRecorder();
    openFixtureSession(*dir, QDateTime(QDate(2026, 1, 1), QTime(8, 0)), session, prompter);
    prompter = ProgressRecorder();
}

void TestAutoBackup::cleanup()
{
    closeFixtureSession();
    delete dir;
}

void TestAutoBackup::addRecord(const QString &name)
{
    if (!userConnection.IsOpen()) {
        QVERIFY(userConnection.OpenJet(session.currentDbPath, databasePassword));
        userRecordset.SetConnection(userConnection);
    }
    QVERIFY(userConnection.Execute("insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq,bz) values ('生活','" + name
                                   + "',1.5,0,'张三','2026-01-01','')"));
}

QStringList TestAutoBackup::ledger()
{
    if (!userConnection.IsOpen()) {
        userConnection.OpenJet(session.currentDbPath, databasePassword);
        userRecordset.SetConnection(userConnection);
    }
    return rowsOf(userRecordset, "select xmmc from lcsj order by xmmc", {"xmmc"});
}

void TestAutoBackup::copiesOnlyAChangedLedger()
{
    const QString path = session.currentDbPath;
    QCOMPARE(backUpAtSessionEnd(path, prompter), AutomaticBackup::Written);
    Clock::setFixed(Clock::now().addSecs(3600));
    QCOMPARE(backUpAtSessionEnd(path, prompter), AutomaticBackup::Unchanged);
    addRecord("早餐");
    QCOMPARE(backUpAtSessionEnd(path, prompter), AutomaticBackup::Written);
    // Both stay: every copy of the last day does.
    QCOMPARE(takenTimes(path), (QStringList{"2026-01-01 09:00", "2026-01-01 08:00"}));
    // The copy is the ledger as it was, readable as a backup.
    const QList<AutomaticCopy> copies = automaticCopies(path);
    QCOMPARE(copyRecordCount(copies[0].path), 1);
    QCOMPARE(copyRecordCount(copies[1].path), 0);
    QCOMPARE(copies[0].size, QFileInfo(path).size());
    QVERIFY(copies[0].path.startsWith(programPath("data/backups/张三/")));
    QVERIFY(copies[0].path.endsWith("2026-01-01 09-00-00.lcabak"));

    // Switched off in the settings file, the session's end writes nothing.
    setAutomaticBackupsOn(false);
    QCOMPARE(readSetting("zdbf", "kq"), "0");
    addRecord("午餐");
    QCOMPARE(backUpAtSessionEnd(path, prompter), AutomaticBackup::Off);
    QCOMPARE(automaticCopies(path).size(), 2);
    setAutomaticBackupsOn(true);
    QVERIFY(automaticBackupsOn());
    QCOMPARE(prompter.messages, QStringList());
}

// Two sessions a day, each with a change, through 2026: at the end the copies of the last 24 hours
// and the newest of the last 7 days stay, then 4 more weeks and 11 more months (December's newest
// is already among the days).
void TestAutoBackup::aYearOfSessions()
{
    const QString path = session.currentDbPath;
    int n = 0;
    for (QDate day(2026, 1, 1); day.year() == 2026; day = day.addDays(1)) {
        for (const QTime at : {QTime(8, 0), QTime(21, 0)}) {
            Clock::setFixed(QDateTime(day, at));
            addRecord(QString::number(++n));
            QCOMPARE(backUpAtSessionEnd(path, prompter), AutomaticBackup::Written);
            const QStringList times = takenTimes(path);
            QCOMPARE(times.first(), Clock::now().toString("yyyy-MM-dd HH:mm"));
            // Besides the newest of each period, at most the morning copy is younger than a day.
            QVERIFY2(times.size() <= 7 + 4 + 12 + 1, qPrintable(times.join(", ")));
        }
    }
    QCOMPARE(takenTimes(path).join(", "), (QStringList{
        "2026-12-31 21:00", "2026-12-31 08:00", "2026-12-30 21:00", "2026-12-29 21:00", "2026-12-28 21:00", "2026-12-27 21:00",
        "2026-12-26 21:00", "2026-12-25 21:00",
        "2026-12-20 21:00", "2026-12-13 21:00", "2026-12-06 21:00", "2026-11-30 21:00", "2026-11-29 21:00",
        "2026-10-31 21:00", "2026-09-30 21:00", "2026-08-31 21:00", "2026-07-31 21:00", "2026-06-30 21:00",
        "2026-05-31 21:00", "2026-04-30 21:00", "2026-03-31 21:00", "2026-02-28 21:00", "2026-01-31 21:00"}.join(", ")));
    // Nothing but the copies is left in the folder.
    QCOMPARE(QDir(automaticBackupFolder(path)).entryList(QDir::Files | QDir::Hidden).size(), 23);
    // The newest copy holds the last session's ledger.
    QCOMPARE(copyRecordCount(automaticCopies(path).first().path), n);
}

void TestAutoBackup::safetyCopyOnceAMinute()
{
    const QString path = session.currentDbPath;
    QVERIFY(takeSafetyCopy(path, prompter));
    addRecord("早餐");
    Clock::setFixed(Clock::now().addSecs(59));
    QVERIFY(takeSafetyCopy(path, prompter));
    QCOMPARE(automaticCopies(path).size(), 1);
    Clock::setFixed(Clock::now().addSecs(2));
    QVERIFY(takeSafetyCopy(path, prompter));
    QCOMPARE(takenTimes(path), (QStringList{"2026-01-01 08:01", "2026-01-01 08:00"}));

    // A copy that cannot be written asks whether to go on.
    QDir(automaticBackupFolder(path)).removeRecursively();
    QFile blocker(automaticBackupFolder(path));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Clock::setFixed(Clock::now().addSecs(120));
    prompter.answers = {false};
    QVERIFY(!takeSafetyCopy(path, prompter));
    QCOMPARE(prompter.questions, QStringList{"自动备份当前数据失败！是否仍然继续？"});
}

// A copy chosen in the automatic backups window goes through the questions of 恢复数据, without
// its file dialog, and the ledger it replaces is kept as a safety copy first.
void TestAutoBackup::restoreOfAnAutomaticCopy()
{
    const QString path = session.currentDbPath;
    addRecord("早餐");
    QCOMPARE(backUpAtSessionEnd(path, prompter), AutomaticBackup::Written);
    const QString copy = automaticCopies(path).first().path;
    addRecord("午餐");
    Clock::setFixed(Clock::now().addSecs(300));
    int logOuts = 0;
    prompter.answers = {true, true};
    QCOMPARE(restoreLedger(userConnection, userRecordset, auxConnection, auxRecordset, session, prompter, [&] { ++logOuts; logOutSession(session); }, copy), RestoreState::Idle);
    QCOMPARE(prompter.questions, (QStringList{"恢复数据前请先备份好数据！是否断续？", "恢复数据将删除原数据库，是否真的要恢复数据？"}));
    QCOMPARE(prompter.fileKinds, QStringList());
    QCOMPARE(prompter.messages, QStringList{"恢复数据成功！"});
    QCOMPARE(logOuts, 1);
    QCOMPARE(ledger(), QStringList{"早餐"});
    const QList<AutomaticCopy> copies = automaticCopies(path);
    QCOMPARE(copies.size(), 2);
    QCOMPARE(copyRecordCount(copies.first().path), 2);
    QVERIFY(!QFile::exists(restoreCopyPath()));
}

void TestAutoBackup::longWorkReportsItsProgress_data()
{
    QTest::addColumn<QString>("work");
    QTest::addColumn<QStringList>("reports");
    QTest::newRow("backup") << "backup" << QStringList{"正在备份数据……"};
    QTest::newRow("compaction") << "compact" << QStringList{"正在压缩数据……"};
    QTest::newRow("restore") << "restore" << QStringList{"正在读取备份数据……", "正在自动备份数据……", "正在恢复数据……"};
    QTest::newRow("automatic copy") << "automatic" << QStringList{"正在自动备份数据……"};
}

void TestAutoBackup::longWorkReportsItsProgress()
{
    QFETCH(QString, work);
    QFETCH(QStringList, reports);
    addRecord("早餐");
    QVERIFY(userConnection.BeginTrans() != 0);
    for (int i = 0; i < 2000; ++i)
        addRecord(QString::number(i));
    QVERIFY(userConnection.CommitTrans());
    const QString backup = dir->filePath("理财数据.lcabak");
    prompter.answers = {true, true};
    prompter.files = {backup};
    const auto logOut = [this] { logOutSession(session); };
    if (work == "backup") {
        backupLedger(session, prompter);
    } else if (work == "compact") {
        compactLedger(userConnection, userRecordset, session, prompter, logOut);
    } else if (work == "restore") {
        QVERIFY(copyFileReplacing(session.currentDbPath, backup));
        QCOMPARE(restoreLedger(userConnection, userRecordset, auxConnection, auxRecordset, session, prompter, logOut), RestoreState::Idle);
    } else {
        QCOMPARE(backUpAtSessionEnd(session.currentDbPath, prompter), AutomaticBackup::Written);
    }
    QCOMPARE(prompter.begun, reports);
    QCOMPARE(prompter.open, 0);
    QVERIFY(prompter.stepsInOrder);
}

void TestAutoBackup::deletedUsersCopiesNeverReachANewcomer()
{
    const QString path = session.currentDbPath;
    addRecord("早餐");
    QCOMPARE(backUpAtSessionEnd(path, prompter), AutomaticBackup::Written);
    // The deletion's own questions cover the copies; answered no, they stay.
    prompter.answers = {true, false};
    QCOMPARE(deleteUser(directoryConnection, userConnection, userRecordset, session, "张三", "secret", prompter, {}), AdminOutcome::Refused);
    QCOMPARE(automaticCopies(path).size(), 1);
    prompter.answers = {true, true};
    QCOMPARE(deleteUser(directoryConnection, userConnection, userRecordset, session, "张三", "secret", prompter, {}), AdminOutcome::Done);
    QVERIFY(!QFileInfo::exists(automaticBackupFolder(path)));

    // Copies a deletion cut off left behind are set aside when the name is registered again.
    QVERIFY(QDir().mkpath(automaticBackupFolder(path)));
    QVERIFY(QFile::copy(dir->filePath("data/yhlb.dat"), automaticBackupFolder(path) + "/2026-01-01 08-00-00.lcabak"));
    QCOMPARE(registerUser(directoryConnection, directoryRecordset, userConnection, userRecordset, "张三", "other", "other", prompter), AdminOutcome::Done);
    QCOMPARE(automaticCopies(ledgerPath("张三")).size(), 0);
    QVERIFY(QFile::exists(dir->filePath("data/backups-aside/张三/2026-01-01 08-00-00.lcabak")));
}

QTEST_GUILESS_MAIN(TestAutoBackup)
#include "tst_autobackup.moc"
