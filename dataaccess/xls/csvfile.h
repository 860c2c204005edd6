#pragma once
// Comma-separated text files (RFC 4180): rows of cell texts read with their encoding and
// separator found out, and tables written in UTF-8 or GB18030.
#include "xlsworkbook.h"

// How a CSV file is laid out. Reading fills in what it found; a separator or encoding given
// before reading is taken as it is instead of being found out.
struct CsvLayout
{
    enum Encoding { Detect, Utf8, Gb18030, Utf16 };
    Encoding encoding = Detect;
    QChar separator; // ',', ';' or '\t'; null to find out
    bool byteOrderMark = false;
};

// Where read rows go, one at a time; answering false stops the reading, which then fails.
using RowSink = std::function<bool(QList<XlsValue> &row)>;

// Reads every record of a CSV file, the first line too, each as a row of Text cells: a quoted
// field is text even when empty, an empty unquoted field is Null. Blank lines hold no record.
// Quoted fields may hold separators, doubled quotes and line breaks; lines end in CRLF, LF or CR.
// The encoding is found from a byte-order mark (UTF-8, UTF-16), else the bytes are UTF-8 when
// they read as UTF-8, else GB18030. The separator is the one of comma, semicolon and tab that
// splits the most of the first lines into the same number of fields (a preamble above the table
// does not mislead it), comma when none does. False with an error text when the file cannot be
// read, holds a NUL byte or bytes of no character in its encoding, or ends inside a quoted field.
bool readCsvRows(const QString &path, const RowSink &sink, QString *error = nullptr, CsvLayout *layout = nullptr);

// Writes a title row and the rows of source to a new file at path, replacing one that is there
// only once every row is written: fields joined by commas, records ended by CRLF, a field quoted
// when it holds a comma, quote or line break, or is empty text (an empty unquoted field is Null).
// Numbers are written in the fewest digits that read back as the same number, dates (and numbers
// in Date columns, as day serials) as YYYY-MM-DD, with " hh:mm:ss" when they have a time of day.
// UTF-8 gets a byte-order mark, so spreadsheet programs take it for UTF-8; Gb18030 is the
// superset of GBK that older Excel on Chinese Windows reads. A Stop leaves the file as it was.
bool writeCsvFile(const QString &path, const QList<XlsColumn> &columns, const RowSource &source,
                  CsvLayout::Encoding encoding, QString *error = nullptr);
