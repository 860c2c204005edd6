#pragma once
// The printable grid: columns and rows measured in tenths of a millimetre on paper, cell texts,
// joined cells and cell styles, printed page by page and opened in a print preview.
#include <QFont>
#include <QList>
#include <QMarginsF>
#include <QObject>
#include <QPageLayout>
#include <QPointer>
#include <QRect>
#include <QStringList>

class QPainter;
class QPrinter;
class QPrintPreviewDialog;
class QWidget;

class PrintGrid : public QObject
{
    Q_OBJECT
public:
    explicit PrintGrid(QObject *parent = nullptr);

    void clear();
    void setColumnCount(int count);
    int columnCount() const { return int(columnWidths.size()); }
    void setColumnWidth(int column, int width);
    int columnWidth(int column) const { return columnWidths.value(column); }
    // Appends a row of that height and returns its index.
    int appendRow(int height);
    int rowCount() const { return int(rows.size()); }
    void setRowHeight(int row, int height);
    int rowHeight(int row) const;
    void setCellText(int row, int column, const QString &text);
    QString cellText(int row, int column) const;
    // Joins the rectangle of cells; the top-left cell's text spans it.
    void joinCells(int firstRow, int firstColumn, int lastRow, int lastColumn);
    // The joined rectangle a cell belongs to, or the cell alone.
    QRect cellSpan(int row, int column) const;
    // Font size in points, weight and alignment for a rectangle of cells.
    void setCellStyle(int firstRow, int firstColumn, int lastRow, int lastColumn, int pointSize, bool bold,
                      Qt::Alignment alignment);
    QFont cellFont(int row, int column) const;
    Qt::Alignment cellAlignment(int row, int column) const;

    void setPageLayout(const QPageLayout &layout) { page = layout; }
    QPageLayout pageLayout() const { return page; }
    // The width inside the page margins, in grid units.
    int printablePageWidth() const;
    int printablePageHeight() const;
    // Rows printed again at the top of every page after the first, such as the column titles.
    void setRepeatedRows(int first, int count);
    // How many pages the rows take; a row is never cut across two pages.
    int pageCount() const;

    // Prints every page on the printer (a real one, a PDF file or the preview's).
    void print(QPrinter *printer) const;
    // Opens the print preview, or brings an open one to the front.
    void showPreview(QWidget *parent = nullptr);
    bool previewOpen() const;

private:
    struct Cell
    {
        QString text;
        int pointSize = 10;
        bool bold = false;
        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    };
    struct Row
    {
        int height = 0;
        QList<Cell> cells;
    };
    // The first row of each page.
    QList<int> pageStarts() const;
    const Cell *cell(int row, int column) const;

    QList<int> columnWidths;
    QList<Row> rows;
    QList<QRect> joins; // x = column, y = row
    int repeatFirst = 0;
    int repeatCount = 0;
    QPageLayout page;
    QPointer<QPrintPreviewDialog> preview;
};
