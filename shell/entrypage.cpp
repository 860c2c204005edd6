#include "entrypage.h"

#include "entryboxes.h"
#include "eventactions.h"
#include "mainwindow.h"
#include "viewpage.h"

#include "common/clock.h"
#include "common/datetext.h"
#include "common/prompter.h"
#include "common/settings.h"
#include "common/settingkeys.h"
#include "dataaccess/instances.h"
#include "reports/views.h"
#include "ui/listview.h"
#include "ui/units.h"

#include <QBitmap>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

// The entry page's one-time hint: a bubble whose point reaches up to the choice of expense or
// income above its left end.
static QImage hintBubble(const QSize &size, const QFont &font)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF body(0.5, 12.5, size.width() - 1.0, 28);
    QPainterPath path;
    path.addRoundedRect(body, 6, 6);
    QPainterPath point;
    point.moveTo(30, body.top() + 1);
    point.lineTo(40, 0.5);
    point.lineTo(52, body.top() + 1);
    point.closeSubpath();
    path = path.united(point);
    painter.setPen(QPen(QColor(196, 160, 64), 1));
    painter.setBrush(QColor(255, 250, 214));
    painter.drawPath(path);
    painter.setFont(font);
    painter.setPen(QColor(80, 64, 16));
    painter.drawText(body.adjusted(8, 4, -8, -4), Qt::AlignCenter | Qt::TextWordWrap,
                     QStringLiteral("点这里切换支出金额或收入金额"));
    return image;
}

void EntryPage::placeHint(const EntryUnits &entry)
{
    GraphicButton *hint = entry.hint;
    if (hint->normalPicture().isNull()) {
        const QImage bubble = hintBubble(hint->size(), hint->font());
        hint->setNormalPicture(bubble);
        hint->setHoverPicture(bubble);
        // Only the bubble takes clicks; the buttons beside and below it stay reachable.
        hint->setMask(QBitmap::fromImage(bubble.createAlphaMask()));
    }
    hint->setVisible(readSetting(SettingKey::hintSection, SettingKey::entryHint) != QStringLiteral("1"));
}

EntryPage::EntryPage(MainWindow *owner, Prompter &prompts, ViewPage &shownView, QObject *parent)
    : QObject(parent), main(owner), prompter(prompts), viewPage(shownView),
      entry(EntryUnits::bind(*owner->page(QStringLiteral("entry"))))
{
    connect(main, &MainWindow::entryRequested, this, &EntryPage::prepareEntry);
    connect(main, &MainWindow::modifyRequested, this, &EntryPage::modifySelected);
    connect(viewPage.list(), &ListView::rowDoubleClicked, this, [this](int) {
        if (main->passLoginGate())
            modifySelected();
    });
    connect(entry.add, &GraphicButton::clicked, this, &EntryPage::addPendingEntry);
    connect(entry.remove, &GraphicButton::clicked, this, &EntryPage::removePendingEntry);
    connect(entry.save, &GraphicButton::clicked, this, &EntryPage::saveEntries);
    connect(entry.back, &GraphicButton::clicked, this, [this] { main->showPage(QStringLiteral("查看")); });
    connect(entry.amountKinds, &QComboBox::activated, this, [this](int index) {
        setAmountKind(index != 0);
        entry.amount->setText(QStringLiteral("0.00"));
    });
    connect(entry.types, &QComboBox::textActivated, this, [this](const QString &type) {
        LookupLists lists = lookupLists();
        QString typeBox = type, nameBox;
        loadItemNames(userRecordset, type, lists.names, nameBox);
        applyLookupLists(lists);
        entry.type->setText(typeBox);
        entry.name->setText(nameBox);
    });
    connect(entry.names, &QComboBox::textActivated, entry.name, &QLineEdit::setText);
    connect(entry.persons, &QComboBox::textActivated, entry.person, &QLineEdit::setText);
    wireAmountBox(entry.amount, this);
    // The hint points at the amount kind once: a click on it (which also opens the kind list) hides
    // it for good.
    connect(entry.hint, &GraphicButton::clicked, this, [this] {
        entry.hint->hide();
        writeSetting(SettingKey::hintSection, SettingKey::entryHint, QStringLiteral("1"));
    });
    // Delete in the name or type box offers to take the text out of its lookup list.
    entry.name->installEventFilter(new KeyAction(this, [this](QKeyEvent *key) {
        if (key->key() == Qt::Key_Delete) {
            LookupLists lists = lookupLists();
            QString text = entry.name->text();
            if (deleteItemName(userConnection, text, lists.names, text, prompter)) {
                applyLookupLists(lists);
                entry.name->setText(text);
                return true;
            }
        }
        return false; // the box still deletes the character as usual
    }));
    entry.type->installEventFilter(new KeyAction(this, [this](QKeyEvent *key) {
        if (key->key() == Qt::Key_Delete) {
            LookupLists lists = lookupLists();
            QString typeText = entry.type->text();
            QString nameText = entry.name->text();
            if (deleteItemType(userConnection, userRecordset, typeText, lists.types, typeText, lists.names, nameText,
                               prompter)) {
                applyLookupLists(lists);
                entry.type->setText(typeText);
                entry.name->setText(nameText);
                return true;
            }
        }
        return false;
    }));
    connect(entry.day, &QDateTimeEdit::dateTimeChanged, this,
            [this](const QDateTime &when) { entry.dayLabel->setText(dateText(when, 1)); });
}

