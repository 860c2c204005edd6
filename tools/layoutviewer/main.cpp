// Shows one window of the program as its layout table builds it, undressed, to look at it:
//     layoutviewer <layout name> [filled | menu | calendar | dropdown | skinned | print]
// (main, splash, view, entry, backup, statistics, user, skin, message, confirm, newuser, help).
// A page is shown inside the main window, at its place in the page area. With "filled" the
// window shows sample content: a message, list rows, the totals bar, the backup password prompt;
// "menu" pops up the main menu, "calendar" the view page's first calendar, "dropdown" the entry
// page's choice of expense or income; "skinned" gives a rough look with the pictures and colours of
// Skin/Green.cskn beside the program (buttons, colours, the first background picture), without the
// composing that the real dressing does; "print" opens the print preview of a sample grid.
// "dressed" dresses the window as the program does: the main window with all six pages (the named
// one shown), or a dialog; further words choose the look: bg=<n> a skin picture, colour=<n> a plain
// colour, file=<path> a picture file, t=<percent> the transparency, date=<YYYY-MM-DD> the day.
#include "appearance/dressing.h"
#include "appearance/liststyle.h"
#include "appearance/skinfile.h"
#include "appearance/skinpage.h"
#include "common/clock.h"
#include "ui/drawingboard.h"
#include "common/program.h"
#include "ui/animationbox.h"
#include "ui/layoutwindow.h"
#include "ui/listview.h"
#include "ui/printgrid.h"
#include "ui/styledmenu.h"
#include "ui/units.h"
#include "ui/unit.h"

#include <QApplication>
#include <QFile>
#include <QTimer>
#include <QTextStream>

