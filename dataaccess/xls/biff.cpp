#include "dataaccess/xls/biff.h"

#include "dataaccess/xls/xlsformat.h"

#include <cstring>

namespace biff {

double rkNumber(quint32 rk)
{
    double value;
    if (rk & 2) {
        value = double(qint32(rk) >> 2);
    } else {
        const quint64 bits = quint64(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 1) ? value / 100 : value;
}

bool RecordReader::peek(Record *record) const
{
    if (at + 4 > s.size())
        return false;
    const char *p = s.constData() + at;
    const int size = u16(p + 2);
    if (at + 4 + size > s.size())
        return false;
    record->type = u16(p);
    record->offset = at;
    record->body = p + 4;
    record->size = size;
    return true;
}

bool RecordReader::next(Record *record)
{
    if (!peek(record)) {
        damaged = at < s.size();
        return false;
    }
    at = record->end();
    return true;
}

QPair<int, int> ContinuedReader::where()
{
    while (part < p.size() && at >= p[part].size) {
        ++part;
        at = 0;
    }
    return {part, at};
}

bool ContinuedReader::skip(qsizetype n)
{
    while (n > 0) {
        where();
        if (part >= p.size())
            return false;
        const qsizetype step = qMin<qsizetype>(n, p[part].size - at);
        at += int(step);
        n -= step;
    }
    return true;
}

bool ContinuedReader::bytes(char *out, qsizetype n)
{
    while (n > 0) {
        where();
        if (part >= p.size())
            return false;
        const qsizetype step = qMin<qsizetype>(n, p[part].size - at);
        std::memcpy(out, p[part].body + at, step);
        out += step;
        at += int(step);
        n -= step;
    }
    return true;
}

bool ContinuedReader::chars(int count, bool wide, QString *out)
{
    out->resize(count);
    QChar *dest = out->data();
    int done = 0;
    while (done < count) {
        if (part >= p.size())
            return false;
        if (at >= p[part].size) {
            // A continuation repeats the option byte: the width may change here.
            ++part;
            at = 0;
            if (part >= p.size() || p[part].size < 1)
                return false;
            wide = p[part].body[0] & 1;
            at = 1;
            continue;
        }
        const Record &r = p[part];
        const int width = wide ? 2 : 1;
        const int n = qMin(count - done, (r.size - at) / width);
        if (n <= 0) {
            at = r.size; // an odd byte left over: the writer broke a character
            continue;
        }
        const char *src = r.body + at;
        if (wide) {
            for (int i = 0; i < n; ++i)
                dest[done + i] = QChar(u16(src + 2 * i));
        } else {
            for (int i = 0; i < n; ++i)
                dest[done + i] = QChar(uchar(src[i]));
        }
        done += n;
        at += n * width;
    }
    return true;
}

bool ContinuedReader::unicodeString(QString *out)
{
    char header[3];
    if (!bytes(header, 3))
        return false;
    const int count = u16(header);
    const quint8 options = quint8(header[2]);
    quint16 runs = 0;
    quint32 extra = 0;
    if (options & 0x08) {
        char b[2];
        if (!bytes(b, 2))
            return false;
        runs = u16(b);
    }
    if (options & 0x04) {
        char b[4];
        if (!bytes(b, 4))
            return false;
        extra = u32(b);
    }
    return chars(count, options & 1, out) && skip(qsizetype(runs) * 4) && skip(extra);
}

bool Globals::isDateXf(int xf) const
{
    if (xf < 0 || xf >= xfFormats.size())
        return false;
    const quint16 format = xfFormats.at(xf);
    if (format == 0)
        return false; // General is General, whatever a FORMAT record claims for it
    const auto code = formats.constFind(format);
    if (code != formats.constEnd())
        return isDateFormatCode(*code);
    return isBuiltinDateFormat(format);
}

namespace {

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

QString shortString(const char *p, int size, bool *ok)
{
    *ok = false;
    if (size < 2)
        return {};
    const int count = quint8(p[0]);
    const bool wide = p[1] & 1;
    if (2 + count * (wide ? 2 : 1) > size)
        return {};
    QString text(count, Qt::Uninitialized);
    for (int i = 0; i < count; ++i)
        text[i] = wide ? QChar(u16(p + 2 + 2 * i)) : QChar(uchar(p[2 + i]));
    *ok = true;
    return text;
}

} // namespace

bool readGlobals(const QByteArray &stream, Globals *g, QString *error)
{
    RecordReader reader(stream, 0);
    Record r;
    if (!reader.next(&r) || r.type != Bof || r.size < 4)
        return fail(error, QStringLiteral("the file is not an Excel workbook"));
    if (u16(r.body) != 0x0600 || u16(r.body + 2) != 0x0005)
        return fail(error, QStringLiteral("the workbook is not in the Excel 97-2003 (BIFF8) format"));
    g->records.append(r);
    int depth = 1;
    while (reader.next(&r)) {
        const int index = int(g->records.size());
        g->records.append(r);
        switch (r.type) {
        case Bof:
            ++depth;
            break;
        case Eof:
            --depth;
            break;
        case FilePass:
            g->encrypted = true;
            break;
        case DateMode:
            g->system1904 = r.size >= 2 && u16(r.body) == 1;
            break;
        case Xf:
            if (r.size < 4)
                return fail(error, QStringLiteral("the workbook is damaged (cell format)"));
            g->xfFormats.append(u16(r.body + 2));
            break;
        case Format: {
            if (r.size < 5)
                return fail(error, QStringLiteral("the workbook is damaged (number format)"));
            QList<Record> parts{Record{r.type, r.offset, r.body + 2, r.size - 2}};
            ContinuedReader text(parts);
            QString code;
            if (text.unicodeString(&code))
                g->formats.insert(u16(r.body), code);
            break;
        }
        case BoundSheet: {
            bool ok = false;
            SheetEntry sheet;
            if (r.size >= 6)
                sheet.name = shortString(r.body + 6, r.size - 6, &ok);
            if (!ok)
                return fail(error, QStringLiteral("the workbook is damaged (sheet list)"));
            sheet.position = u32(r.body);
            sheet.kind = quint8(r.body[5]);
            sheet.record = index;
            g->sheets.append(sheet);
            break;
        }
        case Sst: {
            g->sstRecord = index;
            QList<Record> parts{r};
            Record c;
            while (reader.peek(&c) && c.type == Continue) {
                reader.next(&c);
                parts.append(c);
                g->records.append(c);
            }
            g->sstParts = int(parts.size());
            if (r.size < 8)
                return fail(error, QStringLiteral("the workbook is damaged (shared strings)"));
            const quint32 unique = u32(r.body + 4);
            g->sstAnnounced = unique;
            ContinuedReader text(parts);
            text.skip(8);
            g->strings.reserve(qMin<quint32>(unique, quint32(stream.size() / 3)));
            for (quint32 i = 0; i < unique; ++i) {
                const QPair<int, int> start = text.where();
                if (start.first >= parts.size())
                    break; // fewer strings than announced: the cells will find them missing
                QString s;
                if (!text.unicodeString(&s))
                    return fail(error, QStringLiteral("the workbook is damaged (shared strings)"));
                g->strings.append(s);
                g->stringStarts.append(start);
            }
            g->sstTrailing = text.where().first < parts.size();
            break;
        }
        default:
            break;
        }
        if (depth == 0) {
            g->end = reader.position();
            return true;
        }
        if (g->encrypted) {
            g->end = reader.position();
            return true; // what follows is enciphered
        }
    }
    return fail(error, QStringLiteral("the workbook is cut short"));
}

qsizetype substreamEnd(const QByteArray &stream, qsizetype from, QList<Record> *indexRecords)
{
    RecordReader reader(stream, from);
    Record r;
    if (!reader.next(&r) || r.type != Bof)
        return -1;
    int depth = 1;
    while (reader.next(&r)) {
        if (r.type == Bof)
            ++depth;
        else if (r.type == Eof && --depth == 0)
            return reader.position();
        else if (r.type == Index && indexRecords)
            indexRecords->append(r);
    }
    return -1;
}

void Writer::record(quint16 type, const char *body, int size)
{
    char header[4];
    qToLittleEndian<quint16>(type, header);
    qToLittleEndian<quint16>(quint16(size), header + 2);
    bytes.append(header, 4);
    bytes.append(body, size);
}

void Writer::record(quint16 type, const QByteArray &body)
{
    record(type, body.constData(), int(body.size()));
}

void put16(QByteArray &b, quint16 v)
{
    char p[2];
    qToLittleEndian(v, p);
    b.append(p, 2);
}

void put32(QByteArray &b, quint32 v)
{
    char p[4];
    qToLittleEndian(v, p);
    b.append(p, 4);
}

void putDouble(QByteArray &b, double v)
{
    char p[8];
    qToLittleEndian(v, p);
    b.append(p, 8);
}

namespace {

bool needsWide(const QString &text)
{
    for (QChar c : text)
        if (c.unicode() > 0xFF)
            return true;
    return false;
}

void putChars(QByteArray &b, const QChar *chars, qsizetype n, bool wide)
{
    if (wide) {
        const qsizetype at = b.size();
        b.resize(at + 2 * n);
        char *p = b.data() + at;
        for (qsizetype i = 0; i < n; ++i)
            qToLittleEndian<quint16>(chars[i].unicode(), p + 2 * i);
    } else {
        const qsizetype at = b.size();
        b.resize(at + n);
        char *p = b.data() + at;
        for (qsizetype i = 0; i < n; ++i)
            p[i] = char(chars[i].unicode());
    }
}

} // namespace

void putString16(QByteArray &b, const QString &text)
{
    const bool wide = needsWide(text);
    put16(b, quint16(text.size()));
    b.append(char(wide ? 1 : 0));
    putChars(b, text.constData(), text.size(), wide);
}

void putString8(QByteArray &b, const QString &text)
{
    const bool wide = needsWide(text);
    b.append(char(quint8(text.size())));
    b.append(char(wide ? 1 : 0));
    putChars(b, text.constData(), text.size(), wide);
}

SstBuilder::SstBuilder()
{
    bodies.append(QByteArray(8, '\0'));
}

SstBuilder::SstBuilder(const QList<Record> &parts, const QList<QPair<int, int>> &existing)
    : starts(existing)
{
    for (const Record &r : parts)
        bodies.append(QByteArray(r.body, r.size));
    if (bodies.isEmpty() || bodies.first().size() < 8) {
        bodies = {QByteArray(8, '\0')};
        starts.clear();
    }
    references = u32(bodies.first().constData());
    unique = quint32(starts.size());
}

void SstBuilder::room(int n)
{
    if (bodies.last().size() + n > maxBody)
        bodies.append(QByteArray());
}

int SstBuilder::add(const QString &text)
{
    ++references;
    const auto found = added.find(text);
    if (found != added.end())
        return found->second;
    const bool wide = needsWide(text);
    const int width = wide ? 2 : 1;
    // The header and the first character never part.
    room(3 + (text.isEmpty() ? 0 : width));
    starts.append({int(bodies.size() - 1), int(bodies.last().size())});
    QByteArray *body = &bodies.last();
    put16(*body, quint16(text.size()));
    body->append(char(wide ? 1 : 0));
    qsizetype done = 0;
    while (done < text.size()) {
        qsizetype n = qMin<qsizetype>(text.size() - done, (maxBody - body->size()) / width);
        if (n == 0) {
            bodies.append(QByteArray(1, char(wide ? 1 : 0)));
            body = &bodies.last();
            continue;
        }
        putChars(*body, text.constData() + done, n, wide);
        done += n;
    }
    const int index = int(unique++);
    added.emplace(text, index);
    return index;
}

QByteArray SstBuilder::records()
{
    qToLittleEndian<quint32>(references, bodies.first().data());
    qToLittleEndian<quint32>(unique, bodies.first().data() + 4);
    Writer w;
    for (qsizetype i = 0; i < bodies.size(); ++i)
        w.record(i == 0 ? Sst : Continue, bodies.at(i));
    return w.bytes;
}

static int bucketSize(qsizetype strings)
{
    return int(qMax<qsizetype>(8, (strings + 127) / 128));
}

int SstBuilder::extSstSize() const
{
    const int per = bucketSize(starts.size());
    return 4 + 2 + 8 * int((starts.size() + per - 1) / per);
}

QByteArray SstBuilder::extSst(qsizetype position) const
{
    QList<qsizetype> bodyAt;
    qsizetype at = position;
    for (const QByteArray &b : bodies) {
        bodyAt.append(at);
        at += 4 + b.size();
    }
    const int per = bucketSize(starts.size());
    QByteArray body;
    put16(body, quint16(per));
    for (qsizetype i = 0; i < starts.size(); i += per) {
        const auto [part, offset] = starts.at(i);
        put32(body, quint32(bodyAt.value(part) + 4 + offset));
        put16(body, quint16(4 + offset));
        put16(body, 0);
    }
    Writer w;
    w.record(ExtSst, body);
    return w.bytes;
}

} // namespace biff
