// The Jet file header and the conversion of a Jet file into a ledger file of ours. The first
// byte picks the input's form: with its top bit set the rest is the file itself (headers and
// short files); otherwise it picks one of three real Jet files, damaged by the edits of the rest.
// A file that is refused stays as it was and nothing is left beside it; a converted file is a
// whole database of ours holding every row of every table, the Jet file kept beside it unchanged.
#include "fuzzsupport.h"

#include "dataaccess/databasefile.h"
#include "dataaccess/jet/jetconversion.h"
#include "dataaccess/jet/jetheader.h"
#include "dataaccess/jet/jetreader.h"
#include "dataaccess/jetdialect.h"

#include <sqlite3.h>

namespace {

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

qint64 rowsOf(const QString &path, const QString &table)
{
    sqlite3 *db = nullptr;
    qint64 rows = -1;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt *count = nullptr;
        const QByteArray sql = "select count(*) from \"" + table.toUtf8().replace("\"", "\"\"") + "\"";
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &count, nullptr) == SQLITE_OK && sqlite3_step(count) == SQLITE_ROW)
            rows = sqlite3_column_int64(count, 0);
        sqlite3_finalize(count);
    }
    sqlite3_close(db);
    return rows;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QByteArray bases[] = {fuzz::fixture("jet/fixtures/张三.lc"),
                                       fuzz::fixture("jet/fixtures/other-program-jet3-no-password.mdb"),
                                       fuzz::fixture("jet/fixtures/other-program-password-password.mdb")};
    const QString folder = fuzz::programFolder() + QStringLiteral("/jet");
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    if (size == 0)
        return 0;
    const QByteArray file = data[0] & 0x80
        ? QByteArray(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1))
        : fuzz::applyEdits(bases[data[0] % 3], data + 1, size - 1);

    const JetHeader header = readJetHeader(file);
    if (file.size() < 152)
        FUZZ_CHECK(header.format == JetFormat::NotJet, QStringLiteral("a short file read as Jet"));
    switch (header.format) {
    case JetFormat::NotJet:
    case JetFormat::Accdb:
        FUZZ_CHECK(header.pageSize == 0 && header.password.isEmpty() && !header.enciphered, QStringLiteral("no Jet file"));
        break;
    case JetFormat::Jet3:
        FUZZ_CHECK(header.pageSize == 2048 && header.password.size() <= 20, header.password);
        break;
    case JetFormat::Jet4:
        FUZZ_CHECK(header.pageSize == 4096 && header.password.size() <= 20, header.password);
        break;
    }
    FUZZ_CHECK(!header.password.contains(QChar(0)), header.password);

    const QString path = folder + QStringLiteral("/fuzz_lc.dat");
    FUZZ_CHECK(fuzz::writeBytes(path, file), path);
    const JetHeader fromFile = readJetHeaderFile(path);
    FUZZ_CHECK(fromFile.format == header.format && fromFile.password == header.password
                   && fromFile.enciphered == header.enciphered && fromFile.pageSize == header.pageSize,
               QStringLiteral("the file's header reads otherwise than its bytes"));

    // The password each base file carries, so the damaged copies get past it and into the tables.
    const QString password = (data[0] & 0x80) || data[0] % 3 == 0 ? databasePassword
        : data[0] % 3 == 1                                       ? QString()
                                                                 : QStringLiteral("password");
    const JetConversionTarget target{createDatabaseFile, sqliteColumnDefinition, {}};
    const JetConversionResult result = convertJetFile(path, password, target);
    const QStringList left = filesIn(folder);
    switch (result.outcome) {
    case JetConversion::NotJet:
    case JetConversion::WrongPassword:
    case JetConversion::Refused:
        FUZZ_CHECK(result.outcome != JetConversion::NotJet || header.format == JetFormat::NotJet, QStringLiteral("NotJet"));
        FUZZ_CHECK(result.outcome != JetConversion::WrongPassword || header.password != password, header.password);
        FUZZ_CHECK(result.outcome != JetConversion::Refused || !result.error.isEmpty(), QStringLiteral("refused without a reason"));
        FUZZ_CHECK(fuzz::readBytes(path) == file, QStringLiteral("a file that was not converted changed: ") + result.error);
        FUZZ_CHECK(left == QStringList{QStringLiteral("fuzz_lc.dat")}, left.join(u' '));
        break;
    case JetConversion::Converted: {
        FUZZ_CHECK(header.format == JetFormat::Jet3 || header.format == JetFormat::Jet4, QStringLiteral("converted no Jet file"));
        FUZZ_CHECK(header.password == password && !header.enciphered, header.password);
        FUZZ_CHECK(fuzz::readBytes(result.original) == file, QStringLiteral("the kept Jet file is not the original"));
        FUZZ_CHECK(checkDatabaseFile(path, password) == DatabaseFileCheck::Ours, path);
        FUZZ_CHECK(isWholeDatabase(path, password), path);
        FUZZ_CHECK(left.size() == 2, left.join(u' '));
        // Every row of every table came over.
        QList<JetTableData> tables;
        QString error;
        FUZZ_CHECK(readJetDatabase(result.original, &tables, &error), error);
        for (const JetTableData &t : tables)
            FUZZ_CHECK(rowsOf(path, t.name) == t.rows.size(),
                       t.name + QStringLiteral(": %1 rows, %2 converted").arg(t.rows.size()).arg(rowsOf(path, t.name)));
        break;
    }
    }
    return 0;
}
