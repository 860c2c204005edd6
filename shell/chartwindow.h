#pragma once
// The chart window: where the money of the view page's range goes, the months of a year and the
// years of the ledger, drawn from the figures of reports/charts; a click on a type opens its item
// names. The chart can be saved as a PNG picture and printed through the print preview.
#include "pageunits.h"

#include "reports/charts.h"
#include "ui/layoutwindow.h"

#include <QDate>
#include <QPointer>
#include <QPrintPreviewDialog>

#include <optional>

class MainWindow;
class Prompter;
class QChart;
class QChartView;
class QBarSet;
class QGraphicsSimpleTextItem;
class QLineSeries;
class QValueAxis;
class QPrinter;
class QScrollArea;

enum class ChartTab { Shares, Months, Years };

class ChartWindow : public LayoutWindow
{
    Q_OBJECT
public:
    explicit ChartWindow(Prompter &prompter, QWidget *parent = nullptr);
    ~ChartWindow() override;

    // The chart of the tab, on the range of the first chart and the year of the second.
    void showFigures(ChartTab tab, const QDate &start, const QDate &end, int year);
    void setYear(int year);
    void chooseTab(ChartTab tab);
    void chooseFlow(MoneyFlow flow);
    // Where the money goes within one item type, and back to the types.
    void openType(const QString &type);
    void backToTypes();
    // Reads the figures again and draws the chart of the chosen tab.
    void redraw();

    ChartTab tab() const { return current; }
    MoneyFlow flow() const { return shownFlow; }
    std::optional<QString> openedType() const { return opened; }
    QChart *chart() const;
    bool emptyStateShown() const;
    QString emptyStateText() const;
    QString captionText() const;
    // The exact amount a hovered bar or point tells, as its tooltip shows it.
    QString barTip(const QString &set, int index) const;

    // The chart with its caption on white, as saved and printed.
    QImage picture() const;
    void savePicture();
    void paintForPrinter(QPrinter *printer) const;
    void openPrintPreview();
    QPrintPreviewDialog *printPreview() const { return preview; }

private:
    void drawShares();
    void drawPeriods(const QList<PeriodFigures> &periods, bool running);
    void showEmptyState(const QString &text);
    void placeValueLabels();
    void showTabs();
    QChart *newChart();

    Prompter &prompter;
    ChartTab current = ChartTab::Shares;
    MoneyFlow shownFlow = MoneyFlow::Expense;
    std::optional<QString> opened;
    QDate start, end;
    int year = 0;

    ChartUnits units;
    QWidget *tabBar;
    QScrollArea *scroller;
    QChartView *view;
    ShareChart shares;
    QList<PeriodFigures> periods;
    QList<QGraphicsSimpleTextItem *> valueLabels;
    // The series of the months or years chart on show, kept to take the figures of another year.
    struct ShownPeriods
    {
        QStringList captions;
        QBarSet *income, *expense;
        QLineSeries *balance, *running;
        QValueAxis *amounts;
    };
    std::optional<ShownPeriods> shownPeriods;
    QPointer<QPrintPreviewDialog> preview;
};

// Opens the chart window of the main window's session, or brings it forward, on the given tab with
// the view page's date range and the statistics page's year. It closes when the session ends.
ChartWindow *openChartWindow(MainWindow *main, Prompter &prompter, ChartTab tab);
