#pragma once
// The Jet functions and text ordering every connection installs: month(), year(), now(),
// DateAdd() and the rest, jetdate() and jetcat() for translated statements, and the letter-case-
// blind collation that sorts digits and Latin letters before Chinese, and Chinese by pronunciation.
struct sqlite3;

bool installJetFunctions(sqlite3 *db);

// Compares two UTF-8 texts as the ledger orders them; exposed for tests and sorting in memory.
int jetCompare(const char *a, int aLength, const char *b, int bLength);

// Forgets the sort keys the ordering keeps, so tests see it from an empty store.
void forgetKeptSortKeys();
