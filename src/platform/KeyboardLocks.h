#pragma once

// The keyboard's lock states.
class KeyboardLocks
{
public:
    virtual ~KeyboardLocks() = default;

    // Num Lock on, Caps Lock and Scroll Lock off. False when the keyboard cannot be reached.
    virtual bool setNumLockOn() = 0;
};