void EntryPage::loadLookupLists()
{
    const auto fill = [](ComboBox *combo, EditBox *box, const QStringList &items, const QString &text) {
        combo->clear();
        combo->addItems(items);
        box->setText(text);
    };
    QStringList types, names, persons;
    QString type, itemName, person;
    loadItemTypes(userRecordset, types, type);
    loadItemNames(userRecordset, type, names, itemName);
    loadPersons(userRecordset, main->session.currentUser, persons, person);
    fill(entry.types, entry.type, types, type);
    fill(entry.names, entry.name, names, itemName);
    fill(entry.persons, entry.person, persons, person);
}

EntryForm EntryPage::entryForm() const
{
    return {entry.type->text(),   entry.name->text(),   entry.person->text(),    entry.remark->text(),
            entry.day->dateTime().date(), entry.amount->text(), entry.amountKind->text()};
}

void EntryPage::setAmountKind(bool income)
{
    const QColor colour = income ? QColor(0, 0, 255) : QColor(255, 0, 0);
    entry.amountKinds->setCurrentIndex(income ? 1 : 0);
    entry.amountKind->setText(income ? incomeKind : expenseKind);
    QPalette palette = entry.amountKind->palette();
    palette.setColor(QPalette::WindowText, colour);
    entry.amountKind->setPalette(palette);
    palette = entry.amount->palette();
    palette.setColor(QPalette::Text, colour);
    entry.amount->setPalette(palette);
}

void EntryPage::resetEntryForm()
{
    setAmountKind(false);
    entry.amount->setText(QStringLiteral("0.00"));
    entry.pending->clearRows();
    entry.day->setDateTime(Clock::now());
    entry.dayLabel->setText(dateText(Clock::today(), 1));
    entry.remark->clear();
}

LookupLists EntryPage::lookupLists() const
{
    const auto items = [](const ComboBox *combo) {
        QStringList texts;
        for (int i = 0; i < combo->count(); ++i)
            texts.append(combo->itemText(i));
        return texts;
    };
    LookupLists lists;
    lists.types = items(entry.types);
    lists.names = items(entry.names);
    lists.persons = items(entry.persons);
    return lists;
}

void EntryPage::applyLookupLists(const LookupLists &lists)
{
    const auto set = [](ComboBox *combo, const QStringList &texts) {
        combo->clear();
        combo->addItems(texts);
    };
    set(entry.types, lists.types);
    set(entry.names, lists.names);
    set(entry.persons, lists.persons);
}

void EntryPage::prepareEntry()
{
    editingId = 0;
    resetEntryForm();
}

