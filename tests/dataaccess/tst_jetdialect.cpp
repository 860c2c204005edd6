#include "dataaccess/jetdialect.h"
#include "dataaccess/jetfunctions.h"

#include <QTest>

namespace {

QList<JetColumn> lcsjColumns(const QString &table)
{
    if (table.compare(QLatin1String("lcsj"), Qt::CaseInsensitive) != 0)
        return {};
    return {{"id", false}, {"xmlx", false}, {"zcje", false}, {"rq", true}, {"gxrq", true}};
}

} // namespace

class TestJetDialect : public QObject
{
    Q_OBJECT
private slots:
    void translation_data();
    void translation();
    void refusals_data();
    void refusals();
    void workbookTargetsAreRecognised();
    void workbookPathsHoldAnyCharacter_data();
    void workbookPathsHoldAnyCharacter();
    void createTableTypes();
    void textOrderingOutlastsTheKeyStore();
};

void TestJetDialect::translation_data()
{
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariantList>("values");
    QTest::newRow("texts and dates become values")
        << "select * from lcsj where rq>=#2012-11-1# and xmlx='生活'" << "select * from lcsj where rq>=? and xmlx=?"
        << QVariantList{"2012-11-01", "生活"};
    QTest::newRow("doubled quotes read as one") << "select * from rysj where ry='Tom''s'" << "select * from rysj where ry=?"
                                                << QVariantList{"Tom's"};
    QTest::newRow("& joins with Null as empty text")
        << "select month(rq)&'月' as yf from lcsj" << "select jetcat(month(rq),?) as yf from lcsj" << QVariantList{"月"};
    QTest::newRow("chained &") << "select a & b & c from t" << "select jetcat(jetcat(a,b),c) from t" << QVariantList{};
    QTest::newRow("numbers after operators") << "delete from lcsj where id=5" << "delete from lcsj where id=?"
                                             << QVariantList{qint64(5)};
    QTest::newRow("numbers in order by stay") << "select * from t order by 1" << "select * from t order by 1" << QVariantList{};
    QTest::newRow("dates written into date columns")
        << "insert into lcsj(xmlx,zcje,rq,gxrq) values ('生活',12.50,'2012-11-5',now())"
        << "insert into lcsj(xmlx,zcje,rq,gxrq) values (?,?,jetdate(?),jetdate(now()))"
        << QVariantList{"生活", 12.5, "2012-11-5"};
    QTest::newRow("dates in an update") << "update lcsj set rq='2012-1-2',xmlx='a' where id=1"
                                        << "update lcsj set rq=jetdate(?),xmlx=? where id=?"
                                        << QVariantList{"2012-1-2", "a", qint64(1)};
    QTest::newRow("dates from a select, alias outside")
        << "insert into lcsj(xmlx,rq) select a, b as x from other" << "insert into lcsj(xmlx,rq) select a,jetdate( b) as x from other"
        << QVariantList{};
    QTest::newRow("numbers of every form")
        << "insert into t(a,b,c,d,e,f) values (.5,1e3,2.,99999999999999999999,007,-3.25)"
        << "insert into t(a,b,c,d,e,f) values (?,?,?,?,?,-?)"
        << QVariantList{0.5, 1000.0, 2.0, 1e20, qint64(7), 3.25};
    QTest::newRow("blanks, tabs, a comment and bracketed names")
        << "select  [xmlx],\tzcje from [lcsj] -- the day\n where rq = #2012-11-01# and xmlx='a'"
        << "select [xmlx], zcje from [lcsj]   where rq = ? and xmlx=?" << QVariantList{"2012-11-01", "a"};
    QTest::newRow("a doubled bracket inside brackets is one, for the engine in double quotes")
        << "select [a]]b\"c], [d] from t" << "select \"a]b\"\"c\", [d] from t" << QVariantList{};
    QTest::newRow("a trailing semicolon") << "select 1;" << "select 1" << QVariantList{};
    QTest::newRow("date literal with a time") << "select * from t where d<#2012-11-30 8:05#" << "select * from t where d<?"
                                              << QVariantList{"2012-11-30 08:05:00"};
}

void TestJetDialect::translation()
{
    QFETCH(QString, jet);
    QFETCH(QString, sql);
    QFETCH(QVariantList, values);
    JetShapes shapes;
    const JetStatement s = translateJet(jet, lcsjColumns, &shapes);
    QCOMPARE(s.error, QString());
    QCOMPARE(s.sql, sql);
    QCOMPARE(s.values, values);
    // The same statement again is found by its shape, and the kept translation used as it stands.
    if (shapes.isEmpty())
        return;
    for (JetShape &kept : shapes)
        kept.sql.prepend(QStringLiteral("/*kept*/"));
    const JetStatement again = translateJet(jet, lcsjColumns, &shapes);
    QCOMPARE(again.sql, QStringLiteral("/*kept*/") + sql);
    QCOMPARE(again.values, values);
}

