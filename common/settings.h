#pragma once
// The program's preferences: "config.ini" (beside a portable program, in ~/.config/kelm once
// installed; see ProgramPlaces), INI text in GB18030 (the superset of
// the GBK files the Windows program wrote), and a small per-user key store for the version stamp.
//
// Every access reads or writes the file once; nothing is cached. Anything missing reads as empty
// text, a value longer than 10239 bytes comes back cut, and a write that fails is silent.
#include <QString>

QString settingsFilePath();
QString readSetting(const QString &section, const QString &key);
void writeSetting(const QString &section, const QString &key, const QString &value);

// The per-user key store. A path is the key path, "\" and the value name, for example
// "Software\tavrix\kelm\Version"; a missing value reads as empty text.
enum class RegistryRoot { CurrentUser, LocalMachine };
QString readRegistryText(RegistryRoot root, const QString &path);
bool writeRegistryText(RegistryRoot root, const QString &path, const QString &text);
