#include "views.h"

#include "common/datetext.h"
#include "common/numbers.h"
#include "ledger/schema.h"

#include <algorithm>
#include <bit>
#include <unordered_map>

bool viewAllowed(bool loggedIn, const QDate &start, const QDate &end, Prompter &prompter)
{
    if (!loggedIn) {
        prompter.showMessage(QStringLiteral("请先登录！"));
        return false;
    }
    if (end < start) {
        prompter.showMessage(QStringLiteral("结束日期不能小于开始日期！"));
        return false;
    }
    return true;
}

namespace {

// A long view repeats its amounts row after row: each amount's text and cents are made once.
// Only so many are kept, so a column of amounts all different costs no more.
constexpr std::size_t sharedAmountLimit = 1 << 15;

class SharedAmounts
{
public:
    explicit SharedAmounts(DbRecordset &recordset) : recordset(recordset) {}
    // Puts the field's amount as the list shows it into the row and adds it to the total.
    void add(const DbField &field, TextTable &rows, AmountTotal &total)
    {
        const double value = recordset.GetNumber(field);
        Shown spare;
        const Shown &shown = shownFor(value, spare);
        rows.addCell(QByteArrayView(shown.text));
        if (shown.known)
            total.cents += shown.cents;
        else
            total.known = false;
    }

private:
    struct Shown
    {
        QByteArray text;
        qint64 cents = 0;
        bool known = false;
    };

    // The amount's text and cents, kept for the next rows while there is room; made into spare
    // when there is none.
    const Shown &shownFor(double value, Shown &spare)
    {
        // Keyed by the bits, so -0 and 0 keep texts of their own.
        const auto bits = std::bit_cast<quint64>(value);
        // Most rows have no income: the amount of the row before comes first.
        if (last && lastBits == bits)
            return *last;
        auto found = known.find(bits);
        if (found == known.end()) {
            const QString text = amountText(value);
            spare.text = text.toUtf8();
            spare.known = amountTextCents(text, &spare.cents);
            if (known.size() >= sharedAmountLimit)
                return spare;
            found = known.emplace(bits, spare).first;
        }
        last = &found->second; // nodes stay where they are
        lastBits = bits;
        return *last;
    }

    DbRecordset &recordset;
    std::unordered_map<quint64, Shown> known;
    const Shown *last = nullptr;
    quint64 lastBits = 0;
};

// Puts the field's text into the row as the engine holds it, at most width characters of it.
void addText(DbRecordset &recordset, const DbField &field, TextTable &rows, qsizetype width = -1)
{
    QByteArrayView bytes;
    if (!recordset.GetTextBytes(field, &bytes)) {
        const QString read = recordset.GetText(field);
        rows.addCell(width < 0 ? read : read.left(width));
    } else if (width < 0 || bytes.size() <= width) {
        rows.addCell(bytes);
    } else if (std::all_of(bytes.begin(), bytes.begin() + width, [](char c) { return uchar(c) < 0x80; })) {
        rows.addCell(bytes.first(width)); // a stored day is its own ASCII text: its characters are its bytes
    } else {
        rows.addCell(QString::fromUtf8(bytes).left(width));
    }
}

Totals totalsOf(const AmountTotal &expense, const AmountTotal &income, const QDate &start, const QDate &end)
{
    const bool balanceKnown = expense.known && income.known;
    const __int128 balance = income.cents - expense.cents;
    const qint64 days = start.daysTo(end) + 1;
    // Halves of a cent round away from zero, as amountText rounds.
    const auto perDay = [days](const AmountTotal &total) {
        if (!total.known)
            return amountOutOfRangeText;
        if (days <= 0)
            return centsText(0);
        const __int128 magnitude = total.cents < 0 ? -total.cents : total.cents;
        const __int128 rounded = (2 * magnitude + days) / (2 * __int128(days));
        return centsText(total.cents < 0 ? -rounded : rounded);
    };
    Totals t;
    t.expense = expense.text();
    t.income = income.text();
    t.balance = balanceKnown ? centsText(balance) : amountOutOfRangeText;
    t.balanceColour = !balanceKnown ? 0 : (balance < 0 ? -1 : (balance > 0 ? 1 : 0));
    t.days = QString::number(days) + QStringLiteral(" 天");
    t.dailyExpense = perDay(expense);
    t.dailyIncome = perDay(income);
    return t;
}

} // namespace

