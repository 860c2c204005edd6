#include "ui/listview.h"

#include <QApplication>
#include <QHash>
#include <QHelpEvent>
#include <QPainter>
#include <QStaticText>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <QToolTip>

#include <algorithm>
#include <limits>

ListHeader::ListHeader(QWidget *parent) : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsClickable(true);
    setStretchLastSection(false);
    setDefaultAlignment(Qt::AlignCenter);
}

void ListHeader::setLook(const QColor &textColour, const QColor &fillColour, const QFont &font)
{
    styled = true;
    text = textColour;
    fill = fillColour;
    setFont(font);
    viewport()->update();
}

void ListHeader::paintEvent(QPaintEvent *event)
{
    if (!styled) {
        QHeaderView::paintEvent(event);
        return;
    }
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), fill);
    for (int visual = 0; visual < count(); ++visual) {
        const int logical = logicalIndex(visual);
        if (isSectionHidden(logical))
            continue;
        const QRect cell(sectionViewportPosition(logical), 0, sectionSize(logical), viewport()->height());
        painter.save();
        paintSection(&painter, cell, logical);
        painter.restore();
    }
}

void ListHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    if (!styled) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    painter->fillRect(rect, fill);
    // A thin darker line parts the columns, so a column can be found to be resized.
    painter->setPen(fill.darker(125));
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->setPen(text);
    painter->setFont(font());
    const QString caption = model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
    painter->drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, caption.left(255));
}

void ListModel::addColumn(const QString &title, Qt::Alignment alignment)
{
    const int column = int(titles.size());
    beginInsertColumns({}, column, column);
    titles.append(title);
    alignments.append(alignment);
    rows.setColumnCount(int(titles.size())); // the rows take the new column, empty
    endInsertColumns();
}

int ListModel::appendRow(const ListRow &row)
{
    const int at = count();
    beginInsertRows({}, at, at);
    rows.appendRow(row.cells, row.itemValue);
    endInsertRows();
    return at;
}

void ListModel::setRows(const QList<ListRow> &replacement)
{
    TextTable table(int(titles.size()));
    for (const ListRow &row : replacement)
        table.appendRow(row.cells, row.itemValue);
    setRows(std::move(table));
}

void ListModel::setRows(TextTable replacement)
{
    beginResetModel();
    rows = std::move(replacement);
    if (rows.columnCount() != titles.size())
        rows.setColumnCount(int(titles.size()));
    endResetModel();
}

TextTable ListModel::takeRows()
{
    beginResetModel();
    TextTable taken = std::move(rows);
    rows = TextTable(int(titles.size()));
    endResetModel();
    return taken;
}

void ListModel::removeRow(int row)
{
    if (row < 0 || row >= count())
        return;
    beginRemoveRows({}, row, row);
    rows.removeRow(row);
    endRemoveRows();
}

void ListModel::setCellText(int row, int column, const QString &text)
{
    if (row < 0 || row >= count() || column < 0 || column >= titles.size())
        return;
    rows.setText(row, column, text);
    const QModelIndex changed = index(row, column);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

QModelIndex ListModel::index(int row, int column, const QModelIndex &parent) const
{
    if (parent.isValid() || row < 0 || row >= count() || column < 0 || column >= titles.size())
        return {};
    return createIndex(row, column);
}

QVariant ListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return rows.text(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(columnAlignment(index.column()) | Qt::AlignVCenter);
    case Qt::UserRole:
        return itemValue(index.row());
    default:
        return {};
    }
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole)
        return titles.value(section);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    return {};
}

Qt::ItemFlags ListModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}

namespace {

// Draws a cell as the style does, but lays each text out once: a list shows the same types,
// names, days and amounts on many rows and on every repaint, and laying text out is most of what
// a repaint costs. A text too wide for its cell, or of several lines, is left to the style, which
// shortens it with "…".
class CellDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        const QWidget *widget = cell.widget;
        QStyle *style = widget ? widget->style() : QApplication::style();
        const Laid *laid = cell.text.isEmpty() ? nullptr : laidOut(cell.text, cell.font);
        // Where the style puts the text, found without laying it out.
        cell.text.clear();
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const QRect room =
            style->subElementRect(QStyle::SE_ItemViewItemText, &cell, widget).adjusted(margin, 0, -margin, 0);
        if (laid && (laid->severalLines || laid->size.width() > room.width())) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        // The panel and the selection from the style, then the text over them.
        style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
        if (!laid)
            return;
        QPalette::ColorGroup group = QPalette::Normal;
        if (!(cell.state & QStyle::State_Enabled))
            group = QPalette::Disabled;
        else if (!(cell.state & QStyle::State_Active))
            group = QPalette::Inactive;
        const QPen pen = painter->pen();
        const QFont font = painter->font();
        painter->setPen(cell.palette.color(
            group, cell.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
        painter->setFont(cell.font);
        // The style centres a line inside the room to the fraction of a pixel, and only the line
        // box to whole pixels.
        const QRect box = QStyle::alignedRect(cell.direction, cell.displayAlignment, laid->size.toSize(), room);
        const Qt::Alignment across =
            QStyle::visualAlignment(cell.direction, cell.displayAlignment) & Qt::AlignHorizontal_Mask;
        qreal x = room.left();
        if (across & Qt::AlignHCenter)
            x += (room.width() - laid->size.width()) / 2;
        else if (across & Qt::AlignRight)
            x += room.width() - laid->size.width();
        painter->drawStaticText(QPointF(x, box.top()), laid->text);
        painter->setPen(pen);
        painter->setFont(font);
    }

private:
    struct Laid
    {
        QStaticText text;
        QSizeF size; // as the style measures a line of it, so the text sits where the style puts it
        bool severalLines = false;
    };

    const Laid *laidOut(const QString &text, const QFont &font) const
    {
        if (font != cachedFont || laid.size() >= 4096) {
            laid.clear();
            cachedFont = font;
        }
        auto found = laid.find(text);
        if (found == laid.end()) {
            Laid made{QStaticText(text), {}, false};
            made.severalLines = std::any_of(text.begin(), text.end(), [](QChar c) {
                return c == u'\n' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
            });
            made.text.setTextFormat(Qt::PlainText);
            made.text.setPerformanceHint(QStaticText::AggressiveCaching);
            made.text.prepare(QTransform(), font);
            QTextLayout line(text, font);
            line.beginLayout();
            QTextLine first = line.createLine();
            first.setLineWidth(std::numeric_limits<int>::max() / 2);
            made.size = QSizeF(first.naturalTextWidth(), first.height());
            line.endLayout();
            found = laid.insert(text, made);
        }
        return &*found;
    }

    mutable QFont cachedFont;
    mutable QHash<QString, Laid> laid;
};

} // namespace

