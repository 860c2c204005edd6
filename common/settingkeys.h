#pragma once
// The sections and keys of the settings file (config.ini). They are the pinyin initials of their
// Chinese names, kept as the program has always written them so that older files still read.
#include <QString>

namespace SettingKey {

// 程序 (program): the running copy's window handle, and the mark a second copy leaves for it.
inline const QString programSection = QStringLiteral("cx");
inline const QString windowHandle = QStringLiteral("hwnd"); // 窗口句柄
inline const QString secondCopy = QStringLiteral("yyx");    // 已运行: "1" once a second copy started

// 皮肤 (skin): the look the person chose.
inline const QString skinSection = QStringLiteral("pf");
inline const QString transparency = QStringLiteral("pftmd");  // 皮肤透明度, 0 to 100
inline const QString background = QStringLiteral("bjtp");     // 背景图片: skin picture n, or -n for own slot n
inline const QString ownPicture = QStringLiteral("yhtp%1");   // 用户图片 n: the path of an own picture
inline const QString plainColour = QStringLiteral("cstp");    // 纯色图片: the plain colour chosen, 0 for none

// 提示标签 (hints shown once): the entry page's hint at the amount, 添加金额; "1" once dismissed.
inline const QString hintSection = QStringLiteral("tsbq");
inline const QString entryHint = QStringLiteral("tjje");

// 文件对话框 (file dialogs): the folder last chosen, 上次文件夹.
inline const QString fileDialogSection = QStringLiteral("wjdhk");
inline const QString lastFolder = QStringLiteral("scwjj");

} // namespace SettingKey
