// A bare workbook stream (BIFF8 records), wrapped in a compound file of our own: the stream comes
// back out unchanged, and the workbook meets every promise of the reader and the writer.
#include "xlschecks.h"

#include "dataaccess/xls/compoundfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = fuzz::programFolder() + QStringLiteral("/fuzz.xls");
    const QByteArray stream(reinterpret_cast<const char *>(data), qsizetype(size));
    QByteArray file;
    QString error;
    FUZZ_CHECK(buildCompoundFile(stream, QByteArray(), &file, &error), error);
    QByteArray back;
    FUZZ_CHECK(readWorkbookStream(file, &back, &error), error);
    FUZZ_CHECK(back == stream, QStringLiteral("the compound file holds another workbook stream"));
    QFile::remove(path);
    FUZZ_CHECK(fuzz::writeBytes(path, file), path);
    fuzz::checkWorkbookFile(path);
    return 0;
}
