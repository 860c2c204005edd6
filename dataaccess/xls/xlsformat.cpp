#include "dataaccess/xls/xlsformat.h"

#include <cmath>

bool isBuiltinDateFormat(int index)
{
    return (index >= 14 && index <= 22) || (index >= 27 && index <= 36)
           || (index >= 45 && index <= 47) || (index >= 50 && index <= 58)
           || (index >= 71 && index <= 81);
}

bool isDateFormatCode(const QString &code)
{
    // Only the first section decides: it is the one positive numbers use.
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        switch (c.unicode()) {
        case u'"': {
            const qsizetype close = code.indexOf(u'"', i + 1);
            if (close < 0)
                return false;
            i = close;
            break;
        }
        case u'[': {
            // Elapsed time ([h], [mm], [ss]) is a time; colours, conditions and locales are not.
            const qsizetype close = code.indexOf(u']', i + 1);
            if (close < 0)
                return false;
            const QString inner = code.mid(i + 1, close - i - 1).toLower();
            if (!inner.isEmpty()
                && (inner.count(u'h') == inner.size() || inner.count(u'm') == inner.size()
                    || inner.count(u's') == inner.size()))
                return true;
            i = close;
            break;
        }
        case u'\\':
        case u'_':
        case u'*':
            ++i; // the next character is shown or measured, not a format letter
            break;
        case u';':
            return false;
        case u'y': case u'Y': case u'm': case u'M': case u'd': case u'D':
        case u'h': case u'H': case u's': case u'S':
            return true;
        case u'年': case u'月': case u'日': case u'时': case u'分': case u'秒':
            return true;
        default:
            break;
        }
    }
    return false;
}

QDateTime dateFromSerial(double serial, bool system1904)
{
    if (!std::isfinite(serial))
        return {};
    double day = std::floor(serial);
    qint64 ms = std::llround((serial - day) * 86400000.0);
    if (ms >= 86400000) {
        day += 1;
        ms -= 86400000;
    }
    QDate date;
    if (system1904) {
        if (day < -700000 || day > 3000000)
            return {};
        date = QDate(1904, 1, 1).addDays(qint64(day));
    } else {
        if (day < -700000 || day > 3000000)
            return {};
        if (day >= 1 && day < 60)
            date = QDate(1899, 12, 31).addDays(qint64(day));
        else if (day == 60)
            date = QDate(1900, 2, 28); // the 29 February 1900 that never was
        else
            date = QDate(1899, 12, 30).addDays(qint64(day));
    }
    if (!date.isValid() || date.year() < 100 || date.year() > 9999)
        return {};
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(int(ms)));
}

double serialFromDate(const QDateTime &value)
{
    return serialFromDate(value.date(), value.time());
}

double serialFromDate(const QDate &date, const QTime &time)
{
    qint64 days = QDate(1899, 12, 30).daysTo(date);
    if (date >= QDate(1900, 1, 1) && date < QDate(1900, 3, 1))
        days -= 1;
    return double(days) + time.msecsSinceStartOfDay() / 86400000.0;
}
