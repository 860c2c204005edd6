// The login bar, the new-user window and the view page's list, through the real main window.
#include "shellfixture.h"

#include "common/clock.h"
#include "dataaccess/instances.h"
#include "shell/mainwindow.h"
#include "shell/sessionpages.h"
#include "users/administration.h"
#include "support/scriptedprompter.h"
#include "ui/listview.h"
#include "ui/printgrid.h"
#include "ui/units.h"

#include "common/settings.h"
#include "users/userdirectory.h"

#include <QClipboard>
#include <QSettings>
#include <sqlite3.h>

class TestSessionPages : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void registerLogInAndView();
    void userPage();
    void statisticsAndPrinting();
    void backupPage();
    void entryPage();
    void entryHintAmountBoxAndFailingSave();
    void longTextsAreKeptWholeAndRefused_data();
    void longTextsAreKeptWholeAndRefused();
    void modifyingTurnsANegativeIncomeIntoAnExpense();
    void newUserWindowTitleAndEsc();
    void viewRefusalsColoursAndRemarkColumn();

private:
    // Registers the name with the password "pw" through the new-user window, then logs in.
    void registerAndLogIn(SessionPages &pages, const QString &name);
    template<class T>
    T *viewUnit(const QString &name, const char *file = __builtin_FILE(), int line = __builtin_LINE())
    {
        return unitOf<T>(window->page("view"), name, file, line);
    }
    std::unique_ptr<ProgramFolder> folder;
    std::unique_ptr<MainWindow> window;
    ScriptedPrompter prompter;
};

void TestSessionPages::init()
{
    Clock::setFixed(QDateTime(QDate(2012, 11, 30), QTime(10, 0)));
    QSettings(QSettings::NativeFormat, QSettings::UserScope, "tavrix", "kelm").clear();
    folder = std::make_unique<ProgramFolder>();
    window = std::make_unique<MainWindow>();
    QCOMPARE(window->start(), StartupResult::Started);
    prompter = ScriptedPrompter();
}

void TestSessionPages::cleanup()
{
    window.reset();
    closeSessionData();
    folder.reset();
    Clock::useSystemTime();
}

void TestSessionPages::registerAndLogIn(SessionPages &pages, const QString &name)
{
    pages.openRegistration();
    LayoutWindow *registration = pages.registrationWindow();
    unitOf<EditBox>(registration, "用户名框")->setText(name);
    unitOf<EditBox>(registration, "新的密码框")->setText("pw");
    unitOf<EditBox>(registration, "确认密码框")->setText("pw");
    unitOf<GraphicButton>(registration, "图形按钮3")->click();
    viewUnit<EditBox>("登录用户名框")->setText(name);
    viewUnit<EditBox>("登录密码框")->setText("pw");
    viewUnit<GraphicButton>("登录按钮")->click();
}

