#pragma once
// The detail view of all thirty years through the core as the view page reads it, totals
// included, timed on the program's ledger objects, which the caller has opened on a ledger of
// 100,000 records; they are closed after.
#include "coldclock.h"
#include "ledgerbench.h"

#include "dataaccess/instances.h"
#include "reports/views.h"

#include <QDate>
#include <benchmark/benchmark.h>

inline void timeThirtyYearDetailView(benchmark::State &state)
{
    userRecordset.SetConnection(userConnection);
    SilentPrompter prompter;
    ColdClock cold(state);
    TextTable rows; // the view page reads each view into the memory of the one before
    for (auto _ : state) {
        Totals totals;
        queryViewTable(userRecordset, true, detailMode, ViewGrouping::None, QDate(1990, 1, 1), QDate(2030, 12, 31),
                       prompter, &rows, &totals);
        benchmark::DoNotOptimize(totals.expense);
        if (rows.rowCount() != 100000)
            state.SkipWithError("the view lost rows");
        cold.lap();
    }
    userRecordset.Close();
    userConnection.Close();
}
