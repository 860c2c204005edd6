#pragma once
// The Jet SQL the program speaks, given its Jet meaning on SQLite: #date# literals, "&" joining
// texts with Null as empty text, Jet column types in CREATE TABLE, Date/Time columns that store
// one canonical text, exactly one statement per call. Literal values travel as bound parameters,
// so statements that differ only in their values share one prepared form.
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

struct JetColumn
{
    QString name;
    bool isDate = false;
};

// The columns of a table in their order, or an empty list when there is no such table.
using JetTableLookup = std::function<QList<JetColumn>(const QString &table)>;

enum class JetStatementKind { Select, Insert, Update, Delete, Create, Drop, Alter, Other };

struct JetStatement
{
    QString sql;            // SQLite text with "?" for each lifted value
    QList<QVariant> values; // the lifted values: QString, qint64 or double; texts may share the
                            // characters of the statement text, so they live no longer than it
    JetStatementKind kind = JetStatementKind::Other;
    QString error;          // set when the text cannot be a single Jet statement
    QString excelTarget;    // set when the text names an "[Excel 8.0;DATABASE=…]" workbook
};

// Statements that differ only in their values share one translation: the cache maps a statement's
// shape to its SQLite text. A change of the tables' layout must clear it.
struct JetShape
{
    QString sql;
    JetStatementKind kind = JetStatementKind::Other;
};
using JetShapes = QHash<QString, JetShape>;

// The engine a statement is given to. Both read the same parsed statement; they differ in how
// values are marked ("?" or "$n"), how names are quoted, the column types and the joining function.
enum class JetTarget { Sqlite, Postgres };

JetStatement translateJet(const QString &text, const JetTableLookup &lookup, JetShapes *shapes = nullptr,
                          JetTarget target = JetTarget::Sqlite);

// The SQLite column declaration for a Jet column type ("text(30)", "double", "counter", …);
// empty text for a type Jet does not know.
QString sqliteColumnDefinition(const QString &column, const QString &jetType, int length);
// The same on PostgreSQL: amounts numeric, dates timestamps to the second, texts in the
// program's ordering (the collation kelm.chinese, made with the server's schema).
QString postgresColumnDefinition(const QString &column, const QString &jetType, int length);
// SQLite text with "?" for each value as PostgreSQL text with "$1", "$2", …; a "?" inside quotes
// stays as it is.
QString numberedParameters(const QString &sql);

// A statement that names a workbook, taken apart for the workbook driver:
// - Export: "SELECT … INTO [Excel 8.0;DATABASE=path].sheet FROM …" becomes the query without its
//   INTO clause, whose rows go into a new worksheet;
// - Import: "… FROM [Excel 8.0;DATABASE=path].[sheet$] …" becomes the statement with the workbook
//   prefix dropped, so "[sheet$]" names a table that holds the worksheet's rows.
// Inside brackets "]]" stands for one "]", so a path holding "]" is written with it doubled.
// The driver writes and reads the kind of file the path's extension names (.xls, .xlsx, .csv).
struct WorkbookStatement
{
    enum Form { None, Export, Import } form = None;
    QString path;
    QString sheet;     // without brackets and "$"
    QString characterSet; // "CharacterSet=" before "DATABASE=": 936 writes CSV in GB18030
    QString statement; // the rewritten Jet text
    QString error;
};

WorkbookStatement splitWorkbookStatement(const QString &text);

// The worksheets a statement reads as "[name$]", for a connection opened on a workbook.
QStringList worksheetReferences(const QString &text);
