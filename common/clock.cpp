#include "clock.h"

#include <limits>

static QDateTime fixedMoment;

QDateTime Clock::now()
{
    if (fixedMoment.isValid())
        return fixedMoment;
    // Placing a moment in the local time zone consults the zone files, which costs more than a
    // saved record; the offset found is reused for a second.
    static qint64 offsetTakenAt = std::numeric_limits<qint64>::min();
    static int offset = 0;
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    if (ms < offsetTakenAt || ms - offsetTakenAt >= 1000) {
        const QDateTime local = QDateTime::fromMSecsSinceEpoch(ms);
        offset = local.offsetFromUtc();
        offsetTakenAt = ms;
        return local;
    }
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::OffsetFromUTC, offset);
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