ListView::ListView(QWidget *parent) : QTreeView(parent), headerView(new ListHeader(this)), rows(new ListModel(this))
{
    setHeader(headerView);
    setModel(rows);
    setItemDelegate(new CellDelegate(this));
    headerView->setSectionsClickable(true);
    setFrameShape(QFrame::NoFrame);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(headerView, &QHeaderView::sectionClicked, this, &ListView::columnTitleClicked);
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            emit rowDoubleClicked(index.row());
    });
}

void ListView::addColumn(const QString &title, int width, Qt::Alignment alignment)
{
    rows->addColumn(title, alignment);
    setColumnWidth(rows->columnCount() - 1, width);
}

int ListView::appendRow(const QStringList &cells, int itemValue)
{
    return rows->appendRow({cells, itemValue});
}

void ListView::setRows(const QList<ListRow> &replacement)
{
    rows->setRows(replacement);
}

void ListView::setRows(TextTable replacement)
{
    rows->setRows(std::move(replacement));
}

QString ListView::cellText(int row, int column) const
{
    return rows->cellText(row, column);
}

void ListView::setCellText(int row, int column, const QString &text)
{
    rows->setCellText(row, column, text);
}

int ListView::itemValue(int row) const
{
    return rows->itemValue(row);
}

void ListView::removeRow(int row)
{
    const bool wasSelected = row >= 0 && row == selectedRow();
    rows->removeRow(row);
    // The view would pass the selection on to a neighbouring row; a removed selected row leaves
    // none, so a second command never falls on a row the user did not pick.
    if (wasSelected)
        selectionModel()->clear();
}

void ListView::clearRows()
{
    rows->setRows(TextTable(columnCount()));
}

TextTable ListView::takeRows()
{
    return rows->takeRows();
}

int ListView::selectedRow() const
{
    const QModelIndexList selected = selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void ListView::selectRow(int row)
{
    clearSelection();
    const QModelIndex index = rows->index(row, 0);
    if (index.isValid())
        setCurrentIndex(index); // with single selection of rows, the current row is the selected one
}

QRect ListView::rowRect(int row) const
{
    const QModelIndex index = rows->index(row, 0);
    if (!index.isValid())
        return {};
    const QRect first = visualRect(index);
    return {0, first.top(), viewport()->width(), first.height()};
}

int ListView::rowHeight() const
{
    if (rowCount() > 0) {
        const int h = rowRect(0).height();
        if (h > 0)
            return h;
    }
    // No row to measure: the height a row of text would take.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.text = QStringLiteral("0");
    option.features |= QStyleOptionViewItem::HasDisplay;
    const int h = style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this).height();
    return qMax(h, fontMetrics().height());
}

void ListView::setRowColours(const QColor &first, const QColor &second)
{
    QPalette p = palette();
    p.setColor(QPalette::Base, first);
    p.setColor(QPalette::AlternateBase, second);
    setPalette(p);
    setAlternatingRowColors(true);
}

void ListView::setBackgroundPicture(const QImage &picture)
{
    setAlternatingRowColors(false);
    rowPicture = picture;
    viewport()->update();
}

void ListView::focusInEvent(QFocusEvent *event)
{
    const bool hadCurrentRow = currentIndex().isValid();
    QTreeView::focusInEvent(event);
    if (!hadCurrentRow)
        selectionModel()->clearCurrentIndex();
}

bool ListView::viewportEvent(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QTreeView::viewportEvent(event);
    auto *help = static_cast<QHelpEvent *>(event);
    const QModelIndex index = indexAt(help->pos());
    const QString text = index.isValid() ? index.data().toString() : QString();
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    option.text = text;
    option.features |= QStyleOptionViewItem::HasDisplay;
    // The room the style gives the text inside the cell, less its own margins.
    const int room = style()->subElementRect(QStyle::SE_ItemViewItemText, &option, this).width()
                     - 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, &option, this) + 1);
    if (!text.isEmpty() && option.fontMetrics.horizontalAdvance(text) > room)
        QToolTip::showText(help->globalPos(), text, viewport(), option.rect);
    else
        QToolTip::hideText();
    return true;
}

void ListView::paintEvent(QPaintEvent *event)
{
    if (!rowPicture.isNull()) {
        // The picture starts at the top of the first row, wherever the list is scrolled to, so a
        // stripe stays with its row.
        QPainter painter(viewport());
        int origin = 0;
        const QModelIndex top = indexAt(QPoint(1, 1));
        if (top.isValid())
            origin = visualRect(top).top() - top.row() * rowHeight();
        painter.setBrushOrigin(0, origin);
        painter.fillRect(viewport()->rect(), QBrush(rowPicture));
    }
    QTreeView::paintEvent(event);
}
