// Every write path killed part-way: a child program runs the operation and is killed with SIGKILL
// at random moments of its run and at chosen system calls, and a registration or deletion cut off
// sometimes has the start-up that recovers it killed as well. After each kill the directory and
// every ledger must read whole, hold what they held before or what the operation writes, open in
// the program, and the next run of the operation must leave no copy behind.
#include "writepaths.h"

#include "common/files.h"
#include "dataaccess/databasefile.h"
#include "dataaccess/instances.h"
#include "support/filebytes.h"
#include "users/passworddigest.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <cerrno>
#include <csignal>
#include <ctime>
#include <optional>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

using namespace crash;

namespace {

// ---- The files as SQLite sees them ----------------------------------------------------------

// One database file as a plain SQLite connection reads it: a hot journal a kill left is rolled
// back by the opening, as it would be by the program.
struct DatabaseState
{
    bool present = false;
    QString integrity;   // "ok" when the engine's check of every page finds nothing
    QByteArray contents; // every row of every table, in table and key order
    QString summary;     // what a person would see of it: the users listed, or the account and the record count
    bool operator==(const DatabaseState &o) const { return present == o.present && contents == o.contents; }
};

DatabaseState readDatabase(const QString &path)
{
    DatabaseState state;
    state.summary = QStringLiteral("absent");
    if (!QFileInfo::exists(path))
        return state;
    state.present = true;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        state.integrity = QStringLiteral("cannot open: ") + QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close(db);
        return state;
    }
    const auto rows = [db](const QByteArray &sql, QByteArray *out) {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr) != SQLITE_OK)
            return false;
        int step;
        while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, c));
                out->append(text ? QByteArray(text) : QByteArrayLiteral("<null>")).append('\x1f');
            }
            out->append('\n');
        }
        sqlite3_finalize(statement);
        return step == SQLITE_DONE;
    };
    QByteArray integrity;
    if (!rows("PRAGMA integrity_check", &integrity))
        integrity = "check failed: " + QByteArray(sqlite3_errmsg(db));
    state.integrity = QString::fromUtf8(integrity).remove(u'\x1f').trimmed();
    QByteArray tables;
    rows("select name from sqlite_master where type='table' and name not like 'sqlite_%' order by name", &tables);
    for (QByteArray table : tables.split('\n')) {
        table.chop(1);
        if (table.isEmpty())
            continue;
        state.contents.append("[" + table + "]\n");
        if (!rows("select * from \"" + table + "\" order by 1", &state.contents))
            state.integrity += QStringLiteral(" unreadable table ") + QString::fromUtf8(table);
    }
    QByteArray summary;
    rows("select group_concat(yhmc, ',') from yhlbsj", &summary);
    if (summary.isEmpty()) {
        rows("select 'account ' || count(*) from yhsj", &summary);
        rows("select 'records ' || count(*) from lcsj", &summary);
    }
    state.summary = QString::fromUtf8(summary).remove(u'\x1f').replace(u'\n', u' ').trimmed();
    sqlite3_close(db);
    return state;
}

// The directory, the three ledgers and where a registration keeps a ledger the name had; other
// files are judged by name.
QStringList databaseFiles()
{
    return {QStringLiteral("yhlb.dat"), owner + QStringLiteral("_lc.dat"), newcomer + QStringLiteral("_lc.dat"),
            newcomer + QStringLiteral("_lc.dat.bak"), bystander + QStringLiteral("_lc.dat")};
}

using FolderState = QMap<QString, DatabaseState>;

bool copyFolder(const QString &from, const QString &to);

// Read from a copy, so that the program later meets the files, and any journal beside them, as
// the kill left them.
FolderState readFolder(const QString &folder)
{
    const QString copy = folder + QStringLiteral("-read");
    QDir(copy).removeRecursively();
    FolderState state;
    if (!copyFolder(folder + QStringLiteral("/data"), copy))
        return state;
    for (const QString &file : databaseFiles())
        state.insert(file, readDatabase(copy + u'/' + file));
    QDir(copy).removeRecursively();
    return state;
}

