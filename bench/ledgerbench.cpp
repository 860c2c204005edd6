#include "ledgerbench.h"

#include "dataaccess/databasefile.h"
#include "dataaccess/dbconnection.h"
#include "ledger/templates.h"

#include <QDate>
#include <QFile>
#include <QTemporaryDir>
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

QString ledgerFileWith(const QString &path, const std::function<void(DbConnection &)> &fill)
{
    if (QFile::exists(path))
        return path;
    writeTemplate(ledgerTemplate(), path);
    DbConnection c;
    c.OpenJet(path, databasePassword);
    fill(c);
    return path;
}

QString ledgerWithRecords(int records)
{
    static QTemporaryDir dir;
    return ledgerFileWith(dir.filePath(QStringLiteral("ledger%1.dat").arg(records)),
                          [records](DbConnection &c) { addThirtyYears(c, records); });
}

namespace {

struct Item
{
    const char16_t *type, *name;
    int weight;          // how often it comes, out of the sum of all weights
    int lowest, highest; // whole yuan
    bool income = false;
};

const Item household[] = {
    {u"餐饮", u"早餐", 90, 5, 25},          {u"餐饮", u"午餐", 90, 15, 60},       {u"餐饮", u"晚餐", 80, 20, 150},
    {u"餐饮", u"水果", 40, 10, 60},         {u"餐饮", u"买菜", 90, 20, 120},      {u"交通", u"地铁", 50, 3, 10},
    {u"交通", u"公交", 30, 2, 4},           {u"交通", u"加油", 20, 200, 400},     {u"交通", u"打车", 20, 15, 80},
    {u"居住", u"房租", 8, 2500, 3200},      {u"居住", u"水电费", 8, 150, 400},    {u"居住", u"燃气费", 6, 60, 200},
    {u"居住", u"物业费", 4, 200, 300},      {u"购物", u"日用品", 40, 20, 200},    {u"购物", u"衣服", 15, 100, 800},
    {u"购物", u"家电", 3, 500, 4000},       {u"医疗", u"药品", 10, 20, 200},      {u"医疗", u"体检", 2, 300, 900},
    {u"教育", u"学费", 2, 3000, 6000},      {u"教育", u"书籍", 10, 30, 200},      {u"教育", u"培训班", 4, 500, 2000},
    {u"娱乐", u"电影", 10, 40, 120},        {u"娱乐", u"旅游", 2, 2000, 8000},    {u"娱乐", u"健身", 5, 100, 300},
    {u"人情", u"红包", 8, 200, 1000},       {u"人情", u"礼物", 6, 100, 600},      {u"通讯", u"话费", 8, 50, 150},
    {u"工资", u"工资", 26, 9000, 12000, true}, {u"工资", u"奖金", 4, 3000, 20000, true}, {u"理财", u"利息", 6, 50, 600, true},
    {u"理财", u"基金收益", 4, 100, 3000, true}, {u"副业", u"稿费", 5, 500, 3000, true},
};

} // namespace

void addHousehold(DbConnection &connection, int count, const QDate &first, const QDate &last)
{
    int totalWeight = 0;
    for (const Item &item : household)
        totalWeight += item.weight;
    quint64 state = 20121215;
    const auto next = [&state](quint64 below) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return (state >> 33) % below;
    };
    const qint64 days = first.daysTo(last) + 1;
    connection.BeginTrans();
    for (int i = 0; i < count; ++i) {
        int pick = int(next(quint64(totalWeight)));
        const Item *item = household;
        while (pick >= item->weight)
            pick -= item->weight, ++item;
        const double amount = double(item->lowest + qint64(next(quint64(item->highest - item->lowest + 1))))
            + double(next(100)) / 100;
        const QString shown = QString::number(amount, 'f', 2);
        connection.Execute(QStringLiteral("insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq,bz,tjrq,gxrq) values ('%1','%2',%3,%4,'%5','%6','','2012-12-15 20:30:05','2012-12-15 20:30:05')")
                               .arg(QString::fromUtf16(item->type), QString::fromUtf16(item->name),
                                    item->income ? QStringLiteral("0") : shown, item->income ? shown : QStringLiteral("0"),
                                    next(3) == 0 ? QStringLiteral("李四") : QStringLiteral("张三"),
                                    first.addDays(qint64(i) * days / count).toString(Qt::ISODate)));
    }
    connection.CommitTrans();
}

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

qsizetype rawDetailQuery(sqlite3 *db, const char *first, const char *last)
{
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(db, "select * from lcsj where rq>=? and rq<=? order by rq", -1, &s, nullptr);
    sqlite3_bind_text(s, 1, first, -1, SQLITE_STATIC);
    sqlite3_bind_text(s, 2, last, -1, SQLITE_STATIC);
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
