#include "cli/CtlDocs.h"
#include "core/Roff.h"

#include <QMap>

namespace {

constexpr qsizetype kColumn = 30; // where the help lines start in --help

// The commands whose arguments are all operands, "calc, keys and replace".
QString operandCommands(const QList<CtlCommand>& commands)
{
    QStringList names;
    for (const CtlCommand& command : commands) {
        if (command.operands)
            names.append(command.name);
    }
    const QString last = names.isEmpty() ? QString() : names.takeLast();
    return names.isEmpty() ? last : names.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

// The options of the commands, each once, with the commands that take it.
QMap<QString, QPair<CtlOption, QStringList>> optionsOf(const QList<CtlCommand>& commands)
{
    QMap<QString, QPair<CtlOption, QStringList>> options;
    for (const CtlCommand& command : commands) {
        for (const CtlOption& option : command.options) {
            auto& entry = options[option.name];
            if (entry.second.isEmpty())
                entry.first = option;
            entry.second.append(command.name);
        }
    }
    return options;
}

// A help line as a sentence of the man page: "the data folder" becomes "The data folder.".
QString sentence(const QString& help)
{
    QString text = help;
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text.endsWith(u'.') ? text : text + u'.';
}

QStringList wordsOf(const QList<CtlCommand>& commands, bool subcommands)
{
    QStringList words;
    for (const CtlCommand& command : commands) {
        const QStringList name = command.name.split(u' ');
        const QString word = subcommands ? name.value(1) : name.first();
        if (!word.isEmpty() && !words.contains(word))
            words.append(word);
    }
    return words;
}

QStringList optionWords(const CtlCommand& command)
{
    QStringList words {QStringLiteral("--data")};
    for (const CtlOption& option : command.options)
        words.append(QStringLiteral("--") + option.name);
    return words;
}

QString bash(const QList<CtlCommand>& commands)
{
    QString cases;
    for (const CtlCommand& command : commands)
        cases += QStringLiteral("        '%1') opts='%2' ;;\n")
                     .arg(command.name, optionWords(command).join(u' '));
    QStringList valued {
        QStringLiteral("--now"), QStringLiteral("--answer"), QStringLiteral("--box"), QStringLiteral("--dp")};
    return QStringLiteral(
        "# bash completion for trellinctl; made from its command table by \"trellinctl --completion bash\".\n"
        "_trellinctl()\n"
        "{\n"
        "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} i=1 cmd= opts=\n"
        "    COMPREPLY=()\n"
        "    case $prev in\n"
        "        --data) COMPREPLY=($(compgen -d -- \"$cur\")); return ;;\n"
        "        %3) return ;;\n"
        "    esac\n"
        "    while (( i < COMP_CWORD )); do\n"
        "        case ${COMP_WORDS[i]} in\n"
        "            --data) (( i += 2 )) ;;\n"
        "            -*) (( i++ )) ;;\n"
        "            *) cmd=${COMP_WORDS[i]}; break ;;\n"
        "        esac\n"
        "    done\n"
        "    if [[ -z $cmd ]]; then\n"
        "        COMPREPLY=($(compgen -W '%1 --data --help --version' -- \"$cur\"))\n"
        "        return\n"
        "    fi\n"
        "    if [[ $cmd == macro ]]; then\n"
        "        if (( COMP_CWORD == i + 1 )); then\n"
        "            COMPREPLY=($(compgen -W '%2' -- \"$cur\"))\n"
        "            return\n"
        "        fi\n"
        "        cmd=\"macro ${COMP_WORDS[i+1]}\"\n"
        "    fi\n"
        "    case $cmd in\n"
        "%4"
        "    esac\n"
        "    if [[ $cur == -* ]]; then\n"
        "        COMPREPLY=($(compgen -W \"$opts\" -- \"$cur\"))\n"
        "    elif [[ $cmd == data-folder ]]; then\n"
        "        COMPREPLY=($(compgen -d -- \"$cur\"))\n"
        "    elif [[ $cmd == move && $prev =~ ^[0-9]+$ ]]; then\n"
        "        COMPREPLY=($(compgen -W 'left right' -- \"$cur\"))\n"
        "    fi\n"
        "}\n"
        "complete -F _trellinctl trellinctl\n")
        .arg(wordsOf(commands, false).join(u' '), wordsOf(commands, true).join(u' '), valued.join(u'|'),
            cases);
}

QString zsh(const QList<CtlCommand>& commands)
{
    QString described;
    QString subDescribed;
    QString cases;
    for (const CtlCommand& command : commands) {
        QString help = command.help;
        help.replace(u'\'', QStringLiteral("'\\''")).replace(u':', QStringLiteral("\\:"));
        const QStringList name = command.name.split(u' ');
        (name.size() == 1 ? described : subDescribed)
            += QStringLiteral("        '%1:%2'\n").arg(name.last(), help);
        cases += QStringLiteral("        ('%1') opts=(%2) ;;\n")
                     .arg(command.name, optionWords(command).join(u' '));
    }
    // "macro" stands for its subcommands in the first list.
    described += QStringLiteral("        'macro:list, get or set the macros of a box'\n");
    return QStringLiteral(
        "#compdef trellinctl\n"
        "# zsh completion for trellinctl; made from its command table by \"trellinctl --completion zsh\".\n"
        "local -a commands subcommands opts\n"
        "commands=(\n%1    )\n"
        "subcommands=(\n%2    )\n"
        "local i=2 cmd=\n"
        "case ${words[CURRENT-1]} in\n"
        "    --data) _files -/; return ;;\n"
        "    --now|--answer|--box|--dp) return ;;\n"
        "esac\n"
        "while (( i < CURRENT )); do\n"
        "    case ${words[i]} in\n"
        "        --data) (( i += 2 )) ;;\n"
        "        -*) (( i++ )) ;;\n"
        "        *) cmd=${words[i]}; break ;;\n"
        "    esac\n"
        "done\n"
        "if [[ -z $cmd ]]; then\n"
        "    if [[ ${words[CURRENT]} == -* ]]; then\n"
        "        compadd -- --data --help --version\n"
        "    else\n"
        "        _describe -t commands 'trellinctl command' commands\n"
        "    fi\n"
        "    return\n"
        "fi\n"
        "if [[ $cmd == macro ]]; then\n"
        "    if (( CURRENT == i + 1 )); then\n"
        "        _describe -t commands 'macro command' subcommands\n"
        "        return\n"
        "    fi\n"
        "    cmd=\"macro ${words[i+1]}\"\n"
        "fi\n"
        "case $cmd in\n"
        "%3"
        "esac\n"
        "if [[ ${words[CURRENT]} == -* ]]; then\n"
        "    compadd -- $opts\n"
        "elif [[ $cmd == data-folder ]]; then\n"
        "    _files -/\n"
        "elif [[ $cmd == move && ${words[CURRENT-1]} == <-> ]]; then\n"
        "    compadd -- left right\n"
        "fi\n")
        .arg(described, subDescribed, cases);
}

} // namespace

namespace CtlDocs {

QString usageLine(const CtlCommand& command)
{
    return QStringLiteral("usage: trellinctl [--data DIR] %1\n").arg(command.synopsis());
}

QString usage(const QList<CtlCommand>& commands)
{
    QString text = QStringLiteral("usage: trellinctl [--data DIR] COMMAND [OPTIONS] [ARGUMENTS]\n"
                                  "       trellinctl --help | --version\n\nCommands:\n");
    for (const CtlCommand& command : commands) {
        const QString synopsis = QStringLiteral("  ") + command.synopsis();
        text += synopsis.size() < kColumn ? synopsis.leftJustified(kColumn)
                                          : synopsis + u'\n' + QString(kColumn, u' ');
        text += command.help + u'\n';
    }
    text += QStringLiteral(
        "\nBOX, POS and N are numbers from 1 to 99; texts go in and out as UTF-8.\n"
        "--data DIR works on that data folder instead of the one in the settings.\n"
        "\"--\" ends the options of a command. After the options of %1\n"
        "every argument is an operand, even one that starts with \"-\" (trellinctl calc -7/8).\n"
        "Exit status: 0 success, 1 failure (the reason on standard error), 2 bad arguments.\n"
        "More in \"man trellinctl\".\n")
                .arg(operandCommands(commands));
    return text;
}

QString manPage(const QList<CtlCommand>& commands, const QString& version)
{
    QString page = QStringLiteral(
        ".TH TRELLINCTL 1 \"\" \"trellinctl %1\" \"User Commands\"\n"
        ".SH NAME\n"
        "trellinctl \\- read and change the boxes, macros and options of Moxeno Trellin\n"
        ".SH SYNOPSIS\n"
        ".B trellinctl\n"
        ".RB [ \\-\\-data\n"
        ".IR DIR ]\n"
        ".I COMMAND\n"
        ".RI [ OPTIONS ]\n"
        ".RI [ ARGUMENTS ]\n"
        ".br\n"
        ".B trellinctl\n"
        ".BR \\-\\-help \" | \" \\-\\-version\n"
        ".SH DESCRIPTION\n"
        ".B trellinctl\n"
        "works on the same files as the Moxeno Trellin window and follows the same rules: 99 boxes of 99\n"
        "texts, up to 99 macros a box. Scripts use it to export and fill positions, tidy boxes, try out\n"
        "macros and the keystroke notation, and calculate. BOX, POS and N are numbers from 1 to 99.\n"
        "Texts are read from standard input and written to standard output as UTF-8.\n"
        ".PP\n"
        "Commands that only read never change a file. No command other than\n"
        ".B data\\-folder\n"
        "writes a setting. What is stored in a position or a macro is replaced or deleted only with\n"
        ".BR \\-\\-force .\n"
        ".PP\n"
        "\\(lq\\-\\-\\(rq ends the options of a command. After the options of %2, every argument is an "
        "operand,\n"
        "even one that starts with \\(lq\\-\\(rq.\n"
        ".SH COMMANDS\n")
                       .arg(version, roff(operandCommands(commands)));
    for (const CtlCommand& command : commands) {
        page
            += QStringLiteral(".TP\n.B %1\n%2\n").arg(roff(command.synopsis()), roff(sentence(command.help)));
        if (!command.details.isEmpty())
            page += roff(command.details) + u'\n';
    }
    page += QStringLiteral(
        ".SH OPTIONS\n"
        ".TP\n"
        ".BI \\-\\-data \" DIR\"\n"
        "Work on the data folder DIR instead of the one in the settings (also written \\-\\-data=DIR).\n"
        "The folder must exist.\n"
        ".TP\n"
        ".BR \\-h \", \" \\-\\-help\n"
        "Print the commands and exit.\n"
        ".TP\n"
        ".B \\-\\-version\n"
        "Print the version and exit.\n");
    const auto options = optionsOf(commands);
    for (auto it = options.begin(); it != options.end(); ++it) {
        const CtlOption& option = it->first;
        page += QStringLiteral(".TP\n.B \\-\\-%1%2\n%3 (%4).\n")
                    .arg(roff(option.name),
                        option.value.isEmpty() ? QString() : QStringLiteral(" ") + roff(option.value),
                        roff(sentence(option.help).chopped(1)), roff(it->second.join(QStringLiteral(", "))));
    }
    page += QStringLiteral(
        ".SH EXIT STATUS\n"
        ".TP\n.B 0\nSuccess.\n"
        ".TP\n.B 1\nFailure: the reason is one line on standard error. Also: search found nothing, a\n"
        "macro run was aborted or failed.\n"
        ".TP\n.B 2\nBad arguments: the reason and the usage line on standard error.\n"
        ".SH ENVIRONMENT\n"
        ".TP\n.B XDG_CONFIG_HOME\n"
        "Holds MoxenoTrellin/MoxenoTrellin.ini, the settings (default ~/.config).\n"
        ".TP\n.B XDG_DATA_HOME\n"
        "Holds MoxenoTrellin/, the default data folder (default ~/.local/share).\n"
        ".TP\n.B HOME\n"
        "Where the two folders above are when the variables are not set.\n"
        ".TP\n.B DISPLAY\n"
        "The X11 display that\n.B play\nand\n.B type\ntype into.\n"
        ".TP\n.BR LC_ALL \", \" LC_TIME \", \" LANG\n"
        "The locale of the dates, times and numbers a macro types.\n"
        ".SH FILES\n"
        ".TP\n.I ~/.config/MoxenoTrellin/MoxenoTrellin.ini\n"
        "The settings; the data folder is DataPath in section Defaults. A copy in the default data\n"
        "folder is used instead when it exists.\n"
        ".TP\n.I ~/.local/share/MoxenoTrellin/\n"
        "The default data folder: MoxenoTrellin1.txt to MoxenoTrellin99.txt (the texts),\n"
        "MoxenoTrellinMacros1.txt to MoxenoTrellinMacros99.txt (the macros) and MoxenoTrellinNames.txt\n"
        "(the box names), in Windows\\-1252 with CR LF line ends.\n"
        ".TP\n.I ~/.config/MoxenoTrellin/.MoxenoTrellin.window.lock\n"
        "Locked while the window runs;\n.B data\\-folder NEW\nis refused then.\n"
        ".SH EXAMPLES\n"
        "Save position 12 of box 3 to a file, and store a file in position 5:\n"
        ".PP\n.nf\n.RS\n"
        "trellinctl get 3 12 > letter.txt\n"
        "trellinctl set \\-\\-force 3 5 < address.txt\n"
        ".RE\n.fi\n.PP\n"
        "Store a macro and see the steps it would play:\n"
        ".PP\n.nf\n.RS\n"
        "printf 'Greeting>Hello{TAB}~' | trellinctl macro set 1 1\n"
        "trellinctl play \\-\\-dry\\-run 1 1\n"
        ".RE\n.fi\n.PP\n"
        "Calculate, search, and move the data to a memory stick while the window is closed:\n"
        ".PP\n.nf\n.RS\n"
        "trellinctl calc \\-7/8\n"
        "trellinctl search \\-\\-box 3 invoice\n"
        "trellinctl data\\-folder /media/stick/trellin\n"
        ".RE\n.fi\n"
        ".SH SEE ALSO\n"
        ".BR moxeno\\-trellin (1)\n");
    return page;
}

QString completion(const QList<CtlCommand>& commands, const QString& shell)
{
    if (shell == QStringLiteral("bash"))
        return bash(commands);
    if (shell == QStringLiteral("zsh"))
        return zsh(commands);
    return QString();
}

} // namespace CtlDocs