bool queryViewTable(DbRecordset &recordset, bool loggedIn, const QString &mode, ViewGrouping grouping,
                    const QDate &start, const QDate &end, Prompter &prompter, TextTable *rows, Totals *totals)
{
    if (!viewAllowed(loggedIn, start, end, prompter))
        return false;
    rows->reset(7); // the memory of the rows it held before takes the new ones
    AmountTotal expenseTotal, incomeTotal;
    SharedAmounts expenses(recordset), incomes(recordset); // one per column: a column repeats its own amounts
    const QString range = QStringLiteral(" from lcsj where rq>=#") + dateText(start, 1) + QStringLiteral("# and rq<=#")
        + dateText(end, 1) + u'#';
    if (mode == summaryMode) {
        const QString key = grouping == ViewGrouping::ItemType ? RecordColumn::type : RecordColumn::name;
        const QByteArray days = (QString::number(start.daysTo(end) + 1) + QStringLiteral("天")).toUtf8();
        const DbField keyField(key), expense(QStringLiteral("zcje1")), income(QStringLiteral("srje1"));
        recordset.Open(QStringLiteral("select ") + key + QStringLiteral(",sum(zcje) as zcje1,sum(srje) as srje1")
                       + range + QStringLiteral(" group by ") + key);
        const qint64 n = recordset.RecordCount();
        for (qint64 i = 0; i < n; ++i) {
            rows->beginRow(0);
            addText(recordset, keyField, *rows);
            rows->addCell(QByteArrayView());
            expenses.add(expense, *rows, expenseTotal);
            incomes.add(income, *rows, incomeTotal);
            rows->addCell(QByteArrayView());
            rows->addCell(QByteArrayView(days));
            recordset.MoveNext();
        }
        // The table holds what the view shows; the recordset's copy of it is let go.
        recordset.Close();
        rows->fit();
        *totals = totalsOf(expenseTotal, incomeTotal, start, end);
        return true;
    }
    // Read row by row into the table: the ledger is held once, by the table, as bytes.
    DbField id("id"), type(RecordColumn::type), name(RecordColumn::name), expense(RecordColumn::expense),
        income(RecordColumn::income), person(RecordColumn::person), day(RecordColumn::day), remark(RecordColumn::remark);
    bool located = false;
    // Only the columns the view shows: the dates a record was added and changed are not read.
    const QString shown = QStringList{QStringLiteral("id"), RecordColumn::type, RecordColumn::name, RecordColumn::expense,
                                      RecordColumn::income, RecordColumn::person, RecordColumn::day, RecordColumn::remark}
                              .join(u',');
    recordset.OpenEach(QStringLiteral("select ") + shown + range + QStringLiteral(" order by rq"), [&] {
        if (!located) {
            // The columns by position from the first row on, not looked up by name in every cell.
            for (DbField *f : {&id, &type, &name, &expense, &income, &person, &day, &remark})
                for (int i = 0; i < int(recordset.FieldCount()); ++i)
                    if (recordset.FieldName(i).compare(f->name, Qt::CaseInsensitive) == 0) {
                        *f = DbField(i);
                        break;
                    }
            located = true;
        }
        rows->beginRow(recordset.GetInteger(id));
        addText(recordset, type, *rows);
        addText(recordset, name, *rows);
        expenses.add(expense, *rows, expenseTotal);
        incomes.add(income, *rows, incomeTotal);
        addText(recordset, person, *rows);
        addText(recordset, day, *rows, 10); // the stored day is its own YYYY-MM-DD text
        addText(recordset, remark, *rows);
    });
    rows->fit();
    *totals = totalsOf(expenseTotal, incomeTotal, start, end);
    return true;
}

bool queryView(DbRecordset &recordset, bool loggedIn, const QString &mode, ViewGrouping grouping, const QDate &start,
               const QDate &end, Prompter &prompter, QList<ViewRow> *rows)
{
    TextTable table;
    Totals totals;
    if (!queryViewTable(recordset, loggedIn, mode, grouping, start, end, prompter, &table, &totals))
        return false;
    rows->clear();
    rows->reserve(table.rowCount());
    for (qsizetype r = 0; r < table.rowCount(); ++r)
        rows->append({table.value(r), table.rowTexts(r)});
    return true;
}

Totals computeTotals(const QList<ViewRow> &rows, const QDate &start, const QDate &end)
{
    // Exact cents: a total is never a figure a running double sum drifted from.
    AmountTotal expense;
    AmountTotal income;
    for (const ViewRow &row : rows) {
        expense.add(row.cells.value(2));
        income.add(row.cells.value(3));
    }
    return totalsOf(expense, income, start, end);
}

int remarkColumnWidth(qsizetype rowCount, int currentWidth, int threshold)
{
    if (rowCount > threshold)
        return std::min(currentWidth, 250);
    return std::max(currentWidth, 268);
}
