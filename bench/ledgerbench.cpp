#include "ledgerbench.h"

#include "dataaccess/dbconnection.h"

#include <QDate>
#include <sqlite3.h>
#include <sys/resource.h>

void addThirtyYears(DbConnection &connection, int count)
{
    connection.BeginTrans();
    for (int i = 0; i < count; ++i) {
        const QDate day = QDate(1996, 1, 1).addDays(i % 10950);
        connection.Execute(
            QStringLiteral("insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq,bz,tjrq,gxrq) values ('生活','早餐%1',%2,0.00,'张三','%3','备注%1','2012-12-15 20:30:05','2012-12-15 20:30:05')")
                .arg(i % 40)
                .arg(double(i % 997) + 0.25, 0, 'f', 2)
                .arg(day.toString(Qt::ISODate)));
    }
    connection.CommitTrans();
}

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

qsizetype rawDetailQuery(sqlite3 *db)
{
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(db, "select * from lcsj where rq>=? and rq<=? order by rq", -1, &s, nullptr);
    sqlite3_bind_text(s, 1, "1990-01-01", -1, SQLITE_STATIC);
    sqlite3_bind_text(s, 2, "2030-12-31", -1, SQLITE_STATIC);
    qsizetype rows = 0;
    qint64 bytes = 0;
    double sum = 0;
    while (sqlite3_step(s) == SQLITE_ROW) {
        for (const int column : {1, 2, 5, 6, 9}) {
            sqlite3_column_text(s, column);
            bytes += sqlite3_column_bytes(s, column);
        }
        sum += sqlite3_column_double(s, 3) + sqlite3_column_double(s, 4);
        ++rows;
    }
    sqlite3_finalize(s);
    volatile double keep = sum + double(bytes);
    (void)keep;
    return rows;
}
