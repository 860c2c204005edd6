#include "dbrecordset.h"

#include "jetfunctions.h"

#include "common/datetext.h"
#include "common/log.h"
#include "common/numbers.h"

#include <QDataStream>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QXmlStreamWriter>

#include <libpq-fe.h>
#include <sqlite3.h>

namespace {

int definedSizeOf(const QString &declared)
{
    const qsizetype open = declared.indexOf(u'(');
    const qsizetype close = declared.indexOf(u')');
    if (open > 0 && close > open)
        return declared.mid(open + 1, close - open - 1).toInt();
    return 0;
}

// One clause of a Find or Filter criteria: "column operator value".
struct Clause
{
    QString column;
    QString op;
    QString text;
    double number = 0;
    QDateTime date;
    enum { Text, Number, Date } kind = Text;
};

bool parseClause(const QString &input, Clause *clause)
{
    QString s = input.trimmed();
    qsizetype i = 0;
    if (s.startsWith(u'[')) {
        const qsizetype close = s.indexOf(u']');
        if (close < 0)
            return false;
        clause->column = s.mid(1, close - 1);
        i = close + 1;
    } else {
        while (i < s.size() && !s[i].isSpace() && !QStringLiteral("=<>!").contains(s[i]))
            ++i;
        clause->column = s.left(i);
    }
    while (i < s.size() && s[i].isSpace())
        ++i;
    static const QStringList operators = {QStringLiteral("<="), QStringLiteral(">="), QStringLiteral("<>"),
                                          QStringLiteral("="), QStringLiteral("<"), QStringLiteral(">")};
    clause->op.clear();
    for (const QString &op : operators) {
        if (s.mid(i).startsWith(op)) {
            clause->op = op;
            break;
        }
    }
    if (clause->op.isEmpty() && s.mid(i, 4).compare(QLatin1String("like"), Qt::CaseInsensitive) == 0)
        clause->op = QStringLiteral("like");
    if (clause->column.isEmpty() || clause->op.isEmpty())
        return false;
    const QString value = s.mid(i + clause->op.size()).trimmed();
    if (value.size() >= 2 && (value.front() == u'\'' || value.front() == u'"') && value.back() == value.front()) {
        clause->kind = Clause::Text;
        clause->text = value.mid(1, value.size() - 2);
        clause->text.replace(QString(2, value.front()), QString(value.front()));
        return true;
    }
    if (value.size() >= 2 && value.front() == u'#' && value.back() == u'#') {
        bool ok = false;
        clause->date = parseDateText(value.mid(1, value.size() - 2), &ok);
        clause->kind = Clause::Date;
        return ok;
    }
    bool ok = false;
    clause->number = value.toDouble(&ok);
    clause->kind = Clause::Number;
    return ok && clause->op != u"like";
}

bool compareWith(int order, const QString &op)
{
    if (op == u"=")
        return order == 0;
    if (op == u"<>")
        return order != 0;
    if (op == u"<")
        return order < 0;
    if (op == u">")
        return order > 0;
    if (op == u"<=")
        return order <= 0;
    return order >= 0;
}

// Jet's LIKE: "*" or "%" for any run, "?" or "_" for one character, letter case ignored.
bool likeMatches(const QString &text, const QString &pattern)
{
    QString rx;
    for (const QChar c : pattern) {
        if (c == u'*' || c == u'%')
            rx += QStringLiteral(".*");
        else if (c == u'?' || c == u'_')
            rx += u'.';
        else
            rx += QRegularExpression::escape(QString(c));
    }
    return QRegularExpression(QRegularExpression::anchoredPattern(rx), QRegularExpression::CaseInsensitiveOption)
        .match(text)
        .hasMatch();
}

// Splits criteria at AND / OR outside quotes; the words come back in joiners.
QStringList splitCriteria(const QString &criteria, QStringList *joiners)
{
    QStringList parts;
    QString current;
    QChar quote;
    for (qsizetype i = 0; i < criteria.size(); ++i) {
        const QChar c = criteria[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            current += c;
            continue;
        }
        if (c == u'\'' || c == u'"' || c == u'#') {
            quote = c;
            current += c;
            continue;
        }
        const auto word = [&](const char *w, int n) {
            return c.isSpace() && criteria.mid(i + 1, n).compare(QLatin1String(w), Qt::CaseInsensitive) == 0
                && i + 1 + n < criteria.size() && criteria[i + 1 + n].isSpace();
        };
        if (word("and", 3) || word("or", 2)) {
            const int n = word("and", 3) ? 3 : 2;
            joiners->append(criteria.mid(i + 1, n).toLower());
            parts.append(current);
            current.clear();
            i += n;
            continue;
        }
        current += c;
    }
    parts.append(current);
    return parts;
}

} // namespace

DbRecordset::DbRecordset()
{
    exists = engineAvailable();
    if (!exists)
        showDataAccessMessage(QStringLiteral("创建 ADODB.RecordSet 对象失败！"));
}

DbRecordset::~DbRecordset()
{
    Close();
}

QDateTime DbRecordset::earliestDateTime()
{
    return QDateTime(QDate(100, 1, 1), QTime(0, 0));
}

