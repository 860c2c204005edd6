#pragma once
// What the program answers on its command line before any window exists: --version and --help are
// answered on the terminal and end the run; anything else starts the program as usual, so a second
// start with arguments still hands over to the running copy.
#include <QString>
#include <QStringList>

struct CommandLineAnswer
{
    bool answered = false; // the run ends after printing the text
    QString text;
};

// The arguments without the program's own name.
CommandLineAnswer answerCommandLine(const QStringList &arguments);
