#pragma once
// The appearance the windows share and the dressing of each window: the background picture and
// transparency chosen at start-up and on the skin page, the slice of the background behind the
// page area, the page dressings with their extras, and re-dressing every window after a change.
//
// The shell registers each window when it loads it (and null when it unloads it), then calls the
// dressing of that window. Every window has its own WindowSkin, kept here.
#include "appearance/windowskin.h"

#include <QByteArray>
#include <QImage>

#include <functional>

class LayoutWindow;
class AnimationBox;

enum class DressedWindow { Main, View, Entry, Backup, Statistics, User, Skin, NewUser, Help, Chart };

struct AppearanceState
{
    QByteArray backgroundPicture; // shown stretched on every top-level window
    int transparency = 0;         // of the content rectangles, percent
    QImage pageSlice;             // the main window's background behind the page area
    QImage statisticsBackground;  // the statistics page's slice with its logo pictures
};
AppearanceState &appearanceState();

void registerWindow(DressedWindow role, LayoutWindow *window);
LayoutWindow *registeredWindow(DressedWindow role);
// The skin of a window; made on first use and dropped when the window is destroyed.
WindowSkin &skinOf(LayoutWindow *window);

// Called at the end of every dressing of that window, first or again (a re-dressing clears the
// background canvas, so a window with sprites of its own puts them back here). One per window;
// dropped with the window.
void whenDressed(LayoutWindow *window, std::function<void()> afterDressing);

// Start-up: the transparency from "pf"/"pftmd" (truncated; absent is 0), "pf"/"bjtp" written "1"
// when empty, and the background picture: the festival picture on the festival day, else the
// skin picture, the user's picture file or the plain colour the settings name. A user file that
// is missing or unreadable gives an empty background. Sets appearanceState() and returns it.
int readTransparencySetting();
QByteArray chooseStartupBackground();
void loadStartupAppearance();

// The main window: dressed with the page area (2, 116, 856, 460), the new page slice taken, and
// the navigation highlight "选中动画" made again (the dressing clears the canvas), keeping the
// place and visibility the previous one had.
void dressMainWindow();
// The navigation highlight on the canvas: at (200, 110), hidden, the animated picture with white
// see-through, its last frame held 500 ms, transparency 10. Replaces one that is there.
int createNavigationHighlight(AnimationBox *canvas);
// A dialog (information, confirmation, new user, help): content rectangle (0, 50, W, H - 74).
void dressDialog(LayoutWindow *dialog);

// The page dressings; each needs the main window and the page registered.
void dressViewPage();
void dressEntryPage();
void dressBackupPage();
void dressStatisticsPage();
void dressUserPage();
void dressSkinPage();

// Applies the present background and a new transparency to every registered window: wait label
// shown, lists hidden, main window, the six pages in order, the new-user, help and chart windows when
// loaded, lists and label restored; the memory it freed goes back to the system a few seconds after
// the last change.
void redressAllWindows(int transparency);
