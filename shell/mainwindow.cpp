#include "mainwindow.h"

#include "common/program.h"

MainWindow::MainWindow(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("主窗口"));
    setWindowTitle(applicationTitle);
    setFixedSize(860, 600);
}
