// A whole .xls file: its compound file gives up its workbook stream, which a rebuilt compound file
// gives back unchanged, and the workbook meets every promise of the reader and the writer.
#include "xlschecks.h"

#include "dataaccess/xls/compoundfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = fuzz::programFolder() + QStringLiteral("/fuzz.xls");
    const QByteArray file(reinterpret_cast<const char *>(data), qsizetype(size));
    QByteArray stream;
    QString error;
    if (readWorkbookStream(file, &stream, &error)) {
        QByteArray rebuilt;
        if (buildCompoundFile(stream, file, &rebuilt, &error)) {
            QByteArray back;
            FUZZ_CHECK(readWorkbookStream(rebuilt, &back, &error), error);
            FUZZ_CHECK(back == stream, QStringLiteral("the rebuilt file holds another workbook stream"));
        }
    } else {
        FUZZ_CHECK(!error.isEmpty(), QStringLiteral("refused without a reason"));
    }
    QFile::remove(path);
    FUZZ_CHECK(fuzz::writeBytes(path, file), path);
    fuzz::checkWorkbookFile(path);
    return 0;
}
