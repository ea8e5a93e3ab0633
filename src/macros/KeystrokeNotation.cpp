#include "macros/KeystrokeNotation.h"

#include <vector>

namespace {

using Modifier = KeyAction::Modifier;

bool isSpecial(char32_t c)
{
    switch (c) {
    case U'+':
    case U'^':
    case U'%':
    case U'~':
    case U'(':
    case U')':
    case U'{':
    case U'}':
    case U'[':
    case U']':
        return true;
    default:
        return false;
    }
}

std::optional<Modifier> modifierFor(QChar c)
{
    if (c == u'+')
        return Modifier::Shift;
    if (c == u'^')
        return Modifier::Control;
    if (c == u'%')
        return Modifier::Alt;
    return std::nullopt;
}

struct ParseFailure
{
    qsizetype index; // in UTF-16 units
    QString reason;
};

// Reads one character starting at index: its code point and its length in UTF-16 units.
struct CharAt
{
    char32_t code = 0;
    qsizetype length = 1;
    bool broken = false;
};

CharAt charAt(QStringView text, qsizetype index)
{
    const QChar c = text.at(index);
    if (c.isHighSurrogate() && index + 1 < text.size() && text.at(index + 1).isLowSurrogate())
        return {QChar::surrogateToUcs4(c, text.at(index + 1)), 2, false};
    if (c.isSurrogate())
        return {c.unicode(), 1, true};
    return {c.unicode(), 1, false};
}

// The action that types a character read from the text. Line ends and tabs become their keys.
std::optional<KeyAction> characterAction(char32_t code)
{
    if (code == U'\n' || code == U'\r')
        return KeyAction::pressKey(KeyAction::Key::Enter);
    if (code == U'\t')
        return KeyAction::pressKey(KeyAction::Key::Tab);
    if (code < 0x20 || (code >= 0x7f && code < 0xa0))
        return std::nullopt;
    return KeyAction::typeCharacter(code);
}

QString controlCharacterReason(char32_t code)
{
    const QString hex = QString::number(uint(code), 16).toUpper().rightJustified(4, u'0');
    return QStringLiteral("control character U+%1 cannot be typed").arg(hex);
}

class Parser
{
public:
    explicit Parser(QStringView text)
        : m_text(text)
    { }

    std::optional<ParseFailure> run()
    {
        while (m_pos < m_text.size()) {
            if (auto failure = step())
                return failure;
        }
        if (!m_groups.empty())
            return ParseFailure {m_groups.back().openIndex, QStringLiteral("'(' is never closed by ')'")};
        return std::nullopt;
    }

    QList<KeyAction> takeActions() { return std::move(m_actions); }

private:
    struct Group
    {
        qsizetype openIndex;
        std::vector<Modifier> pressed;
    };

    std::optional<ParseFailure> step()
    {
        const QChar c = m_text.at(m_pos);
        if (const auto modifier = modifierFor(c)) {
            addPending(*modifier);
            ++m_pos;
            return std::nullopt;
        }
        switch (c.unicode()) {
        case u'(':
            m_groups.push_back({m_pos, pressPending()});
            ++m_pos;
            return std::nullopt;
        case u')':
            if (m_groups.empty())
                return ParseFailure {m_pos, QStringLiteral("')' without an opening '('")};
            m_pending.clear();
            releaseAll(m_groups.back().pressed);
            m_groups.pop_back();
            ++m_pos;
            return std::nullopt;
        case u'~':
            ++m_pos;
            emitUnit({KeyAction::pressKey(KeyAction::Key::Enter)}, 1);
            return std::nullopt;
        case u'{':
            return readBraces();
        case u'}':
            return ParseFailure {m_pos, QStringLiteral("'}' without an opening '{'")};
        default:
            break;
        }
        // CR LF is one line end.
        if (c == u'\r' && m_pos + 1 < m_text.size() && m_text.at(m_pos + 1) == u'\n')
            ++m_pos;
        return readPlainCharacter();
    }

    std::optional<ParseFailure> readPlainCharacter()
    {
        const CharAt ch = charAt(m_text, m_pos);
        if (ch.broken)
            return ParseFailure {m_pos, QStringLiteral("broken character (a lone UTF-16 surrogate)")};
        const auto action = characterAction(ch.code);
        if (!action)
            return ParseFailure {m_pos, controlCharacterReason(ch.code)};
        m_pos += ch.length;
        emitUnit({*action}, 1);
        return std::nullopt;
    }

