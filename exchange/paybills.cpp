#include "paybills.h"

#include "common/clock.h"
#include "common/datetext.h"
#include "common/numbers.h"
#include "common/sqltext.h"
#include "dataaccess/dbconnection.h"
#include "dataaccess/dbrecordset.h"
#include "dataaccess/xls/xlsxfile.h"
#include "exchange/autobackup.h"
#include "ledger/entry.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <cmath>

namespace {

const QString notABill = QStringLiteral("所选文件不是支付宝或微信支付的账单！");
const QString damaged = QStringLiteral("账单已损坏或不完整，未导入任何记录！");
const QString tradeLabel = QStringLiteral("交易号：");

// The columns a bill's rows are read from; the titles that must all stand in its title row.
struct BillColumns
{
    BillKind kind;
    QString time, category, counterparty, goods, direction, amount, status, trade, note;
    QString payTime, fundState; // the older Alipay bill only
};
const QList<BillColumns> billColumns{
    {BillKind::AlipayNewer, "交易时间", "交易分类", "交易对方", "商品说明", "收/支", "金额", "交易状态", "交易订单号", "备注", {}, {}},
    {BillKind::AlipayOlder, "交易创建时间", {}, "交易对方", "商品名称", "收/支", "金额（元）", "交易状态", "交易号", "备注",
     "付款时间", "资金状态"},
    {BillKind::WeChat, "交易时间", "交易类型", "交易对方", "商品", "收/支", "金额(元)", "当前状态", "交易单号", "备注", {}, {}},
};

// A field as the bills write "nothing": empty or a lone slash.
QString field(const QStringList &row, int column)
{
    if (column < 0 || column >= row.size())
        return {};
    const QString text = row[column].trimmed();
    return text == QLatin1String("/") ? QString() : text;
}

QString cellText(const XlsValue &v)
{
    return v.kind == XlsValue::Date ? v.date.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) : titleText(v);
}

// The trades a preamble or summary line announces ("共23笔记录"); -1 when the line says none.
qint64 announcedCount(const QStringList &row)
{
    static const QRegularExpression count(QStringLiteral("共\\s*(\\d+)\\s*笔记录"));
    for (const QString &cell : row)
        if (const auto m = count.match(cell); m.hasMatch())
            return m.captured(1).toLongLong();
    return -1;
}

bool isDashes(const QStringList &row)
{
    return !row.isEmpty() && row[0].trimmed().startsWith(QLatin1String("---"));
}

bool readAmount(QString text, double *amount)
{
    text.remove(u'¥').remove(u'￥').remove(u',').remove(u' ');
    bool ok = false;
    *amount = text.toDouble(&ok);
    return ok && std::isfinite(*amount) && *amount >= 0;
}

// Money moved between the person's own accounts: top-ups, withdrawals, savings funds, card repayments.
bool ownTransfer(const BillRow &row, const QString &fundState)
{
    static const QStringList words{"充值", "提现", "余额宝", "零钱通", "理财通", "信用卡还款", "转入零钱"};
    if (fundState == QStringLiteral("资金转移"))
        return true;
    for (const QString &w : words)
        if (row.category.contains(w) || row.goods.contains(w) || row.counterparty.contains(w))
            return true;
    return false;
}

// Sorts a row: expense, income, refund (income: money came back), or no money at all.
void classify(BillRow &row, QString direction, const QString &fundState)
{
    if (direction.isEmpty() && fundState == QStringLiteral("已支出"))
        direction = QStringLiteral("支出");
    if (direction.isEmpty() && fundState == QStringLiteral("已收入"))
        direction = QStringLiteral("收入");
    const bool closed = row.status.contains(QStringLiteral("关闭")) || row.status.contains(QStringLiteral("失败"));
    const bool refundWord = row.status.contains(QStringLiteral("退款")) || row.goods.startsWith(QStringLiteral("退款"))
        || row.category.contains(QStringLiteral("退款"));
    if (closed) {
        row.noMoney = QStringLiteral("交易关闭");
    } else if (direction == QStringLiteral("支出")) {
        row.income = false;
    } else if (direction == QStringLiteral("收入")) {
        row.income = true;
        row.refund = refundWord;
    } else if (refundWord) {
        // Some bills mark the money a refund brings back as neither income nor expense.
        row.income = true;
        row.refund = true;
    } else {
        row.noMoney = ownTransfer(row, fundState) ? QStringLiteral("本人账户间转账") : QStringLiteral("不计收支");
    }
}

