#include "viewpage.h"

#include "chartwindow.h"
#include "mainwindow.h"

#include "common/clock.h"
#include "common/datetext.h"
#include "common/prompter.h"
#include "dataaccess/instances.h"
#include "ledger/lookups.h"
#include "reports/printing/listprinting.h"
#include "ui/listview.h"
#include "ui/printgrid.h"
#include "ui/units.h"

void ViewPage::startOnToday(const ViewUnits &view)
{
    const QDateTime now = Clock::now();
    view.start->setDateTime(now);
    view.end->setDateTime(now);
    view.startLabel->setText(dateText(now, 1));
    view.endLabel->setText(dateText(now, 1));
}

ViewPage::ViewPage(MainWindow *owner, Prompter &prompts, QObject *parent)
    : QObject(parent), main(owner), prompter(prompts), view(ViewUnits::bind(*owner->page(QStringLiteral("view")))),
      grid(new PrintGrid(this))
{
    connect(view.detail, &GraphicButton::clicked, this, [this] { showView(detailMode); });
    connect(view.summary, &GraphicButton::clicked, this, [this] { showView(summaryMode); });
    connect(view.list, &ListView::columnTitleClicked, this, [this](int column) {
        if (mode == summaryMode && column == 0)
            showView(summaryMode, ViewGrouping::ItemType);
        else if (mode == summaryMode && column == 1)
            showView(summaryMode, ViewGrouping::ItemName);
    });
    // The two bars at the foot of the list take turns: the totals, or the days and daily averages.
    connect(view.toAverages, &GraphicButton::clicked, this, [this] {
        view.averagesBar->show();
        view.totalsBar->hide();
    });
    connect(view.toTotals, &GraphicButton::clicked, this, [this] {
        view.totalsBar->show();
        view.averagesBar->hide();
    });
    connect(view.chart, &GraphicButton::clicked, this, [this] {
        if (this->main->passLoginGate())
            openChartWindow(this->main, this->prompter, ChartTab::Shares);
    });
    connect(main, &MainWindow::deleteRequested, this, &ViewPage::deleteSelected);
    connect(main, &MainWindow::printRequested, this, &ViewPage::printList);
    connect(main, &MainWindow::sessionEnded, this, [this] { mode.clear(); });
}

void ViewPage::showView(const QString &wanted, ViewGrouping grouping)
{
    const QDate start = view.start->dateTime().date(), end = view.end->dateTime().date();
    if (!viewAllowed(main->session.loggedIn, start, end, prompter))
        return;
    // The rows shown so far leave the list before the new ones are read into their memory, so a
    // long ledger is held once and the next view needs no fresh memory.
    TextTable rows = view.list->takeRows();
    Totals totals;
    if (!queryViewTable(userRecordset, main->session.loggedIn, wanted, grouping, start, end, prompter, &rows, &totals))
        return;
    mode = wanted;
    view.list->setRows(std::move(rows));
    view.list->setColumnWidth(6, remarkColumnWidth(view.list->rowCount(), view.list->columnWidth(6), 18));
    showTotals(totals);
}

void ViewPage::recomputeTotals()
{
    ListView *list = view.list;
    QList<ViewRow> rows;
    rows.reserve(list->rowCount());
    for (int r = 0; r < list->rowCount(); ++r)
        rows.append({list->itemValue(r), {QString(), QString(), list->cellText(r, 2), list->cellText(r, 3)}});
    showTotals(computeTotals(rows, view.start->dateTime().date(), view.end->dateTime().date()));
}

void ViewPage::showTotals(const Totals &t)
{
    view.expense->setText(t.expense);
    view.income->setText(t.income);
    view.balance->setText(t.balance);
    view.days->setText(t.days);
    view.dailyExpense->setText(t.dailyExpense);
    view.dailyIncome->setText(t.dailyIncome);
    if (t.balanceColour != 0) {
        QPalette palette = view.balance->palette();
        palette.setColor(QPalette::WindowText, t.balanceColour < 0 ? QColor(255, 0, 0) : QColor(0, 128, 0));
        view.balance->setPalette(palette);
    }
}

void ViewPage::deleteSelected()
{
    if (!main->page(QStringLiteral("view"))->isVisible()) {
        main->showPage(QStringLiteral("查看"));
        return;
    }
    if (mode != detailMode) {
        prompter.showMessage(QStringLiteral("合计状态不能删除提醒，请点击 详细查看 后再删除！"));
        return;
    }
    ListView *list = view.list;
    const int row = list->selectedRow();
    if (row < 0) {
        prompter.showMessage(QStringLiteral("请选择要删除的记录！"));
        return;
    }
    deleteRecord(userConnection, list->itemValue(row), prompter, [this, list, row] {
        list->removeRow(row);
        list->setColumnWidth(6, remarkColumnWidth(list->rowCount(), list->columnWidth(6), 18));
        recomputeTotals();
    });
}

void ViewPage::printList()
{
    ListView *list = view.list;
    QList<QStringList> rows;
    for (int r = 0; r < list->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < 7; ++c)
            cells.append(list->cellText(r, c));
        rows.append(cells);
    }
    buildListPrintout(*grid, rows, view.start->dateTime().date(), view.end->dateTime().date(), view.measure);
    grid->showPreview(main);
}
