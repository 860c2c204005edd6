#pragma once
// The OLE2 compound file around a workbook, through libgsf: take the workbook stream out of a
// file's bytes, and build a file's bytes around a new workbook stream.
#include <QByteArray>
#include <QString>

// Takes the BIFF8 "Workbook" stream out of the bytes of a compound file. False with an error
// text when the bytes are no compound file, hold no Workbook stream (an older "Book" stream
// counts as no BIFF8 workbook), or the stream cannot be read whole.
bool readWorkbookStream(const QByteArray &file, QByteArray *workbook, QString *error);

// Builds the bytes of a compound file whose first stream is "Workbook" holding workbook. When
// original (the bytes of an existing compound file) is given, every other stream and storage of
// it is copied unchanged, class ids included.
bool buildCompoundFile(const QByteArray &workbook, const QByteArray &original, QByteArray *file,
                       QString *error);
