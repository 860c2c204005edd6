#include "listprinting.h"

#include "common/datetext.h"
#include "common/numbers.h"
#include "ui/units.h"

#include <memory>

namespace {

constexpr int dataColumns[] = {320, 320, 320, 320, 300, 280};
const QStringList headers{QStringLiteral("项目类型"), QStringLiteral("项目名称"), QStringLiteral("支出"),
                          QStringLiteral("收入"),     QStringLiteral("人员"),     QStringLiteral("日期")};

} // namespace

void buildListPrintout(PrintGrid &grid, const QList<QStringList> &rows, const QDate &start, const QDate &end,
                       const SuperEditBox *measure)
{
    std::unique_ptr<SuperEditBox> own;
    if (!measure) {
        own = std::make_unique<SuperEditBox>();
        own->setFixedWidth(115);
        measure = own.get();
    }
    grid.clear();
    grid.setColumnCount(8);
    for (int c = 0; c < 6; ++c)
        grid.setColumnWidth(c + 1, dataColumns[c]);

    const int title = grid.appendRow(80);
    grid.appendRow(80);
    const int range = grid.appendRow(80);
    grid.setCellText(title, 1, QStringLiteral("账本数据"));
    grid.joinCells(title, 1, title + 1, 6);
    grid.setCellStyle(title, 1, title + 1, 6, 18, true, Qt::AlignCenter);
    grid.setCellText(range, 1, QStringLiteral("自 [") + dateText(start, 1) + QStringLiteral("] 至 [") + dateText(end, 1)
                                   + u']');
    grid.joinCells(range, 1, range, 6);
    grid.setCellStyle(range, 1, range, 6, 11, false, Qt::AlignLeft | Qt::AlignVCenter);

    const int header = grid.appendRow(68);
    for (int c = 0; c < 6; ++c)
        grid.setCellText(header, c + 1, headers[c]);
    grid.setCellStyle(header, 1, header, 6, 11, true, Qt::AlignCenter);
    grid.setRepeatedRows(header, 1);

    AmountTotal expense;
    AmountTotal income;
    for (const QStringList &cells : rows) {
        const int row = grid.appendRow(68);
        for (int c = 0; c < 6; ++c) {
            const QString text = cells.value(c);
            const QStringList lines = measure->wrappedLines(text);
            if (lines.size() > 1) {
                grid.setCellText(row, c + 1, lines.join(QStringLiteral("\r\n")));
                grid.setRowHeight(row, qMax(grid.rowHeight(row), int(lines.size()) * 45 + 5));
            } else {
                grid.setCellText(row, c + 1, text);
            }
        }
        grid.setCellStyle(row, 1, row, 6, 10, false, Qt::AlignLeft | Qt::AlignVCenter);
        grid.setCellStyle(row, 3, row, 4, 10, false, Qt::AlignRight | Qt::AlignVCenter);
        expense.add(cells.value(2));
        income.add(cells.value(3));
    }

    const int totals = grid.appendRow(68);
    grid.setCellText(totals, 1, QStringLiteral("支出合计：") + expense.text());
    grid.joinCells(totals, 1, totals, 2);
    grid.setCellText(totals, 3, QStringLiteral("收入合计：") + income.text());
    grid.joinCells(totals, 3, totals, 4);
    grid.setCellStyle(totals, 1, totals, 6, 11, true, Qt::AlignLeft | Qt::AlignVCenter);

    // Centred on the page: what the six columns leave is shared by the two margins.
    int used = 0;
    for (int w : dataColumns)
        used += w;
    const int margin = qMax(0, (grid.printablePageWidth() - used) / 2);
    grid.setColumnWidth(0, margin);
    grid.setColumnWidth(7, margin);
}
