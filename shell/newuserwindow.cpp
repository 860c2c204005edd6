#include "newuserwindow.h"

#include "shelldressing.h"

#include "ui/layoutwindow.h"
#include "ui/units.h"

#include <QShortcut>

LayoutWindow *createNewUserWindow(QWidget *mainWindow)
{
    auto *window = new LayoutWindow(QStringLiteral("newuser"), mainWindow);
    window->setAttribute(Qt::WA_DeleteOnClose);
    for (const QString &close : {QStringLiteral("图形按钮1"), QStringLiteral("关闭按钮")})
        if (auto *button = window->unit<GraphicButton>(close))
            QObject::connect(button, &GraphicButton::clicked, window, &QWidget::close);
    // Esc does what the close button does.
    if (auto *close = window->unit<GraphicButton>(QStringLiteral("关闭按钮")))
        QObject::connect(new QShortcut(Qt::Key_Escape, window), &QShortcut::activated, close, &GraphicButton::click);
    window->moveOnBarePress();
    dressDialogWindow(window);
    return window;
}
