#include "jetreader.h"

#include "jetheader.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

// The libmdb header includes glib inside its C linkage block; glib must come first.
#include <glib.h>
#include <mdbtools.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int offsetMask = 0x1fff;
constexpr int longValueHeader = 12;
constexpr qint64 longValueLimit = qint64(256) * 1024 * 1024;

struct Reader
{
    MdbHandle *mdb = nullptr;
    qint64 pageCount = 0;
    int pageSize = 0;
    bool jet4 = true;
    QString error;

    bool fail(const QString &why)
    {
        if (error.isEmpty())
            error = why;
        return false;
    }

    QString text(const void *bytes, int size)
    {
        if (size <= 0)
            return QStringLiteral("");
        // The conversion writes at most bind_size bytes: room for every character at its widest.
        mdb_set_bind_size(mdb, std::max<size_t>(MDB_BIND_SIZE, size_t(size) * 2 + 16));
        char *converted = mdb_col_to_string(mdb, const_cast<void *>(bytes), 0, MDB_TEXT, size);
        const QString result = converted ? QString::fromUtf8(converted) : QString();
        g_free(converted);
        return result;
    }

    // A memo or OLE value: inline after its 12-byte header, or on one or more long-value pages.
    bool longValue(const uchar *field, int size, QByteArray *out)
    {
        if (size < longValueHeader)
            return fail(QStringLiteral("a long value is shorter than its header"));
        const quint32 word = qFromLittleEndian<quint32>(field);
        const qint64 length = word & 0x3fffffff;
        const quint32 flags = word & 0xc0000000;
        if (length > longValueLimit)
            return fail(QStringLiteral("a long value is too long"));
        if (flags == 0x80000000) {
            if (length > size - longValueHeader)
                return fail(QStringLiteral("an inline long value runs past its row"));
            *out = QByteArray(reinterpret_cast<const char *>(field) + longValueHeader, int(length));
            return true;
        }
        quint32 pageRow = qFromLittleEndian<quint32>(field + 4);
        out->clear();
        const bool chained = flags == 0;
        if (flags != 0x40000000 && !chained)
            return fail(QStringLiteral("a long value has unknown flags"));
        for (qint64 step = 0; step <= pageCount; ++step) {
            const quint32 page = pageRow >> 8;
            if (page == 0 || page >= quint64(pageCount))
                return fail(QStringLiteral("a long value lies beyond the end of the file"));
            void *buffer = nullptr;
            int start = 0;
            size_t rowLength = 0;
            if (mdb_find_pg_row(mdb, int(pageRow), &buffer, &start, &rowLength) != 0 || !buffer
                || start + rowLength > size_t(pageSize))
                return fail(QStringLiteral("a long value's page cannot be read"));
            const char *row = static_cast<const char *>(buffer) + start;
            if (!chained) {
                if (qint64(rowLength) < length)
                    return fail(QStringLiteral("a long value is shorter than its length"));
                *out = QByteArray(row, int(length));
                return true;
            }
            if (rowLength < 4)
                return fail(QStringLiteral("a long value's page holds no data"));
            const quint32 next = qFromLittleEndian<quint32>(reinterpret_cast<const uchar *>(row));
            out->append(row + 4, qsizetype(rowLength - 4));
            if (out->size() > length)
                return fail(QStringLiteral("a long value is longer than its length"));
            if (next == 0) {
                if (out->size() != length)
                    return fail(QStringLiteral("a long value ends early"));
                return true;
            }
            pageRow = next;
        }
        return fail(QStringLiteral("a long value's pages form a loop"));
    }

