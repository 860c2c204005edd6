// skinbuilder LIST PICTURE_FOLDER OUTPUT: writes the enciphered skin file the program reads.
#include "skinlist.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: skinbuilder LIST PICTURE_FOLDER OUTPUT\n");
        return 2;
    }
    const QString error = buildSkinFile(args[1], args[2], args[3]);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "skinbuilder: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
