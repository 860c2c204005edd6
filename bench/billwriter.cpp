#include "billwriter.h"

#include <QDateTime>
#include <QFile>
#include <QStringList>

namespace {

struct Counterparty
{
    const char *kind, *name, *goods;
    int cents; // a usual price; each trade varies it
    bool income;
};

const Counterparty counterparties[] = {
    {"商户消费", "永辉超市", "超市购物", 12850, false},     {"商户消费", "早餐铺", "包子,豆浆", 850, false},
    {"商户消费", "瑞幸咖啡", "生椰拿铁", 1590, false},       {"商户消费", "美团外卖", "午餐外卖", 3280, false},
    {"商户消费", "饿了么", "晚餐外卖", 4160, false},         {"商户消费", "滴滴出行", "快车", 2370, false},
    {"商户消费", "中国石化加油站", "92号汽油", 30000, false}, {"商户消费", "国家电网", "电费", 21500, false},
    {"商户消费", "自来水公司", "水费", 6800, false},         {"商户消费", "中国移动", "话费充值", 10000, false},
    {"商户消费", "京东商城", "日用品", 8990, false},         {"商户消费", "拼多多", "纸巾", 2990, false},
    {"商户消费", "肯德基", "套餐", 4500, false},             {"商户消费", "麦当劳", "早餐", 1800, false},
    {"商户消费", "星巴克", "美式咖啡", 3100, false},         {"商户消费", "盒马鲜生", "蔬菜水果", 6540, false},
    {"商户消费", "华润万家", "粮油", 9870, false},           {"商户消费", "物业服务中心", "物业费", 45000, false},
    {"商户消费", "大众点评", "团购餐券", 16800, false},       {"商户消费", "猫眼电影", "电影票", 7800, false},
    {"商户消费", "万达影城", "爆米花", 3500, false},         {"商户消费", "老百姓大药房", "感冒药", 4620, false},
    {"商户消费", "社区医院", "门诊缴费", 12000, false},       {"商户消费", "新华书店", "图书", 5600, false},
    {"商户消费", "哈啰出行", "单车骑行", 150, false},         {"商户消费", "地铁出行", "地铁乘车", 400, false},
    {"商户消费", "12306", "火车票", 55300, false},           {"商户消费", "携程旅行", "酒店", 48800, false},
    {"商户消费", "菜市场张记", "猪肉", 3560, false},         {"商户消费", "水果店", "苹果", 2700, false},
    {"商户消费", "理发店", "剪发", 3800, false},             {"商户消费", "洗衣店", "干洗", 2500, false},
    {"扫二维码付款", "小区便利店", "/", 1250, false},        {"扫二维码付款", "煎饼摊", "/", 900, false},
    {"扫二维码付款", "停车场", "停车费", 1000, false},       {"转账", "李四", "转账备注:还饭钱", 5000, false},
    {"转账", "王芳", "/", 20000, true},                      {"微信红包", "妈妈", "/", 20000, true},
    {"微信红包", "同事群", "/", 888, true},                  {"二维码收款", "闲鱼买家", "二手书", 3500, true},
};
constexpr int counterpartyCount = int(sizeof counterparties / sizeof *counterparties);

QString yuan(qint64 cents)
{
    return QStringLiteral("¥%1.%2").arg(cents / 100).arg(cents % 100, 2, 10, QLatin1Char('0'));
}

QString quoted(const char *text)
{
    const QString t = QString::fromUtf8(text);
    return t.contains(u',') ? u'"' + t + u'"' : t;
}

} // namespace