    static QString typeName(const MdbColumn *column, bool *counterTaken)
    {
        switch (column->col_type) {
        case MDB_BOOL:
            return QStringLiteral("bit");
        case MDB_BYTE:
            return QStringLiteral("byte");
        case MDB_INT:
            return QStringLiteral("short");
        case MDB_LONGINT:
            // One counter per table, the key the converted table numbers its rows by.
            if (column->is_long_auto && !*counterTaken) {
                *counterTaken = true;
                return QStringLiteral("counter");
            }
            return QStringLiteral("long");
        case MDB_COMPLEX:
            return QStringLiteral("long");
        case MDB_MONEY:
            return QStringLiteral("currency");
        case MDB_FLOAT:
            return QStringLiteral("single");
        case MDB_DOUBLE:
            return QStringLiteral("double");
        case MDB_NUMERIC:
            return QStringLiteral("decimal");
        case MDB_DATETIME:
            return QStringLiteral("datetime");
        case MDB_TEXT:
            return QStringLiteral("text");
        case MDB_MEMO:
            return QStringLiteral("memo");
        case MDB_BINARY:
            return QStringLiteral("binary");
        case MDB_OLE:
            return QStringLiteral("longbinary");
        case MDB_REPID:
            return QStringLiteral("guid");
        default:
            return {};
        }
    }

    bool fixed(const MdbField &field, int need)
    {
        if (field.siz < need || field.start < 0 || field.start + need > pageSize)
            return fail(QStringLiteral("a value runs past its row"));
        return true;
    }

    bool value(const MdbColumn *column, const MdbField &field, QVariant *out)
    {
        if (column->col_type == MDB_BOOL) {
            // Yes/No lives in the null mask: a set bit is Yes.
            *out = qint64(field.is_null ? 0 : -1);
            return true;
        }
        if (field.is_null) {
            *out = QVariant();
            return true;
        }
        if (field.siz < 0 || field.start < 0 || field.start + field.siz > pageSize)
            return fail(QStringLiteral("a value runs past its page"));
        const uchar *bytes = mdb->pg_buf + field.start;
        switch (column->col_type) {
        case MDB_BYTE:
            if (!fixed(field, 1))
                return false;
            *out = qint64(bytes[0]);
            return true;
        case MDB_INT:
            if (!fixed(field, 2))
                return false;
            *out = qint64(qFromLittleEndian<qint16>(bytes));
            return true;
        case MDB_LONGINT:
        case MDB_COMPLEX:
            if (!fixed(field, 4))
                return false;
            *out = qint64(qFromLittleEndian<qint32>(bytes));
            return true;
        case MDB_MONEY:
            if (!fixed(field, 8))
                return false;
            *out = double(qFromLittleEndian<qint64>(bytes)) / 10000.0;
            return true;
        case MDB_FLOAT: {
            if (!fixed(field, 4))
                return false;
            const quint32 bits = qFromLittleEndian<quint32>(bytes);
            float f;
            std::memcpy(&f, &bits, sizeof f);
            // The value as the single shows it, not its binary widening.
            *out = QString::number(f, 'g', 7).toDouble();
            return true;
        }
        case MDB_DOUBLE:
        case MDB_DATETIME: {
            if (!fixed(field, 8))
                return false;
            const quint64 bits = qFromLittleEndian<quint64>(bytes);
            double d;
            std::memcpy(&d, &bits, sizeof d);
            *out = d;
            return true;
        }
        case MDB_NUMERIC: {
            if (!fixed(field, 17))
                return false;
            char *converted = mdb_numeric_to_string(mdb, field.start, column->col_scale, column->col_prec);
            bool ok = false;
            const double d = QByteArray(converted ? converted : "").toDouble(&ok);
            g_free(converted);
            if (!ok)
                return fail(QStringLiteral("a decimal value cannot be read"));
            *out = d;
            return true;
        }
        case MDB_TEXT:
            *out = text(bytes, field.siz);
            return true;
        case MDB_BINARY:
            *out = QByteArray(reinterpret_cast<const char *>(bytes), field.siz);
            return true;
        case MDB_REPID: {
            if (!fixed(field, 16))
                return false;
            char *converted = mdb_uuid_to_string(mdb->pg_buf, field.start);
            *out = QString::fromLatin1(converted);
            g_free(converted);
            return true;
        }
        case MDB_MEMO:
        case MDB_OLE: {
            if (field.siz == 0) {
                *out = column->col_type == MDB_MEMO ? QVariant(QStringLiteral("")) : QVariant(QByteArray(""));
                return true;
            }
            // The page buffer is the data page again after the long-value pages are read, but
            // the field is copied first all the same.
            const QByteArray header(reinterpret_cast<const char *>(bytes), field.siz);
            QByteArray stored;
            if (!longValue(reinterpret_cast<const uchar *>(header.constData()), int(header.size()), &stored))
                return false;
            if (column->col_type == MDB_MEMO)
                *out = text(stored.constData(), int(stored.size()));
            else
                *out = stored;
            return true;
        }
        default:
            return fail(QStringLiteral("a column of type %1 cannot be read").arg(column->col_type));
        }
    }

