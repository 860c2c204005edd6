#include "xlsxfile.h"

#include "xlsformat.h"

#include <quazip.h>
#include <quazipfile.h>
#include <quazipnewinfo.h>
#include <zlib.h>

#include <QHash>
#include <QSaveFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cmath>

namespace {

constexpr int maxRows = 1048575; // data rows under the title row
constexpr int maxColumns = 16384;
constexpr int maxText = 32767;

const QString mainNamespace = QStringLiteral("http://schemas.openxmlformats.org/spreadsheetml/2006/main");
const QString relationNamespace = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
const QString packageRelations = QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships");

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

bool isEscape(QStringView s, qsizetype i)
{
    if (i + 7 > s.size() || s[i] != u'_' || s[i + 1] != u'x' || s[i + 6] != u'_')
        return false;
    for (qsizetype k = i + 2; k < i + 6; ++k)
        if (!isxdigit(s[k].toLatin1()))
            return false;
    return true;
}

// Characters XML cannot carry go as "_xHHHH_"; an underscore that would read as the start of
// such an escape goes as "_x005F_".
QString escaped(const QString &text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        const bool lone = QChar::isSurrogate(c)
            && !(QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            && !(QChar::isLowSurrogate(c) && i > 0 && text.at(i - 1).isHighSurrogate());
        if ((c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || c == 0xFFFE || c == 0xFFFF || lone
            || isEscape(text, i))
            out += QStringLiteral("_x") + QString::number(c, 16).toUpper().rightJustified(4, u'0') + u'_';
        else
            out += QChar(c);
    }
    return out;
}

QString unescaped(const QString &text)
{
    if (!text.contains(QLatin1String("_x")))
        return text;
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isEscape(text, i)) {
            out += QChar(char16_t(text.mid(i + 2, 4).toUShort(nullptr, 16)));
            i += 6;
        } else {
            out += text.at(i);
        }
    }
    return out;
}

QString columnName(int column)
{
    QString name;
    for (int n = column + 1; n > 0; n = (n - 1) / 26)
        name.prepend(QChar(u'A' + (n - 1) % 26));
    return name;
}

// The column of a cell reference such as "AB12", from 0; -1 when it names none.
int columnOf(QStringView reference)
{
    int column = 0;
    qsizetype i = 0;
    for (; i < reference.size() && reference[i].isLetter(); ++i) {
        column = column * 26 + (reference[i].toUpper().unicode() - u'A' + 1);
        if (column > maxColumns)
            return -1;
    }
    return i == 0 ? -1 : column - 1;
}

// ---- writing --------------------------------------------------------------------------------

// Writes one zip entry through the writer given to `write`.
bool writePart(QuaZip &zip, const QString &name, const std::function<bool(QXmlStreamWriter &)> &write)
{
    QuaZipFile part(&zip);
    // The fastest deflate: a sheet shrinks to about a tenth all the same, and the export stays quick.
    if (!part.open(QIODevice::WriteOnly, QuaZipNewInfo(name), nullptr, 0, Z_DEFLATED, 1))
        return false;
    QXmlStreamWriter x(&part);
    x.writeStartDocument(QStringLiteral("1.0"), true);
    const bool written = write(x);
    x.writeEndDocument();
    part.close();
    return written && !x.hasError() && part.getZipError() == 0;
}

// The cells of a sheet go out as bytes, without a general XML writer: they are most of the file.
void appendText(QByteArray &out, const QString &text)
{
    QString e = escaped(text);
    // A carriage return goes as a character reference: as it stands, XML reads it as a line feed.
    e.replace(u'&', QLatin1String("&amp;")).replace(u'<', QLatin1String("&lt;")).replace(u'>', QLatin1String("&gt;"))
        .replace(u'\r', QLatin1String("&#13;"));
    out += e.toUtf8();
}

void appendTextCell(QByteArray &out, const QByteArray &reference, const QString &text)
{
    out += "<c r=\"" + reference + "\" t=\"inlineStr\"><is><t";
    if (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace()))
        out += " xml:space=\"preserve\"";
    out += '>';
    appendText(out, text);
    out += "</t></is></c>";
}

