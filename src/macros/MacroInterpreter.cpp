#include "macros/MacroInterpreter.h"

#include "core/LeadingNumber.h"
#include "macros/MacroFormats.h"
#include "macros/PlaybackHost.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace {

// A stretch [begin, end) of the macro text. The remaining text, the repeat body and the repeat
// tail are always such stretches, so an error can name a position in the macro text.
struct Span
{
    qsizetype begin = 0;
    qsizetype end = 0;
    qsizetype size() const { return end - begin; }
};

// Rounds half to even, as every count and duration in a macro is rounded.
double roundHalfEven(double value)
{
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0))
        return below + 1.0;
    return below;
}

std::optional<int> toInt32(double value)
{
    // Written so that NaN is out of range too.
    if (!(value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max()))
        return std::nullopt;
    return int(value);
}

// The index after the character at index at, a surrogate pair being one character.
qsizetype nextCharacter(QStringView text, qsizetype at)
{
    const bool pair = text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate();
    return at + (pair ? 2 : 1);
}

// Where the piece that starts at from ends: kPieceLength characters on, or the end.
qsizetype pieceEnd(QStringView text, qsizetype from)
{
    qsizetype at = from;
    for (int n = 0; n < MacroInterpreter::kPieceLength && at < text.size(); ++n)
        at = nextCharacter(text, at);
    return at;
}

// The 1-based position of the character at index.
qsizetype characterNumber(QStringView text, qsizetype index)
{
    qsizetype number = 1;
    for (qsizetype at = 0; at < index; ++number)
        at = nextCharacter(text, at);
    return number;
}

// Upper-cases the command word: the characters after "{" up to the first blank or "}".
void upperCaseCommandWord(QString& token)
{
    for (qsizetype i = 1; i < token.size() && token[i] != u' ' && token[i] != u'}'; ++i)
        token[i] = token[i].toUpper();
}

// The argument of a brace token "{WORD arg}" that starts with prefix ("{WORD "), or nothing
// when the token has another form. The token's only "}" is its last character.
std::optional<QString> argument(const QString& token, QStringView prefix)
{
    if (token.size() <= prefix.size() || !token.startsWith(prefix) || !token.endsWith(u'}'))
        return std::nullopt;
    return token.mid(prefix.size(), token.size() - 1 - prefix.size());
}

class Playback
{
public:
    Playback(const QString& macroText, PlaybackHost& host, MacroFormats& formats)
        : m_text(MacroInterpreter::playedText(macroText))
        , m_host(host)
        , m_formats(formats)
        , m_remaining {0, m_text.size()}
    { }

    MacroOutcome play();

private:
    // Every step answers nothing to go on, or the outcome that ends the playback.
    using Step = std::optional<MacroOutcome>;

    static Step error(const QString& reason) { return MacroOutcome {MacroOutcome::Kind::Error, reason}; }
    static Step aborted() { return MacroOutcome {MacroOutcome::Kind::Aborted, {}}; }
    Step answered(StepAnswer answer) const { return answer == StepAnswer::Abort ? aborted() : Step(); }

    Step interpret(const QString& token);
    Step startRepeat(const QString& count);
    Step endRepeat();
    Step nextCount();
    Step wait(const QString& seconds);
    Step ask(const QString& question);
    Step type(const QString& text);
    Step typeInPieces(QStringView text);
    Step pace() { return answered(m_host.paceStep()); }

    QStringView remaining() const
    {
        return QStringView(m_text).sliced(m_remaining.begin, m_remaining.size());
    }

    const QString m_text;
    PlaybackHost& m_host;
    MacroFormats& m_formats;

    Span m_remaining;
    int m_repeatCount = 0;
    Span m_repeatBody;
    Span m_repeatTail;
    double m_counterValue = 0.0;
    double m_counterStep = 0.0;
};

MacroOutcome Playback::play()
{
    if (Step stop = pace())
        return *stop;
    while (remaining().contains(u'{')) {
        QString token;
        const QStringView rest = remaining();
        if (rest.startsWith(u'{')) {
            const qsizetype close = rest.indexOf(u'}');
            if (close < 0) {
                const qsizetype at = characterNumber(m_text, m_remaining.begin);
                // A repeat without a closing {RPT} plays only the next five characters, which
                // can cut a key name that is closed further on.
                const QString where = m_text.indexOf(u'}', m_remaining.end) >= 0
                    ? QStringLiteral(" within the repeated text")
                    : QString();
                return *error(QStringLiteral("'{' at character %1 is never closed%2").arg(at).arg(where));
            }
            token = rest.first(close + 1).toString();
            m_remaining.begin += close + 1;
            upperCaseCommandWord(token);
        } else {
            const qsizetype open = rest.indexOf(u'{');
            token = rest.first(open).toString();
            m_remaining.begin += open;
        }
        if (Step stop = interpret(token))
            return *stop;
    }
    if (Step stop = typeInPieces(remaining()))
        return *stop;
    return MacroOutcome {};
}

