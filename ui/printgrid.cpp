#include "ui/printgrid.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace {
// Grid units are tenths of a millimetre.
constexpr double unitsPerMillimetre = 10.0;

// Draws the lines of a cell's text inside the box, line under line at the font's own spacing, so
// that no line crosses a rule: lines that would not fit at the cell's size get a smaller size.
void drawCellText(QPainter &painter, const QRectF &box, QFont font, Qt::Alignment alignment, const QStringList &lines)
{
    const auto blockSize = [&](const QFontMetricsF &metrics) {
        qreal width = 0;
        for (const QString &line : lines)
            width = qMax(width, metrics.horizontalAdvance(line));
        return QSizeF(width, metrics.height() + (lines.size() - 1) * metrics.lineSpacing());
    };
    QFontMetricsF metrics(font, painter.device());
    QSizeF block = blockSize(metrics);
    if (block.width() > box.width() || block.height() > box.height()) {
        const qreal factor = qMin(box.width() / qMax<qreal>(block.width(), 1), box.height() / block.height());
        font.setPixelSize(qMax(1, qMin(font.pixelSize() - 1, int(font.pixelSize() * factor))));
        metrics = QFontMetricsF(font, painter.device());
        block = blockSize(metrics);
        // Rounding of the metrics can leave the block a little too large still.
        while (font.pixelSize() > 1 && (block.width() > box.width() || block.height() > box.height())) {
            font.setPixelSize(font.pixelSize() - 1);
            metrics = QFontMetricsF(font, painter.device());
            block = blockSize(metrics);
        }
    }
    painter.setFont(font);
    qreal top = box.top();
    if (alignment & Qt::AlignBottom)
        top = box.bottom() - block.height();
    else if (alignment & Qt::AlignVCenter)
        top = box.top() + (box.height() - block.height()) / 2;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const qreal width = metrics.horizontalAdvance(lines[i]);
        qreal left = box.left();
        if (alignment & Qt::AlignRight)
            left = box.right() - width;
        else if (alignment & Qt::AlignHCenter)
            left = box.left() + (box.width() - width) / 2;
        painter.drawText(QPointF(left, top + i * metrics.lineSpacing() + metrics.ascent()), lines[i]);
    }
}
} // namespace

PrintGrid::PrintGrid(QObject *parent)
    : QObject(parent),
      page(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter)
{
}

void PrintGrid::clear()
{
    columnWidths.clear();
    rows.clear();
    joins.clear();
}

void PrintGrid::setColumnCount(int count)
{
    columnWidths.resize(qMax(0, count));
    for (Row &row : rows)
        row.cells.resize(columnWidths.size());
}

void PrintGrid::setColumnWidth(int column, int width)
{
    if (column >= 0 && column < columnWidths.size())
        columnWidths[column] = qMax(0, width);
}

int PrintGrid::appendRow(int height)
{
    Row row;
    row.height = qMax(0, height);
    row.cells.resize(columnWidths.size());
    rows.append(row);
    return int(rows.size()) - 1;
}

void PrintGrid::setRowHeight(int row, int height)
{
    if (row >= 0 && row < rows.size())
        rows[row].height = qMax(0, height);
}

int PrintGrid::rowHeight(int row) const
{
    return row >= 0 && row < rows.size() ? rows[row].height : 0;
}

const PrintGrid::Cell *PrintGrid::cell(int row, int column) const
{
    if (row < 0 || row >= rows.size() || column < 0 || column >= rows[row].cells.size())
        return nullptr;
    return &rows[row].cells[column];
}

void PrintGrid::setCellText(int row, int column, const QString &text)
{
    if (cell(row, column))
        rows[row].cells[column].text = text;
}

QString PrintGrid::cellText(int row, int column) const
{
    const Cell *c = cell(row, column);
    return c ? c->text : QString();
}

void PrintGrid::joinCells(int firstRow, int firstColumn, int lastRow, int lastColumn)
{
    const QRect join(QPoint(firstColumn, firstRow), QPoint(lastColumn, lastRow));
    // A new join replaces the joins it overlaps.
    joins.removeIf([&](const QRect &j) { return j.intersects(join); });
    joins.append(join.normalized());
}

QRect PrintGrid::cellSpan(int row, int column) const
{
    for (const QRect &j : joins)
        if (j.contains(column, row))
            return j;
    return QRect(column, row, 1, 1);
}

void PrintGrid::setCellStyle(int firstRow, int firstColumn, int lastRow, int lastColumn, int pointSize, bool bold,
                             Qt::Alignment alignment)
{
    for (int r = firstRow; r <= lastRow; ++r)
        for (int c = firstColumn; c <= lastColumn; ++c)
            if (cell(r, c)) {
                Cell &target = rows[r].cells[c];
                target.pointSize = pointSize;
                target.bold = bold;
                target.alignment = alignment;
            }
}

