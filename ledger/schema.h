#pragma once
// The tables of the program's two kinds of database file, as Jet statements.
#include <QStringList>

// data/yhlb.dat: one row per registered user.
QStringList userDirectorySchema();
// data/<name>_lc.dat: the owner's account, the ledger records and the three lookup lists.
QStringList ledgerSchema();
