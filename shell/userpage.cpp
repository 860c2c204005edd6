#include "userpage.h"

#include "loginbar.h"
#include "mainwindow.h"

#include "dataaccess/instances.h"
#include "ui/units.h"
#include "users/administration.h"

UserPage::UserPage(MainWindow *owner, Prompter &prompts, LoginBar &bar, QObject *parent)
    : QObject(parent), main(owner), prompter(prompts), loginBar(bar), user(UserUnits::bind(*owner->page(QStringLiteral("user"))))
{
    connect(user.changePassword, &GraphicButton::clicked, this, &UserPage::changePassword);
    connect(user.deleteUser, &GraphicButton::clicked, this, &UserPage::deleteUser);
    connect(user.back, &GraphicButton::clicked, this, &UserPage::back);
}

void UserPage::changePassword()
{
    const AdminOutcome outcome
        = ::changePassword(userConnection, userRecordset, user.name->text(), user.oldPassword->text(),
                           user.newPassword->text(), user.confirmPassword->text(), prompter);
    if (outcome == AdminOutcome::Refused)
        return; // the boxes keep their texts
    if (outcome == AdminOutcome::Done)
        main->showPage(QStringLiteral("查看"));
    for (EditBox *box : {user.name, user.oldPassword, user.newPassword, user.confirmPassword})
        box->clear();
}

void UserPage::deleteUser()
{
    const auto afterDeletion = [this] {
        main->logOut();
        loginBar.refillUserList();
    };
    const AdminOutcome outcome = ::deleteUser(directoryConnection, userConnection, userRecordset, main->session,
                                              user.name->text(), user.oldPassword->text(), prompter, afterDeletion);
    if (outcome == AdminOutcome::Done)
        main->showPage(QStringLiteral("查看"));
}

void UserPage::back()
{
    main->showPage(QStringLiteral("查看"));
    loginBar.refillUserList();
}
