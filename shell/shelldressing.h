#pragma once
// The shell's calls into the appearance: the start-up background and transparency, and the
// dressing of the main window, the pages and the dialogs. Kept in one place so the windows of the
// shell name what they need and not how it is done.
#include <QByteArray>
#include <QString>

#include <functional>

class LayoutWindow;

enum class ShellWindow { Main, View, Entry, Backup, Statistics, User, Skin, NewUser, Help, Chart };

// Start-up steps 9 to 11: transparency, the default background choice and the background picture.
void loadStartupAppearance(LayoutWindow *mainWindow);
QByteArray currentBackgroundPicture();
int currentTransparency();

// A window loaded (or, with null, unloaded) so the re-dressing reaches it.
void registerShellWindow(ShellWindow role, LayoutWindow *window);
// The main window with its page area; the navigation highlight "选中动画" is made again.
void dressMain(LayoutWindow *mainWindow);
void dressPage(ShellWindow role, LayoutWindow *page);
void dressDialogWindow(LayoutWindow *dialog);
// Runs after every dressing of the window, the first and each one again after a change of the
// background or the transparency; a window with sprites of its own puts them back here.
void afterEveryDressing(LayoutWindow *window, std::function<void()> routine);
// Forgets a dialog's dressing when it closes.
void resetDressing(LayoutWindow *dialog);
// Shut-down: the background slices kept for the page dressings are let go.
void releaseDressingPictures();