bool readRows(const QString &path, QList<QStringList> *rows, QString *error)
{
    const RowSink sink = [rows](QList<XlsValue> &cells) {
        QStringList row;
        row.reserve(cells.size());
        for (const XlsValue &v : cells)
            row.append(cellText(v));
        rows->append(std::move(row));
        return true;
    };
    QString why;
    const bool xlsx = QFileInfo(path).suffix().compare(QLatin1String("xlsx"), Qt::CaseInsensitive) == 0;
    if (xlsx ? readXlsxRows(path, QString(), sink, &why) : readCsvRows(path, sink, &why)) {
        return true;
    }
    *error = QFileInfo::exists(path) && QFileInfo(path).size() > 0 ? damaged : notABill;
    return false;
}

} // namespace

bool readPayBill(const QString &path, PayBill *bill, QString *error)
{
    QString message;
    if (!error)
        error = &message;
    QList<QStringList> rows;
    if (!readRows(path, &rows, error))
        return false;

    // The title row is found by its titles: the bills put a preamble of varying length above it.
    const BillColumns *columns = nullptr;
    QHash<QString, int> at;
    qsizetype title = 0;
    qint64 announced = -1;
    for (; title < rows.size() && !columns; ++title) {
        QStringList titles = rows[title];
        for (QString &t : titles)
            t = t.trimmed();
        for (const BillColumns &c : billColumns) {
            const QStringList needed{c.time, c.counterparty, c.direction, c.amount, c.status, c.trade};
            if (std::all_of(needed.begin(), needed.end(), [&](const QString &t) { return titles.contains(t); })
                && (c.category.isEmpty() || titles.contains(c.category))) {
                columns = &c;
                for (int i = 0; i < titles.size(); ++i)
                    at.insert(titles[i], i);
                break;
            }
        }
        if (!columns && announcedCount(rows[title]) >= 0)
            announced = announcedCount(rows[title]);
    }
    if (!columns) {
        *error = notABill;
        return false;
    }
    const auto col = [&](const QString &t) { return t.isEmpty() ? -1 : int(at.value(t, -1)); };
    int widest = 0;
    for (const QString &t : {columns->time, columns->counterparty, columns->direction, columns->amount,
                             columns->status, columns->trade})
        widest = std::max(widest, col(t));

    PayBill read;
    read.kind = columns->kind;
    bool closedBySummary = false;
    for (qsizetype r = title; r < rows.size(); ++r) {
        const QStringList &row = rows[r];
        if (isDashes(row)) {
            // The older Alipay bill closes its rows with dashes and a summary that counts them.
            closedBySummary = true;
            for (qsizetype s = r + 1; s < rows.size(); ++s)
                if (announcedCount(rows[s]) >= 0)
                    announced = announcedCount(rows[s]);
            break;
        }
        if (std::all_of(row.begin(), row.end(), [](const QString &c) { return c.trimmed().isEmpty(); }))
            continue;
        if (row.size() <= widest) {
            *error = damaged;
            return false;
        }
        BillRow b;
        b.category = field(row, col(columns->category));
        b.counterparty = field(row, col(columns->counterparty));
        b.goods = field(row, col(columns->goods));
        b.note = field(row, col(columns->note));
        b.status = field(row, col(columns->status));
        b.tradeNumber = field(row, col(columns->trade));
        QString when = field(row, col(columns->payTime));
        if (when.isEmpty())
            when = field(row, col(columns->time));
        const QByteArray whenBytes = when.toUtf8();
        if (!parseStoredDate(whenBytes.constData(), int(whenBytes.size()), &b.day, &b.time)
            || !readAmount(field(row, col(columns->amount)), &b.amount)) {
            *error = damaged;
            return false;
        }
        classify(b, field(row, col(columns->direction)), field(row, col(columns->fundState)));
        read.rows.append(b);
    }
    if ((columns->kind == BillKind::AlipayOlder && !closedBySummary)
        || (announced >= 0 && announced != read.rows.size())) {
        *error = damaged;
        return false;
    }
    *bill = std::move(read);
    return true;
}

