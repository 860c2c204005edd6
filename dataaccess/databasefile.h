#pragma once
// The ledger's database files: SQLite files that carry this program's mark and the database
// password's stamp in their header, so a file of another program, or one opened with another
// password, is refused before anything reads it.
#include <QString>

// The one password every database file of the program carries: "※→←rtw↑↓〓".
extern const QString databasePassword;

enum class DatabaseFileCheck { Ours, Missing, NotOurs, WrongPassword };

// Reads the file's header only.
DatabaseFileCheck checkDatabaseFile(const QString &path, const QString &password);

// Writes a new, empty database file carrying the password; false when the file exists already
// or cannot be written.
bool createDatabaseFile(const QString &path, const QString &password);

// True when the file is ours, carries the password and reads whole: the engine's own check of
// every page finds nothing wrong.
bool isWholeDatabase(const QString &path, const QString &password);

// Removes the copies, with their journals, that a compaction cut off left beside the database
// file (".<file>.compact<n>.tmp"); given a folder, those of every file in it.
void removeCompactionLeftovers(const QString &pathOrFolder);

// What the header holds for a password.
int passwordStamp(const QString &password);
constexpr int databaseApplicationId = 0x4B454C4D; // "KELM"
