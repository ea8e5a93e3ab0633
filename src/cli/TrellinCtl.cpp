#include "cli/TrellinCtl.h"

#include "boxes/BoxManager.h"
#include "boxes/BoxStore.h"
#include "boxes/DataFolderMove.h"
#include "boxes/NamesFile.h"
#include "boxes/Startup.h"
#include "calc/Calculator.h"
#include "calc/CalculatorMessages.h"
#include "calc/ResultFormat.h"
#include "cli/CliPrompter.h"
#include "cli/CtlDocs.h"
#include "cli/FocusedWindowHost.h"
#include "core/Clipboard.h"
#include "core/DataContext.h"
#include "core/DataFiles.h"
#include "core/RecordFile.h"
#include "core/Settings.h"
#include "core/SettingsStore.h"
#include "core/StatusLog.h"
#include "core/WindowLock.h"
#include "macros/ClockFormats.h"
#include "macros/KeystrokeNotation.h"
#include "macros/MacroInterpreter.h"
#include "macros/MacroStore.h"
#include "macros/RecordingHost.h"
#include "macros/TypeNotation.h"
#include "notepads/FindReplace.h"
#include "platform/DetachedClipboard.h"
#include "platform/KeySender.h"
#include "remote/InstanceChannel.h"
#include "search/SearchEngine.h"
#include "search/SearchTexts.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>
#include <cmath>

namespace {

// A box or position number: plain digits, 1..99.
std::optional<int> number(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    const bool digitsOnly
        = std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (!ok || !digitsOnly || value < 1 || value > 99)
        return std::nullopt;
    return value;
}

bool isNumberArgument(const QString& name)
{
    return name == QStringLiteral("BOX") || name == QStringLiteral("POS") || name == QStringLiteral("N");
}

QString firstLine(const QString& text)
{
    const auto end
        = std::find_if(text.cbegin(), text.cend(), [](QChar c) { return c == u'\r' || c == u'\n'; });
    return text.left(end - text.cbegin());
}

// A clipboard for commands that never reach the clipboard.
class NoClipboard : public Clipboard
{
public:
    bool clear() override { return false; }
    bool setText(const QString&) override { return false; }
    QString text() override { return QString(); }
};

// The data folder and the services one command works with. Nothing here writes a setting:
// the overwrite question is always asked (of the command line's --force), whatever the
// window's warning setting is, and the answer never touches that setting.
struct Session
{
    explicit Session(bool force)
        : store(SettingsStore::fromEnvironment())
        , settings(store)
        , prompter(force)
        , context(settings, log, prompter)
    {
        context.setWarnOverwrite(true);
    }
    SettingsStore store;
    Settings settings;
    StatusLog log;
    CliPrompter prompter;
    DataContext context;
};

const CtlOption kForce {QStringLiteral("force"), {}, QStringLiteral("replace or clear what is stored there")};
const CtlOption kNow {
    QStringLiteral("now"), QStringLiteral("TIME"), QStringLiteral("the clock, as \"YYYY-MM-DD hh:mm:ss\"")};
const CtlOption kAnswer {
    QStringLiteral("answer"), QStringLiteral("TEXT"), QStringLiteral("the answer to input steps")};

} // namespace