void TestSessionPages::registerLogInAndView()
{
    SessionPages pages(window.get(), prompter);
    viewUnit<GraphicButton>("注册按钮")->click();
    LayoutWindow *registration = pages.registrationWindow();
    QVERIFY(registration && registration->isVisible());
    unitOf<EditBox>(registration, "用户名框")->setText("张三");
    unitOf<EditBox>(registration, "新的密码框")->setText("pw");
    unitOf<EditBox>(registration, "确认密码框")->setText("pw");
    unitOf<GraphicButton>(registration, "图形按钮3")->click();
    QCOMPARE(prompter.messages, QStringList{"注册用户成功！密码：pw"});
    QTRY_VERIFY(!pages.registrationWindow());
    auto *users = viewUnit<ComboBox>("用户名组合框");
    QCOMPARE(users->count(), 1);
    QCOMPARE(users->itemText(0), QStringLiteral("张三"));

    auto *name = viewUnit<EditBox>("登录用户名框");
    auto *password = viewUnit<EditBox>("登录密码框");
    name->setText("张三");
    password->setText("wrong");
    viewUnit<GraphicButton>("登录按钮")->click();
    QCOMPARE(prompter.messages.last(), QStringLiteral("密码错误,请重新输入！"));
    QCOMPARE(password->selectedText(), QStringLiteral("wrong"));
    QVERIFY(!window->loggedIn());

    password->setText("pw");
    QTest::keyClick(password, Qt::Key_Return);
    QVERIFY(window->loggedIn());
    QCOMPARE(unitOf<TransparentLabel>(window.get(), "标题标签")->text(), QStringLiteral("Varnel家庭理财 - 张三"));
    QVERIFY(name->text().isEmpty() && password->text().isEmpty());
    QVERIFY(viewUnit<QWidget>("登录界面框")->isHidden());
    QVERIFY(!viewUnit<QWidget>("统计界面框1")->isHidden());
    QCOMPARE(pages.viewMode(), detailMode);
    QCOMPARE(unitOf<EditBox>(window->page("entry"), "项目类型框")->text(), QStringLiteral("生活"));
    QCOMPARE(unitOf<EditBox>(window->page("entry"), "人员名称框")->text(), QStringLiteral("张三"));

    for (const char *r : {"'生活','早餐',12.50,0,'张三','2012-11-01',''", "'生活','午餐',20.00,0,'张三','2012-11-30',''",
                          "'工资','月薪',0,5000,'张三','2012-11-15',''"})
        QVERIFY(userConnection.Execute(QStringLiteral("insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq,bz) values (%1)").arg(QString::fromUtf8(r))));
    viewUnit<DateBox>("开始日期框")->setDateTime(QDateTime(QDate(2012, 11, 1), QTime(0, 0)));
    viewUnit<GraphicButton>("详细查看按钮")->click();
    auto *list = viewUnit<ListView>("理财列表框");
    QCOMPARE(list->rowCount(), 3);
    QCOMPARE(list->cellText(0, 1), QStringLiteral("早餐"));
    QCOMPARE(viewUnit<TransparentLabel>("支出标签")->text(), QStringLiteral("32.50"));
    QCOMPARE(viewUnit<TransparentLabel>("剩余标签")->text(), QStringLiteral("4967.50"));
    QCOMPARE(viewUnit<TransparentLabel>("天数标签")->text(), QStringLiteral("30 天"));
    // The days bar and the totals bar take turns.
    viewUnit<GraphicButton>("刷新按钮1")->click();
    QVERIFY(viewUnit<QWidget>("统计界面框1")->isHidden() && !viewUnit<QWidget>("统计界面框2")->isHidden());
    viewUnit<GraphicButton>("刷新按钮2")->click();
    QVERIFY(!viewUnit<QWidget>("统计界面框1")->isHidden() && viewUnit<QWidget>("统计界面框2")->isHidden());

    viewUnit<GraphicButton>("合计查看按钮")->click();
    QCOMPARE(pages.viewMode(), summaryMode);
    QCOMPARE(list->rowCount(), 3);
    emit list->columnTitleClicked(0);
    QCOMPARE(list->rowCount(), 2);
    QCOMPARE(list->cellText(0, 5), QStringLiteral("30天"));

    // End before start: refused, the list stays.
    viewUnit<DateBox>("开始日期框")->setDateTime(QDateTime(QDate(2012, 12, 1), QTime(0, 0)));
    viewUnit<GraphicButton>("详细查看按钮")->click();
    QCOMPARE(prompter.messages.last(), QStringLiteral("结束日期不能小于开始日期！"));
    QCOMPARE(list->rowCount(), 2);

    window->logOut();
    QVERIFY(!window->loggedIn());
    QVERIFY(pages.viewMode().isEmpty());
    QCOMPARE(list->rowCount(), 0);
}

