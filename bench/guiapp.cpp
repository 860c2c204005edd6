#include "guiapp.h"

#include "ui/unit.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

QApplication &benchApplication(const char *name)
{
    static int argc = 1;
    static QByteArray program(name);
    static char *argv[] = {program.data(), nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    // Left to the end of the process: destroyed among the other statics it would outlive the
    // objects it cleans up.
    static QApplication *app = [] {
        auto *made = new QApplication(argc, argv);
        useProgramFont();
        return made;
    }();
    return *app;
}

QString benchProgramFolder()
{
    static QTemporaryDir folder;
    static bool made = [] {
        QDir(folder.path()).mkpath(QStringLiteral("data"));
        QDir(folder.path()).mkpath(QStringLiteral("Skin"));
        // The benchmarks live in bench/ beside bin/.
        return QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/Skin/Green.cskn"),
                           folder.filePath(QStringLiteral("Skin/Green.cskn")));
    }();
    (void)made;
    return folder.path();
}