const QList<TrellinCtl::Row>& TrellinCtl::table()
{
    using S = QStringList;
    static const QList<Row> rows {
        {{QStringLiteral("names"), {}, 0, {}, false, true, QStringLiteral("the 99 box names, one a line"),
             {}},
            &TrellinCtl::names},
        {{QStringLiteral("get"), S {"BOX", "POS"}, 0, {}, false, true,
             QStringLiteral("the stored text of a position"),
             QStringLiteral("Line breaks come out as stored, CR LF.")},
            &TrellinCtl::get},
        {{QStringLiteral("set"), S {"BOX", "POS"}, 0, {kForce}, false, true,
             QStringLiteral("store standard input in a position (empty input clears it)"),
             QStringLiteral(
                 "A position that holds a text is replaced or cleared only with --force; without it "
                 "the command fails and nothing changes. A text over 9,999 characters is refused.")},
            &TrellinCtl::set},
        {{QStringLiteral("list"), S {"BOX"}, 0, {}, false, true,
             QStringLiteral("occupied positions: number, tab, first line"), {}},
            &TrellinCtl::list},
        {{QStringLiteral("rename"), S {"BOX", "NAME"}, 0, {}, false, true,
             QStringLiteral("give a box a new name (at most 15 characters)"), {}},
            &TrellinCtl::rename},
        {{QStringLiteral("move"), S {"BOX", "left|right"}, 0, {}, false, true,
             QStringLiteral("swap a box with its neighbour; prints its new number"), {}},
            &TrellinCtl::move},
        {{QStringLiteral("clear"), S {"BOX"}, 0,
             {{QStringLiteral("texts"), {}, QStringLiteral("clear the texts")},
                 {QStringLiteral("macros"), {}, QStringLiteral("clear the macros")}},
             false, true, QStringLiteral("clear texts and/or macros (both when neither is given)"),
             QStringLiteral("The previous files are kept as backups, as the window's Clear box does.")},
            &TrellinCtl::clear},
        {{QStringLiteral("restore"), S {"BOX"}, 0, {}, false, true,
             QStringLiteral("swap a box's texts and macros with their backups (undoes a clear)"),
             QStringLiteral(
                 "Only what has a backup is swapped. What the restore replaces becomes the backup, so "
                 "a second restore undoes the first. When a step fails, every file is back in its "
                 "place.")},
            &TrellinCtl::restore},
        {{QStringLiteral("macro list"), S {"BOX"}, 0, {}, false, true,
             QStringLiteral("the 99 macro names of a box: number, tab, name"), {}},
            &TrellinCtl::macroList},
        {{QStringLiteral("macro get"), S {"BOX", "N"}, 0, {}, false, true,
             QStringLiteral("the stored record of a macro: name, '>', body"), {}},
            &TrellinCtl::macroGet},
        {{QStringLiteral("macro set"), S {"BOX", "N"}, 0, {kForce}, false, true,
             QStringLiteral("store standard input (\"name>body\") as a macro (empty deletes it)"),
             QStringLiteral("A macro with a body is replaced or deleted only with --force; without it the "
                            "command fails and nothing changes.")},
            &TrellinCtl::macroSet},
        // A macro text given on the command line plays only dry: it would type at once.
        {{QStringLiteral("run-text"), S {"TEXT"}, 0,
             {{QStringLiteral("dry-run"), {}, QStringLiteral("record the steps, type nothing"), true}, kNow,
                 kAnswer},
             true, false, QStringLiteral("the steps a macro text would play, one a line, then the outcome"),
             QStringLiteral("The outcome is \"finished\", \"aborted\" or \"error\" with the reason; only a "
                            "finished run exits with 0.")},
            &TrellinCtl::runText},
        {{QStringLiteral("play"), S {"BOX", "N"}, 0,
             {{QStringLiteral("dry-run"), {}, QStringLiteral("list the steps instead of typing them")}, kNow,
                 kAnswer},
             false, true, QStringLiteral("type a stored macro into the focused window"),
             QStringLiteral(
                 "When Moxeno Trellin runs, its player types the macro into the window that was "
                 "active, with the progress window and the step dialogs, and the exit status says "
                 "whether it finished. Otherwise (and with --dry-run, --now or --answer) trellinctl "
                 "plays it itself: messages go to standard error, an input step types nothing. "
                 "Typing needs an X11 display.")},
            &TrellinCtl::play},
        {{QStringLiteral("show"), {}, 0, {}, false, false,
             QStringLiteral("bring the Moxeno Trellin window to the front (start it when it does not run)"),
             QStringLiteral("Returns once the window is the active one. Bound to a key in the desktop's "
                            "shortcut settings, this brings the program up from any window.")},
            &TrellinCtl::show},
        {{QStringLiteral("pick"), {}, 0, {}, false, false,
             QStringLiteral(
                 "open the quick pick at the mouse pointer (start Moxeno Trellin when it does not run)"),
             QStringLiteral("Returns once the popup is shown. Typing filters the texts and macros of every "
                            "box; Enter inserts the chosen one into the window that was active, Ctrl+Enter "
                            "only copies it, Escape closes the popup.")},
            &TrellinCtl::pick},
        {{QStringLiteral("copy"), S {"BOX", "POS"}, 0, {}, false, true,
             QStringLiteral("put the text of a position on the clipboard, as a left click does"),
             QStringLiteral("When Moxeno Trellin runs, it holds the clipboard. Otherwise trellinctl leaves a "
                            "process of its own in the background that holds the text until another "
                            "program copies something, and returns once the clipboard is taken, so the "
                            "text can be pasted at once. Needs an X11 display.")},
            &TrellinCtl::copy},
        {{QStringLiteral("data-folder"), S {"NEW"}, 1, {}, false, true,
             QStringLiteral("the data folder in use; with NEW: move the data files there and use it"),
             QStringLiteral(
                 "All or nothing: when the files cannot be moved safely nothing moves. Refused while "
                 "the Moxeno Trellin window runs; move the folder from the window then (About this "
                 "software, advanced options). This is the one command that writes a setting.")},
            &TrellinCtl::dataFolder},
        {{QStringLiteral("options"), {}, 0, {}, false, true,
             QStringLiteral("the values of the options: name, tab, value"), {}},
            &TrellinCtl::options},
        {{QStringLiteral("search"), S {"TEXT"}, 0,
             {{QStringLiteral("no-text"), {}, QStringLiteral("not in the texts")},
                 {QStringLiteral("no-macros"), {}, QStringLiteral("not in the macros")},
                 {QStringLiteral("case"), {}, QStringLiteral("letter case counts")},
                 {QStringLiteral("box"), QStringLiteral("N"), QStringLiteral("only box N")}},
             false, true, QStringLiteral("every position and macro holding TEXT, texts first"),
             QStringLiteral(
                 "One hit a line: TEXT, tab, box, tab, position, tab, first line; or MACRO, tab, box, "
                 "tab, number, tab, name. Exit status 1 when nothing was found.")},
            &TrellinCtl::search},
        {{QStringLiteral("keys"), S {"NOTATION"}, 0, {}, true, false,
             QStringLiteral("the key actions a keystroke notation types"), {}},
            &TrellinCtl::keys},
        {{QStringLiteral("type"), S {"NOTATION"}, 0, {}, true, false,
             QStringLiteral("type a keystroke notation into the focused window"), {}},
            &TrellinCtl::type},
        {{QStringLiteral("replace"), S {"FIND", "REPLACE"}, 0, {}, true, false,
             QStringLiteral("standard input with every FIND replaced, on standard output"),
             QStringLiteral("Case-sensitive; inserted text is not searched again. The number of replacements "
                            "goes to standard error.")},
            &TrellinCtl::replace},
        {{QStringLiteral("calc"), S {"EXPRESSION"}, 0,
             {{QStringLiteral("dp"), QStringLiteral("N|-"),
                 QStringLiteral("decimal places 0-9, or - for none (4)")}},
             true, false,
             QStringLiteral("calculate as the calculator does: the display, then the history line"),
             QStringLiteral(
                 "A character the calculator does not accept prints its message on standard error; a "
                 "calculation that cannot be worked out prints \"Error\"; both exit with 1.")},
            &TrellinCtl::calc},
        {{QStringLiteral("help"), {}, 0, {}, false, false, QStringLiteral("this help"), {}},
            &TrellinCtl::help},
    };
    return rows;
}

