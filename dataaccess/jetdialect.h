#pragma once
// The Jet SQL the program speaks, given its Jet meaning on SQLite: #date# literals, "&" joining
// texts with Null as empty text, Jet column types in CREATE TABLE, Date/Time columns that store
// one canonical text, exactly one statement per call. Literal values travel as bound parameters,
// so statements that differ only in their values share one prepared form.
#include <QHash>
#include <QList>
#include <QString>
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

JetStatement translateJet(const QString &text, const JetTableLookup &lookup, JetShapes *shapes = nullptr);

// The SQLite column declaration for a Jet column type ("text(30)", "double", "counter", …);
// empty text for a type Jet does not know.
QString sqliteColumnDefinition(const QString &column, const QString &jetType, int length);
