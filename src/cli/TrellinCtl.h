#pragma once

#include "cli/CtlCommand.h"
#include "core/Result.h"
#include "remote/InstanceChannel.h"

#include <QDateTime>
#include <QHash>
#include <QIODevice>
#include <QStringList>

#include <functional>
#include <optional>

class DataContext;
class DetachedClipboard;
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

    // Every command, in the order --help lists them.
    static QList<CtlCommand> commands();

    // Where "play" and "type" type, asked only when keys are typed for real; the failure says
    // why no keys can be typed here.
    using KeySenderSource = std::function<Result<KeySender*>()>;
    void setKeySender(KeySenderSource sender) { m_keySender = std::move(sender); }
    // Where "copy" puts the text when the program does not run; none: copy fails then.
    void setClipboard(DetachedClipboard* clipboard) { m_clipboard = clipboard; }

private:
    // One parsed call: the command's row, its options and its operands.
    struct Call
    {
        const CtlCommand* command = nullptr;
        QHash<QString, QString> options; // a switch maps to ""
        QStringList args;
        DataContext* context = nullptr; // for commands that use the data folder

        bool has(const QString& option) const { return options.contains(option); }
        int number(int index) const; // a BOX, POS or N argument, checked when parsed
    };
    using Handler = int (TrellinCtl::*)(Call& call);
    struct Row
    {
        CtlCommand command;
        Handler handler;
    };
    static const QList<Row>& table();
    static const Row* findRow(const QStringList& arguments, qsizetype& words);
    static QString unknownCommand(const QString& word);

    int parseCommand(const CtlCommand& command, const QStringList& rest, Call& call);

    int help(Call& call);
    int names(Call& call);
    int get(Call& call);
    int set(Call& call);
    int list(Call& call);
    int rename(Call& call);
    int move(Call& call);
    int clear(Call& call);
    int restore(Call& call);
    int macroList(Call& call);
    int macroGet(Call& call);
    int macroSet(Call& call);
    int runText(Call& call);
    int play(Call& call);
    int show(Call& call);
    int pick(Call& call);
    int copy(Call& call);
    int dataFolder(Call& call);
    int options(Call& call);
    int search(Call& call);
    int keys(Call& call);
    int type(Call& call);
    int replace(Call& call);
    int calc(Call& call);

    // Sends the request to the running copy; without one, starts the program and sends it once
    // the program answers.
    int reachOrStart(const QStringList& request);
    // Prints what the running copy answered and returns its exit status.
    int relay(const InstanceChannel::Reply& reply);
    // How long show waits for a program it started to answer.
    static constexpr int kStartMs = 20000;

    // The macro steps of a dry run, one a line, then the outcome.
    int dryRun(const QString& macroText);
    int playInFocusedWindow(const Call& call, const QString& macroText);
    // --now and --answer of run-text and play; nothing when --now is malformed.
    bool readClockOptions(const Call& call);

    // What set and macro set print for each outcome; "failed" takes the reason as %1.
    struct SaveWords
    {
        QString saved, cleared, already, refused, failed;
    };
    // Stores standard input with save and prints what it did.
    template<typename Outcome>
    int storeInput(const QString& what, const SaveWords& words,
        const std::function<Result<Outcome>(const QString&)>& save);

    // Standard input as UTF-8 text within the length limit of a stored text.
    Result<QString> readInput(const QString& what);
    int fail(const QString& message);
    int badArguments(const QString& message, const CtlCommand* command = nullptr);
    void print(const QString& text);

    QIODevice& m_in;
    QIODevice& m_out;
    QIODevice& m_err;
    std::optional<QDateTime> m_now;
    std::optional<QString> m_answer;
    KeySenderSource m_keySender;
    DetachedClipboard* m_clipboard = nullptr;
};
