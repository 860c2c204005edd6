#include "dataaccess/xls/xlsworkbook.h"

#include "dataaccess/xls/biff.h"
#include "dataaccess/xls/compoundfile.h"
#include "dataaccess/xls/xlsformat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

#include <cmath>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace biff;

XlsValue XlsValue::fromText(const QString &text)
{
    XlsValue v;
    v.kind = Text;
    v.text = text;
    return v;
}

XlsValue XlsValue::fromNumber(double number)
{
    XlsValue v;
    v.kind = Number;
    v.number = number;
    return v;
}

XlsValue XlsValue::fromDate(const QDateTime &date)
{
    XlsValue v;
    if (!date.isValid())
        return v;
    v.kind = Date;
    v.date = date;
    v.number = serialFromDate(date);
    return v;
}

int XlsSheet::column(const QString &title) const
{
    if (title.isEmpty())
        return -1;
    int found = -1;
    for (int i = 0; i < titles.size(); ++i) {
        if (titles.at(i).compare(title, Qt::CaseInsensitive) != 0)
            continue;
        if (found >= 0)
            return -2;
        found = i;
    }
    return found;
}

QString titleText(const XlsValue &v)
{
    switch (v.kind) {
    case XlsValue::Number:
        return QString::number(v.number, 'g', 15);
    case XlsValue::Date:
        return v.date.time().msecsSinceStartOfDay() == 0
                   ? v.date.toString(QStringLiteral("yyyy-MM-dd"))
                   : v.date.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    default:
        return v.text;
    }
}

