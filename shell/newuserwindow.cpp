#include "newuserwindow.h"

#include "pageunits.h"
#include "shelldressing.h"

#include "ui/layoutwindow.h"
#include "ui/units.h"

#include <QShortcut>

LayoutWindow *createNewUserWindow(QWidget *mainWindow)
{
    auto *window = new LayoutWindow(QStringLiteral("newuser"), mainWindow);
    window->setAttribute(Qt::WA_DeleteOnClose);
    const NewUserUnits units = NewUserUnits::bind(*window);
    for (GraphicButton *button : {units.cancel, units.close})
        QObject::connect(button, &GraphicButton::clicked, window, &QWidget::close);
    // Esc does what the close button does.
    QObject::connect(new QShortcut(Qt::Key_Escape, window), &QShortcut::activated, units.close, &GraphicButton::click);
    window->moveOnBarePress();
    dressDialogWindow(window);
    return window;
}