QList<CtlCommand> TrellinCtl::commands()
{
    QList<CtlCommand> commands;
    for (const Row& row : table())
        commands.append(row.command);
    return commands;
}

TrellinCtl::TrellinCtl(QIODevice& in, QIODevice& out, QIODevice& err)
    : m_in(in)
    , m_out(out)
    , m_err(err)
{ }

void TrellinCtl::print(const QString& text)
{
    m_out.write(text.toUtf8());
}

int TrellinCtl::fail(const QString& message)
{
    m_err.write(QStringLiteral("trellinctl: %1\n").arg(message).toUtf8());
    return Failure;
}

int TrellinCtl::badArguments(const QString& message, const CtlCommand* command)
{
    m_err.write(QStringLiteral("trellinctl: %1\n").arg(message).toUtf8());
    m_err.write((command ? CtlDocs::usageLine(*command) : CtlDocs::usage(commands())).toUtf8());
    return BadArguments;
}

int TrellinCtl::Call::number(int index) const
{
    return ::number(args.value(index)).value_or(0);
}

// The row whose name the arguments start with, the longest first ("macro set" before
// "macro"); words is how many arguments the name took.
const TrellinCtl::Row* TrellinCtl::findRow(const QStringList& arguments, qsizetype& words)
{
    const Row* found = nullptr;
    for (const Row& row : table()) {
        const QStringList name = row.command.name.split(u' ');
        if (name.size() > words && arguments.mid(0, name.size()) == name) {
            found = &row;
            words = name.size();
        }
    }
    return found;
}

// Why a word is no command: "macro takes list, get, set", or "unknown command x".
QString TrellinCtl::unknownCommand(const QString& word)
{
    QStringList subcommands;
    for (const Row& row : table()) {
        if (row.command.name.startsWith(word + u' '))
            subcommands.append(row.command.name.mid(word.size() + 1));
    }
    return subcommands.isEmpty()
        ? QStringLiteral("unknown command %1").arg(word)
        : QStringLiteral("%1 takes %2").arg(word, subcommands.join(QStringLiteral(", ")));
}

