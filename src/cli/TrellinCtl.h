#pragma once

#include "core/Result.h"
#include "search/SearchEngine.h"

#include <QDateTime>
#include <QIODevice>
#include <QStringList>

#include <functional>
#include <optional>

class DataContext;
class KeySender;

// trellinctl, the command-line companion: scripts read and change the boxes through the same
// code as the window. Text goes in and out as UTF-8. Exit status 0 on success, 1 on a failure
// (its reason, one line on standard error), 2 on bad arguments (with a usage line).
class TrellinCtl
{
public:
    enum ExitCode
    {
        Success = 0,
        Failure = 1,
        BadArguments = 2
    };

    TrellinCtl(QIODevice& in, QIODevice& out, QIODevice& err);

    // The whole command line, the program's name first.
    int run(const QStringList& arguments);

    static QString usage();

    // Subcommands that need more than the domain libraries (typing keys) are registered by the
    // program's main(); each gets the arguments after its name.
    using Handler = std::function<int(const QStringList& args, QIODevice& out, QIODevice& err)>;
    void addCommand(const QString& name, int minArgs, int maxArgs, Handler handler);
    // Where "play" types; asked only when a macro plays for real. Without one, play needs --dry-run.
    void setKeySender(std::function<KeySender*()> sender) { m_keySender = std::move(sender); }

private:
    int keys(const QString& notation);
    int calc(const QString& expression, const QString& places);
    int names(DataContext& context, const QStringList& args);
    int get(DataContext& context, const QStringList& args);
    int set(DataContext& context, const QStringList& args);
    int list(DataContext& context, const QStringList& args);
    int rename(DataContext& context, const QStringList& args);
    int move(DataContext& context, const QStringList& args);
    int clear(DataContext& context, const QStringList& args);
    int macro(DataContext& context, const QStringList& args);
    int play(DataContext& context, const QStringList& args);
    int dataFolder(DataContext& context, const QStringList& args);
    int options(DataContext& context, const QStringList& args);
    int search(DataContext& context, const QStringList& args);
    int runText(const QString& macroText);
    int replace(const QString& find, const QString& replacement);
    int playInFocusedWindow(DataContext& context, const QString& macroText);

    // Standard input as UTF-8 text within the length limit of a stored text.
    Result<QString> readInput(const QString& what);
    int fail(const QString& message);
    int badArguments(const QString& message);
    void print(const QString& text);

    struct Command
    {
        QString name;
        int minArgs;
        int maxArgs;
        Handler handler;
    };
    QList<Command> m_extra;
    QIODevice& m_in;
    QIODevice& m_out;
    QIODevice& m_err;
    bool m_clearTexts = false;
    bool m_clearMacros = false;
    std::optional<QDateTime> m_now;
    std::optional<QString> m_answer;
    bool m_dryRun = false;
    SearchOptions m_search;
    std::function<KeySender*()> m_keySender;
};
