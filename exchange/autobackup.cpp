#include "autobackup.h"

#include "common/clock.h"
#include "common/files.h"
#include "common/log.h"
#include "common/numbers.h"
#include "common/settings.h"
#include "dataaccess/databasefile.h"
#include "dataaccess/dbconnection.h"
#include "dataaccess/dbrecordset.h"
#include "users/userdirectory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <optional>

namespace {

const QString switchSection = QStringLiteral("zdbf");
const QString switchKey = QStringLiteral("kq");
const QString copySuffix = QStringLiteral(".lcabak");
// "2026-03-31 21-05-09.lcabak", and "… (2).lcabak" for a second copy within the same second.
const QString stampFormat = QStringLiteral("yyyy-MM-dd HH-mm-ss");
// An import of a workbook this large takes long enough to deserve a safety copy first.
constexpr qint64 largeImportBytes = 1 << 20;
constexpr qint64 safetyCopyAgeMs = 60 * 1000;

QDateTime takenFromName(const QString &fileName)
{
    if (!fileName.endsWith(copySuffix) || fileName.startsWith(u'.'))
        return {};
    return QDateTime::fromString(fileName.left(stampFormat.size()), stampFormat);
}

bool sameContents(const QString &a, const QString &b)
{
    QFile first(a), second(b);
    if (first.size() != second.size() || !first.open(QIODevice::ReadOnly) || !second.open(QIODevice::ReadOnly))
        return false;
    while (!first.atEnd())
        if (first.read(1 << 16) != second.read(1 << 16))
            return false;
    return true;
}

void thinCopies(const QString &ledger)
{
    const QList<AutomaticCopy> copies = automaticCopies(ledger);
    QList<QDateTime> taken;
    for (const AutomaticCopy &copy : copies)
        taken.append(copy.taken);
    const QList<int> kept = copiesToKeep(taken, Clock::now());
    for (int i = 0; i < copies.size(); ++i)
        if (!kept.contains(i))
            deleteFile(copies[i].path);
}

// Writes a copy under a passing name, synced, then renamed to its stamp; a copy cut off is never
// taken for one, and the copies before it stay as they were.
bool writeCopy(const QString &ledger, Prompter &prompter)
{
    const QString folder = automaticBackupFolder(ledger);
    if (!QDir().mkpath(folder))
        return false;
    removeStalePartialCopies(folder);
    const QString stamp = Clock::now().toString(stampFormat);
    QString path = QDir(folder).filePath(stamp + copySuffix);
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = QDir(folder).filePath(stamp + QStringLiteral(" (%1)").arg(n) + copySuffix);
    ProgressScope progress(prompter, QStringLiteral("正在自动备份数据……"), 1000, false);
    const auto step = inThousandths(progress);
    const bool copied = copyFileReplacing(ledger, path, [&step](qint64 done, qint64 total) {
        step(done, total);
        return true; // a backup is not stopped half-way
    });
    if (!copied) {
        qCWarning(logExchange).noquote() << "automatic copy of" << ledger << "not written to" << path;
        return false;
    }
    thinCopies(ledger);
    return true;
}

} // namespace

QList<AutomaticCopy> automaticCopies(const QString &ledger)
{
    QList<AutomaticCopy> copies;
    const QDir folder(automaticBackupFolder(ledger));
    for (const QFileInfo &file : folder.entryInfoList(QDir::Files)) {
        const QDateTime taken = takenFromName(file.fileName());
        if (taken.isValid())
            copies.append({file.filePath(), taken, file.size()});
    }
    std::stable_sort(copies.begin(), copies.end(), [](const AutomaticCopy &a, const AutomaticCopy &b) {
        return a.taken != b.taken ? a.taken > b.taken : a.path > b.path;
    });
    return copies;
}

qint64 copyRecordCount(const QString &copy)
{
    if (checkDatabaseFile(copy, databasePassword) != DatabaseFileCheck::Ours)
        return -1;
    DbConnection connection;
    DbRecordset records;
    if (!connection.OpenJet(copy, databasePassword) || !records.SetConnection(connection))
        return -1;
    const qint64 count = records.Open(QStringLiteral("select count(*) from lcsj")) ? textToInteger(records.GetText(0)) : -1;
    records.Close();
    connection.Close();
    return count;
}

bool automaticBackupsOn()
{
    return readSetting(switchSection, switchKey) != QStringLiteral("0");
}

void setAutomaticBackupsOn(bool on)
{
    writeSetting(switchSection, switchKey, on ? QStringLiteral("1") : QStringLiteral("0"));
}

AutomaticBackup backUpAtSessionEnd(const QString &ledger, Prompter &prompter)
{
    if (!automaticBackupsOn())
        return AutomaticBackup::Off;
    if (!fileExists(ledger))
        return AutomaticBackup::NoLedger;
    const QList<AutomaticCopy> copies = automaticCopies(ledger);
    if (!copies.isEmpty() && sameContents(ledger, copies.first().path))
        return AutomaticBackup::Unchanged;
    return writeCopy(ledger, prompter) ? AutomaticBackup::Written : AutomaticBackup::Failed;
}

bool takeSafetyCopy(const QString &ledger, Prompter &prompter)
{
    const QList<AutomaticCopy> copies = automaticCopies(ledger);
    if (!copies.isEmpty() && copies.first().taken.msecsTo(Clock::now()) < safetyCopyAgeMs
        && copies.first().taken <= Clock::now())
        return true;
    return writeCopy(ledger, prompter)
        || prompter.askConfirm(QStringLiteral("自动备份当前数据失败！是否仍然继续？"));
}

bool takeSafetyCopyBeforeImport(DbConnection &ledgerDb, const QString &importedFile, Prompter &prompter)
{
    const QString ledger = ledgerDb.filePath();
    if (ledger.isEmpty() || QFileInfo(importedFile).size() < largeImportBytes)
        return true;
    return takeSafetyCopy(ledger, prompter);
}

QList<int> copiesToKeep(const QList<QDateTime> &takenNewestFirst, const QDateTime &now)
{
    QSet<int> kept;
    // Each rule walks from the newest copy and keeps the newest of every period it meets, until
    // it has kept its number; a period whose newest copy a finer rule kept already does not
    // count, so each rule reaches further back.
    const auto keepPerPeriod = [&](int periods, auto periodOf) {
        int keptHere = 0;
        std::optional<qint64> last;
        for (int i = 0; i < takenNewestFirst.size() && keptHere < periods; ++i) {
            const qint64 period = periodOf(takenNewestFirst[i].date());
            if (last == period)
                continue;
            last = period;
            if (!kept.contains(i)) {
                kept.insert(i);
                ++keptHere;
            }
        }
    };
    keepPerPeriod(7, [](const QDate &d) { return d.toJulianDay(); });
    keepPerPeriod(4, [](const QDate &d) {
        int year = 0;
        const int week = d.weekNumber(&year);
        return qint64(year) * 100 + week;
    });
    keepPerPeriod(12, [](const QDate &d) { return qint64(d.year()) * 100 + d.month(); });
    if (!takenNewestFirst.isEmpty())
        kept.insert(0); // the daily rule keeps it already; said here so no rule can lose it
    // The copies of the last day all stay besides, without counting for the rules: the safety copy
    // before a restore would otherwise give way to the copy of the restored ledger the same day.
    for (int i = 0; i < takenNewestFirst.size(); ++i)
        if (takenNewestFirst[i].secsTo(now) < 24 * 3600)
            kept.insert(i);
    QList<int> answer(kept.begin(), kept.end());
    std::sort(answer.begin(), answer.end());
    return answer;
}
