#pragma once
// The database-server window, opened by the main menu's 数据库服务器: it tests a connection,
// switches the program between the server and the local files, and copies the users and ledgers
// from the one to the other. A switch or a copy takes effect when the program starts again.
class LayoutWindow;
class Prompter;
class QWidget;

// loggedIn tells whether someone is logged in: the copies and the switch wait until nobody is.
LayoutWindow *createServerWindow(QWidget *mainWindow, Prompter &prompter, bool loggedIn);