namespace {

constexpr int maxRows = 65535;  // data rows under the title row
constexpr int maxColumns = 256;
constexpr int maxText = 32767;
constexpr qint64 maxCells = 4194304;

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

// A workbook file taken apart: its bytes, its workbook stream and the globals of that stream.
struct Workbook
{
    QByteArray file;
    QByteArray stream;
    Globals globals;
};

bool loadWorkbook(const QString &path, Workbook *book, QString *error)
{
    QFile file(path);
    if (!QFileInfo(path).isFile())
        return fail(error, QStringLiteral("the workbook %1 does not exist").arg(path));
    if (!file.open(QIODevice::ReadOnly))
        return fail(error, QStringLiteral("the workbook %1 cannot be read").arg(path));
    book->file = file.readAll();
    if (!readWorkbookStream(book->file, &book->stream, error)
        || !readGlobals(book->stream, &book->globals, error))
        return false;
    if (book->globals.encrypted)
        return fail(error, QStringLiteral("the workbook is protected by a password"));
    return true;
}

const SheetEntry *findSheet(const Globals &g, const QString &name)
{
    for (const SheetEntry &s : g.sheets)
        if (s.name.compare(name, Qt::CaseInsensitive) == 0)
            return &s;
    return nullptr;
}

// ---- reading --------------------------------------------------------------------------------

struct Cell
{
    quint16 row;
    quint16 col;
    XlsValue value;
};

QString errorText(quint8 code)
{
    switch (code) {
    case 0x00: return QStringLiteral("#NULL!");
    case 0x07: return QStringLiteral("#DIV/0!");
    case 0x0F: return QStringLiteral("#VALUE!");
    case 0x17: return QStringLiteral("#REF!");
    case 0x1D: return QStringLiteral("#NAME?");
    case 0x24: return QStringLiteral("#NUM!");
    default: return QStringLiteral("#N/A");
    }
}

quint8 errorCode(const QString &text)
{
    static const quint8 codes[] = {0x00, 0x07, 0x0F, 0x17, 0x1D, 0x24, 0x2A};
    for (quint8 code : codes)
        if (errorText(code) == text)
            return code;
    return 0x2A;
}

XlsValue numberValue(const Globals &g, int xf, double number)
{
    if (g.isDateXf(xf)) {
        const QDateTime date = dateFromSerial(number, g.system1904);
        if (date.isValid()) {
            XlsValue v;
            v.kind = XlsValue::Date;
            v.number = number;
            v.date = date;
            return v;
        }
    }
    return XlsValue::fromNumber(number);
}

XlsValue booleanValue(bool value)
{
    XlsValue v;
    v.kind = XlsValue::Boolean;
    v.number = value ? 1 : 0;
    v.text = value ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    return v;
}

XlsValue errorValue(quint8 code)
{
    XlsValue v;
    v.kind = XlsValue::Error;
    v.text = errorText(code);
    return v;
}


// The text of a STRING record (with its CONTINUE records) starting at the reader's position.
bool readFormulaString(RecordReader &reader, QString *text)
{
    Record r;
    // Shared formula, array and table records may stand between the formula and its string.
    while (reader.peek(&r) && (r.type == 0x04BC || r.type == 0x0221 || r.type == 0x0236))
        reader.next(&r);
    if (!reader.peek(&r) || r.type != String)
        return false;
    reader.next(&r);
    QList<Record> parts{r};
    Record c;
    while (reader.peek(&c) && c.type == Continue) {
        reader.next(&c);
        parts.append(c);
    }
    ContinuedReader in(parts);
    return in.unicodeString(text);
}

bool readCells(const Workbook &book, const SheetEntry &sheet, QList<Cell> *cells, QString *error)
{
    const Globals &g = book.globals;
    const QString damaged = QStringLiteral("the worksheet %1 is damaged").arg(sheet.name);
    if (sheet.position < g.end || sheet.position >= book.stream.size())
        return fail(error, damaged);
    RecordReader reader(book.stream, sheet.position);
    Record r;
    if (!reader.next(&r) || r.type != Bof)
        return fail(error, damaged);
    int depth = 1;
    while (reader.next(&r)) {
        if (cells->size() > maxCells)
            return fail(error, QStringLiteral("the worksheet %1 is too large").arg(sheet.name));
        if (r.type == Bof) {
            ++depth;
            continue;
        }
        if (r.type == Eof) {
            if (--depth == 0)
                return true;
            continue;
        }
        if (depth != 1 || r.size < 6)
            continue;
        const quint16 row = u16(r.body);
        const quint16 col = u16(r.body + 2);
        const quint16 xf = u16(r.body + 4);
        switch (r.type) {
        case Number:
            if (r.size >= 14)
                cells->append({row, col, numberValue(g, xf, f64(r.body + 6))});
            break;
        case Rk:
            if (r.size >= 10)
                cells->append({row, col, numberValue(g, xf, rkNumber(u32(r.body + 6)))});
            break;
        case MulRk: {
            const int n = (r.size - 6) / 6;
            for (int i = 0; i < n; ++i) {
                const char *p = r.body + 4 + 6 * i;
                cells->append({row, quint16(col + i), numberValue(g, u16(p), rkNumber(u32(p + 2)))});
            }
            break;
        }
        case LabelSst: {
            if (r.size < 10)
                break;
            const quint32 index = u32(r.body + 6);
            if (index >= quint32(g.strings.size()))
                return fail(error, damaged);
            cells->append({row, col, XlsValue::fromText(g.strings.at(index))});
            break;
        }
        case Label:
        case RString: {
            QList<Record> parts{Record{r.type, r.offset, r.body + 6, r.size - 6}};
            ContinuedReader in(parts);
            QString text;
            if (!in.unicodeString(&text))
                return fail(error, damaged);
            cells->append({row, col, XlsValue::fromText(text)});
            break;
        }
        case BoolErr:
            if (r.size >= 8)
                cells->append({row, col, r.body[7] ? errorValue(quint8(r.body[6]))
                                                   : booleanValue(r.body[6] != 0)});
            break;
        case Formula: {
            if (r.size < 20)
                break;
            const char *result = r.body + 6;
            if (u16(result + 6) != 0xFFFF) {
                cells->append({row, col, numberValue(g, xf, f64(result))});
                break;
            }
            switch (quint8(result[0])) {
            case 0: {
                QString text;
                if (readFormulaString(reader, &text))
                    cells->append({row, col, XlsValue::fromText(text)});
                break;
            }
            case 1:
                cells->append({row, col, booleanValue(result[2] != 0)});
                break;
            case 2:
                cells->append({row, col, errorValue(quint8(result[2]))});
                break;
            default: // an empty text result: an empty cell
                break;
            }
            break;
        }
        default:
            break;
        }
    }
    return fail(error, damaged);
}

// ---- writing --------------------------------------------------------------------------------

bool validSheetName(const QString &name)
{
    if (name.isEmpty() || name.size() > 31 || name.startsWith(u'\'') || name.endsWith(u'\''))
        return false;
    for (QChar c : name)
        if (QStringView(u"[]:*?/\\").contains(c) || c.unicode() < 0x20)
            return false;
    return true;
}

QByteArray bofBody(quint16 kind)
{
    QByteArray b;
    put16(b, 0x0600);
    put16(b, kind);
    put16(b, 0x0DBB);
    put16(b, 0x07CC);
    put32(b, 0);
    put32(b, 6);
    return b;
}

QByteArray xfBody(quint16 font, quint16 format, bool style, quint8 used)
{
    QByteArray b;
    put16(b, font);
    put16(b, format);
    put16(b, style ? 0xFFF5 : 0x0001); // locked; a style has no parent, a cell's parent is Normal
    b.append(char(0x20));                // bottom aligned
    b.append(char(0));
    b.append(char(0));
    b.append(char(used));
    put32(b, 0);
    put32(b, 0);
    put16(b, 0x20C0); // automatic pattern colours
    return b;
}

// The globals of an empty workbook: what a new file starts from before its first sheet is added.
QByteArray emptyWorkbookStream()
{
    Writer w;
    w.record(Bof, bofBody(0x0005));
    QByteArray codePage;
    put16(codePage, 1200); // UTF-16
    w.record(CodePage, codePage);
    QByteArray window;
    for (quint16 v : {0, 0, 0x3000, 0x1E00, 0x0038, 0, 0, 1, 0x0258})
        put16(window, v);
    w.record(Window1, window);
    w.record(DateMode, QByteArray(2, '\0'));
    for (int i = 0; i < 4; ++i) {
        QByteArray font;
        put16(font, 220);                 // 11 points
        put16(font, 0);
        put16(font, 0x7FFF);              // automatic colour
        put16(font, i == 1 ? 700 : 400);  // the second font is bold
        put16(font, 0);
        font.append(char(0));
        font.append(char(0));
        font.append(char(134));           // GB2312
        font.append(char(0));
        putString8(font, QStringLiteral("宋体"));
        w.record(Font, font);
    }
    // 15 style formats (Normal, then the built-in outline styles), then the default cell format.
    for (int i = 0; i < 15; ++i)
        w.record(Xf, xfBody(i == 1 || i == 2 ? 1 : i == 3 || i == 4 ? 2 : 0, 0, true,
                            i == 0 ? 0 : 0xF4));
    w.record(Xf, xfBody(0, 0, false, 0));
    QByteArray normal;
    put16(normal, 0x8000); // built-in style on format 0
    normal.append(char(0));
    normal.append(char(0xFF));
    w.record(Style, normal);
    w.record(Eof, QByteArray());
    return w.bytes;
}

// The rows of a source with a check of each and one row of look-ahead, which tells a full sheet
// whether another must follow.
struct RowFeed
{
    explicit RowFeed(const RowSource &source) : source(source) {}
    const RowSource &source;
    QList<XlsValue> row;
    QString error; // why a row was refused
    bool held = false;

