// Shows one window of the program as its layout table builds it, undressed, to look at it:
//     layoutviewer <layout name>     (main, splash, view, entry, backup, statistics, user, skin,
//                                     message, confirm, newuser, help)
// A page is shown inside the main window, at its place in the page area.
#include "ui/layoutwindow.h"
#include "ui/unit.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    useProgramFont();
    const QString name = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("main");
    if (!layoutNames().contains(name)) {
        QTextStream(stderr) << "no window named " << name << "; one of: " << layoutNames().join(QLatin1Char(' ')) << '\n';
        return 2;
    }
    auto *window = new LayoutWindow(name);
    if (!window->isValid()) {
        QTextStream(stderr) << window->buildError() << '\n';
        return 1;
    }
    LayoutWindow *shown = window;
    if (window->isPage()) {
        shown = new LayoutWindow(QStringLiteral("main"));
        shown->placeAtCreation();
        window->placeAtCreation(shown);
    } else {
        window->placeAtCreation();
    }
    shown->setBackgroundColour(QColor(232, 242, 232));
    shown->move(20, 20);
    shown->show();
    return app.exec();
}