bool DbRecordset::SetConnection(DbConnection &given)
{
    if (!exists || !given.GetObject())
        return false;
    connection = given.GetObject();
    return true;
}

std::unique_ptr<DbConnection> DbRecordset::GetConnection()
{
    auto made = std::make_unique<DbConnection>();
    if (connection)
        made->SetObject(connection);
    return made;
}

DbRecordset::Cell DbRecordset::readCell(sqlite3_stmt *statement, int column)
{
    Cell c;
    const int type = sqlite3_column_type(statement, column);
    switch (type) {
    case SQLITE_INTEGER:
        c.kind = Cell::Integer;
        c.integer = sqlite3_column_int64(statement, column);
        break;
    case SQLITE_FLOAT:
        c.kind = Cell::Real;
        c.real = sqlite3_column_double(statement, column);
        break;
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
        const bool text = type == SQLITE_TEXT;
        const void *data = text ? static_cast<const void *>(sqlite3_column_text(statement, column))
                                : sqlite3_column_blob(statement, column);
        const int n = sqlite3_column_bytes(statement, column);
        c.kind = text ? Cell::Text : Cell::Blob;
        c.integer = pool.size();
        c.real = n;
        pool.append(static_cast<const char *>(data), n);
        break;
    }
    default:
        break;
    }
    return c;
}

bool DbRecordset::forgetResult()
{
    columns.clear();
    nextGuess = 0;
    cells.clear();
    status.clear();
    pool.clear();
    pending.clear();
    adding = false;
    filter.clear();
    open = false;
    if (!exists || !connection || !connection->isOpen())
        return false;
    return true;
}

sqlite3_stmt *DbRecordset::startQuery(const QString &text)
{
    if (!forgetResult())
        return nullptr;
    sqlite3_stmt *statement = connection->prepare(text);
    if (!statement)
        return nullptr;

    const int count = sqlite3_column_count(statement);
    for (int i = 0; i < count; ++i) {
        Column c;
        c.name = QString::fromUtf8(sqlite3_column_name(statement, i));
        if (const char *table = sqlite3_column_table_name(statement, i))
            c.table = QString::fromUtf8(table);
        if (const char *origin = sqlite3_column_origin_name(statement, i))
            c.origin = QString::fromUtf8(origin);
        if (const char *declared = sqlite3_column_decltype(statement, i))
            c.declared = QString::fromUtf8(declared);
        c.isDate = c.declared.startsWith(QLatin1String("DATETIME"), Qt::CaseInsensitive);
        if (!c.table.isEmpty()) {
            int primary = 0, autoincrement = 0;
            sqlite3_table_column_metadata(connection->db, nullptr, c.table.toUtf8().constData(),
                                          c.origin.toUtf8().constData(), nullptr, nullptr, nullptr, &primary,
                                          &autoincrement);
            c.isKey = primary && autoincrement;
        }
        columns.push_back(c);
    }
    return statement;
}

pg_result *DbRecordset::startServerQuery(const QString &text, PgResult *holder)
{
    if (!forgetResult())
        return nullptr;
    *holder = connection->query(text);
    PGresult *result = holder->get();
    if (!result)
        return nullptr;
    const int count = PQnfields(result);
    for (int i = 0; i < count; ++i) {
        Column c;
        c.name = QString::fromUtf8(PQfname(result, i));
        c.declared = pgDeclaredType(PQftype(result, i), PQfmod(result, i));
        if (const PgTable *table = connection->server->table(PQftable(result, i))) {
            const int number = PQftablecol(result, i);
            if (number > 0 && number <= table->columns.size()) {
                c.table = table->name;
                c.origin = table->columns[number - 1].name;
                c.isKey = table->columns[number - 1].isKey;
            }
        }
        c.isDate = c.declared == QLatin1String("DATETIME");
        columns.push_back(c);
    }
    return result;
}

DbRecordset::Cell DbRecordset::readServerCell(pg_result *result, int row, int column)
{
    Cell c;
    if (PQgetisnull(result, row, column))
        return c;
    const char *value = PQgetvalue(result, row, column);
    const int length = PQgetlength(result, row, column);
    switch (PQftype(result, column)) {
    case 20: // int8, int2, int4
    case 21:
    case 23:
        c.kind = Cell::Integer;
        c.integer = QByteArrayView(value, length).toLongLong();
        return c;
    case 16: // bool, as Jet's -1 and 0
        c.kind = Cell::Integer;
        c.integer = value[0] == 't' ? -1 : 0;
        return c;
    case 700: // float4, float8, numeric
    case 701:
    case 1700:
        c.kind = Cell::Real;
        c.real = QByteArrayView(value, length).toDouble();
        return c;
    case 17: { // bytea, in its hex text
        size_t n = 0;
        unsigned char *bytes = PQunescapeBytea(reinterpret_cast<const unsigned char *>(value), &n);
        c.kind = Cell::Blob;
        c.integer = pool.size();
        c.real = double(n);
        pool.append(reinterpret_cast<const char *>(bytes), qsizetype(n));
        PQfreemem(bytes);
        return c;
    }
    case 1114: { // timestamp, in the stored form of the files
        const QByteArray stored = storedDateForm(value, length);
        c.kind = Cell::Text;
        c.integer = pool.size();
        c.real = double(stored.size());
        pool.append(stored);
        return c;
    }
    default:
        c.kind = Cell::Text;
        c.integer = pool.size();
        c.real = length;
        pool.append(value, length);
        return c;
    }
}

