// Entering, modifying and deleting records and lookup values on a real ledger file.
#include "dataaccess/ledgerfixture.h"

#include "common/clock.h"
#include "dataaccess/instances.h"
#include "ledger/entry.h"
#include "ledger/lookups.h"
#include "support/scriptedprompter.h"

class TestEntry : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void entryCheck_data();
    void entryCheck();
    void amountKey_data();
    void amountKey();
    void savingPendingRows();
    void failingInsertSavesNothing();
    void newLookupValues();
    void modifyingKeepsAddedAt();
    void lookupsAndDefaults();
    void deletingTypesAndNames();
    void deletingARecord();

private:
    LedgerFolder *folder = nullptr;
    ScriptedPrompter prompter;
};

void TestEntry::init()
{
    Clock::setFixed(QDateTime(QDate(2012, 12, 15), QTime(20, 30, 5)));
    folder = new LedgerFolder;
    QVERIFY(folder->openLedger("张三", userConnection, userRecordset));
    prompter = ScriptedPrompter();
}

void TestEntry::cleanup()
{
    userRecordset.Close();
    userConnection.Close();
    delete folder;
    Clock::useSystemTime();
}

void TestEntry::entryCheck_data()
{
    QTest::addColumn<QStringList>("form"); // type, name, person, amount, kind
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QString>("outcome"); // "expense|income|became" or the message
    QTest::newRow("expense") << QStringList{"生活", "早餐", "张三", "12.5", "支出金额："} << QList<bool>{} << "12.50|0.00|0";
    QTest::newRow("negative expense made positive") << QStringList{"生活", "早餐", "张三", "-3", "支出金额："} << QList<bool>{}
                                                    << "3.00|0.00|0";
    QTest::newRow("income") << QStringList{"工资", "月薪", "张三", "５０００", "收入金额："} << QList<bool>{} << "0.00|5000.00|0";
    QTest::newRow("negative income becomes an expense") << QStringList{"工资", "退款", "张三", "-20", "收入金额："}
                                                        << QList<bool>{} << "20.00|0.00|1";
    QTest::newRow("zero, confirmed") << QStringList{"生活", "早餐", "张三", "0", "支出金额："} << QList<bool>{true} << "0.00|0.00|0";
    QTest::newRow("letters count as zero, refused") << QStringList{"生活", "早餐", "张三", "abc", "支出金额："} << QList<bool>{false}
                                                    << "";
    QTest::newRow("no type") << QStringList{"", "早餐", "张三", "1", "支出金额："} << QList<bool>{} << "请输入项目类型！";
    QTest::newRow("no name") << QStringList{"生活", "", "张三", "1", "支出金额："} << QList<bool>{} << "请输入项目名称！";
    QTest::newRow("no person") << QStringList{"生活", "早餐", "", "1", "支出金额："} << QList<bool>{} << "请输入人员名称！";
    // Texts longer than the record's columns are refused whole, never cut.
    QTest::newRow("type of 30") << QStringList{QString(30, u'类'), "早餐", "张三", "1", "支出金额："} << QList<bool>{}
                                << "1.00|0.00|0";
    QTest::newRow("type of 31") << QStringList{QString(31, u'类'), "早餐", "张三", "1", "支出金额："} << QList<bool>{}
                                << "项目类型太长，不能超过30个字符！";
    QTest::newRow("name of 50") << QStringList{"生活", QString(50, u'名'), "张三", "1", "支出金额："} << QList<bool>{}
                                << "1.00|0.00|0";
    QTest::newRow("name of 51") << QStringList{"生活", QString(51, u'名'), "张三", "1", "支出金额："} << QList<bool>{}
                                << "项目名称太长，不能超过50个字符！";
    QTest::newRow("person of 20") << QStringList{"生活", "早餐", QString(20, u'人'), "1", "支出金额："} << QList<bool>{}
                                  << "1.00|0.00|0";
    QTest::newRow("person of 21") << QStringList{"生活", "早餐", QString(21, u'人'), "1", "支出金额："} << QList<bool>{}
                                  << "人员名称太长，不能超过20个字符！";
    QTest::newRow("long type before a zero amount") << QStringList{QString(31, 'a'), "早餐", "张三", "0", "支出金额："}
                                                    << QList<bool>{} << "项目类型太长，不能超过30个字符！";
    QTest::newRow("long type before a missing name") << QStringList{QString(31, 'a'), "", "张三", "1", "支出金额："}
                                                     << QList<bool>{} << "项目类型太长，不能超过30个字符！";
    QTest::newRow("no kind") << QStringList{"生活", "早餐", "张三", "1", ""} << QList<bool>{} << "请先选择收支类型！";
    QTest::newRow("rounding half away from zero") << QStringList{"生活", "早餐", "张三", "2.675", "支出金额："} << QList<bool>{}
                                                  << "2.68|0.00|0";
    // Only amounts a ledger column holds to the cent are kept; larger ones are refused, never
    // stored as something else (a number too large for a double reads as 0).
    const QString tooLarge = "收支金额超出范围，金额不能大于9999999999999.99！";
    QTest::newRow("largest amount") << QStringList{"生活", "早餐", "张三", "9999999999999.99", "支出金额："} << QList<bool>{}
                                    << "9999999999999.99|0.00|0";
    QTest::newRow("largest negative income") << QStringList{"工资", "退款", "张三", "-9999999999999.99", "收入金额："}
                                             << QList<bool>{} << "9999999999999.99|0.00|1";
    QTest::newRow("a cent more") << QStringList{"生活", "早餐", "张三", "10000000000000.00", "支出金额："} << QList<bool>{}
                                 << tooLarge;
    QTest::newRow("1e308") << QStringList{"生活", "早餐", "张三", "1e308", "支出金额："} << QList<bool>{} << tooLarge;
    QTest::newRow("too large for a double") << QStringList{"生活", "早餐", "张三", "1e999", "收入金额："} << QList<bool>{}
                                            << tooLarge;
    QTest::newRow("Currency bound") << QStringList{"生活", "早餐", "张三", "922337203685477.58", "支出金额："} << QList<bool>{}
                                    << tooLarge;
    QTest::newRow("negative Currency bound") << QStringList{"生活", "早餐", "张三", "-922337203685477.58", "收入金额："}
                                             << QList<bool>{} << tooLarge;
}

