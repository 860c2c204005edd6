#include "reminderdatacheck.h"

#include "common/files.h"
#include "common/program.h"

#include <QFileInfo>

QString SystemReminderPlatform::windowsVersionCode() const
{
    return ::windowsVersionCode(false, 0, 0, 0);
}

QString SystemReminderPlatform::windowsDirectory() const
{
    return {};
}

bool SystemReminderPlatform::opensAsReminderDatabase(const QString &path) const
{
    return QFileInfo(path).isFile();
}

QString windowsVersionCode(bool queried, int platformId, int major, int minor)
{
    if (!queried)
        return QStringLiteral("N");
    if (platformId == 1 && major == 4)
        return QStringLiteral("9");
    if (platformId == 2 && major == 5)
        return QStringLiteral("X");
    if (platformId == 2 && major == 6) {
        switch (minor) {
        case 0:
            return QStringLiteral("V");
        case 1:
            return QStringLiteral("7");
        case 2:
            return QStringLiteral("8");
        default:
            break;
        }
    }
    return QStringLiteral("N");
}

namespace {

struct ReminderFile
{
    const char *main;
    const char *backup;
};

// The two databases, each followed by its memo file.
constexpr ReminderFile reminderFiles[] = {
    {"qvtm.qm", "qvtm1.qm"},
    {"qvtm.EDT", "qvtm1.EDT"},
    {"mtqv.edb", "mtqv1.edb"},
    {"mtqv.EDT", "mtqv1.EDT"},
};

} // namespace

void reminderDataCheck(const ReminderPlatform &platform, const QString &programDirectory)
{
    if (platform.windowsVersionCode() == QStringLiteral("X"))
        return;
    const QString windows = platform.windowsDirectory();
    if (windows.isEmpty() || programDirectory.isEmpty() || windows.at(0) != programDirectory.at(0))
        return;

    auto path = [&](const char *name) { return programDirectory + u'/' + QLatin1String(name); };
    for (const ReminderFile &file : reminderFiles)
        if (fileExists(path(file.backup)))
            deleteFile(path(file.backup));
    bool copied[4] = {};
    for (int i = 0; i < 4; ++i)
        copied[i] = copyFileReplacing(path(reminderFiles[i].main), path(reminderFiles[i].backup));
    // A database and its memo file go only when each of them that exists was copied: a failed
    // copy must not cost the reminder program its data.
    for (int database : {0, 2}) {
        bool safe = true;
        for (int i : {database, database + 1})
            safe = safe && (copied[i] || !fileExists(path(reminderFiles[i].main)));
        if (!safe)
            continue;
        for (int i : {database, database + 1})
            if (fileExists(path(reminderFiles[i].main)))
                deleteFile(path(reminderFiles[i].main));
    }

    for (int database : {0, 2}) {
        if (platform.opensAsReminderDatabase(path(reminderFiles[database].main)))
            continue;
        copyFileReplacing(path(reminderFiles[database].backup), path(reminderFiles[database].main));
        copyFileReplacing(path(reminderFiles[database + 1].backup), path(reminderFiles[database + 1].main));
    }
}

void reminderDataCheck()
{
    reminderDataCheck(SystemReminderPlatform(), programDirectory());
}