void DbRecordset::readServerRow(pg_result *result, int row)
{
    const int count = int(columns.size());
    for (int i = 0; i < count; ++i)
        cells.push_back(readServerCell(result, row, i));
}

QString DbRecordset::keyName() const
{
    if (!connection || !connection->server)
        return QStringLiteral("rowid");
    const int k = keyColumn();
    return u'"' + QString(columns[size_t(k)].origin).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

bool DbRecordset::OpenEach(const QString &text, const std::function<void()> &eachRow)
{
    Close();
    if (connection && connection->server) {
        PgResult holder;
        PGresult *result = startServerQuery(text, &holder);
        if (!result)
            return false;
        status.assign(1, Unmodified);
        order.assign(1, 0);
        position = 0;
        open = true;
        for (int row = 0; row < PQntuples(result); ++row) {
            cells.clear();
            pool.resize(0);
            readServerRow(result, row);
            eachRow();
        }
        Close();
        return true;
    }
    sqlite3_stmt *statement = startQuery(text);
    if (!statement)
        return false;
    const int count = sqlite3_column_count(statement);
    // One row at a time: the row's cells and texts are read over the last ones, keeping their room.
    status.assign(1, Unmodified);
    order.assign(1, 0);
    position = 0;
    open = true;
    int rc;
    streaming = statement;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        cells.assign(size_t(count), Cell{Cell::Unread});
        pool.resize(0);
        eachRow();
    }
    streaming = nullptr;
    const bool ok = rc == SQLITE_DONE;
    if (!ok)
        connection->recordEngineError();
    connection->finish(statement);
    Close();
    return ok;
}

bool DbRecordset::runQuery(const QString &text)
{
    if (readQuery(text))
        return true;
    qCWarning(logData).noquote() << "query failed:" << loggableStatement(text) << "-"
                                 << (connection ? connection->lastError : QStringLiteral("no connection"));
    return false;
}

bool DbRecordset::readQuery(const QString &text)
{
    if (connection && connection->server) {
        PgResult holder;
        PGresult *result = startServerQuery(text, &holder);
        if (!result)
            return false;
        const int rows = PQntuples(result);
        cells.reserve(size_t(rows) * columns.size());
        status.assign(size_t(rows), Unmodified);
        for (int row = 0; row < rows; ++row)
            readServerRow(result, row);
        open = true;
        query = text;
        resetOrder();
        return true;
    }
    sqlite3_stmt *statement = startQuery(text);
    if (!statement)
        return false;
    const int count = sqlite3_column_count(statement);
    // Results are read whole; most queries of the program are a few thousand rows at most.
    cells.reserve(size_t(count) * 64);

    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        for (int i = 0; i < count; ++i)
            cells.push_back(readCell(statement, i));
        status.push_back(Unmodified);
    }
    const bool ok = rc == SQLITE_DONE;
    if (!ok)
        connection->recordEngineError();
    connection->finish(statement);
    if (!ok) {
        columns.clear();
        cells.clear();
        status.clear();
        pool.clear();
        return false;
    }
    open = true;
    query = text;
    resetOrder();
    return true;
}

void DbRecordset::resetOrder()
{
    order.clear();
    for (qsizetype r = 0; r < qsizetype(status.size()); ++r)
        order.push_back(r);
    position = order.empty() ? 0 : 0;
}

bool DbRecordset::OpenSource(const QString &source, std::optional<int> kind)
{
    if (open)
        return false; // the caller closes a held result first
    return runQuery(!kind || *kind == 1 ? source : QStringLiteral("select * from ") + source);
}

bool DbRecordset::Open(const QString &text)
{
    Close();
    return runQuery(text);
}

bool DbRecordset::OpenTableOrdered(const QString &table, const QString &orderBy)
{
    if (open)
        return false;
    return runQuery(QStringLiteral("select * from ") + table + QStringLiteral(" order by ") + orderBy);
}

bool DbRecordset::OpenTableWhere(const QString &table, const QString &condition)
{
    if (open)
        return false;
    return runQuery(QStringLiteral("select * from ") + table + QStringLiteral(" where ") + condition);
}

bool DbRecordset::Close()
{
    if (!exists)
        return false;
    open = false;
    columns.clear();
    nextGuess = 0;
    // The room a long result took is handed back, not kept for the life of the recordset.
    std::vector<Cell>().swap(cells);
    std::vector<quint8>().swap(status);
    std::vector<qint64>().swap(order);
    pool.clear();
    pending.clear();
    adding = false;
    position = -1;
    return true;
}

