#pragma once
// The user page: the logged-in user changes the password or deletes the user.
#include "pageunits.h"

#include <QObject>

class LoginBar;
class MainWindow;
class Prompter;

class UserPage : public QObject
{
    Q_OBJECT
public:
    UserPage(MainWindow *owner, Prompter &prompts, LoginBar &bar, QObject *parent);

    void changePassword();
    void deleteUser();
    void back();

private:
    MainWindow *main;
    Prompter &prompter;
    LoginBar &loginBar;
    UserUnits user;
};
