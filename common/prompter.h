#pragma once
// How a user-level operation reaches the person: messages, yes/no questions and file choices.
// The program hands in its skinned windows; tests hand in a script.
#include <QString>
#include <QtGlobal>

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
    // Which filter of the last file dialog the person chose, from 0, for filters that share an
    // extension; -1 when it is not known.
    virtual int chosenFilter() const { return -1; }

    // Long work tells how far it is: `total` 0 means the end is not known. stepProgress returns
    // false once the person asked to stop; work that can be cancelled then leaves the ledger and
    // the files as they were. Work that cannot be cancelled ignores the answer.
    virtual void beginProgress(const QString &what, qint64 total, bool cancellable)
    {
        Q_UNUSED(what) Q_UNUSED(total) Q_UNUSED(cancellable)
    }
    virtual bool stepProgress(qint64 done)
    {
        Q_UNUSED(done)
        return true;
    }
    virtual void endProgress() {}
};

// Opens a progress report for one piece of work and closes it on every way out.
class ProgressScope
{
public:
    ProgressScope(Prompter &reporter, const QString &what, qint64 total, bool cancellable) : prompter(reporter)
    {
        prompter.beginProgress(what, total, cancellable);
    }
    ~ProgressScope() { prompter.endProgress(); }
    ProgressScope(const ProgressScope &) = delete;
    ProgressScope &operator=(const ProgressScope &) = delete;
    bool step(qint64 done) { return prompter.stepProgress(done); }

private:
    Prompter &prompter;
};
