#include "jetfunctions.h"

#include "common/clock.h"
#include "common/datetext.h"
#include "common/numbers.h"

#include <sqlite3.h>
#include <unicode/ucol.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <unordered_map>

namespace {

QString argumentText(sqlite3_value *v)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(v)), sqlite3_value_bytes(v));
}

// A date argument as a day and a time of day, as its digits give them: canonical texts are read
// straight from their digits, other texts through the date reader, numbers as date serials. Never
// placed in the local time zone: that costs a look at the zone's file for every row, and a time the
// zone skips (the spring-forward hour) would move. False when the value is no date.
bool argumentDate(sqlite3_value *v, QDate *day, QTime *time)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        return serialToDate(sqlite3_value_double(v), day, time);
    case SQLITE_TEXT:
        return parseStoredDate(reinterpret_cast<const char *>(sqlite3_value_text(v)), sqlite3_value_bytes(v), day, time);
    default:
        return false;
    }
}

// The same as a moment for date arithmetic, in UTC: adding hours or months counts on the calendar
// and the clock face, as Jet adds to its date serials, with no time zone's gaps or repeats.
bool argumentDate(sqlite3_value *v, QDateTime *out)
{
    QDate day;
    QTime time;
    if (!argumentDate(v, &day, &time))
        return false;
    *out = QDateTime(day, time, Qt::UTC);
    return true;
}

void resultDate(sqlite3_context *ctx, const QDateTime &value)
{
    const QByteArray text = canonicalDateText(value).toUtf8();
    sqlite3_result_text(ctx, text.constData(), int(text.size()), SQLITE_TRANSIENT);
}

void noDate(sqlite3_context *ctx)
{
    sqlite3_result_error(ctx, "the value is no date", -1);
}

// month(d), year(d), day(d), hour(d), minute(d), second(d), weekday(d)
template<int Part>
void datePart(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    QDate d;
    QTime t;
    if (!argumentDate(argv[0], &d, &t))
        return noDate(ctx);
    int value = 0;
    switch (Part) {
    case 0: value = d.year(); break;
    case 1: value = d.month(); break;
    case 2: value = d.day(); break;
    case 3: value = t.hour(); break;
    case 4: value = t.minute(); break;
    case 5: value = t.second(); break;
    case 6: value = d.dayOfWeek() % 7 + 1; break; // Sunday is 1
    }
    sqlite3_result_int(ctx, value);
}

void nowFunction(sqlite3_context *ctx, int, sqlite3_value **)
{
    const QDateTime now = Clock::now();
    resultDate(ctx, QDateTime(now.date(), QTime(now.time().hour(), now.time().minute(), now.time().second()), Qt::UTC));
}

void dateFunction(sqlite3_context *ctx, int, sqlite3_value **)
{
    resultDate(ctx, QDateTime(Clock::today(), QTime(0, 0), Qt::UTC));
}

// DateAdd(interval, number, date) with Jet's interval letters.
void dateAddFunction(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[1]) == SQLITE_NULL || sqlite3_value_type(argv[2]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    QDateTime d;
    if (!argumentDate(argv[2], &d))
        return noDate(ctx);
    const QString interval = argumentText(argv[0]).toLower();
    const qint64 n = truncateToInteger(sqlite3_value_double(argv[1]));
    QDateTime r;
    if (interval == u"yyyy")
        r = d.addYears(int(n));
    else if (interval == u"q")
        r = d.addMonths(int(n * 3));
    else if (interval == u"m")
        r = d.addMonths(int(n));
    else if (interval == u"d" || interval == u"y" || interval == u"w")
        r = d.addDays(n);
    else if (interval == u"ww")
        r = d.addDays(n * 7);
    else if (interval == u"h")
        r = d.addSecs(n * 3600);
    else if (interval == u"n")
        r = d.addSecs(n * 60);
    else if (interval == u"s")
        r = d.addSecs(n);
    else {
        sqlite3_result_error(ctx, "unknown DateAdd interval", -1);
        return;
    }
    if (!r.isValid() || r.date().year() < 100 || r.date().year() > 9999)
        return noDate(ctx);
    resultDate(ctx, r);
}

