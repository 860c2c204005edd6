#include "files.h"

#include <QDir>
#include <QDateTime>
#include <QFileInfo>

#include <QRegularExpression>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace {

bool writeAll(int fd, const char *data, ssize_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

// Copies the bytes of one open file into another; false on the first read or write error.
bool copyContents(int from, int to, const CopyProgress &progress, qint64 total)
{
    char buffer[1 << 16];
    qint64 done = 0;
    for (;;) {
        const ssize_t got = ::read(from, buffer, sizeof buffer);
        if (got == 0)
            return true;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (!writeAll(to, buffer, got))
            return false;
        done += got;
        if (progress && !progress(done, total))
            return false;
    }
}

void syncFolderOf(const QByteArray &path)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(path)).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

namespace {

DatabasePlaces &places()
{
    static DatabasePlaces given;
    return given;
}

bool elsewhere(const QString &path)
{
    return places().holds && places().holds(path);
}

} // namespace

void setDatabasePlaces(DatabasePlaces given)
{
    places() = std::move(given);
}

QStringList databaseFilesIn(const QString &folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    if (places().list)
        names += places().list(folder);
    return names;
}

bool fileExists(const QString &path)
{
    if (elsewhere(path))
        return places().exists(path);
    const QFileInfo info(path);
    return !path.isEmpty() && info.exists() && !info.isDir();
}

QString freeBackupName(const QString &path)
{
    QString candidate = path + QStringLiteral(".bak");
    // A name taken on a database server counts as taken, as one on the disk does.
    for (int n = 1; fileExists(candidate) || QFileInfo::exists(candidate); ++n)
        candidate = path + QStringLiteral(".bak") + QString::number(n);
    return candidate;
}

bool copyFileReplacing(const QString &source, const QString &destination)
{
    return copyFileReplacing(source, destination, {});
}

bool copyFileReplacing(const QString &source, const QString &destination, const CopyProgress &progress)
{
    if (elsewhere(source) || elsewhere(destination))
        return places().copy && fileExists(source) && places().copy(source, destination);
    if (!fileExists(source) || destination.isEmpty() || QFileInfo(destination).isDir())
        return false;
    const QByteArray from = QFile::encodeName(source);
    const QByteArray to = QFile::encodeName(destination);
    const QByteArray partial = to + ".part" + QByteArray::number(qint64(::getpid()));
    removeStalePartialCopies(destination);

    const int in = ::open(from.constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    const int out = ::open(partial.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) {
        ::close(in);
        return false;
    }
    bool ok = copyContents(in, out, progress, QFileInfo(source).size()) && ::fsync(out) == 0;
    ::close(in);
    ok = ::close(out) == 0 && ok;
    ok = ok && ::rename(partial.constData(), to.constData()) == 0;
    if (!ok) {
        ::unlink(partial.constData());
        return false;
    }
    syncFolderOf(to);
    return true;
}

void removeStalePartialCopies(const QString &destinationOrFolder)
{
    const QFileInfo info(destinationOrFolder);
    const QDir folder = info.isDir() ? QDir(destinationOrFolder) : info.dir();
    const QString prefix = info.isDir() ? QString() : info.fileName();
    static const QRegularExpression partial(QStringLiteral("\\.part(\\d{1,9})$"));
    // Names are compared as they are: a name filter would read [ ] * ? in a file name as wildcards.
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden)) {
        const QRegularExpressionMatch match = partial.match(name);
        if (!match.hasMatch() || (!prefix.isEmpty() && (match.capturedStart() != prefix.size() || !name.startsWith(prefix))))
            continue;
        // A copy of a process still running is that process's own work; this process has
        // none going while it starts another.
        const pid_t owner = pid_t(match.captured(1).toLongLong());
        if (owner == ::getpid() || (::kill(owner, 0) != 0 && errno == ESRCH))
            ::unlink(QFile::encodeName(folder.filePath(name)).constData());
    }
}

bool deleteFile(const QString &path)
{
    if (elsewhere(path))
        return places().exists(path) && places().remove(path);
    return fileExists(path) && ::unlink(QFile::encodeName(path).constData()) == 0;
}

void removeDatabaseFiles(const QString &path)
{
    deleteFile(path);
    deleteFile(path + QStringLiteral("-journal"));
}

bool moveFile(const QString &source, const QString &destination)
{
    if (elsewhere(source) && elsewhere(destination))
        return places().move(source, destination);
    if (elsewhere(source) || elsewhere(destination))
        return copyFileReplacing(source, destination) && deleteFile(source);
    if (!fileExists(source) || destination.isEmpty() || QFileInfo(destination).isDir())
        return false;
    if (::rename(QFile::encodeName(source).constData(), QFile::encodeName(destination).constData()) == 0) {
        syncFolderOf(QFile::encodeName(destination));
        return true;
    }
    if (errno != EXDEV)
        return false;
    return copyFileReplacing(source, destination) && deleteFile(source);
}

QString temporaryFileName()
{
    static std::atomic<quint32> counter{0};
    const QDir folder(QDir::tempPath());
    for (;;) {
        const quint64 stamp = quint64(QDateTime::currentMSecsSinceEpoch()) + counter++;
        const QString path = folder.filePath(QString::number(stamp, 16).toUpper() + QStringLiteral(".tmp"));
        if (!QFileInfo::exists(path))
            return path;
    }
}

void removeWorkingCopy(const QString &path)
{
    deleteFile(path);
    const QFileInfo info(path);
    const QDir folder = info.dir();
    for (const QString &kept : folder.entryList({info.fileName() + QStringLiteral(".jet"), info.fileName() + QStringLiteral(".*.jet")},
                                                QDir::Files | QDir::Hidden))
        deleteFile(folder.filePath(kept));
}
