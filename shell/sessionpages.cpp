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

template<class T>
T *unitOf(LayoutWindow *window, const QString &name)
{
    return window ? window->unit<T>(name) : nullptr;
}

QDate dateOf(LayoutWindow *view, const QString &box)
{
    auto *date = unitOf<DateBox>(view, box);
    return date ? date->dateTime().date() : Clock::today();
}

} // namespace

SessionPages::SessionPages(MainWindow *main, Prompter &prompter) : QObject(main), main(main), prompter(prompter)
{
    LayoutWindow *page = view();
    if (auto *button = unitOf<GraphicButton>(page, QStringLiteral("登录按钮")))
        connect(button, &GraphicButton::clicked, this, &SessionPages::logInFromBar);
    if (auto *password = unitOf<EditBox>(page, QStringLiteral("登录密码框")))
        password->installEventFilter(new EnterKey(this, [this] { logInFromBar(); }));
    if (auto *button = unitOf<GraphicButton>(page, QStringLiteral("注册按钮")))
        connect(button, &GraphicButton::clicked, this, &SessionPages::openRegistration);
    if (auto *button = unitOf<GraphicButton>(page, QStringLiteral("详细查看按钮")))
        connect(button, &GraphicButton::clicked, this, [this] { showView(detailMode); });
    if (auto *button = unitOf<GraphicButton>(page, QStringLiteral("合计查看按钮")))
        connect(button, &GraphicButton::clicked, this, [this] { showView(summaryMode); });
    if (auto *list = unitOf<ListView>(page, QStringLiteral("理财列表框")))
        connect(list, &ListView::columnTitleClicked, this, [this](int column) {
            if (mode == summaryMode && column == 0)
                showView(summaryMode, ViewGrouping::ItemType);
            else if (mode == summaryMode && column == 1)
                showView(summaryMode, ViewGrouping::ItemName);
        });
    // The two bars at the foot of the list take turns: the totals, or the days and daily averages.
    for (const auto &[button, shown, hidden] :
         {std::tuple{QStringLiteral("刷新按钮1"), QStringLiteral("统计界面框2"), QStringLiteral("统计界面框1")},
          std::tuple{QStringLiteral("刷新按钮2"), QStringLiteral("统计界面框1"), QStringLiteral("统计界面框2")}})
        if (auto *switcher = unitOf<GraphicButton>(page, button))
            // Structured bindings are copied into named captures: clang before 16 cannot capture them.
            connect(switcher, &GraphicButton::clicked, this, [page, toShow = shown, toHide = hidden] {
                if (auto *bar = unitOf<QWidget>(page, toShow))
                    bar->show();
                if (auto *bar = unitOf<QWidget>(page, toHide))
                    bar->hide();
            });
    LayoutWindow *user = main->page(QStringLiteral("user"));
    if (auto *button = unitOf<GraphicButton>(user, QStringLiteral("图形按钮1")))
        connect(button, &GraphicButton::clicked, this, &SessionPages::changePasswordFromPage);
    if (auto *button = unitOf<GraphicButton>(user, QStringLiteral("图形按钮2")))
        connect(button, &GraphicButton::clicked, this, &SessionPages::deleteUserFromPage);
    if (auto *button = unitOf<GraphicButton>(user, QStringLiteral("图形按钮3")))
        connect(button, &GraphicButton::clicked, this, &SessionPages::backFromUserPage);
    main->hooks.prepareEntry = [this] { prepareEntry(); };
    main->hooks.modifySelected = [this] { modifySelected(); };
    main->hooks.deleteSelected = [this] { deleteSelected(); };
    LayoutWindow *entryPage = entry();
    if (auto *button = unitOf<GraphicButton>(entryPage, QStringLiteral("添加按钮")))
        connect(button, &GraphicButton::clicked, this, &SessionPages::addPendingEntry);
    if (auto *button = unitOf<GraphicButton>(entryPage, QStringLiteral("删除按钮")))
        connect(button, &GraphicButton::clicked, this, &SessionPages::removePendingEntry);
    if (auto *button = unitOf<GraphicButton>(entryPage, QStringLiteral("保存按钮")))
        connect(button, &GraphicButton::clicked, this, &SessionPages::saveEntries);
    if (auto *button = unitOf<GraphicButton>(entryPage, QStringLiteral("返回按钮")))
        connect(button, &GraphicButton::clicked, this, [this] { this->main->showPage(QStringLiteral("查看")); });
    if (auto *kinds = unitOf<ComboBox>(entryPage, QStringLiteral("收支金额组合框")))
        connect(kinds, &QComboBox::activated, this, [this](int index) {
            setAmountKind(index != 0);
            if (auto *amount = unitOf<EditBox>(entry(), QStringLiteral("收支金额框")))
                amount->setText(QStringLiteral("0.00"));
        });
    if (auto *types = unitOf<ComboBox>(entryPage, QStringLiteral("项目类型组合框")))
        connect(types, &QComboBox::textActivated, this, [this](const QString &type) {
            LookupLists lists = lookupLists();
            QString typeBox = type, nameBox;
            loadItemNames(type, lists.names, nameBox);
            applyLookupLists(lists);
            if (auto *edit = unitOf<EditBox>(entry(), QStringLiteral("项目类型框")))
                edit->setText(typeBox);
            if (auto *edit = unitOf<EditBox>(entry(), QStringLiteral("项目名称框")))
                edit->setText(nameBox);
        });
    for (const auto &[list, box] : {std::pair{QStringLiteral("项目名称组合框"), QStringLiteral("项目名称框")},
                                    std::pair{QStringLiteral("人员名称组合框"), QStringLiteral("人员名称框")}})
        if (auto *combo = unitOf<ComboBox>(entryPage, list))
            connect(combo, &QComboBox::textActivated, this, [this, boxName = box](const QString &text) {
                if (auto *edit = unitOf<EditBox>(entry(), boxName))
                    edit->setText(text);
            });
    wireAmountBox(unitOf<EditBox>(entryPage, QStringLiteral("收支金额框")), this);
    // The hint points at the amount kind once: a click on it (which also opens the kind list) hides
    // it for good.
    if (auto *hint = unitOf<GraphicButton>(entryPage, QStringLiteral("提示按钮标签")))
        connect(hint, &GraphicButton::clicked, this, [hint] {
            hint->hide();
            writeSetting(QStringLiteral("tsbq"), QStringLiteral("tjje"), QStringLiteral("1"));
        });
    if (auto *name = unitOf<EditBox>(entryPage, QStringLiteral("项目名称框")))
        name->installEventFilter(new KeyAction(this, [this](QKeyEvent *key) {
            if (key->key() == Qt::Key_Delete) {
                LookupLists lists = lookupLists();
                auto *box = unitOf<EditBox>(entry(), QStringLiteral("项目名称框"));
                QString text = box->text();
                if (deleteItemName(text, lists.names, text, this->prompter)) {
                    applyLookupLists(lists);
                    box->setText(text);
                    return true;
                }
            }
            return false; // the box still deletes the character as usual
        }));
    if (auto *type = unitOf<EditBox>(entryPage, QStringLiteral("项目类型框")))
        type->installEventFilter(new KeyAction(this, [this](QKeyEvent *key) {
            if (key->key() == Qt::Key_Delete) {
                LookupLists lists = lookupLists();
                auto *typeBox = unitOf<EditBox>(entry(), QStringLiteral("项目类型框"));
                auto *nameBox = unitOf<EditBox>(entry(), QStringLiteral("项目名称框"));
                QString typeText = typeBox->text();
                QString nameText = nameBox ? nameBox->text() : QString();
                if (deleteItemType(typeText, lists.types, typeText, lists.names, nameText, this->prompter)) {
                    applyLookupLists(lists);
                    typeBox->setText(typeText);
                    if (nameBox)
                        nameBox->setText(nameText);
                    return true;
                }
            }
            return false;
        }));
    if (auto *date = unitOf<DateBox>(entryPage, QStringLiteral("选择日期框")))
        connect(date, &QDateTimeEdit::dateTimeChanged, this, [this](const QDateTime &when) {
            if (auto *label = unitOf<Label>(entry(), QStringLiteral("选择日期标签")))
                label->setText(dateText(when, 1));
        });
    if (auto *list = unitOf<ListView>(view(), QStringLiteral("理财列表框")))
        connect(list, &ListView::rowDoubleClicked, this, [this](int) {
            if (this->main->passLoginGate())
                modifySelected();
        });
    main->hooks.computeStatistics = [this] { showStatistics(); };
    main->hooks.printList = [this] { printList(); };
    LayoutWindow *statistics = main->page(QStringLiteral("statistics"));
    if (auto *years = unitOf<ComboBox>(statistics, QStringLiteral("年份选择组合框"))) {
        int current = 0;
        years->clear();
        years->addItems(yearList(&current));
        years->setCurrentIndex(current);
        if (auto *label = unitOf<TransparentLabel>(statistics, QStringLiteral("年份标签")))
            label->setText(years->currentText());
        connect(years, &QComboBox::textActivated, this, &SessionPages::chooseYear);
    }
    grid = new PrintGrid(this);

    LayoutWindow *backup = main->page(QStringLiteral("backup"));
    const auto endThenRefresh = [this] { this->main->logOut(); };
    const auto onClick = [this, backup](const QString &button, std::function<void()> action) {
        if (auto *b = unitOf<GraphicButton>(backup, button))
            connect(b, &GraphicButton::clicked, this, std::move(action));
    };
    onClick(QStringLiteral("备份数据按钮"), [this] { backupLedger(this->main->session, this->prompter); });
    onClick(QStringLiteral("导出数据按钮"), [this] { exportLedger(this->prompter); });
    onClick(QStringLiteral("导入数据按钮"), [this] { importLedger(this->prompter, [this] { showView(detailMode); }); });
    onClick(QStringLiteral("压缩数据按钮"), [this, endThenRefresh] { compactLedger(this->main->session, this->prompter, endThenRefresh); });
    onClick(QStringLiteral("恢复数据按钮"), [this, endThenRefresh] {
        showBackupPrompt(false);
        restore = restoreLedger(this->main->session, this->prompter, endThenRefresh);
        showBackupPrompt(restore == RestoreState::AwaitingPassword);
    });
    onClick(QStringLiteral("备份密码确认按钮"), [this, backup, endThenRefresh] {
        auto *password = unitOf<EditBox>(backup, QStringLiteral("备份密码框"));
        restore = confirmBackupPassword(this->main->session, password ? password->text() : QString(), this->prompter,
                                        endThenRefresh);
        if (restore == RestoreState::Idle)
            showBackupPrompt(false);
    });
    onClick(QStringLiteral("备份密码取消按钮"), [this] {
        restore = cancelBackupPassword();
        showBackupPrompt(false);
    });
    main->hooks.migrateOldVersion = [this, endThenRefresh] {
        migrateOlderVersion(this->main->session, this->prompter, endThenRefresh, [this] { showView(detailMode); });
    };
    const auto previous = main->hooks.endSession;
    main->hooks.endSession = [this, previous] {
        mode.clear();
        if (previous)
            previous();
    };
}

