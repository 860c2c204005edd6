#include "sessionpages.h"

#include "entryboxes.h"
#include "eventactions.h"
#include "mainwindow.h"
#include "newuserwindow.h"

#include "common/clock.h"
#include "common/datetext.h"
#include "common/program.h"
#include "common/settings.h"
#include "dataaccess/instances.h"
#include "ledger/lookups.h"
#include "ledger/entry.h"
#include "ui/listview.h"
#include "ui/printgrid.h"
#include "reports/printing/listprinting.h"
#include "reports/statistics.h"
#include "common/numbers.h"
#include "exchange/excelexchange.h"
#include "exchange/migration.h"
#include "ui/units.h"
#include "users/administration.h"
#include "users/userdirectory.h"

#include <QKeyEvent>

namespace {

LayoutWindow &pageOf(MainWindow *main, const char *layout)
{
    LayoutWindow *page = main->page(QLatin1String(layout));
    Q_ASSERT(page); // the pages exist once the main window started
    return *page;
}

} // namespace

SessionPages::SessionPages(MainWindow *main, Prompter &prompter)
    : QObject(main), main(main), prompter(prompter), title(main->requiredUnit<TransparentLabel>(QStringLiteral("标题标签"))),
      view(ViewUnits::bind(pageOf(main, "view"))), entry(EntryUnits::bind(pageOf(main, "entry"))),
      backup(BackupUnits::bind(pageOf(main, "backup"))), statistics(StatisticsUnits::bind(pageOf(main, "statistics"))),
      user(UserUnits::bind(pageOf(main, "user")))
{
    connect(view.logIn, &GraphicButton::clicked, this, &SessionPages::logInFromBar);
    view.loginPassword->installEventFilter(new EnterKey(this, [this] { logInFromBar(); }));
    connect(view.registration, &GraphicButton::clicked, this, &SessionPages::openRegistration);
    connect(view.detail, &GraphicButton::clicked, this, [this] { showView(detailMode); });
    connect(view.summary, &GraphicButton::clicked, this, [this] { showView(summaryMode); });
    connect(view.list, &ListView::columnTitleClicked, this, [this](int column) {
        if (mode == summaryMode && column == 0)
            showView(summaryMode, ViewGrouping::ItemType);
        else if (mode == summaryMode && column == 1)
            showView(summaryMode, ViewGrouping::ItemName);
    });
    // The two bars at the foot of the list take turns: the totals, or the days and daily averages.
    connect(view.toAverages, &GraphicButton::clicked, this, [this] {
        view.averagesBar->show();
        view.totalsBar->hide();
    });
    connect(view.toTotals, &GraphicButton::clicked, this, [this] {
        view.totalsBar->show();
        view.averagesBar->hide();
    });
    connect(user.changePassword, &GraphicButton::clicked, this, &SessionPages::changePasswordFromPage);
    connect(user.deleteUser, &GraphicButton::clicked, this, &SessionPages::deleteUserFromPage);
    connect(user.back, &GraphicButton::clicked, this, &SessionPages::backFromUserPage);
    connect(main, &MainWindow::entryRequested, this, &SessionPages::prepareEntry);
    connect(main, &MainWindow::modifyRequested, this, &SessionPages::modifySelected);
    connect(main, &MainWindow::deleteRequested, this, &SessionPages::deleteSelected);
    connect(entry.add, &GraphicButton::clicked, this, &SessionPages::addPendingEntry);
    connect(entry.remove, &GraphicButton::clicked, this, &SessionPages::removePendingEntry);
    connect(entry.save, &GraphicButton::clicked, this, &SessionPages::saveEntries);
    connect(entry.back, &GraphicButton::clicked, this, [this] { this->main->showPage(QStringLiteral("查看")); });
    connect(entry.amountKinds, &QComboBox::activated, this, [this](int index) {
        setAmountKind(index != 0);
        entry.amount->setText(QStringLiteral("0.00"));
    });
    connect(entry.types, &QComboBox::textActivated, this, [this](const QString &type) {
        LookupLists lists = lookupLists();
        QString typeBox = type, nameBox;
        loadItemNames(type, lists.names, nameBox);
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
        writeSetting(QStringLiteral("tsbq"), QStringLiteral("tjje"), QStringLiteral("1"));
    });
    entry.name->installEventFilter(new KeyAction(this, [this](QKeyEvent *key) {
        if (key->key() == Qt::Key_Delete) {
            LookupLists lists = lookupLists();
            QString text = entry.name->text();
            if (deleteItemName(text, lists.names, text, this->prompter)) {
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
            if (deleteItemType(typeText, lists.types, typeText, lists.names, nameText, this->prompter)) {
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
    connect(view.list, &ListView::rowDoubleClicked, this, [this](int) {
        if (this->main->passLoginGate())
            modifySelected();
    });
    connect(main, &MainWindow::statisticsRequested, this, &SessionPages::showStatistics);
    connect(main, &MainWindow::printRequested, this, &SessionPages::printList);
    int current = 0;
    statistics.years->clear();
    statistics.years->addItems(yearList(&current));
    statistics.years->setCurrentIndex(current);
    statistics.year->setText(statistics.years->currentText());
    connect(statistics.years, &QComboBox::textActivated, this, &SessionPages::chooseYear);
    grid = new PrintGrid(this);

    const auto endThenRefresh = [this] { this->main->logOut(); };
    const auto onClick = [this](GraphicButton *button, std::function<void()> action) {
        connect(button, &GraphicButton::clicked, this, std::move(action));
    };
    onClick(backup.backUp, [this] { backupLedger(this->main->session, this->prompter); });
    onClick(backup.exportLedger, [this] { exportLedger(this->prompter); });
    onClick(backup.importLedger, [this] { importLedger(this->prompter, [this] { showView(detailMode); }); });
    onClick(backup.compact, [this, endThenRefresh] { compactLedger(this->main->session, this->prompter, endThenRefresh); });
    onClick(backup.restore, [this, endThenRefresh] {
        showBackupPrompt(false);
        restore = restoreLedger(this->main->session, this->prompter, endThenRefresh);
        showBackupPrompt(restore == RestoreState::AwaitingPassword);
    });
    onClick(backup.confirmPassword, [this, endThenRefresh] {
        restore = confirmBackupPassword(this->main->session, backup.password->text(), this->prompter, endThenRefresh);
        if (restore == RestoreState::Idle)
            showBackupPrompt(false);
    });
    onClick(backup.cancelPassword, [this] {
        restore = cancelBackupPassword();
        showBackupPrompt(false);
    });
    connect(main, &MainWindow::migrationRequested, this, [this, endThenRefresh] {
        migrateOlderVersion(this->main->session, this->prompter, endThenRefresh, [this] { showView(detailMode); });
    });
    connect(main, &MainWindow::sessionEnded, this, [this] { mode.clear(); });
}

void SessionPages::logInFromBar()
{
    const QString name = view.loginName->text();
    switch (logIn(main->session, name, view.loginPassword->text(), prompter)) {
    case LoginOutcome::WrongPassword:
        view.loginPassword->selectAll();
        return;
    case LoginOutcome::Refused:
        return;
    case LoginOutcome::LoggedIn:
        break;
    }
    title->setText(applicationTitle + QStringLiteral(" - ") + name);
    showView(detailMode);
    // The entry page's lists: types, the names of the type shown, persons.
    const auto fill = [](ComboBox *combo, EditBox *box, const QStringList &items, const QString &text) {
        combo->clear();
        combo->addItems(items);
        box->setText(text);
    };
    QStringList types, names, persons;
    QString type, itemName, person;
    loadItemTypes(types, type);
    loadItemNames(type, names, itemName);
    loadPersons(main->session.currentUser, persons, person);
    fill(entry.types, entry.type, types, type);
    fill(entry.names, entry.name, names, itemName);
    fill(entry.persons, entry.person, persons, person);
    view.loginBar->hide();
    view.totalsBar->show();
    view.loginName->clear();
    view.loginPassword->clear();
}

void SessionPages::showView(const QString &wanted, ViewGrouping grouping)
{
    const QDate start = view.start->dateTime().date(), end = view.end->dateTime().date();
    if (!viewAllowed(main->session.loggedIn, start, end, prompter))
        return;
    // The rows shown so far are let go before the new ones are read, so a long ledger is held once.
    view.list->clearRows();
    QList<ViewRow> rows;
    if (!queryView(main->session.loggedIn, wanted, grouping, start, end, prompter, &rows))
        return;
    mode = wanted;
    const Totals totals = computeTotals(rows, start, end);
    QList<ListRow> shown;
    shown.reserve(rows.size());
    for (ViewRow &row : rows)
        shown.append({std::move(row.cells), int(row.id)});
    rows.clear();
    view.list->setRows(std::move(shown));
    view.list->setColumnWidth(6, remarkColumnWidth(view.list->rowCount(), view.list->columnWidth(6), 18));
    showTotals(totals);
}

void SessionPages::recomputeTotals()
{
    ListView *list = view.list;
    QList<ViewRow> rows;
    rows.reserve(list->rowCount());
    for (int r = 0; r < list->rowCount(); ++r)
        rows.append({list->itemValue(r), {QString(), QString(), list->cellText(r, 2), list->cellText(r, 3)}});
    showTotals(computeTotals(rows, view.start->dateTime().date(), view.end->dateTime().date()));
}

void SessionPages::showTotals(const Totals &t)
{
    view.expense->setText(t.expense);
    view.income->setText(t.income);
    view.balance->setText(t.balance);
    view.days->setText(t.days);
    view.dailyExpense->setText(t.dailyExpense);
    view.dailyIncome->setText(t.dailyIncome);
    if (t.balanceColour != 0) {
        QPalette palette = view.balance->palette();
        palette.setColor(QPalette::WindowText, t.balanceColour < 0 ? QColor(255, 0, 0) : QColor(0, 128, 0));
        view.balance->setPalette(palette);
    }
}

void SessionPages::openRegistration()
{
    if (!registration) {
        registration = createNewUserWindow(main);
        newUser = NewUserUnits::bind(*registration);
        connect(newUser.registration, &GraphicButton::clicked, this, &SessionPages::registerFromWindow);
    }
    // Over the middle of the main window, as a dialog of it.
    registration->move(main->frameGeometry().center() - QPoint(registration->width() / 2, registration->height() / 2));
    registration->show();
    registration->raise();
}

void SessionPages::registerFromWindow()
{
    if (!registration)
        return;
    const QString name = newUser.name->text();
    if (registerUser(name, newUser.password->text(), newUser.confirmPassword->text(), prompter) != AdminOutcome::Done)
        return;
    view.userList->addItem(name);
    registration->close();
}

void SessionPages::refillUserList()
{
    QStringList names;
    fillUserList(names);
    view.userList->clear();
    view.userList->addItems(names);
}

void SessionPages::changePasswordFromPage()
{
    const AdminOutcome outcome = changePassword(user.name->text(), user.oldPassword->text(), user.newPassword->text(),
                                                user.confirmPassword->text(), prompter);
    if (outcome == AdminOutcome::Refused)
        return; // the boxes keep their texts
    if (outcome == AdminOutcome::Done)
        main->showPage(QStringLiteral("查看"));
    for (EditBox *box : {user.name, user.oldPassword, user.newPassword, user.confirmPassword})
        box->clear();
}

void SessionPages::deleteUserFromPage()
{
    const AdminOutcome outcome = deleteUser(main->session, user.name->text(), user.oldPassword->text(), prompter, [this] {
        main->logOut();
        refillUserList();
    });
    if (outcome == AdminOutcome::Done)
        main->showPage(QStringLiteral("查看"));
}

void SessionPages::backFromUserPage()
{
    main->showPage(QStringLiteral("查看"));
    refillUserList();
}

void SessionPages::showYear(const YearStatistics &year)
{
    for (int m = 0; m < 12; ++m) {
        statistics.monthExpense[m]->setText(year.months.value(m).expense);
        statistics.monthIncome[m]->setText(year.months.value(m).income);
    }
    statistics.yearExpense->setText(year.total.expense);
    statistics.yearIncome->setText(year.total.income);
    statistics.yearCaption->setText(year.caption);
}

void SessionPages::showStatistics()
{
    Statistics s;
    if (!computeStatistics(main->session.loggedIn, int(textToInteger(statistics.year->text())), prompter, &s))
        return;
    statistics.currentCaption->setText(s.currentCaption);
    statistics.previousCaption->setText(s.previousCaption);
    statistics.allExpense->setText(s.allTime.expense);
    statistics.allIncome->setText(s.allTime.income);
    statistics.currentExpense->setText(s.current.expense);
    statistics.currentIncome->setText(s.current.income);
    statistics.previousExpense->setText(s.previous.expense);
    statistics.previousIncome->setText(s.previous.income);
    showYear(s.year);
}

void SessionPages::chooseYear(const QString &year)
{
    statistics.year->setText(year);
    showYear(computeYear(int(textToInteger(year))));
    main->page(QStringLiteral("statistics"))->setFocus();
}

void SessionPages::printList()
{
    ListView *list = view.list;
    QList<QStringList> rows;
    for (int r = 0; r < list->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < 7; ++c)
            cells.append(list->cellText(r, c));
        rows.append(cells);
    }
    buildListPrintout(*grid, rows, view.start->dateTime().date(), view.end->dateTime().date(), view.measure);
    grid->showPreview(main);
}

void SessionPages::showBackupPrompt(bool shown)
{
    for (QWidget *unit : {backup.passwordLabel, backup.passwordFrame, static_cast<QWidget *>(backup.confirmPassword),
                          static_cast<QWidget *>(backup.cancelPassword)})
        unit->setVisible(shown);
    if (!shown)
        backup.password->clear();
}

EntryForm SessionPages::entryForm() const
{
    return {entry.type->text(),   entry.name->text(),   entry.person->text(),    entry.remark->text(),
            entry.day->dateTime().date(), entry.amount->text(), entry.amountKind->text()};
}

void SessionPages::setAmountKind(bool income)
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

void SessionPages::resetEntryForm()
{
    setAmountKind(false);
    entry.amount->setText(QStringLiteral("0.00"));
    entry.pending->clearRows();
    entry.day->setDateTime(Clock::now());
    entry.dayLabel->setText(dateText(Clock::today(), 1));
    entry.remark->clear();
}

LookupLists SessionPages::lookupLists() const
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

void SessionPages::applyLookupLists(const LookupLists &lists)
{
    const auto set = [](ComboBox *combo, const QStringList &texts) {
        combo->clear();
        combo->addItems(texts);
    };
    set(entry.types, lists.types);
    set(entry.names, lists.names);
    set(entry.persons, lists.persons);
}

void SessionPages::prepareEntry()
{
    editingId = 0;
    resetEntryForm();
}

void SessionPages::addPendingEntry()
{
    if (editingId > 0) {
        prompter.showMessage(QStringLiteral("修改状态下，不能添加！如果需要保存，请点击保存按钮！"));
        return;
    }
    const EntryForm form = entryForm();
    CheckedEntry checked;
    if (!checkEntry(form, prompter, &checked))
        return;
    if (checked.becameExpense)
        setAmountKind(false);
    LookupLists lists = lookupLists();
    const bool stored = addLookupValues(form, lists, true, prompter);
    applyLookupLists(lists);
    if (!stored)
        return;
    ListView *pending = entry.pending;
    pending->appendRow(
        {form.type, form.name, checked.expense, checked.income, form.person, dateText(form.day, 1), form.remark});
    pending->setColumnWidth(6, remarkColumnWidth(pending->rowCount(), pending->columnWidth(6), 12));
    entry.remark->clear();
    entry.amount->setText(QStringLiteral("0.00"));
}

void SessionPages::removePendingEntry()
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

void SessionPages::saveEntries()
{
    if (editingId > 0) {
        const EntryForm form = entryForm();
        CheckedEntry checked;
        if (!checkEntry(form, prompter, &checked))
            return;
        if (checked.becameExpense)
            setAmountKind(false);
        LookupLists lists = lookupLists();
        const bool stored = addLookupValues(form, lists, false, prompter);
        applyLookupLists(lists);
        if (!stored || !saveModifiedRecord(editingId, form, checked, prompter))
            return;
        showView(detailMode);
        resetEntryForm();
        main->showPage(QStringLiteral("查看"));
        return;
    }
    QList<PendingRow> rows;
    const ListView *pending = entry.pending;
    for (int r = 0; r < pending->rowCount(); ++r)
        rows.append({pending->cellText(r, 0), pending->cellText(r, 1), pending->cellText(r, 2), pending->cellText(r, 3),
                     pending->cellText(r, 4), pending->cellText(r, 5), pending->cellText(r, 6)});
    if (!saveNewRecords(rows, prompter))
        return; // the pending rows stay, to be corrected and saved again
    showView(detailMode);
    main->showPage(QStringLiteral("查看"));
}

void SessionPages::modifySelected()
{
    if (!main->page(QStringLiteral("view"))->isVisible()) {
        main->showPage(QStringLiteral("查看"));
        return;
    }
    if (mode == summaryMode) {
        prompter.showMessage(QStringLiteral("合计查看 状态不能修改记录，请先点击 详细查看 ，再修改记录！"));
        return;
    }
    if (view.list->selectedRow() < 0) {
        prompter.showMessage(QStringLiteral("请选择要修改的记录！"));
        return;
    }
    editingId = view.list->itemValue(view.list->selectedRow());
    resetEntryForm();
    RecordForm record;
    if (!loadRecord(editingId, &record)) {
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
    loadItemNames(record.type, lists.names, ignored);
    applyLookupLists(lists);
    main->showPage(QStringLiteral("修改"));
}

void SessionPages::deleteSelected()
{
    if (!main->page(QStringLiteral("view"))->isVisible()) {
        main->showPage(QStringLiteral("查看"));
        return;
    }
    if (mode != detailMode) {
        prompter.showMessage(QStringLiteral("合计状态不能删除提醒，请点击 详细查看 后再删除！"));
        return;
    }
    ListView *list = view.list;
    const int row = list->selectedRow();
    if (row < 0) {
        prompter.showMessage(QStringLiteral("请选择要删除的记录！"));
        return;
    }
    deleteRecord(list->itemValue(row), prompter, [this, list, row] {
        list->removeRow(row);
        list->setColumnWidth(6, remarkColumnWidth(list->rowCount(), list->columnWidth(6), 18));
        recomputeTotals();
    });
}