    RowPull next(qsizetype width)
    {
        if (held) {
            held = false;
            return RowPull::Row;
        }
        const RowPull pulled = source(row);
        if (pulled != RowPull::Row)
            return pulled;
        ++taken;
        if (row.size() != width) {
            error = QStringLiteral("row %1 has %2 values for %3 columns").arg(taken).arg(row.size()).arg(width);
            return RowPull::Stop;
        }
        for (const XlsValue &v : std::as_const(row))
            if (v.kind == XlsValue::Text && v.text.size() > maxText) {
                error = QStringLiteral("row %1 holds a text longer than %2 characters").arg(taken).arg(maxText);
                return RowPull::Stop;
            }
        return RowPull::Row;
    }
    void putBack() { held = true; }
    qint64 taken = 0;
};

// Writes one sheet substream: the title row, then the rows.
class SheetWriter
{
public:
    SheetWriter(SstBuilder &sst, quint16 generalXf, quint16 dateXf, bool system1904)
        : sst(sst), generalXf(generalXf), dateXf(dateXf),
          // Day serials of a 1904 workbook count from 1904-01-01, 1462 days later.
          dateShift(system1904 ? 1462 : 0) {}

    // The title row, then rows from feed until the sheet is full or the rows end. *rest is Row
    // when rows are left for another sheet, End when none are, Stop on a stop or a bad row.
    QByteArray write(const QList<XlsColumn> &columns, RowFeed &feed, bool firstSheet, RowPull *rest)
    {
        w.record(Bof, bofBody(0x0010));
        const qsizetype dimensions = w.bytes.size() + 4;
        QByteArray dims;
        put32(dims, 0);
        put32(dims, 1);
        put16(dims, 0);
        put16(dims, quint16(columns.size()));
        put16(dims, 0);
        w.record(Dimensions, dims);
        for (int c = 0; c < columns.size(); ++c)
            text(0, c, columns.at(c).title);
        int r = 0;
        *rest = RowPull::End;
        while ((*rest = feed.next(columns.size())) == RowPull::Row) {
            if (r == maxRows) {
                feed.putBack();
                break;
            }
            ++r;
            for (int c = 0; c < columns.size(); ++c)
                value(r, c, columns.at(c).type, feed.row.at(c));
        }
        qToLittleEndian<quint32>(quint32(r + 1), w.bytes.data() + dimensions + 4);
        QByteArray window;
        put16(window, firstSheet ? 0x06B6 : 0x00B6);
        put16(window, 0);
        put16(window, 0);
        put16(window, 0x40);
        for (int i = 0; i < 5; ++i)
            put16(window, 0);
        w.record(Window2, window);
        w.record(Eof, QByteArray());
        return std::move(w.bytes);
    }

private:
    void start(quint16 type, int size, int row, int col, quint16 xf)
    {
        char h[10];
        qToLittleEndian<quint16>(type, h);
        qToLittleEndian<quint16>(quint16(size), h + 2);
        qToLittleEndian<quint16>(quint16(row), h + 4);
        qToLittleEndian<quint16>(quint16(col), h + 6);
        qToLittleEndian<quint16>(xf, h + 8);
        w.bytes.append(h, 10);
    }
    void text(int row, int col, const QString &s)
    {
        start(LabelSst, 10, row, col, generalXf);
        put32(w.bytes, quint32(sst.add(s)));
    }
    void number(int row, int col, double n, quint16 xf)
    {
        start(Number, 14, row, col, xf);
        putDouble(w.bytes, n);
    }
    void boolErr(int row, int col, quint8 value, bool isError)
    {
        start(BoolErr, 8, row, col, generalXf);
        w.bytes.append(char(value));
        w.bytes.append(char(isError ? 1 : 0));
    }
    void value(int row, int col, XlsColumnType type, const XlsValue &v)
    {
        switch (v.kind) {
        case XlsValue::Null:
            break;
        case XlsValue::Text:
            text(row, col, v.text);
            break;
        case XlsValue::Number:
            if (!std::isfinite(v.number))
                boolErr(row, col, 0x24, true);
            else if (type == XlsColumnType::Date)
                number(row, col, v.number - dateShift, dateXf); // a day serial of the 1900 system
            else
                number(row, col, v.number, generalXf);
            break;
        case XlsValue::Date:
            if (v.date.isValid())
                number(row, col, serialFromDate(v.date) - dateShift, dateXf);
            break;
        case XlsValue::Boolean:
            boolErr(row, col, v.number != 0 ? 1 : 0, false);
            break;
        case XlsValue::Error:
            boolErr(row, col, errorCode(v.text), true);
            break;
        }
    }

