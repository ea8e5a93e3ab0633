#pragma once

#include "core/Result.h"

#include <QString>

class KeySender;

// Types text in the keystroke notation through a key sender: reads the notation and hands the
// actions to KeySender::sendActions(). A text it cannot read types nothing and is the failure;
// an empty text types nothing and needs no window. With wait, returns only after the keys
// have reached the receiving window.
Result<> typeNotation(KeySender& keys, const QString& notation, bool wait);
