#pragma once
// The ledger into an Excel 97-2003 workbook, and a workbook's rows back into the ledger with the
// records it holds already skipped.
#include "common/prompter.h"

#include <functional>

// Asks for the workbook, proposing "理财数据(<today>)", and writes every record into its
// worksheet lcsj.
void exportLedger(Prompter &prompter);

// Asks twice and for the workbook, adds the sheet's new rows and tells how many came in; the view
// is refreshed after a successful import.
void importLedger(Prompter &prompter, const std::function<void()> &refreshView);
