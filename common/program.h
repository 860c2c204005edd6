#pragma once
// Names and places every part of the program shares.
#include <QString>

inline const QString applicationTitle = QStringLiteral("Varnel家庭理财");
inline const QString versionText = QStringLiteral("3.21");
// The short name of the installed program: its file, its share folder and its folders in the home.
inline const QString programName = QStringLiteral("kelm");

// Where the program keeps its files. Run from a folder that holds its own data/ (the build tree, an
// unpacked copy), it keeps everything beside itself. Installed, the household's files live in the
// user's XDG folders, so an update of the package never touches them, and the skin comes from the
// share folder installed beside bin/.
struct ProgramPlaces
{
    bool portable = true;
    QString files;    // data/, the log and the other files the program writes
    QString settings; // config.ini
    QString registry; // the per-user key store: <registry>/<organisation>/<application>.conf
    QString skin;     // Skin/
    bool operator==(const ProgramPlaces &) const = default;
};
// The rule, given the folder of the program file and the user's XDG data and config homes.
ProgramPlaces programPlaces(const QString &programFolder, const QString &dataHome, const QString &configHome);
// The places of this run; installed, the folders in the home are made on first use.
ProgramPlaces currentProgramPlaces();

// The folder that holds the program file, without a trailing separator. Tests point it at a folder
// of their own, which then keeps everything the program writes, as a portable copy does.
QString programDirectory();
void setProgramDirectory(const QString &folder);
// A file named as it lies in a portable program folder ("data/yhlb.dat", "config.ini",
// "Skin/Green.cskn"), at the place this run keeps it.
QString programPath(const QString &relative);