int DbRecordset::columnIndex(const DbField &field) const
{
    if (!field.byName)
        return field.position >= 0 && field.position < int(columns.size()) ? field.position : -1;
    // Exact names first, starting after the column read last.
    const int n = int(columns.size());
    const QChar *wanted = field.name.constData();
    const qsizetype length = field.name.size();
    for (int k = 0; k < n; ++k) {
        const int i = (nextGuess + k) % n;
        const QString &name = columns[size_t(i)].name;
        if (name.size() == length && std::equal(wanted, wanted + length, name.constData())) {
            nextGuess = (i + 1) % n;
            return i;
        }
    }
    for (int i = 0; i < int(columns.size()); ++i)
        if (columns[size_t(i)].name.compare(field.name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

bool DbRecordset::atRow() const
{
    return open && position >= 0 && position < qsizetype(order.size());
}

qint64 DbRecordset::currentRow() const
{
    return atRow() ? order[size_t(position)] : -1;
}

const DbRecordset::Cell *DbRecordset::cell(const DbField &field, int *column) const
{
    const int c = columnIndex(field);
    if (column)
        *column = c;
    const qint64 row = currentRow();
    if (c < 0 || row < 0 || status[size_t(row)] == Deleted)
        return nullptr;
    const size_t at = size_t(row) * columns.size() + size_t(c);
    if (cells[at].kind == Cell::Unread) {
        // Read when first asked for during OpenEach; the recordset itself is not a const one there.
        auto *self = const_cast<DbRecordset *>(this);
        self->cells[at] = self->readCell(streaming, c);
    }
    return &cells[at];
}

QString DbRecordset::cellText(const Cell &c) const
{
    switch (c.kind) {
    case Cell::Integer:
        return QString::number(c.integer);
    case Cell::Real:
        return QString::number(c.real, 'g', 15);
    case Cell::Text:
        return QString::fromUtf8(pool.constData() + c.integer, qsizetype(c.real));
    default:
        return {};
    }
}

bool DbRecordset::cellNumber(const Cell &c, int column, double *out) const
{
    switch (c.kind) {
    case Cell::Integer:
        *out = double(c.integer);
        return true;
    case Cell::Real:
        *out = c.real;
        return true;
    case Cell::Text: {
        const QString text = cellText(c).trimmed();
        if (column >= 0 && columns[size_t(column)].isDate) {
            bool ok = false;
            const QDateTime d = parseDateText(text, &ok);
            *out = ok ? dateToSerial(d) : 0;
            return ok;
        }
        bool ok = false;
        *out = text.toDouble(&ok);
        if (!ok)
            *out = 0;
        return ok;
    }
    default:
        return false;
    }
}

QVariant DbRecordset::cellValue(const Cell &c, int column) const
{
    switch (c.kind) {
    case Cell::Integer:
        return c.integer;
    case Cell::Real:
        return c.real;
    case Cell::Text:
        if (columns[size_t(column)].isDate) {
            bool ok = false;
            const QDateTime d = parseDateText(cellText(c), &ok);
            if (ok)
                return d;
        }
        return cellText(c);
    case Cell::Blob:
        return QByteArray(pool.constData() + c.integer, qsizetype(c.real));
    default:
        return {};
    }
}

QString DbRecordset::GetText(const DbField &field)
{
    const Cell *c = cell(field);
    return c ? cellText(*c) : QString();
}

bool DbRecordset::GetTextBytes(const DbField &field, QByteArrayView *bytes)
{
    if (streaming) {
        // The engine's own bytes, good until the next row: no copy into the pool.
        // One call to the engine for the cell; the value's own calls take no lock.
        const int column = columnIndex(field);
        sqlite3_value *value = column < 0 ? nullptr : sqlite3_column_value(streaming, column);
        if (!value || sqlite3_value_type(value) != SQLITE_TEXT)
            return false;
        const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(value));
        *bytes = QByteArrayView(text, sqlite3_value_bytes(value));
        return true;
    }
    const Cell *c = cell(field);
    if (!c || c->kind != Cell::Text)
        return false;
    *bytes = QByteArrayView(pool.constData() + c->integer, qsizetype(c->real));
    return true;
}

double DbRecordset::GetNumber(const DbField &field)
{
    if (streaming) {
        // A number the engine holds as one is read from it as it is; anything else goes the long way.
        const int column = columnIndex(field);
        sqlite3_value *value = column < 0 ? nullptr : sqlite3_column_value(streaming, column);
        const int type = value ? sqlite3_value_type(value) : SQLITE_NULL;
        if (type == SQLITE_INTEGER)
            return double(sqlite3_value_int64(value));
        if (type == SQLITE_FLOAT)
            return sqlite3_value_double(value);
    }
    int column = -1;
    const Cell *c = cell(field, &column);
    double v = 0;
    return c && cellNumber(*c, column, &v) ? v : 0;
}

float DbRecordset::GetFloat(const DbField &field)
{
    return float(GetNumber(field));
}

qint64 DbRecordset::GetInteger(const DbField &field)
{
    return truncateToInteger(GetNumber(field));
}

bool DbRecordset::GetBool(const DbField &field)
{
    const Cell *c = cell(field);
    if (!c)
        return false;
    if (c->kind == Cell::Integer)
        return c->integer != 0;
    if (c->kind == Cell::Real)
        return c->real != 0;
    if (c->kind == Cell::Text) {
        const QString text = cellText(*c).trimmed();
        if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return true;
        bool ok = false;
        const double v = text.toDouble(&ok);
        return ok && v != 0;
    }
    return false;
}

QDateTime DbRecordset::GetDateTime(const DbField &field)
{
    const Cell *c = cell(field);
    if (!c)
        return earliestDateTime();
    bool ok = false;
    QDateTime d;
    if (c->kind == Cell::Text)
        d = parseStoredDate(pool.constData() + c->integer, int(c->real), &ok);
    else if (c->kind == Cell::Integer || c->kind == Cell::Real)
        d = serialToDate(c->kind == Cell::Integer ? double(c->integer) : c->real, &ok);
    return ok ? d : earliestDateTime();
}

QByteArray DbRecordset::GetBytes(const DbField &field)
{
    const Cell *c = cell(field);
    return c && c->kind == Cell::Blob ? QByteArray(pool.constData() + c->integer, qsizetype(c->real)) : QByteArray();
}

int DbRecordset::keyColumn() const
{
    for (int i = 0; i < int(columns.size()); ++i)
        if (columns[size_t(i)].isKey)
            return i;
    return -1;
}

bool DbRecordset::setValue(const DbField &field, const QVariant &value)
{
    const int column = columnIndex(field);
    // Rows can be edited when the result names its table's counter, which addresses the row.
    if (!open || column < 0 || keyColumn() < 0 || columns[size_t(column)].isKey || columns[size_t(column)].table.isEmpty())
        return false;
    if (!adding && (!atRow() || status[size_t(currentRow())] == Deleted))
        return false;
    for (Pending &p : pending) {
        if (p.column == column) {
            p.value = value;
            return true;
        }
    }
    pending.push_back({column, value});
    return true;
}

bool DbRecordset::SetText(const DbField &field, const QString &value)
{
    return setValue(field, value);
}

bool DbRecordset::SetNumber(const DbField &field, double value)
{
    return setValue(field, value);
}

bool DbRecordset::SetFloat(const DbField &field, float value)
{
    return setValue(field, double(value));
}

bool DbRecordset::SetInteger(const DbField &field, qint32 value)
{
    return setValue(field, qint64(value));
}

bool DbRecordset::SetBool(const DbField &field, bool value)
{
    return setValue(field, qint64(value ? 1 : 0));
}

bool DbRecordset::SetDateTime(const DbField &field, const QDateTime &value)
{
    return value.isValid() && setValue(field, canonicalDateText(value));
}

bool DbRecordset::SetBytes(const DbField &field, const QByteArray &value)
{
    return setValue(field, value);
}

bool DbRecordset::AddNew()
{
    if (!open || keyColumn() < 0 || !flushPending())
        return false;
    adding = true;
    pending.clear();
    return true;
}

size_t DbRecordset::rowCells(qint64 &row)
{
    if (row < 0) {
        row = qint64(status.size());
        cells.resize(cells.size() + columns.size());
        status.push_back(New);
        order.push_back(row);
    }
    return size_t(row) * columns.size();
}

// Reads the row with the given key again, into row (or a new row when row is -1).
bool DbRecordset::readRow(qint64 row, qint64 key)
{
    const int k = keyColumn();
    QStringList names;
    for (const Column &c : columns)
        names.append(u'"' + QString(c.origin).replace(u'"', QStringLiteral("\"\"")) + u'"');
    const QString table = columns[size_t(k)].table;
    if (connection->server) {
        PgResult result = connection->queryNative(
            QStringLiteral("SELECT %1 FROM \"%2\" WHERE %3 = ?").arg(names.join(u','), table, keyName()), {key});
        if (!result || PQntuples(result.get()) == 0)
            return false;
        const size_t first = rowCells(row);
        for (int i = 0; i < int(columns.size()); ++i)
            cells[first + size_t(i)] = readServerCell(result.get(), 0, i);
        return true;
    }
    sqlite3_stmt *statement = connection->prepareNative(QStringLiteral("SELECT %1 FROM \"%2\" WHERE rowid = ?")
                                                            .arg(names.join(u','), table),
                                                        {key});
    if (!statement)
        return false;
    const bool found = sqlite3_step(statement) == SQLITE_ROW;
    if (found) {
        const size_t first = rowCells(row);
        for (int i = 0; i < int(columns.size()); ++i)
            cells[first + size_t(i)] = readCell(statement, i);
    }
    connection->finish(statement);
    return found;
}

bool DbRecordset::flushPending()
{
    if (pending.empty() && !adding)
        return true;
    const std::vector<Pending> edits = std::move(pending);
    pending.clear();
    const bool inserting = adding;
    adding = false;
    const int k = keyColumn();
    if (k < 0 || !connection || !connection->isOpen())
        return false;
    const QString table = columns[size_t(k)].table;
    QStringList names;
    QStringList placeholders;
    QList<QVariant> values;
    for (const Pending &p : edits) {
        const Column &c = columns[size_t(p.column)];
        names.append(u'"' + QString(c.origin).replace(u'"', QStringLiteral("\"\"")) + u'"');
        placeholders.append(c.isDate ? QStringLiteral("jetdate(?)") : QStringLiteral("?"));
        values.append(p.value);
    }
    if (inserting) {
        const QString sql = names.isEmpty()
            ? QStringLiteral("INSERT INTO \"%1\" DEFAULT VALUES").arg(table)
            : QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)").arg(table, names.join(u','), placeholders.join(u','));
        qint64 made = 0;
        if (connection->server) {
            PgResult result = connection->queryNative(sql + QStringLiteral(" RETURNING ") + keyName(), values);
            if (!result || PQntuples(result.get()) != 1)
                return false;
            made = QByteArrayView(PQgetvalue(result.get(), 0, 0)).toLongLong();
        } else {
            if (!connection->runNative(sql, values))
                return false;
            made = sqlite3_last_insert_rowid(connection->db);
        }
        if (!readRow(-1, made))
            return false;
        position = qint64(order.size()) - 1;
        return true;
    }
    const qint64 row = currentRow();
    if (row < 0 || edits.empty())
        return row >= 0;
    const Cell &key = cells[size_t(row) * columns.size() + size_t(k)];
    QStringList assignments;
    for (qsizetype i = 0; i < names.size(); ++i)
        assignments.append(names[i] + u'=' + placeholders[i]);
    values.append(key.integer);
    if (!connection->runNative(QStringLiteral("UPDATE \"%1\" SET %2 WHERE %3 = ?").arg(table, assignments.join(u','), keyName()),
                               values))
        return false;
    if (status[size_t(row)] != New)
        status[size_t(row)] = Modified;
    return readRow(row, key.integer);
}

bool DbRecordset::Update()
{
    if (!open || (pending.empty() && !adding))
        return false;
    return flushPending();
}

bool DbRecordset::Delete(int affect)
{
    const int k = keyColumn();
    if (!open || k < 0 || !flushPending())
        return false;
    std::vector<qint64> rows;
    if (affect == 1) {
        if (!atRow() || status[size_t(currentRow())] == Deleted)
            return false;
        rows.push_back(currentRow());
    } else if (affect == 2 || affect == 3) {
        // the rows the filter lets through, or every row of the result
        if (affect == 2)
            rows = order;
        else
            for (qint64 r = 0; r < qint64(status.size()); ++r)
                rows.push_back(r);
    } else {
        return false;
    }
    const QString table = columns[size_t(k)].table;
    for (qint64 row : rows) {
        if (status[size_t(row)] == Deleted)
            continue;
        const qint64 key = cells[size_t(row) * columns.size() + size_t(k)].integer;
        if (!connection->runNative(QStringLiteral("DELETE FROM \"%1\" WHERE %2 = ?").arg(table, keyName()), {key}))
            return false;
        status[size_t(row)] = Deleted;
    }
    return true;
}

bool DbRecordset::SaveXml(const QString &path)
{
    if (!open || QFileInfo::exists(path))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QXmlStreamWriter xml(&file);
    xml.setAutoFormatting(true);
    xml.writeStartElement(QStringLiteral("xml"));
    xml.writeAttribute(QStringLiteral("xmlns:s"), QStringLiteral("uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882"));
    xml.writeAttribute(QStringLiteral("xmlns:dt"), QStringLiteral("uuid:C2F41010-65B3-11d1-A29F-00AA00C14882"));
    xml.writeAttribute(QStringLiteral("xmlns:rs"), QStringLiteral("urn:schemas-microsoft-com:rowset"));
    xml.writeAttribute(QStringLiteral("xmlns:z"), QStringLiteral("#RowsetSchema"));
    xml.writeStartElement(QStringLiteral("s:Schema"));
    xml.writeAttribute(QStringLiteral("id"), QStringLiteral("RowsetSchema"));
    xml.writeStartElement(QStringLiteral("s:ElementType"));
    xml.writeAttribute(QStringLiteral("name"), QStringLiteral("row"));
    xml.writeAttribute(QStringLiteral("content"), QStringLiteral("eltOnly"));
    for (int i = 0; i < int(columns.size()); ++i) {
        xml.writeStartElement(QStringLiteral("s:AttributeType"));
        xml.writeAttribute(QStringLiteral("name"), columns[size_t(i)].name);
        xml.writeAttribute(QStringLiteral("rs:number"), QString::number(i + 1));
        xml.writeEmptyElement(QStringLiteral("s:datatype"));
        const int type = int(FieldType(i));
        xml.writeAttribute(QStringLiteral("dt:type"), type == 7   ? QStringLiteral("dateTime")
                                                          : type == 3 ? QStringLiteral("int")
                                                          : type == 5 ? QStringLiteral("float")
                                                          : type == 205 ? QStringLiteral("bin.hex")
                                                                        : QStringLiteral("string"));
        xml.writeEndElement();
    }
    xml.writeEmptyElement(QStringLiteral("s:extends"));
    xml.writeAttribute(QStringLiteral("type"), QStringLiteral("rs:rowbase"));
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("rs:data"));
    for (qint64 row : order) {
        if (status[size_t(row)] == Deleted)
            continue;
        xml.writeEmptyElement(QStringLiteral("z:row"));
        for (int i = 0; i < int(columns.size()); ++i) {
            const Cell &c = cells[size_t(row) * columns.size() + size_t(i)];
            const QVariant v = cellValue(c, i);
            if (!v.isValid())
                continue;
            QString text = v.typeId() == QMetaType::QDateTime ? v.toDateTime().toString(Qt::ISODate)
                : v.typeId() == QMetaType::QByteArray         ? QString::fromLatin1(v.toByteArray().toHex())
                                                              : cellText(c);
            xml.writeAttribute(columns[size_t(i)].name, text);
        }
    }
    xml.writeEndElement();
    xml.writeEndElement();
    return !xml.hasError() && file.commit();
}