void TestSessionPages::userPage()
{
    SessionPages pages(window.get(), prompter);
    for (const char *user : {"张三", "李四"}) {
        pages.openRegistration();
        LayoutWindow *registration = pages.registrationWindow();
        unitOf<EditBox>(registration, "用户名框")->setText(QString::fromUtf8(user));
        unitOf<EditBox>(registration, "新的密码框")->setText("pw");
        unitOf<EditBox>(registration, "确认密码框")->setText("pw");
        unitOf<GraphicButton>(registration, "图形按钮3")->click();
        QTRY_VERIFY(!pages.registrationWindow());
    }
    viewUnit<EditBox>("登录用户名框")->setText("张三");
    viewUnit<EditBox>("登录密码框")->setText("pw");
    viewUnit<GraphicButton>("登录按钮")->click();
    QVERIFY(window->loggedIn());

    LayoutWindow *user = window->page("user");
    const auto fill = [user](const QStringList &texts) {
        const QStringList boxes{"用户名框", "原密码框", "新的密码框", "确认密码框"};
        for (int i = 0; i < boxes.size(); ++i)
            unitOf<EditBox>(user, boxes[i])->setText(texts.value(i));
    };
    prompter = ScriptedPrompter();
    fill({"张三", "pw", "new", "other"});
    unitOf<GraphicButton>(user, "图形按钮1")->click();
    QCOMPARE(prompter.messages, QStringList{"二次输入的新密码不一样，请重新输入！"});
    QCOMPARE(unitOf<EditBox>(user, "新的密码框")->text(), QStringLiteral("new")); // kept after a refusal
    fill({"张三", "pw", "new", "new"});
    unitOf<GraphicButton>(user, "图形按钮1")->click();
    QCOMPARE(prompter.messages.last(), QStringLiteral("修改用户密码成功！密码：new"));
    QVERIFY(unitOf<EditBox>(user, "原密码框")->text().isEmpty());

    // Another user's name is not found in the open ledger.
    prompter.answers = {true};
    fill({"李四", "pw"});
    unitOf<GraphicButton>(user, "图形按钮2")->click();
    QCOMPARE(prompter.messages.last(), QStringLiteral("用户名不存在，请重新输入！"));
    prompter.answers = {true, true};
    fill({"张三", "new"});
    unitOf<GraphicButton>(user, "图形按钮2")->click();
    QCOMPARE(prompter.messages.last(), QStringLiteral("删除用户成功！"));
    QVERIFY(!window->loggedIn());
    auto *users = viewUnit<ComboBox>("用户名组合框");
    QCOMPARE(users->count(), 1);
    QCOMPARE(users->itemText(0), QStringLiteral("李四"));
    QVERIFY(!QFile::exists(folder->path("data/张三_lc.dat")));
}

void TestSessionPages::statisticsAndPrinting()
{
    SessionPages pages(window.get(), prompter);
    registerAndLogIn(pages, "张三");
    QVERIFY(window->loggedIn());
    for (const char *r : {"'生活','早餐',12.50,0,'张三','2012-11-01',''", "'工资','月薪',0,5000,'张三','2012-11-15',''",
                          "'生活','午餐',3.00,0,'张三','2012-10-31',''", "'生活','晚餐',9.00,0,'张三','2011-03-02',''"})
        QVERIFY(userConnection.Execute(QStringLiteral("insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq,bz) values (%1)").arg(QString::fromUtf8(r))));

    // The clock stands on 30 November 2012: the year list runs to 2016 with 2012 chosen.
    LayoutWindow *statistics = window->page("statistics");
    auto *years = unitOf<ComboBox>(statistics, "年份选择组合框");
    QCOMPARE(years->itemText(years->count() - 1), QStringLiteral("2016"));
    QCOMPARE(years->currentText(), QStringLiteral("2012"));
    unitOf<GraphicButton>(window.get(), "统计按钮")->click();
    const auto label = [statistics](const char *name) { return unitOf<TransparentLabel>(statistics, name)->text(); };
    QCOMPARE(label("当月标签"), QStringLiteral("当月（11月）"));
    QCOMPARE(label("上月标签"), QStringLiteral("上月（10月）"));
    QCOMPARE(label("当月支出标签") + '/' + label("当月收入标签"), QStringLiteral("12.50/5000.00"));
    QCOMPARE(label("上月支出标签"), QStringLiteral("3.00"));
    QCOMPARE(label("总支出标签"), QStringLiteral("24.50"));
    QCOMPARE(label("月支出标签10"), QStringLiteral("3.00"));
    QCOMPARE(label("月支出标签3"), QStringLiteral("0.00"));
    QCOMPARE(label("年支出标签"), QStringLiteral("15.50"));
    emit years->textActivated("2011");
    QCOMPARE(label("年份标签"), QStringLiteral("2011"));
    QCOMPARE(label("月支出标签3"), QStringLiteral("9.00"));
    QCOMPARE(label("年份标签1"), QStringLiteral("（2011）"));

    viewUnit<DateBox>("开始日期框")->setDateTime(QDateTime(QDate(2012, 11, 1), QTime(0, 0)));
    viewUnit<GraphicButton>("详细查看按钮")->click();
    viewUnit<GraphicButton>("打印列表按钮")->click();
    PrintGrid *grid = pages.printout();
    QVERIFY(grid->previewOpen());
    // Title, title, range, column titles, two records, totals.
    QCOMPARE(grid->rowCount(), 7);
    QCOMPARE(grid->cellText(4, 2), QStringLiteral("早餐"));
    QCOMPARE(grid->cellText(6, 1), QStringLiteral("支出合计：12.50"));
}

