#pragma once

#include <QString>
#include <QStringList>

// The command line of moxeno-trellin. One table of options, exit statuses, environment
// variables, files and examples feeds both --help and the man page, so they cannot drift apart.
// Qt Core only: --help and --version must answer before any display is opened.
class CommandLine
{
public:
    // What main() does with the arguments: go on and start, or end at once with a status, after
    // printing a text (on standard output for status 0, else on standard error).
    struct Outcome
    {
        bool start = true;
        int status = 0;
        QString text;
    };

    enum Status
    {
        Success = 0,
        Failure = 1,
        BadArguments = 2
    };

    // Before the display is opened: answers --help and --version. Qt's own options
    // (-platform, -display ...) are left for QApplication.
    static Outcome beforeDisplay(const QStringList& arguments);
    // With the arguments QApplication left over: anything still there is not understood.
    static Outcome afterDisplay(const QStringList& arguments);
    // Whether --new-instance asks for a copy of its own beside a running one.
    static bool newInstance(const QStringList& arguments);
    // The Qt platform that will be used: the -platform argument, else QT_QPA_PLATFORM, else xcb.
    static QString platform(const QStringList& arguments);

    static QString helpText();
    // The man page, in roff (man(7)).
    static QString manPage();
};
