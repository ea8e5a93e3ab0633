#include "app/CommandLine.h"
#include "core/Roff.h"

#include <QRegularExpression>

namespace {

const QString kProgram = QStringLiteral("moxeno-trellin");

struct Entry
{
    const char* term;
    const char* text;
};

// Everything the command line is and does; --help and the man page are both made from these.
const char* const kSummary = "text snippets and keyboard macros at hand in every program";
const char* const kDescription
    = "Moxeno Trellin keeps 99 boxes of 99 text snippets and up to 99 keyboard macros per box. "
      "A left click on a position copies its text to the clipboard, a right click stores the "
      "clipboard there. A macro types itself into the window you left last. A calculator, ten "
      "notepads and a search across all boxes come with it; trellinctl(1) does the same from "
      "scripts. Typing into other windows needs an X11 session (or XWayland). F1 opens the user "
      "manual.";
const Entry kOptions[] = {
    {"-h, --help", "Show this help and exit."},
    {"-v, --version", "Show the release number and exit."},
    {"--new-instance",
        "Start another copy even when one is running. Without it a start while the program runs "
        "brings the running window to the front and ends with status 0."},
    {"-platform NAME", "The Qt platform plug-in; xcb (X11, also under XWayland) when not given."},
    {"-display DISPLAY", "The X display to use instead of $DISPLAY."},
};
const Entry kExitStatus[] = {
    {"0",
        "The program was closed normally, --help or --version answered, or the running copy was "
        "brought to the front."},
    {"1",
        "The program could not start: no X11 session, or the data folder or its files could "
        "not be prepared (the reason is shown)."},
    {"2", "An argument was not understood."},
};
const Entry kEnvironment[] = {
    {"DISPLAY", "The X11 display to run on. Without it the program says so and ends."},
    {"XDG_DATA_HOME", "The parent of the default data folder (default ~/.local/share)."},
    {"XDG_RUNTIME_DIR",
        "Holds moxeno-trellin.socket, through which a second start and trellinctl(1) reach the running "
        "copy."},
    {"XDG_CONFIG_HOME", "The parent of the settings folder and of the autostart entry (default ~/.config)."},
    {"QT_QPA_PLATFORM", "The Qt platform plug-in, as -platform."},
};
const Entry kFiles[] = {
    {"~/.local/share/MoxenoTrellin/",
        "The data folder: box texts (MoxenoTrellin<N>.txt), macros (MoxenoTrellinMacros<N>.txt), box "
        "names (MoxenoTrellinNames.txt) and the backups of cleared boxes (.bak). Another folder can be "
        "chosen in the advanced options."},
    {"~/.config/MoxenoTrellin/MoxenoTrellin.ini",
        "The settings, unless a MoxenoTrellin.ini in the data folder takes their place."},
    {"~/.config/autostart/" TRELLIN_APP_ID ".desktop",
        "Starts the program with the desktop session; written and removed by the advanced options."},
    {"share/moxeno-trellin/help/index.html", "The user manual, beside the installed program."},
};
const Entry kExamples[] = {
    {"moxeno-trellin &", "Start the program from a terminal."},
    {"tar -czf trellin-backup.tar.gz -C ~/.local/share MoxenoTrellin",
        "Back up every box, macro and box name."},
    {"trellinctl get 1 2", "Print the text at position 2 of box 1 (see trellinctl(1))."},
};

QString text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// The words of a text in lines of at most 79 columns, for a text that starts at the indent
// column; every further line starts there too.
QString wrapped(const QString& words, int indent)
{
    QString result;
    int column = indent;
    for (const QString& word : words.split(u' ', Qt::SkipEmptyParts)) {
        if (!result.isEmpty() && column + 1 + word.size() > 79) {
            result += u'\n' + QString(indent, u' ');
            column = indent;
        } else if (!result.isEmpty()) {
            result += u' ';
            ++column;
        }
        result += word;
        column += int(word.size());
    }
    return result;
}

// One help section: a heading, then each term with its text beside it (below it, when the
// term is longer than the column).
template<std::size_t N> QString helpSection(const char* heading, const Entry (&entries)[N], int width)
{
    QString section = text(heading) + QStringLiteral(":\n");
    const int indent = 2 + width + 2;
    for (const Entry& entry : entries) {
        const QString term = text(entry.term);
        section += QStringLiteral("  ") + term.leftJustified(width);
        section += term.size() > width ? u'\n' + QString(indent, u' ') : QStringLiteral("  ");
        section += wrapped(text(entry.text), indent) + u'\n';
    }
    return section;
}

template<std::size_t N> QString manSection(const char* heading, const Entry (&entries)[N], bool boldTerms)
{
    QString section = QStringLiteral(".SH %1\n").arg(text(heading).toUpper());
    for (const Entry& entry : entries) {
        section += QStringLiteral(".TP\n%1%2\n%3\n")
                       .arg(boldTerms ? QStringLiteral(".B ") : QString(), roff(text(entry.term)),
                           roff(text(entry.text)));
    }
    return section;
}

bool isOneOf(const QString& argument, std::initializer_list<const char*> names)
{
    return std::any_of(
        names.begin(), names.end(), [&](const char* name) { return argument == QLatin1String(name); });
}

} // namespace

