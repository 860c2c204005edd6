#pragma once
// Every table of a Jet 3 or Jet 4 database as it stands: the columns with their declared types
// and text lengths, the rows with their values as stored. Read through libmdb; a damaged file is
// refused as a whole rather than read in part.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

struct JetColumnInfo
{
    QString name;
    // The Jet column type as a table definition names it: counter, long, short, byte, bit,
    // currency, single, double, decimal, datetime, text, memo, binary, longbinary, guid.
    QString type;
    int length = 0; // characters of a text column
};

struct JetTableData
{
    QString name;
    QList<JetColumnInfo> columns;
    // A value per column: an invalid QVariant for Null; QString for texts (empty text is not
    // Null); double for dates (the day serial as stored) and for double, single, currency and
    // decimal columns; qint64 for counters, whole numbers and Yes/No (-1 for Yes); QByteArray
    // for binary columns.
    QList<QList<QVariant>> rows;
};

// The user tables in catalog order. False with the reason when the file cannot be read whole:
// not a Jet 3 or Jet 4 file, enciphered pages, a catalog without tables, a table whose rows or
// long values lie beyond the end of the file, a row count that disagrees with the rows found. A
// row moved to another page is read where it lies now.
bool readJetDatabase(const QString &path, QList<JetTableData> *tables, QString *error);
