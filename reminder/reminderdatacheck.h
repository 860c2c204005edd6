#pragma once
// The start-up check of the companion reminder program's data files, which may live in the
// program folder: on the Windows drive, outside the NT 5 family, the four files are rotated
// through backup copies and a database that no longer opens is put back from its copy.
#include <QString>

// The facts about the system the check depends on, so that tests can stand on any of them.
class ReminderPlatform
{
public:
    virtual ~ReminderPlatform() = default;
    // One character: "9", "X", "V", "7", "8" or "N" (see windowsVersionCode below).
    virtual QString windowsVersionCode() const = 0;
    // The Windows folder; empty where there is none.
    virtual QString windowsDirectory() const = 0;
    // Whether the reminder program could open the file as one of its databases.
    virtual bool opensAsReminderDatabase(const QString &path) const = 0;
};

// The facts of this system: no Windows version ("N"), no Windows folder, and a database opens when
// its file is there (the reminder program's format is not ours to read).
class SystemReminderPlatform : public ReminderPlatform
{
public:
    QString windowsVersionCode() const override;
    QString windowsDirectory() const override;
    bool opensAsReminderDatabase(const QString &path) const override;
};

// The code of a reported version: platform 1 major 4 is "9"; platform 2 major 5 "X", 6.0 "V",
// 6.1 "7", 6.2 "8"; anything else, or no answer from the version query, "N".
QString windowsVersionCode(bool queried, int platformId, int major, int minor);

// The check itself; nothing it does is reported and nothing stops start-up.
void reminderDataCheck(const ReminderPlatform &platform, const QString &programDirectory);
void reminderDataCheck();
