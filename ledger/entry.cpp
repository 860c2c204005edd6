#include "entry.h"

#include "common/clock.h"
#include "common/datetext.h"
#include "common/numbers.h"
#include "common/sqltext.h"
#include "dataaccess/dbrecordset.h"
#include "ledger/schema.h"

#include <cmath>
#include <tuple>

bool checkEntry(const EntryForm &form, Prompter &prompter, CheckedEntry *checked)
{
    // Each text in turn: given, and no longer than its column.
    for (const auto &[text, longest, missing, what] :
         {std::tuple{&form.type, typeLongest, QStringLiteral("请输入项目类型！"), QStringLiteral("项目类型")},
          std::tuple{&form.name, nameLongest, QStringLiteral("请输入项目名称！"), QStringLiteral("项目名称")},
          std::tuple{&form.person, personLongest, QStringLiteral("请输入人员名称！"), QStringLiteral("人员名称")}}) {
        if (text->isEmpty()) {
            prompter.showMessage(missing);
            return false;
        }
        if (text->size() > longest) {
            prompter.showMessage(what + QStringLiteral("太长，不能超过%1个字符！").arg(longest));
            return false;
        }
    }
    double amount = 0;
    if (!textToAmount(form.amount, &amount)) {
        prompter.showMessage(QStringLiteral("收支金额超出范围，金额不能大于") + amountLimitText + QStringLiteral("！"));
        return false;
    }
    if (isZeroAmount(amount) && !prompter.askConfirm(QStringLiteral("收支金额等于0，是否继续？")))
        return false;
    *checked = CheckedEntry();
    if (form.kind == expenseKind) {
        checked->expense = amountText(std::fabs(amount));
    } else if (form.kind == incomeKind && isNegativeAmount(amount)) {
        checked->expense = amountText(std::fabs(amount));
        checked->becameExpense = true;
    } else if (form.kind == incomeKind) {
        checked->income = amountText(amount);
    } else {
        prompter.showMessage(QStringLiteral("请先选择收支类型！"));
        return false;
    }
    return true;
}

bool amountKeyAccepted(const QString &boxText, int selectionStart, int selectionLength, int cursor, const QString &typed)
{
    if (typed.contains(u'-'))
        return false;
    if (!typed.contains(u'.'))
        return true;
    QString after = boxText;
    if (selectionLength > 0)
        after.replace(selectionStart, selectionLength, typed);
    else
        after.insert(qBound(0, cursor, int(after.size())), typed);
    return after.count(u'.') <= 1;
}

bool addLookupValues(DbConnection &connection, const EntryForm &form, LookupLists &lists, bool clearNamesOnNewType,
                     Prompter &prompter)
{
    if (!lists.types.contains(form.type)) {
        if (!connection.Execute(QStringLiteral("insert into xmlxsj(xmlx) values (") + quoteText(form.type) + u')')) {
            prompter.showMessage(QStringLiteral("保存项目类型失败！"));
            return false;
        }
        if (clearNamesOnNewType)
            lists.names.clear();
        lists.types.append(form.type);
    }
    if (!lists.names.contains(form.name)) {
        if (!connection.Execute(QStringLiteral("insert into xmmcsj(xmmc,xmlx) values (") + quoteText(form.name) + u','
                                + quoteText(form.type) + u')')) {
            prompter.showMessage(QStringLiteral("保存项目名称失败！"));
            return false;
        }
        lists.names.append(form.name);
    }
    if (!lists.persons.contains(form.person)) {
        if (!connection.Execute(QStringLiteral("insert into rysj(ry) values (") + quoteText(form.person) + u')')) {
            prompter.showMessage(QStringLiteral("保存人员名称失败！"));
            return false;
        }
        lists.persons.append(form.person);
    }
    return true;
}

bool saveNewRecords(DbConnection &connection, const QList<PendingRow> &rows, Prompter &prompter)
{
    if (rows.isEmpty()) {
        prompter.showMessage(QStringLiteral("请先添加记录！"));
        return false;
    }
    if (connection.BeginTrans() == 0) {
        prompter.showMessage(QStringLiteral("保存记录失败!"));
        return false;
    }
    for (const PendingRow &row : rows) {
        const QString now = quoteText(dateText(Clock::now(), 0));
        QString statement;
        statement.reserve(160 + row.remark.size());
        statement += QStringLiteral("insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq,bz,tjrq,gxrq) values (");
        for (const QString &part : {quoteText(row.type), quoteText(row.name), amountText(textToNumber(row.expense)),
                                    amountText(textToNumber(row.income)), quoteText(row.person), quoteText(row.day),
                                    quoteText(row.remark), now}) {
            statement += part;
            statement += u',';
        }
        statement += now;
        statement += u')';
        if (!connection.Execute(statement)) {
            prompter.showMessage(QStringLiteral("保存记录失败!"));
            connection.RollbackTrans();
            return false;
        }
    }
    if (!connection.CommitTrans()) {
        // A commit the engine refused leaves nothing half-written: the transaction goes back.
        connection.RollbackTrans();
        prompter.showMessage(QStringLiteral("保存记录失败!"));
        return false;
    }
    return true;
}

bool loadRecord(DbRecordset &recordset, qint64 id, RecordForm *record)
{
    recordset.Open(QStringLiteral("select * from lcsj where id=") + QString::number(id));
    if (recordset.RecordCount() <= 0)
        return false;
    record->day = recordset.GetDateTime(RecordColumn::day).date();
    record->type = recordset.GetText(RecordColumn::type);
    record->name = recordset.GetText(RecordColumn::name);
    record->person = recordset.GetText(RecordColumn::person);
    record->remark = recordset.GetText(RecordColumn::remark);
    const double income = recordset.GetNumber(RecordColumn::income);
    record->income = isPositiveAmount(income);
    record->amount = amountText(record->income ? income : recordset.GetNumber(RecordColumn::expense));
    return true;
}

bool saveModifiedRecord(DbConnection &connection, qint64 id, const EntryForm &form, const CheckedEntry &checked,
                        Prompter &prompter)
{
    const QString now = dateText(Clock::now(), 0);
    const QString statement = QStringLiteral("update lcsj set xmlx=") + quoteText(form.type) + QStringLiteral(",xmmc=")
        + quoteText(form.name) + QStringLiteral(",zcje=") + checked.expense + QStringLiteral(",srje=") + checked.income
        + QStringLiteral(",ry=") + quoteText(form.person) + QStringLiteral(",rq=") + quoteText(dateText(form.day, 1))
        + QStringLiteral(",bz=") + quoteText(form.remark) + QStringLiteral(",gxrq=") + quoteText(now)
        + QStringLiteral(" where id=") + QString::number(id);
    if (!connection.Execute(statement)) {
        prompter.showMessage(QStringLiteral("保存记录失败！"));
        return false;
    }
    return true;
}
