#include "billimportwindow.h"

#include "shelldressing.h"

#include "common/prompter.h"
#include "dataaccess/instances.h"
#include "exchange/paybills.h"
#include "ledger/entry.h"
#include "ui/layoutwindow.h"
#include "ui/listview.h"
#include "ui/units.h"

#include <QShortcut>

namespace {

struct BillWindowUnits
{
    TransparentLabel *summary;
    ListView *rows;
    EditBox *type, *name;
    GraphicButton *changeRow, *changeCounterparty, *toggle, *save, *cancel, *close;
    static BillWindowUnits bind(LayoutWindow &w)
    {
        const auto button = [&w](const QString &name) { return w.requiredUnit<GraphicButton>(name); };
        return {w.requiredUnit<TransparentLabel>(QStringLiteral("账单说明标签")),
                w.requiredUnit<ListView>(QStringLiteral("账单列表框")),
                w.requiredUnit<EditBox>(QStringLiteral("类型框")),
                w.requiredUnit<EditBox>(QStringLiteral("名称框")),
                button(QStringLiteral("改本行按钮")),
                button(QStringLiteral("改对方按钮")),
                button(QStringLiteral("导入切换按钮")),
                button(QStringLiteral("保存按钮")),
                button(QStringLiteral("取消按钮")),
                button(QStringLiteral("关闭按钮"))};
    }
};

// What the window holds while it is open.
struct BillState
{
    QString path;
    PayBill bill;
    QList<BillRecord> records;
    CounterpartyChoices choices;
};

QString money(double value)
{
    return value > 0 ? QString::number(value, 'f', 2) : QString();
}

QStringList cells(const BillState &state, qsizetype i)
{
    const BillRecord &r = state.records[i];
    const QString &noMoney = state.bill.rows[i].noMoney;
    QString mark = r.import ? QStringLiteral("导入") : QStringLiteral("不导入");
    if (r.held)
        mark += QStringLiteral("（账本中已有）");
    else if (!noMoney.isEmpty())
        mark += QStringLiteral("（") + noMoney + QStringLiteral("）");
    else if (state.bill.rows[i].refund)
        mark += QStringLiteral("（退款）");
    return {r.day.toString(QStringLiteral("yyyy-MM-dd")), r.counterparty, money(r.expense), money(r.income), r.type,
            r.name, mark};
}

void showRows(const BillWindowUnits &units, const BillState &state)
{
    QList<ListRow> rows;
    rows.reserve(state.records.size());
    qsizetype chosen = 0;
    for (qsizetype i = 0; i < state.records.size(); ++i) {
        rows.append({cells(state, i), int(i)});
        chosen += state.records[i].import;
    }
    units.rows->setRows(std::move(rows));
    units.summary->setText(QStringLiteral("共 %1 笔交易，其中 %2 笔将导入；不计收支、已关闭的交易、本人账户间的转账和账本中已有的交易默认不导入。")
                               .arg(state.records.size())
                               .arg(chosen));
}

void refreshRow(const BillWindowUnits &units, const BillState &state, int row)
{
    const QStringList texts = cells(state, row);
    for (int c = 0; c < texts.size(); ++c)
        units.rows->setCellText(row, c, texts[c]);
}

} // namespace

LayoutWindow *createBillImportWindow(QWidget *mainWindow, Prompter &prompter, const QString &billPath,
                                     const QString &person, std::function<void()> imported)
{
    auto state = std::make_shared<BillState>();
    state->path = billPath;
    QString error;
    if (!readPayBill(billPath, &state->bill, &error)) {
        prompter.showMessage(error);
        return nullptr;
    }
    const QString defaultType = state->bill.kind == BillKind::WeChat ? QStringLiteral("微信支付") : QStringLiteral("支付宝");
    state->records = proposedRecords(state->bill, defaultType, person, rememberedChoices(userRecordset));
    markHeldRecords(userRecordset, &state->records);

    auto *window = new LayoutWindow(QStringLiteral("paybill"), mainWindow);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(QStringLiteral("导入账单"));
    const BillWindowUnits units = BillWindowUnits::bind(*window);
    showRows(units, *state);

    QObject::connect(units.rows, &ListView::clicked, window, [units, state] {
        const int row = units.rows->selectedRow();
        if (row < 0)
            return;
        units.type->setText(state->records[row].type);
        units.name->setText(state->records[row].name);
    });
    // Changes the selected row, or every row of its counterparty (remembered for the next bill).
    const auto change = [units, state, &prompter](bool wholeCounterparty) {
        const int row = units.rows->selectedRow();
        if (row < 0) {
            prompter.showMessage(QStringLiteral("请先选择一行！"));
            return;
        }
        const QString type = units.type->text().trimmed().left(typeLongest);
        const QString name = units.name->text().trimmed().left(nameLongest);
        if (type.isEmpty() || name.isEmpty()) {
            prompter.showMessage(QStringLiteral("项目类型和项目名称不能为空！"));
            return;
        }
        const QString counterparty = state->records[row].counterparty;
        for (qsizetype i = 0; i < state->records.size(); ++i) {
            if (i != row && !(wholeCounterparty && state->records[i].counterparty == counterparty))
                continue;
            state->records[i].type = type;
            state->records[i].name = name;
            refreshRow(units, *state, int(i));
        }
        if (wholeCounterparty && !counterparty.isEmpty())
            state->choices.insert(counterparty, {type, name});
    };
    QObject::connect(units.changeRow, &GraphicButton::clicked, window, [change] { change(false); });
    QObject::connect(units.changeCounterparty, &GraphicButton::clicked, window, [change] { change(true); });
    QObject::connect(units.toggle, &GraphicButton::clicked, window, [units, state, &prompter] {
        const int row = units.rows->selectedRow();
        if (row < 0) {
            prompter.showMessage(QStringLiteral("请先选择一行！"));
            return;
        }
        if (state->records[row].held) {
            prompter.showMessage(QStringLiteral("账本中已有这笔交易，不再导入！"));
            return;
        }
        state->records[row].import = !state->records[row].import;
        showRows(units, *state);
        units.rows->selectRow(row);
    });
    QObject::connect(units.save, &GraphicButton::clicked, window, [window, state, &prompter, imported] {
        if (saveBillRecords(userConnection, userRecordset, state->path, state->records, state->choices, prompter)) {
            window->close();
            if (imported)
                imported();
        }
    });
    for (GraphicButton *b : {units.cancel, units.close})
        QObject::connect(b, &GraphicButton::clicked, window, &QWidget::close);
    QObject::connect(new QShortcut(Qt::Key_Escape, window), &QShortcut::activated, units.close, &GraphicButton::click);
    window->moveOnBarePress();
    dressDialogWindow(window);
    if (mainWindow)
        window->move(mainWindow->geometry().center() - window->rect().center());
    return window;
}

LayoutWindow *openBillImport(QWidget *mainWindow, Prompter &prompter, const QString &person,
                             std::function<void()> imported)
{
    const QString path = prompter.pickOpenFile(
        QStringLiteral("支付宝或微信支付账单 CSV(*.csv)|*.csv|微信支付账单 Excel(*.xlsx)|*.xlsx"), QStringLiteral("*.csv"));
    if (path.isEmpty())
        return nullptr;
    LayoutWindow *window = createBillImportWindow(mainWindow, prompter, path, person, std::move(imported));
    if (window)
        window->show();
    return window;
}