QString billRemark(const BillRow &row)
{
    QStringList parts;
    for (const QString &p : {row.goods, row.note})
        if (!p.isEmpty())
            parts.append(p);
    if (!row.tradeNumber.isEmpty())
        parts.append(tradeLabel + row.tradeNumber);
    return parts.join(u' ');
}

QList<BillRecord> proposedRecords(const PayBill &bill, const QString &defaultType, const QString &person,
                                  const CounterpartyChoices &choices)
{
    QList<BillRecord> records;
    records.reserve(bill.rows.size());
    for (const BillRow &row : bill.rows) {
        BillRecord r;
        r.counterparty = row.counterparty;
        r.type = row.category.isEmpty() ? defaultType : row.category;
        r.name = row.counterparty.isEmpty() ? r.type : row.counterparty;
        if (const auto chosen = choices.constFind(row.counterparty); chosen != choices.cend()) {
            r.type = chosen->type;
            r.name = chosen->name;
        }
        r.type.truncate(typeLongest);
        r.name.truncate(nameLongest);
        r.person = person.left(personLongest);
        r.remark = billRemark(row);
        r.day = row.day;
        (row.income ? r.income : r.expense) = row.amount;
        r.tradeNumber = row.tradeNumber;
        r.import = row.noMoney.isEmpty();
        records.append(r);
    }
    return records;
}

namespace {

const QString choiceTable = QStringLiteral("zdxzsj");

QSet<QString> textsOf(DbRecordset &recordset, const QString &query)
{
    QSet<QString> texts;
    recordset.OpenEach(query, [&] { texts.insert(recordset.GetText(0)); });
    return texts;
}

// The trade numbers the ledger's remarks carry already.
QSet<QString> tradeNumbersInLedger(DbRecordset &recordset)
{
    QSet<QString> numbers;
    recordset.OpenEach(QStringLiteral("select bz from lcsj"), [&] {
        const QString remark = recordset.GetText(0);
        const qsizetype at = remark.indexOf(tradeLabel);
        if (at >= 0)
            numbers.insert(remark.mid(at + tradeLabel.size()).section(u' ', 0, 0));
    });
    return numbers;
}

bool heldBySixFields(DbRecordset &recordset, const BillRecord &r)
{
    recordset.Open(QStringLiteral("select count(*) from lcsj where xmlx=") + quoteText(r.type)
                       + QStringLiteral(" and xmmc=") + quoteText(r.name) + QStringLiteral(" and zcje=")
                       + amountText(r.expense) + QStringLiteral(" and srje=") + amountText(r.income)
                       + QStringLiteral(" and ry=") + quoteText(r.person) + QStringLiteral(" and rq=")
                       + quoteText(dateText(r.day, 1)));
    return textToNumber(recordset.GetText(0)) > 0;
}

bool saveChoices(DbConnection &connection, DbRecordset &recordset, const CounterpartyChoices &choices)
{
    if (choices.isEmpty())
        return true;
    if (!recordset.Open(QStringLiteral("select count(*) from ") + choiceTable)
        && !connection.Execute(QStringLiteral("create table ") + choiceTable
                                   + QStringLiteral(" (id counter primary key, jydf text(255), xmlx text(50), xmmc text(50))")))
        return false;
    for (auto c = choices.cbegin(); c != choices.cend(); ++c) {
        if (!connection.Execute(QStringLiteral("delete from ") + choiceTable + QStringLiteral(" where jydf=")
                                    + quoteText(c.key()))
            || !connection.Execute(QStringLiteral("insert into ") + choiceTable
                                       + QStringLiteral("(jydf,xmlx,xmmc) values (") + quoteText(c.key()) + u','
                                       + quoteText(c->type) + u',' + quoteText(c->name) + u')'))
            return false;
    }
    return true;
}

} // namespace

