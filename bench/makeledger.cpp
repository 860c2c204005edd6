// Prepares a program folder for timing the real program by hand: the skin, and a user 张三
// (password "pw") whose ledger holds the given number of records over thirty years; with
// "household", the records of a household's types, names and incomes over the last eight years.
//   makeledger <program folder> <records> [household]
#include "ledgerbench.h"

#include "common/clock.h"
#include "common/program.h"
#include "dataaccess/databasefile.h"
#include "dataaccess/dbconnection.h"
#include "dataaccess/instances.h"
#include "users/administration.h"
#include "users/userdirectory.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const bool varied = argc == 4 && QByteArray(argv[3]) == "household";
    if (argc != 3 && !varied) {
        std::fprintf(stderr, "usage: makeledger <program folder> <records> [household]\n");
        return 2;
    }
    const QString folder = QFile::decodeName(argv[1]);
    QDir(folder).mkpath(QStringLiteral("data"));
    QDir(folder).mkpath(QStringLiteral("Skin"));
    QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/Skin/Green.cskn"),
                folder + QStringLiteral("/Skin/Green.cskn"));
    setProgramDirectory(folder);
    SilentPrompter prompter;
    QStringList users;
    if (openUserDirectory(directoryConnection, directoryRecordset, prompter, users) == DirectoryOpen::EndProgram) {
        std::fprintf(stderr, "the user directory could not be opened\n");
        return 1;
    }
    const QString user = QStringLiteral("张三");
    if (registerUser(directoryConnection, directoryRecordset, userConnection, userRecordset, user, QStringLiteral("pw"),
                     QStringLiteral("pw"), prompter)
        != AdminOutcome::Done) {
        std::fprintf(stderr, "the user could not be registered\n");
        return 1;
    }
    DbConnection c;
    if (!c.OpenJet(existingLedgerPath(user), databasePassword)) {
        std::fprintf(stderr, "the ledger could not be opened\n");
        return 1;
    }
    const int records = QString::fromLatin1(argv[2]).toInt();
    if (varied) {
        const QDate today = Clock::today();
        addHousehold(c, records, QDate(today.year() - 7, 1, 1), today);
    } else {
        addThirtyYears(c, records);
    }
    c.Close();
    return 0;
}