    Writer w;
    SstBuilder &sst;
    quint16 generalXf;
    quint16 dateXf;
    double dateShift;
};

const QString dateCode = QStringLiteral("YYYY-MM-DD");
const QString generalCode = QStringLiteral("General");

// Whether every cell format and shared string the records of a worksheet name exists. Cells
// naming one past the end would take the meaning of what an added sheet appends there.
bool referencesExist(const QByteArray &stream, qsizetype from, int xfCount, qsizetype stringCount)
{
    RecordReader reader(stream, from);
    Record r;
    int depth = 0;
    const auto fits = [&](const char *p) { return u16(p) < xfCount; };
    while (reader.next(&r)) {
        if (r.type == Bof)
            ++depth;
        else if (r.type == Eof && --depth == 0)
            return true;
        if (depth != 1)
            continue; // a chart inside the sheet
        switch (r.type) {
        case Number: case Rk: case Label: case RString: case BoolErr: case Blank: case Formula:
            if (r.size >= 6 && !fits(r.body + 4))
                return false;
            break;
        case LabelSst:
            if (r.size >= 10 && (!fits(r.body + 4) || u32(r.body + 6) >= quint64(stringCount)))
                return false;
            break;
        case MulRk:
            for (int k = 4; k + 6 <= r.size - 2; k += 6)
                if (!fits(r.body + k))
                    return false;
            break;
        case MulBlank:
            for (int k = 4; k + 2 <= r.size - 2; k += 2)
                if (!fits(r.body + k))
                    return false;
            break;
        case Row: // its format counts only when the row carries one
            if (r.size >= 16 && (u16(r.body + 12) & 0x80) && (u16(r.body + 14) & 0x0FFF) >= xfCount)
                return false;
            break;
        case ColInfo:
            if (r.size >= 8 && !fits(r.body + 6))
                return false;
            break;
        default:
            break;
        }
    }
    return false;
}

// The workbook stream with the sheets of the rows added after the last sheet: one, or more when
// the rows need them. The globals gain the sheets' entries, two cell formats (General and date)
// with the number formats they need, and the strings; every stream position they and the other
// sheets' INDEX records hold moves by the bytes the globals grew.
bool addSheets(const QByteArray &stream, const Globals &g, const QString &name,
               const QList<XlsColumn> &columns, const RowSource &source,
               QByteArray *out, QString *error)
{
    if (findSheet(g, name))
        return fail(error, QStringLiteral("the workbook already has a sheet named %1").arg(name));
    if (g.xfFormats.isEmpty())
        return fail(error, QStringLiteral("the workbook has no cell formats"));
    const QString damaged = QStringLiteral("the workbook is damaged");

    // The sheets' substreams follow the globals; what lies after the last one is padding.
    qsizetype tailEnd = g.end;
    QList<Record> indexRecords;
    for (const SheetEntry &s : g.sheets) {
        if (s.position < g.end || s.position >= stream.size())
            return fail(error, damaged);
        const qsizetype end = substreamEnd(stream, s.position, &indexRecords);
        if (end < 0)
            return fail(error, damaged);
        tailEnd = qMax(tailEnd, end);
    }

    // Shared strings: the new ones go after those already there, so the table must hold just
    // the strings it announces. Strings left after them, or fewer, would give the new cells'
    // numbers to old strings, or the old cells' numbers to new strings.
    QList<Record> sstParts;
    if (g.sstRecord >= 0) {
        sstParts = g.records.mid(g.sstRecord, g.sstParts);
        if (sstParts.first().size < 8 || g.sstAnnounced != quint32(g.strings.size()) || g.sstTrailing)
            return fail(error, QStringLiteral("the workbook's shared strings disagree with their count"));
    }
    // The new cell formats go after the last one: no cell of another sheet may name those yet.
    for (const SheetEntry &s : g.sheets)
        if ((s.kind == 0 || s.kind == 1)
            && !referencesExist(stream, s.position, int(g.xfFormats.size()), g.strings.size()))
            return fail(error, QStringLiteral("the worksheet %1 names a cell format or string the "
                                              "workbook lacks").arg(s.name));
    for (const Record &r : g.records)
        if (r.type == Style && r.size >= 2 && (u16(r.body) & 0x0FFF) >= g.xfFormats.size())
            return fail(error, QStringLiteral("a cell style names a cell format the workbook lacks"));

    // Number formats for the new cells, taking numbers no FORMAT record or cell format uses.
    int dateFormat = -1;
    int generalFormat = 0;
    int nextFormat = 164;
    for (auto it = g.formats.constBegin(); it != g.formats.constEnd(); ++it) {
        if (it.key() != 0 && it.value().compare(dateCode, Qt::CaseInsensitive) == 0)
            dateFormat = it.key();
        nextFormat = qMax(nextFormat, it.key() + 1);
    }
    for (quint16 format : g.xfFormats)
        nextFormat = qMax(nextFormat, format + 1);
    // A FORMAT record may give format 0 a code of its own, which some readers then show;
    // the new numbers take a General of their own then.
    const auto zero = g.formats.constFind(0);
    if (zero != g.formats.constEnd() && zero->compare(generalCode, Qt::CaseInsensitive) != 0) {
        generalFormat = -1;
        for (auto it = g.formats.constBegin(); it != g.formats.constEnd(); ++it)
            if (it.key() != 0 && it.value().compare(generalCode, Qt::CaseInsensitive) == 0)
                generalFormat = it.key();
    }
    const bool newGeneralFormat = generalFormat < 0;
    if (newGeneralFormat)
        generalFormat = nextFormat++;
    const bool newDateFormat = dateFormat < 0;
    if (newDateFormat)
        dateFormat = nextFormat++;
    if (nextFormat > 0x10000 || g.xfFormats.size() + 2 > 0xFFFF)
        return fail(error, QStringLiteral("the workbook has too many formats"));
    const bool newFormat = newGeneralFormat || newDateFormat;
    const quint16 generalXf = quint16(g.xfFormats.size());
    const quint16 dateXf = generalXf + 1;
    SstBuilder sst = g.sstRecord >= 0 ? SstBuilder(sstParts, g.stringStarts) : SstBuilder();
    QList<QByteArray> sheetBytes;
    QStringList names;
    qsizetype sheetsSize = 0;
    RowFeed feed(source);
    for (RowPull rest = RowPull::Row; rest == RowPull::Row;) {
        names.append(continuationSheetName(name, int(names.size()) + 1));
        if (names.size() > 1 && (!validSheetName(names.last()) || findSheet(g, names.last())))
            return fail(error, QStringLiteral("the rows need the sheet %1, which cannot be added").arg(names.last()));
        sheetBytes.append(SheetWriter(sst, generalXf, dateXf, g.system1904)
                              .write(columns, feed, g.sheets.isEmpty() && names.size() == 1, &rest));
        sheetsSize += sheetBytes.last().size();
        if (rest == RowPull::Stop)
            return fail(error, feed.error.isEmpty() ? QStringLiteral("the writing was stopped") : feed.error);
    }

    // The globals again, with the additions in their places.
    int lastFormat = -1, firstXf = -1, lastXf = -1, lastSheet = -1;
    for (int i = 0; i < g.records.size(); ++i) {
        const quint16 type = g.records.at(i).type;
        if (type == Format)
            lastFormat = i;
        else if (type == Xf) {
            if (firstXf < 0)
                firstXf = i;
            lastXf = i;
        } else if (type == BoundSheet)
            lastSheet = i;
    }
    Writer w;
    w.bytes.reserve(tailEnd + 1024 + sst.extSstSize() + sheetsSize);
    QList<QPair<qsizetype, quint32>> sheetPositions; // where a BOUNDSHEET's position lies, new value
    QList<qsizetype> newSheetAt;
    auto writeFormat = [&] {
        const auto one = [&](int number, const QString &code) {
            QByteArray b;
            put16(b, quint16(number));
            putString16(b, code);
            w.record(Format, b);
        };
        if (newGeneralFormat)
            one(generalFormat, generalCode);
        if (newDateFormat)
            one(dateFormat, dateCode);
    };
    auto writeNewSheet = [&] {
        for (const QString &sheetName : std::as_const(names)) {
            QByteArray b;
            put32(b, 0);
            b.append(char(0));
            b.append(char(0));
            putString8(b, sheetName);
            newSheetAt.append(w.bytes.size() + 4);
            w.record(BoundSheet, b);
        }
    };
    auto writeStrings = [&] {
        const qsizetype at = w.bytes.size();
        w.bytes.append(sst.records());
        w.bytes.append(sst.extSst(at));
    };
    bool stringsWritten = false;
    for (int i = 0; i < g.records.size(); ++i) {
        const Record &r = g.records.at(i);
        if (i == firstXf && newFormat && lastFormat < 0)
            writeFormat();
        if (lastSheet < 0 && newSheetAt.isEmpty() && (r.type == Sst || r.type == Eof))
            writeNewSheet();
        if (i == g.sstRecord) {
            writeStrings();
            stringsWritten = true;
            i += g.sstParts - 1;
            continue;
        }
        if (r.type == ExtSst)
            continue; // written anew after the strings
        if (r.type == Eof && i == g.records.size() - 1 && !stringsWritten)
            writeStrings();
        if (r.type == BoundSheet) {
            sheetPositions.append({w.bytes.size() + 4, u32(r.body)});
        }
        if (r.type == SupBook && r.size == 4 && u16(r.body + 2) == 0x0401) {
            // The workbook's reference to itself counts its sheets.
            QByteArray b;
            put16(b, quint16(g.sheets.size() + names.size()));
            put16(b, 0x0401);
            w.record(SupBook, b);
        } else {
            w.record(r.type, r.body, r.size);
        }
        if (i == lastFormat && newFormat)
            writeFormat();
        if (i == lastXf) {
            w.record(Xf, xfBody(0, quint16(generalFormat), false, generalFormat ? 0x04 : 0));
            w.record(Xf, xfBody(0, quint16(dateFormat), false, 0x04));
        }
        if (i == lastSheet)
            writeNewSheet();
    }

    const qsizetype shift = w.bytes.size() - g.end;
    auto patch32 = [](char *p, qsizetype shift) {
        qToLittleEndian<quint32>(quint32(u32(p) + shift), p);
    };
    for (const auto &[at, old] : sheetPositions)
        qToLittleEndian<quint32>(quint32(old + shift), w.bytes.data() + at);
    QByteArray tail = stream.mid(g.end, tailEnd - g.end);
    QSet<qsizetype> patched; // two sheet entries may name one substream
    for (const Record &r : indexRecords) {
        if (r.size < 16 || patched.contains(r.offset))
            continue;
        patched.insert(r.offset);
        char *body = tail.data() + (r.offset + 4 - g.end);
        if (u32(body + 12))
            patch32(body + 12, shift);
        for (int k = 16; k + 4 <= r.size; k += 4)
            patch32(body + k, shift);
    }
    qsizetype newSheetPosition = w.bytes.size() + tail.size();
    if (newSheetPosition + sheetsSize > 0x7FFFFFFF)
        return fail(error, QStringLiteral("the workbook is too large"));
    for (qsizetype k = 0; k < sheetBytes.size(); ++k) {
        qToLittleEndian<quint32>(quint32(newSheetPosition), w.bytes.data() + newSheetAt.at(k));
        newSheetPosition += sheetBytes.at(k).size();
    }
    w.bytes.append(tail);
    for (QByteArray &bytes : sheetBytes)
        w.bytes.append(std::exchange(bytes, {})); // each sheet's bytes let go once copied
    *out = std::move(w.bytes);
    return true;
}

// Another program holds a lock on the file, or the file cannot be opened for writing.
bool fileWritable(const QString &path, QString *error)
{
    // LibreOffice marks a document it has open with a lock file beside it; a sheet written
    // behind its back would be lost when it saves.
    const QFileInfo info(path);
    if (QFileInfo::exists(info.dir().filePath(QStringLiteral(".~lock.") + info.fileName() + u'#')))
        return fail(error, QStringLiteral("the workbook %1 is locked by another program").arg(path));
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return fail(error, QStringLiteral("the workbook %1 cannot be written").arg(path));
    bool locked = false;
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (::fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK)
        locked = true;
    if (!locked) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::flock(fd, LOCK_UN);
        else
            locked = true;
    }
    ::close(fd);
    if (locked)
        return fail(error, QStringLiteral("the workbook %1 is locked by another program").arg(path));
    return true;
}

} // namespace

