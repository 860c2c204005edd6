#include "views.h"

#include "common/datetext.h"
#include "common/numbers.h"
#include "ledger/schema.h"

#include <QHash>

#include <bit>
#include <string>
#include <string_view>
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

// A long view repeats its item types, names, persons and days row after row: each such text is
// made once and shared by every row that shows it, which spares a long ledger a string for each
// of its cells. Only so many texts are kept, so a column of texts all different costs no more.
constexpr std::size_t sharedTextLimit = 1 << 15;

class SharedTexts
{
public:
    explicit SharedTexts(DbRecordset &recordset) : recordset(recordset) {}
    QString text(const DbField &field, qsizetype width = -1)
    {
        QByteArrayView bytes;
        if (!recordset.GetTextBytes(field, &bytes)) {
            const QString read = recordset.GetText(field);
            return width < 0 ? read : read.left(width);
        }
        const std::string_view key(bytes.data(), size_t(bytes.size()));
        // Rows in day order mostly repeat the day of the row before.
        if (last && last->first == key)
            return last->second;
        const auto found = known.find(key);
        if (found != known.end()) {
            last = &*found;
            return found->second;
        }
        QString made = QString::fromUtf8(bytes);
        if (width >= 0)
            made.truncate(width);
        if (known.size() < sharedTextLimit)
            known.emplace(std::string(key), made);
        return made;
    }

private:
    DbRecordset &recordset;
    struct Hash
    {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
    };
    std::unordered_map<std::string, QString, Hash, std::equal_to<>> known;
    const std::pair<const std::string, QString> *last = nullptr; // nodes stay where they are
};

class SharedAmounts
{
public:
    explicit SharedAmounts(DbRecordset &recordset) : recordset(recordset) {}
    QString text(const DbField &field)
    {
        // Keyed by the bits, so -0 and 0 keep texts of their own.
        const double value = recordset.GetNumber(field);
        const auto bits = std::bit_cast<quint64>(value);
        const auto found = known.find(bits);
        if (found != known.end())
            return found->second;
        const QString made = amountText(value);
        if (known.size() < sharedTextLimit)
            known.emplace(bits, made);
        return made;
    }

private:
    DbRecordset &recordset;
    std::unordered_map<quint64, QString> known;
};

} // namespace

bool queryView(DbRecordset &recordset, bool loggedIn, const QString &mode, ViewGrouping grouping, const QDate &start,
               const QDate &end, Prompter &prompter, QList<ViewRow> *rows)
{
    if (!viewAllowed(loggedIn, start, end, prompter))
        return false;
    rows->clear();
    const QString range = QStringLiteral(" from lcsj where rq>=#") + dateText(start, 1) + QStringLiteral("# and rq<=#")
        + dateText(end, 1) + u'#';
    if (mode == summaryMode) {
        const QString key = grouping == ViewGrouping::ItemType ? RecordColumn::type : RecordColumn::name;
        const QString days = QString::number(start.daysTo(end) + 1) + QStringLiteral("天");
        recordset.Open(QStringLiteral("select ") + key + QStringLiteral(",sum(zcje) as zcje1,sum(srje) as srje1")
                       + range + QStringLiteral(" group by ") + key);
        const qint64 n = recordset.RecordCount();
        rows->reserve(n);
        for (qint64 i = 0; i < n; ++i) {
            rows->append({0,
                          {recordset.GetText(key), QString(), amountText(recordset.GetNumber(QStringLiteral("zcje1"))),
                           amountText(recordset.GetNumber(QStringLiteral("srje1"))), QString(), days, QString()}});
            recordset.MoveNext();
        }
        // The rows hold what the view shows; the recordset's copy of them is let go.
        recordset.Close();
        return true;
    }
    // Read row by row into the view's rows: the ledger is held once, by the rows.
    DbField id("id"), type(RecordColumn::type), name(RecordColumn::name), expense(RecordColumn::expense),
        income(RecordColumn::income), person(RecordColumn::person), day(RecordColumn::day), remark(RecordColumn::remark);
    bool located = false;
    SharedTexts types(recordset), names(recordset), persons(recordset), days(recordset), remarks(recordset);
    SharedAmounts amounts(recordset);
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
        // The cells are moved in: a list built from braces would copy each text and drop the original.
        QStringList cells;
        cells.reserve(7);
        cells.append(types.text(type));
        cells.append(names.text(name));
        cells.append(amounts.text(expense));
        cells.append(amounts.text(income));
        cells.append(persons.text(person));
        cells.append(days.text(day, 10)); // the stored day is its own YYYY-MM-DD text
        cells.append(remarks.text(remark));
        rows->append({recordset.GetInteger(id), std::move(cells)});
    });
    return true;
}

Totals computeTotals(const QList<ViewRow> &rows, const QDate &start, const QDate &end)
{
    // Exact cents: a total is never a figure a running double sum drifted from.
    AmountTotal expense;
    AmountTotal income;
    // The rows of a long ledger share the texts of their amounts; each shared text is read once.
    struct Read
    {
        qint64 cents;
        bool known;
    };
    QHash<std::pair<const QChar *, qsizetype>, Read> read;
    const auto add = [&read](AmountTotal &total, const QString &text) {
        if (text.isEmpty())
            return total.add(text);
        const std::pair key(text.constData(), text.size());
        auto found = read.constFind(key);
        if (found == read.constEnd()) {
            qint64 cents = 0;
            const bool known = amountTextCents(text, &cents);
            found = read.insert(key, {cents, known});
        }
        if (found->known)
            total.cents += found->cents;
        else
            total.known = false;
    };
    for (const ViewRow &row : rows) {
        add(expense, row.cells.value(2));
        add(income, row.cells.value(3));
    }
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

int remarkColumnWidth(qsizetype rowCount, int currentWidth, int threshold)
{
    if (rowCount > threshold)
        return std::min(currentWidth, 250);
    return std::max(currentWidth, 268);
}
