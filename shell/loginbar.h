#pragma once
// The login bar above the view page's list, and the new-user window its 注册按钮 opens.
#include "pageunits.h"

#include <QObject>
#include <QPointer>

class MainWindow;
class Prompter;

class LoginBar : public QObject
{
    Q_OBJECT
public:
    LoginBar(MainWindow *owner, Prompter &prompts, QObject *parent);

    // The login button and the Enter key in the password box.
    void logIn();
    void openRegistration();
    void registerFromWindow();
    LayoutWindow *registrationWindow() const { return registration; }
    // The names of the user directory, after a user was deleted or the user page was left.
    void refillUserList();

signals:
    // A user logged in; the bar goes when the pages have shown the user's ledger.
    void loggedIn();

private:
    MainWindow *main;
    Prompter &prompter;
    TransparentLabel *title;
    ViewUnits view;
    QPointer<LayoutWindow> registration;
    NewUserUnits newUser{};
};
