#pragma once
// The program's one clock. Everything that reads today's date or the time of day asks it, so a
// test can stand on 31 March or on Christmas Day without waiting for it.
#include <QDateTime>

class Clock
{
public:
    static QDateTime now();
    static QDate today();
    // The moment given as milliseconds since 1970 UTC, as the wall clock of the local time zone
    // (TZ) shows it.
    static QDateTime localTime(qint64 msSinceEpoch);
    // Stops the clock at a fixed moment until useSystemTime() is called.
    static void setFixed(const QDateTime &moment);
    static void useSystemTime();
};
