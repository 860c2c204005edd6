#include "chartwindow.h"

#include "mainwindow.h"
#include "shelldressing.h"

#include "common/datetext.h"
#include "common/numbers.h"
#include "common/prompter.h"
#include "dataaccess/instances.h"
#include "reports/statistics.h"
#include "ui/units.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCursor>
#include <QGraphicsSimpleTextItem>
#include <QHorizontalBarSeries>
#include <QLineSeries>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>

namespace {

// The chart's colours follow the green skin: income in its green, expense in a warm earth tone
// beside it, the balances as lines in colours of their own.
const QColor incomeColour(0x3f, 0x8a, 0x62);
const QColor expenseColour(0xd0, 0x6e, 0x3b);
const QColor balanceColour(0x2f, 0x6f, 0xa8);
const QColor runningColour(0x8e, 0x5a, 0xa8);
const QColor inkColour(0x2b, 0x5e, 0x45);
const QColor quietColour(0x6f, 0x80, 0x76);
const QColor gridColour(0xd5, 0xe6, 0xdb);
const QColor plateColour(0xf6, 0xfa, 0xf6, 228);
const QColor plateLineColour(0x8a, 0xbd, 0x9c);

const QString incomeName = QStringLiteral("收入");
const QString expenseName = QStringLiteral("支出");
const QString balanceName = QStringLiteral("结余");
const QString runningName = QStringLiteral("累计结余");

// Rows of the share chart: the chart keeps this height for each, and scrolls when they are many.
constexpr int shareRowHeight = 30;
// Names longer than this are cut on the axis; the tooltip names them whole.
constexpr int shownNameLength = 10;
// As many period captions as stand side by side under the chart at the program's font.
constexpr int maxCaptions = 16;

QFont programFont(int pixelSize, bool bold = false)
{
    QFont font = QApplication::font();
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QString flowName(MoneyFlow flow)
{
    return flow == MoneyFlow::Expense ? expenseName : incomeName;
}

QString groupName(const QString &name)
{
    return name.isEmpty() ? QStringLiteral("（未填写）") : name;
}

// The axis of categories keeps each text once: a cut name that repeats another is told apart by
// invisible marks, so every bar keeps its own row.
QStringList distinctLabels(const QStringList &names)
{
    QStringList labels;
    for (const QString &name : names) {
        QString label = name.size() > shownNameLength ? name.left(shownNameLength - 1) + QStringLiteral("…") : name;
        while (labels.contains(label))
            label += QChar(0x200B);
        labels.append(label);
    }
    return labels;
}

// Captions in the program's font and ink; grid lines only across the amounts.
template<class Axis>
Axis *dressed(Axis *axis, bool grid)
{
    axis->setLabelsFont(programFont(12));
    axis->setLabelsColor(inkColour);
    axis->setGridLineVisible(grid);
    axis->setGridLineColor(gridColour);
    axis->setLinePenColor(plateLineColour);
    return axis;
}

QValueAxis *amountAxis(double low, double high)
{
    auto *axis = new QValueAxis;
    axis->setRange(low, high);
    axis->applyNiceNumbers();
    axis->setLabelFormat(QStringLiteral("%.2f"));
    return dressed(axis, true);
}

QBarCategoryAxis *categoryAxis(const QStringList &labels)
{
    auto *axis = new QBarCategoryAxis;
    axis->append(labels);
    return dressed(axis, false);
}

// Many years name every second (or third…) year under its bars, the latest always, so that no
// caption is cut or overlaps its neighbour; the tips tell the others.
QCategoryAxis *sparseAxis(const QStringList &captions)
{
    auto *axis = new QCategoryAxis;
    const int count = int(captions.size());
    axis->setRange(-0.5, count - 0.5);
    axis->setStartValue(-0.5);
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    const int step = (count + maxCaptions - 1) / maxCaptions;
    for (int i = (count - 1) % step; i < count; i += step)
        axis->append(captions[i], i);
    return dressed(axis, false);
}

QBarSet *barSet(const QString &name, const QColor &colour)
{
    auto *set = new QBarSet(name);
    set->setColor(colour);
    set->setBorderColor(colour.darker(115));
    return set;
}

QLineSeries *lineSeries(const QString &name, const QColor &colour, Qt::PenStyle style)
{
    auto *line = new QLineSeries;
    line->setName(name);
    QPen pen(colour, 2.2, style);
    pen.setCapStyle(Qt::RoundCap);
    line->setPen(pen);
    line->setPointsVisible(true);
    return line;
}

} // namespace

ChartWindow::ChartWindow(Prompter &prompter, QWidget *parent)
    : LayoutWindow(QStringLiteral("chart"), parent), prompter(prompter), units(ChartUnits::bind(*this)),
      tabBar(new QWidget(this)), scroller(new QScrollArea(units.frame)), view(new QChartView)
{
    placeAtCreation();
    registerShellWindow(ShellWindow::Chart, this);

    // The chart lies on the window's own background; only its plate is drawn.
    scroller->setGeometry(units.frame->rect());
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroller->setAutoFillBackground(false);
    scroller->viewport()->setAutoFillBackground(false);
    view->setFrameShape(QFrame::NoFrame);
    view->setBackgroundBrush(Qt::NoBrush);
    view->setAutoFillBackground(false);
    view->viewport()->setAutoFillBackground(false);
    view->setRenderHint(QPainter::Antialiasing);
    scroller->setWidget(view);
    view->resize(scroller->size());
    units.emptyState->setTextColour(quietColour);
    units.emptyState->raise();
    units.emptyState->hide();
    units.caption->setTextColour(inkColour);
    tabBar->setAutoFillBackground(true);
    QPalette bar = tabBar->palette();
    bar.setColor(QPalette::Window, incomeColour);
    tabBar->setPalette(bar);

    int currentYear = 0;
    units.years->addItems(yearList(&currentYear));
    units.years->setCurrentIndex(currentYear);
    year = units.years->currentText().toInt();
    units.year->setText(units.years->currentText());

    dressDialogWindow(this);
    for (int i = 0; i < units.tabs.size(); ++i)
        connect(units.tabs[i], &TransparentLabel::pressed, this, [this, i](Qt::MouseButton button, const QPoint &) {
            if (button == Qt::LeftButton)
                chooseTab(ChartTab(i));
        });
    connect(units.expense, &GraphicButton::clicked, this, [this] { chooseFlow(MoneyFlow::Expense); });
    connect(units.income, &GraphicButton::clicked, this, [this] { chooseFlow(MoneyFlow::Income); });
    connect(units.back, &GraphicButton::clicked, this, &ChartWindow::backToTypes);
    connect(units.yearDrop, &GraphicButton::clicked, units.years, &ComboBox::openDropDown);
    connect(units.year, &TransparentLabel::pressed, units.years, [this](Qt::MouseButton button, const QPoint &) {
        if (button == Qt::LeftButton)
            units.years->openDropDown();
    });
    connect(units.years, &QComboBox::textActivated, this, [this](const QString &text) { setYear(text.toInt()); });
    connect(units.savePicture, &GraphicButton::clicked, this, &ChartWindow::savePicture);
    connect(units.print, &GraphicButton::clicked, this, &ChartWindow::openPrintPreview);
    connect(units.close, &GraphicButton::clicked, this, &QWidget::close);
    moveOnBarePress();
    showTabs();
}

ChartWindow::~ChartWindow()
{
    registerShellWindow(ShellWindow::Chart, nullptr);
    resetDressing(this);
}

void ChartWindow::showFigures(ChartTab tab, const QDate &from, const QDate &to, int chosenYear)
{
    current = tab;
    start = from;
    end = to;
    opened.reset();
    if (chosenYear > 0) {
        year = chosenYear;
        units.year->setText(QString::number(year));
        const int index = units.years->findText(QString::number(year));
        if (index >= 0)
            units.years->setCurrentIndex(index);
    }
    redraw();
}

void ChartWindow::setYear(int chosen)
{
    year = chosen;
    units.year->setText(QString::number(year));
    if (current == ChartTab::Months)
        redraw();
}

void ChartWindow::chooseTab(ChartTab tab)
{
    current = tab;
    redraw();
}

void ChartWindow::chooseFlow(MoneyFlow flow)
{
    shownFlow = flow;
    if (current == ChartTab::Shares)
        redraw();
}

void ChartWindow::openType(const QString &type)
{
    opened = type;
    redraw();
}

void ChartWindow::backToTypes()
{
    opened.reset();
    redraw();
}

void ChartWindow::showTabs()
{
    for (int i = 0; i < units.tabs.size(); ++i)
        units.tabs[i]->setTextColour(ChartTab(i) == current ? incomeColour : quietColour);
    const QRect chosen = units.tabs.value(int(current))->geometry();
    tabBar->setGeometry(chosen.left() + 14, chosen.bottom() + 1, chosen.width() - 28, 3);
    tabBar->raise();
    for (QWidget *w : {static_cast<QWidget *>(units.expense), static_cast<QWidget *>(units.income)})
        w->setVisible(current == ChartTab::Shares);
    units.back->setVisible(current == ChartTab::Shares && opened.has_value());
    for (QWidget *w : {static_cast<QWidget *>(units.yearCaption), static_cast<QWidget *>(units.year),
                       static_cast<QWidget *>(units.yearDrop)})
        w->setVisible(current == ChartTab::Months);
}

QChart *ChartWindow::chart() const
{
    return view->chart();
}

QChart *ChartWindow::newChart()
{
    auto *chart = new QChart;
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setBackgroundBrush(plateColour);
    chart->setBackgroundPen(QPen(plateLineColour, 1));
    chart->setBackgroundRoundness(6);
    chart->setMargins(QMargins(6, 10, 18, 6));
    chart->legend()->setFont(programFont(12));
    chart->legend()->setLabelColor(inkColour);
    chart->legend()->setAlignment(Qt::AlignBottom);
    // The labels drawn beside the bars and the series belong to the chart and go with it.
    valueLabels.clear();
    shownPeriods.reset();
    // The old chart may be the one whose click or hover is being handled: it goes once that is over.
    QChart *old = view->chart();
    view->setChart(chart);
    if (old)
        old->deleteLater();
    connect(chart, &QChart::plotAreaChanged, this, &ChartWindow::placeValueLabels);
    return chart;
}

void ChartWindow::redraw()
{
    showTabs();
    units.emptyState->hide();
    if (current == ChartTab::Shares) {
        drawShares();
        return;
    }
    if (current == ChartTab::Months) {
        const MonthsChart months = computeMonthsChart(userRecordset, year);
        units.caption->setText(QStringLiteral("%1年每月的收入、支出和结余").arg(year));
        if (months.empty)
            return showEmptyState(QStringLiteral("%1年没有收支记录。\n\n请点击上方的年份，换一个年份看看。").arg(year));
        periods = months.months;
        AmountTotal income, expense;
        for (const PeriodFigures &m : periods)
            income.add(m.income.text), expense.add(m.expense.text);
        const bool known = income.known && expense.known;
        units.caption->setText(QStringLiteral("%1年　收入合计：%2 元　支出合计：%3 元　结余：%4 元")
                                   .arg(year)
                                   .arg(income.text(), expense.text(),
                                        known ? centsText(income.cents - expense.cents) : amountOutOfRangeText));
        drawPeriods(periods, false);
        return;
    }
    const YearsChart years = computeYearsChart(userRecordset);
    if (years.years.isEmpty()) {
        units.caption->setText(QStringLiteral("历年的收入、支出和结余"));
        return showEmptyState(QStringLiteral("账本中还没有收支记录。\n\n在“添加”页面记下收入和支出后，这里会画出每一年的收支。"));
    }
    periods = years.years;
    units.caption->setText(QStringLiteral("%1年至%2年　每年的收入、支出和结余，累计结余：%3 元")
                               .arg(periods.first().caption, periods.last().caption, periods.last().runningBalance.text));
    drawPeriods(periods, true);
}

void ChartWindow::drawShares()
{
    const QString flow = flowName(shownFlow);
    const QString range = dateText(start, 1) + QStringLiteral(" 至 ") + dateText(end, 1);
    ShareChart result;
    if (!computeShares(userRecordset, true, shownFlow, start, end, opened, prompter, &result)) {
        units.caption->setText(range);
        return showEmptyState(QStringLiteral("请在“查看”页面选择正确的日期范围。"));
    }
    shares = result;
    const QString within = opened ? QStringLiteral("“%1”的").arg(groupName(*opened)) : QString();
    if (shares.groups.isEmpty()) {
        units.caption->setText(range);
        return showEmptyState(QStringLiteral("%1 %2没有%3记录。\n\n请在“查看”页面换一个日期范围，或点击“%4”看看。")
                                  .arg(range, within, flow, flowName(shownFlow == MoneyFlow::Expense ? MoneyFlow::Income : MoneyFlow::Expense)));
    }
    units.caption->setText(opened ? QStringLiteral("%1　%2%3合计：%4 元，按项目名称。点击“返回”回到项目类型。")
                                        .arg(range, within, flow, shares.total.text)
                                  : QStringLiteral("%1　%2合计：%3 元，按项目类型。点击一项，查看其中的项目名称。")
                                        .arg(range, flow, shares.total.text));

    const int rows = int(shares.groups.size());
    const int height = std::max(scroller->height(), 56 + rows * shareRowHeight);
    const bool scrolls = height > scroller->height();
    view->resize(scroller->width() - (scrolls ? scroller->verticalScrollBar()->sizeHint().width() : 0), height);

    QChart *chart = newChart();
    chart->legend()->hide();
    auto *series = new QHorizontalBarSeries;
    QBarSet *set = barSet(flow, shownFlow == MoneyFlow::Expense ? expenseColour : incomeColour);
    // The axis counts from the bottom: the largest group is appended last to stand at the top.
    QStringList names;
    double low = 0, high = 0;
    for (int i = rows - 1; i >= 0; --i) {
        const ShareGroup &g = shares.groups[i];
        set->append(g.amount.value);
        names.append(groupName(g.name));
        low = std::min(low, g.amount.value);
        high = std::max(high, g.amount.value);
    }
    series->append(set);
    // A few groups keep bars of a row's thickness instead of filling the plate.
    const double band = double(height - 70) / rows;
    series->setBarWidth(std::min(0.62, shareRowHeight * 0.8 / band));
    chart->addSeries(series);
    // Room beyond the longest bar (and before the most negative one) for its amount and share.
    const double span = std::max(high - low, 0.01);
    QValueAxis *amounts = amountAxis(low < 0 ? low - span * 0.45 : 0, high > 0 ? high + span * 0.42 : 0);
    amounts->setTickCount(6);
    QBarCategoryAxis *categories = categoryAxis(distinctLabels(names));
    chart->addAxis(amounts, Qt::AlignBottom);
    chart->addAxis(categories, Qt::AlignLeft);
    series->attachAxis(amounts);
    series->attachAxis(categories);

    const QFont labelFont = programFont(12);
    for (int i = 0; i < rows; ++i) {
        const ShareGroup &g = shares.groups[rows - 1 - i];
        auto *label = new QGraphicsSimpleTextItem(g.share.isEmpty() ? g.amount.text : g.amount.text + QStringLiteral("（") + g.share + QStringLiteral("）"), chart);
        label->setFont(labelFont);
        label->setBrush(inkColour);
        label->setData(0, i);
        label->setData(1, g.amount.value);
        valueLabels.append(label);
    }
    connect(set, &QBarSet::hovered, this, [this, set](bool on, int index) {
        if (on)
            QToolTip::showText(QCursor::pos(), barTip(set->label(), index), view);
        else
            QToolTip::hideText();
    });
    // The names are drawn after the click is handled, not inside the chart that reports it.
    connect(
        set, &QBarSet::clicked, this,
        [this, rows](int index) {
            if (!opened && index >= 0 && index < rows && rows == shares.groups.size())
                openType(shares.groups[rows - 1 - index].name);
        },
        Qt::QueuedConnection);
    placeValueLabels();
}

void ChartWindow::placeValueLabels()
{
    QChart *chart = view->chart();
    if (!chart || valueLabels.isEmpty() || chart->series().isEmpty())
        return;
    QAbstractSeries *series = chart->series().first();
    for (QGraphicsSimpleTextItem *label : valueLabels) {
        const double value = label->data(1).toDouble();
        const QPointF end = chart->mapToPosition(QPointF(value, label->data(0).toInt()), series);
        const QRectF box = label->boundingRect();
        const qreal x = value < 0 ? end.x() - box.width() - 6 : end.x() + 6;
        label->setPos(x, end.y() - box.height() / 2);
    }
}

void ChartWindow::drawPeriods(const QList<PeriodFigures> &list, bool running)
{
    QStringList captions;
    QList<qreal> incomes, expenses;
    QList<QPointF> balances, totals;
    double low = 0, high = 0;
    for (int i = 0; i < list.size(); ++i) {
        const PeriodFigures &p = list[i];
        captions.append(p.caption);
        incomes.append(p.income.value);
        expenses.append(p.expense.value);
        balances.append(QPointF(i, p.balance.value));
        if (running)
            totals.append(QPointF(i, p.runningBalance.value));
        for (double v : {p.income.value, p.expense.value, p.balance.value, running ? p.runningBalance.value : 0.0}) {
            low = std::min(low, v);
            high = std::max(high, v);
        }
    }
    const double span = std::max(high - low, 0.01);
    const double bottom = low < 0 ? low - span * 0.05 : 0, top = high + span * 0.08;
    // Another year of the same chart moves the bars and lines it has, which is quicker than a new chart.
    if (shownPeriods && shownPeriods->captions == captions && (shownPeriods->running != nullptr) == running) {
        for (int i = 0; i < list.size(); ++i) {
            shownPeriods->income->replace(i, incomes[i]);
            shownPeriods->expense->replace(i, expenses[i]);
        }
        shownPeriods->balance->replace(balances);
        if (running)
            shownPeriods->running->replace(totals);
        shownPeriods->amounts->setRange(bottom, top);
        shownPeriods->amounts->applyNiceNumbers();
        return;
    }

    view->resize(scroller->size());
    QChart *chart = newChart();
    auto *bars = new QBarSeries;
    QBarSet *income = barSet(incomeName, incomeColour);
    QBarSet *expense = barSet(expenseName, expenseColour);
    QLineSeries *balance = lineSeries(balanceName, balanceColour, Qt::SolidLine);
    QLineSeries *total = running ? lineSeries(runningName, runningColour, Qt::DashLine) : nullptr;
    income->append(incomes);
    expense->append(expenses);
    balance->append(balances);
    if (total)
        total->append(totals);
    bars->append(income);
    bars->append(expense);
    bars->setBarWidth(0.72);
    chart->addSeries(bars);
    chart->addSeries(balance);
    if (total)
        chart->addSeries(total);
    QValueAxis *amounts = amountAxis(bottom, top);
    QAbstractAxis *categories = captions.size() <= maxCaptions ? static_cast<QAbstractAxis *>(categoryAxis(captions)) : sparseAxis(captions);
    shownPeriods = ShownPeriods{captions, income, expense, balance, total, amounts};
    chart->addAxis(categories, Qt::AlignBottom);
    chart->addAxis(amounts, Qt::AlignLeft);
    for (QAbstractSeries *s : chart->series()) {
        s->attachAxis(categories);
        s->attachAxis(amounts);
    }
    for (QBarSet *set : {income, expense})
        connect(set, &QBarSet::hovered, this, [this, set](bool on, int index) {
            if (on)
                QToolTip::showText(QCursor::pos(), barTip(set->label(), index), view);
            else
                QToolTip::hideText();
        });
    for (QLineSeries *line : {balance, total}) {
        if (!line)
            continue;
        connect(line, &QLineSeries::hovered, this, [this, line](const QPointF &point, bool on) {
            if (on)
                QToolTip::showText(QCursor::pos(), barTip(line->name(), qRound(point.x())), view);
            else
                QToolTip::hideText();
        });
    }
}

QString ChartWindow::barTip(const QString &set, int index) const
{
    if (current == ChartTab::Shares) {
        const int rows = int(shares.groups.size());
        if (index < 0 || index >= rows)
            return {};
        const ShareGroup &g = shares.groups[rows - 1 - index];
        QString tip = QStringLiteral("%1\n%2：%3 元").arg(groupName(g.name), set, g.amount.text);
        if (!g.share.isEmpty())
            tip += QStringLiteral("，占 %1").arg(g.share);
        if (!opened)
            tip += QStringLiteral("\n点击查看其中的项目名称");
        return tip;
    }
    if (index < 0 || index >= periods.size())
        return {};
    const PeriodFigures &p = periods[index];
    const QString when = current == ChartTab::Months ? QStringLiteral("%1年%2").arg(year).arg(p.caption)
                                                     : p.caption + QStringLiteral("年");
    const ChartAmount &amount = set == incomeName    ? p.income
                              : set == expenseName   ? p.expense
                              : set == balanceName   ? p.balance
                                                     : p.runningBalance;
    return QStringLiteral("%1\n%2：%3 元").arg(when, set, amount.text);
}

void ChartWindow::showEmptyState(const QString &text)
{
    // The empty plate of a chart, with the words on it.
    view->resize(scroller->size());
    newChart()->legend()->hide();
    periods.clear();
    shares = ShareChart();
    units.emptyState->setText(text);
    units.emptyState->show();
    units.emptyState->raise();
}

bool ChartWindow::emptyStateShown() const
{
    return !units.emptyState->isHidden();
}

QString ChartWindow::emptyStateText() const
{
    return units.emptyState->text();
}

QString ChartWindow::captionText() const
{
    return units.caption->text();
}

QImage ChartWindow::picture() const
{
    const QSize size = view->size();
    constexpr int heading = 40;
    constexpr qreal scale = 2; // sharp enough to print
    QImage image(QSize(size.width(), size.height() + heading) * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(programFont(14, true));
    painter.setPen(inkColour);
    const QString title = units.tabs.value(int(current))->text() + QStringLiteral("　") + units.caption->text();
    painter.drawText(QRect(12, 0, size.width() - 24, heading), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextWordWrap, title);
    view->render(&painter, QRectF(0, heading, size.width(), size.height()), view->viewport()->rect());
    return image;
}

void ChartWindow::savePicture()
{
    if (emptyStateShown()) {
        prompter.showMessage(QStringLiteral("没有可以保存的图表！"));
        return;
    }
    const QString name = current == ChartTab::Shares ? QStringLiteral("收支图表_%1至%2").arg(dateText(start, 1), dateText(end, 1))
                       : current == ChartTab::Months ? QStringLiteral("收支图表_%1年").arg(year)
                                                     : QStringLiteral("收支图表_历年");
    const QString path = prompter.pickSaveFile(QStringLiteral("PNG图片(*.png)|*.png"), QStringLiteral("*.png"), name + QStringLiteral(".png"));
    if (path.isEmpty())
        return;
    // Written aside and moved into place whole, so a failed save leaves no half picture.
    QSaveFile file(path);
    const bool saved = file.open(QIODevice::WriteOnly) && picture().save(&file, "PNG") && file.commit();
    prompter.showMessage(saved ? QStringLiteral("保存图片成功！") : QStringLiteral("保存图片失败！"));
}

void ChartWindow::paintForPrinter(QPrinter *printer) const
{
    QPainter painter(printer);
    const QImage shown = picture();
    const QRect page = painter.viewport();
    const QSize fitted = shown.deviceIndependentSize().toSize().scaled(page.size(), Qt::KeepAspectRatio);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(QPoint(page.left() + (page.width() - fitted.width()) / 2, page.top()), fitted), shown);
}

void ChartWindow::openPrintPreview()
{
    if (emptyStateShown()) {
        prompter.showMessage(QStringLiteral("没有可以打印的图表！"));
        return;
    }
    if (preview) {
        preview->raise();
        preview->activateWindow();
        return;
    }
    preview = new QPrintPreviewDialog(this);
    preview->setAttribute(Qt::WA_DeleteOnClose);
    preview->printer()->setPageOrientation(QPageLayout::Landscape);
    connect(preview, &QPrintPreviewDialog::paintRequested, this, &ChartWindow::paintForPrinter);
    preview->resize(900, 700);
    preview->show();
}

ChartWindow *openChartWindow(MainWindow *main, Prompter &prompter, ChartTab tab)
{
    auto *window = main->findChild<ChartWindow *>(QString(), Qt::FindDirectChildrenOnly);
    if (!window) {
        window = new ChartWindow(prompter, main);
        // The figures are the session's ledger's: the window goes when the session ends.
        QObject::connect(main, &MainWindow::sessionEnded, window, &QObject::deleteLater);
        window->move(main->geometry().center() - window->rect().center());
    }
    const ViewUnits view = ViewUnits::bind(*main->page(QStringLiteral("view")));
    const StatisticsUnits statistics = StatisticsUnits::bind(*main->page(QStringLiteral("statistics")));
    window->showFigures(tab, view.start->dateTime().date(), view.end->dateTime().date(),
                        int(textToInteger(statistics.year->text())));
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}
