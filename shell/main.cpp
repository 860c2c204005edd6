#include "mainwindow.h"

#include "common/program.h"

#include <QApplication>
#include <QFont>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(applicationTitle);
    // The layouts name the classic Song face; on this platform the Noto CJK serif stands in for it.
    QFont::insertSubstitution(QStringLiteral("宋体"), QStringLiteral("Noto Serif CJK SC"));
    QApplication::setFont(QFont(QStringLiteral("宋体"), 9));

    MainWindow window;
    window.show();
    return app.exec();
}
