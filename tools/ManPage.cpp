#include "app/CommandLine.h"

#include <QFile>

#include <cstdio>

// Writes the man page of moxeno-trellin, made from the same table as its --help, to the file
// named by the argument.
int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: trellin-manpage OUTPUT\n", stderr);
        return 2;
    }
    QFile page(QString::fromLocal8Bit(argv[1]));
    if (!page.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || page.write(CommandLine::manPage().toUtf8()) < 0 || !page.flush()) {
        std::fprintf(stderr, "trellin-manpage: %s\n", page.errorString().toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
