#pragma once
// The new-user window, opened by the login bar's 注册按钮: it closes by either close button or
// by Esc, and moves by its background.
class LayoutWindow;
class QWidget;

LayoutWindow *createNewUserWindow(QWidget *mainWindow);
