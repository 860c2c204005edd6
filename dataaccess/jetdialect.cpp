#include "jetdialect.h"

#include "common/datetext.h"

#include <QSet>

#include <charconv>

#include <vector>

namespace {

enum class Tok { Space, Word, Quoted, String, Date, Number, Punct, Param };

struct Token
{
    Tok kind;
    QString text; // as written; for String and Date the value inside the quotes or hashes
    bool lift = false;
};

using Tokens = std::vector<Token>;

bool isWordChar(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80)
        return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || u == u'_' || u == u'$';
    return true;
}

bool isDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// A token's text without a copy; the statement text outlives its tokens.
QString view(const QString &s, qsizetype from, qsizetype length)
{
    return QString::fromRawData(s.constData() + from, length);
}

// A copy that owns its characters, for what leaves the translation.
QString owned(const QString &text)
{
    return QString(text.constData(), text.size());
}

// Reads the statement token by token, handing each to put(kind, text) as it is found.
template<class Put>
bool scan(const QString &s, Put &&put, QString &error)
{
    const qsizetype n = s.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = s[i];
        const qsizetype start = i;
        if (c.isSpace()) {
            while (i < n && s[i].isSpace())
                ++i;
            put(Tok::Space, QStringLiteral(" "));
        } else if (c == u'-' && i + 1 < n && s[i + 1] == u'-') {
            while (i < n && s[i] != u'\n')
                ++i;
            put(Tok::Space, QStringLiteral(" "));
        } else if (c == u'/' && i + 1 < n && s[i + 1] == u'*') {
            const qsizetype end = s.indexOf(QStringLiteral("*/"), i + 2);
            if (end < 0) {
                error = QStringLiteral("unterminated comment");
                return false;
            }
            i = end + 2;
            put(Tok::Space, QStringLiteral(" "));
        } else if (c == u'\'') {
            ++i;
            const qsizetype from = i;
            bool doubled = false;
            for (;;) {
                if (i >= n) {
                    error = QStringLiteral("unterminated text");
                    return false;
                }
                if (s[i] == u'\'') {
                    if (i + 1 < n && s[i + 1] == u'\'') {
                        doubled = true;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            QString value = view(s, from, i - 1 - from);
            if (doubled)
                value = QString(value).replace(QStringLiteral("''"), QStringLiteral("'"));
            put(Tok::String, value);
        } else if (c == u'#') {
            const qsizetype end = s.indexOf(u'#', i + 1);
            if (end < 0) {
                error = QStringLiteral("unterminated date");
                return false;
            }
            put(Tok::Date, view(s, i + 1, end - i - 1));
            i = end + 1;
        } else if (c == u'[' || c == u'"' || c == u'`') {
            const QChar close = c == u'[' ? u']' : c;
            qsizetype end = s.indexOf(close, i + 1);
            // Inside brackets "]]" stands for one "]", so any file name fits in a workbook's source.
            while (c == u'[' && end >= 0 && end + 1 < n && s[end + 1] == u']')
                end = s.indexOf(close, end + 2);
            if (end < 0) {
                error = QStringLiteral("unterminated name");
                return false;
            }
            i = end + 1;
            put(Tok::Quoted, view(s, start, i - start));
        } else if (isDigit(c) || (c == u'.' && i + 1 < n && isDigit(s[i + 1]))) {
            while (i < n && isDigit(s[i]))
                ++i;
            if (i < n && s[i] == u'.') {
                ++i;
                while (i < n && isDigit(s[i]))
                    ++i;
            }
            if (i < n && (s[i] == u'e' || s[i] == u'E')) {
                qsizetype j = i + 1;
                if (j < n && (s[j] == u'+' || s[j] == u'-'))
                    ++j;
                if (j < n && isDigit(s[j])) {
                    i = j;
                    while (i < n && isDigit(s[i]))
                        ++i;
                }
            }
            if (i < n && isWordChar(s[i]) && !isDigit(s[i])) {
                // "1abc" is a name in Jet, not a number followed by a word
                while (i < n && isWordChar(s[i]))
                    ++i;
                put(Tok::Word, view(s, start, i - start));
            } else {
                put(Tok::Number, view(s, start, i - start));
            }
        } else if (isWordChar(c)) {
            while (i < n && isWordChar(s[i]))
                ++i;
            put(Tok::Word, view(s, start, i - start));
        } else if (c == u'?') {
            ++i;
            put(Tok::Param, QStringLiteral("?"));
        } else {
            static const char16_t pairs[][2] = {{u'<', u'='}, {u'>', u'='}, {u'<', u'>'},
                                                {u'!', u'='}, {u'|', u'|'}, {u'=', u'='}};
            qsizetype length = 1;
            if (i + 1 < n)
                for (const auto &pair : pairs)
                    if (c.unicode() == pair[0] && s[i + 1].unicode() == pair[1])
                        length = 2;
            put(Tok::Punct, view(s, i, length));
            i += length;
        }
    }
    return true;
}

bool tokenize(const QString &s, Tokens &out, QString &error)
{
    out.reserve(size_t(s.size() / 3 + 8));
    return scan(
        s, [&out](Tok kind, const QString &text) { out.push_back({kind, text}); }, error);
}

bool isWord(const Token &t, const char *word)
{
    return t.kind == Tok::Word && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool isPunct(const Token &t, const char *p)
{
    return t.kind == Tok::Punct && t.text == QLatin1String(p);
}

qsizetype nextSolid(const Tokens &t, qsizetype i)
{
    while (i < qsizetype(t.size()) && t[i].kind == Tok::Space)
        ++i;
    return i;
}

qsizetype previousSolid(const Tokens &t, qsizetype i)
{
    while (i >= 0 && t[i].kind == Tok::Space)
        --i;
    return i;
}

// Index of the ")" that closes the "(" at open, or -1.
qsizetype matchingClose(const Tokens &t, qsizetype open)
{
    int depth = 0;
    for (qsizetype i = open; i < qsizetype(t.size()); ++i) {
        if (isPunct(t[i], "("))
            ++depth;
        else if (isPunct(t[i], ")") && --depth == 0)
            return i;
    }
    return -1;
}

qsizetype matchingOpen(const Tokens &t, qsizetype close)
{
    int depth = 0;
    for (qsizetype i = close; i >= 0; --i) {
        if (isPunct(t[i], ")"))
            ++depth;
        else if (isPunct(t[i], "(") && --depth == 0)
            return i;
    }
    return -1;
}

bool isKeyword(const Token &t)
{
    static const QSet<QString> keywords = {"select", "from", "where", "and", "or", "not", "as", "group", "order", "by",
                                           "having", "into", "values", "set", "union", "on", "join", "like", "is", "in"};
    return t.kind == Tok::Word && keywords.contains(t.text.toLower());
}

bool isName(const Token &t)
{
    return (t.kind == Tok::Word && !isKeyword(t)) || t.kind == Tok::Quoted;
}

// The operand of "&" that ends at index end: a literal, a (qualified) name, a call or a group.
qsizetype operandStart(const Tokens &t, qsizetype end)
{
    if (end < 0)
        return -1;
    qsizetype start = end;
    if (isPunct(t[end], ")")) {
        start = matchingOpen(t, end);
        if (start < 0)
            return -1;
        const qsizetype before = previousSolid(t, start - 1);
        if (before >= 0 && t[before].kind == Tok::Word && before == start - 1)
            start = before;
        return start;
    }
    if (t[end].kind == Tok::String || t[end].kind == Tok::Date || t[end].kind == Tok::Number || t[end].kind == Tok::Param)
        return end;
    if (!isName(t[end]))
        return -1;
    while (start >= 2 && isPunct(t[start - 1], ".") && isName(t[start - 2]))
        start -= 2;
    return start;
}

qsizetype operandEnd(const Tokens &t, qsizetype start)
{
    if (start >= qsizetype(t.size()))
        return -1;
    if (isPunct(t[start], "("))
        return matchingClose(t, start);
    if (t[start].kind == Tok::String || t[start].kind == Tok::Date || t[start].kind == Tok::Number || t[start].kind == Tok::Param)
        return start;
    if (!isName(t[start]))
        return -1;
    qsizetype end = start;
    const qsizetype after = nextSolid(t, end + 1);
    if (t[start].kind == Tok::Word && after < qsizetype(t.size()) && isPunct(t[after], "("))
        return matchingClose(t, after);
    while (end + 2 < qsizetype(t.size()) && isPunct(t[end + 1], ".") && isName(t[end + 2]))
        end += 2;
    return end;
}

Tokens slice(const Tokens &t, qsizetype from, qsizetype to) // inclusive
{
    return Tokens(t.begin() + from, t.begin() + to + 1);
}

void append(Tokens &to, const Tokens &from)
{
    to.insert(to.end(), from.begin(), from.end());
}

Tokens wrapped(const char *function, const Tokens &inner)
{
    Tokens out{{Tok::Word, QLatin1String(function)}, {Tok::Punct, QStringLiteral("(")}};
    append(out, inner);
    out.push_back({Tok::Punct, QStringLiteral(")")});
    return out;
}

// a & b becomes jetcat(a, b) (concat(a, b) on PostgreSQL): Jet joins texts with Null read as
// empty text.
bool rewriteConcatenation(Tokens &t, const char *function, bool typedTexts, QString &error)
{
    for (qsizetype i = 0; i < qsizetype(t.size()); ++i) {
        if (!isPunct(t[i], "&"))
            continue;
        const qsizetype leftEnd = previousSolid(t, i - 1);
        const qsizetype leftStart = operandStart(t, leftEnd);
        const qsizetype rightStart = nextSolid(t, i + 1);
        const qsizetype rightEnd = operandEnd(t, rightStart);
        if (leftStart < 0 || rightEnd < 0) {
            error = QStringLiteral("\"&\" needs a value on each side");
            return false;
        }
        // PostgreSQL cannot tell the type of a text value handed to concat(); it is named.
        const auto operand = [&](qsizetype from, qsizetype to) {
            Tokens part = slice(t, from, to);
            if (typedTexts && part.size() == 1 && part.front().kind == Tok::String)
                part.push_back({Tok::Punct, QStringLiteral("::text")});
            return part;
        };
        Tokens inner = operand(leftStart, leftEnd);
        inner.push_back({Tok::Punct, QStringLiteral(",")});
        append(inner, operand(rightStart, rightEnd));
        Tokens replaced(t.begin(), t.begin() + leftStart);
        const Tokens call = wrapped(function, inner);
        append(replaced, call);
        const qsizetype resume = qsizetype(replaced.size()) - 1;
        replaced.insert(replaced.end(), t.begin() + rightEnd + 1, t.end());
        t = std::move(replaced);
        i = resume;
    }
    return true;
}

// Splits the tokens between from and to (exclusive) at the commas of depth zero.
QList<std::pair<qsizetype, qsizetype>> splitList(const Tokens &t, qsizetype from, qsizetype to)
{
    QList<std::pair<qsizetype, qsizetype>> parts;
    int depth = 0;
    qsizetype start = from;
    for (qsizetype i = from; i < to; ++i) {
        if (isPunct(t[i], "("))
            ++depth;
        else if (isPunct(t[i], ")"))
            --depth;
        else if (depth == 0 && isPunct(t[i], ",")) {
            parts.append({start, i});
            start = i + 1;
        }
    }
    parts.append({start, to});
    return parts;
}

// What a bracketed name holds, with each "]]" read as "]".
QString bracketed(const QString &text)
{
    QString inside = text.mid(1, text.size() - 2);
    if (text.startsWith(u'[') && inside.contains(QLatin1String("]]")))
        inside.replace(QLatin1String("]]"), QLatin1String("]"));
    return inside;
}

QString nameOf(const Token &t)
{
    if (t.kind == Tok::Quoted)
        return bracketed(t.text);
    return t.text;
}

// Wraps the expression in [from, to) in jetdate(); a trailing "as alias" stays outside.
void wrapDate(Tokens &t, qsizetype from, qsizetype to, std::vector<std::pair<qsizetype, qsizetype>> &spans)
{
    qsizetype exprEnd = to;
    qsizetype last = previousSolid(t, to - 1);
    if (last > from && isName(t[last])) {
        const qsizetype as = previousSolid(t, last - 1);
        if (as > from && isWord(t[as], "as"))
            exprEnd = previousSolid(t, as - 1) + 1;
    }
    spans.push_back({from, exprEnd});
}

void applyDateWraps(Tokens &t, std::vector<std::pair<qsizetype, qsizetype>> spans)
{
    // From the right, so the places still to wrap keep their indexes.
    std::sort(spans.begin(), spans.end(), [](auto a, auto b) { return a.first > b.first; });
    for (const auto &[from, to] : spans) {
        t.insert(t.begin() + to, {Tok::Punct, QStringLiteral(")")});
        t.insert(t.begin() + from, {{Tok::Word, QStringLiteral("jetdate")}, {Tok::Punct, QStringLiteral("(")}});
    }
}

// Index of the first word at depth zero from start on that is one of the given keywords.
qsizetype findKeyword(const Tokens &t, qsizetype start, std::initializer_list<const char *> words)
{
    int depth = 0;
    for (qsizetype i = start; i < qsizetype(t.size()); ++i) {
        if (isPunct(t[i], "("))
            ++depth;
        else if (isPunct(t[i], ")"))
            --depth;
        else if (depth == 0)
            for (const char *w : words)
                if (isWord(t[i], w))
                    return i;
    }
    return -1;
}

// Values written into Date/Time columns pass through jetdate(), which stores one canonical text.
bool wrapDateAssignments(Tokens &t, JetStatementKind kind, const JetTableLookup &lookup, QString &error)
{
    if (!lookup)
        return true;
    std::vector<std::pair<qsizetype, qsizetype>> spans;
    if (kind == JetStatementKind::Insert) {
        qsizetype i = nextSolid(t, 0) + 1;
        i = nextSolid(t, i);
        if (i >= qsizetype(t.size()) || !isWord(t[i], "into"))
            return true;
        i = nextSolid(t, i + 1);
        if (i >= qsizetype(t.size()) || !isName(t[i]))
            return true;
        const QList<JetColumn> columns = lookup(nameOf(t[i]));
        if (columns.isEmpty())
            return true; // the engine reports the missing table
        QList<bool> dateAt;
        i = nextSolid(t, i + 1);
        if (i < qsizetype(t.size()) && isPunct(t[i], "(")) {
            const qsizetype close = matchingClose(t, i);
            if (close < 0)
                return true;
            for (const auto &[from, to] : splitList(t, i + 1, close)) {
                const qsizetype nameAt = nextSolid(t, from);
                bool isDate = false;
                if (nameAt < to)
                    for (const JetColumn &c : columns)
                        if (c.name.compare(nameOf(t[nameAt]), Qt::CaseInsensitive) == 0)
                            isDate = c.isDate;
                dateAt.append(isDate);
            }
            i = nextSolid(t, close + 1);
        } else {
            for (const JetColumn &c : columns)
                dateAt.append(c.isDate);
        }
        if (!dateAt.contains(true) || i >= qsizetype(t.size()))
            return true;
        if (isWord(t[i], "values")) {
            for (qsizetype g = nextSolid(t, i + 1); g < qsizetype(t.size()) && isPunct(t[g], "(");) {
                const qsizetype close = matchingClose(t, g);
                if (close < 0)
                    return true;
                const auto parts = splitList(t, g + 1, close);
                for (qsizetype k = 0; k < parts.size() && k < dateAt.size(); ++k)
                    if (dateAt[k])
                        wrapDate(t, parts[k].first, parts[k].second, spans);
                g = nextSolid(t, close + 1);
                if (g < qsizetype(t.size()) && isPunct(t[g], ","))
                    g = nextSolid(t, g + 1);
                else
                    break;
            }
        } else if (isWord(t[i], "select")) {
            qsizetype from = nextSolid(t, i + 1);
            if (from < qsizetype(t.size()) && (isWord(t[from], "distinct") || isWord(t[from], "all")))
                from = from + 1;
            qsizetype end = findKeyword(t, from, {"from"});
            if (end < 0)
                end = qsizetype(t.size());
            const auto parts = splitList(t, from, end);
            for (qsizetype k = 0; k < parts.size() && k < dateAt.size(); ++k) {
                const qsizetype solid = nextSolid(t, parts[k].first);
                if (dateAt[k] && !(solid < parts[k].second && isPunct(t[solid], "*")))
                    wrapDate(t, parts[k].first, parts[k].second, spans);
            }
        }
    } else if (kind == JetStatementKind::Update) {
        const qsizetype tableAt = nextSolid(t, nextSolid(t, 0) + 1);
        if (tableAt >= qsizetype(t.size()) || !isName(t[tableAt]))
            return true;
        const QList<JetColumn> columns = lookup(nameOf(t[tableAt]));
        const qsizetype set = findKeyword(t, tableAt + 1, {"set"});
        if (columns.isEmpty() || set < 0)
            return true;
        qsizetype end = findKeyword(t, set + 1, {"where"});
        if (end < 0)
            end = qsizetype(t.size());
        for (const auto &[from, to] : splitList(t, set + 1, end)) {
            qsizetype nameAt = nextSolid(t, from);
            // "table.column = value" names the column last
            qsizetype eq = nameAt;
            while (eq < to && !isPunct(t[eq], "="))
                ++eq;
            if (eq >= to) {
                error = QStringLiteral("an assignment needs \"=\"");
                return false;
            }
            const qsizetype colAt = previousSolid(t, eq - 1);
            if (colAt < nameAt || !isName(t[colAt]))
                continue;
            for (const JetColumn &c : columns)
                if (c.isDate && c.name.compare(nameOf(t[colAt]), Qt::CaseInsensitive) == 0)
                    wrapDate(t, eq + 1, to, spans);
        }
    }
    applyDateWraps(t, spans);
    return true;
}

using ColumnDefinition = QString (*)(const QString &column, const QString &jetType, int length);

// The Jet column types by what they hold; both engines declare each kind their way.
enum class JetType { Unknown, Counter, Text, Memo, Double, Integer, Date, Boolean, Binary };

JetType jetTypeOf(const QString &jetType)
{
    static const QHash<QString, JetType> kinds = [] {
        QHash<QString, JetType> k;
        const auto add = [&k](JetType kind, std::initializer_list<const char *> names) {
            for (const char *n : names)
                k.insert(QLatin1String(n), kind);
        };
        add(JetType::Counter, {"counter", "autoincrement", "identity"});
        add(JetType::Text, {"text", "varchar", "char", "nvarchar", "nchar", "character", "string", "alphanumeric"});
        add(JetType::Memo, {"memo", "longtext", "longchar", "note", "ntext", "hyperlink"});
        add(JetType::Double, {"double", "float", "float8", "ieeedouble", "number", "numeric", "decimal", "currency",
                              "money", "real", "single", "float4", "ieeesingle"});
        add(JetType::Integer, {"long", "integer", "int", "integer4", "short", "smallint", "integer2", "byte", "tinyint",
                               "integer1"});
        add(JetType::Date, {"datetime", "date", "time", "timestamp"});
        add(JetType::Boolean, {"bit", "yesno", "logical", "logical1", "boolean"});
        add(JetType::Binary, {"binary", "varbinary", "longbinary", "oleobject", "general", "image"});
        return k;
    }();
    return kinds.value(jetType.toLower(), JetType::Unknown);
}

QString quotedName(const QString &column)
{
    return u'"' + QString(column).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

bool translateCreateTable(Tokens &t, ColumnDefinition columnDefinition, QString &error)
{
    const qsizetype tableWord = findKeyword(t, 0, {"table"});
    if (tableWord < 0)
        return true; // CREATE INDEX and the like pass as they are
    qsizetype open = tableWord + 1;
    while (open < qsizetype(t.size()) && !isPunct(t[open], "("))
        ++open;
    const qsizetype close = open < qsizetype(t.size()) ? matchingClose(t, open) : -1;
    if (close < 0)
        return true;
    Tokens out(t.begin(), t.begin() + open + 1);
    bool first = true;
    for (const auto &[from, to] : splitList(t, open + 1, close)) {
        if (!first)
            out.push_back({Tok::Punct, QStringLiteral(",")});
        first = false;
        const qsizetype nameAt = nextSolid(t, from);
        if (nameAt >= to)
            continue;
        static const char *tableConstraints[] = {"constraint", "primary", "unique", "foreign", "check"};
        bool isConstraint = false;
        for (const char *w : tableConstraints)
            isConstraint = isConstraint || isWord(t[nameAt], w);
        const qsizetype typeAt = nextSolid(t, nameAt + 1);
        if (isConstraint || typeAt >= to || t[typeAt].kind != Tok::Word) {
            append(out, slice(t, from, to - 1));
            continue;
        }
        int length = 0;
        qsizetype rest = typeAt + 1;
        const qsizetype paren = nextSolid(t, rest);
        if (paren < to && isPunct(t[paren], "(")) {
            const qsizetype pclose = matchingClose(t, paren);
            if (pclose < 0 || pclose >= to)
                return false;
            const qsizetype num = nextSolid(t, paren + 1);
            if (num < pclose && t[num].kind == Tok::Number)
                length = t[num].text.toInt();
            rest = pclose + 1;
        }
        const QString column = t[nameAt].kind == Tok::Quoted ? nameOf(t[nameAt]) : t[nameAt].text;
        const QString definition = columnDefinition(column, t[typeAt].text, length);
        if (definition.isEmpty()) {
            error = QStringLiteral("unknown column type %1").arg(t[typeAt].text);
            return false;
        }
        out.push_back(t[nameAt]);
        out.push_back({Tok::Space, QStringLiteral(" ")});
        out.push_back({Tok::Word, definition});
        const bool counter = jetTypeOf(t[typeAt].text) == JetType::Counter;
        for (qsizetype k = rest; k < to; ++k) {
            // a counter is the key already
            if (counter && (isWord(t[k], "primary") || isWord(t[k], "key") || isWord(t[k], "not") || isWord(t[k], "null")))
                continue;
            out.push_back(t[k]);
        }
    }
    out.insert(out.end(), t.begin() + close, t.end());
    t = std::move(out);
    return true;
}

// Numbers that follow these become parameters; elsewhere (ORDER BY 1, LIMIT) they stay text.
bool liftsNumberAfter(const Token &t)
{
    if (t.kind != Tok::Punct)
        return false;
    static const char *const operators[] = {"=", "<", ">", "<=", ">=", "<>", "!=", "(", ",", "+", "-", "*", "/"};
    for (const char *op : operators)
        if (t.text == QLatin1String(op))
            return true;
    return false;
}

void markLifts(Tokens &t)
{
    std::vector<bool> inBy{false};
    for (qsizetype i = 0; i < qsizetype(t.size()); ++i) {
        Token &k = t[i];
        if (isPunct(k, "(")) {
            inBy.push_back(false);
        } else if (isPunct(k, ")")) {
            if (inBy.size() > 1)
                inBy.pop_back();
        } else if (k.kind == Tok::Word) {
            if (isWord(k, "by")) {
                const qsizetype before = previousSolid(t, i - 1);
                if (before >= 0 && (isWord(t[before], "order") || isWord(t[before], "group")))
                    inBy.back() = true;
            } else if (isWord(k, "where") || isWord(k, "having") || isWord(k, "limit") || isWord(k, "union")
                       || isWord(k, "from") || isWord(k, "select")) {
                inBy.back() = false;
            }
        } else if (k.kind == Tok::String || k.kind == Tok::Date) {
            k.lift = true;
        } else if (k.kind == Tok::Number && !inBy.back()) {
            const qsizetype before = previousSolid(t, i - 1);
            k.lift = before >= 0 && liftsNumberAfter(t[before]);
        }
    }
}

QString quoted(const QString &text)
{
    QString q = text;
    q.replace(u'\'', QStringLiteral("''"));
    return u'\'' + q + u'\'';
}

QVariant numberValue(const QString &text)
{
    // A number token is ASCII digits, a point and an exponent; std::from_chars reads it many
    // times faster than Qt's general parser, which cost more than the insert it feeds.
    char buffer[64];
    const qsizetype n = text.size();
    if (n > 0 && n < qsizetype(sizeof buffer)) {
        bool integral = true;
        for (qsizetype i = 0; i < n; ++i) {
            const char16_t c = text[i].unicode();
            buffer[i] = c < 0x80 ? char(c) : '?';
            integral = integral && c >= u'0' && c <= u'9';
        }
        if (integral) {
            qint64 v = 0;
            const auto [end, error] = std::from_chars(buffer, buffer + n, v);
            if (error == std::errc() && end == buffer + n)
                return v;
        } else {
            double v = 0;
            const auto [end, error] = std::from_chars(buffer, buffer + n, v);
            if (error == std::errc() && end == buffer + n)
                return v;
        }
    }
    bool ok = false;
    if (!text.contains(u'.') && !text.contains(u'e') && !text.contains(u'E')) {
        const qint64 v = text.toLongLong(&ok);
        if (ok)
            return v;
    }
    return text.toDouble();
}

} // namespace

QString sqliteColumnDefinition(const QString &column, const QString &jetType, int length)
{
    const QString name = quotedName(column);
    switch (jetTypeOf(jetType)) {
    case JetType::Counter:
        return QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    case JetType::Text:
        return QStringLiteral("TEXT(%1) COLLATE NOCASE CHECK (length(%2) <= %1)").arg(length > 0 ? length : 255).arg(name);
    case JetType::Memo:
        return QStringLiteral("LONGTEXT COLLATE NOCASE");
    case JetType::Double:
        return QStringLiteral("DOUBLE CHECK (typeof(%1) IN ('real', 'null'))").arg(name);
    case JetType::Integer:
        return QStringLiteral("INTEGER CHECK (typeof(%1) IN ('integer', 'null'))").arg(name);
    case JetType::Date:
        return QStringLiteral("DATETIME CHECK (%1 IS NULL OR %1 GLOB '[0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9]' OR "
                              "%1 GLOB '[0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9]')")
            .arg(name);
    case JetType::Boolean:
        return QStringLiteral("BOOLEAN");
    case JetType::Binary:
        return QStringLiteral("BLOB");
    case JetType::Unknown:
        break;
    }
    return {};
}

QString postgresColumnDefinition(const QString &column, const QString &jetType, int length)
{
    switch (jetTypeOf(jetType)) {
    case JetType::Counter:
        return QStringLiteral("integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY");
    case JetType::Text:
        // varchar counts characters; the check counts UTF-16 units, as Jet and the files do.
        return QStringLiteral("varchar(%1) COLLATE kelm.chinese CHECK (kelm.jetlength(%2) <= %1)")
            .arg(length > 0 ? length : 255)
            .arg(quotedName(column));
    case JetType::Memo:
        return QStringLiteral("text COLLATE kelm.chinese");
    case JetType::Double:
        return QStringLiteral("numeric"); // amounts are kept exact
    case JetType::Integer:
        return QStringLiteral("integer");
    case JetType::Date:
        return QStringLiteral("timestamp(0)");
    case JetType::Boolean:
        return QStringLiteral("smallint"); // Jet's True is -1
    case JetType::Binary:
        return QStringLiteral("bytea");
    case JetType::Unknown:
        break;
    }
    return {};
}

QString numberedParameters(const QString &sql)
{
    QString out;
    out.reserve(sql.size() + 16);
    int n = 0;
    QChar quote;
    for (const QChar c : sql) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u'?') {
            out += u'$' + QString::number(++n);
            continue;
        }
        out += c;
    }
    return out;
}

namespace {

bool isLiteral(const Token &t)
{
    return t.kind == Tok::String || t.kind == Tok::Date || t.kind == Tok::Number;
}

// In a statement's shape, a value stands as a mark of its kind.
void appendMark(QString &key, Tok kind)
{
    key += QChar(u'\x01');
    key += QChar(char16_t(u'0' + int(kind)));
}

// The statement with each value replaced by a mark of its kind.
QString shapeOf(const Tokens &t, qsizetype length)
{
    QString key;
    key.reserve(length);
    for (const Token &k : t) {
        if (isLiteral(k))
            appendMark(key, k.kind);
        else
            key += k.text;
    }
    return key;
}

// The shape and the values of a statement in one reading, without keeping its tokens: the
// statements a program runs over and over differ only in their values, and most are found this
// way. False when a value cannot be read; the whole translation then tells why.
bool shapeAndValues(const QString &text, QString &key, QList<QVariant> &values)
{
    key.reserve(text.size());
    bool valuesRead = true;
    QString error;
    const bool read = scan(
        text,
        [&](Tok kind, const QString &part) {
            switch (kind) {
            case Tok::String:
                values.append(part);
                break;
            case Tok::Number:
                values.append(numberValue(part));
                break;
            case Tok::Date: {
                bool ok = false;
                const QDateTime when = parseDateText(part, &ok);
                valuesRead = valuesRead && ok;
                values.append(canonicalDateText(when));
                break;
            }
            default:
                key += part;
                return;
            }
            appendMark(key, kind);
        },
        error);
    return read && valuesRead;
}

} // namespace

JetStatement translateJet(const QString &text, const JetTableLookup &lookup, JetShapes *shapes, JetTarget target)
{
    const bool postgres = target == JetTarget::Postgres;
    JetStatement result;
    if (shapes && !shapes->isEmpty()) {
        QString key;
        QList<QVariant> values;
        if (shapeAndValues(text, key, values)) {
            const auto known = shapes->constFind(key);
            if (known != shapes->constEnd()) {
                result.sql = known->sql;
                result.kind = known->kind;
                result.values = std::move(values);
                return result;
            }
        }
    }
    Tokens t;
    if (!tokenize(text, t, result.error))
        return result;

    // One statement only; trailing semicolons are allowed.
    for (qsizetype i = 0; i < qsizetype(t.size()); ++i) {
        if (!isPunct(t[i], ";"))
            continue;
        for (qsizetype j = i; j < qsizetype(t.size()); ++j) {
            if (t[j].kind != Tok::Space && !isPunct(t[j], ";")) {
                result.error = QStringLiteral("more than one statement");
                return result;
            }
        }
        t.resize(i);
        break;
    }
    const qsizetype first = nextSolid(t, 0);
    if (first >= qsizetype(t.size())) {
        result.error = QStringLiteral("empty statement");
        return result;
    }
    static const QList<std::pair<const char *, JetStatementKind>> kinds = {
        {"select", JetStatementKind::Select}, {"insert", JetStatementKind::Insert},
        {"update", JetStatementKind::Update}, {"delete", JetStatementKind::Delete},
        {"create", JetStatementKind::Create}, {"drop", JetStatementKind::Drop},
        {"alter", JetStatementKind::Alter}};
    for (const auto &[word, kind] : kinds)
        if (isWord(t[first], word))
            result.kind = kind;

    const bool parameters = result.kind == JetStatementKind::Select || result.kind == JetStatementKind::Insert
        || result.kind == JetStatementKind::Update || result.kind == JetStatementKind::Delete;
    // Known shapes were looked for on entry; this one's is kept below once it is translated.
    const QString shape = shapes && parameters ? shapeOf(t, text.size()) : QString();

    for (const Token &k : t) {
        if (k.kind == Tok::Quoted && k.text.startsWith(QLatin1String("[Excel 8.0;"), Qt::CaseInsensitive)) {
            result.excelTarget = owned(bracketed(k.text));
            break;
        }
    }

    for (Token &k : t) {
        if (k.kind != Tok::Date)
            continue;
        bool ok = false;
        const QDateTime when = parseDateText(k.text, &ok);
        if (!ok) {
            result.error = QStringLiteral("#%1# is no date").arg(k.text);
            return result;
        }
        k.text = canonicalDateText(when);
    }
    if (!rewriteConcatenation(t, postgres ? "concat" : "jetcat", postgres, result.error))
        return result;
    if (result.kind == JetStatementKind::Create
        && !translateCreateTable(t, postgres ? postgresColumnDefinition : sqliteColumnDefinition, result.error)) {
        if (result.error.isEmpty())
            result.error = QStringLiteral("cannot read the table definition");
        return result;
    }
    if (!wrapDateAssignments(t, result.kind, lookup, result.error))
        return result;

    if (parameters)
        markLifts(t);
    bool everyValueLifted = true;

    QString sql;
    sql.reserve(text.size() + 32);
    const auto mark = [&] {
        if (postgres)
            sql += u'$' + QString::number(result.values.size() + 1);
        else
            sql += u'?';
    };
    for (const Token &k : t) {
        switch (k.kind) {
        case Tok::String:
        case Tok::Date:
            if (k.lift) {
                mark();
                result.values.append(k.text);
            } else {
                sql += quoted(k.text);
                everyValueLifted = false;
            }
            break;
        case Tok::Number:
            if (k.lift) {
                mark();
                result.values.append(numberValue(k.text));
            } else {
                sql += k.text;
                everyValueLifted = false;
            }
            break;
        case Tok::Quoted:
            // PostgreSQL knows no brackets, and folds the program's unquoted names to lower case.
            if (postgres)
                sql += quotedName(bracketed(k.text).toLower());
            // SQLite reads no "]]" inside brackets; such a name goes to it in double quotes.
            else if (k.text.startsWith(u'[') && k.text.contains(QLatin1String("]]")))
                sql += u'"' + bracketed(k.text).replace(u'"', QLatin1String("\"\"")) + u'"';
            else
                sql += k.text;
            break;
        case Tok::Param:
            // Jet statements carry no parameters of their own; a "?" is a value nobody gave.
            result.error = QStringLiteral("a statement cannot hold \"?\"");
            return result;
        default:
            sql += k.text;
        }
    }
    result.sql = sql;
    // A shape is kept only when every value travels as a parameter, so the text is the same for all.
    if (!shape.isEmpty() && everyValueLifted && result.excelTarget.isEmpty()) {
        if (shapes->size() > 256)
            shapes->clear();
        shapes->insert(shape, {sql, result.kind});
    }
    return result;
}

namespace {

// The tokens back as Jet text.
QString render(const Tokens &t, qsizetype from, qsizetype to)
{
    QString out;
    for (qsizetype i = from; i < to; ++i) {
        const Token &k = t[size_t(i)];
        if (k.kind == Tok::String)
            out += quoted(k.text);
        else if (k.kind == Tok::Date)
            out += u'#' + k.text + u'#';
        else
            out += k.text;
    }
    return out;
}

bool isWorkbook(const Token &t)
{
    return t.kind == Tok::Quoted && t.text.startsWith(QLatin1String("[Excel 8.0;"), Qt::CaseInsensitive);
}

QString workbookPath(const Token &t)
{
    const QString inside = bracketed(t.text);
    const qsizetype at = inside.indexOf(QLatin1String("DATABASE="), 0, Qt::CaseInsensitive);
    return at < 0 ? QString() : owned(inside.mid(at + 9));
}

// "[name$]" as a worksheet name, or empty text.
QString worksheetOf(const Token &t)
{
    if (t.kind != Tok::Quoted || !t.text.startsWith(u'[') || !t.text.endsWith(QLatin1String("$]")))
        return {};
    const QString name = bracketed(t.text);
    return owned(name.left(name.size() - 1));
}

} // namespace

WorkbookStatement splitWorkbookStatement(const QString &text)
{
    WorkbookStatement w;
    Tokens t;
    if (!tokenize(text, t, w.error))
        return w;
    const qsizetype n = qsizetype(t.size());
    for (qsizetype i = 0; i < n; ++i) {
        if (!isWorkbook(t[size_t(i)]))
            continue;
        w.path = workbookPath(t[size_t(i)]);
        const QString inside = bracketed(t[size_t(i)].text);
        const qsizetype database = inside.indexOf(QLatin1String("DATABASE="), 0, Qt::CaseInsensitive);
        for (const QString &option : inside.left(database).split(u';'))
            if (option.startsWith(QLatin1String("CharacterSet="), Qt::CaseInsensitive))
                w.characterSet = option.mid(13).trimmed();
        if (w.path.isEmpty() || i + 2 >= n || !isPunct(t[size_t(i + 1)], ".") || !isName(t[size_t(i + 2)])) {
            w.error = QStringLiteral("a workbook needs a worksheet after its name");
            return w;
        }
        const Token &sheet = t[size_t(i + 2)];
        const qsizetype into = previousSolid(t, i - 1);
        if (into >= 0 && isWord(t[size_t(into)], "into") && isWord(t[size_t(nextSolid(t, 0))], "select")) {
            w.form = WorkbookStatement::Export;
            w.sheet = owned(nameOf(sheet));
            w.statement = render(t, 0, into) + render(t, i + 3, n);
        } else {
            w.sheet = worksheetOf(sheet);
            if (w.sheet.isEmpty()) {
                w.error = QStringLiteral("a worksheet is read as [name$]");
                return w;
            }
            w.form = WorkbookStatement::Import;
            w.statement = render(t, 0, i) + render(t, i + 2, n);
        }
        return w;
    }
    w.error = QStringLiteral("the statement names no workbook");
    return w;
}

QStringList worksheetReferences(const QString &text)
{
    Tokens t;
    QString error;
    QStringList sheets;
    if (!tokenize(text, t, error))
        return sheets;
    for (const Token &k : t) {
        const QString sheet = worksheetOf(k);
        if (!sheet.isEmpty() && !sheets.contains(sheet, Qt::CaseInsensitive))
            sheets.append(sheet);
    }
    return sheets;
}