bool readXlsSheet(const QString &path, const QString &sheet, XlsSheet *out, QString *error)
{
    *out = XlsSheet();
    Workbook book;
    if (!loadWorkbook(path, &book, error))
        return false;
    const SheetEntry *entry = findSheet(book.globals, sheet);
    if (!entry || entry->kind != 0)
        return fail(error, QStringLiteral("the workbook has no worksheet named %1").arg(sheet));
    QList<Cell> cells;
    if (!readCells(book, *entry, &cells, error))
        return false;
    if (cells.isEmpty())
        return true;
    int top = 65536, bottom = -1, left = 65536, right = -1;
    for (const Cell &c : cells) {
        top = qMin<int>(top, c.row);
        bottom = qMax<int>(bottom, c.row);
        left = qMin<int>(left, c.col);
        right = qMax<int>(right, c.col);
    }
    const int width = right - left + 1;
    const int height = bottom - top + 1;
    if (qint64(width) * height > maxCells)
        return fail(error, QStringLiteral("the worksheet %1 is too large").arg(sheet));
    out->titles = QStringList(width);
    out->rows.resize(height - 1);
    for (QList<XlsValue> &row : out->rows)
        row.resize(width);
    for (Cell &c : cells) {
        if (c.row == top)
            out->titles[c.col - left] = titleText(c.value);
        else
            out->rows[c.row - top - 1][c.col - left] = std::move(c.value);
    }
    return true;
}

