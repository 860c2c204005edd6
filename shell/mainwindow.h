#pragma once
// The program's main window: 860 by 600, frameless, its pages come later.
#include <QWidget>

class MainWindow : public QWidget
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
};
