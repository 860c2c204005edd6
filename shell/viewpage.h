#pragma once
// The view page: the detail or summary view of a range with its totals, the two bars below the
// list, deleting the chosen record and printing the list.
#include "pageunits.h"

#include "reports/views.h"

#include <QObject>

class MainWindow;
class PrintGrid;
class Prompter;

class ViewPage : public QObject
{
    Q_OBJECT
public:
    ViewPage(MainWindow *owner, Prompter &prompts, QObject *parent);
    // The range starts and ends on today when the page is made.
    static void startOnToday(const ViewUnits &view);

    // The view of the range; a refused view leaves the list as it was.
    void showView(const QString &mode, ViewGrouping grouping = ViewGrouping::None);
    void recomputeTotals();
    QString viewMode() const { return mode; }
    ListView *list() const { return view.list; }
    void deleteSelected();
    // The list as the page shows it, in the print preview.
    void printList();
    PrintGrid *printout() const { return grid; }

private:
    void showTotals(const Totals &totals);

    MainWindow *main;
    Prompter &prompter;
    ViewUnits view;
    QString mode;
    PrintGrid *grid;
};