LayoutWindow *SessionPages::view() const
{
    return main->page(QStringLiteral("view"));
}

void SessionPages::logInFromBar()
{
    LayoutWindow *page = view();
    auto *nameBox = unitOf<EditBox>(page, QStringLiteral("登录用户名框"));
    auto *passwordBox = unitOf<EditBox>(page, QStringLiteral("登录密码框"));
    if (!nameBox || !passwordBox)
        return;
    const QString name = nameBox->text();
    switch (logIn(main->session, name, passwordBox->text(), prompter)) {
    case LoginOutcome::WrongPassword:
        passwordBox->selectAll();
        return;
    case LoginOutcome::Refused:
        return;
    case LoginOutcome::LoggedIn:
        break;
    }
    if (auto *title = main->unit<TransparentLabel>(QStringLiteral("标题标签")))
        title->setText(applicationTitle + QStringLiteral(" - ") + name);
    showView(detailMode);
    // The entry page's lists: types, the names of the type shown, persons.
    if (LayoutWindow *entry = main->page(QStringLiteral("entry"))) {
        const auto fill = [entry](const QString &list, const QString &box, const QStringList &items, const QString &text) {
            if (auto *combo = unitOf<ComboBox>(entry, list)) {
                combo->clear();
                combo->addItems(items);
            }
            if (auto *edit = unitOf<EditBox>(entry, box))
                edit->setText(text);
        };
        QStringList types, names, persons;
        QString type, itemName, person;
        loadItemTypes(types, type);
        loadItemNames(type, names, itemName);
        loadPersons(main->session.currentUser, persons, person);
        fill(QStringLiteral("项目类型组合框"), QStringLiteral("项目类型框"), types, type);
        fill(QStringLiteral("项目名称组合框"), QStringLiteral("项目名称框"), names, itemName);
        fill(QStringLiteral("人员名称组合框"), QStringLiteral("人员名称框"), persons, person);
    }
    if (auto *bar = unitOf<QWidget>(page, QStringLiteral("登录界面框")))
        bar->hide();
    if (auto *bar = unitOf<QWidget>(page, QStringLiteral("统计界面框1")))
        bar->show();
    nameBox->clear();
    passwordBox->clear();
}