qsizetype markHeldRecords(DbRecordset &recordset, QList<BillRecord> *records)
{
    const QSet<QString> trades = tradeNumbersInLedger(recordset);
    qsizetype marked = 0;
    for (BillRecord &r : *records) {
        if (!r.tradeNumber.isEmpty() && trades.contains(r.tradeNumber)) {
            r.held = true;
            r.import = false;
            ++marked;
        }
    }
    return marked;
}

CounterpartyChoices rememberedChoices(DbRecordset &recordset)
{
    CounterpartyChoices choices;
    recordset.OpenEach(QStringLiteral("select jydf,xmlx,xmmc from ") + choiceTable, [&] {
        choices.insert(recordset.GetText(0), {recordset.GetText(1), recordset.GetText(2)});
    });
    return choices;
}

namespace {

bool writeRecords(DbConnection &connection, DbRecordset &recordset, const QList<BillRecord> &records, const CounterpartyChoices &choices, Prompter &prompter,
                  qint64 *added, bool *stopped)
{
    QSet<QString> trades = tradeNumbersInLedger(recordset);
    QSet<QString> types = textsOf(recordset, QStringLiteral("select xmlx from xmlxsj"));
    QSet<QString> names;
    recordset.OpenEach(QStringLiteral("select xmmc,xmlx from xmmcsj"),
                           [&] { names.insert(recordset.GetText(0) + u'|' + recordset.GetText(1)); });
    ProgressScope progress(prompter, QStringLiteral("正在导入账单……"), records.size(), true);
    const QString now = quoteText(dateText(Clock::now(), 0));
    qint64 done = 0;
    for (const BillRecord &r : records) {
        if (++done % 200 == 0 && !progress.step(done)) {
            *stopped = true;
            return false;
        }
        if (!r.import)
            continue;
        if (r.tradeNumber.isEmpty() ? heldBySixFields(recordset, r) : trades.contains(r.tradeNumber))
            continue;
        QString statement = QStringLiteral("insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq,bz,tjrq,gxrq) values (")
            + quoteText(r.type) + u',' + quoteText(r.name) + u',' + amountText(r.expense) + u','
            + amountText(r.income) + u',' + quoteText(r.person) + u',' + quoteText(dateText(r.day, 1)) + u','
            + quoteText(r.remark) + u',' + now + u',' + now + u')';
        if (!connection.Execute(statement))
            return false;
        trades.insert(r.tradeNumber);
        ++*added;
        // The entry page's lists offer the new types and names from now on.
        if (!types.contains(r.type)) {
            if (!connection.Execute(QStringLiteral("insert into xmlxsj(xmlx) values (") + quoteText(r.type) + u')'))
                return false;
            types.insert(r.type);
        }
        if (const QString key = r.name + u'|' + r.type; !names.contains(key)) {
            if (!connection.Execute(QStringLiteral("insert into xmmcsj(xmmc,xmlx) values (") + quoteText(r.name)
                                        + u',' + quoteText(r.type) + u')'))
                return false;
            names.insert(key);
        }
    }
    return saveChoices(connection, recordset, choices);
}

} // namespace

bool saveBillRecords(DbConnection &connection, DbRecordset &recordset, const QString &billPath, const QList<BillRecord> &records, const CounterpartyChoices &choices,
                     Prompter &prompter, qint64 *added)
{
    qint64 count = 0;
    // A large bill is a large change: the ledger as it was is kept aside first.
    if (!takeSafetyCopyBeforeImport(connection, billPath, prompter))
        return false;
    if (connection.BeginTrans() == 0) {
        prompter.showMessage(QStringLiteral("导入账单失败！"));
        return false;
    }
    bool stopped = false;
    if (!writeRecords(connection, recordset, records, choices, prompter, &count, &stopped) || !connection.CommitTrans()) {
        connection.RollbackTrans();
        if (!stopped)
            prompter.showMessage(QStringLiteral("导入账单失败！"));
        return false;
    }
    if (added)
        *added = count;
    prompter.showMessage(QStringLiteral("导入账单成功！共 ") + QString::number(count) + QStringLiteral(" 个记录"));
    return true;
}
