#include "clock.h"

static QDateTime fixedMoment;

QDateTime Clock::now()
{
    return fixedMoment.isValid() ? fixedMoment : QDateTime::currentDateTime();
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
