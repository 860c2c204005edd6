#include "jetconversion.h"

#include "jetheader.h"
#include "jetreader.h"

#include "common/datetext.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QTime>

#include <sqlite3.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <utility>

namespace {

QString quoted(const QString &name)
{
    return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

// The stored text of a day serial: the day at midnight, the day and time to the second otherwise.
// Worked out from the serial alone, without placing it in a time zone.
bool serialText(double serial, QString *text)
{
    bool ok = false;
    serialToDate(serial, &ok); // the range the program accepts
    if (!ok || !std::isfinite(serial))
        return false;
    const double whole = serial >= 0 ? std::floor(serial) : std::ceil(serial);
    qint64 seconds = std::llround(std::fabs(serial - whole) * 86400.0);
    QDate day = QDate(1899, 12, 30).addDays(qint64(whole));
    if (seconds >= 86400) {
        seconds -= 86400;
        day = day.addDays(serial >= 0 ? 1 : -1);
    }
    if (!day.isValid() || day.year() < 100)
        return false;
    const QTime time = QTime(0, 0).addSecs(int(seconds));
    *text = seconds == 0 ? day.toString(QStringLiteral("yyyy-MM-dd"))
                         : day.toString(QStringLiteral("yyyy-MM-dd")) + u' ' + time.toString(QStringLiteral("hh:mm:ss"));
    return true;
}

struct Database
{
    sqlite3 *db = nullptr;
    ~Database() { sqlite3_close_v2(db); }
    QString error() const { return QString::fromUtf8(sqlite3_errmsg(db)); }
    bool exec(const QString &sql, QString *why)
    {
        char *message = nullptr;
        if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message) == SQLITE_OK)
            return true;
        *why = QString::fromUtf8(message ? message : "the engine refused a statement");
        sqlite3_free(message);
        return false;
    }
};

bool bind(sqlite3_stmt *statement, int at, const QVariant &value, bool isDate, QString *why)
{
    if (!value.isValid() || value.isNull())
        return sqlite3_bind_null(statement, at) == SQLITE_OK;
    if (isDate) {
        QString text;
        if (!serialText(value.toDouble(), &text)) {
            *why = QStringLiteral("a date out of range: %1").arg(value.toDouble());
            return false;
        }
        const QByteArray utf8 = text.toUtf8();
        return sqlite3_bind_text(statement, at, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT) == SQLITE_OK;
    }
    switch (value.typeId()) {
    case QMetaType::LongLong:
        return sqlite3_bind_int64(statement, at, value.toLongLong()) == SQLITE_OK;
    case QMetaType::Double:
        return sqlite3_bind_double(statement, at, value.toDouble()) == SQLITE_OK;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return sqlite3_bind_blob(statement, at, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT) == SQLITE_OK;
    }
    default: {
        const QByteArray utf8 = value.toString().toUtf8();
        return sqlite3_bind_text(statement, at, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT) == SQLITE_OK;
    }
    }
}

