#include "ui/listview.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionViewItem>

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

ListView::ListView(QWidget *parent) : QTreeWidget(parent), headerView(new ListHeader(this))
{
    setHeader(headerView);
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
    setColumnCount(0);
    connect(headerView, &QHeaderView::sectionClicked, this, &ListView::columnTitleClicked);
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item) {
        emit rowDoubleClicked(indexOfTopLevelItem(item));
    });
}

void ListView::addColumn(const QString &title, int width, Qt::Alignment alignment)
{
    const int column = QTreeWidget::columnCount();
    setColumnCount(column + 1);
    headerItem()->setText(column, title);
    headerItem()->setTextAlignment(column, Qt::AlignCenter);
    setColumnWidth(column, width);
    alignments.append(alignment);
}

QString ListView::columnTitle(int column) const
{
    return headerItem()->text(column);
}

Qt::Alignment ListView::columnAlignment(int column) const
{
    return alignments.value(column, Qt::AlignLeft);
}

int ListView::appendRow(const QStringList &cells, int itemValue)
{
    auto *item = new QTreeWidgetItem;
    for (int column = 0; column < QTreeWidget::columnCount(); ++column) {
        item->setText(column, cells.value(column));
        item->setTextAlignment(column, columnAlignment(column) | Qt::AlignVCenter);
    }
    item->setData(0, Qt::UserRole, itemValue);
    addTopLevelItem(item);
    return topLevelItemCount() - 1;
}

QString ListView::cellText(int row, int column) const
{
    const QTreeWidgetItem *item = topLevelItem(row);
    return item ? item->text(column) : QString();
}

void ListView::setCellText(int row, int column, const QString &text)
{
    if (QTreeWidgetItem *item = topLevelItem(row))
        item->setText(column, text);
}

int ListView::itemValue(int row) const
{
    const QTreeWidgetItem *item = topLevelItem(row);
    return item ? item->data(0, Qt::UserRole).toInt() : 0;
}

void ListView::removeRow(int row)
{
    delete takeTopLevelItem(row);
}

void ListView::clearRows()
{
    clear();
}

int ListView::selectedRow() const
{
    const QList<QTreeWidgetItem *> items = selectedItems();
    return items.isEmpty() ? -1 : indexOfTopLevelItem(items.first());
}

void ListView::selectRow(int row)
{
    clearSelection();
    if (QTreeWidgetItem *item = topLevelItem(row)) {
        item->setSelected(true);
        setCurrentItem(item);
    }
}

int ListView::rowHeight() const
{
    if (topLevelItemCount() > 0) {
        const int h = visualItemRect(topLevelItem(0)).height();
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

void ListView::beginFilling()
{
    if (fillingDepth++ == 0) {
        visibleBeforeFilling = !isHidden();
        setUpdatesEnabled(false);
        hide();
    }
}

void ListView::endFilling()
{
    if (fillingDepth == 0 || --fillingDepth > 0)
        return;
    setUpdatesEnabled(true);
    setVisible(visibleBeforeFilling);
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
    QTreeWidget::paintEvent(event);
}
