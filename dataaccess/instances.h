#pragma once
// The six data-access objects of the program, alive for the whole run: the user directory, the
// logged-in user's ledger, and a foreign file (a backup or an older-version file) with their
// recordsets.
#include "dbrecordset.h"

extern DbConnection directoryConnection;
extern DbRecordset directoryRecordset;
extern DbConnection userConnection;
extern DbRecordset userRecordset;
extern DbConnection auxConnection;
extern DbRecordset auxRecordset;

// Closes the six, recordsets first: at the end of the run, and before the household's databases
// are copied between the data folder and a server.
void closeDataAccess();
