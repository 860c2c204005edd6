#include "datetext.h"

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
