#include "datetext.h"

#include <cmath>

static QString two(int n)
{
    return QString::number(n).rightJustified(2, u'0');
}

static QString year(int y)
{
    // All the year's digits, at least four so that texts sort as dates do.
    return QString::number(y).rightJustified(4, u'0');
}

QString dateText(const QDateTime &value, int format)
{
    if (!value.isValid())
        return {};
    const QDate d = value.date();
    const QTime t = value.time();
    const QString ymd = year(d.year()) + two(d.month()) + two(d.day());
    const QString hms = two(t.hour()) + two(t.minute()) + two(t.second());
    switch (format) {
    case 0:
        return dateText(value, 1) + u' ' + dateText(value, 2);
    case 1:
        return year(d.year()) + u'-' + two(d.month()) + u'-' + two(d.day());
    case 2:
        return two(t.hour()) + u':' + two(t.minute()) + u':' + two(t.second());
    case 3:
        return year(d.year()) + QStringLiteral("年") + two(d.month()) + QStringLiteral("月") + two(d.day()) + QStringLiteral("日");
    case 4:
        return two(t.hour()) + QStringLiteral("时") + two(t.minute()) + QStringLiteral("分") + two(t.second()) + QStringLiteral("秒");
    case 5:
    case 8:
        return ymd;
    case 6:
        return QString::number(d.year()) + QStringLiteral("年") + QString::number(d.month()) + QStringLiteral("月") + QString::number(d.day())
            + QStringLiteral("日");
    case 7:
        return ymd + hms;
    case 9:
        return hms;
    default:
        return {};
    }
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

QDateTime serialToDate(double serial, bool *ok)
{
    if (ok)
        *ok = false;
    if (!(serial > -657435.0 - 1e-9 && serial < 2958466.0))
        return {};
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
    if (ok)
        *ok = true;
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(int(msecs)));
}

QString canonicalDateText(const QDateTime &value)
{
    if (!value.isValid())
        return {};
    return value.time() == QTime(0, 0) ? dateText(value, 1) : dateText(value, 0);
}
