#include "backupwindow.h"

#include "messagewindows.h"
#include "shelldressing.h"

#include "exchange/autobackup.h"
#include "ui/layoutwindow.h"
#include "ui/listview.h"
#include "ui/units.h"
#include "users/userdirectory.h"

#include <QDir>
#include <QLocale>
#include <QShortcut>

namespace {

struct BackupWindowUnits
{
    TransparentLabel *state;
    GraphicButton *turnOn, *turnOff, *restore, *openFolder, *close;
    ListView *copies;
    static BackupWindowUnits bind(LayoutWindow &window)
    {
        return {window.requiredUnit<TransparentLabel>(QStringLiteral("自动备份状态标签")),
                window.requiredUnit<GraphicButton>(QStringLiteral("开启按钮")),
                window.requiredUnit<GraphicButton>(QStringLiteral("关闭备份按钮")),
                window.requiredUnit<GraphicButton>(QStringLiteral("恢复按钮")),
                window.requiredUnit<GraphicButton>(QStringLiteral("打开文件夹按钮")),
                window.requiredUnit<GraphicButton>(QStringLiteral("关闭按钮")),
                window.requiredUnit<ListView>(QStringLiteral("备份列表框"))};
    }
};

QString sizeText(qint64 bytes)
{
    if (bytes < 1024 * 1024)
        return QString::number(qMax<qint64>(1, (bytes + 1023) / 1024)) + QStringLiteral(" KB");
    return QString::number(double(bytes) / (1024 * 1024), 'f', 1) + QStringLiteral(" MB");
}

void showSwitch(const BackupWindowUnits &units)
{
    const bool on = automaticBackupsOn();
    units.state->setText(on ? QStringLiteral("自动备份已开启：退出登录或退出程序时，数据有改动即自动备份。")
                            : QStringLiteral("自动备份已关闭。"));
    units.turnOn->setVisible(!on);
    units.turnOff->setVisible(on);
}

QStringList fillCopies(const BackupWindowUnits &units, const QString &ledger)
{
    QStringList paths;
    QList<ListRow> rows;
    for (const AutomaticCopy &copy : automaticCopies(ledger)) {
        const qint64 records = copyRecordCount(copy.path);
        rows.append({{copy.taken.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), sizeText(copy.size),
                      records < 0 ? QStringLiteral("无法读取") : QString::number(records)},
                     int(paths.size())});
        paths.append(copy.path);
    }
    units.copies->setRows(std::move(rows));
    return paths;
}

} // namespace

LayoutWindow *createBackupWindow(QWidget *mainWindow, const QString &ledger, BackupWindowActions actions)
{
    auto *window = new LayoutWindow(QStringLiteral("autobackup"), mainWindow);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(QStringLiteral("自动备份"));
    const BackupWindowUnits units = BackupWindowUnits::bind(*window);
    const auto paths = std::make_shared<QStringList>(fillCopies(units, ledger));
    showSwitch(units);
    QObject::connect(units.close, &GraphicButton::clicked, window, &QWidget::close);
    QObject::connect(new QShortcut(Qt::Key_Escape, window), &QShortcut::activated, units.close, &GraphicButton::click);
    for (GraphicButton *button : {units.turnOn, units.turnOff})
        QObject::connect(button, &GraphicButton::clicked, window, [units, on = button == units.turnOn] {
            setAutomaticBackupsOn(on);
            showSwitch(units);
        });
    QObject::connect(units.openFolder, &GraphicButton::clicked, window, [ledger, actions] {
        const QString folder = automaticBackupFolder(ledger);
        QDir().mkpath(folder);
        if (actions.openFolder)
            actions.openFolder(folder);
    });
    QObject::connect(units.restore, &GraphicButton::clicked, window, [window, units, paths, actions] {
        const int row = units.copies->selectedRow();
        if (row < 0 || row >= paths->size()) {
            showMessage(QStringLiteral("请先选择要恢复的备份！"));
            return;
        }
        const QString copy = paths->at(units.copies->itemValue(row));
        window->close();
        if (actions.restore)
            actions.restore(copy);
    });
    window->moveOnBarePress();
    dressDialogWindow(window);
    if (mainWindow)
        window->move(mainWindow->geometry().center() - window->rect().center());
    return window;
}
