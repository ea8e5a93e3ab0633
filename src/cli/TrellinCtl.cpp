#include "cli/TrellinCtl.h"

#include "app/AppState.h"
#include "app/SettingsStore.h"
#include "app/Startup.h"
#include "app/StatusLog.h"
#include "boxes/BoxManager.h"
#include "boxes/BoxStore.h"
#include "boxes/NamesFile.h"
#include "boxes/RecordFile.h"
#include "cli/CliPrompter.h"
#include "core/Paths.h"
#include "macros/KeystrokeNotation.h"
#include "platform/Clipboard.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

// A box or position number: plain digits, 1..99.
std::optional<int> number(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    const bool digitsOnly = std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (!ok || !digitsOnly || value < 1 || value > 99)
        return std::nullopt;
    return value;
}

QString firstLine(const QString& text)
{
    const qsizetype end = text.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
    return end < 0 ? text : text.left(end);
}

// The message of a status log line, without its time stamp.
QString withoutStamp(const QString& line)
{
    return line.mid(10);
}

// A clipboard for commands that never reach the clipboard.
class NoClipboard : public Clipboard
{
public:
    bool ClipboardClear() override { return false; }
    bool ClipboardSetText(const QString&) override { return false; }
    QString ClipboardGetText() override { return QString(); }
};

} // namespace

TrellinCtl::TrellinCtl(QIODevice& in, QIODevice& out, QIODevice& err)
    : m_in(in)
    , m_out(out)
    , m_err(err)
{
}

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
        "  keys NOTATION             the key actions a keystroke notation types\n"
        "  type NOTATION             type a keystroke notation into the focused window\n");
}

void TrellinCtl::addCommand(const QString& name, int minArgs, int maxArgs, Handler handler)
{
    m_extra.append({ name, minArgs, maxArgs, std::move(handler) });
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

int TrellinCtl::run(QStringList args)
{
    std::optional<QString> dataFolder;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--data")) {
            if (i + 1 >= args.size())
                return badArguments(QStringLiteral("--data needs a folder"));
            dataFolder = args[i + 1];
            args.remove(i, 2);
            --i;
        } else if (args[i].startsWith(QStringLiteral("--data="))) {
            dataFolder = args[i].mid(7);
            args.remove(i);
            --i;
        }
    }
    if (args.isEmpty())
        return badArguments(QStringLiteral("no command given"));
    const QString command = args.takeFirst();
    if (command == QStringLiteral("-h") || command == QStringLiteral("--help") || command == QStringLiteral("help")) {
        print(usage());
        return Success;
    }

    for (const Extra& extra : std::as_const(m_extra)) {
        if (extra.name != command)
            continue;
        if (args.size() < extra.minArgs || args.size() > extra.maxArgs)
            return badArguments(QStringLiteral("wrong number of arguments for %1").arg(command));
        return extra.handler(args, m_out, m_err);
    }

    if (command == QStringLiteral("keys")) {
        if (args.size() != 1)
            return badArguments(QStringLiteral("wrong number of arguments for keys"));
        return keys(args[0]);
    }

    struct Builtin
    {
        const char* name;
        int minArgs;
        int maxArgs;
        bool takesPosition;
        int (TrellinCtl::*handler)(AppState&, const QStringList&);
    };
    static const Builtin builtins[] = {
        { "get", 2, 2, true, &TrellinCtl::get },         { "set", 2, 2, true, &TrellinCtl::set },
        { "list", 1, 1, false, &TrellinCtl::list },      { "rename", 2, 2, false, &TrellinCtl::rename },
        { "move", 2, 2, false, &TrellinCtl::move },      { "clear", 1, 3, false, &TrellinCtl::clear },
    };
    const Builtin* builtin = nullptr;
    for (const Builtin& b : builtins) {
        if (command == QLatin1String(b.name))
            builtin = &b;
    }
    if (!builtin && command != QStringLiteral("names"))
        return badArguments(QStringLiteral("unknown command %1").arg(command));
    const int minArgs = builtin ? builtin->minArgs : 0;
    const int maxArgs = builtin ? builtin->maxArgs : 0;
    if (args.size() < minArgs || args.size() > maxArgs)
        return badArguments(QStringLiteral("wrong number of arguments for %1").arg(command));

    // BOX (and POS for get and set) are checked before anything is read.
    if (builtin && !number(args[0]))
        return badArguments(QStringLiteral("BOX is a number from 1 to 99"));
    if (builtin && builtin->takesPosition && !number(args[1]))
        return badArguments(QStringLiteral("POS is a number from 1 to 99"));

    SettingsStore settings = SettingsStore::fromEnvironment();
    StatusLog log;
    CliPrompter prompter;
    AppState state(settings, log, prompter);
    Startup(state).readShellSettings();
    if (dataFolder)
        state.setDataFolder(QDir(*dataFolder).absolutePath());
    if (!QFileInfo(state.dataFolder()).isDir())
        return fail(QStringLiteral("the data folder %1 does not exist").arg(state.dataFolder()));

    if (!builtin)
        return names(state);
    return (this->*(builtin->handler))(state, args);
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

