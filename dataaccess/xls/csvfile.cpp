#include "csvfile.h"

#include "common/datetext.h"
#include "common/gbk.h"
#include "xlsformat.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include <cmath>

namespace {

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

// The text of the file's bytes in the layout's encoding, found out when asked to.
bool decode(const QByteArray &bytes, CsvLayout &layout, QString *text, QString *error)
{
    const auto starts = [&](const char *mark) { return bytes.startsWith(QByteArray(mark)); };
    QByteArray body = bytes;
    if (starts("\xEF\xBB\xBF")) {
        layout.byteOrderMark = true;
        if (layout.encoding == CsvLayout::Detect)
            layout.encoding = CsvLayout::Utf8;
        if (layout.encoding == CsvLayout::Utf8)
            body = bytes.mid(3);
    } else if (starts("\xFF\xFE") || starts("\xFE\xFF")) {
        layout.byteOrderMark = true;
        if (layout.encoding == CsvLayout::Detect)
            layout.encoding = CsvLayout::Utf16;
    }
    if (layout.encoding == CsvLayout::Utf16) {
        QStringDecoder utf16(QStringDecoder::Utf16); // follows the mark; without one, little-endian
        *text = utf16(bytes);
        if (utf16.hasError())
            return fail(error, QStringLiteral("the file is no UTF-16 text"));
    } else {
        if (body.contains('\0'))
            return fail(error, QStringLiteral("the file holds a NUL byte, so it is no text"));
        if (layout.encoding != CsvLayout::Gb18030) {
            QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            *text = utf8(body);
            if (!utf8.hasError()) {
                layout.encoding = CsvLayout::Utf8;
            } else if (layout.encoding == CsvLayout::Utf8) {
                return fail(error, QStringLiteral("the file is no UTF-8 text"));
            }
        }
        if (layout.encoding != CsvLayout::Utf8) {
            // Bytes of no GB18030 character read as U+FFFD, which GB18030 itself never holds as such.
            *text = fromGbk(body);
            if (text->contains(QChar::ReplacementCharacter) && !body.contains("\x84\x31\xA4\x37"))
                return fail(error, QStringLiteral("the file is neither UTF-8 nor GB18030 text"));
            layout.encoding = CsvLayout::Gb18030;
        }
    }
    if (text->startsWith(QChar::ByteOrderMark))
        text->remove(0, 1);
    return true;
}

// Splits the text into records of fields and hands each to sink, at most `limit` of them
// (-1: all). False when sink stops or the text ends inside a quoted field (*open then true).
bool parse(const QString &text, QChar separator, qsizetype limit, const RowSink &sink, bool *open)
{
    QList<XlsValue> row;
    QString field;
    bool quoted = false;     // the field began with a quote
    bool inQuotes = false;   // between its quotes now
    bool fieldStarted = false;
    qsizetype records = 0;
    const qsizetype n = text.size();
    const auto endField = [&] {
        row.append(quoted || !field.isEmpty() ? XlsValue::fromText(field) : XlsValue());
        field.clear();
        quoted = fieldStarted = false;
    };
    const auto endRecord = [&]() -> bool {
        endField();
        const bool blank = row.size() == 1 && row.first().isNull();
        if (!blank) {
            ++records;
            if (!sink(row))
                return false;
        }
        row.clear();
        return true;
    };
    *open = false;
    for (qsizetype i = 0; i < n && (limit < 0 || records < limit); ++i) {
        const QChar c = text.at(i);
        if (inQuotes) {
            if (c == u'"') {
                if (i + 1 < n && text.at(i + 1) == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    inQuotes = false;
                }
            } else {
                field += c;
            }
        } else if (c == u'"' && !fieldStarted) {
            quoted = inQuotes = fieldStarted = true;
        } else if (c == separator) {
            endField();
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
            if (!endRecord())
                return false;
        } else {
            field += c; // a quote inside an unquoted field is kept as it stands
            fieldStarted = true;
        }
    }
    if (inQuotes) {
        *open = true;
        return false;
    }
    if ((limit < 0 || records < limit) && (fieldStarted || !row.isEmpty()))
        return endRecord();
    return true;
}

// The separator that splits the most of the first records into one same number of fields.
QChar findSeparator(const QString &text)
{
    QChar best = u',';
    qsizetype bestScore = 0;
    for (const QChar candidate : {QChar(u','), QChar(u'\t'), QChar(u';')}) {
        QHash<qsizetype, qsizetype> widths;
        bool open = false;
        parse(text, candidate, 50, [&](QList<XlsValue> &row) {
            if (row.size() > 1)
                ++widths[row.size()];
            return true;
        }, &open);
        for (const qsizetype count : std::as_const(widths))
            if (count > bestScore) {
                bestScore = count;
                best = candidate;
            }
    }
    return best;
}

QString numberText(double v)
{
    return QString::number(v, 'f', QLocale::FloatingPointShortest);
}

void appendField(QString &out, const XlsValue &v, XlsColumnType type)
{
    QString text;
    switch (v.kind) {
    case XlsValue::Null:
        return;
    case XlsValue::Number:
        if (type == XlsColumnType::Date && std::isfinite(v.number)) {
            const QDateTime date = dateFromSerial(v.number, false);
            text = date.isValid() ? canonicalDateText(date) : numberText(v.number);
        } else {
            text = numberText(v.number);
        }
        break;
    case XlsValue::Date:
        text = canonicalDateText(v.date);
        break;
    default:
        text = v.text;
    }
    if (text.isEmpty() || text.contains(u',') || text.contains(u'"') || text.contains(u'\n') || text.contains(u'\r')) {
        out += u'"';
        out += QString(text).replace(u'"', QLatin1String("\"\""));
        out += u'"';
    } else {
        out += text;
    }
}

} // namespace