void TestEntry::entryCheck()
{
    QFETCH(QStringList, form);
    QFETCH(QList<bool>, answers);
    QFETCH(QString, outcome);
    prompter.answers = answers;
    const EntryForm entry{form[0], form[1], form[2], QString(), QDate(2012, 12, 1), form[3], form[4]};
    CheckedEntry checked;
    const bool accepted = checkEntry(entry, prompter, &checked);
    if (outcome.contains(u'|')) {
        QVERIFY(accepted);
        QCOMPARE(QStringList({checked.expense, checked.income, checked.becameExpense ? "1" : "0"}).join(u'|'), outcome);
        QVERIFY(prompter.messages.isEmpty());
    } else {
        QVERIFY(!accepted);
        QCOMPARE(prompter.messages, outcome.isEmpty() ? QStringList() : QStringList{outcome});
    }
    QCOMPARE(prompter.questions.size(), answers.size());
}

void TestEntry::amountKey_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("selectionStart");
    QTest::addColumn<int>("selectionLength");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("point over the whole amount selected") << "0.00" << 0 << 4 << 4 << "." << true;
    QTest::newRow("second point") << "12.5" << 0 << 0 << 4 << "." << false;
    QTest::newRow("point in an amount without one") << "125" << 0 << 0 << 2 << "." << true;
    QTest::newRow("point over a selection that keeps the point") << "12.50" << 3 << 2 << 5 << "." << false;
    QTest::newRow("point over a selection holding the point") << "12.50" << 2 << 2 << 4 << "." << true;
    QTest::newRow("minus over the whole amount") << "0.00" << 0 << 4 << 4 << "-" << false;
    QTest::newRow("minus in an empty box") << "" << 0 << 0 << 0 << "-" << false;
    QTest::newRow("digit after a point") << "1.2" << 0 << 0 << 3 << "3" << true;
    QTest::newRow("letter") << "1.2" << 0 << 0 << 3 << "x" << true;
}

void TestEntry::amountKey()
{
    QFETCH(QString, text);
    QFETCH(int, selectionStart);
    QFETCH(int, selectionLength);
    QFETCH(int, cursor);
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    QCOMPARE(amountKeyAccepted(text, selectionStart, selectionLength, cursor, typed), accepted);
}

