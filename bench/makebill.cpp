// Writes a WeChat Pay CSV bill of the given number of trades, for looking at the bill import
// window on a long bill by hand.
//   makebill <file> <trades>
#include "billwriter.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rows = argc == 3 ? QString::fromLatin1(argv[2]).toInt() : 0;
    if (rows <= 0) {
        std::fprintf(stderr, "usage: makebill <file> <trades>\n");
        return 2;
    }
    if (!writeWeChatBill(QFile::decodeName(argv[1]), rows)) {
        std::fprintf(stderr, "the bill could not be written\n");
        return 1;
    }
    return 0;
}
