#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One row of trellinctl's command table. The same rows drive parsing, dispatch, --help, the
// usage line of a bad call, the man page and the shell completion, so none of them can forget a
// command or an option.
struct CtlOption
{
    QString name; // without the leading "--"
    QString value; // the value's name ("N", "TIME"); empty for a switch
    QString help;
    bool required = false;
};

struct CtlCommand
{
    QString name; // "names", or two words for a subcommand ("macro set")
    QStringList arguments; // "BOX", "POS", "N" are numbers 1..99; "a|b" takes one of the words
    int optionalArguments = 0; // how many of the last arguments may be left out
    QList<CtlOption> options;
    // After the command's own options every argument is an operand, even one that starts with
    // "-" (an expression, a key notation, a text to replace).
    bool operands = false;
    // Reads the settings and works on the data folder.
    bool usesData = false;
    QString help; // one line for --help
    QString details; // more for the man page (may be empty)

    // "set [--force] BOX POS": the command as the usage line shows it.
    QString synopsis() const
    {
        QStringList parts {name};
        for (const CtlOption& option : options) {
            const QString text = QStringLiteral("--%1%2").arg(
                option.name, option.value.isEmpty() ? QString() : u' ' + option.value);
            parts.append(option.required ? text : u'[' + text + u']');
        }
        for (qsizetype i = 0; i < arguments.size(); ++i)
            parts.append(
                i >= arguments.size() - optionalArguments ? u'[' + arguments[i] + u']' : arguments[i]);
        return parts.join(u' ');
    }
};