void TestEntry::savingPendingRows()
{
    QVERIFY(!saveNewRecords(userConnection, {}, prompter));
    QCOMPARE(prompter.messages, QStringList{"请先添加记录！"});
    const QList<PendingRow> rows = {{"生活", "早餐", "12.50", "0.00", "张三", "2012-12-01", "Tom's treat"},
                                    {"工资", "月薪", "0.00", "5000.00", "李四", "2012-12-02", ""}};
    QVERIFY(saveNewRecords(userConnection, rows, prompter));
    QCOMPARE(rowsOf(userRecordset, "select * from lcsj order by id", {"xmlx", "xmmc", "zcje", "srje", "ry", "rq", "bz", "tjrq", "gxrq"}),
             (QStringList{"生活|早餐|12.5|0|张三|2012-12-01|Tom's treat|2012-12-15 20:30:05|2012-12-15 20:30:05",
                          "工资|月薪|0|5000|李四|2012-12-02||2012-12-15 20:30:05|2012-12-15 20:30:05"}));
}

void TestEntry::failingInsertSavesNothing()
{
    const QList<PendingRow> rows = {{"生活", "早餐", "1.00", "0.00", "张三", "2012-12-01", ""},
                                    {"生活", "午餐", "2.00", "0.00", QString(21, u'人'), "2012-12-01", ""}};
    QVERIFY(!saveNewRecords(userConnection, rows, prompter));
    QCOMPARE(prompter.messages, QStringList{"保存记录失败!"});
    QCOMPARE(rowsOf(userRecordset, "select count(*) as n from lcsj", {"n"}), QStringList{"0"});
    // The connection is ready for the next save.
    QVERIFY(saveNewRecords(userConnection, rows.mid(0, 1), prompter));
}

void TestEntry::newLookupValues()
{
    LookupLists lists{{"生活"}, {"早餐"}, {"张三"}};
    // A new type while adding: its name list starts empty, so a name known elsewhere is stored
    // under the new type.
    EntryForm form{"交通", "早餐", "李四", "", QDate(2012, 12, 1), "2", expenseKind};
    QVERIFY(addLookupValues(userConnection, form, lists, true, prompter));
    QCOMPARE(lists.types, (QStringList{"生活", "交通"}));
    QCOMPARE(lists.names, (QStringList{"早餐"}));
    QCOMPARE(lists.persons, (QStringList{"张三", "李四"}));
    QCOMPARE(rowsOf(userRecordset, "select * from xmmcsj", {"xmmc", "xmlx"}), QStringList{"早餐|交通"});
    // While modifying the list keeps its names, so a name still listed is not stored again.
    form.type = "医疗";
    QVERIFY(addLookupValues(userConnection, form, lists, false, prompter));
    QCOMPARE(rowsOf(userRecordset, "select count(*) as n from xmmcsj", {"n"}), QStringList{"1"});
    // A type too long for its column.
    form.type = QString(51, u'类');
    QVERIFY(!addLookupValues(userConnection, form, lists, true, prompter));
    QCOMPARE(prompter.messages, QStringList{"保存项目类型失败！"});
}

void TestEntry::modifyingKeepsAddedAt()
{
    QVERIFY(saveNewRecords(userConnection, {{"工资", "月薪", "0.00", "5000.00", "张三", "2012-12-01", "备注"}}, prompter));
    RecordForm record;
    QVERIFY(!loadRecord(userRecordset, 99, &record));
    QVERIFY(loadRecord(userRecordset, 1, &record));
    QVERIFY(record.income);
    QCOMPARE(record.amount, QStringLiteral("5000.00"));
    QCOMPARE(record.day, QDate(2012, 12, 1));
    Clock::setFixed(QDateTime(QDate(2012, 12, 16), QTime(7, 0)));
    const EntryForm form{record.type, record.name, record.person, record.remark, record.day, record.amount, incomeKind};
    CheckedEntry checked;
    QVERIFY(checkEntry(form, prompter, &checked));
    QVERIFY(saveModifiedRecord(userConnection, 1, form, checked, prompter));
    QCOMPARE(rowsOf(userRecordset, "select * from lcsj", {"srje", "rq", "bz", "tjrq", "gxrq"}),
             QStringList{"5000|2012-12-01|备注|2012-12-15 20:30:05|2012-12-16 07:00:00"});
}