// True when the text is a valid date in the stored form "YYYY-MM-DD" or "YYYY-MM-DD hh:mm:ss";
// *midnight tells whether a time part is all zeros.
bool isStoredForm(const char *s, int n, bool *midnight)
{
    if (n != 10 && n != 19)
        return false;
    const auto digits = [&](std::initializer_list<int> at) {
        for (int i : at)
            if (s[i] < '0' || s[i] > '9')
                return false;
        return true;
    };
    const auto number = [&](int at, int width) {
        int v = 0;
        for (int i = at; i < at + width; ++i)
            v = v * 10 + (s[i] - '0');
        return v;
    };
    if (!digits({0, 1, 2, 3, 5, 6, 8, 9}) || s[4] != '-' || s[7] != '-')
        return false;
    const int year = number(0, 4);
    if (year < 100 || !QDate(year, number(5, 2), number(8, 2)).isValid())
        return false;
    *midnight = true;
    if (n == 10)
        return true;
    if (s[10] != ' ' || s[13] != ':' || s[16] != ':' || !digits({11, 12, 14, 15, 17, 18}))
        return false;
    const int h = number(11, 2), m = number(14, 2), sec = number(17, 2);
    *midnight = h == 0 && m == 0 && sec == 0;
    return h < 24 && m < 60 && sec < 60;
}

// jetdate(x): the canonical text of a date value, Null for Null; anything else makes the
// statement fail.
void jetDateFunction(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    if (sqlite3_value_type(argv[0]) == SQLITE_TEXT) {
        // Texts already in the stored form, as the program writes them, pass unchanged.
        const auto *s = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
        const int n = sqlite3_value_bytes(argv[0]);
        bool midnight = false;
        if (isStoredForm(s, n, &midnight)) {
            sqlite3_result_text(ctx, s, midnight ? 10 : n, SQLITE_TRANSIENT);
            return;
        }
    }
    QDate day;
    QTime time;
    if (!argumentDate(argv[0], &day, &time))
        return noDate(ctx);
    resultDate(ctx, QDateTime(day, time, Qt::UTC));
}

// jetcat(a, b): a & b, with Null joining as empty text.
void jetCatFunction(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    std::string joined;
    for (int i = 0; i < 2; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL)
            continue;
        if (sqlite3_value_type(argv[i]) == SQLITE_FLOAT) {
            // Whole numbers join without a decimal point, as Jet writes them.
            const double v = sqlite3_value_double(argv[i]);
            joined += QString::number(v, 'g', 15).toStdString();
            continue;
        }
        joined.append(reinterpret_cast<const char *>(sqlite3_value_text(argv[i])), size_t(sqlite3_value_bytes(argv[i])));
    }
    sqlite3_result_text(ctx, joined.data(), int(joined.size()), SQLITE_TRANSIENT);
}

// sum(x) as the engine's, but exact on amounts: values that are amounts to the cent add up as
// whole cents in 128 bits, so a total of any many amounts is the double nearest its true figure,
// never one a running double sum drifted from. Other values add up as doubles, compensated.
// Whole numbers alone sum as whole numbers and fail on overflow, as the engine's sum does.
struct SumState // zeroed by the engine before the first row
{
    __int128 cents;
    __int128 wholes;
    double other;
    double compensation;
    bool any;
    bool real;
};

void addOther(SumState *s, double v)
{
    const double t = s->other + v;
    s->compensation += std::fabs(s->other) >= std::fabs(v) ? (s->other - t) + v : (v - t) + s->other;
    s->other = t;
}

// The engine's aggregate memory is aligned to 8 bytes, the 128-bit counts need 16.
SumState *sumState(sqlite3_context *ctx, bool create)
{
    auto *raw = static_cast<char *>(sqlite3_aggregate_context(ctx, create ? int(sizeof(SumState) + alignof(SumState)) : 0));
    if (!raw)
        return nullptr;
    const auto at = reinterpret_cast<std::uintptr_t>(raw);
    return reinterpret_cast<SumState *>(raw + (alignof(SumState) - at % alignof(SumState)) % alignof(SumState));
}

void sumStep(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    SumState *s = sumState(ctx, true);
    const int type = sqlite3_value_numeric_type(argv[0]);
    if (!s || type == SQLITE_NULL)
        return;
    s->any = true;
    if (type == SQLITE_INTEGER) {
        s->wholes += sqlite3_value_int64(argv[0]);
        return;
    }
    s->real = true;
    const double v = sqlite3_value_double(argv[0]);
    qint64 cents = 0;
    if (amountCents(v, &cents) && double(cents) / 100 == v)
        s->cents += cents;
    else
        addOther(s, v);
}