bool readCsvRows(const QString &path, const RowSink &sink, QString *error, CsvLayout *layout)
{
    CsvLayout found = layout ? *layout : CsvLayout();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(error, QStringLiteral("%1 cannot be read").arg(path));
    QString text;
    if (!decode(file.readAll(), found, &text, error))
        return false;
    file.close();
    if (found.separator.isNull())
        found.separator = findSeparator(text);
    if (layout)
        *layout = found;
    bool open = false;
    if (!parse(text, found.separator, -1, sink, &open))
        return fail(error, open ? QStringLiteral("the file ends inside a quoted field") : QStringLiteral("the reading was stopped"));
    return true;
}

bool writeCsvFile(const QString &path, const QList<XlsColumn> &columns, const RowSource &source,
                  CsvLayout::Encoding encoding, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(error, QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString()));
    const bool gbk = encoding == CsvLayout::Gb18030;
    QString chunk = gbk ? QString() : QString(QChar::ByteOrderMark);
    const auto flush = [&] {
        const QByteArray bytes = gbk ? toGbk(chunk) : chunk.toUtf8();
        chunk.clear();
        return file.write(bytes) == bytes.size();
    };
    for (qsizetype c = 0; c < columns.size(); ++c) {
        if (c)
            chunk += u',';
        appendField(chunk, XlsValue::fromText(columns.at(c).title), XlsColumnType::Text);
    }
    chunk += QLatin1String("\r\n");
    QList<XlsValue> row;
    RowPull pulled;
    while ((pulled = source(row)) == RowPull::Row) {
        if (row.size() != columns.size()) {
            file.cancelWriting();
            return fail(error, QStringLiteral("a row has %1 values for %2 columns").arg(row.size()).arg(columns.size()));
        }
        for (qsizetype c = 0; c < columns.size(); ++c) {
            if (c)
                chunk += u',';
            appendField(chunk, row.at(c), columns.at(c).type);
        }
        chunk += QLatin1String("\r\n");
        if (chunk.size() > 65536 && !flush())
            break;
    }
    if (pulled == RowPull::Stop) {
        file.cancelWriting();
        return fail(error, QStringLiteral("the writing was stopped"));
    }
    if (!flush() || !file.commit())
        return fail(error, QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString()));
    return true;
}
