#pragma once
// Rows of short texts, each row with an integer value beside it (a record's id). The texts are kept
// as their UTF-8 bytes in one block and a row is a few numbers pointing into it, so a list of a
// hundred thousand rows is filled without a string or an allocation per cell and let go in one
// step. A text is made a QString only when it is asked for.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

class TextTable
{
public:
    explicit TextTable(int columns = 0) : columns(columns) {}

    int columnCount() const { return columns; }
    // Every row takes count cells: new ones empty, cells past count let go.
    void setColumnCount(int count);
    qsizetype rowCount() const { return qsizetype(values.size()); }
    bool isEmpty() const { return values.empty(); }

    // A new row at the end with the value; its cells are then given in column order by addCell. A
    // row given fewer cells shows empty ones; cells beyond the columns are not kept.
    void beginRow(qint64 value);
    void addCell(QByteArrayView utf8);
    void addCell(const QString &text) { addCell(QByteArrayView(text.toUtf8())); }
    // A whole row at once.
    void appendRow(const QStringList &cells, qint64 value);

    // The cell's text; empty outside the table.
    QString text(qsizetype row, int column) const;
    QByteArrayView bytes(qsizetype row, int column) const;
    QStringList rowTexts(qsizetype row) const;
    qint64 value(qsizetype row) const { return row >= 0 && row < rowCount() ? values[size_t(row)] : 0; }

    // Changing a cell keeps the old bytes in the block until the table is let go.
    void setText(qsizetype row, int column, const QString &text);
    void removeRow(qsizetype row);
    // No rows left, and the memory goes back.
    void clear();
    // No rows left and the given number of columns, the memory kept to be filled again: a list
    // read anew takes its rows where the ones before were, without growing into fresh memory.
    void reset(int columns);
    // Gives back what the rows do not use once they take less than a quarter of it.
    void fit();

private:
    // Where a cell's bytes start in the block (40 bits) and how many they are (24 bits). A text
    // of 16 MB or more keeps its length in 8 bytes in front of its bytes instead.
    struct Cell
    {
        quint64 packed = 0;
    };
    static constexpr quint64 longText = (quint64(1) << 24) - 1;
    void completeRow();
    Cell store(QByteArrayView utf8);

    int columns = 0;
    int filled = 0; // cells given to the last row so far
    std::string block;
    std::vector<Cell> cells;    // row after row, columns cells each
    std::vector<qint64> values; // one per row
};
