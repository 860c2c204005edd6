// Runs one write path in a program folder so the crash test can kill it part-way:
//   crashchild <program folder> <path> plain|traced
// The path "startup" is the program's start-up alone, with the recovery it runs. "cut" leaves the
// newcomer's ledger as a kill in the middle of a save leaves it: changed pages written, and the
// journal that undoes them still there.
// plain: writes "R" to stdout the moment the operation starts, "D" when it has ended well.
// traced: asks to be traced and stops itself before the operation, so the test can count its
// system calls and kill it at one of them.
#include "writepaths.h"

#include <QCoreApplication>

#include <sqlite3.h>

#include <csignal>
#include <cstdio>
#include <sys/ptrace.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 4)
        return 64;
    const QString path = QString::fromLocal8Bit(argv[2]);
    const bool traced = qstrcmp(argv[3], "traced") == 0;
    setProgramDirectory(QString::fromLocal8Bit(argv[1]));
    crash::fixClock();
    if (path == QLatin1String("cut")) {
        sqlite3 *db = nullptr;
        const QByteArray ledger = QFile::encodeName(ledgerPath(crash::newcomer));
        // A small page cache makes the engine write changed pages into the file before the commit.
        if (sqlite3_open_v2(ledger.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK
            || sqlite3_exec(db, "PRAGMA cache_size=10; BEGIN; DELETE FROM lcsj WHERE id % 7 <> 0; "
                                "INSERT INTO yhsj(yhmc) VALUES ('cut')", nullptr, nullptr, nullptr) != SQLITE_OK)
            return 67;
        ::raise(SIGKILL);
    }
    const auto ready = [traced] {
        if (traced) {
            if (::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0)
                return false;
            return ::raise(SIGSTOP) == 0;
        }
        return ::write(STDOUT_FILENO, "R", 1) == 1;
    };
    const bool startupOnly = path == QLatin1String("startup");
    Session session;
    ScriptedPrompter prompter;
    if (startupOnly && !ready())
        return 66;
    if (!crash::startUp(path, session, prompter)) {
        std::fprintf(stderr, "start-up failed: %s\n", qPrintable(prompter.messages.join(u' ')));
        return 65;
    }
    if (!startupOnly && !ready())
        return 66;
    const bool done = startupOnly || crash::runWritePath(path, session, prompter);
    crash::closeAll();
    if (!done) {
        std::fprintf(stderr, "%s failed: %s\n", argv[2], qPrintable(prompter.messages.join(u' ')));
        return 1;
    }
    return ::write(STDOUT_FILENO, "D", 1) == 1 ? 0 : 66;
}