int TrellinCtl::run(const QStringList& arguments)
{
    // Options of trellinctl itself come before the command.
    std::optional<QString> dataFolder;
    qsizetype i = 1;
    for (; i < arguments.size() && arguments[i].startsWith(u'-'); ++i) {
        const QString& option = arguments[i];
        if (option == QStringLiteral("-h") || option == QStringLiteral("--help")) {
            print(CtlDocs::usage(commands()));
            return Success;
        }
        if (option == QStringLiteral("--version")) {
            print(QStringLiteral("trellinctl %1\n").arg(QStringLiteral(TRELLIN_VERSION)));
            return Success;
        }
        // Hidden: the build makes the man page and the shell completion from the table.
        if (option == QStringLiteral("--man")) {
            print(CtlDocs::manPage(commands(), QStringLiteral(TRELLIN_VERSION)));
            return Success;
        }
        if (option == QStringLiteral("--completion")) {
            const QString script = CtlDocs::completion(commands(), arguments.value(i + 1));
            if (script.isEmpty())
                return badArguments(QStringLiteral("--completion takes bash or zsh"));
            print(script);
            return Success;
        }
        if (option == QStringLiteral("--data") || option.startsWith(QStringLiteral("--data="))) {
            dataFolder = option == QStringLiteral("--data") ? arguments.value(++i) : option.mid(7);
            continue;
        }
        return badArguments(QStringLiteral("unknown option %1").arg(option));
    }
    if (i >= arguments.size())
        return badArguments(QStringLiteral("no command given"));

    qsizetype words = 0;
    const Row* found = findRow(arguments.mid(i), words);
    if (!found)
        return badArguments(unknownCommand(arguments[i]));

    Call call;
    call.command = &found->command;
    if (const int parsed = parseCommand(found->command, arguments.mid(i + words), call); parsed != Success)
        return parsed;
    if (call.options.contains(QStringLiteral("data")))
        dataFolder = call.options.take(QStringLiteral("data"));
    // "--data=" would otherwise mean the current folder, where no data lives.
    if (dataFolder && dataFolder->trimmed().isEmpty())
        return badArguments(QStringLiteral("--data needs a folder"));
    if (!found->command.usesData)
        return (this->*(found->handler))(call);

    Session session(call.has(QStringLiteral("force")));
    Startup(session.context).readShellSettings();
    if (dataFolder)
        session.context.setDataFolder(QDir(*dataFolder).absolutePath());
    // A data folder that is gone can still be named, or replaced by another one.
    if (found->command.name != QStringLiteral("data-folder")
        && !QFileInfo(session.context.dataFolder()).isDir())
        return fail(QStringLiteral("the data folder %1 does not exist").arg(session.context.dataFolder()));
    call.context = &session.context;
    return (this->*(found->handler))(call);
}

// Options may come anywhere among the arguments (--data too), up to "--"; for a command that
// takes operands they end at its first operand, so an expression may start with "-".
int TrellinCtl::parseCommand(const CtlCommand& command, const QStringList& rest, Call& call)
{
    static const CtlOption dataOption {QStringLiteral("data"), QStringLiteral("DIR"), {}};
    bool optionsEnd = false;
    for (qsizetype i = 0; i < rest.size(); ++i) {
        const QString& argument = rest[i];
        if (!optionsEnd && argument == QStringLiteral("--")) {
            optionsEnd = true;
            continue;
        }
        if (!optionsEnd && argument.startsWith(QStringLiteral("--"))) {
            const qsizetype equals = argument.indexOf(u'=');
            const QString name = argument.mid(2, equals < 0 ? -1 : equals - 2);
            const auto known = std::find_if(command.options.begin(), command.options.end(),
                [&name](const CtlOption& option) { return option.name == name; });
            const CtlOption* option = known != command.options.end() ? &*known
                : name == dataOption.name                            ? &dataOption
                                                                     : nullptr;
            if (option) {
                if (option->value.isEmpty() && equals >= 0)
                    return badArguments(QStringLiteral("--%1 takes no value").arg(name), &command);
                if (!option->value.isEmpty() && equals < 0 && i + 1 >= rest.size())
                    return badArguments(QStringLiteral("--%1 needs a value").arg(name), &command);
                call.options.insert(name,
                    option->value.isEmpty() ? QString()
                        : equals >= 0       ? argument.mid(equals + 1)
                                            : rest[++i]);
                continue;
            }
            if (!command.operands)
                return badArguments(
                    QStringLiteral("%1 has no option %2").arg(command.name, argument.left(equals)), &command);
        }
        call.args.append(argument);
        optionsEnd = optionsEnd || command.operands;
    }

    for (const CtlOption& option : command.options) {
        if (option.required && !call.has(option.name))
            return badArguments(QStringLiteral("%1 needs --%2").arg(command.name, option.name), &command);
    }
    const qsizetype most = command.arguments.size();
    if (call.args.size() > most || call.args.size() < most - command.optionalArguments)
        return badArguments(QStringLiteral("wrong number of arguments for %1").arg(command.name), &command);
    // Numbers and words are checked before anything is read.
    for (qsizetype i = 0; i < call.args.size(); ++i) {
        const QString& name = command.arguments[i];
        if (isNumberArgument(name) && !::number(call.args[i]))
            return badArguments(QStringLiteral("%1 is a number from 1 to 99").arg(name), &command);
        if (name.contains(u'|') && !name.split(u'|').contains(call.args[i]))
            return badArguments(
                QStringLiteral("%1 is %2").arg(name, name.split(u'|').join(QStringLiteral(" or "))),
                &command);
    }
    return Success;
}