void SessionPages::showView(const QString &wanted, ViewGrouping grouping)
{
    LayoutWindow *page = view();
    auto *list = unitOf<ListView>(page, QStringLiteral("理财列表框"));
    const QDate start = dateOf(page, QStringLiteral("开始日期框")), end = dateOf(page, QStringLiteral("结束日期框"));
    if (!list || !viewAllowed(main->session.loggedIn, start, end, prompter))
        return;
    // The rows shown so far are let go before the new ones are read, so a long ledger is held once.
    list->clearRows();
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
    list->setRows(std::move(shown));
    list->setColumnWidth(6, remarkColumnWidth(list->rowCount(), list->columnWidth(6), 18));
    showTotals(totals);
}

void SessionPages::recomputeTotals()
{
    LayoutWindow *page = view();
    auto *list = unitOf<ListView>(page, QStringLiteral("理财列表框"));
    if (!list)
        return;
    QList<ViewRow> rows;
    rows.reserve(list->rowCount());
    for (int r = 0; r < list->rowCount(); ++r)
        rows.append({list->itemValue(r), {QString(), QString(), list->cellText(r, 2), list->cellText(r, 3)}});
    showTotals(computeTotals(rows, dateOf(page, QStringLiteral("开始日期框")), dateOf(page, QStringLiteral("结束日期框"))));
}