namespace {

void fillWithSamples(LayoutWindow *window)
{
    if (auto *message = window->unit<TransparentLabel>(QStringLiteral("提示内容标签")))
        message->setText(QStringLiteral("是否真的要删除用户“张三”及其全部理财记录？删除后将无法恢复，请先备份数据。"));
    if (auto *text = window->unit<TransparentLabel>(QStringLiteral("说明标签")))
        text->setText(QStringLiteral("欢迎使用Varnel家庭理财！\n\n本软件是一款简单易用的家庭理财软件，主要功能：\n"
                                     "1、合计查询和详细查询；\n2、按项目名称和项目类型查询；\n3、快速记录日常收入和支出；\n"
                                     "4、按年份统计每月收支；\n5、多用户，各自的账本；\n6、可更换皮肤和自己的背景图片；\n"
                                     "7、打印当前列表；\n8、数据备份与恢复，Excel导出与导入。"));
    for (const QString &name : {QStringLiteral("理财列表框"), QStringLiteral("添加理财列表框")}) {
        if (auto *list = window->unit<ListView>(name)) {
            list->setRowColours(Qt::white, QColor(230, 230, 230));
            const QStringList kinds{QStringLiteral("餐饮"), QStringLiteral("交通"), QStringLiteral("工资"), QStringLiteral("日用品")};
            for (int i = 0; i < 12; ++i)
                list->appendRow({kinds[i % 4], QStringLiteral("午餐%1").arg(i), i % 4 == 2 ? QStringLiteral("0.00") : QStringLiteral("%1.50").arg(i * 3),
                                 i % 4 == 2 ? QStringLiteral("5200.00") : QStringLiteral("0.00"), QStringLiteral("张三"),
                                 QStringLiteral("2026-12-%1").arg(i + 1, 2, 10, QLatin1Char('0')), QStringLiteral("和同事一起")},
                                i + 1);
        }
    }
    if (auto *bar = window->unit<QWidget>(QStringLiteral("统计界面框1"))) {
        bar->show();
        window->unit<QWidget>(QStringLiteral("登录界面框"))->hide();
    }
    for (const QString &name : {QStringLiteral("备份密码标签"), QStringLiteral("备份密码外形框"), QStringLiteral("备份密码确认按钮"),
                                QStringLiteral("备份密码取消按钮")})
        if (auto *unit = window->unit<QWidget>(name))
            unit->show();
}

// A grid laid out like the printed ledger list, to look at the grid's drawing in the preview.
void printSample(LayoutWindow *window)
{
    auto *grid = new PrintGrid(window);
    grid->setColumnCount(8);
    const QList<int> widths{0, 320, 320, 320, 320, 300, 280, 0};
    for (int c = 0; c < 8; ++c)
        grid->setColumnWidth(c, widths[c]);
    for (int r = 0; r < 3; ++r)
        grid->appendRow(80);
    grid->joinCells(0, 1, 1, 6);
    grid->setCellText(0, 1, QStringLiteral("账本数据"));
    grid->setCellStyle(0, 1, 1, 6, 18, true, Qt::AlignCenter);
    grid->joinCells(2, 1, 2, 6);
    grid->setCellText(2, 1, QStringLiteral("自 [2026-12-01] 至 [2026-12-31]"));
    const QStringList headers{QStringLiteral("项目类型"), QStringLiteral("项目名称"), QStringLiteral("支出"), QStringLiteral("收入"),
                              QStringLiteral("人员"), QStringLiteral("日期")};
    const int header = grid->appendRow(68);
    for (int c = 0; c < 6; ++c)
        grid->setCellText(header, c + 1, headers[c]);
    grid->setCellStyle(header, 1, header, 6, 11, true, Qt::AlignCenter);
    for (int i = 0; i < 30; ++i) {
        const int row = grid->appendRow(i == 3 ? 2 * 45 + 5 : 68);
        const QStringList cells{QStringLiteral("餐饮"), i == 3 ? QStringLiteral("和家人一起的\r\n晚餐") : QStringLiteral("午餐"),
                                QStringLiteral("%1.50").arg(i * 3), QStringLiteral("0.00"), QStringLiteral("张三"),
                                QStringLiteral("2026-12-%1").arg(i + 1, 2, 10, QLatin1Char('0'))};
        for (int c = 0; c < 6; ++c)
            grid->setCellText(row, c + 1, cells[c]);
        grid->setCellStyle(row, 1, row, 6, 10, false, Qt::AlignCenter);
    }
    const int totals = grid->appendRow(68);
    grid->joinCells(totals, 1, totals, 2);
    grid->setCellText(totals, 1, QStringLiteral("支出合计：1350.00"));
    grid->joinCells(totals, 3, totals, 4);
    grid->setCellText(totals, 3, QStringLiteral("收入合计：0.00"));
    const int margin = (grid->printablePageWidth() - (320 * 4 + 300 + 280)) / 2;
    grid->setColumnWidth(0, margin);
    grid->setColumnWidth(7, margin);
    grid->showPreview(window);
}

// Roughly what the dressing will do, enough to see the layouts with their pictures.
void roughSkin(LayoutWindow *window, LayoutWindow *top)
{
    const QColor shape = skinColour(QStringLiteral("外形框背景颜色"));
    const QColor line = skinColour(QStringLiteral("外形框线条颜色"));
    for (QObject *u : window->units(UnitKind::GraphicButton)) {
        auto *button = static_cast<GraphicButton *>(u);
        const QString tag = unitTag(button);
        if (tag == QStringLiteral("N"))
            continue;
        button->setNormalPicture(imageFromBytes(getSkinEntry(tag + QStringLiteral("正常图片"))));
        button->setHoverPicture(imageFromBytes(getSkinEntry(tag + QStringLiteral("点燃图片"))));
        button->setPressedPicture(imageFromBytes(getSkinEntry(tag + QStringLiteral("按下图片"))));
    }
    for (QObject *u : window->units(UnitKind::ShapeBox)) {
        static_cast<ShapeBox *>(u)->setFillColour(shape);
        static_cast<ShapeBox *>(u)->setLineColour(line);
    }
    for (QObject *u : window->units(UnitKind::EditBox))
        static_cast<EditBox *>(u)->setBackgroundColour(shape);
    for (QObject *u : window->units(UnitKind::Label))
        if (unitTag(u) != QStringLiteral("N"))
            static_cast<Label *>(u)->setBackgroundColour(shape);
    if (window != top)
        return;
    top->setBackgroundColour(skinColour(QStringLiteral("窗口背景颜色")));
    if (auto *canvas = top->unit<AnimationBox>(QStringLiteral("背景动画框"))) {
        canvas->setGeometry(top->rect());
        canvas->setBackgroundMode(AnimationBox::BackgroundMode::Stretched);
        canvas->setBackgroundPicture(getSkinEntry(QStringLiteral("背景图片1")));
        const QRect content = top->layoutName() == QStringLiteral("main") ? QRect(2, 116, 856, 460)
                                                                          : QRect(0, 50, top->width(), top->height() - 74);
        const int id = canvas->addObject(QStringLiteral("背景矩形860"), content.left(), content.top());
        canvas->setObjectPicture(id, getSkinEntry(QStringLiteral("矩形")));
        const QSize natural = canvas->naturalSize(id);
        if (!natural.isEmpty())
            canvas->setObjectScale(id, content.width() * 1000 / natural.width(), content.height() * 1000 / natural.height());
        canvas->setObjectTransparency(id, 30);
        canvas->lower();
    }
}

// The windows dressed as the program dresses them; returns the window to show.
LayoutWindow *dressAsTheProgramDoes(LayoutWindow *window, const QStringList &words)
{
    AppearanceState &state = appearanceState();
    state.backgroundPicture = getSkinEntry(QStringLiteral("背景图片1"));
    for (const QString &word : words) {
        const QString value = word.section(QLatin1Char('='), 1);
        if (word.startsWith(QStringLiteral("date=")))
            Clock::setFixed(QDateTime(QDate::fromString(value, Qt::ISODate), QTime(12, 0)));
    }
    if (!WindowSkin::festivalWord().isEmpty())
        state.backgroundPicture = getSkinEntry(WindowSkin::festivalWord() + QStringLiteral("图片1"));
    for (const QString &word : words) {
        const QString value = word.section(QLatin1Char('='), 1);
        if (word.startsWith(QStringLiteral("bg=")))
            state.backgroundPicture = getSkinEntry(QStringLiteral("背景图片") + value);
        else if (word.startsWith(QStringLiteral("colour=")))
            state.backgroundPicture = getSkinEntry(QStringLiteral("纯色图片") + value);
        else if (word.startsWith(QStringLiteral("file="))) {
            QFile file(value);
            state.backgroundPicture = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        } else if (word.startsWith(QStringLiteral("t=")))
            state.transparency = value.toInt();
    }
    if (!window->isPage() && window->layoutName() != QStringLiteral("main")) {
        window->placeAtCreation();
        dressDialog(window);
        return window;
    }
    auto *main = window->isPage() ? new LayoutWindow(QStringLiteral("main")) : window;
    main->placeAtCreation();
    registerWindow(DressedWindow::Main, main);
    dressMainWindow();
    const QList<QPair<DressedWindow, QString>> pages{
        {DressedWindow::View, QStringLiteral("view")},     {DressedWindow::Entry, QStringLiteral("entry")},
        {DressedWindow::Backup, QStringLiteral("backup")}, {DressedWindow::Statistics, QStringLiteral("statistics")},
        {DressedWindow::User, QStringLiteral("user")},     {DressedWindow::Skin, QStringLiteral("skin")}};
    for (const auto &[role, name] : pages) {
        LayoutWindow *page = window->layoutName() == name ? window : new LayoutWindow(name);
        fillWithSamples(page);
        page->placeAtCreation(main);
        registerWindow(role, page);
        if (role == DressedWindow::Skin)
            buildSkinPage(page);
        page->setVisible(window->isPage() ? page == window : role == DressedWindow::View);
        for (const QString &list : {QStringLiteral("理财列表框"), QStringLiteral("添加理财列表框")}) {
            if (auto *listView = page->unit<ListView>(list)) {
                stripeListRows(listView, page->unit<DrawingBoard>(QStringLiteral("画板1")), QColor(255, 255, 255),
                               QColor(230, 230, 230));
                drawListHeader(listView, QColor(0, 0, 0), QColor(230, 230, 230));
            }
        }
    }
    dressViewPage();
    dressEntryPage();
    dressBackupPage();
    dressStatisticsPage();
    dressUserPage();
    dressSkinPage();
    // The highlight under the chosen navigation button, as the navigation shows it.
    const QHash<QString, QString> buttons{{QStringLiteral("view"), QStringLiteral("列表按钮")},
                                          {QStringLiteral("entry"), QStringLiteral("添加按钮")},
                                          {QStringLiteral("statistics"), QStringLiteral("统计按钮")},
                                          {QStringLiteral("backup"), QStringLiteral("备份按钮")},
                                          {QStringLiteral("user"), QStringLiteral("用户按钮")}};
    const QString shownPage = window->isPage() ? window->layoutName() : QStringLiteral("view");
    auto *canvas = main->unit<AnimationBox>(QStringLiteral("背景动画框"));
    if (auto *button = main->unit<QWidget>(buttons.value(shownPage))) {
        const int highlight = canvas->findObject(QStringLiteral("选中动画"));
        canvas->moveObject(highlight, button->x() + (button->width() - 38) / 2, 110);
        canvas->setObjectVisible(highlight, true);
    }
    return main;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    useProgramFont();
    const QString name = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("main");
    if (!layoutNames().contains(name)) {
        QTextStream(stderr) << "no window named " << name << "; one of: " << layoutNames().join(QLatin1Char(' ')) << '\n';
        return 2;
    }
    auto *window = new LayoutWindow(name);
    if (!window->isValid()) {
        QTextStream(stderr) << window->buildError() << '\n';
        return 1;
    }
    const QString mode = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    if (mode == QStringLiteral("dressed")) {
        if (!loadSkinFile(programPath(QStringLiteral("Skin/Green.cskn")), applicationTitle)) {
            QTextStream(stderr) << "no skin file at " << programPath(QStringLiteral("Skin/Green.cskn")) << '\n';
            return 1;
        }
        QStringList words;
        for (int i = 3; i < argc; ++i)
            words << QString::fromLocal8Bit(argv[i]);
        LayoutWindow *shownWindow = dressAsTheProgramDoes(window, words);
        shownWindow->move(20, 20);
        shownWindow->show();
        return app.exec();
    }
    if (mode == QStringLiteral("filled"))
        fillWithSamples(window);
    LayoutWindow *shown = window;
    if (window->isPage()) {
        shown = new LayoutWindow(QStringLiteral("main"));
        shown->placeAtCreation();
        window->placeAtCreation(shown);
    } else {
        window->placeAtCreation();
    }
    shown->setBackgroundColour(QColor(232, 242, 232));
    if (mode == QStringLiteral("skinned")) {
        if (!loadSkinFile(programPath(QStringLiteral("Skin/Green.cskn")), applicationTitle)) {
            QTextStream(stderr) << "no skin file at " << programPath(QStringLiteral("Skin/Green.cskn")) << '\n';
            return 1;
        }
        roughSkin(shown, shown);
        if (shown != window)
            roughSkin(window, shown);
    }
    shown->move(20, 20);
    shown->show();
    QTimer::singleShot(300, window, [window, mode] {
        if (mode == QStringLiteral("menu")) {
            if (auto *menu = window->unit<StyledMenu>(QStringLiteral("菜单"))) {
                menu->setBackgroundColour(QColor(255, 255, 255));
                menu->setLeftBorderColours(QColor(208, 220, 208), QColor(112, 160, 137));
                menu->setSelectionColours(QColor(170, 235, 175), QColor(112, 160, 137), QColor(170, 235, 175));
                menu->setSeparatorColours(QColor(208, 220, 208), QColor(255, 255, 255));
                menu->popup(window->mapToGlobal(QPoint(730, 21)));
                menu->setActiveAction(menu->actions().at(2));
            }
        } else if (mode == QStringLiteral("calendar")) {
            if (auto *box = window->unit<DateBox>(QStringLiteral("开始日期框")))
                box->openCalendar();
        } else if (mode == QStringLiteral("print")) {
            printSample(window);
        } else if (mode == QStringLiteral("dropdown")) {
            if (auto *combo = window->unit<ComboBox>(QStringLiteral("收支金额组合框")))
                combo->openDropDown();
        }
    });
    return app.exec();
}
