#include "instances.h"

DbConnection directoryConnection;
DbRecordset directoryRecordset;
DbConnection userConnection;
DbRecordset userRecordset;
DbConnection auxConnection;
DbRecordset auxRecordset;

void closeDataAccess()
{
    for (DbRecordset *recordset : {&directoryRecordset, &userRecordset, &auxRecordset})
        recordset->Close();
    for (DbConnection *connection : {&directoryConnection, &userConnection, &auxConnection})
        connection->Close();
}