    // "{NAME}", "{NAME n}", "{c}" and "{c n}"; "{}}" types a closing brace.
    std::optional<ParseFailure> readBraces()
    {
        const qsizetype open = m_pos;
        if (open + 1 >= m_text.size())
            return ParseFailure {open, QStringLiteral("'{' is never closed by '}'")};
        // The first character inside may itself be "}".
        const qsizetype close = m_text.indexOf(u'}', open + 2);
        if (close < 0) {
            if (m_text.at(open + 1) == u'}')
                return ParseFailure {open, QStringLiteral("empty braces '{}'")};
            return ParseFailure {open, QStringLiteral("'{' is never closed by '}'")};
        }
        const QStringView content = m_text.sliced(open + 1, close - open - 1);

        QStringView name = content;
        int count = 1;
        if (!isSingleCharacter(content)) {
            const qsizetype blank = content.lastIndexOf(u' ');
            if (blank > 0) {
                name = content.first(blank);
                if (const auto invalid = readCount(content.sliced(blank + 1), count))
                    return ParseFailure {open, *invalid};
            }
        }

        KeyAction action;
        if (isSingleCharacter(name)) {
            const CharAt ch = charAt(name, 0);
            if (ch.broken)
                return ParseFailure {open, QStringLiteral("broken character (a lone UTF-16 surrogate)")};
            const auto typed = characterAction(ch.code);
            if (!typed)
                return ParseFailure {open, controlCharacterReason(ch.code)};
            action = *typed;
        } else if (const auto key = KeyAction::keyFromName(name)) {
            action = KeyAction::pressKey(*key);
        } else {
            return ParseFailure {open, QStringLiteral("unknown key name '%1'").arg(name.toString())};
        }
        m_pos = close + 1;
        emitUnit({action}, count);
        return std::nullopt;
    }

    static bool isSingleCharacter(QStringView text)
    {
        if (text.size() == 1)
            return true;
        return text.size() == 2 && text.at(0).isHighSurrogate() && text.at(1).isLowSurrogate();
    }

    // The repeat count after the blank: plain digits, at most kMaxRepeat.
    static std::optional<QString> readCount(QStringView text, int& count)
    {
        if (text.isEmpty())
            return QStringLiteral("missing repeat count after the blank");
        qint64 value = 0;
        for (const QChar c : text) {
            if (c < u'0' || c > u'9')
                return QStringLiteral("invalid repeat count '%1'").arg(text.toString());
            value = value * 10 + (c.unicode() - u'0');
            if (value > KeystrokeNotation::kMaxRepeat)
                return QStringLiteral("repeat count %1 is larger than %2")
                    .arg(text.toString())
                    .arg(KeystrokeNotation::kMaxRepeat);
        }
        count = int(value);
        return std::nullopt;
    }

    bool isHeld(Modifier m) const
    {
        for (const Group& group : m_groups) {
            for (Modifier held : group.pressed) {
                if (held == m)
                    return true;
            }
        }
        return false;
    }

    void addPending(Modifier m)
    {
        for (Modifier pending : m_pending) {
            if (pending == m)
                return;
        }
        m_pending.push_back(m);
    }

    std::vector<Modifier> pressPending()
    {
        std::vector<Modifier> pressed;
        for (Modifier m : m_pending) {
            if (isHeld(m))
                continue;
            m_actions.append(KeyAction::modifierDown(m));
            pressed.push_back(m);
        }
        m_pending.clear();
        return pressed;
    }

    void releaseAll(const std::vector<Modifier>& pressed)
    {
        for (auto it = pressed.rbegin(); it != pressed.rend(); ++it)
            m_actions.append(KeyAction::modifierUp(*it));
    }

    // A character or key, repeated, under the modifiers read just before it.
    void emitUnit(const KeyAction& action, int count)
    {
        if (count == 0) {
            m_pending.clear();
            return;
        }
        const std::vector<Modifier> pressed = pressPending();
        for (int i = 0; i < count; ++i)
            m_actions.append(action);
        releaseAll(pressed);
    }

    QStringView m_text;
    qsizetype m_pos = 0;
    QList<KeyAction> m_actions;
    std::vector<Modifier> m_pending;
    std::vector<Group> m_groups;
};

int characterPosition(QStringView text, qsizetype index)
{
    int position = 1;
    for (qsizetype i = 0; i < index && i < text.size(); ++i) {
        if (!(text.at(i).isLowSurrogate() && i > 0 && text.at(i - 1).isHighSurrogate()))
            ++position;
    }
    return position;
}

} // namespace

QString KeystrokeNotation::Error::message() const
{
    return QStringLiteral("character %1: %2").arg(position).arg(reason);
}

KeystrokeNotation::Result KeystrokeNotation::parse(QStringView notation)
{
    Parser parser(notation);
    Result result;
    if (const auto failure = parser.run()) {
        result.error = Error {characterPosition(notation, failure->index), failure->reason};
        return result;
    }
    result.actions = parser.takeActions();
    return result;
}

QString KeystrokeNotation::escape(QStringView text)
{
    QString escaped;
    escaped.reserve(text.size() + text.size() / 4);
    for (const QChar c : text) {
        if (isSpecial(c.unicode())) {
            escaped += u'{';
            escaped += c;
            escaped += u'}';
        } else {
            escaped += c;
        }
    }
    return escaped;
}