int TrellinCtl::help(Call&)
{
    print(CtlDocs::usage(commands()));
    return Success;
}

int TrellinCtl::dataFolder(Call& call)
{
    DataContext& context = *call.context;
    if (call.args.isEmpty()) {
        print(context.dataFolder() + u'\n');
        return Success;
    }
    // The window reads its data folder once, at start: moving the files under it would leave
    // it working on a folder that is no longer used. The lock is held until the move is done,
    // so no window starts half way through it.
    const WindowLock noWindow(WindowLock::Mode::Exclusive);
    if (!noWindow.isLocked())
        return fail(noWindow.windowRuns()
                ? QStringLiteral("the Moxeno Trellin window is running and uses the data folder %1; move the "
                                 "data folder from the window (About this software, advanced options), or "
                                 "close the window first. Nothing was moved.")
                      .arg(context.dataFolder())
                : QStringLiteral("%1. Nothing was moved.").arg(noWindow.errorString()));
    const QString from = context.dataFolder();
    const Result<DataFolderMove::Outcome> moved
        = DataFolderMove(context).moveTo(QDir(call.args[0]).absolutePath());
    if (!moved)
        return fail(QString(moved.error()).replace(u'\n', u' '));
    if (DataFolderMove::sameFolder(from, moved->folder))
        print(QStringLiteral("The data folder is %1 already; nothing was moved\n").arg(moved->folder));
    else
        print(QStringLiteral("Data folder changed to %1, %2 data files moved\n")
                  .arg(moved->folder)
                  .arg(moved->moved));
    if (!moved->leftBehind.isEmpty())
        m_err.write(QStringLiteral("trellinctl: the old copies of %1 could not be removed\n")
                        .arg(moved->leftBehind.join(QStringLiteral(", ")))
                        .toUtf8());
    return Success;
}

int TrellinCtl::options(Call& call)
{
    using Key = Settings::Key;
    for (const Key key :
        {Key::ClipColour, Key::WarnOverwrite, Key::MacroDelay, Key::MacroPromptBefore, Key::MacroInformAfter})
        print(QStringLiteral("%1\t%2\n")
                  .arg(QLatin1String(Settings::entry(key).name), call.context->settings().text(key)));
    return Success;
}

Result<QString> TrellinCtl::readInput(const QString& what)
{
    const QByteArray input = m_in.readAll();
    const QString text = QString::fromUtf8(input);
    if (text.toUtf8() != input)
        return Result<QString>::failure(
            QStringLiteral("standard input is not valid UTF-8; nothing was saved"));
    // Refused rather than cut: nobody is there to agree to the cut.
    if (text.size() > RecordFile::kMaxTextLength)
        return Result<QString>::failure(
            QStringLiteral("the %1 is %2 characters long, over the limit of 9,999; nothing was saved")
                .arg(what)
                .arg(text.size()));
    return text;
}

int TrellinCtl::keys(Call& call)
{
    const KeystrokeNotation::Result parsed = KeystrokeNotation::parse(call.args[0]);
    if (!parsed.ok())
        return fail(parsed.error->message());
    for (const KeyAction& action : parsed.actions)
        print(action.toString() + u'\n');
    return Success;
}

int TrellinCtl::type(Call& call)
{
    const Result<KeySender*> sender = m_keySender
        ? m_keySender()
        : Result<KeySender*>::failure(QStringLiteral("keys cannot be typed here"));
    if (!sender)
        return fail(sender.error());
    const KeySender::Result typed = typeNotation(**sender, call.args[0], true);
    return typed ? Success : fail(typed.error());
}

int TrellinCtl::replace(Call& call)
{
    const QByteArray input = m_in.readAll();
    const QString text = QString::fromUtf8(input);
    if (text.toUtf8() != input)
        return fail(QStringLiteral("standard input is not valid UTF-8; nothing was replaced"));
    const FindReplace::Replaced replaced = FindReplace::replaceAll(text, call.args[0], call.args[1]);
    print(replaced.text);
    m_err.write(QByteArray::number(replaced.count) + '\n');
    return Success;
}

int TrellinCtl::names(Call& call)
{
    const Result<QStringList> names = NamesFile::read(call.context->dataFolder());
    if (!names)
        return fail(names.error());
    for (const QString& name : *names)
        print(name + u'\n');
    return Success;
}

int TrellinCtl::get(Call& call)
{
    const Result<QString> text = BoxStore(*call.context).readPosition(call.number(1), call.number(0));
    if (!text)
        return fail(text.error());
    print(*text);
    return Success;
}