QFont PrintGrid::cellFont(int row, int column) const
{
    // A PDF names one code point for each glyph it embeds, and the program's CJK font draws many
    // common characters (生, 支, 日, 工 …) with the glyph of their Kangxi radical, whose code point
    // comes first: the PDF would copy out and search as radicals. AR PL UMing, a Song face like
    // 宋体, draws the radicals with glyphs of their own; 宋体 stands in where it is missing.
    QFont font;
    font.setFamilies({QStringLiteral("AR PL UMing CN"), QStringLiteral("宋体")});
    if (const Cell *c = cell(row, column)) {
        font.setPointSize(c->pointSize);
        font.setBold(c->bold);
    }
    return font;
}

Qt::Alignment PrintGrid::cellAlignment(int row, int column) const
{
    const Cell *c = cell(row, column);
    return c ? c->alignment : Qt::AlignLeft | Qt::AlignVCenter;
}

int PrintGrid::printablePageWidth() const
{
    return qRound(page.paintRect(QPageLayout::Millimeter).width() * unitsPerMillimetre);
}

int PrintGrid::printablePageHeight() const
{
    return qRound(page.paintRect(QPageLayout::Millimeter).height() * unitsPerMillimetre);
}

void PrintGrid::setRepeatedRows(int first, int count)
{
    repeatFirst = qMax(0, first);
    repeatCount = qMax(0, count);
}

QList<int> PrintGrid::pageStarts() const
{
    QList<int> starts{0};
    const int height = printablePageHeight();
    int repeated = 0;
    for (int r = repeatFirst; r < repeatFirst + repeatCount && r < rows.size(); ++r)
        repeated += rows[r].height;
    int used = 0;
    for (int r = 0; r < rows.size(); ++r) {
        if (used > 0 && used + rows[r].height > height) {
            starts.append(r);
            used = repeated; // the repeated rows head the new page
        }
        used += rows[r].height;
    }
    return starts;
}

int PrintGrid::pageCount() const
{
    return int(pageStarts().size());
}

void PrintGrid::print(QPrinter *printer) const
{
    printer->setPageLayout(page);
    QPainter painter;
    if (!painter.begin(printer))
        return;
    // Device pixels per grid unit.
    const double scale = printer->resolution() / 25.4 / unitsPerMillimetre;
    const QList<int> starts = pageStarts();
    QList<int> columnLefts{0};
    for (int w : columnWidths)
        columnLefts.append(columnLefts.last() + w);

    for (int p = 0; p < starts.size(); ++p) {
        if (p > 0)
            printer->newPage();
        // The rows of this page, top to bottom: the repeated rows first on every page but the first.
        QList<int> sequence;
        if (p > 0)
            for (int r = repeatFirst; r < repeatFirst + repeatCount && r < starts[p]; ++r)
                sequence.append(r);
        const int end = p + 1 < starts.size() ? starts[p + 1] : int(rows.size());
        for (int r = starts[p]; r < end; ++r)
            sequence.append(r);
        QList<int> tops{0};
        for (int r : sequence)
            tops.append(tops.last() + rows[r].height);
        painter.save();
        painter.scale(scale, scale);
        QPen line(Qt::black);
        line.setWidthF(2); // 0.2 mm
        for (int i = 0; i < sequence.size(); ++i) {
            const int r = sequence[i];
            for (int c = 0; c < columnWidths.size(); ++c) {
                const QRect span = cellSpan(r, c);
                // A joined rectangle is drawn once: from its top row, or from where it enters the page.
                const bool entersHere = span.top() == r || i == 0 || sequence[i - 1] != r - 1;
                if (span.left() != c || !entersHere)
                    continue;
                int last = i;
                while (last + 1 < sequence.size() && sequence[last + 1] == sequence[last] + 1
                       && sequence[last + 1] <= span.bottom())
                    ++last;
                const QRectF box(columnLefts[c], tops[i], columnLefts[span.right() + 1] - columnLefts[c],
                                 tops[last + 1] - tops[i]);
                if (box.width() <= 0 || box.height() <= 0)
                    continue;
                const Cell *source = cell(span.top(), span.left());
                if (!source)
                    continue;
                // Margin columns stay blank and unruled.
                const bool margin = (c == 0 || c == columnWidths.size() - 1) && source->text.isEmpty() && span.width() == 1;
                if (!margin) {
                    painter.setPen(line);
                    painter.drawRect(box);
                }
                if (source->text.isEmpty())
                    continue;
                QFont font = cellFont(span.top(), span.left());
                // Points to grid units: 1 pt = 0.3528 mm.
                font.setPixelSize(qMax(1, qRound(source->pointSize * 0.3528 * unitsPerMillimetre)));
                painter.setPen(Qt::black);
                QString text = source->text;
                text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
                drawCellText(painter, box.adjusted(8, 4, -8, -4), font, source->alignment, text.split(u'\n'));
            }
        }
        painter.restore();
    }
    painter.end();
}

void PrintGrid::showPreview(QWidget *parent)
{
    if (preview) {
        preview->raise();
        preview->activateWindow();
        return;
    }
    preview = new QPrintPreviewDialog(parent);
    preview->setAttribute(Qt::WA_DeleteOnClose);
    preview->printer()->setPageLayout(page);
    connect(preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter *printer) { print(printer); });
    preview->resize(900, 700);
    preview->show();
}

bool PrintGrid::previewOpen() const
{
    return preview && preview->isVisible();
}
