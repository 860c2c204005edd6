#pragma once
// The entry page: new entries gathered in a pending list and saved together, or one record of the
// view page modified; the lookup lists of types, names and persons kept with the form.
#include "pageunits.h"

#include "ledger/entry.h"
#include "ledger/lookups.h"

#include <QObject>

class MainWindow;
class Prompter;
class ViewPage;

class EntryPage : public QObject
{
    Q_OBJECT
public:
    EntryPage(MainWindow *owner, Prompter &prompts, ViewPage &shownView, QObject *parent);
    // Draws the one-time hint at the choice of expense or income, shown until the person
    // dismissed it once.
    static void placeHint(const EntryUnits &entry);

    // A new entry: editing id 0, the form cleared.
    void prepareEntry();
    bool checkAndKeepLookups(const EntryForm &form, bool adding, CheckedEntry *checked);
    void addPendingEntry();
    void removePendingEntry();
    void saveEntries();
    // The record chosen on the view page into the form, shown as "修改".
    void modifySelected();
    qint64 editingRecord() const { return editingId; }
    // The logged-in user's lookup lists: types, the names of the type shown, persons.
    void loadLookupLists();

private:
    EntryForm entryForm() const;
    void setAmountKind(bool income);
    void resetEntryForm();
    LookupLists lookupLists() const;
    void applyLookupLists(const LookupLists &lists);

    MainWindow *main;
    Prompter &prompter;
    ViewPage &viewPage;
    EntryUnits entry;
    qint64 editingId = 0;
};
