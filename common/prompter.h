#pragma once
// How a user-level operation reaches the person: messages, yes/no questions and file choices.
// The program hands in its skinned windows; tests hand in a script.
#include <QString>

class Prompter
{
public:
    virtual ~Prompter() = default;
    virtual void showMessage(const QString &text) = 0;
    // True only when the person answered "确定".
    virtual bool askConfirm(const QString &text) = 0;
    // The chosen path, or empty text when the person cancelled. The filter is in the form
    // "描述(*.ext)|*.ext"; the default extension is "*.ext".
    virtual QString pickOpenFile(const QString &filter, const QString &defaultExtension) = 0;
    virtual QString pickSaveFile(const QString &filter, const QString &defaultExtension, const QString &proposedName) = 0;
    // A save that adds to a chosen file which exists already instead of replacing it: the dialog
    // must not ask whether to replace it.
    virtual QString pickFileToAddTo(const QString &filter, const QString &defaultExtension, const QString &proposedName)
    {
        return pickSaveFile(filter, defaultExtension, proposedName);
    }
};
