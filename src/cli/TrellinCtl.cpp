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
#include "cli/FocusedWindowHost.h"
#include "core/DataContext.h"
#include "core/DataFiles.h"
#include "core/RecordFile.h"
#include "core/Settings.h"
#include "core/SettingsStore.h"
#include "core/StatusLog.h"
#include "macros/ClockFormats.h"
#include "macros/KeystrokeNotation.h"
#include "macros/MacroInterpreter.h"
#include "macros/MacroStore.h"
#include "macros/RecordingHost.h"
#include "notepads/FindReplace.h"
#include "platform/Clipboard.h"
#include "search/SearchEngine.h"
#include "search/SearchTexts.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
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

QString firstLine(const QString& text)
{
    const qsizetype end = text.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
    return end < 0 ? text : text.left(end);
}

// A clipboard for commands that never reach the clipboard.
class NoClipboard : public Clipboard
{
public:
    bool clear() override { return false; }
    bool setText(const QString&) override { return false; }
    QString text() override { return QString(); }
};

// The messages an operation logs, printed only when it succeeds: a failure prints its reason
// on standard error instead, once.
class Messages
{
public:
    explicit Messages(StatusLog& log)
    {
        QObject::connect(&log, &StatusLog::logged, &m_receiver,
            [this](const QString&, const QString& message) { m_messages.append(message); });
    }
    QString text() const { return m_messages.isEmpty() ? QString() : m_messages.join(u'\n') + u'\n'; }

private:
    QObject m_receiver;
    QStringList m_messages;
};

// The data folder and the services one command works with.
struct Session
{
    Session()
        : store(SettingsStore::fromEnvironment())
        , settings(store)
        , context(settings, log, prompter)
    { }
    SettingsStore store;
    Settings settings;
    StatusLog log;
    CliPrompter prompter;
    DataContext context;
};

} // namespace

TrellinCtl::TrellinCtl(QIODevice& in, QIODevice& out, QIODevice& err)
    : m_in(in)
    , m_out(out)
    , m_err(err)
{ }

QString TrellinCtl::usage()
{
    return QStringLiteral(
        "usage: trellinctl [--data DIR] COMMAND\n"
        "  names                     the 99 box names, one a line\n"
        "  get BOX POS               the stored text of a position\n"
        "  set BOX POS               store standard input in a position (empty input clears it)\n"
        "  list BOX                  occupied positions: number, tab, first line\n"
        "  rename BOX NAME           give a box a new name (at most 15 characters)\n"
        "  move BOX left|right       swap a box with its neighbour\n"
        "  clear BOX [--texts] [--macros]  clear texts and/or macros (both when neither is given)\n"
        "  macro list BOX            the 99 macro names of a box, number, tab, name\n"
        "  macro get BOX N           the stored record of a macro: name, '>', body\n"
        "  macro set BOX N           store standard input (\"name>body\") as a macro (empty deletes it)\n"
        "  run-text --dry-run TEXT [--now \"YYYY-MM-DD hh:mm:ss\"] [--answer TEXT]\n"
        "                            the steps a macro text would play, one a line, then the outcome\n"
        "  play [--dry-run] BOX N [--now ...] [--answer ...]\n"
        "                            type a stored macro into the focused window (with --dry-run: its "
        "steps)\n"
        "  data-folder [NEW]         the data folder in use; with NEW: move its data files there and\n"
        "                            use NEW from now on (nothing moves when that cannot be done safely)\n"
        "  options                   the values of the options: name, tab, value\n"
        "  search [--no-text] [--no-macros] [--case] [--box N] TEXT\n"
        "                            every position and macro holding TEXT (any letter case unless\n"
        "                            --case), texts first: TEXT, tab, box, tab, position, tab, first\n"
        "                            line, or MACRO, tab, box, tab, number, tab, name; exit status 1\n"
        "                            when nothing was found\n"
        "  keys NOTATION             the key actions a keystroke notation types\n"
        "  type NOTATION             type a keystroke notation into the focused window\n"
        "  replace FIND REPLACE      standard input with every FIND replaced (case-sensitive, no\n"
        "                            re-scan of inserted text) on standard output; the number of\n"
        "                            replacements on standard error\n"
        "  calc [--dp N|-] EXPRESSION  calculate as the calculator's display would: the display,\n"
        "                            then the history line (decimal places 0-9 or '-', default 4)\n"
        "An argument that starts with '-' follows '--'.\n");
}

void TrellinCtl::addCommand(const QString& name, int minArgs, int maxArgs, Handler handler)
{
    m_extra.append({name, minArgs, maxArgs, std::move(handler)});
}