bool DbRecordset::SaveBinary(const QString &path)
{
    if (!open || QFileInfo::exists(path))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QDataStream out(&file);
    out.setVersion(QDataStream::Qt_6_0);
    out << QByteArray("KELM-ROWSET-1");
    out << qint32(columns.size());
    for (const Column &c : columns)
        out << c.name << c.declared;
    qint32 rows = 0;
    for (qint64 row : order)
        rows += status[size_t(row)] != Deleted;
    out << rows;
    for (qint64 row : order) {
        if (status[size_t(row)] == Deleted)
            continue;
        for (int i = 0; i < int(columns.size()); ++i)
            out << cellValue(cells[size_t(row) * columns.size() + size_t(i)], i);
    }
    return out.status() == QDataStream::Ok && file.commit();
}

bool DbRecordset::moveTo(qint64 target)
{
    if (!flushPending())
        return false;
    position = std::clamp<qint64>(target, -1, qint64(order.size()));
    return true;
}

bool DbRecordset::MoveFirst()
{
    if (!open)
        return false;
    qint64 p = 0;
    while (p < qint64(order.size()) && status[size_t(order[size_t(p)])] == Deleted)
        ++p;
    return moveTo(p);
}

bool DbRecordset::MoveLast()
{
    if (!open)
        return false;
    qint64 p = qint64(order.size()) - 1;
    while (p >= 0 && status[size_t(order[size_t(p)])] == Deleted)
        --p;
    return moveTo(p < 0 ? qint64(order.size()) : p);
}

