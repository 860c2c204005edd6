#include "loginbar.h"

#include "eventactions.h"
#include "mainwindow.h"
#include "newuserwindow.h"

#include "common/program.h"
#include "dataaccess/instances.h"
#include "ui/units.h"
#include "users/administration.h"
#include "users/userdirectory.h"

LoginBar::LoginBar(MainWindow *owner, Prompter &prompts, QObject *parent)
    : QObject(parent), main(owner), prompter(prompts), title(owner->requiredUnit<TransparentLabel>(QStringLiteral("标题标签"))),
      view(ViewUnits::bind(*owner->page(QStringLiteral("view"))))
{
    connect(view.logIn, &GraphicButton::clicked, this, &LoginBar::logIn);
    view.loginPassword->installEventFilter(new EnterKey(this, [this] { logIn(); }));
    connect(view.registration, &GraphicButton::clicked, this, &LoginBar::openRegistration);
}

void LoginBar::logIn()
{
    const QString name = view.loginName->text();
    switch (::logIn(userConnection, userRecordset, main->session, name, view.loginPassword->text(), prompter)) {
    case LoginOutcome::WrongPassword:
        view.loginPassword->selectAll();
        return;
    case LoginOutcome::Refused:
        return;
    case LoginOutcome::LoggedIn:
        break;
    }
    title->setText(applicationTitle + QStringLiteral(" - ") + name);
    emit loggedIn();
    view.loginBar->hide();
    view.totalsBar->show();
    view.loginName->clear();
    view.loginPassword->clear();
}

void LoginBar::openRegistration()
{
    if (!registration) {
        registration = createNewUserWindow(main);
        newUser = NewUserUnits::bind(*registration);
        connect(newUser.registration, &GraphicButton::clicked, this, &LoginBar::registerFromWindow);
    }
    // Over the middle of the main window, as a dialog of it.
    registration->move(main->frameGeometry().center() - QPoint(registration->width() / 2, registration->height() / 2));
    registration->show();
    registration->raise();
}

void LoginBar::registerFromWindow()
{
    if (!registration)
        return;
    const QString name = newUser.name->text();
    if (registerUser(directoryConnection, directoryRecordset, userConnection, userRecordset, name,
                     newUser.password->text(), newUser.confirmPassword->text(), prompter)
        != AdminOutcome::Done)
        return;
    view.userList->addItem(name);
    registration->close();
}

void LoginBar::refillUserList()
{
    QStringList names;
    fillUserList(directoryRecordset, names);
    view.userList->clear();
    view.userList->addItems(names);
}