int TrellinCtl::names(AppState& state)
{
    QString error;
    const std::optional<QStringList> names = NamesFile::read(state.dataFolder(), &error);
    if (!names)
        return fail(error);
    for (const QString& name : *names)
        print(name + u'\n');
    return Success;
}

int TrellinCtl::get(AppState& state, const QStringList& args)
{
    const int box = *number(args[0]);
    const int position = *number(args[1]);
    BoxStore store(state);
    int b = box;
    print(store.ReadPosition(position, b));
    return Success;
}

int TrellinCtl::set(AppState& state, const QStringList& args)
{
    const int box = *number(args[0]);
    const int position = *number(args[1]);
    const QByteArray input = m_in.readAll();
    const QString text = QString::fromUtf8(input);
    if (text.toUtf8() != input)
        return fail(QStringLiteral("standard input is not valid UTF-8; nothing was saved"));
    if (text.size() > RecordFile::kMaxTextLength)
        return fail(QStringLiteral("the text is %1 characters long, over the limit of 9,999; nothing was saved")
                        .arg(text.size()));

    BoxStore store(state);
    const QString before = state.log().latest();
    const SaveOutcome outcome = store.SavePosition(text, position, box, true);
    const QString logged = state.log().latest();
    if (logged != before)
        print(withoutStamp(logged) + u'\n');
    if (outcome == SaveOutcome::Failed || outcome == SaveOutcome::Declined)
        return fail(withoutStamp(logged));
    return Success;
}

int TrellinCtl::list(AppState& state, const QStringList& args)
{
    const int box = *number(args[0]);
    state.setCurrentBox(box);
    BoxStore store(state);
    store.LoadBox();
    for (int position = 1; position <= AppState::kPositionCount; ++position) {
        if (store.isOccupied(position))
            print(QStringLiteral("%1\t%2\n").arg(position).arg(firstLine(store.cached(position))));
    }
    return Success;
}

int TrellinCtl::rename(AppState& state, const QStringList& args)
{
    const int box = *number(args[0]);
    if (args[1].isEmpty())
        return badArguments(QStringLiteral("the new name is empty"));
    BoxStore store(state);
    NoClipboard clipboard;
    BoxManager manager(state, store, clipboard);
    QString error;
    if (!manager.renameBox(box, args[1], &error))
        return fail(error);
    return Success;
}

int TrellinCtl::move(AppState& state, const QStringList& args)
{
    const int box = *number(args[0]);
    BoxManager::Direction direction;
    if (args[1] == QStringLiteral("left"))
        direction = BoxManager::Direction::Left;
    else if (args[1] == QStringLiteral("right"))
        direction = BoxManager::Direction::Right;
    else
        return badArguments(QStringLiteral("the direction is left or right"));
    if ((box == 1 && direction == BoxManager::Direction::Left)
        || (box == 99 && direction == BoxManager::Direction::Right))
        return fail(QStringLiteral("box %1 cannot move %2").arg(box).arg(args[1]));

    BoxStore store(state);
    NoClipboard clipboard;
    BoxManager manager(state, store, clipboard);
    const std::optional<int> moved = manager.moveBox(box, direction);
    if (!moved)
        return fail(withoutStamp(state.log().latest()));
    print(QStringLiteral("%1\n").arg(*moved));
    return Success;
}

int TrellinCtl::clear(AppState& state, const QStringList& args)
{
    const int box = *number(args[0]);
    bool texts = false;
    bool macros = false;
    for (const QString& option : args.mid(1)) {
        if (option == QStringLiteral("--texts"))
            texts = true;
        else if (option == QStringLiteral("--macros"))
            macros = true;
        else
            return badArguments(QStringLiteral("unknown option %1").arg(option));
    }
    if (!texts && !macros)
        texts = macros = true;
    BoxStore store(state);
    NoClipboard clipboard;
    BoxManager manager(state, store, clipboard);
    const bool ok = manager.clearBox(box, texts, macros);
    if (!ok)
        return fail(withoutStamp(state.log().latest()));
    print(withoutStamp(state.log().latest()) + u'\n');
    return Success;
}