bool writeTables(const QString &path, const QList<JetTableData> &tables, const JetConversionTarget &target, QString *why)
{
    Database out;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &out.db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        *why = QStringLiteral("the new file cannot be opened");
        return false;
    }
    if (!out.exec(QStringLiteral("BEGIN"), why))
        return false;
    qint64 total = 0, written = 0;
    for (const JetTableData &table : tables)
        total += table.rows.size();
    for (const JetTableData &table : tables) {
        QStringList definitions;
        QList<bool> dates;
        for (const JetColumnInfo &column : table.columns) {
            const QString definition = target.columnDefinition(column.name, column.type, column.length);
            if (definition.isEmpty()) {
                *why = QStringLiteral("the column %1 of %2 has no counterpart").arg(column.name, table.name);
                return false;
            }
            definitions.append(quoted(column.name) + u' ' + definition);
            dates.append(column.type == QLatin1String("datetime"));
        }
        if (!out.exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(quoted(table.name), definitions.join(QStringLiteral(", "))), why))
            return false;
        QStringList marks;
        for (qsizetype i = 0; i < table.columns.size(); ++i)
            marks.append(QStringLiteral("?"));
        const QByteArray insert = QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(quoted(table.name), marks.join(u',')).toUtf8();
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(out.db, insert.constData(), -1, &statement, nullptr) != SQLITE_OK) {
            *why = out.error();
            return false;
        }
        for (const QList<QVariant> &row : table.rows) {
            for (qsizetype i = 0; i < row.size(); ++i) {
                if (!bind(statement, int(i + 1), row[i], dates[i], why)) {
                    if (why->isEmpty())
                        *why = out.error();
                    sqlite3_finalize(statement);
                    return false;
                }
            }
            if (sqlite3_step(statement) != SQLITE_DONE) {
                *why = QStringLiteral("a row of %1 does not fit: %2").arg(table.name, out.error());
                sqlite3_finalize(statement);
                return false;
            }
            sqlite3_reset(statement);
            sqlite3_clear_bindings(statement);
            if (target.progress && ++written % 512 == 0)
                target.progress(written, total);
        }
        sqlite3_finalize(statement);
    }
    return out.exec(QStringLiteral("COMMIT"), why);
}

QString freeName(const QString &base, const QString &suffix)
{
    if (!QFileInfo::exists(base + suffix) && !QFileInfo(base + suffix).isSymLink())
        return base + suffix;
    for (int n = 2;; ++n) {
        const QString candidate = base + QStringLiteral(".%1").arg(n) + suffix;
        if (!QFileInfo::exists(candidate) && !QFileInfo(candidate).isSymLink())
            return candidate;
    }
}

QStringList &keptFiles()
{
    static QStringList files;
    return files;
}

} // namespace

QStringList takeKeptJetFiles()
{
    return std::exchange(keptFiles(), {});
}

QString keptJetPath(const QString &path)
{
    return freeName(path, QStringLiteral(".jet"));
}

JetConversionResult convertJetFile(const QString &path, const QString &password, const JetConversionTarget &target)
{
    JetConversionResult result;
    const JetHeader header = readJetHeaderFile(path);
    switch (header.format) {
    case JetFormat::NotJet:
        return result;
    case JetFormat::Accdb:
        result.outcome = JetConversion::Refused;
        result.error = QStringLiteral("a file of a later Access engine");
        return result;
    case JetFormat::Jet3:
    case JetFormat::Jet4:
        break;
    }
    result.outcome = JetConversion::Refused;
    if (header.enciphered) {
        result.error = QStringLiteral("the pages are enciphered");
        return result;
    }
    if (header.password != password) {
        result.outcome = JetConversion::WrongPassword;
        result.error = QStringLiteral("not a valid password");
        return result;
    }
    QList<JetTableData> tables;
    if (!readJetDatabase(path, &tables, &result.error))
        return result;

    // The new file is written beside the Jet file, so that it can take its name in one step.
    const QString work = freeName(path, QStringLiteral(".converting"));
    if (!target.createFile(work, password)) {
        result.error = QStringLiteral("the new file cannot be written");
        return result;
    }
    if (!writeTables(work, tables, target, &result.error)) {
        QFile::remove(work);
        return result;
    }
    // The Jet file gets its second name first, so the path never lacks a whole file; where the
    // file system has no second names, a copy serves.
    const QString kept = keptJetPath(path);
    const QByteArray from = QFile::encodeName(path);
    const QByteArray keep = QFile::encodeName(kept);
    if (::link(from.constData(), keep.constData()) != 0 && !QFile::copy(path, kept)) {
        QFile::remove(work);
        result.error = QStringLiteral("the Jet file cannot be kept");
        return result;
    }
    if (::rename(QFile::encodeName(work).constData(), from.constData()) != 0) {
        QFile::remove(work);
        QFile::remove(kept);
        result.error = QStringLiteral("the new file cannot take the Jet file's name");
        return result;
    }
    result.outcome = JetConversion::Converted;
    result.original = kept;
    keptFiles().append(kept);
    result.error.clear();
    return result;
}
