#pragma once
// The statistics page: all-time, this month's and last month's figures, and the months of the
// year its label shows, chosen from its list.
#include "pageunits.h"

#include "reports/statistics.h"

#include <QObject>

class MainWindow;
class Prompter;

class StatisticsPage : public QObject
{
    Q_OBJECT
public:
    StatisticsPage(MainWindow *owner, Prompter &prompts, QObject *parent);

    void showStatistics();
    void chooseYear(const QString &year);

private:
    void showYear(const YearStatistics &year);

    MainWindow *main;
    Prompter &prompter;
    StatisticsUnits statistics;
};