    // The table's rows; with names given, only those columns are read and the others left Null.
    bool table(MdbCatalogEntry *entry, JetTableData *out, const QStringList &only = {})
    {
        out->name = QString::fromUtf8(entry->object_name);
        MdbTableDef *table = mdb_read_table(entry);
        if (!table)
            return fail(QStringLiteral("the table %1 cannot be read").arg(out->name));
        std::unique_ptr<MdbTableDef, void (*)(MdbTableDef *)> owner(table, mdb_free_tabledef);
        // libmdb walks the usage map without looking: an empty one would be read through null.
        if (!table->usage_map || table->map_sz < 5)
            return fail(QStringLiteral("the table %1 has no usage map").arg(out->name));
        if (!mdb_read_columns(table) || table->num_cols == 0 || table->num_cols > 255 || !table->columns
            || table->columns->len != table->num_cols)
            return fail(QStringLiteral("the columns of %1 cannot be read").arg(out->name));
        bool counterTaken = false;
        for (unsigned i = 0; i < table->num_cols; ++i) {
            const auto *column = static_cast<const MdbColumn *>(g_ptr_array_index(table->columns, i));
            JetColumnInfo info;
            info.name = QString::fromUtf8(column->name);
            info.type = typeName(column, &counterTaken);
            if (!only.isEmpty() && !only.contains(info.name, Qt::CaseInsensitive))
                info.type.clear(); // not read
            else if (info.type.isEmpty())
                return fail(QStringLiteral("the column %1 of %2 has a type that cannot be read").arg(info.name, out->name));
            if (column->col_type == MDB_TEXT)
                info.length = jet4 ? column->col_size / 2 : column->col_size;
            if (info.name.isEmpty())
                return fail(QStringLiteral("a column of %1 has no name").arg(out->name));
            out->columns.append(info);
        }
        if (qint64(table->num_rows) > pageCount * 1000)
            return fail(QStringLiteral("the table %1 claims more rows than the file holds").arg(out->name));
        mdb_rewind_table(table);
        std::vector<MdbField> fields(table->num_cols);
        while (mdb_fetch_row(table)) {
            // The row just read, cracked once more for its null mask: libmdb's own reading gives
            // empty text for Null and empty text alike.
            int start = 0;
            size_t length = 0;
            if (table->cur_row == 0 || mdb_find_row(mdb, int(table->cur_row - 1), &start, &length) != 0)
                return fail(QStringLiteral("a row of %1 cannot be found again").arg(out->name));
            // A row that an edit made too long for its page moves elsewhere: its old slot keeps a
            // pointer flagged 0x4000, which libmdb passes over like a deleted row (those carry
            // 0x4000 too), and its values lie under a slot flagged 0x8000, which libmdb reads as
            // any row. Each record is so read once, where it lies now; should a flag ever mean
            // something else, the row count checked below tells.
            start &= offsetMask;
            std::fill(fields.begin(), fields.end(), MdbField{});
            const int count = mdb_crack_row(table, start, length, fields.data());
            if (count < 0)
                return fail(QStringLiteral("a row of %1 cannot be read").arg(out->name));
            QList<QVariant> row(table->num_cols);
            for (unsigned i = 0; i < table->num_cols; ++i) {
                const int at = fields[i].colnum;
                if (at < 0 || unsigned(at) >= table->num_cols)
                    return fail(QStringLiteral("a row of %1 names no column").arg(out->name));
                const auto *column = static_cast<const MdbColumn *>(g_ptr_array_index(table->columns, at));
                if (out->columns[at].type.isEmpty())
                    continue;
                if (!value(column, fields[i], &row[at]))
                    return false;
            }
            out->rows.append(row);
            if (out->rows.size() > qsizetype(table->num_rows))
                break;
        }
        // Pages missing from the end of a cut file end the scan early; the row count in the
        // table's definition tells.
        if (out->rows.size() != qsizetype(table->num_rows))
            return fail(QStringLiteral("the table %1 holds %2 rows of %3").arg(out->name).arg(out->rows.size()).arg(table->num_rows));
        return true;
    }
};

} // namespace

