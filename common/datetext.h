#pragma once
// The one date-text operation. Format numbers:
//  0 YYYY-MM-DD hh:mm:ss   1 YYYY-MM-DD        2 hh:mm:ss          3 YYYY年MM月DD日
//  4 hh时mm分ss秒          5 YYYYMMDD          6 like 3 without leading zeros
//  7 YYYYMMDDhhmmss        8 same as 5         9 hhmmss
// Records and ranges use 1, the added-at and updated-at stamps 0. An invalid value or an
// unknown format gives empty text.
#include <QDateTime>
#include <QString>

QString dateText(const QDateTime &value, int format);
QString dateText(const QDate &day, int format);

// Reads a date as a person or a statement writes it: "2012-11-5", "2012/11/05", "2012.11.5",
// "2012年11月5日", each optionally followed by a time "8:03" or "08:03:09", or a time alone
// (on the day the date serials start from). Years run from 100 to 9999. Anything else is no date.
QDateTime parseDateText(const QString &text, bool *ok = nullptr);

// Date serials as the Windows program stored them: days since 1899-12-30, the fraction the time
// of day (negative serials count the days back, with the fraction still forward).
double dateToSerial(const QDateTime &value);
QDateTime serialToDate(double serial, bool *ok = nullptr);
// The same as a day and a time of day, not placed in the local time zone.
bool serialToDate(double serial, QDate *day, QTime *time);

// The one stored form of a date: format 1 at midnight, format 0 otherwise.
QString canonicalDateText(const QDateTime &value);

// Reads a date from UTF-8 bytes; the stored forms are read straight from their digits, anything
// else through parseDateText.
QDateTime parseStoredDate(const char *utf8, int length, bool *ok = nullptr);
// The same as a day and a time of day, without the cost of placing them in the local time zone.
bool parseStoredDate(const char *utf8, int length, QDate *day, QTime *time);
