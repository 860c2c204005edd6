// Every window the program builds has every unit its code looks up by name, as the kind the code
// expects: a renamed unit breaks its window here instead of leaving a button that does nothing.
#include "shellfixture.h"

#include "shell/backupwindow.h"
#include "shell/billimportwindow.h"
#include "shell/chartwindow.h"
#include "shell/mainwindow.h"
#include "shell/pageunits.h"
#include "shell/sessionpages.h"
#include "support/scriptedprompter.h"
#include "testpaths.h"

class TestLayoutNames : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void windowsHaveTheUnitsTheirCodeNames_data();
    void windowsHaveTheUnitsTheirCodeNames();

private:
    std::unique_ptr<ProgramFolder> folder;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<SessionPages> pages;
    ScriptedPrompter prompter;
};

void TestLayoutNames::initTestCase()
{
    // The started program looks up the units of the main window, its splash and its pages and
    // wires the drop-down proxies; the session pages, the new-user window, the help window and the
    // chart window add their own.
    folder = std::make_unique<ProgramFolder>();
    window = std::make_unique<MainWindow>();
    QCOMPARE(window->start(), StartupResult::Started);
    pages = std::make_unique<SessionPages>(window.get(), prompter);
    pages->openRegistration();
    window->openHelp();
    openChartWindow(window.get(), prompter, ChartTab::Years);
}

void TestLayoutNames::cleanupTestCase()
{
    pages.reset();
    window.reset();
    folder.reset();
}

void TestLayoutNames::windowsHaveTheUnitsTheirCodeNames_data()
{
    QTest::addColumn<QString>("layout");
    for (const char *layout : {"main", "splash", "view", "entry", "backup", "statistics", "user", "newuser", "help", "message",
                               "confirm", "autobackup", "chart", "paybill"})
        QTest::newRow(layout) << QString::fromLatin1(layout);
}

void TestLayoutNames::windowsHaveTheUnitsTheirCodeNames()
{
    QFETCH(QString, layout);
    // The two prompt windows live only while they are answered; their lookups run on a copy.
    std::unique_ptr<LayoutWindow> prompt;
    LayoutWindow *checked = nullptr;
    if (layout == QStringLiteral("main"))
        checked = window.get();
    else if (layout == QStringLiteral("splash"))
        checked = window->splashWindow();
    else if (layout == QStringLiteral("newuser"))
        checked = pages->registrationWindow();
    else if (layout == QStringLiteral("help"))
        checked = window->helpWindow();
    else if (layout == QStringLiteral("autobackup")) {
        prompt.reset(createBackupWindow(nullptr, programPath("data/张三_lc.dat"), {}));
        checked = prompt.get();
    }
    else if (layout == QStringLiteral("chart"))
        checked = window->findChild<ChartWindow *>();
    else if (layout == QStringLiteral("paybill")) {
        prompt.reset(createBillImportWindow(nullptr, prompter, QStringLiteral(KELM_TEST_DATA_DIR "/exchange/bills/wechat.csv"),
                                            QStringLiteral("张三"), {}));
        checked = prompt.get();
    }
    else if (layout == QStringLiteral("message") || layout == QStringLiteral("confirm")) {
        prompt = std::make_unique<LayoutWindow>(layout);
        PromptUnits::bind(*prompt, layout == QStringLiteral("confirm"));
        checked = prompt.get();
    } else
        checked = window->page(layout);
    QVERIFY2(checked, qPrintable(layout + QStringLiteral(" was not built")));
    QCOMPARE(checked->layoutName(), layout);
    QVERIFY2(checked->isValid(), qPrintable(checked->buildError()));
}

QTEST_MAIN(TestLayoutNames)
#include "tst_layoutnames.moc"
