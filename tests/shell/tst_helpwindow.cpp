#include "shellfixture.h"

#include "appearance/skinfile.h"
#include "common/program.h"
#include "shell/helpwindow.h"
#include "shell/shelldressing.h"
#include "ui/animationbox.h"

class TestHelpWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void opensOnTheWelcomeTab();
    void tabs_data();
    void tabs();
    void guideStaysAfterRedressing();
    void guideComesBackAfterEveryWindowIsDressedAgain();
    void closeButtonCloses();
    void movedOnlyFromTheBareBackground_data();
    void movedOnlyFromTheBareBackground();

private:
    std::unique_ptr<ProgramFolder> folder;
};

namespace {

bool guideShown(HelpWindow &help)
{
    auto *canvas = help.unit<AnimationBox>("背景动画框");
    const int id = canvas->findObject("操作指南");
    return id > 0 && canvas->objectVisible(id);
}

void pressTab(HelpWindow &help, int number)
{
    auto *tab = help.unit<TransparentLabel>(QStringLiteral("透明标签%1").arg(number));
    QTest::mouseClick(tab, Qt::LeftButton, {}, QPoint(5, 5));
}

} // namespace

void TestHelpWindow::initTestCase()
{
    folder = std::make_unique<ProgramFolder>();
    QVERIFY(loadSkinFile(programPath("Skin/Green.cskn"), applicationTitle));
}

void TestHelpWindow::opensOnTheWelcomeTab()
{
    HelpWindow help;
    help.show();
    QCOMPARE(help.size(), QSize(800, 560));
    QCOMPARE(help.currentTab(), QStringLiteral("欢迎使用"));
    auto *text = help.unit<TransparentLabel>("说明标签");
    QVERIFY(text->isVisible());
    QVERIFY(text->text().startsWith("欢迎使用Varnel家庭理财"));
    QVERIFY(!guideShown(help));
    // The tab captions are the five of the window, whatever the layout first wrote.
    const QStringList captions{"欢迎使用", "许可协议", "操作指南", "更新说明", "旧版数据恢复"};
    for (int i = 0; i < 5; ++i)
        QCOMPARE(help.unit<TransparentLabel>(QStringLiteral("透明标签%1").arg(i + 1))->text(), captions[i]);
}

void TestHelpWindow::tabs_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("beginning");
    QTest::newRow("licence") << 2 << "许可协议" << "最终用户许可协议";
    QTest::newRow("release notes") << 4 << "更新说明" << "更新说明(3.12)：";
    QTest::newRow("old data") << 5 << "旧版数据恢复" << "旧版数据库恢复：";
    QTest::newRow("welcome") << 1 << "欢迎使用" << "欢迎使用";
}

void TestHelpWindow::tabs()
{
    QFETCH(int, tab);
    QFETCH(QString, caption);
    QFETCH(QString, beginning);
    HelpWindow help;
    help.show();
    auto *text = help.unit<TransparentLabel>("说明标签");
    pressTab(help, 3);
    QCOMPARE(help.currentTab(), QStringLiteral("操作指南"));
    QVERIFY(!text->isVisible());
    QVERIFY(guideShown(help));
    auto *canvas = help.unit<AnimationBox>("背景动画框");
    QCOMPARE(canvas->objectPosition(canvas->findObject("操作指南")), QPoint(0, 50));
    QCOMPARE(canvas->displaySize(canvas->findObject("操作指南")), QSize(796, 488));

    pressTab(help, tab);
    QCOMPARE(help.currentTab(), caption);
    QVERIFY(text->isVisible());
    QVERIFY2(text->text().startsWith(beginning), qPrintable(text->text().left(30)));
    QVERIFY(!guideShown(help));
}

void TestHelpWindow::guideStaysAfterRedressing()
{
    HelpWindow help;
    help.show();
    pressTab(help, 3);
    help.redressHelpWindow();
    QVERIFY(guideShown(help));
    QCOMPARE(help.unit<AnimationBox>("背景动画框")->findObject("操作指南"), help.guideSprite());
    pressTab(help, 1);
    help.redressHelpWindow();
    QVERIFY(!guideShown(help));
}

void TestHelpWindow::guideComesBackAfterEveryWindowIsDressedAgain()
{
    HelpWindow help;
    help.show();
    pressTab(help, 3);
    QVERIFY(guideShown(help));
    // What the re-dressing of every window does to a loaded help window.
    dressDialogWindow(&help);
    help.update();
    QTRY_VERIFY(guideShown(help));
    pressTab(help, 4);
    QVERIFY(!guideShown(help));
    pressTab(help, 3);
    QVERIFY(guideShown(help));
}

void TestHelpWindow::closeButtonCloses()
{
    HelpWindow help;
    help.show();
    help.unit<GraphicButton>("关闭按钮")->click();
    QVERIFY(!help.isVisible());
}

void TestHelpWindow::movedOnlyFromTheBareBackground_data()
{
    QTest::addColumn<bool>("onTheGuide");
    QTest::newRow("bare background") << false;
    QTest::newRow("guide picture") << true;
}

void TestHelpWindow::movedOnlyFromTheBareBackground()
{
    QFETCH(bool, onTheGuide);
    HelpWindow help;
    help.move(100, 100);
    help.show();
    QVERIFY(QTest::qWaitForWindowExposed(&help));
    pressTab(help, 3);
    auto *canvas = help.unit<AnimationBox>("背景动画框");
    const int guide = canvas->findObject("操作指南");
    // A point of the guide picture, or a corner of the canvas that no sprite covers.
    QPoint at = canvas->objectPosition(guide) + QPoint(20, 20);
    if (!onTheGuide) {
        at = QPoint(canvas->width() - 3, canvas->height() - 3);
        QCOMPARE(canvas->objectAt(at), 0);
    } else {
        QCOMPARE(canvas->objectAt(at), guide);
    }
    const QPoint before = help.pos();
    QTest::mousePress(canvas, Qt::LeftButton, {}, at);
    QTest::mouseMove(canvas, at + QPoint(40, 30));
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, at + QPoint(40, 30));
    if (onTheGuide) {
        QTest::qWait(20);
        QCOMPARE(help.pos(), before);
    } else {
        QTRY_COMPARE(help.pos(), before + QPoint(40, 30));
    }
}

QTEST_MAIN(TestHelpWindow)
#include "tst_helpwindow.moc"
