#pragma once
// What the benchmarks that build windows share: one offscreen application for the whole process,
// and a program folder holding the built skin.
#include <QString>

class QApplication;

QApplication &benchApplication(const char *name);
// A temporary program folder with data/ and Skin/Green.cskn copied from the build.
QString benchProgramFolder();
