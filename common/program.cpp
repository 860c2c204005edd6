#include "program.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QStandardPaths>

#include <optional>

namespace {

QString chosenDirectory;
// Deciding the places looks at the disk; they hold for the run, so the answer is kept.
QMutex placesLock;
std::optional<ProgramPlaces> decidedPlaces;

QString withoutTrailingSeparator(QString folder)
{
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return folder;
}

} // namespace

ProgramPlaces programPlaces(const QString &programFolder, const QString &dataHome, const QString &configHome)
{
    const QString folder = withoutTrailingSeparator(programFolder);
    ProgramPlaces places;
    if (QFileInfo(folder + QStringLiteral("/data")).isDir()) {
        places.files = places.settings = places.skin = folder;
        // The key store was always the user's own, also for a portable copy.
        places.registry = withoutTrailingSeparator(configHome);
        return places;
    }
    places.portable = false;
    places.files = withoutTrailingSeparator(dataHome) + u'/' + programName;
    places.settings = places.registry = withoutTrailingSeparator(configHome) + u'/' + programName;
    places.skin = QDir::cleanPath(folder + QStringLiteral("/../share/") + programName);
    return places;
}

ProgramPlaces currentProgramPlaces()
{
    QMutexLocker locker(&placesLock);
    if (decidedPlaces)
        return *decidedPlaces;
    ProgramPlaces places;
    if (!chosenDirectory.isEmpty()) {
        places.files = places.settings = places.skin = chosenDirectory;
        places.registry = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    } else {
        places = programPlaces(QCoreApplication::applicationDirPath(),
                               QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
                               QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
        if (!places.portable) {
            QDir().mkpath(places.files + QStringLiteral("/data"));
            QDir().mkpath(places.settings);
        }
    }
    decidedPlaces = places;
    return places;
}

QString programDirectory()
{
    return withoutTrailingSeparator(chosenDirectory.isEmpty() ? QCoreApplication::applicationDirPath() : chosenDirectory);
}

void setProgramDirectory(const QString &folder)
{
    QMutexLocker locker(&placesLock);
    chosenDirectory = folder.isEmpty() ? QString() : withoutTrailingSeparator(QDir(folder).absolutePath());
    decidedPlaces.reset();
}

QString programPath(const QString &relative)
{
    const ProgramPlaces places = currentProgramPlaces();
    const QString first = relative.section(u'/', 0, 0);
    const QString &root = first == QStringLiteral("Skin") ? places.skin
                          : first == QStringLiteral("config.ini") ? places.settings
                                                                 : places.files;
    return root + u'/' + relative;
}
