#pragma once
// The two modal windows every part of the program speaks through: the message window and the
// confirmation window, both titled "提示：" unless a title is given.
#include "common/prompter.h"

#include <QString>

inline const QString defaultPromptTitle = QStringLiteral("提示：");

// Opens the message window modally; returns when it is closed.
void showMessage(const QString &text, const QString &title = defaultPromptTitle);
// Opens the confirmation window modally; yes only when "确定" was pressed.
bool askConfirm(const QString &text, const QString &title = defaultPromptTitle);

// The prompter the program hands to its operations: the two windows and the file dialogs.
class WindowPrompter : public Prompter
{
public:
    void showMessage(const QString &text) override;
    bool askConfirm(const QString &text) override;
    QString pickOpenFile(const QString &filter, const QString &defaultExtension) override;
    QString pickSaveFile(const QString &filter, const QString &defaultExtension, const QString &proposedName) override;
    QString pickFileToAddTo(const QString &filter, const QString &defaultExtension, const QString &proposedName) override;
    // The progress window (progresswindow.h); the work runs on this thread in steps.
    void beginProgress(const QString &what, qint64 total, bool cancellable) override;
    bool stepProgress(qint64 done) override;
    void endProgress() override;
    int chosenFilter() const override { return filterChosen; }

private:
    QString pickSaveFile(const QString &filter, const QString &defaultExtension, const QString &proposedName,
                                bool confirmOverwrite);
    int filterChosen = -1;
};
WindowPrompter &windowPrompter();