void sumFinal(sqlite3_context *ctx)
{
    SumState *s = sumState(ctx, false);
    if (!s || !s->any) {
        sqlite3_result_null(ctx);
        return;
    }
    if (!s->real) {
        if (s->wholes < std::numeric_limits<qint64>::min() || s->wholes > std::numeric_limits<qint64>::max())
            sqlite3_result_error(ctx, "integer overflow", -1);
        else
            sqlite3_result_int64(ctx, qint64(s->wholes));
        return;
    }
    // Below 2^53 the cents convert exactly and one division rounds to the nearest double.
    const __int128 cents = s->cents + s->wholes * 100;
    sqlite3_result_double(ctx, double(cents) / 100 + (s->other + s->compensation));
}

// length(x) as Jet counts a text, in UTF-16 units over the whole text: a character beyond the
// Basic Multilingual Plane counts two, and a NUL counts one and ends nothing. The engine's own
// length() counts characters up to the first NUL, which let texts past a column's declared length.
// Blobs count bytes, Null stays Null, numbers count the characters of their text.
void lengthFunction(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    switch (sqlite3_value_type(argv[0])) {
    case SQLITE_NULL:
        sqlite3_result_null(ctx);
        return;
    case SQLITE_BLOB:
        sqlite3_result_int(ctx, sqlite3_value_bytes(argv[0]));
        return;
    default:
        break;
    }
    const auto *s = sqlite3_value_text(argv[0]);
    const int n = sqlite3_value_bytes(argv[0]);
    qint64 units = 0;
    for (int i = 0; i < n; ++i) {
        const unsigned char c = s[i];
        if ((c & 0xC0) != 0x80) // each character's first byte; four-byte characters are pairs
            units += c >= 0xF0 ? 2 : 1;
    }
    sqlite3_result_int64(ctx, units);
}

bool isPlainAscii(const char *s, int n)
{
    for (int i = 0; i < n; ++i) {
        const char c = s[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' '))
            return false;
    }
    return true;
}