template<typename Outcome>
int TrellinCtl::storeInput(
    const QString& what, const SaveWords& words, const std::function<Result<Outcome>(const QString&)>& save)
{
    const Result<QString> input = readInput(what);
    if (!input)
        return fail(input.error());
    const Result<Outcome> saved = save(*input);
    if (!saved)
        return fail(words.failed.arg(saved.error()));
    switch (*saved) {
    case Outcome::Declined:
        return fail(words.refused);
    case Outcome::AlreadySaved:
        if (!input->isEmpty())
            print(words.already + u'\n');
        return Success;
    case Outcome::Cleared:
        print(words.cleared + u'\n');
        return Success;
    case Outcome::Saved:
        break;
    }
    print(words.saved + u'\n');
    return Success;
}

int TrellinCtl::set(Call& call)
{
    const int box = call.number(0);
    const int position = call.number(1);
    const QString where = QStringLiteral("box %1, position %2").arg(box).arg(position);
    const QString place = QStringLiteral("Box %1, position %2").arg(box).arg(position);
    BoxStore store(*call.context);
    return storeInput<SaveOutcome>(QStringLiteral("text"),
        {place + QStringLiteral(" saved"), place + QStringLiteral(" cleared"),
            QStringLiteral("Already saved in ") + where,
            where + QStringLiteral(" holds a text; nothing was saved (--force replaces or clears it)"),
            where + QStringLiteral(" not saved: %1")},
        [&](const QString& text) { return store.savePosition(text, position, box, false); });
}

int TrellinCtl::list(Call& call)
{
    BoxStore store(*call.context);
    const Result<> loaded = store.loadBox(call.number(0));
    if (!loaded)
        return fail(loaded.error());
    for (int position = 1; position <= DataFiles::kPositionCount; ++position) {
        if (store.isOccupied(position))
            print(QStringLiteral("%1\t%2\n").arg(position).arg(firstLine(store.cached(position))));
    }
    return Success;
}

int TrellinCtl::search(Call& call)
{
    SearchOptions options {!call.has(QStringLiteral("no-text")), !call.has(QStringLiteral("no-macros")),
        call.has(QStringLiteral("case")), 0};
    if (!options.texts && !options.macros)
        return badArguments(
            QStringLiteral("--no-text and --no-macros leave nothing to search"), call.command);
    if (call.has(QStringLiteral("box"))) {
        const std::optional<int> box = ::number(call.options.value(QStringLiteral("box")));
        if (!box)
            return badArguments(QStringLiteral("--box takes a number from 1 to 99"), call.command);
        options.onlyBox = *box;
    }
    const QString& text = call.args[0];
    // Every hit repeated "Find next" presses would show, in the same order.
    const SearchEngine engine(call.context->dataFolder());
    bool found = false;
    const SearchEngine::Outcome outcome = engine.findAll(text, options, [&](const SearchHit& hit) {
        found = true;
        if (hit.kind == SearchHit::Kind::Text)
            print(QStringLiteral("TEXT\t%1\t%2\t%3\n").arg(hit.box).arg(hit.number).arg(firstLine(hit.text)));
        else
            print(QStringLiteral("MACRO\t%1\t%2\t%3\n")
                      .arg(hit.box)
                      .arg(hit.number)
                      .arg(MacroStore::nameOf(hit.text, hit.number)));
    });
    const QStringList& unreadable = outcome.unreadable;
    // Hits may lie in a file that could not be read: that is never a complete answer.
    if (found && unreadable.isEmpty())
        return Success;
    if (found)
        return fail(SearchTexts::unreadableFiles(unreadable));
    const QString boxName = options.onlyBox == 0
        ? QString()
        : NamesFile::readOrDefaults(call.context->dataFolder()).value(options.onlyBox - 1);
    return fail(SearchTexts::notFound(text, false, boxName, unreadable));
}

int TrellinCtl::rename(Call& call)
{
    if (call.args[1].isEmpty())
        return badArguments(QStringLiteral("the new name is empty"), call.command);
    BoxStore store(*call.context);
    NoClipboard clipboard;
    BoxManager manager(*call.context, store, clipboard);
    const Result<> renamed = manager.renameBox(call.number(0), call.args[1]);
    return renamed ? Success : fail(renamed.error());
}

int TrellinCtl::move(Call& call)
{
    const BoxManager::Direction direction
        = call.args[1] == QStringLiteral("left") ? BoxManager::Direction::Left : BoxManager::Direction::Right;
    BoxStore store(*call.context);
    NoClipboard clipboard;
    BoxManager manager(*call.context, store, clipboard);
    const Result<int> moved = manager.moveBox(call.number(0), direction);
    if (!moved)
        return fail(moved.error());
    print(QStringLiteral("%1\n").arg(*moved));
    return Success;
}