void TrellinCtl::print(const QString& text)
{
    m_out.write(text.toUtf8());
}

int TrellinCtl::fail(const QString& message)
{
    m_err.write(QStringLiteral("trellinctl: %1\n").arg(message).toUtf8());
    return Failure;
}

int TrellinCtl::badArguments(const QString& message)
{
    m_err.write(QStringLiteral("trellinctl: %1\n").arg(message).toUtf8());
    m_err.write(usage().toUtf8());
    return BadArguments;
}

int TrellinCtl::run(const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption dataOption(
        QStringLiteral("data"), QStringLiteral("The data folder."), QStringLiteral("DIR"));
    const QCommandLineOption helpOption(
        {QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("This help."));
    const QCommandLineOption textsOption(QStringLiteral("texts"), QStringLiteral("clear: the texts."));
    const QCommandLineOption macrosOption(QStringLiteral("macros"), QStringLiteral("clear: the macros."));
    const QCommandLineOption dryRunOption(
        QStringLiteral("dry-run"), QStringLiteral("Record the steps only."));
    const QCommandLineOption nowOption(
        QStringLiteral("now"), QStringLiteral("The clock."), QStringLiteral("TIME"));
    const QCommandLineOption answerOption(
        QStringLiteral("answer"), QStringLiteral("The answer to input steps."), QStringLiteral("TEXT"));
    const QCommandLineOption dpOption(
        QStringLiteral("dp"), QStringLiteral("calc: the decimal places."), QStringLiteral("N"));
    const QCommandLineOption noTextOption(
        QStringLiteral("no-text"), QStringLiteral("search: not the texts."));
    const QCommandLineOption noMacrosOption(
        QStringLiteral("no-macros"), QStringLiteral("search: not the macros."));
    const QCommandLineOption caseOption(
        QStringLiteral("case"), QStringLiteral("search: letter case counts."));
    const QCommandLineOption boxOption(
        QStringLiteral("box"), QStringLiteral("search: only this box."), QStringLiteral("N"));
    parser.addOptions({dataOption, helpOption, textsOption, macrosOption, dryRunOption, nowOption,
        answerOption, dpOption, noTextOption, noMacrosOption, caseOption, boxOption});
    if (!parser.parse(arguments))
        return badArguments(parser.errorText());
    QStringList args = parser.positionalArguments();
    if (parser.isSet(helpOption) || args.value(0) == QStringLiteral("help")) {
        print(usage());
        return Success;
    }
    if (args.isEmpty())
        return badArguments(QStringLiteral("no command given"));
    const QString command = args.takeFirst();
    m_clearTexts = parser.isSet(textsOption);
    m_clearMacros = parser.isSet(macrosOption);
    if ((m_clearTexts || m_clearMacros) && command != QStringLiteral("clear"))
        return badArguments(QStringLiteral("--texts and --macros belong to clear"));
    const bool playing = command == QStringLiteral("run-text") || command == QStringLiteral("play");
    if ((parser.isSet(dryRunOption) || parser.isSet(nowOption) || parser.isSet(answerOption)) && !playing)
        return badArguments(QStringLiteral("--dry-run, --now and --answer belong to run-text and play"));
    m_dryRun = parser.isSet(dryRunOption);
    const bool searchOption = parser.isSet(noTextOption) || parser.isSet(noMacrosOption)
        || parser.isSet(caseOption) || parser.isSet(boxOption);
    if (searchOption && command != QStringLiteral("search"))
        return badArguments(QStringLiteral("--no-text, --no-macros, --case and --box belong to search"));
    m_search = SearchOptions {
        !parser.isSet(noTextOption), !parser.isSet(noMacrosOption), parser.isSet(caseOption), 0};
    if (!m_search.texts && !m_search.macros)
        return badArguments(QStringLiteral("--no-text and --no-macros leave nothing to search"));
    if (parser.isSet(boxOption)) {
        const std::optional<int> box = number(parser.value(boxOption));
        if (!box)
            return badArguments(QStringLiteral("--box takes a number from 1 to 99"));
        m_search.onlyBox = *box;
    }
    // A macro text given on the command line is only played dry: it would type at once.
    if (command == QStringLiteral("run-text") && !m_dryRun)
        return badArguments(QStringLiteral("run-text plays only with --dry-run"));
    if (command == QStringLiteral("play") && !m_dryRun && !m_keySender)
        return badArguments(QStringLiteral("play types keys only where trellinctl can reach a display"));
    if (parser.isSet(nowOption)) {
        m_now = QDateTime::fromString(parser.value(nowOption), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (!m_now->isValid())
            return badArguments(QStringLiteral("--now is \"YYYY-MM-DD hh:mm:ss\""));
    }
    if (parser.isSet(answerOption))
        m_answer = parser.value(answerOption);
    // "--data=" would otherwise mean the current folder, where no data lives.
    if (parser.isSet(dataOption) && parser.value(dataOption).trimmed().isEmpty())
        return badArguments(QStringLiteral("--data needs a folder"));

    for (const Command& extra : std::as_const(m_extra)) {
        if (extra.name != command)
            continue;
        if (args.size() < extra.minArgs || args.size() > extra.maxArgs)
            return badArguments(QStringLiteral("wrong number of arguments for %1").arg(command));
        return extra.handler(args, m_out, m_err);
    }

    if (command == QStringLiteral("replace")) {
        if (args.size() != 2)
            return badArguments(QStringLiteral("replace takes FIND and REPLACE"));
        return replace(args[0], args[1]);
    }

    if (parser.isSet(dpOption) && command != QStringLiteral("calc"))
        return badArguments(QStringLiteral("--dp belongs to calc"));
    if (command == QStringLiteral("calc")) {
        if (args.size() != 1)
            return badArguments(QStringLiteral("wrong number of arguments for calc"));
        const QString places = parser.isSet(dpOption) ? parser.value(dpOption) : QStringLiteral("4");
        if (ResultFormat::normalDecimalPlaces(places) != places)
            return badArguments(QStringLiteral("--dp is one digit 0-9 or '-'"));
        return calc(args[0], places);
    }

    if (command == QStringLiteral("keys") || command == QStringLiteral("run-text")) {
        if (args.size() != 1)
            return badArguments(QStringLiteral("wrong number of arguments for %1").arg(command));
        return command == QStringLiteral("keys") ? keys(args[0]) : runText(args[0]);
    }

    struct Builtin
    {
        const char* name;
        int minArgs;
        int maxArgs;
        bool takesBox;
        bool takesPosition;
        int (TrellinCtl::*handler)(DataContext&, const QStringList&);
    };
    static const Builtin builtins[] = {
        {"names", 0, 0, false, false, &TrellinCtl::names},
        {"get", 2, 2, true, true, &TrellinCtl::get},
        {"set", 2, 2, true, true, &TrellinCtl::set},
        {"list", 1, 1, true, false, &TrellinCtl::list},
        {"rename", 2, 2, true, false, &TrellinCtl::rename},
        {"move", 2, 2, true, false, &TrellinCtl::move},
        {"clear", 1, 1, true, false, &TrellinCtl::clear},
        {"macro", 2, 3, false, false, &TrellinCtl::macro},
        {"play", 2, 2, true, true, &TrellinCtl::play},
        {"data-folder", 0, 1, false, false, &TrellinCtl::dataFolder},
        {"options", 0, 0, false, false, &TrellinCtl::options},
        {"search", 1, 1, false, false, &TrellinCtl::search},
    };
    const auto builtin = std::find_if(std::begin(builtins), std::end(builtins),
        [&command](const Builtin& b) { return command == QLatin1String(b.name); });
    if (builtin == std::end(builtins))
        return badArguments(QStringLiteral("unknown command %1").arg(command));
    if (args.size() < builtin->minArgs || args.size() > builtin->maxArgs)
        return badArguments(QStringLiteral("wrong number of arguments for %1").arg(command));

    // BOX (and POS for get and set) are checked before anything is read.
    if (builtin->takesBox && !number(args[0]))
        return badArguments(QStringLiteral("BOX is a number from 1 to 99"));
    if (builtin->takesPosition && !number(args[1]))
        return badArguments(QStringLiteral("POS is a number from 1 to 99"));
    if (command == QStringLiteral("move") && args[1] != QStringLiteral("left")
        && args[1] != QStringLiteral("right"))
        return badArguments(QStringLiteral("the direction is left or right"));
    if (command == QStringLiteral("macro")) {
        const QString& what = args[0];
        const qsizetype wanted = what == QStringLiteral("list") ? 2 : 3;
        if ((what != QStringLiteral("list") && what != QStringLiteral("get") && what != QStringLiteral("set"))
            || args.size() != wanted)
            return badArguments(QStringLiteral("macro takes list BOX, get BOX N or set BOX N"));
        if (!number(args[1]) || (wanted == 3 && !number(args[2])))
            return badArguments(QStringLiteral("BOX and N are numbers from 1 to 99"));
    }

    Session session;
    Startup(session.context).readShellSettings();
    if (parser.isSet(dataOption))
        session.context.setDataFolder(QDir(parser.value(dataOption)).absolutePath());
    // A data folder that is gone can still be named, or replaced by another one.
    if (command != QStringLiteral("data-folder") && !QFileInfo(session.context.dataFolder()).isDir())
        return fail(QStringLiteral("the data folder %1 does not exist").arg(session.context.dataFolder()));
    return (this->*(builtin->handler))(session.context, args);
}

int TrellinCtl::dataFolder(DataContext& context, const QStringList& args)
{
    if (args.isEmpty()) {
        print(context.dataFolder() + u'\n');
        return Success;
    }
    const Messages messages(context.log());
    const Result<DataFolderMove::Outcome> moved
        = DataFolderMove(context).moveTo(QDir(args[0]).absolutePath());
    if (!moved)
        return fail(QString(moved.error()).replace(u'\n', u' '));
    print(messages.text());
    if (!moved->leftBehind.isEmpty())
        m_err.write(QStringLiteral("trellinctl: the old copies of %1 could not be removed\n")
                        .arg(moved->leftBehind.join(QStringLiteral(", ")))
                        .toUtf8());
    return Success;
}

int TrellinCtl::options(DataContext& context, const QStringList&)
{
    using Key = Settings::Key;
    for (const Key key :
        {Key::ClipColour, Key::WarnOverwrite, Key::MacroDelay, Key::MacroPromptBefore, Key::MacroInformAfter})
        print(QStringLiteral("%1\t%2\n")
                  .arg(QLatin1String(Settings::entry(key).name), context.settings().text(key)));
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

int TrellinCtl::keys(const QString& notation)
{
    const KeystrokeNotation::Result parsed = KeystrokeNotation::parse(notation);
    if (!parsed.ok())
        return fail(parsed.error->message());
    for (const KeyAction& action : parsed.actions)
        print(action.toString() + u'\n');
    return Success;
}

int TrellinCtl::replace(const QString& find, const QString& replacement)
{
    const QByteArray input = m_in.readAll();
    const QString text = QString::fromUtf8(input);
    if (text.toUtf8() != input)
        return fail(QStringLiteral("standard input is not valid UTF-8; nothing was replaced"));
    const FindReplace::Replaced replaced = FindReplace::replaceAll(text, find, replacement);
    print(replaced.text);
    m_err.write(QByteArray::number(replaced.count) + '\n');
    return Success;
}

int TrellinCtl::names(DataContext& context, const QStringList&)
{
    const Result<QStringList> names = NamesFile::read(context.dataFolder());
    if (!names)
        return fail(names.error());
    for (const QString& name : *names)
        print(name + u'\n');
    return Success;
}

int TrellinCtl::get(DataContext& context, const QStringList& args)
{
    BoxStore store(context);
    print(store.readPosition(*number(args[1]), *number(args[0])));
    return Success;
}

int TrellinCtl::set(DataContext& context, const QStringList& args)
{
    const int box = *number(args[0]);
    const int position = *number(args[1]);
    const Result<QString> input = readInput(QStringLiteral("text"));
    if (!input)
        return fail(input.error());
    const QString& text = *input;

    BoxStore store(context);
    const Messages messages(context.log());
    const Result<SaveOutcome> saved = store.savePosition(text, position, box, true);
    if (!saved)
        return fail(
            QStringLiteral("box %1, position %2 not saved: %3").arg(box).arg(position).arg(saved.error()));
    print(messages.text());
    return Success;
}

int TrellinCtl::list(DataContext& context, const QStringList& args)
{
    BoxStore store(context);
    store.loadBox(*number(args[0]));
    for (int position = 1; position <= DataFiles::kPositionCount; ++position) {
        if (store.isOccupied(position))
            print(QStringLiteral("%1\t%2\n").arg(position).arg(firstLine(store.cached(position))));
    }
    return Success;
}

int TrellinCtl::search(DataContext& context, const QStringList& args)
{
    // Every hit repeated "Find next" presses would show, in the same order.
    SearchEngine engine(context.dataFolder());
    bool found = false;
    for (;;) {
        const SearchHit hit = engine.find(args[0], m_search).hit;
        if (!hit.found())
            break;
        found = true;
        if (hit.kind == SearchHit::Kind::Text)
            print(QStringLiteral("TEXT\t%1\t%2\t%3\n").arg(hit.box).arg(hit.number).arg(firstLine(hit.text)));
        else
            print(QStringLiteral("MACRO\t%1\t%2\t%3\n")
                      .arg(hit.box)
                      .arg(hit.number)
                      .arg(SearchTexts::macroName(hit.text, hit.number)));
    }
    if (found)
        return Success;
    const QString boxName = m_search.onlyBox == 0
        ? QString()
        : NamesFile::readOrDefaults(context.dataFolder()).value(m_search.onlyBox - 1);
    return fail(SearchTexts::notFound(args[0], false, boxName));
}

int TrellinCtl::rename(DataContext& context, const QStringList& args)
{
    if (args[1].isEmpty())
        return badArguments(QStringLiteral("the new name is empty"));
    BoxStore store(context);
    NoClipboard clipboard;
    BoxManager manager(context, store, clipboard);
    const Result<> renamed = manager.renameBox(*number(args[0]), args[1]);
    if (!renamed)
        return fail(renamed.error());
    return Success;
}

int TrellinCtl::move(DataContext& context, const QStringList& args)
{
    const BoxManager::Direction direction
        = args[1] == QStringLiteral("left") ? BoxManager::Direction::Left : BoxManager::Direction::Right;

    BoxStore store(context);
    NoClipboard clipboard;
    BoxManager manager(context, store, clipboard);
    const Result<int> moved = manager.moveBox(*number(args[0]), direction);
    if (!moved)
        return fail(moved.error());
    print(QStringLiteral("%1\n").arg(*moved));
    return Success;
}

int TrellinCtl::clear(DataContext& context, const QStringList& args)
{
    const bool both = !m_clearTexts && !m_clearMacros;
    BoxStore store(context);
    NoClipboard clipboard;
    BoxManager manager(context, store, clipboard);
    const Messages messages(context.log());
    const Result<> cleared = manager.clearBox(*number(args[0]), both || m_clearTexts, both || m_clearMacros);
    if (!cleared)
        return fail(cleared.error());
    print(messages.text());
    return Success;
}

int TrellinCtl::macro(DataContext& context, const QStringList& args)
{
    MacroStore store(context);
    const int box = *number(args[1]);
    if (args[0] == QStringLiteral("list")) {
        const QStringList names = store.macroNames(box);
        for (int n = 1; n <= int(names.size()); ++n)
            print(QStringLiteral("%1\t%2\n").arg(n).arg(names.at(n - 1)));
        return Success;
    }
    const int macro = *number(args[2]);
    if (args[0] == QStringLiteral("get")) {
        print(RecordFile::readRecord(store.macroFile(box), macro, QString()));
        return Success;
    }
    const Result<QString> input = readInput(QStringLiteral("record"));
    if (!input)
        return fail(input.error());
    const QString& record = *input;
    const Messages messages(context.log());
    const Result<MacroSaveOutcome> saved = store.saveMacro(record, macro, box);
    if (!saved)
        return fail(
            QStringLiteral("macro %1 of box %2 not saved: %3").arg(macro).arg(box).arg(saved.error()));
    print(messages.text());
    return Success;
}

int TrellinCtl::play(DataContext& context, const QStringList& args)
{
    const int box = *number(args[0]);
    const int macro = *number(args[1]);
    const QString body = MacroStore(context).readMacroBody(macro, box);
    if (MacroInterpreter::playedText(body).isEmpty())
        return fail(QStringLiteral("macro %1 of box %2 is empty").arg(macro).arg(box));
    return m_dryRun ? runText(body) : playInFocusedWindow(context, body);
}

int TrellinCtl::runText(const QString& macroText)
{
    RecordingHost host;
    host.answer = m_answer;
    ClockFormats formats(QLocale::system(), m_now);
    const MacroOutcome outcome = MacroInterpreter::run(macroText, host, formats);
    for (const QString& call : std::as_const(host.calls))
        print(call + u'\n');
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

int TrellinCtl::playInFocusedWindow(DataContext& context, const QString& macroText)
{
    KeySender* sender = m_keySender();
    if (!sender)
        return fail(QStringLiteral("keys cannot be typed here"));
    const double delay = std::clamp(context.settings().number(Settings::Key::MacroDelay), 0.0, 10.0);
    FocusedWindowHost host(*sender, int(std::lround(delay * 1000)), m_err);
    ClockFormats formats(QLocale::system(), m_now);
    const MacroOutcome outcome = MacroInterpreter::run(macroText, host, formats);
    if (outcome.kind == MacroOutcome::Kind::Error)
        return fail(outcome.reason);
    return outcome.kind == MacroOutcome::Kind::Finished ? Success : Failure;
}

int TrellinCtl::calc(const QString& expression, const QString& places)
{
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
