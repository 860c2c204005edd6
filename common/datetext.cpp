#include "datetext.h"

#include <cmath>

namespace {

// Writes n with at least width digits; the texts are built in place, as every list row needs one.
void put(char16_t *&at, int n, int width)
{
    char16_t digits[12];
    int count = 0;
    do {
        digits[count++] = char16_t(u'0' + n % 10);
        n /= 10;
    } while (n > 0);
    for (int i = count; i < width; ++i)
        *at++ = u'0';
    while (count > 0)
        *at++ = digits[--count];
}

void put(char16_t *&at, char16_t c)
{
    *at++ = c;
}

} // namespace

QString dateText(const QDateTime &value, int format)
{
    if (!value.isValid() || format < 0 || format > 9)
        return {};
    const QDate d = value.date();
    const QTime t = value.time();
    const int y = d.year();
    if (y < 0)
        return {};
    char16_t buffer[48];
    char16_t *at = buffer;
    const bool withDate = format != 2 && format != 4 && format != 9;
    const bool withTime = format == 0 || format == 2 || format == 4 || format == 7 || format == 9;
    const int pad = format == 6 ? 1 : 2;
    if (withDate) {
        put(at, y, format == 6 ? 1 : 4);
        if (format == 0 || format == 1)
            put(at, u'-');
        else if (format == 3 || format == 6)
            put(at, u'年');
        put(at, d.month(), pad);
        if (format == 0 || format == 1)
            put(at, u'-');
        else if (format == 3 || format == 6)
            put(at, u'月');
        put(at, d.day(), pad);
        if (format == 3 || format == 6)
            put(at, u'日');
    }
    if (withTime) {
        if (format == 0)
            put(at, u' ');
        const char16_t first = format == 4 ? u'时' : u':';
        const char16_t second = format == 4 ? u'分' : u':';
        const bool separated = format == 0 || format == 2 || format == 4;
        put(at, t.hour(), 2);
        if (separated)
            put(at, first);
        put(at, t.minute(), 2);
        if (separated)
            put(at, second);
        put(at, t.second(), 2);
        if (format == 4)
            put(at, u'秒');
    }
    return QString(reinterpret_cast<const QChar *>(buffer), at - buffer);
}

QString dateText(const QDate &day, int format)
{
    return dateText(QDateTime(day, QTime(0, 0)), format);
}

namespace {

const QDate serialEpoch(1899, 12, 30);

// Reads digits from text at pos; false when there are none or too many.
bool readNumber(const QString &text, qsizetype &pos, int maxDigits, int *value)
{
    int digits = 0;
    int v = 0;
    while (pos < text.size() && text[pos].unicode() >= u'0' && text[pos].unicode() <= u'9') {
        if (++digits > maxDigits)
            return false;
        v = v * 10 + (text[pos].unicode() - u'0');
        ++pos;
    }
    *value = v;
    return digits > 0;
}

bool readTime(const QString &text, qsizetype &pos, QTime *time)
{
    int h = 0, m = 0, s = 0;
    if (!readNumber(text, pos, 2, &h) || pos >= text.size() || text[pos] != u':')
        return false;
    ++pos;
    if (!readNumber(text, pos, 2, &m))
        return false;
    if (pos < text.size() && text[pos] == u':') {
        ++pos;
        if (!readNumber(text, pos, 2, &s))
            return false;
    }
    const QTime t(h, m, s);
    if (!t.isValid())
        return false;
    *time = t;
    return true;
}

} // namespace

