#pragma once
// Where the database files of the data folder live when the household keeps them on a
// PostgreSQL server: the user directory and each ledger are schemas of one database, listed in
// kelm.files by household and file name. Every other file (backups, workbooks, the working
// copies of a restore) stays on the disk.
#include <QString>
#include <QStringList>

#include <optional>

struct DatabaseServer
{
    QString connection; // a libpq connection text: "host=… port=… dbname=… user=… password=…"
    QString household;  // the files of one household; another household's are not seen
};

// The server in use, or none (the local files). The environment variable KELM_SERVER, when set,
// names a server on which each program folder is a household of its own (the tests run the
// core on both engines this way).
std::optional<DatabaseServer> databaseServer();
void setDatabaseServer(const std::optional<DatabaseServer> &server);

// The schema of a database file of the data folder on the server, or empty text when the file
// is kept on the disk.
QString serverSchemaOf(const QString &path);
// The server's connection text, for a connection to open the schema with.
QString serverConnectionText();

// The file operations on the server. Each is one transaction; false with the reason logged.
bool serverDatabaseExists(const QString &path);
// A new schema from the Jet statements of a template's definitions; false when it exists.
bool createServerDatabase(const QString &path, const QStringList &jetSchema);
bool dropServerDatabase(const QString &path);
bool moveServerDatabase(const QString &from, const QString &to);
// Copies a database between the server and the disk, either way, or within the server. A file
// copied to the server replaces the rows of the database there, which must exist, in one
// transaction; a database copied to the disk is an ordinary database file.
bool copyServerDatabase(const QString &source, const QString &destination);
// The server's VACUUM on the database's tables.
bool compactServerDatabase(const QString &path);
// The file names of the data folder that are on the server.
QStringList serverDatabaseNames();
// The last reason a server operation failed.
QString serverStoreError();