bool DbRecordset::Move(qint64 rows)
{
    if (!open || (rows > 0 && Eof()) || (rows < 0 && Bof()))
        return false;
    qint64 p = position;
    const qint64 step = rows < 0 ? -1 : 1;
    for (qint64 left = rows < 0 ? -rows : rows; left > 0;) {
        p += step;
        if (p < 0 || p >= qint64(order.size()))
            break;
        if (status[size_t(order[size_t(p)])] != Deleted)
            --left;
    }
    return moveTo(p);
}

bool DbRecordset::MoveNext()
{
    return Move(1);
}

bool DbRecordset::MovePrevious()
{
    return Move(-1);
}

QString DbRecordset::FieldName(int position)
{
    return open && position >= 0 && position < int(columns.size()) ? columns[size_t(position)].name : QString();
}

double DbRecordset::FieldType(const DbField &field)
{
    const int i = open ? columnIndex(field) : -1;
    if (i < 0)
        return 0;
    const Column &c = columns[size_t(i)];
    const QString declared = c.declared.toUpper();
    if (declared.startsWith(QLatin1String("INTEGER")))
        return 3; // Long
    if (declared.startsWith(QLatin1String("DOUBLE")))
        return 5;
    if (c.isDate)
        return 7;
    if (declared.startsWith(QLatin1String("LONGTEXT")))
        return 203;
    if (declared.startsWith(QLatin1String("TEXT")))
        return 202;
    if (declared.startsWith(QLatin1String("BOOLEAN")))
        return 11;
    if (declared.startsWith(QLatin1String("BLOB")))
        return 205;
    // A computed column takes the type of its first value; a sum over no rows is a Double.
    for (qint64 row = 0; row < qint64(status.size()); ++row) {
        const Cell &v = cells[size_t(row) * columns.size() + size_t(i)];
        if (v.kind == Cell::Integer)
            return 3;
        if (v.kind == Cell::Text)
            return 202;
        if (v.kind == Cell::Blob)
            return 205;
        if (v.kind == Cell::Real)
            return 5;
    }
    return 5;
}

