#include "program.h"

#include <QCoreApplication>
#include <QDir>

static QString chosenDirectory;

QString programDirectory()
{
    QString folder = chosenDirectory.isEmpty() ? QCoreApplication::applicationDirPath() : chosenDirectory;
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return folder;
}

void setProgramDirectory(const QString &folder)
{
    chosenDirectory = folder.isEmpty() ? QString() : QDir(folder).absolutePath();
}

QString programPath(const QString &relative)
{
    return programDirectory() + u'/' + relative;
}
