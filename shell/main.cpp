// The household ledger: one copy at a time, started by the main window's start-up sequence.
#include "mainwindow.h"
#include "sessionpages.h"
#include "messagewindows.h"
#include "singleinstance.h"

#include "common/commandline.h"
#include "common/log.h"
#include "common/program.h"
#include "dataaccess/instances.h"
#include "resources/artwork.h"
#include "dataaccess/pg/serversettings.h"
#include "ui/unit.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>

#include <cstdio>

namespace {

// KELM_TEST_INSTANCE is set only by the tests that start the program: it names the instance
// socket and makes the program say on its output when the main window shows.
class ShownReporter : public QObject
{
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            std::printf("main window shown\n");
            std::fflush(stdout);
        }
        return false;
    }
};

} // namespace

int main(int argc, char **argv)
{
    // Answered before the window system is reached, so they work without a display.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (const CommandLineAnswer answer = answerCommandLine(arguments); answer.answered) {
        std::fputs(answer.text.toLocal8Bit().constData(), stdout);
        return 0;
    }

    QApplication app(argc, argv);
    // The window system knows the program's windows by the class "TAVRIX_KELM".
    QApplication::setApplicationName(QStringLiteral("TAVRIX_KELM"));
    // Panels and task switchers match the windows to the menu entry and show its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.tavrix.kelm"));
    QApplication::setWindowIcon(QIcon(applicationIconPath));
    QApplication::setQuitOnLastWindowClosed(false);
    useProgramFont();
    useChineseTexts();
    setDataAccessMessageHandler([](const QString &text, const QString &caption) {
        QMessageBox::information(nullptr, caption, text);
    });

    // Why something failed goes to data/kelm.log (in the home once installed); the messages shown stay the program's own.
    startLogFile(programPath(QStringLiteral("data")));

    // The household's server, when one is chosen in the settings; else the files of data/.
    if (const auto server = savedDatabaseServer())
        setDatabaseServer(server);

    SingleInstance guard(SingleInstance::programInstanceName());
    MainWindow window;
    ShownReporter reporter;
    if (!qEnvironmentVariableIsEmpty("KELM_TEST_INSTANCE"))
        window.installEventFilter(&reporter);
    QObject::connect(&window, &MainWindow::ended, &app, &QCoreApplication::quit);
    if (window.start(&guard) != StartupResult::Started) {
        closeDataAccess();
        return 0;
    }
    SessionPages sessionPages(&window, windowPrompter());
    const int code = app.exec();
    // The six data-access objects close before the process ends, while everything they use is
    // still there (their own destructors run among the other statics, in no order we choose).
    closeDataAccess();
    return code;
}
