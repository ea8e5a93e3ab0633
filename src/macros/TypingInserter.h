#pragma once

#include "platform/TextInserter.h"

class KeySender;

// Inserts a text by typing it key by key through a key sender.
class TypingInserter final : public TextInserter
{
public:
    explicit TypingInserter(KeySender& keys)
        : m_keys(keys)
    { }

    using TextInserter::insertText;
    Result<> insertText(const QString& text) override;

private:
    KeySender& m_keys;
};
