#pragma once
// A report-style list: column titles, full-row selection, an integer item value on every row,
// rows in two alternating colours and a header painted in its own colours and font.
// The rows live in a flat table of plain texts, so a list of a hundred thousand rows fills at
// once and costs a few bytes a cell.
#include "common/texttable.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QTreeView>

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

struct ListRow
{
    QStringList cells;
    int itemValue = 0;
};
Q_DECLARE_TYPEINFO(ListRow, Q_RELOCATABLE_TYPE);

class ListModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    using QAbstractItemModel::QAbstractItemModel;

    void addColumn(const QString &title, Qt::Alignment alignment);
    QString columnTitle(int column) const { return titles.value(column); }
    Qt::Alignment columnAlignment(int column) const { return alignments.value(column, Qt::AlignLeft); }

    int appendRow(const ListRow &row);
    void setRows(const QList<ListRow> &replacement);
    void setRows(TextTable replacement);
    // All rows, taken out of the list, which is left empty.
    TextTable takeRows();
    void removeRow(int row);
    QString cellText(int row, int column) const { return rows.text(row, column); }
    int itemValue(int row) const { return int(rows.value(row)); }
    void setCellText(int row, int column, const QString &text);
    int count() const { return int(rows.rowCount()); }

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &) const override { return {}; }
    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : count(); }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : int(titles.size()); }
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    QStringList titles;
    QList<Qt::Alignment> alignments;
    TextTable rows;
};

class ListView : public QTreeView
{
    Q_OBJECT
public:
    explicit ListView(QWidget *parent = nullptr);

    void addColumn(const QString &title, int width, Qt::Alignment alignment = Qt::AlignLeft);
    int columnCount() const { return rows->columnCount(); }
    QString columnTitle(int column) const { return rows->columnTitle(column); }
    Qt::Alignment columnAlignment(int column) const { return rows->columnAlignment(column); }

    // Appends a row with the cell texts and the item value; returns its index.
    int appendRow(const QStringList &cells, int itemValue = 0);
    // Puts these rows in place of all rows, in one step; a table's values are the item values.
    void setRows(const QList<ListRow> &replacement);
    void setRows(TextTable replacement);
    int rowCount() const { return rows->count(); }
    QString cellText(int row, int column) const;
    void setCellText(int row, int column, const QString &text);
    int itemValue(int row) const;
    void removeRow(int row);
    void clearRows();
    // Empties the list and hands its rows over, so their memory can hold the next ones.
    TextTable takeRows();
    // The selected row, -1 when none.
    int selectedRow() const;
    void selectRow(int row);
    // The height of one row in pixels, also when the list holds no row.
    int rowHeight() const;
    // Where the row is drawn in the viewport; empty when there is no such row.
    QRect rowRect(int row) const;

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
    // A cell too narrow for its text shows the whole text as a tip, so every amount can be read.
    bool viewportEvent(QEvent *event) override;
    // Taking the focus marks no row: a row stands out only once the user picks it, so none is
    // taken for chosen when it is not.
    void focusInEvent(QFocusEvent *event) override;

private:
    ListHeader *headerView;
    ListModel *rows;
    QImage rowPicture;
};