void TestSessionPages::backupPage()
{
    SessionPages pages(window.get(), prompter);
    pages.openRegistration();
    LayoutWindow *registration = pages.registrationWindow();
    unitOf<EditBox>(registration, "用户名框")->setText("张三");
    unitOf<EditBox>(registration, "新的密码框")->setText("pw");
    unitOf<EditBox>(registration, "确认密码框")->setText("pw");
    unitOf<GraphicButton>(registration, "图形按钮3")->click();
    const auto logIn = [this](const QString &password) {
        viewUnit<EditBox>("登录用户名框")->setText("张三");
        viewUnit<EditBox>("登录密码框")->setText(password);
        viewUnit<GraphicButton>("登录按钮")->click();
    };
    logIn("pw");
    QVERIFY(userConnection.Execute("insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq,bz) values ('生活','早餐',1,0,'张三','2012-11-30','')"));
    LayoutWindow *backup = window->page("backup");
    const auto click = [backup](const char *name) { unitOf<GraphicButton>(backup, name)->click(); };

    prompter = ScriptedPrompter();
    const QString saved = folder->path("old.lcabak");
    prompter.files = {saved};
    click("备份数据按钮");
    QCOMPARE(prompter.messages, QStringList{"备份数据成功！"});
    const QString book = folder->path("a.xls");
    prompter.files = {book};
    click("导出数据按钮");
    QCOMPARE(prompter.messages.last(), QStringLiteral("导出数据成功！"));

    // A backup with an older password: the prompt shows until the old password is typed.
    QCOMPARE(changePassword(userConnection, userRecordset, "张三", "pw", "new", "new", prompter), AdminOutcome::Done);
    QVERIFY(userConnection.Execute("delete from lcsj"));
    prompter.answers = {true, true};
    prompter.files = {saved};
    click("恢复数据按钮");
    QCOMPARE(pages.restoreState(), RestoreState::AwaitingPassword);
    QVERIFY(!unitOf<QWidget>(backup, "备份密码确认按钮")->isHidden());
    unitOf<EditBox>(backup, "备份密码框")->setText("pw");
    click("备份密码确认按钮");
    QCOMPARE(prompter.messages.last(), QStringLiteral("恢复数据成功！"));
    QVERIFY(unitOf<QWidget>(backup, "备份密码确认按钮")->isHidden());
    QVERIFY(!window->loggedIn());
    logIn("new");
    QVERIFY(window->loggedIn());
    QCOMPARE(viewUnit<ListView>("理财列表框")->rowCount(), 1);

    // The same workbook again brings nothing new.
    prompter.answers = {true, true};
    prompter.files = {book};
    click("导入数据按钮");
    QCOMPARE(prompter.messages.last(), QStringLiteral("导入理财数据成功！共 0 个记录"));
    prompter.answers = {true};
    click("压缩数据按钮");
    QCOMPARE(prompter.messages.last(), QStringLiteral("压缩数据库成功！"));
    QVERIFY(!window->loggedIn());
}

