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
