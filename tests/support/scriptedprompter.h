#pragma once
// A prompter for tests: answers questions from a script and records every message and question.
#include "common/prompter.h"

#include <QStringList>

class ScriptedPrompter : public Prompter
{
public:
    QStringList messages;
    QStringList questions;
    QList<bool> answers;     // taken in order; a question beyond the script is answered no
    QStringList files;       // paths the file dialogs return in order; empty text is a cancel
    QStringList fileFilters; // the filters the dialogs were shown with
    QStringList fileKinds;   // "open", "save" (replacing a chosen file) or "add to" (adding to it)
    int filterChoice = -1;   // what chosenFilter() answers

    void showMessage(const QString &text) override { messages.append(text); }
    bool askConfirm(const QString &text) override
    {
        questions.append(text);
        return answers.isEmpty() ? false : answers.takeFirst();
    }
    QString pickOpenFile(const QString &filter, const QString &) override
    {
        fileKinds.append(QStringLiteral("open"));
        fileFilters.append(filter);
        return files.isEmpty() ? QString() : files.takeFirst();
    }
    QString pickSaveFile(const QString &filter, const QString &, const QString &) override
    {
        fileKinds.append(QStringLiteral("save"));
        fileFilters.append(filter);
        return files.isEmpty() ? QString() : files.takeFirst();
    }
    int chosenFilter() const override { return filterChoice; }
    QString pickFileToAddTo(const QString &filter, const QString &, const QString &) override
    {
        fileKinds.append(QStringLiteral("add to"));
        fileFilters.append(filter);
        return files.isEmpty() ? QString() : files.takeFirst();
    }
};
