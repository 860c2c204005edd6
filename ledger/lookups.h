#pragma once
// The drop-down lists of the entry page, and removing records and lookup values.
#include "common/prompter.h"
#include "dataaccess/dbrecordset.h"

#include <QStringList>

#include <functional>

// Fills the list from the table and gives the text box its first item, or the default when
// the table is empty: "生活" for types, "早餐" for names, the user's own name for persons.
void loadItemTypes(DbRecordset &recordset, QStringList &types, QString &typeBox);
void loadItemNames(DbRecordset &recordset, const QString &type, QStringList &names, QString &nameBox);
void loadPersons(DbRecordset &recordset, const QString &currentUser, QStringList &persons, QString &personBox);

// Deletes a record of the detail view after asking; afterDeletion runs before the success
// message (remove the row, recompute the totals).
bool deleteRecord(DbConnection &connection, qint64 id, Prompter &prompter, const std::function<void()> &afterDeletion);

// Deletes an item name under every type, after asking.
bool deleteItemName(DbConnection &connection, const QString &name, QStringList &names, QString &nameBox,
                    Prompter &prompter);

// Deletes an item type and its item names, after asking; the names of the type shown next are
// loaded.
bool deleteItemType(DbConnection &connection, DbRecordset &recordset, const QString &type, QStringList &types,
                    QString &typeBox, QStringList &names, QString &nameBox, Prompter &prompter);
