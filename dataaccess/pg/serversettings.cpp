#include "serversettings.h"

#include "common/settings.h"

#include <QFile>
#include <QStringList>

#include <libpq-fe.h>

namespace {

// The section "fwq" (服务器) of the settings file: the connection text, with the server's own
// password, and the household's name.
const QString section = QStringLiteral("fwq");
const QString connectionKey = QStringLiteral("ljwb");
const QString householdKey = QStringLiteral("jtmc");

} // namespace

std::optional<DatabaseServer> savedDatabaseServer()
{
    const QString connection = readSetting(section, connectionKey);
    if (connection.isEmpty())
        return std::nullopt;
    return DatabaseServer{connection, readSetting(section, householdKey)};
}

bool saveDatabaseServer(const std::optional<DatabaseServer> &server)
{
    // The file holds the server's password from now on: only its owner may read it, before and
    // after the write.
    const QString path = settingsFilePath();
    const QFileDevice::Permissions owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (QFile::exists(path) && !QFile::setPermissions(path, owner))
        return false;
    writeSetting(section, connectionKey, server ? server->connection : QString());
    writeSetting(section, householdKey, server ? server->household : QString());
    if (!QFile::setPermissions(path, owner))
        return false;
    const auto saved = savedDatabaseServer();
    return server ? saved && saved->connection == server->connection && saved->household == server->household : !saved;
}

QString serverConnectionText(const ServerFields &fields)
{
    // libpq's key = value text; each value quoted, with its quotes and backslashes escaped.
    const auto value = [](const QString &text) {
        return u'\'' + QString(text).replace(u'\\', QStringLiteral("\\\\")).replace(u'\'', QStringLiteral("\\'")) + u'\'';
    };
    QStringList parts;
    parts << QStringLiteral("host=") + value(fields.host);
    if (fields.port > 0)
        parts << QStringLiteral("port=%1").arg(fields.port);
    parts << QStringLiteral("dbname=") + value(fields.database) << QStringLiteral("user=") + value(fields.user);
    if (!fields.password.isEmpty())
        parts << QStringLiteral("password=") + value(fields.password);
    return parts.join(u' ');
}

ServerFields serverFieldsOf(const QString &connection)
{
    ServerFields fields;
    PQconninfoOption *options = PQconninfoParse(connection.toUtf8().constData(), nullptr);
    for (PQconninfoOption *o = options; o && o->keyword; ++o) {
        if (!o->val)
            continue;
        const QString keyword = QString::fromLatin1(o->keyword);
        const QString v = QString::fromUtf8(o->val);
        if (keyword == QLatin1String("host"))
            fields.host = v;
        else if (keyword == QLatin1String("port"))
            fields.port = v.toInt();
        else if (keyword == QLatin1String("dbname"))
            fields.database = v;
        else if (keyword == QLatin1String("user"))
            fields.user = v;
        else if (keyword == QLatin1String("password"))
            fields.password = v;
    }
    PQconninfoFree(options);
    return fields;
}
