#pragma once
// The printout of the view page's list: the title, the date range, six columns of what the list
// shows (never the remarks), rows as tall as their wrapped texts, the totals, centred on the page;
// the column titles head every page.
#include "ui/printgrid.h"

#include <QDate>
#include <QList>
#include <QStringList>

class SuperEditBox;

// Fills the grid from the list's rows (seven cells each, as the view shows them). Texts wrap as
// the measuring box wraps them at its width; without one, a box of 115 pixels is used.
void buildListPrintout(PrintGrid &grid, const QList<QStringList> &rows, const QDate &start, const QDate &end,
                       const SuperEditBox *measure = nullptr);
