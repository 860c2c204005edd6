#pragma once
// A Jet file of the Windows program becomes a database file of ours in place: its tables, columns
// and rows are written into a new file beside it, which takes the file's name only when it is
// complete; the Jet file itself is kept beside it as "<name>.jet".
#include <QString>
#include <QStringList>

#include <functional>

// What the data layer supplies: the new empty file carrying the password, and the column
// declaration it gives a Jet column type ("text", 30), as its own table definitions get.
struct JetConversionTarget
{
    std::function<bool(const QString &path, const QString &password)> createFile;
    std::function<QString(const QString &column, const QString &jetType, int length)> columnDefinition;
    // Hears the rows written of all rows, now and then; may be empty.
    std::function<void(qint64 done, qint64 total)> progress;
};

enum class JetConversion {
    NotJet,        // not a Jet file at all; nothing was done
    WrongPassword, // a Jet file with another database password; nothing was done
    Refused,       // a Jet file that cannot be converted (a later engine, enciphered, damaged)
    Converted,     // the path now holds a database file of ours
};

struct JetConversionResult
{
    JetConversion outcome = JetConversion::NotJet;
    QString error;    // why it was refused
    QString original; // where the Jet file was kept, once converted
};

JetConversionResult convertJetFile(const QString &path, const QString &password, const JetConversionTarget &target);

// The Jet file's keeping name: "<path>.jet", or "<path>.2.jet" and on when that is taken.
QString keptJetPath(const QString &path);

// The Jet files the conversions kept since the last call, in the order they were kept, so that the
// person can be told about them.
QStringList takeKeptJetFiles();
