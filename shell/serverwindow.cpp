#include "serverwindow.h"

#include "shelldressing.h"

#include "common/log.h"
#include "common/prompter.h"
#include "dataaccess/instances.h"
#include "dataaccess/pg/serversettings.h"
#include "ui/layoutwindow.h"
#include "ui/units.h"
#include "users/serverfolder.h"

#include <QCoreApplication>
#include <QShortcut>

namespace {

struct ServerUnits
{
    EditBox *host, *port, *database, *user, *password, *household;
    TransparentLabel *status;
    Label *test, *useServer, *useFiles, *toServer, *toFiles;
    GraphicButton *cancel, *close;

    static ServerUnits bind(LayoutWindow &w)
    {
        return {w.requiredUnit<EditBox>(QStringLiteral("地址框")),
                w.requiredUnit<EditBox>(QStringLiteral("端口框")),
                w.requiredUnit<EditBox>(QStringLiteral("数据库框")),
                w.requiredUnit<EditBox>(QStringLiteral("登录名框")),
                w.requiredUnit<EditBox>(QStringLiteral("登录密码框")),
                w.requiredUnit<EditBox>(QStringLiteral("家庭名称框")),
                w.requiredUnit<TransparentLabel>(QStringLiteral("状态标签")),
                w.requiredUnit<Label>(QStringLiteral("测试连接标签")),
                w.requiredUnit<Label>(QStringLiteral("使用服务器标签")),
                w.requiredUnit<Label>(QStringLiteral("使用本机标签")),
                w.requiredUnit<Label>(QStringLiteral("复制到服务器标签")),
                w.requiredUnit<Label>(QStringLiteral("复制到本机标签")),
                w.requiredUnit<GraphicButton>(QStringLiteral("图形按钮1")),
                w.requiredUnit<GraphicButton>(QStringLiteral("关闭按钮"))};
    }

    DatabaseServer server() const
    {
        ServerFields f;
        f.host = host->text().trimmed();
        f.port = port->text().trimmed().toInt();
        f.database = database->text().trimmed();
        f.user = user->text().trimmed();
        f.password = password->text();
        return {serverConnectionText(f), household->text().trimmed()};
    }

    void show(const DatabaseServer &s)
    {
        const ServerFields f = serverFieldsOf(s.connection);
        host->setText(f.host);
        port->setText(f.port > 0 ? QString::number(f.port) : QString());
        database->setText(f.database);
        user->setText(f.user);
        password->setText(f.password);
        household->setText(s.household);
    }
};

void onPress(Label *label, std::function<void()> action)
{
    QObject::connect(label, &Label::pressed, label, [action = std::move(action)](Qt::MouseButton button, const QPoint &) {
        if (button == Qt::LeftButton)
            action();
    });
}

QString amount(double value)
{
    return QString::number(value, 'f', 2);
}

} // namespace