bool writeWeChatBill(const QString &path, int rows, qint64 firstTrade)
{
    QStringList lines;
    quint32 seed = 20240101;
    const auto next = [&seed](quint32 below) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % below;
    };
    QDateTime time(QDate(2024, 1, 1), QTime(7, 30));
    qint64 trade = firstTrade;
    qint64 income = 0, expense = 0, neutral = 0;
    int incomeCount = 0, expenseCount = 0, neutralCount = 0;
    const auto row = [&](const QString &kind, const QString &name, const QString &goods, const QString &direction,
                         qint64 cents, const QString &status, qint64 number, const QString &merchant) {
        lines.append(QStringList{time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")), kind, name, goods, direction,
                                 yuan(cents), QStringLiteral("零钱"), status,
                                 QStringLiteral("42000%1\t").arg(number, 14, 10, QLatin1Char('0')), merchant,
                                 QStringLiteral("/")}
                         .join(u','));
        if (direction == QStringLiteral("收入"))
            income += cents, ++incomeCount;
        else if (direction == QStringLiteral("支出"))
            expense += cents, ++expenseCount;
        else
            neutral += cents, ++neutralCount;
    };
    while (int(lines.size()) < rows) {
        // A few trades a day, between breakfast and late evening.
        const QDate day = time.date();
        time = time.addSecs(1800 + qint64(next(5 * 3600)));
        if (time.date() != day || time.time().hour() >= 22)
            time = QDateTime(day.addDays(1), QTime(7, 0).addSecs(qint64(next(3600))));
        const qint64 number = trade++;
        const QString merchant = QStringLiteral("M%1\t").arg(number);
        const int pick = int(next(100));
        if (pick < 3) {
            // Change taken out to the bank card: no money leaves the household.
            row(QStringLiteral("零钱提现"), QStringLiteral("招商银行(1234)"), QStringLiteral("/"), QStringLiteral("/"),
                10000 + next(40000), QStringLiteral("提现已到账"), number, QStringLiteral("/"));
            continue;
        }
        const Counterparty &c = counterparties[next(counterpartyCount)];
        const qint64 cents = c.cents / 2 + next(quint32(c.cents));
        const bool refunded = !c.income && pick < 6;
        row(QString::fromUtf8(c.kind), QString::fromUtf8(c.name), quoted(c.goods),
            c.income ? QStringLiteral("收入") : QStringLiteral("支出"), cents,
            refunded ? QStringLiteral("已全额退款")
                     : c.income ? QStringLiteral("已存入零钱") : QStringLiteral("支付成功"),
            number, c.income ? QStringLiteral("/") : merchant);
        if (refunded && int(lines.size()) < rows) {
            time = time.addSecs(1800);
            row(QString::fromUtf8(c.kind) + QStringLiteral("-退款"), QString::fromUtf8(c.name), quoted(c.goods),
                QStringLiteral("收入"), cents, QStringLiteral("已全额退款"), trade++, merchant);
        }
    }
    const QString last = time.toString(QStringLiteral("yyyy-MM-dd 23:59:59"));
    const auto summary = [](int count, qint64 cents) {
        return QStringLiteral("%1笔 %2元").arg(count).arg(yuan(cents).mid(1));
    };
    const QStringList preamble{
        QStringLiteral("微信支付账单明细"),
        QStringLiteral("微信昵称：[张三]"),
        QStringLiteral("起始时间：[2024-01-01 00:00:00] 终止时间：[%1]").arg(last),
        QStringLiteral("导出类型：[全部]"),
        QStringLiteral("导出时间：[%1]").arg(last),
        QString(),
        QStringLiteral("共%1笔记录").arg(lines.size()),
        QStringLiteral("收入：") + summary(incomeCount, income),
        QStringLiteral("支出：") + summary(expenseCount, expense),
        QStringLiteral("中性交易：") + summary(neutralCount, neutral),
        QStringLiteral("注："),
        QStringLiteral("1. 充值/提现/理财通购买/零钱通存取/信用卡还款等交易，将计入中性交易"),
        QStringLiteral("2. 除微信零钱之外，其他支付方式发生的交易，请以对应支付方式的账单为准"),
        QStringLiteral("3. 如有任何疑问，请联系客服"),
        QString(),
        QStringLiteral("----------------------微信支付账单明细列表--------------------"),
        QStringLiteral("交易时间,交易类型,交易对方,商品,收/支,金额(元),支付方式,当前状态,交易单号,商户单号,备注"),
    };
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray bytes = "\xEF\xBB\xBF" + (preamble + lines).join(QStringLiteral("\r\n")).toUtf8() + "\r\n";
    return file.write(bytes) == bytes.size() && file.flush();
}
