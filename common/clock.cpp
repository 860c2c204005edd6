#include "clock.h"

#include <cstdlib>
#include <string>

static QDateTime fixedMoment;

QDateTime Clock::now()
{
    if (fixedMoment.isValid())
        return fixedMoment;
    return localTime(QDateTime::currentMSecsSinceEpoch());
}

QDateTime Clock::localTime(qint64 msSinceEpoch)
{
    // Placing a moment in the local time zone consults the zone files, which costs more than a
    // saved record. Zones change their offset only on whole minutes, so the offset found is reused
    // for the rest of its minute and never across a change to or from summer time, nor after the
    // zone named by TZ changed.
    static qint64 cachedMinute = 0;
    static bool cached = false;
    static int offset = 0;
    static std::string cachedZone;
    const char *zone = std::getenv("TZ");
    const qint64 minute = msSinceEpoch >= 0 ? msSinceEpoch / 60000 : (msSinceEpoch + 1) / 60000 - 1;
    if (!cached || minute != cachedMinute || cachedZone != (zone ? zone : "")) {
        cachedZone = zone ? zone : "";
        const QDateTime local = QDateTime::fromMSecsSinceEpoch(msSinceEpoch);
        offset = local.offsetFromUtc();
        cachedMinute = minute;
        cached = true;
        return local;
    }
    return QDateTime::fromMSecsSinceEpoch(msSinceEpoch, Qt::OffsetFromUTC, offset);
}

QDate Clock::today()
{
    return now().date();
}

void Clock::setFixed(const QDateTime &moment)
{
    fixedMoment = moment;
}

void Clock::useSystemTime()
{
    fixedMoment = QDateTime();
}
