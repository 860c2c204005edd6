#pragma once
// Why something failed. The messages a person sees stay the program's fixed texts; the engine's
// reason and the statement behind them go to the log, one category per subsystem, and from the
// program into data/kelm.log, which a household can send with a report of the fault.
#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(logData)     // "kelm.data": connections and statements
Q_DECLARE_LOGGING_CATEGORY(logExchange) // "kelm.exchange": backup, restore, workbooks, migration
Q_DECLARE_LOGGING_CATEGORY(logUsers)    // "kelm.users": the user directory and registration
Q_DECLARE_LOGGING_CATEGORY(logShell)    // "kelm.shell": windows and the messages they show

// A statement as the log may hold it: in one that touches a password (the user directory's yhmm,
// a database password) every quoted text is masked.
QString loggableStatement(const QString &statement);
// A connection string with its password values masked.
QString loggableConnectionString(const QString &connectionString);

// Adds a line to the log file at path; a file grown past maxBytes first moves to path + ".1",
// replacing the one there, so the log never holds more than twice maxBytes.
bool appendLogLine(const QString &path, const QString &line, qint64 maxBytes);

// From now on the program's log messages go to <folder>/kelm.log as well as to the terminal.
void startLogFile(const QString &folder, qint64 maxBytes = 512 * 1024);
