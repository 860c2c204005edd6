#include "databasefile.h"

#include "common/gbk.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sqlite3.h>

const QString databasePassword = QStringLiteral("※→←rtw↑↓〓");

int passwordStamp(const QString &password)
{
    const QByteArray digest = QCryptographicHash::hash(toGbk(password), QCryptographicHash::Md5);
    const quint32 v = quint32(uchar(digest[0])) << 24 | quint32(uchar(digest[1])) << 16 | quint32(uchar(digest[2])) << 8
        | quint32(uchar(digest[3]));
    return int(v & 0x7fffffff);
}

static quint32 bigEndian(const QByteArray &bytes, int at)
{
    return quint32(uchar(bytes[at])) << 24 | quint32(uchar(bytes[at + 1])) << 16 | quint32(uchar(bytes[at + 2])) << 8
        | quint32(uchar(bytes[at + 3]));
}

DatabaseFileCheck checkDatabaseFile(const QString &path, const QString &password)
{
    QFile file(path);
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return DatabaseFileCheck::Missing;
    if (!file.open(QIODevice::ReadOnly))
        return DatabaseFileCheck::NotOurs;
    const QByteArray header = file.read(100);
    if (header.size() < 100 || !header.startsWith(QByteArray("SQLite format 3", 16))
        || bigEndian(header, 68) != quint32(databaseApplicationId))
        return DatabaseFileCheck::NotOurs;
    if (bigEndian(header, 60) != quint32(passwordStamp(password)))
        return DatabaseFileCheck::WrongPassword;
    return DatabaseFileCheck::Ours;
}

bool createDatabaseFile(const QString &path, const QString &password)
{
    if (path.isEmpty() || QFileInfo::exists(path))
        return false;
    sqlite3 *db = nullptr;
    const QByteArray name = QFile::encodeName(path);
    bool ok = sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) == SQLITE_OK;
    const QByteArray setup = "PRAGMA page_size=4096; PRAGMA journal_mode=DELETE; PRAGMA application_id="
        + QByteArray::number(databaseApplicationId) + "; PRAGMA user_version=" + QByteArray::number(passwordStamp(password))
        + ";";
    ok = ok && sqlite3_exec(db, setup.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close_v2(db);
    if (!ok)
        QFile::remove(path);
    return ok;
}

bool isWholeDatabase(const QString &path, const QString &password)
{
    if (checkDatabaseFile(path, password) != DatabaseFileCheck::Ours)
        return false;
    sqlite3 *db = nullptr;
    bool ok = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK;
    sqlite3_stmt *check = nullptr;
    ok = ok && sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &check, nullptr) == SQLITE_OK
        && sqlite3_step(check) == SQLITE_ROW
        && qstrcmp(reinterpret_cast<const char *>(sqlite3_column_text(check, 0)), "ok") == 0;
    sqlite3_finalize(check);
    sqlite3_close_v2(db);
    return ok;
}

void removeCompactionLeftovers(const QString &pathOrFolder)
{
    const QFileInfo info(pathOrFolder);
    const QDir folder = info.isDir() ? QDir(pathOrFolder) : info.dir();
    static const QRegularExpression leftover(QStringLiteral("^\\.(.+)\\.compact\\d+\\.tmp(-journal)?$"),
                                             QRegularExpression::DotMatchesEverythingOption);
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden)) {
        const QRegularExpressionMatch match = leftover.match(name);
        if (match.hasMatch() && (info.isDir() || match.captured(1) == info.fileName()))
            QFile::remove(folder.filePath(name));
    }
}