double DbRecordset::FieldDefinedSize(const DbField &field)
{
    const int i = open ? columnIndex(field) : -1;
    if (i < 0)
        return 0;
    switch (int(FieldType(i))) {
    case 202: {
        const int n = definedSizeOf(columns[size_t(i)].declared);
        return n > 0 ? n : 255;
    }
    case 203:
    case 205:
        return 536870910;
    case 3:
        return 4;
    case 11:
        return 2;
    default:
        return 8;
    }
}

double DbRecordset::FieldActualSize(const DbField &field)
{
    int column = -1;
    const Cell *c = cell(field, &column);
    if (!c || c->kind == Cell::Null)
        return 0;
    if (c->kind == Cell::Text)
        return double(cellText(*c).size() * 2); // UCS-2 bytes, as the Windows engine counted them
    if (c->kind == Cell::Blob)
        return c->real;
    return FieldDefinedSize(column);
}

double DbRecordset::FieldAttributes(const DbField &field)
{
    const int i = open ? columnIndex(field) : -1;
    if (i < 0)
        return 0;
    const Column &c = columns[size_t(i)];
    constexpr int mayDefer = 0x2, updatable = 0x4, unknownUpdatable = 0x8, fixed = 0x10, isNullable = 0x20,
                  mayBeNull = 0x40, isLong = 0x80;
    const int type = int(FieldType(i));
    int attributes = mayDefer | mayBeNull;
    if (type != 202 && type != 203 && type != 205)
        attributes |= fixed;
    if (type == 203 || type == 205)
        attributes |= isLong;
    if (c.isKey)
        return attributes & ~mayBeNull;
    attributes |= c.table.isEmpty() ? unknownUpdatable : (updatable | isNullable);
    return attributes;
}