// A cell with a value and no text: a number (style 1: a date, 2: a date and time), a boolean or an error.
void appendValueCell(QByteArray &out, const QByteArray &reference, const char *type, int style, const QByteArray &value)
{
    out += "<c r=\"" + reference + '"';
    if (type)
        out += QByteArray(" t=\"") + type + '"';
    if (style)
        out += " s=\"" + QByteArray::number(style) + '"';
    out += "><v>" + value + "</v></c>";
}

void appendCell(QByteArray &out, const QByteArray &reference, XlsColumnType type, const XlsValue &v)
{
    const auto number = [&](double n, bool date) {
        if (!std::isfinite(n))
            return appendValueCell(out, reference, "e", 0, "#NUM!");
        const int style = !date ? 0 : n == std::floor(n) ? 1 : 2;
        appendValueCell(out, reference, nullptr, style, QByteArray::number(n, 'g', QLocale::FloatingPointShortest));
    };
    switch (v.kind) {
    case XlsValue::Null:
        break;
    case XlsValue::Text:
        appendTextCell(out, reference, v.text);
        break;
    case XlsValue::Number:
        number(v.number, type == XlsColumnType::Date);
        break;
    case XlsValue::Date:
        if (v.date.isValid())
            number(serialFromDate(v.date), true);
        break;
    case XlsValue::Boolean:
        appendValueCell(out, reference, "b", 0, v.number != 0 ? "1" : "0");
        break;
    case XlsValue::Error: {
        QByteArray text;
        appendText(text, v.text);
        appendValueCell(out, reference, "e", 0, text);
        break;
    }
    }
}

const char *const stylesXml =
    "<numFmts count=\"2\"><numFmt numFmtId=\"164\" formatCode=\"yyyy-mm-dd\"/>"
    "<numFmt numFmtId=\"165\" formatCode=\"yyyy-mm-dd hh:mm:ss\"/></numFmts>"
    "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font></fonts>"
    "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill><fill><patternFill patternType=\"gray125\"/></fill></fills>"
    "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
    "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
    "<cellXfs count=\"3\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
    "<xf numFmtId=\"164\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/>"
    "<xf numFmtId=\"165\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/></cellXfs>"
    "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>";

