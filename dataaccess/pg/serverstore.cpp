#include "serverstore.h"

#include "serverlink.h"

#include "dataaccess/jetdialect.h"

#include "common/files.h"
#include "common/log.h"
#include "common/program.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

#include <libpq-fe.h>

namespace {

std::optional<DatabaseServer> &chosen()
{
    static std::optional<DatabaseServer> server;
    return server;
}

bool fromEnvironment()
{
    return !chosen() && qEnvironmentVariableIsSet("KELM_SERVER");
}

QString dataFolder()
{
    const QFileInfo info(programPath(QStringLiteral("data")));
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

QString household()
{
    if (fromEnvironment())
        return dataFolder();
    return chosen() ? chosen()->household : QString();
}

QString &storeError()
{
    static QString error;
    return error;
}

// The store's own session, for the file operations; the ledgers' connections have theirs.
ServerLink *storeLink()
{
    static ServerLink link;
    static QString connectedTo;
    const QString wanted = serverConnectionText();
    if (!link.isOpen() || connectedTo != wanted) {
        connectedTo.clear();
        if (!link.connect(wanted)) {
            storeError() = link.error();
            qCWarning(logData).noquote() << "cannot reach the database server -" << link.error();
            return nullptr;
        }
        connectedTo = wanted;
    }
    return &link;
}

QString fileName(const QString &path)
{
    return QFileInfo(path).fileName();
}

QString schemaFor(const QString &name)
{
    const QByteArray digest = QCryptographicHash::hash((household() + u'/' + name).toUtf8(), QCryptographicHash::Sha1);
    return QStringLiteral("db_") + QString::fromLatin1(digest.toHex().left(24));
}

QString quotedSchema(const QString &schema)
{
    return u'"' + schema + u'"';
}

bool fail(ServerLink *link)
{
    storeError() = link->error();
    qCWarning(logData).noquote() << "database server:" << link->error();
    link->runScript(QStringLiteral("ROLLBACK"));
    return false;
}

// The file operations of common/files reach the server for the files it holds.
const bool placesInstalled = [] {
    DatabasePlaces places;
    places.holds = [](const QString &path) { return !serverSchemaOf(path).isEmpty(); };
    places.exists = serverDatabaseExists;
    places.remove = dropServerDatabase;
    places.move = moveServerDatabase;
    places.list = [](const QString &folder) {
        return QFileInfo(folder).absoluteFilePath() == QFileInfo(programPath(QStringLiteral("data"))).absoluteFilePath()
            ? serverDatabaseNames()
            : QStringList();
    };
    setDatabasePlaces(places);
    return true;
}();

} // namespace

std::optional<DatabaseServer> databaseServer()
{
    if (fromEnvironment())
        return DatabaseServer{qEnvironmentVariable("KELM_SERVER"), dataFolder()};
    return chosen();
}

void setDatabaseServer(const std::optional<DatabaseServer> &server)
{
    (void)placesInstalled;
    chosen() = server;
}

QString serverConnectionText()
{
    const auto server = databaseServer();
    return server ? server->connection : QString();
}

QString serverSchemaOf(const QString &path)
{
    if (!databaseServer() || path.isEmpty())
        return {};
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (name != QLatin1String("yhlb.dat") && !name.startsWith(QLatin1String("yhlb.dat."))
        && !name.contains(QLatin1String("_lc.dat")))
        return {};
    const QFileInfo folder(info.absolutePath());
    const QString canonical = folder.canonicalFilePath();
    if ((canonical.isEmpty() ? folder.absoluteFilePath() : canonical) != dataFolder())
        return {};
    return schemaFor(name);
}

bool serverDatabaseExists(const QString &path)
{
    ServerLink *link = storeLink();
    if (!link)
        return false;
    PgResult r = link->run(QStringLiteral("SELECT 1 FROM kelm.files WHERE household = $1 AND name = $2"),
                           {household(), fileName(path)});
    return r && PQntuples(r.get()) > 0;
}

bool createServerDatabase(const QString &path, const QStringList &jetSchema)
{
    ServerLink *link = storeLink();
    if (!link)
        return false;
    const QString schema = schemaFor(fileName(path));
    if (!link->runScript(QStringLiteral("BEGIN; CREATE SCHEMA %1; SET LOCAL search_path = %1, kelm, pg_catalog;")
                             .arg(quotedSchema(schema))))
        return fail(link);
    for (const QString &statement : jetSchema) {
        const JetStatement translated = translateJet(statement, {}, nullptr, JetTarget::Postgres);
        if (!translated.error.isEmpty() || !link->run(translated.sql, translated.values))
            return fail(link);
    }
    if (!link->run(QStringLiteral("INSERT INTO kelm.files (household, name, schema) VALUES ($1, $2, $3)"),
                   {household(), fileName(path), schema})
        || !link->runScript(QStringLiteral("COMMIT")))
        return fail(link);
    link->layoutChanged();
    return true;
}

bool dropServerDatabase(const QString &path)
{
    ServerLink *link = storeLink();
    if (!link)
        return false;
    const QString schema = schemaFor(fileName(path));
    if (!link->runScript(QStringLiteral("BEGIN; DROP SCHEMA IF EXISTS %1 CASCADE;").arg(quotedSchema(schema)))
        || !link->run(QStringLiteral("DELETE FROM kelm.files WHERE household = $1 AND name = $2"), {household(), fileName(path)})
        || !link->runScript(QStringLiteral("COMMIT")))
        return fail(link);
    link->layoutChanged();
    return true;
}

bool moveServerDatabase(const QString &from, const QString &to)
{
    ServerLink *link = storeLink();
    if (!link)
        return false;
    const QString source = schemaFor(fileName(from));
    const QString target = schemaFor(fileName(to));
    if (!link->runScript(QStringLiteral("BEGIN")))
        return fail(link);
    PgResult found = link->run(QStringLiteral("SELECT 1 FROM kelm.files WHERE household = $1 AND name = $2 FOR UPDATE"),
                               {household(), fileName(from)});
    if (!found || PQntuples(found.get()) == 0) {
        link->runScript(QStringLiteral("ROLLBACK"));
        storeError() = QStringLiteral("no such database");
        return false;
    }
    if (!link->runScript(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE; ALTER SCHEMA %2 RENAME TO %1;")
                             .arg(quotedSchema(target), quotedSchema(source)))
        || !link->run(QStringLiteral("DELETE FROM kelm.files WHERE household = $1 AND name = $2"), {household(), fileName(to)})
        || !link->run(QStringLiteral("UPDATE kelm.files SET name = $3, schema = $4 WHERE household = $1 AND name = $2"),
                      {household(), fileName(from), fileName(to), target})
        || !link->runScript(QStringLiteral("COMMIT")))
        return fail(link);
    link->layoutChanged();
    return true;
}

QStringList serverDatabaseNames()
{
    QStringList names;
    ServerLink *link = storeLink();
    if (!link)
        return names;
    PgResult r = link->run(QStringLiteral("SELECT name FROM kelm.files WHERE household = $1 ORDER BY name"), {household()});
    for (int row = 0; r && row < PQntuples(r.get()); ++row)
        names.append(QString::fromUtf8(PQgetvalue(r.get(), row, 0)));
    return names;
}

QString serverStoreError()
{
    return storeError();
}
