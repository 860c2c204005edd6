#pragma once
// Moving a household's user directory and ledgers between the data folder and a database server.
// Each database is copied whole, then its records are counted and its amounts summed on both
// sides; a copy that does not match is taken away again and the move stops there, naming it.
#include "dataaccess/pg/serverstore.h"

#include <QStringList>

struct FolderCopyReport
{
    bool ok = false;
    int databases = 0;   // copied and checked
    qint64 records = 0;  // in all of them
    double expense = 0;  // the ledgers' amounts, summed
    double income = 0;
    QString failed;      // the file name of the database that did not copy or did not match
};

// Whether the server answers with these settings; the server's reason when it does not.
bool testDatabaseServer(const DatabaseServer &server, QString *error);

// The user directory and the ledgers, by file name, in the data folder on the disk or on the server.
QStringList localDatabases();
QStringList serverDatabases(const DatabaseServer &server);

// Copies every database of the one place to the other, replacing what is there under the same
// name; the disk's replaced files are kept aside as "<file>.bak<n>". The server chosen for the
// program is the same afterwards as before. The program's own connections must be closed.
FolderCopyReport copyDataFolderToServer(const DatabaseServer &server);
FolderCopyReport copyServerToDataFolder(const DatabaseServer &server);