void SessionPages::showTotals(const Totals &t)
{
    LayoutWindow *page = view();
    const auto set = [page](const QString &label, const QString &text) {
        if (auto *l = unitOf<TransparentLabel>(page, label))
            l->setText(text);
    };
    set(QStringLiteral("支出标签"), t.expense);
    set(QStringLiteral("收入标签"), t.income);
    set(QStringLiteral("剩余标签"), t.balance);
    set(QStringLiteral("天数标签"), t.days);
    set(QStringLiteral("日均支出标签"), t.dailyExpense);
    set(QStringLiteral("日均收入标签"), t.dailyIncome);
    if (auto *balance = unitOf<TransparentLabel>(page, QStringLiteral("剩余标签")); balance && t.balanceColour != 0) {
        QPalette palette = balance->palette();
        palette.setColor(QPalette::WindowText, t.balanceColour < 0 ? QColor(255, 0, 0) : QColor(0, 128, 0));
        balance->setPalette(palette);
    }
}

void SessionPages::openRegistration()
{
    if (!registration) {
        registration = createNewUserWindow(main);
        if (auto *button = registration->unit<GraphicButton>(QStringLiteral("图形按钮3")))
            connect(button, &GraphicButton::clicked, this, &SessionPages::registerFromWindow);
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
    const auto text = [this](const QString &box) {
        auto *edit = registration->unit<EditBox>(box);
        return edit ? edit->text() : QString();
    };
    const QString name = text(QStringLiteral("用户名框"));
    if (registerUser(name, text(QStringLiteral("新的密码框")), text(QStringLiteral("确认密码框")), prompter)
        != AdminOutcome::Done)
        return;
    if (auto *users = unitOf<ComboBox>(view(), QStringLiteral("用户名组合框")))
        users->addItem(name);
    registration->close();
}

QString SessionPages::userPageText(const QString &box) const
{
    auto *edit = unitOf<EditBox>(main->page(QStringLiteral("user")), box);
    return edit ? edit->text() : QString();
}

void SessionPages::refillUserList()
{
    auto *users = unitOf<ComboBox>(view(), QStringLiteral("用户名组合框"));
    if (!users)
        return;
    QStringList names;
    fillUserList(names);
    users->clear();
    users->addItems(names);
}

void SessionPages::changePasswordFromPage()
{
    const AdminOutcome outcome = changePassword(userPageText(QStringLiteral("用户名框")), userPageText(QStringLiteral("原密码框")),
                                                userPageText(QStringLiteral("新的密码框")),
                                                userPageText(QStringLiteral("确认密码框")), prompter);
    if (outcome == AdminOutcome::Refused)
        return; // the boxes keep their texts
    if (outcome == AdminOutcome::Done)
        main->showPage(QStringLiteral("查看"));
    for (const QString &box : {QStringLiteral("用户名框"), QStringLiteral("原密码框"), QStringLiteral("新的密码框"),
                               QStringLiteral("确认密码框")})
        if (auto *edit = unitOf<EditBox>(main->page(QStringLiteral("user")), box))
            edit->clear();
}

void SessionPages::deleteUserFromPage()
{
    const AdminOutcome outcome =
        deleteUser(main->session, userPageText(QStringLiteral("用户名框")), userPageText(QStringLiteral("原密码框")), prompter,
                   [this] {
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

namespace {

void setLabel(LayoutWindow *page, const QString &name, const QString &text)
{
    if (auto *label = unitOf<TransparentLabel>(page, name))
        label->setText(text);
}

void showYear(LayoutWindow *page, const YearStatistics &year)
{
    for (int m = 1; m <= 12; ++m) {
        setLabel(page, QStringLiteral("月支出标签%1").arg(m), year.months.value(m - 1).expense);
        setLabel(page, QStringLiteral("月收入标签%1").arg(m), year.months.value(m - 1).income);
    }
    setLabel(page, QStringLiteral("年支出标签"), year.total.expense);
    setLabel(page, QStringLiteral("年收入标签"), year.total.income);
    setLabel(page, QStringLiteral("年份标签1"), year.caption);
}

} // namespace

void SessionPages::showStatistics()
{
    LayoutWindow *page = main->page(QStringLiteral("statistics"));
    auto *yearLabel = unitOf<TransparentLabel>(page, QStringLiteral("年份标签"));
    Statistics s;
    if (!computeStatistics(main->session.loggedIn, int(textToInteger(yearLabel ? yearLabel->text() : QString())), prompter, &s))
        return;
    setLabel(page, QStringLiteral("当月标签"), s.currentCaption);
    setLabel(page, QStringLiteral("上月标签"), s.previousCaption);
    setLabel(page, QStringLiteral("总支出标签"), s.allTime.expense);
    setLabel(page, QStringLiteral("总收入标签"), s.allTime.income);
    setLabel(page, QStringLiteral("当月支出标签"), s.current.expense);
    setLabel(page, QStringLiteral("当月收入标签"), s.current.income);
    setLabel(page, QStringLiteral("上月支出标签"), s.previous.expense);
    setLabel(page, QStringLiteral("上月收入标签"), s.previous.income);
    showYear(page, s.year);
}

void SessionPages::chooseYear(const QString &year)
{
    LayoutWindow *page = main->page(QStringLiteral("statistics"));
    setLabel(page, QStringLiteral("年份标签"), year);
    showYear(page, computeYear(int(textToInteger(year))));
    if (page)
        page->setFocus();
}

void SessionPages::printList()
{
    LayoutWindow *page = view();
    auto *list = unitOf<ListView>(page, QStringLiteral("理财列表框"));
    if (!list)
        return;
    QList<QStringList> rows;
    for (int r = 0; r < list->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < 7; ++c)
            cells.append(list->cellText(r, c));
        rows.append(cells);
    }
    buildListPrintout(*grid, rows, dateOf(page, QStringLiteral("开始日期框")), dateOf(page, QStringLiteral("结束日期框")),
                      unitOf<SuperEditBox>(page, QStringLiteral("超级编辑框1")));
    grid->showPreview(main);
}

void SessionPages::showBackupPrompt(bool shown)
{
    LayoutWindow *backup = main->page(QStringLiteral("backup"));
    for (const QString &name : {QStringLiteral("备份密码标签"), QStringLiteral("备份密码外形框"), QStringLiteral("备份密码确认按钮"),
                                QStringLiteral("备份密码取消按钮")})
        if (auto *unit = unitOf<QWidget>(backup, name))
            unit->setVisible(shown);
    if (auto *password = unitOf<EditBox>(backup, QStringLiteral("备份密码框")); password && !shown)
        password->clear();
}

LayoutWindow *SessionPages::entry() const
{
    return main->page(QStringLiteral("entry"));
}

EntryForm SessionPages::entryForm() const
{
    LayoutWindow *page = entry();
    const auto text = [page](const QString &name) {
        auto *edit = unitOf<EditBox>(page, name);
        return edit ? edit->text() : QString();
    };
    auto *kind = unitOf<TransparentLabel>(page, QStringLiteral("收支金额标签"));
    return {text(QStringLiteral("项目类型框")), text(QStringLiteral("项目名称框")), text(QStringLiteral("人员名称框")),
            text(QStringLiteral("备注框")),     dateOf(page, QStringLiteral("选择日期框")), text(QStringLiteral("收支金额框")),
            kind ? kind->text() : QString()};
}

void SessionPages::setAmountKind(bool income)
{
    LayoutWindow *page = entry();
    const QColor colour = income ? QColor(0, 0, 255) : QColor(255, 0, 0);
    if (auto *kinds = unitOf<ComboBox>(page, QStringLiteral("收支金额组合框")))
        kinds->setCurrentIndex(income ? 1 : 0);
    if (auto *label = unitOf<TransparentLabel>(page, QStringLiteral("收支金额标签"))) {
        label->setText(income ? incomeKind : expenseKind);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, colour);
        label->setPalette(palette);
    }
    if (auto *amount = unitOf<EditBox>(page, QStringLiteral("收支金额框"))) {
        QPalette palette = amount->palette();
        palette.setColor(QPalette::Text, colour);
        amount->setPalette(palette);
    }
}

void SessionPages::resetEntryForm()
{
    LayoutWindow *page = entry();
    setAmountKind(false);
    if (auto *amount = unitOf<EditBox>(page, QStringLiteral("收支金额框")))
        amount->setText(QStringLiteral("0.00"));
    if (auto *pending = unitOf<ListView>(page, QStringLiteral("添加理财列表框")))
        pending->clearRows();
    if (auto *date = unitOf<DateBox>(page, QStringLiteral("选择日期框")))
        date->setDateTime(Clock::now());
    if (auto *label = unitOf<Label>(page, QStringLiteral("选择日期标签")))
        label->setText(dateText(Clock::today(), 1));
    if (auto *remark = unitOf<EditBox>(page, QStringLiteral("备注框")))
        remark->clear();
}

LookupLists SessionPages::lookupLists() const
{
    LookupLists lists;
    const auto items = [this](const QString &name) {
        QStringList texts;
        if (auto *combo = unitOf<ComboBox>(entry(), name))
            for (int i = 0; i < combo->count(); ++i)
                texts.append(combo->itemText(i));
        return texts;
    };
    lists.types = items(QStringLiteral("项目类型组合框"));
    lists.names = items(QStringLiteral("项目名称组合框"));
    lists.persons = items(QStringLiteral("人员名称组合框"));
    return lists;
}

void SessionPages::applyLookupLists(const LookupLists &lists)
{
    const auto set = [this](const QString &name, const QStringList &texts) {
        if (auto *combo = unitOf<ComboBox>(entry(), name)) {
            combo->clear();
            combo->addItems(texts);
        }
    };
    set(QStringLiteral("项目类型组合框"), lists.types);
    set(QStringLiteral("项目名称组合框"), lists.names);
    set(QStringLiteral("人员名称组合框"), lists.persons);
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
    LayoutWindow *page = entry();
    if (auto *pending = unitOf<ListView>(page, QStringLiteral("添加理财列表框"))) {
        pending->appendRow({form.type, form.name, checked.expense, checked.income, form.person, dateText(form.day, 1),
                            form.remark});
        pending->setColumnWidth(6, remarkColumnWidth(pending->rowCount(), pending->columnWidth(6), 12));
    }
    if (auto *remark = unitOf<EditBox>(page, QStringLiteral("备注框")))
        remark->clear();
    if (auto *amount = unitOf<EditBox>(page, QStringLiteral("收支金额框")))
        amount->setText(QStringLiteral("0.00"));
}

void SessionPages::removePendingEntry()
{
    if (editingId > 0) {
        prompter.showMessage(QStringLiteral("修改状态下，不能删除！如果需要保存，请点击保存按钮！"));
        return;
    }
    auto *pending = unitOf<ListView>(entry(), QStringLiteral("添加理财列表框"));
    if (!pending || pending->selectedRow() < 0) {
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
    if (auto *pending = unitOf<ListView>(entry(), QStringLiteral("添加理财列表框")))
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
    LayoutWindow *page = view();
    if (!page || !page->isVisible()) {
        main->showPage(QStringLiteral("查看"));
        return;
    }
    if (mode == summaryMode) {
        prompter.showMessage(QStringLiteral("合计查看 状态不能修改记录，请先点击 详细查看 ，再修改记录！"));
        return;
    }
    auto *list = unitOf<ListView>(page, QStringLiteral("理财列表框"));
    if (!list || list->selectedRow() < 0) {
        prompter.showMessage(QStringLiteral("请选择要修改的记录！"));
        return;
    }
    editingId = list->itemValue(list->selectedRow());
    resetEntryForm();
    RecordForm record;
    if (!loadRecord(editingId, &record)) {
        prompter.showMessage(QStringLiteral("读取记录失败！"));
        return;
    }
    LayoutWindow *form = entry();
    const auto set = [form](const QString &name, const QString &text) {
        if (auto *edit = unitOf<EditBox>(form, name))
            edit->setText(text);
    };
    if (auto *date = unitOf<DateBox>(form, QStringLiteral("选择日期框")))
        date->setDateTime(QDateTime(record.day, QTime(0, 0)));
    if (auto *label = unitOf<Label>(form, QStringLiteral("选择日期标签")))
        label->setText(dateText(record.day, 1));
    set(QStringLiteral("项目类型框"), record.type);
    set(QStringLiteral("项目名称框"), record.name);
    set(QStringLiteral("收支金额框"), record.amount);
    setAmountKind(record.income);
    set(QStringLiteral("人员名称框"), record.person);
    set(QStringLiteral("备注框"), record.remark);
    LookupLists lists = lookupLists();
    QString ignored;
    loadItemNames(record.type, lists.names, ignored);
    applyLookupLists(lists);
    main->showPage(QStringLiteral("修改"));
}

void SessionPages::deleteSelected()
{
    LayoutWindow *page = view();
    if (!page || !page->isVisible()) {
        main->showPage(QStringLiteral("查看"));
        return;
    }
    if (mode != detailMode) {
        prompter.showMessage(QStringLiteral("合计状态不能删除提醒，请点击 详细查看 后再删除！"));
        return;
    }
    auto *list = unitOf<ListView>(page, QStringLiteral("理财列表框"));
    const int row = list ? list->selectedRow() : -1;
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