// The parts around the sheets: the content types, the relations, the workbook and its styles.
bool writePackage(QuaZip &zip, const QStringList &sheets)
{
    const auto element = [](QXmlStreamWriter &x, const QString &name, const QList<QPair<QString, QString>> &attributes) {
        x.writeEmptyElement(name);
        for (const auto &[key, value] : attributes)
            x.writeAttribute(key, value);
    };
    const auto relation = [&](QXmlStreamWriter &x, const QString &id, const QString &kind, const QString &target) {
        element(x, QStringLiteral("Relationship"),
                {{QStringLiteral("Id"), id},
                 {QStringLiteral("Type"), QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/") + kind},
                 {QStringLiteral("Target"), target}});
    };
    const QString sheetType = QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml");
    return writePart(zip, QStringLiteral("[Content_Types].xml"), [&](QXmlStreamWriter &x) {
               x.writeDefaultNamespace(QStringLiteral("http://schemas.openxmlformats.org/package/2006/content-types"));
               x.writeStartElement(QStringLiteral("Types"));
               element(x, QStringLiteral("Default"), {{QStringLiteral("Extension"), QStringLiteral("rels")},
                                                      {QStringLiteral("ContentType"), QStringLiteral("application/vnd.openxmlformats-package.relationships+xml")}});
               element(x, QStringLiteral("Default"), {{QStringLiteral("Extension"), QStringLiteral("xml")},
                                                      {QStringLiteral("ContentType"), QStringLiteral("application/xml")}});
               element(x, QStringLiteral("Override"), {{QStringLiteral("PartName"), QStringLiteral("/xl/workbook.xml")},
                                                       {QStringLiteral("ContentType"), QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml")}});
               element(x, QStringLiteral("Override"), {{QStringLiteral("PartName"), QStringLiteral("/xl/styles.xml")},
                                                       {QStringLiteral("ContentType"), QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml")}});
               for (qsizetype i = 0; i < sheets.size(); ++i)
                   element(x, QStringLiteral("Override"), {{QStringLiteral("PartName"), QStringLiteral("/xl/worksheets/sheet%1.xml").arg(i + 1)},
                                                           {QStringLiteral("ContentType"), sheetType}});
               x.writeEndElement();
               return true;
           })
        && writePart(zip, QStringLiteral("_rels/.rels"), [&](QXmlStreamWriter &x) {
               x.writeDefaultNamespace(packageRelations);
               x.writeStartElement(QStringLiteral("Relationships"));
               relation(x, QStringLiteral("rId1"), QStringLiteral("officeDocument"), QStringLiteral("xl/workbook.xml"));
               x.writeEndElement();
               return true;
           })
        && writePart(zip, QStringLiteral("xl/_rels/workbook.xml.rels"), [&](QXmlStreamWriter &x) {
               x.writeDefaultNamespace(packageRelations);
               x.writeStartElement(QStringLiteral("Relationships"));
               for (qsizetype i = 0; i < sheets.size(); ++i)
                   relation(x, QStringLiteral("rId%1").arg(i + 1), QStringLiteral("worksheet"),
                            QStringLiteral("worksheets/sheet%1.xml").arg(i + 1));
               relation(x, QStringLiteral("rId%1").arg(sheets.size() + 1), QStringLiteral("styles"), QStringLiteral("styles.xml"));
               x.writeEndElement();
               return true;
           })
        && writePart(zip, QStringLiteral("xl/workbook.xml"), [&](QXmlStreamWriter &x) {
               x.writeDefaultNamespace(mainNamespace);
               x.writeNamespace(relationNamespace, QStringLiteral("r"));
               x.writeStartElement(QStringLiteral("workbook"));
               x.writeStartElement(QStringLiteral("sheets"));
               for (qsizetype i = 0; i < sheets.size(); ++i)
                   element(x, QStringLiteral("sheet"), {{QStringLiteral("name"), sheets.at(i)},
                                                        {QStringLiteral("sheetId"), QString::number(i + 1)},
                                                        {QStringLiteral("r:id"), QStringLiteral("rId%1").arg(i + 1)}});
               x.writeEndElement();
               x.writeEndElement();
               return true;
           })
        && writePart(zip, QStringLiteral("xl/styles.xml"), [&](QXmlStreamWriter &x) {
               x.writeDefaultNamespace(mainNamespace);
               x.writeStartElement(QStringLiteral("styleSheet"));
               // The fixed styles go in as they stand, parsed, so the writer keeps its namespace.
               QXmlStreamReader fixed(QStringLiteral("<s>") + QLatin1String(stylesXml) + QStringLiteral("</s>"));
               fixed.readNextStartElement();
               while (!fixed.atEnd()) {
                   fixed.readNext();
                   if (fixed.isStartElement()) {
                       x.writeStartElement(fixed.name().toString());
                       x.writeAttributes(fixed.attributes());
                   } else if (fixed.isEndElement() && fixed.name() != u"s") {
                       x.writeEndElement();
                   }
               }
               x.writeEndElement();
               return true;
           });
}

// ---- reading --------------------------------------------------------------------------------

bool readPart(QuaZip &zip, const QString &name, QByteArray *bytes)
{
    if (!zip.setCurrentFile(name, QuaZip::csInsensitive))
        return false;
    QuaZipFile part(&zip);
    if (!part.open(QIODevice::ReadOnly))
        return false;
    *bytes = part.readAll();
    part.close();
    return part.getZipError() == 0;
}

// A part's path from a relation's target, seen from the folder of the part that names it.
QString resolved(const QString &folder, const QString &target)
{
    QStringList parts = target.startsWith(u'/') ? QStringList() : folder.split(u'/', Qt::SkipEmptyParts);
    for (const QString &piece : target.split(u'/', Qt::SkipEmptyParts)) {
        if (piece == QLatin1String(".."))
            parts.removeLast();
        else if (piece != QLatin1String("."))
            parts.append(piece);
    }
    return parts.join(u'/');
}

// The relations of a part: id to resolved target, and the target of each kind (the type's last word).
struct Relations
{
    QHash<QString, QString> byId;
    QHash<QString, QString> byKind;
};

Relations readRelations(QuaZip &zip, const QString &part)
{
    Relations relations;
    const qsizetype slash = part.lastIndexOf(u'/');
    const QString folder = slash < 0 ? QString() : part.left(slash);
    QByteArray bytes;
    if (!readPart(zip, (folder.isEmpty() ? QString() : folder + u'/') + QStringLiteral("_rels/") + part.mid(slash + 1)
                           + QStringLiteral(".rels"), &bytes))
        return relations;
    QXmlStreamReader x(bytes);
    while (!x.atEnd() && !x.hasError()) {
        if (x.readNext() != QXmlStreamReader::StartElement || x.name() != u"Relationship")
            continue;
        const QString target = resolved(folder, x.attributes().value(QLatin1String("Target")).toString());
        relations.byId.insert(x.attributes().value(QLatin1String("Id")).toString(), target);
        relations.byKind.insert(x.attributes().value(QLatin1String("Type")).toString().section(u'/', -1), target);
    }
    return relations;
}

// The texts of the t elements inside the current element, phonetic runs left out.
QString inlineText(QXmlStreamReader &x)
{
    QString text;
    const QString end = x.name().toString();
    int phonetic = 0;
    while (!x.atEnd() && !x.hasError()) {
        x.readNext();
        if (x.isStartElement()) {
            if (x.name() == u"rPh")
                ++phonetic;
            else if (x.name() == u"t" && !phonetic)
                text += x.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (x.isEndElement()) {
            if (x.name() == u"rPh")
                --phonetic;
            else if (x.name() == end)
                break;
        }
    }
    return unescaped(text);
}

struct Book
{
    QStringList names;
    QStringList parts;
    QStringList strings;
    QList<bool> dateStyles;
    bool system1904 = false;
};

bool openBook(QuaZip &zip, const QString &path, Book *book, bool withContents, QString *error)
{
    zip.setZipName(path);
    if (!zip.open(QuaZip::mdUnzip))
        return fail(error, QStringLiteral("%1 is no zip file").arg(path));
    const QString workbook = readRelations(zip, QString()).byKind.value(QStringLiteral("officeDocument"),
                                                                          QStringLiteral("xl/workbook.xml"));
    QByteArray bytes;
    if (!readPart(zip, workbook, &bytes))
        return fail(error, QStringLiteral("%1 holds no workbook").arg(path));
    const Relations relations = readRelations(zip, workbook);
    QXmlStreamReader x(bytes);
    while (!x.atEnd() && !x.hasError()) {
        if (x.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (x.name() == u"workbookPr") {
            const QStringView value = x.attributes().value(QLatin1String("date1904"));
            book->system1904 = value == u"1" || value == u"true";
        } else if (x.name() == u"sheet") {
            book->names.append(x.attributes().value(QLatin1String("name")).toString());
            book->parts.append(relations.byId.value(x.attributes().value(relationNamespace, QLatin1String("id")).toString()));
        }
    }
    if (x.hasError())
        return fail(error, QStringLiteral("the workbook part is damaged: %1").arg(x.errorString()));
    if (!withContents)
        return true;

    const QString strings = relations.byKind.value(QStringLiteral("sharedStrings"));
    if (!strings.isEmpty() && readPart(zip, strings, &bytes)) {
        QXmlStreamReader s(bytes);
        while (!s.atEnd())
            if (s.readNext() == QXmlStreamReader::StartElement && s.name() == u"si")
                book->strings.append(inlineText(s));
        if (s.hasError())
            return fail(error, QStringLiteral("the shared strings are damaged"));
    }
    const QString styles = relations.byKind.value(QStringLiteral("styles"));
    if (!styles.isEmpty() && readPart(zip, styles, &bytes)) {
        QXmlStreamReader s(bytes);
        QHash<int, QString> codes;
        bool cellXfs = false;
        while (!s.atEnd()) {
            s.readNext();
            if (s.isStartElement() && s.name() == u"numFmt")
                codes.insert(s.attributes().value(QLatin1String("numFmtId")).toInt(), s.attributes().value(QLatin1String("formatCode")).toString());
            else if (s.isStartElement() && s.name() == u"cellXfs")
                cellXfs = true;
            else if (s.isEndElement() && s.name() == u"cellXfs")
                cellXfs = false;
            else if (s.isStartElement() && cellXfs && s.name() == u"xf") {
                const int id = s.attributes().value(QLatin1String("numFmtId")).toInt();
                book->dateStyles.append(codes.contains(id) ? isDateFormatCode(codes.value(id)) : isBuiltinDateFormat(id));
            }
        }
    }
    return true;
}

XlsValue cellValue(const Book &book, QStringView type, int style, const QString &value, const QString &text, bool *ok)
{
    *ok = true;
    if (type == u"inlineStr" || type == u"str")
        return XlsValue::fromText(type == u"str" ? unescaped(value) : text);
    if (value.isNull())
        return XlsValue();
    if (type == u"s") {
        const int index = value.toInt(ok);
        *ok = *ok && index >= 0 && index < book.strings.size();
        return *ok ? XlsValue::fromText(book.strings.at(index)) : XlsValue();
    }
    if (type == u"e") {
        XlsValue v = XlsValue::fromText(value);
        v.kind = XlsValue::Error;
        return v;
    }
    if (type == u"d")
        return XlsValue::fromDate(QDateTime::fromString(value, Qt::ISODateWithMs));
    const double number = value.toDouble(ok);
    if (!*ok)
        return XlsValue();
    if (type == u"b") {
        XlsValue v = XlsValue::fromNumber(number != 0 ? 1 : 0);
        v.kind = XlsValue::Boolean;
        v.text = number != 0 ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        return v;
    }
    if (style > 0 && style < book.dateStyles.size() && book.dateStyles.at(style)) {
        XlsValue v = XlsValue::fromDate(dateFromSerial(number, book.system1904));
        if (!v.isNull()) {
            v.number = number;
            return v;
        }
    }
    return XlsValue::fromNumber(number);
}

} // namespace

QStringList xlsxSheetNames(const QString &path, bool *ok)
{
    QuaZip zip;
    Book book;
    const bool read = openBook(zip, path, &book, false, nullptr);
    if (ok)
        *ok = read;
    return book.names;
}

bool readXlsxRows(const QString &path, const QString &sheet, const RowSink &sink, QString *error)
{
    QuaZip zip;
    Book book;
    if (!openBook(zip, path, &book, true, error))
        return false;
    qsizetype index = sheet.isEmpty() && !book.names.isEmpty() ? 0 : -1;
    for (qsizetype i = 0; i < book.names.size() && index < 0; ++i)
        if (book.names.at(i).compare(sheet, Qt::CaseInsensitive) == 0)
            index = i;
    if (index < 0)
        return fail(error, QStringLiteral("the workbook has no worksheet named %1").arg(sheet));
    if (!zip.setCurrentFile(book.parts.at(index), QuaZip::csInsensitive))
        return fail(error, QStringLiteral("the worksheet %1 is missing").arg(sheet));
    QuaZipFile part(&zip);
    if (!part.open(QIODevice::ReadOnly))
        return fail(error, QStringLiteral("the worksheet %1 cannot be read").arg(sheet));

    const QString damaged = QStringLiteral("the worksheet %1 is damaged").arg(sheet);
    QXmlStreamReader x(&part);
    QList<XlsValue> row;
    int rowNumber = 0;
    int column = -1;
    while (!x.atEnd() && !x.hasError()) {
        x.readNext();
        if (x.isEndElement() && x.name() == u"row") {
            if (!sink(row))
                return fail(error, QStringLiteral("the reading was stopped"));
            row.clear();
            continue;
        }
        if (!x.isStartElement())
            continue;
        if (x.name() == u"row") {
            bool ok = true;
            const QStringView r = x.attributes().value(QLatin1String("r"));
            const int number = r.isEmpty() ? rowNumber + 1 : r.toInt(&ok);
            if (!ok || number <= rowNumber || number > maxRows + 1)
                return fail(error, damaged);
            // Rows the sheet leaves out read as empty rows, as a used range reads them.
            for (QList<XlsValue> empty; ++rowNumber < number;)
                if (!sink(empty))
                    return fail(error, QStringLiteral("the reading was stopped"));
            column = -1;
        } else if (x.name() == u"c") {
            const QStringView r = x.attributes().value(QLatin1String("r"));
            column = r.isEmpty() ? column + 1 : columnOf(r);
            if (column < 0 || column < row.size() || column >= maxColumns)
                return fail(error, damaged);
            const QString type = x.attributes().value(QLatin1String("t")).toString();
            const int style = x.attributes().value(QLatin1String("s")).toInt();
            QString value, text;
            while (!x.atEnd() && !x.hasError() && !(x.readNext() == QXmlStreamReader::EndElement && x.name() == u"c")) {
                if (!x.isStartElement())
                    continue;
                if (x.name() == u"v")
                    value = x.readElementText();
                else if (x.name() == u"is")
                    text = inlineText(x);
                else
                    x.skipCurrentElement();
            }
            bool ok = true;
            const XlsValue v = cellValue(book, type, style, value, text, &ok);
            if (!ok)
                return fail(error, damaged);
            row.resize(column);
            row.append(v);
        }
    }
    if (x.hasError() || part.getZipError() != 0)
        return fail(error, damaged);
    return true;
}

bool writeXlsxFile(const QString &path, const QString &sheet, const QList<XlsColumn> &columns,
                   const RowSource &source, QString *error)
{
    if (columns.isEmpty() || columns.size() > maxColumns)
        return fail(error, QStringLiteral("a sheet holds 1 to %1 columns").arg(maxColumns));
    QSaveFile save(path);
    if (!save.open(QIODevice::WriteOnly))
        return fail(error, QStringLiteral("%1 cannot be written: %2").arg(path, save.errorString()));
    QuaZip zip(&save);
    zip.setAutoClose(false); // the file is committed below, or dropped
    if (!zip.open(QuaZip::mdCreate))
        return fail(error, QStringLiteral("%1 cannot be written").arg(path));
    const auto abandon = [&](const QString &text) {
        save.cancelWriting();
        zip.close();
        return fail(error, text);
    };

    QList<QByteArray> references;
    for (int c = 0; c < columns.size(); ++c)
        references.append(columnName(c).toLatin1());
    QStringList names;
    QList<XlsValue> row;
    bool held = false;
    QString refused;
    RowPull rest = RowPull::Row;
    while (rest == RowPull::Row) {
        names.append(continuationSheetName(sheet, int(names.size()) + 1));
        QuaZipFile part(&zip);
        if (!part.open(QIODevice::WriteOnly, QuaZipNewInfo(QStringLiteral("xl/worksheets/sheet%1.xml").arg(names.size())),
                       nullptr, 0, Z_DEFLATED, 1))
            return abandon(QStringLiteral("%1 cannot be written").arg(path));
        QByteArray out = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<worksheet xmlns=\""
            + mainNamespace.toLatin1() + "\"><sheetData><row r=\"1\">";
        for (int c = 0; c < columns.size(); ++c)
            appendTextCell(out, references.at(c) + '1', columns.at(c).title);
        out += "</row>";
        bool written = true;
        for (int r = 2;; ++r) {
            if (!held && (rest = source(row)) != RowPull::Row)
                break;
            held = false;
            if (r > maxRows + 1) {
                held = true;
                break;
            }
            if (row.size() != columns.size()) {
                refused = QStringLiteral("a row has %1 values for %2 columns").arg(row.size()).arg(columns.size());
                rest = RowPull::Stop;
                break;
            }
            const QByteArray number = QByteArray::number(r);
            out += "<row r=\"" + number + "\">";
            for (int c = 0; c < columns.size(); ++c) {
                if (row.at(c).kind == XlsValue::Text && row.at(c).text.size() > maxText) {
                    refused = QStringLiteral("a text is longer than %1 characters").arg(maxText);
                    rest = RowPull::Stop;
                    break;
                }
                appendCell(out, references.at(c) + number, columns.at(c).type, row.at(c));
            }
            out += "</row>";
            if (out.size() > 65536) {
                written = written && part.write(out) == out.size();
                out.clear();
            }
        }
        out += "</sheetData></worksheet>";
        written = written && part.write(out) == out.size();
        part.close();
        written = written && part.getZipError() == 0;
        if (rest == RowPull::Stop)
            return abandon(refused.isEmpty() ? QStringLiteral("the writing was stopped") : refused);
        if (!written)
            return abandon(QStringLiteral("%1 cannot be written").arg(path));
    }
    if (!writePackage(zip, names))
        return abandon(QStringLiteral("%1 cannot be written").arg(path));
    zip.close();
    if (zip.getZipError() != 0 || !save.commit())
        return fail(error, QStringLiteral("%1 cannot be written: %2").arg(path, save.errorString()));
    return true;
}