void TestSessionPages::entryPage()
{
    for (int i = 0; i < 3; ++i)
        window->splashTick();
    QVERIFY(window->isVisible());
    SessionPages pages(window.get(), prompter);
    registerAndLogIn(pages, "张三");
    QVERIFY(window->loggedIn());

    prompter = ScriptedPrompter();
    unitOf<GraphicButton>(window.get(), "添加按钮")->click();
    LayoutWindow *entry = window->page("entry");
    QVERIFY(entry->isVisible());
    const auto type = [entry](const char *box, const QString &text) { unitOf<EditBox>(entry, box)->setText(text); };
    type("项目类型框", "生活");
    type("项目名称框", "早餐");
    type("收支金额框", "12.5");
    type("备注框", "Tom's");
    unitOf<GraphicButton>(entry, "添加按钮")->click();
    type("项目名称框", "退款");
    type("收支金额框", "-20");
    emit unitOf<ComboBox>(entry, "收支金额组合框")->activated(1);
    QCOMPARE(unitOf<TransparentLabel>(entry, "收支金额标签")->text(), QStringLiteral("收入金额："));
    type("收支金额框", "-20");
    unitOf<GraphicButton>(entry, "添加按钮")->click();
    // A negative income is an expense.
    QCOMPARE(unitOf<TransparentLabel>(entry, "收支金额标签")->text(), QStringLiteral("支出金额："));
    auto *pending = unitOf<ListView>(entry, "添加理财列表框");
    QCOMPARE(pending->rowCount(), 2);
    QCOMPARE(pending->cellText(1, 2), QStringLiteral("20.00"));
    unitOf<GraphicButton>(entry, "保存按钮")->click();
    QVERIFY(prompter.messages.isEmpty());
    auto *list = viewUnit<ListView>("理财列表框");
    QCOMPARE(list->rowCount(), 2);
    QCOMPARE(viewUnit<TransparentLabel>("支出标签")->text(), QStringLiteral("32.50"));

    // Modify the first record: the form shows it, saving rewrites it.
    list->selectRow(0);
    unitOf<GraphicButton>(window.get(), "修改按钮")->click();
    QVERIFY(pages.editingRecord() > 0);
    QCOMPARE(unitOf<EditBox>(entry, "收支金额框")->text(), QStringLiteral("12.50"));
    QCOMPARE(unitOf<EditBox>(entry, "备注框")->text(), QStringLiteral("Tom's"));
    unitOf<GraphicButton>(entry, "添加按钮")->click();
    QCOMPARE(prompter.messages.last(), QStringLiteral("修改状态下，不能添加！如果需要保存，请点击保存按钮！"));
    type("收支金额框", "13");
    unitOf<GraphicButton>(entry, "保存按钮")->click();
    QCOMPARE(list->cellText(0, 2), QStringLiteral("13.00"));

    // Delete: refused in the summary view, then the selected record goes.
    viewUnit<GraphicButton>("合计查看按钮")->click();
    unitOf<GraphicButton>(window.get(), "删除按钮")->click();
    QCOMPARE(prompter.messages.last(), QStringLiteral("合计状态不能删除提醒，请点击 详细查看 后再删除！"));
    viewUnit<GraphicButton>("详细查看按钮")->click();
    unitOf<GraphicButton>(window.get(), "删除按钮")->click();
    QCOMPARE(prompter.messages.last(), QStringLiteral("请选择要删除的记录！"));
    list->selectRow(1);
    prompter.answers = {true};
    unitOf<GraphicButton>(window.get(), "删除按钮")->click();
    QCOMPARE(prompter.messages.last(), QStringLiteral("删除记录成功！"));
    QCOMPARE(list->rowCount(), 1);
    QCOMPARE(viewUnit<TransparentLabel>("支出标签")->text(), QStringLiteral("13.00"));

    // The amount box takes one point and no minus sign.
    auto *amount = unitOf<EditBox>(entry, "收支金额框");
    amount->clear();
    QTest::keyClicks(amount, "-12.5.3");
    QCOMPARE(amount->text(), QStringLiteral("12.53"));
    // Delete in the name box removes the name from the list after asking; "no" deletes a character.
    auto *name = unitOf<EditBox>(entry, "项目名称框");
    name->setText("退款");
    name->setCursorPosition(0);
    prompter.answers = {false};
    QTest::keyClick(name, Qt::Key_Delete);
    QCOMPARE(name->text(), QStringLiteral("款"));
    name->setText("退款");
    prompter.answers = {true};
    QTest::keyClick(name, Qt::Key_Delete);
    QCOMPARE(prompter.questions.last(), QStringLiteral("是否真的要删除项目名称？"));
    QVERIFY(userConnection.Execute("select 1"));
    userRecordset.Open("select count(*) from xmmcsj where xmmc='退款'");
    QCOMPARE(userRecordset.GetText(0), QStringLiteral("0"));
}