void TestJetDialect::refusals_data()
{
    QTest::addColumn<QString>("jet");
    QTest::newRow("two statements") << "delete from a; delete from b";
    QTest::newRow("unterminated text") << "select * from t where a='x";
    QTest::newRow("no date") << "select * from t where d=#2012-02-30#";
    QTest::newRow("a parameter") << "select * from t where a=?";
    QTest::newRow("empty") << "  ";
    QTest::newRow("& without a right side") << "select a & from t";
    QTest::newRow("unknown column type") << "create table t (a gizmo)";
    QTest::newRow("a bracket closed by a doubled one only") << "select [a]] from t";
}

void TestJetDialect::refusals()
{
    QFETCH(QString, jet);
    QVERIFY(!translateJet(jet, lcsjColumns).error.isEmpty());
}

void TestJetDialect::workbookTargetsAreRecognised()
{
    const JetStatement s = translateJet("SELECT xmlx as 项目类型 INTO [Excel 8.0;DATABASE=/tmp/a b.xls].lcsj FROM lcsj ", lcsjColumns);
    QCOMPARE(s.excelTarget, QStringLiteral("Excel 8.0;DATABASE=/tmp/a b.xls"));
}

void TestJetDialect::workbookPathsHoldAnyCharacter_data()
{
    QTest::addColumn<QString>("jet");
    QTest::addColumn<int>("form");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QString>("statement");
    QTest::newRow("export") << "SELECT xmlx INTO [Excel 8.0;DATABASE=/tmp/a.xls].lcsj FROM lcsj" << int(WorkbookStatement::Export)
                            << "/tmp/a.xls" << "lcsj" << "SELECT xmlx  FROM lcsj";
    QTest::newRow("export, ] [ ; and quotes in the path")
        << "SELECT xmlx INTO [Excel 8.0;DATABASE=/tmp/x]]y[z;'\".xls].lcsj FROM lcsj" << int(WorkbookStatement::Export)
        << "/tmp/x]y[z;'\".xls" << "lcsj" << "SELECT xmlx  FROM lcsj";
    QTest::newRow("export, a path ending in ]") << "SELECT * INTO [Excel 8.0;DATABASE=/tmp/a]]].明细 FROM lcsj"
                                                << int(WorkbookStatement::Export) << "/tmp/a]" << "明细" << "SELECT *  FROM lcsj";
    QTest::newRow("import, ]] in the path and the sheet")
        << "Insert into lcsj select * from [Excel 8.0;DATABASE=/tmp/]]].[x]]y$] " << int(WorkbookStatement::Import) << "/tmp/]"
        << "x]y" << "Insert into lcsj select * from [x]]y$] ";
}

void TestJetDialect::workbookPathsHoldAnyCharacter()
{
    QFETCH(QString, jet);
    QFETCH(int, form);
    QFETCH(QString, path);
    QFETCH(QString, sheet);
    QFETCH(QString, statement);
    const WorkbookStatement w = splitWorkbookStatement(jet);
    QCOMPARE(w.error, QString());
    QCOMPARE(int(w.form), form);
    QCOMPARE(w.path, path);
    QCOMPARE(w.sheet, sheet);
    QCOMPARE(w.statement, statement);
    QCOMPARE(translateJet(jet, lcsjColumns).excelTarget, "Excel 8.0;DATABASE=" + path);
    if (form == int(WorkbookStatement::Import))
        QCOMPARE(worksheetReferences(w.statement), QStringList{sheet});
}

void TestJetDialect::createTableTypes()
{
    const JetStatement s = translateJet("create table t (id counter primary key, a text(30), b memo, c double, d datetime)", {});
    QCOMPARE(s.error, QString());
    QVERIFY(s.sql.contains("id INTEGER PRIMARY KEY AUTOINCREMENT"));
    QVERIFY(s.sql.contains("a TEXT(30) COLLATE NOCASE CHECK (length(\"a\") <= 30)"));
    QVERIFY(s.sql.contains("b LONGTEXT COLLATE NOCASE"));
    QVERIFY(!s.sql.contains("primary key"));
}

// Texts compare letter-case-blind, Chinese by pronunciation, and the same way once the store of
// sort keys the comparisons keep is full and texts new to it are compared directly.
void TestJetDialect::textOrderingOutlastsTheKeyStore()
{
    const QList<std::tuple<QByteArray, QByteArray, int>> pairs = {
        {"李四", "张三", -1}, {"张三", "李四", 1},   {"Tom", "tom", 0}, {"早餐12", "早餐7", -1},
        {"生活", "生活", 0},  {"a生活", "A生活", 0}, {"王五", "赵六", -1}};
    // With a suffix, every pair is new to the store and keeps its order.
    const auto check = [&pairs](const QByteArray &suffix) {
        for (const auto &[a, b, expected] : pairs) {
            const QByteArray x = a + suffix, y = b + suffix;
            const int r = jetCompare(x.constData(), int(x.size()), y.constData(), int(y.size()));
            QVERIFY2((r > 0) - (r < 0) == expected, x + " vs " + y);
        }
    };
    check({});
    for (int i = 0; i < 30000; ++i) {
        const QByteArray text = QStringLiteral("项目%1").arg(i).toUtf8();
        jetCompare(text.constData(), int(text.size()), "早餐", 6);
    }
    check("记");
}

QTEST_APPLESS_MAIN(TestJetDialect)
#include "tst_jetdialect.moc"