// The entry check, then the form's new lookup values stored and shown; false when either refuses.
bool EntryPage::checkAndKeepLookups(const EntryForm &form, bool adding, CheckedEntry *checked)
{
    if (!checkEntry(form, prompter, checked))
        return false;
    if (checked->becameExpense)
        setAmountKind(false);
    LookupLists lists = lookupLists();
    const bool stored = addLookupValues(userConnection, form, lists, adding, prompter);
    applyLookupLists(lists);
    return stored;
}

void EntryPage::addPendingEntry()
{
    if (editingId > 0) {
        prompter.showMessage(QStringLiteral("修改状态下，不能添加！如果需要保存，请点击保存按钮！"));
        return;
    }
    const EntryForm form = entryForm();
    CheckedEntry checked;
    if (!checkAndKeepLookups(form, true, &checked))
        return;
    ListView *pending = entry.pending;
    pending->appendRow(
        {form.type, form.name, checked.expense, checked.income, form.person, dateText(form.day, 1), form.remark});
    pending->setColumnWidth(6, remarkColumnWidth(pending->rowCount(), pending->columnWidth(6), 12));
    entry.remark->clear();
    entry.amount->setText(QStringLiteral("0.00"));
}

void EntryPage::removePendingEntry()
{
    if (editingId > 0) {
        prompter.showMessage(QStringLiteral("修改状态下，不能删除！如果需要保存，请点击保存按钮！"));
        return;
    }
    ListView *pending = entry.pending;
    if (pending->selectedRow() < 0) {
        prompter.showMessage(QStringLiteral("请选择要删除的记录！"));
        return;
    }
    pending->removeRow(pending->selectedRow());
    pending->setColumnWidth(6, remarkColumnWidth(pending->rowCount(), pending->columnWidth(6), 12));
}

void EntryPage::saveEntries()
{
    if (editingId > 0) {
        const EntryForm form = entryForm();
        CheckedEntry checked;
        if (!checkAndKeepLookups(form, false, &checked)
            || !saveModifiedRecord(userConnection, editingId, form, checked, prompter))
            return;
        viewPage.showView(detailMode);
        resetEntryForm();
        main->showPage(QStringLiteral("查看"));
        return;
    }
    QList<PendingRow> rows;
    const ListView *pending = entry.pending;
    for (int r = 0; r < pending->rowCount(); ++r)
        rows.append({pending->cellText(r, 0), pending->cellText(r, 1), pending->cellText(r, 2), pending->cellText(r, 3),
                     pending->cellText(r, 4), pending->cellText(r, 5), pending->cellText(r, 6)});
    if (!saveNewRecords(userConnection, rows, prompter))
        return; // the pending rows stay, to be corrected and saved again
    viewPage.showView(detailMode);
    main->showPage(QStringLiteral("查看"));
}

void EntryPage::modifySelected()
{
    if (!main->page(QStringLiteral("view"))->isVisible()) {
        main->showPage(QStringLiteral("查看"));
        return;
    }
    if (viewPage.viewMode() == summaryMode) {
        prompter.showMessage(QStringLiteral("合计查看 状态不能修改记录，请先点击 详细查看 ，再修改记录！"));
        return;
    }
    if (viewPage.list()->selectedRow() < 0) {
        prompter.showMessage(QStringLiteral("请选择要修改的记录！"));
        return;
    }
    editingId = viewPage.list()->itemValue(viewPage.list()->selectedRow());
    resetEntryForm();
    RecordForm record;
    if (!loadRecord(userRecordset, editingId, &record)) {
        prompter.showMessage(QStringLiteral("读取记录失败！"));
        return;
    }
    entry.day->setDateTime(QDateTime(record.day, QTime(0, 0)));
    entry.dayLabel->setText(dateText(record.day, 1));
    entry.type->setText(record.type);
    entry.name->setText(record.name);
    entry.amount->setText(record.amount);
    setAmountKind(record.income);
    entry.person->setText(record.person);
    entry.remark->setText(record.remark);
    LookupLists lists = lookupLists();
    QString ignored;
    loadItemNames(userRecordset, record.type, lists.names, ignored);
    applyLookupLists(lists);
    main->showPage(QStringLiteral("修改"));
}
