#pragma once
// Number formats and day serials of workbooks: which formats show a date, and how a cell's
// number maps to a date and time.
#include <QDateTime>
#include <QString>

// True when the built-in format number (no FORMAT record of its own) shows a date or a time.
bool isBuiltinDateFormat(int index);
// True when a format code shows a date or a time: its first section (the one for positive
// numbers), outside quotes, backslash escapes, brackets and the "_x" and "*x" spacers, holds one
// of the letters y m d h s (any case) or the characters 年 月 日 时 分 秒; or an elapsed-time
// bracket such as [h] or [mm].
bool isDateFormatCode(const QString &code);
// The date and time of a day serial: days since 1899-12-30 in the 1900 date system, with its
// invented 29 February 1900 (serials 1 to 59 count from 1899-12-31, 60 reads as 1900-02-28), or
// days since 1904-01-01 in the 1904 system. The time is rounded to the millisecond. An invalid
// QDateTime when the serial is no number or lies outside the years 100 to 9999.
QDateTime dateFromSerial(double serial, bool system1904);
// The day serial of a date and time in the 1900 date system (the inverse of dateFromSerial).
double serialFromDate(const QDateTime &value);
double serialFromDate(const QDate &date, const QTime &time);
