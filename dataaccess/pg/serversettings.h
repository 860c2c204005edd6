#pragma once
// The database server a program folder uses, kept in the settings file. The file holds the
// server's password then, so it is made readable by its owner only.
#include "serverstore.h"

// The server saved in the settings file, or none (the local files).
std::optional<DatabaseServer> savedDatabaseServer();
// Saves the choice (none clears it); false when the file cannot be written or limited to its owner.
bool saveDatabaseServer(const std::optional<DatabaseServer> &server);

// The fields of the set-up window and the libpq connection text they make; a port of 0 leaves
// the server's own.
struct ServerFields
{
    QString host;
    int port = 0;
    QString database;
    QString user;
    QString password;
};
QString serverConnectionText(const ServerFields &fields);
ServerFields serverFieldsOf(const QString &connection);