bool DbRecordset::FieldMissing(const DbField &field)
{
    return !open || columnIndex(field) < 0;
}

bool DbRecordset::matches(qint64 row, const QString &criteria, bool *valid) const
{
    QStringList joiners;
    const QStringList parts = splitCriteria(criteria, &joiners);
    bool result = false;
    bool andChain = true;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        Clause clause;
        if (!parseClause(parts[i], &clause)) {
            *valid = false;
            return false;
        }
        const int column = columnIndex(clause.column);
        if (column < 0) {
            *valid = false;
            return false;
        }
        const Cell &c = cells[size_t(row) * columns.size() + size_t(column)];
        bool hit = false;
        if (c.kind != Cell::Null) {
            if (clause.op == u"like") {
                hit = likeMatches(cellText(c), clause.text);
            } else if (clause.kind == Clause::Number) {
                double v = 0;
                hit = cellNumber(c, column, &v) && compareWith(v < clause.number ? -1 : (v > clause.number ? 1 : 0), clause.op);
            } else if (clause.kind == Clause::Date) {
                bool ok = false;
                const QDateTime d = parseDateText(cellText(c), &ok);
                hit = ok && compareWith(d < clause.date ? -1 : (d > clause.date ? 1 : 0), clause.op);
            } else {
                const QByteArray a = cellText(c).toUtf8();
                const QByteArray b = clause.text.toUtf8();
                hit = compareWith(jetCompare(a.constData(), int(a.size()), b.constData(), int(b.size())), clause.op);
            }
        }
        // AND binds before OR
        andChain = andChain && hit;
        if (i == parts.size() - 1 || joiners[i] == u"or") {
            result = result || andChain;
            andChain = true;
        }
    }
    *valid = true;
    return result;
}

bool DbRecordset::Find(const QString &criteria, int direction)
{
    findCriteria = criteria;
    findDirection = direction;
    if (!open || (direction != 1 && direction != -1) || !flushPending())
        return false;
    qint64 p = std::clamp<qint64>(position, 0, qint64(order.size()) - 1);
    if (direction == 1 && Eof())
        return false;
    if (direction == -1 && Bof())
        return false;
    for (; p >= 0 && p < qint64(order.size()); p += direction) {
        const qint64 row = order[size_t(p)];
        bool valid = true;
        if (status[size_t(row)] != Deleted && matches(row, criteria, &valid)) {
            position = p;
            return true;
        }
        if (!valid)
            return false;
    }
    position = direction == 1 ? qint64(order.size()) : -1;
    return false;
}

bool DbRecordset::FindNext()
{
    if (!open || (findDirection != 1 && findDirection != -1))
        return false;
    if ((findDirection == 1 && Eof()) || (findDirection == -1 && Bof()))
        return false;
    const qint64 saved = position;
    position += findDirection;
    if (position < 0 || position >= qint64(order.size())) {
        position = std::clamp<qint64>(position, -1, qint64(order.size()));
        return false;
    }
    const bool found = Find(findCriteria, findDirection);
    if (!found && position == saved + findDirection)
        position = findDirection == 1 ? qint64(order.size()) : -1;
    return found;
}

bool DbRecordset::SetFilter(const QString &criteria)
{
    if (!open || !flushPending())
        return false;
    if (criteria.trimmed().isEmpty()) {
        filter.clear();
        resetOrder();
        return true;
    }
    std::vector<qint64> kept;
    for (qint64 row = 0; row < qint64(status.size()); ++row) {
        bool valid = true;
        if (matches(row, criteria, &valid))
            kept.push_back(row);
        if (!valid)
            return false;
    }
    filter = criteria;
    order = std::move(kept);
    position = 0;
    return true;
}

bool DbRecordset::IsOpen()
{
    return open;
}

double DbRecordset::Status()
{
    return atRow() ? status[size_t(currentRow())] : 0;
}

qint64 DbRecordset::RecordCount()
{
    if (!open)
        return 0;
    qint64 n = 0;
    for (qint64 row : order)
        n += status[size_t(row)] != Deleted;
    return n;
}

qint64 DbRecordset::FieldCount()
{
    return open ? qint64(columns.size()) : 0;
}

bool DbRecordset::Bof()
{
    return open && (order.empty() || position < 0);
}

bool DbRecordset::Eof()
{
    return open && (order.empty() || position >= qint64(order.size()));
}

double DbRecordset::AbsolutePosition()
{
    if (!open)
        return 0;
    if (order.empty())
        return -1;
    if (position < 0)
        return -2;
    if (position >= qint64(order.size()))
        return -3;
    qint64 n = 0;
    for (qint64 p = 0; p <= position; ++p)
        n += status[size_t(order[size_t(p)])] != Deleted;
    return double(n);
}

bool DbRecordset::Requery()
{
    if (!open)
        return false;
    const QString again = query;
    return runQuery(again);
}

qint64 DbRecordset::CountRows(const QString &table)
{
    if (!Open(QStringLiteral("select count(*) from ") + table))
        return -1;
    return truncateToInteger(textToNumber(GetText(0)));
}
