// A damaged ledger file through login, the views and the statistics. The input is a list of edits
// to a real ledger (user 张三, password 123456, twelve records). Whatever the damage, login ends in
// one of its outcomes with one message at most; once logged in, every row of a view is well
// formed, the summaries add up to the detail, and the year adds up to its months.
#include "fuzzsupport.h"

#include "common/clock.h"
#include "common/numbers.h"
#include "dataaccess/instances.h"
#include "reports/statistics.h"
#include "reports/views.h"
#include "users/session.h"

#include <QRegularExpression>

#include <cmath>

namespace {

class QuietPrompter : public Prompter
{
public:
    QStringList messages;
    void showMessage(const QString &text) override { messages.append(text); }
    bool askConfirm(const QString &) override { return false; }
    QString pickOpenFile(const QString &, const QString &) override { return {}; }
    QString pickSaveFile(const QString &, const QString &, const QString &) override { return {}; }
};

bool isAmount(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^-?(0|[1-9][0-9]*)\\.[0-9][0-9]$"));
    return form.match(text).hasMatch() && text != QStringLiteral("-0.00");
}

// Sums of rounded amounts differ from rounded sums by half a cent a row at most.
bool nearlyEqual(double a, double b, qsizetype terms)
{
    return std::fabs(a - b) <= 0.005 * double(terms + 1) + 1e-9 * std::max(std::fabs(a), std::fabs(b));
}

double columnSum(const QList<ViewRow> &rows, int cell)
{
    double sum = 0;
    for (const ViewRow &row : rows)
        sum += textToNumber(row.cells.value(cell));
    return sum;
}

void checkViews(QuietPrompter &prompter)
{
    const QDate start(1990, 1, 1), end(2030, 12, 31);
    QList<ViewRow> detail, byType, byName;
    FUZZ_CHECK(queryView(userRecordset, true, detailMode, ViewGrouping::None, start, end, prompter, &detail),
               prompter.messages.join(u'|'));
    FUZZ_CHECK(queryView(userRecordset, true, summaryMode, ViewGrouping::ItemType, start, end, prompter, &byType),
               prompter.messages.join(u'|'));
    FUZZ_CHECK(queryView(userRecordset, true, summaryMode, ViewGrouping::ItemName, start, end, prompter, &byName),
               prompter.messages.join(u'|'));
    for (const QList<ViewRow> *rows : {&detail, &byType, &byName}) {
        for (const ViewRow &row : *rows) {
            FUZZ_CHECK(row.cells.size() == 7, row.cells.join(u'|'));
            FUZZ_CHECK(isAmount(row.cells[2]) && isAmount(row.cells[3]), row.cells.join(u'|'));
        }
    }
    for (const QList<ViewRow> *summary : {&byType, &byName}) {
        FUZZ_CHECK(nearlyEqual(columnSum(*summary, 2), columnSum(detail, 2), detail.size()),
                   QStringLiteral("expense: summary %1, detail %2").arg(columnSum(*summary, 2)).arg(columnSum(detail, 2)));
        FUZZ_CHECK(nearlyEqual(columnSum(*summary, 3), columnSum(detail, 3), detail.size()),
                   QStringLiteral("income: summary %1, detail %2").arg(columnSum(*summary, 3)).arg(columnSum(detail, 3)));
    }
    const Totals totals = computeTotals(detail, start, end);
    for (const QString &amount : {totals.expense, totals.income, totals.balance, totals.dailyExpense, totals.dailyIncome})
        FUZZ_CHECK(isAmount(amount), amount);
}

void checkStatistics(QuietPrompter &prompter)
{
    Statistics s;
    FUZZ_CHECK(computeStatistics(userRecordset, true, 2012, prompter, &s), prompter.messages.join(u'|'));
    FUZZ_CHECK(s.year.months.size() == 12, QString::number(s.year.months.size()));
    double expense = 0, income = 0;
    for (const Sums &m : s.year.months) {
        FUZZ_CHECK(isAmount(m.expense) && isAmount(m.income), m.expense + u'/' + m.income);
        expense += textToNumber(m.expense);
        income += textToNumber(m.income);
    }
    for (const Sums *sums : {&s.allTime, &s.current, &s.previous, &s.year.total})
        FUZZ_CHECK(isAmount(sums->expense) && isAmount(sums->income), sums->expense + u'/' + sums->income);
    FUZZ_CHECK(nearlyEqual(expense, textToNumber(s.year.total.expense), 12),
               QStringLiteral("months %1, year %2").arg(expense).arg(s.year.total.expense));
    FUZZ_CHECK(nearlyEqual(income, textToNumber(s.year.total.income), 12),
               QStringLiteral("months %1, year %2").arg(income).arg(s.year.total.income));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QByteArray good = fuzz::fixture("jet/fixtures/张三_lc.dat");
    const QString folder = fuzz::programFolder();
    Clock::setFixed(QDateTime(QDate(2012, 12, 15), QTime(10, 0)));
    const QString path = folder + QStringLiteral("/data/张三_lc.dat");
    userRecordset.Close();
    userConnection.Close();
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
    const QByteArray file = fuzz::applyEdits(good, data, size);
    FUZZ_CHECK(fuzz::writeBytes(path, file), path);

    Session session;
    QuietPrompter prompter;
    const LoginOutcome outcome
        = logIn(userConnection, userRecordset, session, QStringLiteral("张三"), QStringLiteral("123456"), prompter);
    FUZZ_CHECK(session.loggedIn == (outcome == LoginOutcome::LoggedIn), QString::number(int(outcome)));
    // A login that converted the Windows ledger names the kept original; nothing else is said on success.
    const bool namesKeptOriginal =
        prompter.messages.size() == 1 && prompter.messages.constFirst().contains(QStringLiteral("“张三_lc.dat"));
    FUZZ_CHECK(outcome == LoginOutcome::LoggedIn ? prompter.messages.isEmpty() || namesKeptOriginal
                                                 : prompter.messages.size() == 1,
               prompter.messages.join(u'|'));
    if (file == good)
        FUZZ_CHECK(outcome == LoginOutcome::LoggedIn, prompter.messages.join(u'|'));
    if (outcome == LoginOutcome::LoggedIn) {
        checkViews(prompter);
        checkStatistics(prompter);
    }
    logOutSession(session);
    userRecordset.Close();
    userConnection.Close();
    return 0;
}