Playback::Step Playback::interpret(const QString& token)
{
    if (const auto count = argument(token, u"{RPT "))
        return startRepeat(*count);
    if (token == u"{RPT}")
        return endRepeat();
    if (const auto start = argument(token, u"{CNT ")) {
        const qsizetype comma = start->indexOf(u',');
        if (comma >= 0) {
            m_counterStep = leadingNumber(start->sliced(comma + 1));
            m_counterValue = leadingNumber(start->first(comma)) - m_counterStep;
        } else {
            m_counterStep = 1.0;
            m_counterValue = leadingNumber(*start) - 1.0;
        }
        return {};
    }
    if (token == u"{CNT}")
        return nextCount();
    if (token == u"{DATE}")
        return type(m_formats.date(QString()));
    if (const auto format = argument(token, u"{DATE "))
        return type(m_formats.date(*format));
    if (token == u"{TIME}")
        return type(m_formats.time(QString()));
    if (const auto format = argument(token, u"{TIME "))
        return type(m_formats.time(*format));
    if (const auto seconds = argument(token, u"{WAIT "))
        return wait(*seconds);
    if (const auto message = argument(token, u"{MSG "))
        return answered(m_host.messageStep(*message));
    if (const auto question = argument(token, u"{GET "))
        return ask(*question);
    if (const auto way = argument(token, u"{INSERT ")) {
        const QString word = way->trimmed().toUpper();
        if (word != u"TYPE" && word != u"PASTE" && word != u"AUTO")
            return error(
                QStringLiteral("'{INSERT %1}' names no way to insert: TYPE, PASTE or AUTO").arg(*way));
        m_host.setInsertChoice(word == u"TYPE" ? InsertChoice::Type
                : word == u"PASTE"             ? InsertChoice::Paste
                                               : InsertChoice::Rules);
        return {};
    }
    if (token.isEmpty() || argument(token, u"{'"))
        return {};
    return typeInPieces(token);
}

Playback::Step Playback::startRepeat(const QString& count)
{
    const auto passes = toInt32(roundHalfEven(leadingNumber(count)));
    if (!passes)
        return error(QStringLiteral("repeat count '%1' is outside the 32-bit range").arg(count));
    m_repeatCount = std::max(*passes, 1) - 1;

    // The body runs to one character past the closing {RPT}, or five characters on when there
    // is none; that character is never played, since {RPT} replaces the remaining text.
    const QStringView rest = remaining();
    const qsizetype close = rest.indexOf(u"{RPT}", 0, Qt::CaseInsensitive) + 1; // 1-based, 0 = none
    m_repeatTail = {m_remaining.begin + std::min(close + 4, rest.size()), m_remaining.end};
    m_repeatBody = {m_remaining.begin, m_remaining.begin + std::min(close + 5, rest.size())};
    m_remaining = m_repeatBody;
    return {};
}

Playback::Step Playback::endRepeat()
{
    if (m_repeatCount > 0) {
        --m_repeatCount;
        m_remaining = m_repeatBody;
    } else {
        // The tail is played once: a later {RPT} without a new start ends the macro.
        m_remaining = m_repeatTail;
        m_repeatBody = m_repeatTail = {};
    }
    return {};
}

Playback::Step Playback::nextCount()
{
    m_counterValue += m_counterStep;
    if (!std::isfinite(m_counterValue))
        return error(QStringLiteral("the counter overflowed"));
    return type(m_formats.number(m_counterValue));
}

Playback::Step Playback::wait(const QString& seconds)
{
    const auto value = m_formats.localeNumber(seconds);
    if (!value)
        return error(QStringLiteral("pause '%1' is not a number").arg(seconds));
    const auto milliseconds = toInt32(roundHalfEven(*value * 1000.0));
    if (!milliseconds)
        return error(QStringLiteral("pause '%1' is outside the 32-bit range of milliseconds").arg(seconds));
    m_host.waitMilliseconds(std::max(*milliseconds, 0));
    return {};
}

Playback::Step Playback::ask(const QString& question)
{
    const qsizetype tilde = question.indexOf(u'~');
    if (tilde < 0)
        return answered(m_host.inputStep(question, QString()));
    return answered(m_host.inputStep(question.first(tilde), question.sliced(tilde + 1)));
}

// Types text from outside the macro (a date, a time, a counter value) in one piece.
Playback::Step Playback::type(const QString& text)
{
    if (Step stop = pace())
        return stop;
    const Result<> sent = m_host.sendKeystrokes(text);
    return sent ? Step() : error(sent.error());
}

// Hands text over in pieces, with a pace step before the first and after each; the pieces take
// no account of the notation, so a key name can be cut.
Playback::Step Playback::typeInPieces(QStringView text)
{
    if (Step stop = pace())
        return stop;
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype end = pieceEnd(text, at);
        const Result<> sent = m_host.sendKeystrokes(text.sliced(at, end - at).toString());
        if (!sent)
            return error(sent.error());
        if (Step stop = pace())
            return stop;
        at = end;
    }
    return {};
}

} // namespace

MacroOutcome MacroInterpreter::run(const QString& macroText, PlaybackHost& host, MacroFormats& formats)
{
    return Playback(macroText, host, formats).play();
}

QString MacroInterpreter::playedText(const QString& body)
{
    return QString(body).remove(u'\r').remove(u'\n');
}