LayoutWindow *createServerWindow(QWidget *mainWindow, Prompter &prompter, bool loggedIn)
{
    auto *window = new LayoutWindow(QStringLiteral("server"), mainWindow);
    window->setAttribute(Qt::WA_DeleteOnClose);
    auto units = std::make_shared<ServerUnits>(ServerUnits::bind(*window));
    units->password->setPasswordMode(true);
    if (const auto saved = savedDatabaseServer())
        units->show(*saved);
    else
        units->household->setText(QStringLiteral("我的家庭"));
    units->status->setText(databaseServer() ? QStringLiteral("当前使用数据库服务器。") : QStringLiteral("当前使用本机数据文件。"));

    const auto filled = [units, &prompter]() -> std::optional<DatabaseServer> {
        if (units->host->text().trimmed().isEmpty() || units->database->text().trimmed().isEmpty()
            || units->user->text().trimmed().isEmpty() || units->household->text().trimmed().isEmpty()) {
            prompter.showMessage(QStringLiteral("请输入服务器地址、数据库、登录名和家庭名称！"));
            return std::nullopt;
        }
        const DatabaseServer server = units->server();
        QString error;
        if (!testDatabaseServer(server, &error)) {
            qCWarning(logData).noquote() << "cannot reach the database server -" << error;
            units->status->setText(QStringLiteral("连接服务器失败！"));
            prompter.showMessage(QStringLiteral("连接服务器失败！请检查服务器地址、端口、登录名和密码。"));
            return std::nullopt;
        }
        return server;
    };
    const auto nobodyLoggedIn = [loggedIn, &prompter] {
        if (loggedIn)
            prompter.showMessage(QStringLiteral("请先退出登录！"));
        return !loggedIn;
    };
    const auto restart = [&prompter, window] {
        prompter.showMessage(QStringLiteral("设置已保存，程序将退出，请重新启动本程序。"));
        window->close();
        QCoreApplication::quit();
    };

    onPress(units->test, [units, filled] {
        if (filled())
            units->status->setText(QStringLiteral("连接服务器成功！"));
    });
    onPress(units->useServer, [filled, nobodyLoggedIn, restart, &prompter] {
        if (!nobodyLoggedIn())
            return;
        const auto server = filled();
        if (!server)
            return;
        if (!saveDatabaseServer(server)) {
            prompter.showMessage(QStringLiteral("保存设置失败！"));
            return;
        }
        closeDataAccess();
        restart();
    });
    onPress(units->useFiles, [nobodyLoggedIn, restart, &prompter] {
        if (!nobodyLoggedIn())
            return;
        if (!saveDatabaseServer(std::nullopt)) {
            prompter.showMessage(QStringLiteral("保存设置失败！"));
            return;
        }
        closeDataAccess();
        restart();
    });
    const auto copy = [units, filled, nobodyLoggedIn, restart, &prompter](bool toServer) {
        if (!nobodyLoggedIn())
            return;
        const auto server = filled();
        if (!server)
            return;
        const QStringList there = toServer ? serverDatabases(*server) : localDatabases();
        // What is there already is named only when there is something.
        const QString question = toServer
            ? QStringLiteral("将把本机的用户和数据复制到服务器") + (there.isEmpty() ? QString() : QStringLiteral("，服务器上已有的 %1 个数据库将被替换").arg(there.size()))
            : QStringLiteral("将把服务器上的用户和数据复制到本机") + (there.isEmpty() ? QString() : QStringLiteral("，本机已有的 %1 个数据文件将改名保留").arg(there.size()));
        if (!prompter.askConfirm(question + QStringLiteral("！是否继续？")))
            return;
        closeDataAccess();
        const FolderCopyReport report = toServer ? copyDataFolderToServer(*server) : copyServerToDataFolder(*server);
        if (!report.ok) {
            units->status->setText(QStringLiteral("复制失败！"));
            prompter.showMessage(QStringLiteral("复制数据失败！（%1）核对不一致或无法复制，已停止。").arg(report.failed));
            restart();
            return;
        }
        const QString summary = QStringLiteral("复制数据成功！共 %1 个数据库、%2 个记录，支出合计 %3，收入合计 %4，两边核对一致。")
                                    .arg(report.databases)
                                    .arg(report.records)
                                    .arg(amount(report.expense), amount(report.income));
        units->status->setText(QStringLiteral("复制数据成功！"));
        prompter.showMessage(summary);
        if (prompter.askConfirm(toServer ? QStringLiteral("是否改为使用数据库服务器？") : QStringLiteral("是否改为使用本机数据文件？")))
            saveDatabaseServer(toServer ? std::optional<DatabaseServer>(*server) : std::nullopt);
        restart();
    };
    onPress(units->toServer, [copy] { copy(true); });
    onPress(units->toFiles, [copy] { copy(false); });

    for (GraphicButton *button : {units->cancel, units->close})
        QObject::connect(button, &GraphicButton::clicked, window, &QWidget::close);
    QObject::connect(new QShortcut(Qt::Key_Escape, window), &QShortcut::activated, units->close, &GraphicButton::click);
    window->moveOnBarePress();
    dressDialogWindow(window);
    return window;
}