CommandLine::Outcome CommandLine::beforeDisplay(const QStringList& arguments)
{
    for (const QString& argument : arguments.mid(1)) {
        if (isOneOf(argument, {"-h", "--help"}))
            return {false, Success, helpText()};
        if (isOneOf(argument, {"-v", "--version"}))
            return {false, Success, QStringLiteral("%1 %2\n").arg(kProgram, QStringLiteral(TRELLIN_VERSION))};
    }
    return {};
}

CommandLine::Outcome CommandLine::afterDisplay(const QStringList& arguments)
{
    for (const QString& argument : arguments.mid(1)) {
        if (argument != QLatin1String("--new-instance"))
            return {false, BadArguments,
                QStringLiteral("%1: '%2' is not understood; see %1 --help\n").arg(kProgram, argument)};
    }
    return {};
}

bool CommandLine::newInstance(const QStringList& arguments)
{
    return arguments.mid(1).contains(QLatin1String("--new-instance"));
}

QString CommandLine::platform(const QStringList& arguments)
{
    QString chosen = QString::fromLocal8Bit(qgetenv("QT_QPA_PLATFORM"));
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (isOneOf(arguments.at(i), {"-platform", "--platform"}) && i + 1 < arguments.size())
            chosen = arguments.at(i + 1);
        else if (arguments.at(i).startsWith(QLatin1String("-platform=")))
            chosen = arguments.at(i).section(u'=', 1);
    }
    // Qt takes a list of fallbacks ("xcb;offscreen") and plug-in options after a colon.
    chosen = chosen.section(u';', 0, 0).section(u':', 0, 0);
    return chosen.isEmpty() ? QStringLiteral("xcb") : chosen;
}

QString CommandLine::helpText()
{
    QString help
        = QStringLiteral("Usage: %1 [OPTION]...\n%2\n\n").arg(kProgram, wrapped(text(kDescription), 0));
    help += helpSection("Options", kOptions, 18) + u'\n';
    help += helpSection("Exit status", kExitStatus, 2) + u'\n';
    help += helpSection("Environment", kEnvironment, 16) + u'\n';
    help += helpSection("Files", kFiles, 40) + u'\n';
    help += helpSection("Examples", kExamples, 40);
    return help;
}

QString CommandLine::manPage()
{
    QString page = QStringLiteral(".TH MOXENO\\-TRELLIN 1 \"\" \"%1 %2\" \"User Commands\"\n")
                       .arg(kProgram, QStringLiteral(TRELLIN_VERSION));
    page += QStringLiteral(".SH NAME\n%1 \\- %2\n").arg(roff(kProgram), roff(text(kSummary)));
    page += QStringLiteral(".SH SYNOPSIS\n.B %1\n[\\fIOPTION\\fR]...\n").arg(roff(kProgram));
    page += QStringLiteral(".SH DESCRIPTION\n%1\n").arg(roff(text(kDescription)));
    page += manSection("Options", kOptions, true);
    page += manSection("Exit status", kExitStatus, false);
    page += manSection("Environment", kEnvironment, true);
    page += manSection("Files", kFiles, false);
    page += manSection("Examples", kExamples, true);
    page += QStringLiteral(".SH SEE ALSO\n.BR trellinctl (1)\n");
    // A sentence that names another page is set as that page's reference.
    static const QRegularExpression reference(QStringLiteral("trellinctl\\(1\\)"));
    return page.replace(reference, QStringLiteral("\\fBtrellinctl\\fR(1)"));
}