// The Chinese ordering as the Windows program sorted: by pronunciation, letters without regard to
// case, and blanks, signs, digits and Latin letters before Chinese text. ICU's Chinese collation
// moves Chinese text to the front of the other scripts; the ordering drops that move and keeps the
// pronunciation.
class Ordering
{
public:
    Ordering()
    {
        UErrorCode status = U_ZERO_ERROR;
        collator = ucol_open("zh_CN", &status);
        ucol_setAttribute(collator, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
        ucol_setAttribute(collator, UCOL_STRENGTH, UCOL_SECONDARY, &status);
        ucol_setAttribute(collator, UCOL_NUMERIC_COLLATION, UCOL_OFF, &status);
        ucol_setAttribute(collator, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
        const int32_t noReordering = UCOL_REORDER_CODE_NONE;
        ucol_setReorderCodes(collator, &noReordering, 1, &status);
        if (U_FAILURE(status))
            qFatal("中文排序规则不可用：缺少 ICU 的排序数据");
    }
    ~Ordering() { ucol_close(collator); }
    Ordering(const Ordering &) = delete;
    Ordering &operator=(const Ordering &) = delete;

    int compare(const char *a, int an, const char *b, int bn)
    {
        // The same text is equal to itself in any ordering: the duplicate checks mostly meet these.
        if (an == bn && std::memcmp(a, b, size_t(an)) == 0)
            return 0;
        // Letters, digits and blanks order the same either way; the short road avoids the collator.
        if (isPlainAscii(a, an) && isPlainAscii(b, bn)) {
            const int n = std::min(an, bn);
            for (int i = 0; i < n; ++i) {
                const int ca = lower(a[i]);
                const int cb = lower(b[i]);
                if (ca != cb)
                    return ca < cb ? -1 : 1;
            }
            return an == bn ? 0 : (an < bn ? -1 : 1);
        }
        // Texts compare by their sort keys, always: the collator's direct comparison orders some
        // texts otherwise (the empty text before NULs it collates as nothing), so the order would
        // change with the store. Texts met again and again (sorting, grouping) keep their keys;
        // once the store is full, texts new to it get a key for this comparison only.
        std::string ownA, ownB;
        const std::string &ka = key(a, an, &ownA);
        const std::string &kb = key(b, bn, &ownB);
        const int r = std::memcmp(ka.data(), kb.data(), std::min(ka.size(), kb.size()));
        if (r != 0)
            return r < 0 ? -1 : 1;
        return ka.size() == kb.size() ? 0 : (ka.size() < kb.size() ? -1 : 1);
    }

private:
    static int lower(char c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; }

    const std::string &key(const char *s, int n, std::string *own)
    {
        std::string text(s, size_t(n));
        auto found = keys.find(text);
        if (found != keys.end())
            return found->second;
        if (keys.size() >= 20000) {
            *own = sortKey(s, n);
            return *own;
        }
        return keys.emplace(std::move(text), sortKey(s, n)).first->second;
    }

    // The collator's key of the text, without the closing zero byte.
    std::string sortKey(const char *s, int n) const
    {
        const QString text = QString::fromUtf8(s, n);
        const auto *units = reinterpret_cast<const UChar *>(text.utf16());
        std::string key(size_t(text.size()) * 4 + 16, '\0');
        int32_t length = ucol_getSortKey(collator, units, int32_t(text.size()), reinterpret_cast<uint8_t *>(key.data()),
                                         int32_t(key.size()));
        if (length > int32_t(key.size())) {
            key.resize(size_t(length));
            length = ucol_getSortKey(collator, units, int32_t(text.size()), reinterpret_cast<uint8_t *>(key.data()),
                                     int32_t(key.size()));
        }
        key.resize(size_t(std::max(length, 1) - 1));
        return key;
    }

    UCollator *collator = nullptr;

public:
    std::unordered_map<std::string, std::string> keys;
};

Ordering &ordering()
{
    static Ordering o;
    return o;
}

int collationFunction(void *, int an, const void *a, int bn, const void *b)
{
    return jetCompare(static_cast<const char *>(a), an, static_cast<const char *>(b), bn);
}

} // namespace

int jetCompare(const char *a, int aLength, const char *b, int bLength)
{
    return ordering().compare(a, aLength, b, bLength);
}

void forgetKeptSortKeys()
{
    ordering().keys.clear();
}

bool installJetFunctions(sqlite3 *db)
{
    struct Function
    {
        const char *name;
        int arguments;
        void (*call)(sqlite3_context *, int, sqlite3_value **);
        bool deterministic;
    };
    static const Function functions[] = {
        {"year", 1, datePart<0>, true},      {"month", 1, datePart<1>, true},  {"day", 1, datePart<2>, true},
        {"hour", 1, datePart<3>, true},      {"minute", 1, datePart<4>, true}, {"second", 1, datePart<5>, true},
        {"weekday", 1, datePart<6>, true},   {"now", 0, nowFunction, true},    {"date", 0, dateFunction, true},
        {"dateadd", 3, dateAddFunction, true}, {"jetdate", 1, jetDateFunction, true},
        {"jetcat", 2, jetCatFunction, true},
    };
    // now() and date() count as fixed too: the engine then reads the clock once per run of a
    // statement, not once per row, so every row of one run sees the same moment (a sum over this
    // month cannot straddle midnight) and 100,000 rows cost no 100,000 clock readings. Within one
    // run the clock's reading is a constant, which is all the engine assumes of these functions;
    // they are kept out of the schema (indexes, checks, views, triggers), where "fixed" would
    // have to hold across runs.
    for (const Function &f : functions) {
        const bool clock = f.arguments == 0;
        const int flags = SQLITE_UTF8 | (f.deterministic ? SQLITE_DETERMINISTIC : 0) | (clock ? SQLITE_DIRECTONLY : 0);
        if (sqlite3_create_function_v2(db, f.name, f.arguments, flags, nullptr, f.call, nullptr, nullptr, nullptr)
            != SQLITE_OK)
            return false;
    }
    // Text columns check their declared length with length(); it must be safe for use in a schema.
    if (sqlite3_create_function_v2(db, "length", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                                   lengthFunction, nullptr, nullptr, nullptr)
        != SQLITE_OK)
        return false;
    if (sqlite3_create_function_v2(db, "sum", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, nullptr, sumStep, sumFinal,
                                   nullptr)
        != SQLITE_OK)
        return false;
    // Text columns are declared NOCASE, so other SQLite programs still read them; here NOCASE is
    // Jet's ordering.
    return sqlite3_create_collation_v2(db, "NOCASE", SQLITE_UTF8, nullptr, collationFunction, nullptr) == SQLITE_OK;
}
