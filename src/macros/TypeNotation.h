#pragma once

#include "core/Result.h"

#include <QString>

#include "platform/TextInserter.h"

class KeySender;

// Types text in the keystroke notation through a key sender: reads the notation and hands the
// actions to KeySender::sendActions(). A text it cannot read types nothing and is the failure;
// an empty text types nothing and needs no window. With wait, returns only after the keys
// have reached the receiving window.
Result<> typeNotation(KeySender& keys, const QString& notation, bool wait);

// Types a notation the same way, except that each run of characters typed with no modifier
// held goes through the inserter, which types or pastes it as its rules choose; keys and
// modified characters are typed in between. Returns once the target has every piece.
Result<> insertNotation(
    KeySender& keys, TextInserter& inserter, const QString& notation, InsertChoice choice);