int TrellinCtl::clear(Call& call)
{
    const bool texts = call.has(QStringLiteral("texts"));
    const bool macros = call.has(QStringLiteral("macros"));
    const bool both = !texts && !macros;
    const int box = call.number(0);
    BoxStore store(*call.context);
    NoClipboard clipboard;
    BoxManager manager(*call.context, store, clipboard);
    const Result<> cleared = manager.clearBox(box, both || texts, both || macros);
    if (!cleared)
        return fail(cleared.error());
    print(QStringLiteral("Box '%1' cleared successfully.\n").arg(manager.caption(box)));
    return Success;
}

int TrellinCtl::restore(Call& call)
{
    const int box = call.number(0);
    BoxStore store(*call.context);
    NoClipboard clipboard;
    BoxManager manager(*call.context, store, clipboard);
    const Result<> restored = manager.restoreBox(box);
    if (!restored)
        return fail(restored.error());
    print(QStringLiteral("Box '%1' restored from its backup.\n").arg(manager.caption(box)));
    return Success;
}

int TrellinCtl::macroList(Call& call)
{
    const Result<QStringList> names = MacroStore(*call.context).readMacroNames(call.number(0));
    if (!names)
        return fail(names.error());
    for (int n = 1; n <= int(names->size()); ++n)
        print(QStringLiteral("%1\t%2\n").arg(n).arg(names->at(n - 1)));
    return Success;
}

int TrellinCtl::macroGet(Call& call)
{
    const Result<QString> record
        = RecordFile::readRecord(MacroStore(*call.context).macroFile(call.number(0)), call.number(1));
    if (!record)
        return fail(record.error());
    print(*record);
    return Success;
}

int TrellinCtl::macroSet(Call& call)
{
    const int box = call.number(0);
    const int macro = call.number(1);
    const QString inBox = QStringLiteral(" in box %1").arg(box);
    const QString name = QStringLiteral("Macro %1").arg(macro);
    const QString of = QStringLiteral("macro %1 of box %2").arg(macro).arg(box);
    MacroStore store(*call.context);
    return storeInput<MacroSaveOutcome>(QStringLiteral("record"),
        {name + QStringLiteral(" saved") + inBox, name + QStringLiteral(" cleared") + inBox,
            name + QStringLiteral(" already saved") + inBox,
            of + QStringLiteral(" holds a macro; nothing was saved (--force replaces or deletes it)"),
            of + QStringLiteral(" not saved: %1")},
        [&](const QString& record) { return store.saveMacro(record, macro, box); });
}