void TestSessionPages::entryHintAmountBoxAndFailingSave()
{
    SessionPages pages(window.get(), prompter);
    registerAndLogIn(pages, "张三");
    QVERIFY(window->loggedIn());
    unitOf<GraphicButton>(window.get(), "添加按钮")->click();
    LayoutWindow *entry = window->page("entry");

    // The hint shows until it is clicked once; the click opens the amount kinds and is remembered.
    auto *hint = unitOf<GraphicButton>(entry, "提示按钮标签");
    QVERIFY(!hint->isHidden());
    hint->click();
    QVERIFY(hint->isHidden());
    QCOMPARE(readSetting("tsbq", "tjje"), QStringLiteral("1"));
    auto *kinds = unitOf<ComboBox>(entry, "收支金额组合框");
    QVERIFY(kinds->view()->isVisible());
    kinds->hidePopup();

    // A click into the amount selects it whole.
    auto *amount = unitOf<EditBox>(entry, "收支金额框");
    amount->setText("12.50");
    amount->deselect();
    QTest::mouseClick(amount, Qt::LeftButton);
    QCOMPARE(amount->selectedText(), QStringLiteral("12.50"));

    // A key is judged against the text it makes: ".5" over the selected amount gives 0.5.
    QTest::keyClicks(amount, ".5");
    QCOMPARE(amount->text(), QStringLiteral(".5"));
    QTest::keyClicks(amount, ".");
    QCOMPARE(amount->text(), QStringLiteral(".5"));

    const auto type = [entry](const char *box, const QString &text) { unitOf<EditBox>(entry, box)->setText(text); };

    // An insert the ledger refuses: nothing is saved and the pending entries stay for another try.
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(existingLedgerPath("张三")).constData(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, "create trigger refuse before insert on lcsj when new.bz='坏' "
                              "begin select raise(abort, 'refused'); end", nullptr, nullptr, nullptr), SQLITE_OK);
    type("项目类型框", "生活");
    type("项目名称框", "早餐");
    type("人员名称框", "张三");
    type("收支金额框", "3");
    unitOf<GraphicButton>(entry, "添加按钮")->click();
    type("收支金额框", "4");
    type("备注框", "坏");
    unitOf<GraphicButton>(entry, "添加按钮")->click();
    auto *pending = unitOf<ListView>(entry, "添加理财列表框");
    QCOMPARE(pending->rowCount(), 2);
    prompter = ScriptedPrompter();
    unitOf<GraphicButton>(entry, "保存按钮")->click();
    QCOMPARE(prompter.messages, QStringList{"保存记录失败!"});
    QVERIFY(!entry->isHidden());
    QCOMPARE(pending->rowCount(), 2);
    userRecordset.Open("select count(*) from lcsj");
    QCOMPARE(userRecordset.GetText(0), QStringLiteral("0"));
    userRecordset.Close();

    // Once the ledger takes the rows again, the same pending list is saved whole.
    QCOMPARE(sqlite3_exec(db, "drop trigger refuse", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    unitOf<GraphicButton>(entry, "保存按钮")->click();
    QCOMPARE(prompter.messages.size(), 1);
    QCOMPARE(viewUnit<ListView>("理财列表框")->rowCount(), 2);
    QCOMPARE(viewUnit<ListView>("理财列表框")->cellText(1, 6), QStringLiteral("坏"));
}

void TestSessionPages::viewRefusalsColoursAndRemarkColumn()
{
    for (int i = 0; i < 3; ++i)
        window->splashTick();
    SessionPages pages(window.get(), prompter);
    // A range ending before it starts at login: no view is shown, so there is nothing to delete from.
    viewUnit<DateBox>("开始日期框")->setDateTime(QDateTime(QDate(2012, 12, 1), QTime(0, 0)));
    registerAndLogIn(pages, "张三");
    QVERIFY(window->loggedIn());
    QCOMPARE(prompter.messages.last(), QStringLiteral("结束日期不能小于开始日期！"));
    QVERIFY(pages.viewMode().isEmpty());
    unitOf<GraphicButton>(window.get(), "删除按钮")->click();
    QCOMPARE(prompter.messages.last(), QStringLiteral("合计状态不能删除提醒，请点击 详细查看 后再删除！"));

    // A negative balance is red, and a balance back at zero keeps the colour.
    viewUnit<DateBox>("开始日期框")->setDateTime(QDateTime(QDate(2012, 11, 1), QTime(0, 0)));
    const auto insert = [](double expense, double income) {
        QVERIFY(userConnection.Execute(QStringLiteral("insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq,bz) values "
                                                      "('生活','早餐',%1,%2,'张三','2012-11-02','')")
                                           .arg(expense)
                                           .arg(income)));
    };
    insert(10, 0);
    viewUnit<GraphicButton>("详细查看按钮")->click();
    auto *balance = viewUnit<TransparentLabel>("剩余标签");
    QCOMPARE(balance->text(), QStringLiteral("-10.00"));
    QCOMPARE(balance->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    insert(0, 10);
    viewUnit<GraphicButton>("详细查看按钮")->click();
    QCOMPARE(balance->text(), QStringLiteral("0.00"));
    QCOMPARE(balance->palette().color(QPalette::WindowText), QColor(255, 0, 0));

    // Nineteen rows need the scroll bar, so the remark column gives way to it.
    auto *list = viewUnit<ListView>("理财列表框");
    QVERIFY(list->columnWidth(6) >= 268);
    for (int i = 0; i < 17; ++i)
        insert(1, 0);
    viewUnit<GraphicButton>("详细查看按钮")->click();
    QCOMPARE(list->rowCount(), 19);
    QVERIFY(list->columnWidth(6) <= 250);
}

void TestSessionPages::longTextsAreKeptWholeAndRefused_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("list"); // the drop-down it is picked from; empty: pasted
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    // Lookup lists hold values up to 50 characters, from older ledgers or an import.
    QTest::newRow("type picked") << "项目类型框" << "项目类型组合框" << QString(40, u'类') << "项目类型太长，不能超过30个字符！";
    QTest::newRow("person picked") << "人员名称框" << "人员名称组合框" << QString(21, u'人') << "人员名称太长，不能超过20个字符！";
    QTest::newRow("name pasted") << "项目名称框" << "" << QString(51, u'名') << "项目名称太长，不能超过50个字符！";
    QTest::newRow("person pasted") << "人员名称框" << "" << QString(21, u'人') << "人员名称太长，不能超过20个字符！";
}

void TestSessionPages::longTextsAreKeptWholeAndRefused()
{
    QFETCH(QString, box);
    QFETCH(QString, list);
    QFETCH(QString, text);
    QFETCH(QString, message);
    SessionPages pages(window.get(), prompter);
    registerAndLogIn(pages, "张三");
    unitOf<GraphicButton>(window.get(), "添加按钮")->click();
    LayoutWindow *entry = window->page("entry");
    auto *edit = unitOf<EditBox>(entry, box);
    if (list.isEmpty()) {
        QApplication::clipboard()->setText(text);
        edit->clear();
        edit->paste();
    } else {
        auto *combo = unitOf<ComboBox>(entry, list);
        combo->addItem(text);
        emit combo->textActivated(text);
    }
    QCOMPARE(edit->text(), text);

    // Adding refuses the entry as it stands, before any lookup value is stored.
    const auto lookupRows = [] {
        QStringList counts;
        for (const char *table : {"xmlxsj", "xmmcsj", "rysj"}) {
            userRecordset.Open(QStringLiteral("select count(*) from %1").arg(QLatin1String(table)));
            counts << userRecordset.GetText(0);
            userRecordset.Close();
        }
        return counts;
    };
    const QStringList before = lookupRows();
    unitOf<EditBox>(entry, "收支金额框")->setText("3");
    prompter = ScriptedPrompter();
    unitOf<GraphicButton>(entry, "添加按钮")->click();
    QCOMPARE(prompter.messages, QStringList{message});
    QCOMPARE(unitOf<ListView>(entry, "添加理财列表框")->rowCount(), 0);
    QCOMPARE(lookupRows(), before);
    QCOMPARE(edit->text(), text);
}

void TestSessionPages::modifyingTurnsANegativeIncomeIntoAnExpense()
{
    for (int i = 0; i < 3; ++i)
        window->splashTick();
    SessionPages pages(window.get(), prompter);
    registerAndLogIn(pages, "张三");
    QVERIFY(userConnection.Execute("insert into lcsj(xmlx,xmmc,zcje,srje,ry,rq,bz) values ('工资','月薪',0,50,'张三','2012-11-30','')"));
    viewUnit<GraphicButton>("详细查看按钮")->click();
    auto *list = viewUnit<ListView>("理财列表框");
    QCOMPARE(list->rowCount(), 1);
    list->selectRow(0);
    unitOf<GraphicButton>(window.get(), "修改按钮")->click();
    QVERIFY(pages.editingRecord() > 0);
    LayoutWindow *entry = window->page("entry");
    auto *kind = unitOf<TransparentLabel>(entry, "收支金额标签");
    QCOMPARE(kind->text(), QStringLiteral("收入金额："));
    unitOf<EditBox>(entry, "收支金额框")->setText("-20");

    // The update is refused, so the form stays: it shows the entry as the expense it became.
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(existingLedgerPath("张三")).constData(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, "create trigger refuse before update on lcsj begin select raise(abort, 'refused'); end",
                          nullptr, nullptr, nullptr), SQLITE_OK);
    prompter = ScriptedPrompter();
    unitOf<GraphicButton>(entry, "保存按钮")->click();
    QCOMPARE(prompter.messages, QStringList{"保存记录失败！"});
    QCOMPARE(kind->text(), QStringLiteral("支出金额："));
    QCOMPARE(unitOf<ComboBox>(entry, "收支金额组合框")->currentIndex(), 0);
    QCOMPARE(kind->palette().color(QPalette::WindowText), QColor(255, 0, 0));

    QCOMPARE(sqlite3_exec(db, "drop trigger refuse", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    unitOf<GraphicButton>(entry, "保存按钮")->click();
    QCOMPARE(list->cellText(0, 2), QStringLiteral("20.00"));
    QCOMPARE(list->cellText(0, 3), QStringLiteral("0.00"));
}

void TestSessionPages::newUserWindowTitleAndEsc()
{
    SessionPages pages(window.get(), prompter);
    viewUnit<GraphicButton>("注册按钮")->click();
    LayoutWindow *registration = pages.registrationWindow();
    QVERIFY(registration && registration->isVisible());
    QCOMPARE(registration->windowTitle(), QStringLiteral("用户注册"));
    registration->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(registration));
    auto *name = unitOf<EditBox>(registration, "用户名框");
    name->setFocus();
    QTest::keyClicks(name, "ab");
    QTest::keyClick(name, Qt::Key_Escape);
    QTRY_VERIFY(!pages.registrationWindow());
    QVERIFY(prompter.messages.isEmpty());
}

QTEST_MAIN(TestSessionPages)
#include "tst_sessionpages.moc"
