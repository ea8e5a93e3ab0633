#include "core/LeadingNumber.h"

#include <charconv>
#include <cmath>
#include <string>

namespace {

bool isSkipped(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Walks the text while skipping blanks, tabs and line feeds between any two characters.
class Cursor
{
public:
    explicit Cursor(const QString& text)
        : m_text(text)
    {
        skip();
    }
    bool atEnd() const { return m_pos >= m_text.size(); }
    QChar peek() const { return atEnd() ? QChar() : m_text.at(m_pos); }
    void advance()
    {
        ++m_pos;
        skip();
    }

private:
    void skip()
    {
        while (m_pos < m_text.size() && isSkipped(m_text.at(m_pos)))
            ++m_pos;
    }
    const QString& m_text;
    qsizetype m_pos = 0;
};

bool takeDigits(Cursor& cur, std::string& out)
{
    bool any = false;
    while (isDigit(cur.peek())) {
        out += char(cur.peek().unicode());
        cur.advance();
        any = true;
    }
    return any;
}

} // namespace

double leadingNumber(const QString& text)
{
    Cursor cur(text);
    std::string number;
    if (cur.peek() == u'+' || cur.peek() == u'-') {
        number += char(cur.peek().unicode());
        cur.advance();
    }
    bool digits = takeDigits(cur, number);
    if (cur.peek() == u'.') {
        number += '.';
        cur.advance();
        digits = takeDigits(cur, number) || digits;
    }
    if (!digits)
        return 0.0;

    const QChar e = cur.peek().toUpper();
    if (e == u'E' || e == u'D') {
        cur.advance();
        std::string exponent = "e";
        if (cur.peek() == u'+' || cur.peek() == u'-') {
            exponent += char(cur.peek().unicode());
            cur.advance();
        }
        // An exponent letter without digits ends the number before the letter.
        if (takeDigits(cur, exponent))
            number += exponent;
    }
    // from_chars ignores the locale, so "." is the decimal point everywhere.
    const char* first = number.c_str();
    if (*first == '+')
        ++first;
    double value = 0.0;
    const auto [end, error] = std::from_chars(first, number.c_str() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        const bool negative = number.front() == '-';
        const bool tiny = number.find("e-") != std::string::npos;
        return tiny ? 0.0 : (negative ? -HUGE_VAL : HUGE_VAL);
    }
    return value;
}