bool TrellinCtl::readClockOptions(const Call& call)
{
    if (call.has(QStringLiteral("now"))) {
        m_now = QDateTime::fromString(
            call.options.value(QStringLiteral("now")), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (!m_now->isValid())
            return false;
    }
    if (call.has(QStringLiteral("answer")))
        m_answer = call.options.value(QStringLiteral("answer"));
    return true;
}

int TrellinCtl::runText(Call& call)
{
    if (!readClockOptions(call))
        return badArguments(QStringLiteral("--now is \"YYYY-MM-DD hh:mm:ss\""), call.command);
    return dryRun(call.args[0]);
}

int TrellinCtl::play(Call& call)
{
    if (!readClockOptions(call))
        return badArguments(QStringLiteral("--now is \"YYYY-MM-DD hh:mm:ss\""), call.command);
    const int box = call.number(0);
    const int macro = call.number(1);
    const Result<QString> body = MacroStore(*call.context).readMacroBody(macro, box);
    if (!body)
        return fail(body.error());
    if (MacroInterpreter::playedText(*body).isEmpty())
        return fail(QStringLiteral("macro %1 of box %2 is empty").arg(macro).arg(box));
    if (call.has(QStringLiteral("dry-run")))
        return dryRun(*body);
    // The running copy plays it with its own player; --now and --answer only apply here.
    if (!call.has(QStringLiteral("now")) && !call.has(QStringLiteral("answer"))) {
        if (const auto reply = InstanceChannel::send({QStringLiteral("play"), call.args[0], call.args[1]}))
            return relay(*reply);
    }
    return playInFocusedWindow(call, *body);
}

int TrellinCtl::relay(const InstanceChannel::Reply& reply)
{
    print(reply.out);
    if (!reply.err.isEmpty())
        m_err.write(QStringLiteral("trellinctl: %1\n").arg(reply.err).toUtf8());
    return reply.status;
}

int TrellinCtl::show(Call&)
{
    return reachOrStart({QStringLiteral("show")});
}

int TrellinCtl::pick(Call&)
{
    return reachOrStart({QStringLiteral("pick")});
}

int TrellinCtl::reachOrStart(const QStringList& request)
{
    if (const auto reply = InstanceChannel::send(request))
        return relay(*reply);
    // Not running: started beside trellinctl (or from the PATH), and shown once it answers.
    QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/moxeno-trellin");
    if (!QFileInfo(program).isExecutable())
        program = QStandardPaths::findExecutable(QStringLiteral("moxeno-trellin"));
    if (program.isEmpty() || !QProcess::startDetached(program, {}))
        return fail(QStringLiteral("Moxeno Trellin does not run and could not be started"));
    const QDeadlineTimer deadline(kStartMs);
    while (!deadline.hasExpired()) {
        if (const auto reply = InstanceChannel::send(request))
            return relay(*reply);
        QThread::msleep(50);
    }
    return fail(
        QStringLiteral("Moxeno Trellin was started but did not answer within %1 s").arg(kStartMs / 1000));
}

int TrellinCtl::copy(Call& call)
{
    // Read first, so an empty or unreadable position says so as it would in the window.
    const Result<QString> text = BoxStore(*call.context).readPosition(call.number(1), call.number(0));
    if (!text)
        return fail(text.error());
    if (text->isEmpty())
        return fail(QStringLiteral("box %1, position %2 is empty").arg(call.args[0], call.args[1]));
    if (const auto reply = InstanceChannel::send({QStringLiteral("copy"), call.args[0], call.args[1]}))
        return relay(*reply);
    // Without the program, a process of trellinctl's own keeps the text on the clipboard, put
    // there by the same rule as a left click's (LF line breaks).
    if (!m_clipboard)
        return fail(QStringLiteral("the clipboard cannot be reached here"));
    if (!m_clipboard->replaceText(*text))
        return fail(QStringLiteral("the clipboard could not be written: ") + m_clipboard->failure());
    print(
        QStringLiteral("Box %1, position %2 copied to clipboard\n").arg(call.number(0)).arg(call.number(1)));
    return Success;
}

int TrellinCtl::dryRun(const QString& macroText)
{
    RecordingHost host;
    host.answer = m_answer;
    ClockFormats formats(QLocale::system(), m_now);
    const MacroOutcome outcome = MacroInterpreter::run(macroText, host, formats);
    for (const QString& step : std::as_const(host.calls))
        print(step + u'\n');
    switch (outcome.kind) {
    case MacroOutcome::Kind::Finished:
        print(QStringLiteral("finished\n"));
        return Success;
    case MacroOutcome::Kind::Aborted:
        print(QStringLiteral("aborted\n"));
        return Failure;
    case MacroOutcome::Kind::Error:
        break;
    }
    print(QStringLiteral("error\t%1\n").arg(outcome.reason));
    return Failure;
}

int TrellinCtl::playInFocusedWindow(const Call& call, const QString& macroText)
{
    const Result<KeySender*> sender = m_keySender
        ? m_keySender()
        : Result<KeySender*>::failure(QStringLiteral("keys cannot be typed here"));
    if (!sender)
        return fail(sender.error());
    const double delay = std::clamp(call.context->settings().number(Settings::Key::MacroDelay), 0.0, 10.0);
    FocusedWindowHost host(**sender, int(std::lround(delay * 1000)), m_err);
    ClockFormats formats(QLocale::system(), m_now);
    const MacroOutcome outcome = MacroInterpreter::run(macroText, host, formats);
    if (outcome.kind == MacroOutcome::Kind::Error)
        return fail(outcome.reason);
    return outcome.kind == MacroOutcome::Kind::Finished ? Success : Failure;
}

int TrellinCtl::calc(Call& call)
{
    const QString places = call.options.value(QStringLiteral("dp"), QStringLiteral("4"));
    if (ResultFormat::normalDecimalPlaces(places) != places)
        return badArguments(QStringLiteral("--dp is one digit 0-9 or '-'"), call.command);
    const QString& expression = call.args[0];
    // The message box text, on standard error.
    class Messages : public CalculatorMessages
    {
    public:
        explicit Messages(QIODevice& err)
            : m_err(err)
        { }
        void cannotEvaluate(const QString& message) override { m_err.write((message + u'\n').toUtf8()); }

    private:
        QIODevice& m_err;
    };
    Messages messages(m_err);
    Calculator calculator;
    calculator.setMessages(&messages);
    calculator.setDecimalPlaces(places);
    calculator.setDisplay(expression, int(expression.size()));
    switch (calculator.calculate()) {
    case Calculator::Outcome::InvalidInput:
        return Failure;
    case Calculator::Outcome::Error:
        print(calculator.display() + u'\n');
        return Failure;
    default:
        print(calculator.display() + u'\n' + calculator.history().value(0) + u'\n');
        return Success;
    }
}
