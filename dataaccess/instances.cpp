#include "instances.h"

DbConnection directoryConnection;
DbRecordset directoryRecordset;
DbConnection userConnection;
DbRecordset userRecordset;
DbConnection auxConnection;
DbRecordset auxRecordset;
