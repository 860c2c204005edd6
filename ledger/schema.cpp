#include "schema.h"

QStringList userDirectorySchema()
{
    return {QStringLiteral("create table yhlbsj (id counter primary key, yhmc text(50), yhsjkmc text(50))")};
}

QStringList ledgerSchema()
{
    return {
        QStringLiteral("create table lcsj (id counter primary key, xmlx text(30), xmmc text(50), zcje double, "
                       "srje double, ry text(20), rq datetime, tjrq datetime, gxrq datetime, bz memo)"),
        // Day ranges and month sums read the day column; the index changes no result.
        QStringLiteral("create index lcsj_rq on lcsj (rq)"),
        QStringLiteral("create table xmlxsj (id counter primary key, xmlx text(50))"),
        QStringLiteral("create table xmmcsj (id counter primary key, xmmc text(50), xmlx text(50))"),
        QStringLiteral("create table rysj (id counter primary key, ry text(50))"),
        QStringLiteral("create table yhsj (id counter primary key, yhmc text(50), yhmm text(50), tjrq datetime, "
                       "gxrq datetime, mbwt text(50), mbda text(50))"),
    };
}