QDateTime parseDateText(const QString &input, bool *ok)
{
    if (ok)
        *ok = false;
    const QString text = input.trimmed();
    qsizetype pos = 0;
    QDate date = serialEpoch;
    QTime time(0, 0);
    bool haveDate = false;

    qsizetype probe = 0;
    int first = 0;
    if (readNumber(text, probe, 4, &first) && probe < text.size() && text[probe] != u':') {
        int y = first, m = 0, d = 0;
        pos = probe;
        const QChar sep = text[pos];
        if (sep == u'年') {
            ++pos;
            if (!readNumber(text, pos, 2, &m) || pos >= text.size() || text[pos] != u'月')
                return {};
            ++pos;
            if (!readNumber(text, pos, 2, &d) || pos >= text.size() || text[pos] != u'日')
                return {};
            ++pos;
        } else if (sep == u'-' || sep == u'/' || sep == u'.') {
            ++pos;
            if (!readNumber(text, pos, 2, &m) || pos >= text.size() || text[pos] != sep)
                return {};
            ++pos;
            if (!readNumber(text, pos, 2, &d))
                return {};
        } else {
            return {};
        }
        if (y < 100)
            return {}; // two-digit years are not guessed at
        date = QDate(y, m, d);
        if (!date.isValid())
            return {};
        haveDate = true;
    }
    if (haveDate) {
        qsizetype blanks = pos;
        while (blanks < text.size() && text[blanks] == u' ')
            ++blanks;
        if (blanks < text.size()) {
            if (blanks == pos)
                return {};
            pos = blanks;
            if (!readTime(text, pos, &time))
                return {};
        }
    } else if (!readTime(text, pos, &time)) {
        return {};
    }
    if (pos != text.size())
        return {};
    if (ok)
        *ok = true;
    return QDateTime(date, time);
}

double dateToSerial(const QDateTime &value)
{
    const qint64 days = serialEpoch.daysTo(value.date());
    const double fraction = value.time().msecsSinceStartOfDay() / 86400000.0;
    // Before the epoch the whole part counts back while the fraction still counts forward.
    return days >= 0 ? days + fraction : days - fraction;
}

bool serialToDate(double serial, QDate *day, QTime *time)
{
    if (!(serial > -657435.0 - 1e-9 && serial < 2958466.0))
        return false;
    const double whole = serial >= 0 ? std::floor(serial) : std::ceil(serial);
    const double fraction = std::fabs(serial - whole);
    qint64 msecs = qint64(std::llround(fraction * 86400000.0));
    // Times are kept to the second, as the stored texts are.
    msecs = (msecs + 500) / 1000 * 1000;
    QDate date = serialEpoch.addDays(qint64(whole));
    if (msecs >= 86400000) {
        msecs -= 86400000;
        date = date.addDays(serial >= 0 ? 1 : -1);
    }
    *day = date;
    *time = QTime::fromMSecsSinceStartOfDay(int(msecs));
    return true;
}

QDateTime serialToDate(double serial, bool *ok)
{
    QDate day;
    QTime time;
    const bool read = serialToDate(serial, &day, &time);
    if (ok)
        *ok = read;
    return read ? QDateTime(day, time) : QDateTime();
}

QString canonicalDateText(const QDateTime &value)
{
    if (!value.isValid())
        return {};
    return value.time() == QTime(0, 0) ? dateText(value, 1) : dateText(value, 0);
}

bool parseStoredDate(const char *s, int n, QDate *day, QTime *time)
{
    const auto number = [&](int at, int width) {
        int v = 0;
        for (int i = at; i < at + width; ++i) {
            if (s[i] < '0' || s[i] > '9')
                return -1;
            v = v * 10 + (s[i] - '0');
        }
        return v;
    };
    if ((n == 10 || n == 19) && s[4] == '-' && s[7] == '-') {
        const QDate d(number(0, 4), number(5, 2), number(8, 2));
        if (d.isValid() && d.year() >= 100) {
            if (n == 10) {
                *day = d;
                *time = QTime(0, 0);
                return true;
            }
            const QTime t(number(11, 2), number(14, 2), number(17, 2));
            if (s[10] == ' ' && s[13] == ':' && s[16] == ':' && t.isValid()) {
                *day = d;
                *time = t;
                return true;
            }
        }
    }
    bool ok = false;
    const QDateTime parsed = parseDateText(QString::fromUtf8(s, n), &ok);
    *day = parsed.date();
    *time = parsed.time();
    return ok;
}

QDateTime parseStoredDate(const char *s, int n, bool *ok)
{
    QDate day;
    QTime time;
    const bool read = parseStoredDate(s, n, &day, &time);
    if (ok)
        *ok = read;
    return read ? QDateTime(day, time) : QDateTime();
}
