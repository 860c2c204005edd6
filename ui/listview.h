#pragma once
// A report-style list: column titles, full-row selection, an integer item value on every row,
// rows in two alternating colours and a header painted in its own colours and font.
#include <QHeaderView>
#include <QTreeWidget>

class ListHeader : public QHeaderView
{
    Q_OBJECT
public:
    explicit ListHeader(QWidget *parent = nullptr);
    // Grey cells with centred captions, the same fill right of the last column.
    void setLook(const QColor &textColour, const QColor &fillColour, const QFont &font);
    bool hasLook() const { return styled; }
    QColor textColour() const { return text; }
    QColor fillColour() const { return fill; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;

private:
    bool styled = false;
    QColor text, fill;
};

class ListView : public QTreeWidget
{
    Q_OBJECT
public:
    explicit ListView(QWidget *parent = nullptr);

    void addColumn(const QString &title, int width, Qt::Alignment alignment = Qt::AlignLeft);
    int columnCount() const { return QTreeWidget::columnCount(); }
    QString columnTitle(int column) const;
    Qt::Alignment columnAlignment(int column) const;

    // Appends a row with the cell texts and the item value; returns its index.
    int appendRow(const QStringList &cells, int itemValue = 0);
    int rowCount() const { return topLevelItemCount(); }
    QString cellText(int row, int column) const;
    void setCellText(int row, int column, const QString &text);
    int itemValue(int row) const;
    void removeRow(int row);
    void clearRows();
    // The selected row, -1 when none.
    int selectedRow() const;
    void selectRow(int row);
    // The height of one row in pixels, also when the list holds no row.
    int rowHeight() const;

    // Filling a long list row by row would repaint it each time: it is hidden while filled.
    void beginFilling();
    void endFilling();

    void setRowColours(const QColor &first, const QColor &second);
    // A picture tiled behind the rows from the first row on; a stripe picture two rows high makes
    // the rows alternate, and the stripes stay with their rows as the list scrolls.
    void setBackgroundPicture(const QImage &picture);
    ListHeader *listHeader() const { return headerView; }

signals:
    void columnTitleClicked(int column);
    void rowDoubleClicked(int row);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ListHeader *headerView;
    QImage rowPicture;
    QList<Qt::Alignment> alignments;
    bool visibleBeforeFilling = true;
    int fillingDepth = 0;
};
