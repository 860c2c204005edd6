#pragma once
// BIFF8 records: walking the records of a workbook stream, the workbook globals, the shared
// string table, and writing records.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtEndian>

#include <unordered_map>

namespace biff {

enum RecordType : quint16 {
    Formula = 0x0006, Eof = 0x000A, DateMode = 0x0022, FilePass = 0x002F, Font = 0x0031,
    Continue = 0x003C, Window1 = 0x003D, CodePage = 0x0042, BoundSheet = 0x0085,
    MulRk = 0x00BD, MulBlank = 0x00BE, Xf = 0x00E0, Sst = 0x00FC, LabelSst = 0x00FD,
    ExtSst = 0x00FF, SupBook = 0x01AE, Dimensions = 0x0200, Blank = 0x0201, Number = 0x0203,
    Label = 0x0204, BoolErr = 0x0205, String = 0x0207, Index = 0x020B, Window2 = 0x023E,
    Rk = 0x027E, Style = 0x0293, Format = 0x041E, Bof = 0x0809, RString = 0x00D6,
    ColInfo = 0x007D, Row = 0x0208,
};

// The largest record body BIFF8 allows; longer data goes on in CONTINUE records.
constexpr int maxBody = 8224;

inline quint16 u16(const char *p) { return qFromLittleEndian<quint16>(p); }
inline quint32 u32(const char *p) { return qFromLittleEndian<quint32>(p); }
inline double f64(const char *p) { return qFromLittleEndian<double>(p); }
// The number of an RK value: a 30-bit integer or the high bits of a double, maybe over 100.
double rkNumber(quint32 rk);

// One record of a stream: where its header starts, its type and its body.
struct Record
{
    quint16 type = 0;
    qsizetype offset = 0;
    const char *body = nullptr;
    int size = 0;
    qsizetype end() const { return offset + 4 + size; }
};

// Walks records one by one; stops (false) at the end of the stream or at a record that would
// run past it, which sets damaged.
class RecordReader
{
public:
    RecordReader(const QByteArray &stream, qsizetype from) : s(stream), at(from) {}
    bool next(Record *record);
    bool peek(Record *record) const;
    bool damaged = false;
    qsizetype position() const { return at; }

private:
    const QByteArray &s;
    qsizetype at;
};

// Reads across a record and the CONTINUE records after it, as strings spread over them need:
// character data starts every continuation with its own option byte (8-bit or 16-bit).
class ContinuedReader
{
public:
    explicit ContinuedReader(const QList<Record> &parts) : p(parts) {}
    bool skip(qsizetype n);
    bool bytes(char *out, qsizetype n);
    bool chars(int count, bool wide, QString *out);
    // An XLUnicodeString: 16-bit count, option byte, rich-text runs and phonetic data skipped.
    bool unicodeString(QString *out);
    // Where the next byte lies: part index and offset in its body (moved past exhausted parts).
    QPair<int, int> where();

private:
    const QList<Record> &p;
    int part = 0;
    int at = 0;
};

struct SheetEntry
{
    QString name;
    quint32 position = 0; // stream position of the sheet's BOF
    quint8 kind = 0;      // 0 worksheet, 1 macro sheet, 2 chart, 6 VB module
    int record = -1;      // its BOUNDSHEET in Globals::records
};

// The workbook globals: the records up to the first EOF and what the cells need from them.
struct Globals
{
    QList<Record> records;
    qsizetype end = 0; // stream position after the globals EOF
    bool encrypted = false;
    bool system1904 = false;
    QList<quint16> xfFormats;          // number format of each XF, by XF index
    QHash<quint16, QString> formats;   // FORMAT records: number -> code
    QList<SheetEntry> sheets;
    QStringList strings;               // the shared string table
    QList<QPair<int, int>> stringStarts; // for each string: SST chain part, offset in its body
    int sstRecord = -1;                // index of the SST record in records, -1 without one
    int sstParts = 0;                  // SST plus its CONTINUE records
    quint32 sstAnnounced = 0;          // the number of strings the SST record claims
    bool sstTrailing = false;          // bytes left in the SST chain after the claimed strings

    bool isDateXf(int xf) const;
};

// Reads the globals of a BIFF8 workbook stream. False with an error text when the stream does
// not start with a BIFF8 globals BOF, ends before the globals EOF, or a record is malformed.
// An encrypted workbook reads as far as its FILEPASS and is marked encrypted.
bool readGlobals(const QByteArray &stream, Globals *globals, QString *error);

// Finds the stream position after the EOF that closes the substream starting at from (nested
// chart substreams included); -1 when the substream is damaged. INDEX records met on the way
// are added to indexRecords.
qsizetype substreamEnd(const QByteArray &stream, qsizetype from, QList<Record> *indexRecords = nullptr);

// Appends records to a stream.
class Writer
{
public:
    QByteArray bytes;
    void record(quint16 type, const QByteArray &body);
    void record(quint16 type, const char *body, int size);
};

// Builders of record bodies and their parts.
void put16(QByteArray &b, quint16 v);
void put32(QByteArray &b, quint32 v);
void putDouble(QByteArray &b, double v);
// A string with a 16-bit (XLUnicodeString) or 8-bit (ShortXLUnicodeString) count.
void putString16(QByteArray &b, const QString &text);
void putString8(QByteArray &b, const QString &text);

// A shared string table being written: an existing chain of SST and CONTINUE bodies (or none)
// with strings appended, each header and first character kept in one record.
class SstBuilder
{
public:
    SstBuilder();
    // Starts from an existing table, its bodies copied unchanged.
    SstBuilder(const QList<Record> &parts, const QList<QPair<int, int>> &starts);
    int add(const QString &text); // the index of the string, shared when it was added before
    void addReferences(quint32 n) { references += n; }
    // The SST and CONTINUE records, and the EXTSST record for them once their stream position
    // is known: the SST record's header starts at position.
    QByteArray records();
    QByteArray extSst(qsizetype position) const;
    int extSstSize() const;

private:
    void room(int n);
    QList<QByteArray> bodies;
    QList<QPair<int, int>> starts;
    // Texts already in the table. A plain FNV hash: the texts are short and many, and Qt's own
    // string hash cost more than the rest of writing a sheet.
    struct TextHash
    {
        size_t operator()(const QString &text) const noexcept
        {
            size_t h = 1469598103934665603ull;
            for (const QChar c : text)
                h = (h ^ c.unicode()) * 1099511628211ull;
            return h;
        }
    };
    std::unordered_map<QString, int, TextHash> added;
    quint32 references = 0;
    quint32 unique = 0;
};

} // namespace biff