bool readJetDatabase(const QString &path, QList<JetTableData> *tables, QString *error)
{
    tables->clear();
    Reader reader;
    const auto refuse = [&](const QString &why) {
        if (error)
            *error = why;
        tables->clear();
        return false;
    };
    const JetHeader header = readJetHeaderFile(path);
    if (header.format != JetFormat::Jet3 && header.format != JetFormat::Jet4)
        return refuse(QStringLiteral("not a Jet 3 or Jet 4 file"));
    if (header.enciphered)
        return refuse(QStringLiteral("the pages are enciphered"));
    const qint64 size = QFileInfo(path).size();
    if (size < 2 * header.pageSize || size % header.pageSize != 0)
        return refuse(QStringLiteral("the file does not end on a page boundary"));
    reader.pageSize = header.pageSize;
    reader.pageCount = size / header.pageSize;
    reader.jet4 = header.format == JetFormat::Jet4;

    const QByteArray name = QFile::encodeName(path);
    reader.mdb = mdb_open(name.constData(), MDB_NOFLAGS);
    if (!reader.mdb)
        return refuse(QStringLiteral("libmdb cannot open the file"));
    std::unique_ptr<MdbHandle, void (*)(MdbHandle *)> owner(reader.mdb, mdb_close);
    if (reader.mdb->fmt->pg_size != header.pageSize)
        return refuse(QStringLiteral("the page size is not the header's"));
    // The catalog is the table MSysObjects, defined on page 2. It is read here rather than through
    // mdb_read_catalog, whose reading of the objects' properties can run for hours on a damaged
    // file: only the names, types, flags and definition pages are needed.
    MdbCatalogEntry objects{};
    objects.mdb = reader.mdb;
    qstrncpy(objects.object_name, "MSysObjects", sizeof objects.object_name);
    objects.object_type = MDB_TABLE;
    objects.table_pg = 2;
    JetTableData catalog;
    if (!reader.table(&objects, &catalog, {"Id", "Name", "Type", "Flags"}))
        return refuse(QStringLiteral("the catalog cannot be read: ") + reader.error);
    const auto columnOf = [&](const char *name) {
        for (qsizetype i = 0; i < catalog.columns.size(); ++i)
            if (catalog.columns[i].name.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
                return i;
        return qsizetype(-1);
    };
    const qsizetype idAt = columnOf("Id");
    const qsizetype nameAt = columnOf("Name");
    const qsizetype typeAt = columnOf("Type");
    const qsizetype flagsAt = columnOf("Flags");
    if (idAt < 0 || nameAt < 0 || typeAt < 0 || flagsAt < 0)
        return refuse(QStringLiteral("the catalog lacks its columns"));
    for (const QList<QVariant> &object : std::as_const(catalog.rows)) {
        const qint64 type = object[typeAt].toLongLong() & 0x7f;
        const quint32 flags = quint32(object[flagsAt].toLongLong());
        if (type != MDB_TABLE || (flags & 0x80000002) != 0)
            continue; // not a user table
        const QByteArray name = object[nameAt].toString().toUtf8();
        if (name.isEmpty() || name.size() > MDB_MAX_OBJ_NAME)
            return refuse(QStringLiteral("the catalog names a table badly"));
        const quint32 page = quint32(object[idAt].toLongLong()) & 0x00ffffff;
        if (page < 3 || page >= quint64(reader.pageCount))
            return refuse(QStringLiteral("the table %1 is defined beyond the end of the file").arg(object[nameAt].toString()));
        MdbCatalogEntry entry{};
        entry.mdb = reader.mdb;
        qstrncpy(entry.object_name, name.constData(), sizeof entry.object_name);
        entry.object_type = MDB_TABLE;
        entry.table_pg = page;
        entry.flags = int(flags);
        JetTableData table;
        if (!reader.table(&entry, &table))
            return refuse(reader.error);
        tables->append(table);
    }
    if (tables->isEmpty())
        return refuse(QStringLiteral("the catalog lists no table"));
    return true;
}
