#pragma once
// DbConnection: the one way the program opens a database file, runs a statement that changes
// data, brackets work in a transaction, moves data between a database and a workbook, and
// compacts a file. Nothing throws: a failure is the zero value of the result.
#include "connectionobject.h"

#include <QStringList>

#include <functional>
#include <optional>

enum DbCompactResult { CompactDone = 0, CompactNoEngine = 1, CompactEngineError = 2, CompactNotReplaced = 3 };

class DbConnection
{
public:
    DbConnection();
    ~DbConnection();
    DbConnection(const DbConnection &) = delete;
    DbConnection &operator=(const DbConnection &) = delete;

    bool Open(const QString &connectionString);
    // The path goes into the connection text as it is, or in double quotes when it holds ";",
    // begins with a quote or ends in a blank, so every path the file system allows opens.
    bool OpenJet(const QString &path, const QString &password);
    bool OpenSqlServer(const QString &server, const QString &userId, const QString &password, const QString &database,
                       int express);
    bool OpenExcel(const QString &workbookPath, int importMode);
    bool Close();
    bool Execute(const QString &statement);
    double GetMode();
    bool SetMode(int mode);
    double GetTimeout(bool command);
    bool SetTimeout(int seconds, bool command);
    int BeginTrans();
    bool CommitTrans();
    bool RollbackTrans();
    QString LastError();
    bool IsOpen();
    QString Provider();
    QString Version();
    ConnectionHandle GetObject();
    ConnectionHandle SetObject(ConnectionHandle object);
    bool SetServerPassword(const std::optional<QString> &oldPassword, const std::optional<QString> &newPassword);
    bool ExportTable(const QString &workbookPath, const QString &table, const std::optional<QStringList> &fields,
                     const QString &tail);
    bool ImportTable(const QString &workbookPath, const QString &table, const std::optional<QStringList> &fields,
                     const QString &tail, const std::optional<QString> &sheet = std::nullopt);
    // The progress, when given, hears how many bytes of the compacted copy are written of about
    // how many; the compaction cannot be stopped half-way, so its answer is not heard.
    DbCompactResult CompactDatabase(const QString &path, const std::optional<QString> &password = std::nullopt,
                                    const std::function<bool(qint64 done, qint64 total)> &progress = {});
    bool ImportTableMapped(const QString &workbookPath, const QString &table, const std::optional<QStringList> &fields,
                           const QString &tail, const std::optional<QString> &sheet, const QStringList &sheetColumns);
    bool ExportTableAliased(const QString &workbookPath, const QString &table, const std::optional<QStringList> &fields,
                            const QStringList &titles, const QString &tail, const std::optional<QString> &sheet);
    bool ExportTableSorted(const QString &workbookPath, const QString &table, const std::optional<QStringList> &fields,
                           const QStringList &titles, const QString &order, const std::optional<QString> &sheet,
                           const QString &condition);

    // The last statement and connection text this connection was given, for diagnostics.
    QString lastStatementText() const;
    QString lastConnectionText() const;
    // The database file the connection has open; empty when it has none.
    QString filePath() const;

private:
    bool openConnection(const QString &connectionString); // Open without the log line of a failure
    ConnectionHandle object;
};

// Who hears how far the conversion of a Windows file that an opening starts has come (rows
// written of all rows), until it is set again; empty is nobody.
void setConversionProgress(std::function<void(qint64 done, qint64 total)> progress);

class Prompter;
// OpenJet, the conversion of a Windows file (when the file is one) shown as progress.
bool openJetShowingConversion(DbConnection &connection, const QString &path, const QString &password, Prompter &prompter);

// Where construction failures are told; the program shows them in a message box with the
// caption, the default writes them to the log.
void setDataAccessMessageHandler(std::function<void(const QString &text, const QString &caption)> handler);
void showDataAccessMessage(const QString &text);
// Whether the database engine can start; tests replace it to see the construction failures.
void setEngineCheck(std::function<bool()> check);
bool engineAvailable();