QStringList xlsSheetNames(const QString &path, bool *ok)
{
    Workbook book;
    QStringList names;
    const bool read = loadWorkbook(path, &book, nullptr);
    if (read)
        for (const SheetEntry &s : book.globals.sheets)
            if (s.kind == 0)
                names.append(s.name);
    if (ok)
        *ok = read;
    return names;
}

QString continuationSheetName(const QString &sheet, int n)
{
    return n <= 1 ? sheet : sheet + QString::number(n);
}

bool writeXlsSheet(const QString &path, const QString &sheet, const QList<XlsColumn> &columns,
                   const QList<QList<XlsValue>> &rows, QString *error)
{
    if (rows.size() > maxRows)
        return fail(error, QStringLiteral("a sheet holds at most %1 rows under its titles").arg(maxRows));
    qsizetype next = 0;
    return writeXlsSheets(path, sheet, columns, [&](QList<XlsValue> &row) {
        if (next == rows.size())
            return RowPull::End;
        row = rows.at(next++);
        return RowPull::Row;
    }, error);
}

bool writeXlsSheets(const QString &path, const QString &sheet, const QList<XlsColumn> &columns,
                    const RowSource &source, QString *error)
{
    if (!validSheetName(sheet))
        return fail(error, QStringLiteral("%1 is not a valid sheet name").arg(sheet));
    if (columns.isEmpty() || columns.size() > maxColumns)
        return fail(error, QStringLiteral("a sheet holds 1 to %1 columns").arg(maxColumns));
    for (const XlsColumn &c : columns)
        if (c.title.size() > maxText)
            return fail(error, QStringLiteral("a column title is longer than %1 characters").arg(maxText));

    Workbook book;
    const QFileInfo info(path);
    if (info.exists() || info.isSymLink()) {
        if (!info.isFile())
            return fail(error, QStringLiteral("%1 is not a file").arg(path));
        if (!fileWritable(path, error) || !loadWorkbook(path, &book, error))
            return false;
    } else {
        book.stream = emptyWorkbookStream();
        if (!readGlobals(book.stream, &book.globals, error))
            return false;
    }

    QByteArray stream;
    QByteArray file;
    if (!addSheets(book.stream, book.globals, sheet, columns, source, &stream, error))
        return false;
    book.stream.clear();
    if (!buildCompoundFile(stream, book.file, &file, error))
        return false;
    stream.clear();
    QSaveFile save(path);
    if (!save.open(QIODevice::WriteOnly) || save.write(file) != file.size() || !save.commit())
        return fail(error, QStringLiteral("the workbook %1 cannot be written: %2")
                               .arg(path, save.errorString()));
    return true;
}