QStringList dataFiles(const QString &folder)
{
    return QDir(folder + QStringLiteral("/data")).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// Files an operation keeps by design: the migration's working copy and its safety copy.
bool keptByDesign(const QString &path, const QString &file, const QStringList &present)
{
    if (databaseFiles().contains(file))
        return true;
    // A journal SQLite left beside its database is the engine's to settle at the next write.
    if (file.endsWith(QLatin1String("-journal")) && present.contains(file.chopped(8)) && databaseFiles().contains(file.chopped(8)))
        return true;
    // A rerun of the migration takes the next free name for its safety copy.
    if (path == QLatin1String("migrate"))
        return file == QLatin1String("temp2.dat")
            || QRegularExpression(QStringLiteral("^%1_lc\\.dat\\.bak\\d*$").arg(QRegularExpression::escape(owner)))
                   .match(file)
                   .hasMatch();
    return false;
}

// The names of copies, journals and partial files, with the process number taken out so that
// the same kind of leftover counts once.
QString leftoverKind(const QString &file)
{
    QString kind = file;
    kind.replace(QRegularExpression(QStringLiteral("\\.part\\d+")), QStringLiteral(".part<pid>"));
    kind.replace(QRegularExpression(QStringLiteral("\\.compact\\d+\\.tmp")), QStringLiteral(".compactN.tmp"));
    return kind;
}

bool copyFolder(const QString &from, const QString &to)
{
    QDirIterator it(from, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + file.mid(from.size());
        if (!QDir().mkpath(QFileInfo(target).path()) || !QFile::copy(file, target))
            return false;
    }
    return true;
}

// ---- The child ------------------------------------------------------------------------------

struct Child
{
    pid_t pid = -1;
    int output = -1; // the child's stdout
};

Child spawnChild(const QString &folder, const QString &path, bool traced)
{
    Child child;
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        return child;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    const QByteArray program = QByteArrayLiteral(CRASH_CHILD);
    const QByteArray folderArg = QFile::encodeName(folder);
    const QByteArray pathArg = path.toLocal8Bit();
    char *argv[] = {const_cast<char *>(program.constData()), const_cast<char *>(folderArg.constData()),
                    const_cast<char *>(pathArg.constData()), const_cast<char *>(traced ? "traced" : "plain"), nullptr};
    if (posix_spawn(&child.pid, program.constData(), &actions, nullptr, argv, environ) != 0)
        child.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    child.output = pipeEnds[0];
    return child;
}

// The next byte the child writes, or 0 when it closed its output or the wait ran out.
char readByte(int fd, int timeoutMs)
{
    pollfd p{fd, POLLIN, 0};
    char c = 0;
    if (::poll(&p, 1, timeoutMs) == 1 && ::read(fd, &c, 1) == 1)
        return c;
    return 0;
}

int reap(Child &child)
{
    int status = 0;
    while (::waitpid(child.pid, &status, 0) < 0 && errno == EINTR) {
    }
    ::close(child.output);
    return status;
}

bool killedByUs(int status)
{
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

// A run to its end, as the next run of the operation or its timing: true when it ended well.
bool runChild(const QString &folder, const QString &path, qint64 *operationNs = nullptr)
{
    Child child = spawnChild(folder, path, false);
    if (child.pid < 0)
        return false;
    QElapsedTimer timer;
    const bool ready = readByte(child.output, 60000) == 'R';
    timer.start();
    const bool done = ready && readByte(child.output, 120000) == 'D';
    if (operationNs)
        *operationNs = timer.nsecsElapsed();
    const int status = reap(child);
    return done && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// ---- Killing at a system call ---------------------------------------------------------------

// The calls that change a file or its name, and among them the ones where an operation moves
// from one step to the next: syncs, renames, deletions, truncations and new files.
enum class CallKind { Other, Write, Step };

CallKind callKind(const __ptrace_syscall_info &info)
{
    const auto nr = long(info.entry.nr);
    switch (nr) {
    case SYS_write:
    case SYS_pwrite64:
    case SYS_writev:
    case SYS_pwritev:
    case SYS_pwritev2:
        return CallKind::Write;
    case SYS_fsync:
    case SYS_fdatasync:
    case SYS_renameat:
    case SYS_renameat2:
    case SYS_unlinkat:
    case SYS_ftruncate:
    case SYS_truncate:
#ifdef SYS_rename
    case SYS_rename:
#endif
#ifdef SYS_unlink
    case SYS_unlink:
#endif
        return CallKind::Step;
    case SYS_openat:
        return (info.entry.args[2] & O_CREAT) ? CallKind::Step
            : (info.entry.args[2] & (O_WRONLY | O_RDWR | O_TRUNC)) ? CallKind::Write
                                                                     : CallKind::Other;
#ifdef SYS_open
    case SYS_open:
        return (info.entry.args[1] & O_CREAT) ? CallKind::Step
            : (info.entry.args[1] & (O_WRONLY | O_RDWR | O_TRUNC)) ? CallKind::Write
                                                                     : CallKind::Other;
#endif
    default:
        return CallKind::Other;
    }
}

struct TracedRun
{
    QList<CallKind> calls; // the counted calls up to the kill, in order
    int status = 0;
    bool traced = false;
};

// Runs the child under trace and kills it at the entry of counted call number `target` (from 1),
// or at its return when afterCall; a target of 0 lets it run to its end.
TracedRun runTraced(const QString &folder, const QString &path, int target, bool afterCall)
{
    TracedRun run;
    Child child = spawnChild(folder, path, true);
    if (child.pid < 0)
        return run;
    int status = 0;
    ::waitpid(child.pid, &status, 0);
    run.traced = WIFSTOPPED(status) && WSTOPSIG(status) == SIGSTOP
        && ::ptrace(PTRACE_SETOPTIONS, child.pid, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL) == 0;
    if (!run.traced) {
        ::kill(child.pid, SIGKILL);
        run.status = reap(child);
        return run;
    }
    int pass = 0;
    bool killAtReturn = false;
    for (;;) {
        if (::ptrace(PTRACE_SYSCALL, child.pid, nullptr, pass) != 0)
            break;
        pass = 0;
        if (::waitpid(child.pid, &status, 0) < 0 || !WIFSTOPPED(status))
            break;
        if (WSTOPSIG(status) != (SIGTRAP | 0x80)) {
            pass = WSTOPSIG(status);
            continue;
        }
        __ptrace_syscall_info info{};
        if (::ptrace(PTRACE_GET_SYSCALL_INFO, child.pid, sizeof info, &info) <= 0) {
            run.traced = false;
            ::kill(child.pid, SIGKILL);
            break;
        }
        if (info.op == PTRACE_SYSCALL_INFO_EXIT && killAtReturn) {
            ::kill(child.pid, SIGKILL);
            break;
        }
        if (info.op != PTRACE_SYSCALL_INFO_ENTRY)
            continue;
        const CallKind kind = callKind(info);
        if (kind == CallKind::Other)
            continue;
        run.calls.append(kind);
        if (run.calls.size() == target) {
            if (!afterCall) {
                ::kill(child.pid, SIGKILL);
                break;
            }
            killAtReturn = true;
        }
    }
    run.status = reap(child);
    return run;
}

// ---- What a kill left -----------------------------------------------------------------------

enum class Outcome { Before, After, SetAside, Unchanged, Neither };

struct Tally
{
    int kills = 0;    // the child died of our SIGKILL
    int finished = 0; // the child had ended before the kill came
    int recoveryKills = 0; // of the kills, those followed by a start-up killed in its recovery
    int bad = 0;      // kills after which anything at all was wrong
    int before = 0, after = 0, setAside = 0; // set aside: gone, the ledger the name had kept aside
    int same = 0;                            // the operation changes no row (compaction)
    QMap<QString, int> faults;       // what went wrong, and how often
    QMap<QString, int> leftByKill;   // files a kill left beside the databases, before any next run
    QMap<QString, int> keptByDesign; // files the operation keeps, found after the next run
    qint64 operationMs = 0;
    int countedCalls = 0, stepCalls = 0;
    qint64 elapsedMs = 0;
};

} // namespace

class TestCrashSafety : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void killedPart_way_data();
    void killedPart_way();

private:
    void buildFixture();
    bool prepareFolder(const QString &path, const QString &folder);
    QStringList judge(const QString &path, const QString &folder, Outcome *outcome);
    QStringList automaticCopyFaults(const QString &path, const QString &folder);
    QTemporaryDir root;
    QString fixture;
    QString cutFixture; // with the newcomer's unlisted ledger cut off in a save
    // Of the path under test: before it, after it, and gone with the kept ledger set aside.
    FolderState beforeState;
    FolderState afterState;
    std::optional<FolderState> setAsideState;
    QMap<QString, Tally> tallies;
    QRandomGenerator random;
    int randomKills = 16;
    int callKills = 16;
};

namespace {

void addRecords(int count, int seed)
{
    QVERIFY(userConnection.BeginTrans() != 0);
    for (int i = 0; i < count; ++i) {
        const int n = seed + i;
        QVERIFY(userConnection.Execute(
            QStringLiteral("insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq,tjrq,gxrq,bz) values ('类型%1','名称%2',%3,%4,'%5','%6','%7','%7','备注%8')")
                .arg(n % 7)
                .arg(n % 53)
                .arg(n % 3 ? n * 1.5 : 0)
                .arg(n % 3 ? 0 : n * 10.25)
                .arg(n % 2 ? owner : bystander)
                .arg(QDate(2010, 1, 1).addDays(n % 4000).toString(Qt::ISODate))
                .arg(QStringLiteral("2020-01-01 08:00:00"))
                .arg(n)));
    }
    QVERIFY(userConnection.CommitTrans());
}

} // namespace

// A program folder with the owner's and the bystander's ledgers, and, outside data/, a workbook,
// a backup and an older-version file whose records all differ from the ledger's.
void TestCrashSafety::buildFixture()
{
    fixture = root.filePath(QStringLiteral("fixture"));
    QVERIFY(QDir().mkpath(fixture + QStringLiteral("/data")) && QDir().mkpath(fixture + QStringLiteral("/in")));
    setProgramDirectory(fixture);
    ScriptedPrompter prompter;
    prompter.answers = QList<bool>(8, true);
    QStringList users;
    QCOMPARE(openUserDirectory(directoryConnection, directoryRecordset, prompter, users), DirectoryOpen::Opened);
    QCOMPARE(registerUser(directoryConnection, directoryRecordset, userConnection, userRecordset, owner, ownerPassword, ownerPassword, prompter), AdminOutcome::Done);
    QCOMPARE(registerUser(directoryConnection, directoryRecordset, userConnection, userRecordset, bystander, bystanderPassword, bystanderPassword, prompter), AdminOutcome::Done);
    Session session;
    QCOMPARE(logIn(userConnection, userRecordset, session, bystander, bystanderPassword, prompter), LoginOutcome::LoggedIn);
    addRecords(200, 100000);

    QCOMPARE(logIn(userConnection, userRecordset, session, owner, ownerPassword, prompter), LoginOutcome::LoggedIn);
    addRecords(800, 200000);
    prompter.files = {workbookPath()};
    exportLedger(userConnection, userRecordset, prompter);
    prompter.files = {backupPath()};
    backupLedger(session, prompter);
    QCOMPARE(prompter.messages.mid(prompter.messages.size() - 2), (QStringList{"导出数据成功！", "备份数据成功！"}));
    QVERIFY(userConnection.Execute(QStringLiteral("delete from lcsj")));
    addRecords(2000, 0);
    closeAll();
    const QString copies = automaticBackupFolder(ledgerPath(owner));
    QVERIFY(QDir().mkpath(copies));
    for (const QString &copy : earlierAutomaticCopies())
        QVERIFY(QFile::copy(backupPath(), copies + u'/' + copy));

    // The older version's file: its own two tables, the same user and password.
    DbConnection old;
    QVERIFY(createDatabaseFile(olderVersionPath(), databasePassword) && old.OpenJet(olderVersionPath(), databasePassword));
    QVERIFY(old.Execute(QStringLiteral("create table dlyh (id counter primary key, mc text(50), mm text(50))")));
    QVERIFY(old.Execute(QStringLiteral("create table lcsj (id counter primary key, xmlx text(50), xmmc text(50), zcje double, "
                                       "srje double, ry text(50), rq datetime, bz memo)")));
    QVERIFY(old.Execute(QStringLiteral("insert into dlyh(mc,mm) values ('%1','%2')").arg(owner, passwordDigest(ownerPassword))));
    QVERIFY(old.BeginTrans() != 0);
    for (int i = 0; i < 1000; ++i)
        QVERIFY(old.Execute(QStringLiteral("insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq,bz) values ('旧类型','旧名称%1',%2,0,'%3','%4','')")
                                .arg(i % 41)
                                .arg(i + 0.5)
                                .arg(owner)
                                .arg(QDate(2005, 1, 1).addDays(i).toString(Qt::ISODate))));
    QVERIFY(old.CommitTrans());
    old.Close();
}

// The fixture, and for a registration over a kept ledger, a ledger of the name that no directory
// row lists: one with records, which must never be lost; for "register-cut" that ledger as a kill
// in the middle of a save left it, with its journal.
bool TestCrashSafety::prepareFolder(const QString &path, const QString &folder)
{
    QDir(folder).removeRecursively();
    if (path == QLatin1String("register-cut"))
        return copyFolder(cutFixture, folder);
    if (!copyFolder(fixture, folder))
        return false;
    return path != QLatin1String("register-kept")
        || QFile::copy(folder + QStringLiteral("/in/理财数据.lcabak"), folder + QStringLiteral("/data/") + newcomer + QStringLiteral("_lc.dat"));
}

void TestCrashSafety::initTestCase()
{
    QVERIFY(root.isValid());
    const quint32 seed = qEnvironmentVariableIsSet("KELM_CRASH_SEED") ? quint32(qEnvironmentVariableIntValue("KELM_CRASH_SEED"))
                                                                        : QRandomGenerator::system()->generate();
    random.seed(seed);
    if (qEnvironmentVariableIsSet("KELM_CRASH_KILLS"))
        randomKills = callKills = qMax(1, qEnvironmentVariableIntValue("KELM_CRASH_KILLS"));
    qInfo("seed %u (KELM_CRASH_SEED replays it), %d kills at random moments and %d at system calls per path", seed,
          randomKills, callKills);
    fixClock();
    buildFixture();
    if (QTest::currentTestFailed())
        return;
    for (const DatabaseState &file : readFolder(fixture))
        if (file.present)
            QCOMPARE(file.integrity, QStringLiteral("ok"));
    cutFixture = root.filePath(QStringLiteral("fixture-cut"));
    QVERIFY(prepareFolder(QStringLiteral("register-kept"), cutFixture));
    Child cut = spawnChild(cutFixture, QStringLiteral("cut"), false);
    QVERIFY(killedByUs(reap(cut)));
    QVERIFY(QFile::exists(cutFixture + QStringLiteral("/data/") + newcomer + QStringLiteral("_lc.dat-journal")));
}

void TestCrashSafety::cleanupTestCase()
{
    closeAll();
    qInfo("%-13s %6s %9s %8s %7s %6s %6s %5s %5s %8s %7s %9s", "path", "kills", "+recovery", "finished", "before", "after", "aside",
          "same", "bad", "op ms", "calls", "test ms");
    for (const QString &path : writePaths) {
        if (!tallies.contains(path))
            continue;
        const Tally &t = tallies[path];
        qInfo("%-13s %6d %9d %8d %7d %6d %6d %5d %5d %8lld %7d %9lld", qPrintable(path), t.kills, t.recoveryKills, t.finished,
              t.before, t.after, t.setAside, t.same, t.bad,
              t.operationMs, t.countedCalls, t.elapsedMs);
    }
}

void TestCrashSafety::killedPart_way_data()
{
    QTest::addColumn<QString>("path");
    for (const QString &path : writePaths)
        QTest::newRow(qPrintable(path)) << path;
}

// The state a kill left, judged as the program meets it: the databases read whole; after the
// program's start-up they hold, all together, what they held before the operation or what it
// writes (or, for a registration over a kept ledger, the name gone and that ledger set aside); a
// listed user logs in and a name not listed is free; and the next run of the operation leaves
// nothing behind but what it keeps by design.
QStringList TestCrashSafety::judge(const QString &path, const QString &folder, Outcome *outcome)
{
    QStringList faults;
    const FolderState killed = readFolder(folder);
    for (auto it = killed.cbegin(); it != killed.cend(); ++it)
        if (it->present && it->integrity != QLatin1String("ok"))
            faults.append(it.key() + QStringLiteral(" damaged: ") + it->integrity.left(200));

    // The program starts.
    setProgramDirectory(folder);
    ScriptedPrompter prompter;
    prompter.answers = QList<bool>(8, true);
    QStringList users;
    if (openUserDirectory(directoryConnection, directoryRecordset, prompter, users) != DirectoryOpen::Opened)
        faults.append(QStringLiteral("start-up ends the program: ") + prompter.messages.join(u' '));

    const FolderState started = readFolder(folder);
    for (auto it = started.cbegin(); it != started.cend(); ++it)
        if (it->present && it->integrity != QLatin1String("ok"))
            faults.append(it.key() + QStringLiteral(" damaged after start-up: ") + it->integrity.left(200));
    const auto matches = [&started](const FolderState &wanted) {
        for (const QString &file : databaseFiles())
            if (!(started[file] == wanted[file]))
                return false;
        return true;
    };
    const bool asBefore = matches(beforeState), asAfter = matches(afterState);
    *outcome = asBefore && asAfter ? Outcome::Unchanged
        : asBefore                 ? Outcome::Before
        : asAfter                  ? Outcome::After
        : setAsideState && matches(*setAsideState) ? Outcome::SetAside
                                                   : Outcome::Neither;
    if (*outcome == Outcome::Neither) {
        QStringList files;
        for (const QString &file : databaseFiles()) {
            const DatabaseState &now = started[file];
            if (now == beforeState[file] && now == afterState[file])
                continue;
            files.append(file + (now == beforeState[file] ? QStringLiteral(" as before (")
                                 : now == afterState[file] ? QStringLiteral(" as after (")
                                                           : QStringLiteral(" neither ("))
                         + now.summary + QStringLiteral("; before: ") + beforeState[file].summary + QStringLiteral("; after: ")
                         + afterState[file].summary + u')');
        }
        faults.append(QStringLiteral("neither the state before nor after: ") + files.join(QStringLiteral(", ")));
    }

    // A listed user logs in with the password the state says; a name not listed is free.
    Session session;
    const auto login = [&](const QString &name, const QString &password) {
        prompter.messages.clear();
        const LoginOutcome outcome = logIn(userConnection, userRecordset, session, name, password, prompter);
        if (outcome != LoginOutcome::LoggedIn)
            faults.append(name + QStringLiteral(" cannot log in (") + prompter.messages.join(u' ') + u')');
        return outcome == LoginOutcome::LoggedIn;
    };
    const auto freeName = [&](const QString &name, const QString &password) {
        prompter.messages.clear();
        prompter.answers = QList<bool>(8, true);
        if (registerUser(directoryConnection, directoryRecordset, userConnection, userRecordset, name, password, password, prompter) != AdminOutcome::Done)
            faults.append(name + QStringLiteral(" cannot register again (") + prompter.messages.join(u' ') + u')');
        else
            login(name, password);
    };
    login(bystander, bystanderPassword);
    if (path.startsWith(QLatin1String("register"))) {
        if (users.contains(newcomer))
            login(newcomer, newcomerPassword);
        else
            freeName(newcomer, newcomerPassword);
    } else if (path == QLatin1String("delete")) {
        if (!users.contains(owner)) {
            freeName(owner, ownerPassword);
        } else if (login(owner, ownerPassword)) {
            // The next run of the deletion removes the user whole.
            prompter.answers = QList<bool>(8, true);
            if (deleteUser(directoryConnection, userConnection, userRecordset, session, owner, ownerPassword, prompter, {}) != AdminOutcome::Done || fileExists(ledgerPath(owner)))
                faults.append(QStringLiteral("the next deletion fails (") + prompter.messages.join(u' ') + u')');
        }
    } else if (path == QLatin1String("password")) {
        login(owner, *outcome == Outcome::After ? newPassword : ownerPassword);
    } else {
        login(owner, ownerPassword);
    }
    closeAll();

    const bool rerun = !path.startsWith(QLatin1String("register")) && path != QLatin1String("delete") && path != QLatin1String("password");
    if (rerun && !runChild(folder, path))
        faults.append(QStringLiteral("the next run of the operation fails"));
    faults += automaticCopyFaults(path, folder);
    const QStringList present = dataFiles(folder);
    for (const QString &file : present) {
        if (!keptByDesign(path, file, present))
            faults.append(QStringLiteral("left behind after the next run: ") + leftoverKind(file));
        else if (!databaseFiles().contains(file))
            ++tallies[path].keptByDesign[leftoverKind(file)];
    }
    return faults;
}

// The owner's automatic copies after the next run: the earlier ones as they were, every other one
// a whole copy of the ledger before the operation, nothing half-written left; after a deletion,
// none (the name is deleted, or registered again, and sees no copies).
QStringList TestCrashSafety::automaticCopyFaults(const QString &path, const QString &folder)
{
    QStringList faults;
    const QDir copies(folder + QStringLiteral("/data/backups/") + owner);
    if (path == QLatin1String("delete")) {
        if (copies.exists() && !copies.isEmpty(QDir::Files | QDir::Hidden))
            faults.append(QStringLiteral("the deleted owner's automatic copies remain"));
        return faults;
    }
    const QByteArray earlier = fileBytes(folder + QStringLiteral("/in/理财数据.lcabak"));
    for (const QString &copy : earlierAutomaticCopies())
        if (fileBytes(copies.filePath(copy)) != earlier)
            faults.append(QStringLiteral("an earlier automatic copy is lost or changed"));
    for (const QString &file : copies.entryList(QDir::Files | QDir::Hidden)) {
        if (earlierAutomaticCopies().contains(file))
            continue;
        if (!file.endsWith(QLatin1String(".lcabak")) || file.startsWith(u'.')) {
            faults.append(QStringLiteral("left behind among the automatic copies: ") + leftoverKind(file));
            continue;
        }
        const DatabaseState copy = readDatabase(copies.filePath(file));
        if (copy.integrity != QLatin1String("ok") || !(copy == beforeState[owner + QStringLiteral("_lc.dat")]))
            faults.append(QStringLiteral("an automatic copy is not the ledger before: ") + copy.summary + u' '
                          + copy.integrity.left(200));
    }
    return faults;
}

void TestCrashSafety::killedPart_way()
{
    QFETCH(QString, path);
    QElapsedTimer elapsed;
    elapsed.start();
    Tally &tally = tallies[path];

    // An uninterrupted run gives the state after and the operation's length, a traced one the
    // system calls to kill at.
    const QString after = root.filePath(QStringLiteral("after-") + path);
    QVERIFY(prepareFolder(path, after));
    qint64 operationNs = 0;
    QVERIFY2(runChild(after, path, &operationNs), "the operation fails without a kill");
    // The longer of two runs, as a loaded machine stretches some.
    const QString again = root.filePath(QStringLiteral("again-") + path);
    qint64 againNs = 0;
    QVERIFY(prepareFolder(path, again) && runChild(again, path, &againNs));
    QDir(again).removeRecursively();
    operationNs = qMax(operationNs, againNs);
    tally.operationMs = operationNs / 1000000;
    afterState = readFolder(after);
    const QString unchanged = root.filePath(QStringLiteral("before-") + path);
    QVERIFY(prepareFolder(path, unchanged));
    beforeState = readFolder(unchanged);
    QDir(unchanged).removeRecursively();
    setAsideState.reset();
    if (path.startsWith(QLatin1String("register-"))) {
        const QString ledger = newcomer + QStringLiteral("_lc.dat");
        setAsideState = beforeState;
        (*setAsideState)[ledger + QStringLiteral(".bak")] = beforeState[ledger];
        (*setAsideState)[ledger] = beforeState[newcomer + QStringLiteral("_lc.dat.bak")];
        const DatabaseState &kept = afterState[ledger + QStringLiteral(".bak")];
        QVERIFY2(kept == beforeState[ledger] && kept.integrity == QLatin1String("ok"),
                 qPrintable(QStringLiteral("the kept ledger is not kept: it held %1, it holds %2 (%3)")
                                .arg(beforeState[ledger].summary, kept.summary, kept.integrity.left(200))));
        const DatabaseState &made = afterState[ledger];
        QVERIFY2(made.integrity == QLatin1String("ok") && made.summary == QLatin1String("account 1 records 0"),
                 qPrintable(QStringLiteral("the new ledger holds %1 (%2)").arg(made.summary, made.integrity.left(200))));
    }
    const QString tracedFolder = root.filePath(QStringLiteral("traced-") + path);
    QVERIFY(prepareFolder(path, tracedFolder));
    const TracedRun whole = runTraced(tracedFolder, path, 0, false);
    QDir(tracedFolder).removeRecursively();
    QList<std::pair<int, bool>> targets; // counted calls to kill at, from 1, and whether after the call
    if (whole.traced && WIFEXITED(whole.status) && WEXITSTATUS(whole.status) == 0) {
        tally.countedCalls = int(whole.calls.size());
        // Half of the kills at the steps, before and after each, the rest over the writes between.
        QList<std::pair<int, bool>> steps, writes;
        for (int i = 0; i < whole.calls.size(); ++i)
            for (const bool afterCall : {false, true})
                (whole.calls[i] == CallKind::Step ? steps : writes).append({i + 1, afterCall});
        tally.stepCalls = int(steps.size() / 2);
        const auto pick = [&targets](const QList<std::pair<int, bool>> &pool, int n) {
            for (int j = 0; j < n && !pool.isEmpty(); ++j)
                targets.append(pool[int((j + 0.5) * double(pool.size()) / n)]);
        };
        const int atSteps = int(qMin<qsizetype>(steps.size(), (callKills + 1) / 2));
        pick(steps, atSteps);
        pick(writes, callKills - atSteps);
    } else {
        qWarning("%s: the system calls cannot be traced here; all kills come at random moments", qPrintable(path));
    }
    const int randomCount = randomKills + callKills - int(targets.size());

    QStringList examples;
    for (int trial = 0; trial < randomCount + targets.size(); ++trial) {
        const QString folder = root.filePath(QStringLiteral("trial"));
        QDir(folder).removeRecursively();
        QVERIFY(prepareFolder(path, folder));
        int status = 0;
        QString where;
        if (trial < randomCount) {
            // Up to a fifth past the calibrated end, so the last moments are covered too.
            const qint64 delay = qint64(random.bounded(1.2) * double(operationNs));
            where = QStringLiteral("%1 µs").arg(delay / 1000);
            Child child = spawnChild(folder, path, false);
            QVERIFY(child.pid > 0);
            QCOMPARE(readByte(child.output, 60000), 'R');
            const timespec pause{time_t(delay / 1000000000), long(delay % 1000000000)};
            ::nanosleep(&pause, nullptr);
            ::kill(child.pid, SIGKILL);
            status = reap(child);
        } else {
            const auto [target, afterCall] = targets[trial - randomCount];
            where = QStringLiteral("call %1 of %2, %3").arg(target).arg(tally.countedCalls).arg(afterCall ? "after" : "before");
            status = runTraced(folder, path, target, afterCall).status;
        }
        if (killedByUs(status))
            ++tally.kills;
        else
            ++tally.finished;
        bool recoveryDue = false;
        for (const QString &file : dataFiles(folder)) {
            if (!databaseFiles().contains(file))
                ++tally.leftByKill[leftoverKind(file)];
            recoveryDue |= file.startsWith(u'.') && (file.endsWith(QLatin1String(".new")) || file.endsWith(QLatin1String(".deleting")));
        }
        // Every other time the start-up that finishes or undoes a cut-off registration or
        // deletion is killed too, at one of its own calls; the next start-up must still get it right.
        if (recoveryDue && trial % 2 == 1) {
            const QString probe = root.filePath(QStringLiteral("probe"));
            QDir(probe).removeRecursively();
            QVERIFY(copyFolder(folder, probe));
            const TracedRun recovery = runTraced(probe, QStringLiteral("startup"), 0, false);
            QDir(probe).removeRecursively();
            // Half the time at one of its steps, where the recovery moves, unlists or deletes.
            QList<int> pool;
            const bool atStep = random.bounded(2) == 1;
            for (int i = 0; i < recovery.calls.size(); ++i)
                if (!atStep || recovery.calls[i] == CallKind::Step)
                    pool.append(i + 1);
            if (!pool.isEmpty()) {
                const int target = pool[int(random.bounded(int(pool.size())))];
                const bool afterCall = random.bounded(2) == 1;
                where += QStringLiteral(", then the start-up at call %1 of %2, %3")
                             .arg(target)
                             .arg(recovery.calls.size())
                             .arg(afterCall ? "after" : "before");
                tally.recoveryKills += killedByUs(runTraced(folder, QStringLiteral("startup"), target, afterCall).status);
            }
        }
        Outcome outcome = Outcome::Neither;
        const QStringList faults = judge(path, folder, &outcome);
        tally.before += outcome == Outcome::Before;
        tally.after += outcome == Outcome::After;
        tally.setAside += outcome == Outcome::SetAside;
        tally.same += outcome == Outcome::Unchanged;
        tally.bad += !faults.isEmpty();
        for (const QString &fault : faults)
            ++tally.faults[fault];
        if (!faults.isEmpty() && examples.size() < 6)
            examples.append(QStringLiteral("killed at %1: %2").arg(where, faults.join(QStringLiteral("; "))));
        QDir(folder).removeRecursively();
    }
    QDir(after).removeRecursively();
    tally.elapsedMs = elapsed.elapsed();

    qInfo("%s: %d kills (%d more runs had ended first, %d start-ups killed in their recovery), %d before, %d after, %d set aside, "
          "%d unchanged, %d bad; operation %lld ms, %d counted calls (%d steps); %lld ms",
          qPrintable(path), tally.kills, tally.finished, tally.recoveryKills, tally.before, tally.after, tally.setAside, tally.same,
          tally.bad, tally.operationMs, tally.countedCalls, tally.stepCalls, tally.elapsedMs);
    for (auto it = tally.leftByKill.cbegin(); it != tally.leftByKill.cend(); ++it)
        qInfo("  left by a kill: %s (%d times)", qPrintable(it.key()), it.value());
    for (auto it = tally.keptByDesign.cbegin(); it != tally.keptByDesign.cend(); ++it)
        qInfo("  kept by design after the next run: %s (%d times)", qPrintable(it.key()), it.value());
    for (auto it = tally.faults.cbegin(); it != tally.faults.cend(); ++it)
        qInfo("  BAD %dx: %s", it.value(), qPrintable(it.key()));
    QVERIFY2(tally.faults.isEmpty(), qPrintable(examples.join(u'\n')));
}

QTEST_GUILESS_MAIN(TestCrashSafety)
#include "tst_crashsafety.moc"
