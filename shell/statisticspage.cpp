#include "statisticspage.h"

#include "chartwindow.h"
#include "mainwindow.h"

#include "common/numbers.h"
#include "dataaccess/instances.h"
#include "ui/units.h"

StatisticsPage::StatisticsPage(MainWindow *owner, Prompter &prompts, QObject *parent)
    : QObject(parent), main(owner), prompter(prompts),
      statistics(StatisticsUnits::bind(*owner->page(QStringLiteral("statistics"))))
{
    connect(main, &MainWindow::statisticsRequested, this, &StatisticsPage::showStatistics);
    int current = 0;
    statistics.years->clear();
    statistics.years->addItems(yearList(&current));
    statistics.years->setCurrentIndex(current);
    statistics.year->setText(statistics.years->currentText());
    connect(statistics.years, &QComboBox::textActivated, this, &StatisticsPage::chooseYear);
    connect(statistics.chart, &GraphicButton::clicked, this, [this] {
        if (this->main->passLoginGate())
            openChartWindow(this->main, this->prompter, ChartTab::Months);
    });
}

void StatisticsPage::showYear(const YearStatistics &year)
{
    for (int m = 0; m < 12; ++m) {
        statistics.monthExpense[m]->setText(year.months.value(m).expense);
        statistics.monthIncome[m]->setText(year.months.value(m).income);
    }
    statistics.yearExpense->setText(year.total.expense);
    statistics.yearIncome->setText(year.total.income);
    statistics.yearCaption->setText(year.caption);
}

void StatisticsPage::showStatistics()
{
    Statistics s;
    if (!computeStatistics(userRecordset, main->session.loggedIn, int(textToInteger(statistics.year->text())), prompter,
                           &s))
        return;
    statistics.currentCaption->setText(s.currentCaption);
    statistics.previousCaption->setText(s.previousCaption);
    statistics.allExpense->setText(s.allTime.expense);
    statistics.allIncome->setText(s.allTime.income);
    statistics.currentExpense->setText(s.current.expense);
    statistics.currentIncome->setText(s.current.income);
    statistics.previousExpense->setText(s.previous.expense);
    statistics.previousIncome->setText(s.previous.income);
    showYear(s.year);
}

void StatisticsPage::chooseYear(const QString &year)
{
    statistics.year->setText(year);
    showYear(computeYear(userRecordset, int(textToInteger(year))));
    main->page(QStringLiteral("statistics"))->setFocus();
}
