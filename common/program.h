#pragma once
// Names and places every part of the program shares.
#include <QString>

inline const QString applicationTitle = QStringLiteral("Varnel家庭理财");
inline const QString versionText = QStringLiteral("3.21");

// The folder that holds the program file, without a trailing separator; every file path is built
// from it. Tests point it at a folder of their own.
QString programDirectory();
void setProgramDirectory(const QString &folder);
// programDirectory() + "/" + the relative path.
QString programPath(const QString &relative);
