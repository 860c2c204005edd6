#include "shelldressing.h"

#include "appearance/dressing.h"
#include "appearance/skinpage.h"
#include "ui/layoutwindow.h"

namespace {

DressedWindow dressedRole(ShellWindow role)
{
    switch (role) {
    case ShellWindow::Main: return DressedWindow::Main;
    case ShellWindow::View: return DressedWindow::View;
    case ShellWindow::Entry: return DressedWindow::Entry;
    case ShellWindow::Backup: return DressedWindow::Backup;
    case ShellWindow::Statistics: return DressedWindow::Statistics;
    case ShellWindow::User: return DressedWindow::User;
    case ShellWindow::Skin: return DressedWindow::Skin;
    case ShellWindow::NewUser: return DressedWindow::NewUser;
    case ShellWindow::Help: return DressedWindow::Help;
    case ShellWindow::Chart: return DressedWindow::Chart;
    }
    return DressedWindow::Main;
}

} // namespace

void loadStartupAppearance(LayoutWindow *)
{
    ::loadStartupAppearance();
}

QByteArray currentBackgroundPicture()
{
    return appearanceState().backgroundPicture;
}

int currentTransparency()
{
    return appearanceState().transparency;
}

void registerShellWindow(ShellWindow role, LayoutWindow *window)
{
    registerWindow(dressedRole(role), window);
}

void dressMain(LayoutWindow *)
{
    dressMainWindow();
}

void dressPage(ShellWindow role, LayoutWindow *page)
{
    switch (role) {
    case ShellWindow::View: dressViewPage(); break;
    case ShellWindow::Entry: dressEntryPage(); break;
    case ShellWindow::Backup: dressBackupPage(); break;
    case ShellWindow::Statistics: dressStatisticsPage(); break;
    case ShellWindow::User: dressUserPage(); break;
    case ShellWindow::Skin:
        buildSkinPage(page);
        dressSkinPage();
        break;
    default: break;
    }
}

void dressDialogWindow(LayoutWindow *dialog)
{
    dressDialog(dialog);
}

void afterEveryDressing(LayoutWindow *window, std::function<void()> routine)
{
    whenDressed(window, std::move(routine));
}

void resetDressing(LayoutWindow *dialog)
{
    skinOf(dialog).reset();
}

void releaseDressingPictures()
{
    appearanceState().pageSlice = QImage();
    appearanceState().statisticsBackground = QImage();
}
