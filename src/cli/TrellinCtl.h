#pragma once

#include <QIODevice>
#include <QStringList>

#include <functional>

class AppState;

// trellinctl, the command-line companion: scripts read and change the boxes through the same
// code as the window. Text goes in and out as UTF-8. Exit status 0 on success, 1 on a failure
// (one line on standard error), 2 on bad arguments (with a usage line).
class TrellinCtl
{
public:
    enum ExitCode { Success = 0, Failure = 1, BadArguments = 2 };

    TrellinCtl(QIODevice& in, QIODevice& out, QIODevice& err);

    int run(QStringList args);

    static QString usage();

    // Subcommands that need more than the domain library (typing keys) are registered by the
    // program's main(); each gets the arguments after its name.
    using Handler = std::function<int(const QStringList& args, QIODevice& out, QIODevice& err)>;
    void addCommand(const QString& name, int minArgs, int maxArgs, Handler handler);

private:
    int keys(const QString& notation);
    int names(AppState& state);
    int get(AppState& state, const QStringList& args);
    int set(AppState& state, const QStringList& args);
    int list(AppState& state, const QStringList& args);
    int rename(AppState& state, const QStringList& args);
    int move(AppState& state, const QStringList& args);
    int clear(AppState& state, const QStringList& args);

    int fail(const QString& message);
    int badArguments(const QString& message);
    void print(const QString& text);

    struct Extra
    {
        QString name;
        int minArgs;
        int maxArgs;
        Handler handler;
    };
    QList<Extra> m_extra;
    QIODevice& m_in;
    QIODevice& m_out;
    QIODevice& m_err;
};