void TestEntry::lookupsAndDefaults()
{
    QStringList types, names, persons;
    QString typeBox, nameBox, personBox;
    loadItemTypes(userRecordset, types, typeBox);
    loadItemNames(userRecordset, typeBox, names, nameBox);
    loadPersons(userRecordset, "张三", persons, personBox);
    QCOMPARE(QStringList({typeBox, nameBox, personBox}), (QStringList{"生活", "早餐", "张三"}));
    QVERIFY(types.isEmpty() && names.isEmpty() && persons.isEmpty());
    for (const char *s : {"insert into xmlxsj(xmlx) values ('交通')", "insert into xmlxsj(xmlx) values ('餐饮')",
                          "insert into xmmcsj(xmmc,xmlx) values ('地铁','交通')", "insert into xmmcsj(xmmc,xmlx) values ('公交','交通')",
                          "insert into xmmcsj(xmmc,xmlx) values ('Taxi','交通')", "insert into rysj(ry) values ('李四')",
                          "insert into rysj(ry) values ('bob')", "insert into rysj(ry) values ('Alice')"})
        QVERIFY(userConnection.Execute(QString::fromUtf8(s)));
    loadItemTypes(userRecordset, types, typeBox);
    loadItemNames(userRecordset, typeBox, names, nameBox);
    loadPersons(userRecordset, "张三", persons, personBox);
    QCOMPARE(types, (QStringList{"餐饮", "交通"}));
    QCOMPARE(typeBox, QStringLiteral("餐饮"));
    QCOMPARE(nameBox, QStringLiteral("早餐"));
    loadItemNames(userRecordset, "交通", names, nameBox);
    QCOMPARE(names, (QStringList{"Taxi", "地铁", "公交"}));
    QCOMPARE(persons, (QStringList{"Alice", "bob", "李四"}));
    QCOMPARE(personBox, QStringLiteral("Alice"));
}

void TestEntry::deletingTypesAndNames()
{
    for (const char *s : {"insert into xmlxsj(xmlx) values ('交通')", "insert into xmlxsj(xmlx) values ('生活')",
                          "insert into xmmcsj(xmmc,xmlx) values ('地铁','交通')", "insert into xmmcsj(xmmc,xmlx) values ('早餐','生活')",
                          "insert into xmmcsj(xmmc,xmlx) values ('早餐','交通')"})
        QVERIFY(userConnection.Execute(QString::fromUtf8(s)));
    QStringList types{"交通", "生活"}, names{"早餐", "地铁"};
    QString typeBox = "交通", nameBox = "早餐";
    prompter.answers = {false};
    QVERIFY(!deleteItemName(userConnection, "早餐", names, nameBox, prompter));
    QCOMPARE(rowsOf(userRecordset, "select count(*) as n from xmmcsj", {"n"}), QStringList{"3"});
    prompter.answers = {true};
    QVERIFY(deleteItemName(userConnection, "早餐", names, nameBox, prompter));
    QCOMPARE(rowsOf(userRecordset, "select xmmc from xmmcsj", {"xmmc"}), QStringList{"地铁"});
    QCOMPARE(names, QStringList{"地铁"});
    QCOMPARE(nameBox, QStringLiteral("地铁"));
    prompter.answers = {true};
    QVERIFY(deleteItemType(userConnection, userRecordset, "交通", types, typeBox, names, nameBox, prompter));
    QCOMPARE(prompter.questions.last(), QStringLiteral("删除项目类型后，与之相关的项目名称也会一起删除！是否继续？"));
    QCOMPARE(types, QStringList{"生活"});
    QCOMPARE(typeBox, QStringLiteral("生活"));
    QCOMPARE(rowsOf(userRecordset, "select count(*) as n from xmmcsj", {"n"}), QStringList{"0"});
    QCOMPARE(nameBox, QStringLiteral("早餐"));
}

void TestEntry::deletingARecord()
{
    QVERIFY(saveNewRecords(userConnection, {{"生活", "早餐", "1.00", "0.00", "张三", "2012-12-01", ""}}, prompter));
    prompter.answers = {false};
    QVERIFY(!deleteRecord(userConnection, 1, prompter, {}));
    prompter.answers = {true};
    bool removed = false;
    QVERIFY(deleteRecord(userConnection, 1, prompter, [&] { removed = true; }));
    QVERIFY(removed);
    QCOMPARE(prompter.messages, QStringList{"删除记录成功！"});
    QCOMPARE(rowsOf(userRecordset, "select count(*) as n from lcsj", {"n"}), QStringList{"0"});
}

QTEST_GUILESS_MAIN(TestEntry)
#include "tst_entry.moc"
