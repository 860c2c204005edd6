#include "common/texttable.h"

#include <cstring>

TextTable::Cell TextTable::store(QByteArrayView utf8)
{
    const auto offset = quint64(block.size());
    const auto length = quint64(utf8.size());
    if (length >= longText) {
        block.append(reinterpret_cast<const char *>(&length), sizeof length);
        block.append(utf8.data(), size_t(length));
        return {offset << 24 | longText};
    }
    block.append(utf8.data(), size_t(length));
    return {offset << 24 | length};
}

void TextTable::completeRow()
{
    if (values.empty())
        return;
    for (; filled < columns; ++filled)
        cells.push_back({});
}

void TextTable::setColumnCount(int count)
{
    completeRow();
    filled = count;
    std::vector<Cell> resized;
    resized.reserve(values.size() * size_t(count));
    for (size_t r = 0; r < values.size(); ++r)
        for (int c = 0; c < count; ++c)
            resized.push_back(c < columns ? cells[r * size_t(columns) + size_t(c)] : Cell{});
    cells = std::move(resized);
    columns = count;
}

void TextTable::beginRow(qint64 value)
{
    completeRow();
    values.push_back(value);
    filled = 0;
}

void TextTable::addCell(QByteArrayView utf8)
{
    if (values.empty() || filled >= columns)
        return;
    cells.push_back(utf8.isEmpty() ? Cell{} : store(utf8));
    ++filled;
}

void TextTable::appendRow(const QStringList &row, qint64 value)
{
    beginRow(value);
    for (const QString &text : row)
        addCell(text);
    completeRow();
}

QByteArrayView TextTable::bytes(qsizetype row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columns)
        return {};
    const size_t at = size_t(row) * size_t(columns) + size_t(column);
    if (at >= cells.size()) // a cell the last row has not been given yet
        return {};
    const quint64 packed = cells[at].packed;
    const char *start = block.data() + (packed >> 24);
    quint64 length = packed & longText;
    if (length == longText) {
        std::memcpy(&length, start, sizeof length);
        start += sizeof length;
    }
    return QByteArrayView(start, qsizetype(length));
}

QString TextTable::text(qsizetype row, int column) const
{
    return QString::fromUtf8(bytes(row, column));
}

QStringList TextTable::rowTexts(qsizetype row) const
{
    QStringList texts;
    for (int c = 0; c < columns; ++c)
        texts.append(text(row, c));
    return texts;
}

void TextTable::setText(qsizetype row, int column, const QString &text)
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columns)
        return;
    completeRow();
    filled = columns;
    cells[size_t(row) * size_t(columns) + size_t(column)] = store(QByteArrayView(text.toUtf8()));
}

void TextTable::removeRow(qsizetype row)
{
    if (row < 0 || row >= rowCount())
        return;
    completeRow();
    filled = columns;
    values.erase(values.begin() + row);
    const auto first = cells.begin() + row * columns;
    cells.erase(first, first + columns);
}

void TextTable::clear()
{
    // The memory goes back too: a long list is not held after it is gone.
    std::string().swap(block);
    std::vector<Cell>().swap(cells);
    std::vector<qint64>().swap(values);
    filled = 0;
}

void TextTable::reset(int count)
{
    block.clear();
    cells.clear();
    values.clear();
    columns = count;
    filled = 0;
}

void TextTable::fit()
{
    completeRow();
    filled = columns;
    if (block.size() < block.capacity() / 4)
        block.shrink_to_fit();
    if (cells.size() < cells.capacity() / 4)
        cells.shrink_to_fit();
    if (values.size() < values.capacity() / 4)
        values.shrink_to_fit();
}
