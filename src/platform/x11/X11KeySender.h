#pragma once

#include "platform/KeySender.h"
#include "platform/x11/X11Connection.h"

#include <QElapsedTimer>
#include <QTimer>

#include <vector>

// Types key actions into the focused window of any X11 program with raw XTest events, on its
// own Xlib connection.
//
// A character missing from the keyboard map is typed through a slot of a spare keycode (one
// with no keysyms): each spare keycode offers four groups of two levels, eight characters,
// reached by locking the group and holding Shift around the key. The receiving program reads
// the new map only when it handles the mapping notification, so unbinding at once would lose
// the character: bindings stay for the whole send and are released releaseDelayMs after the
// last key, or kept for the next send if that comes sooner.
//
// A slot is bound anew only when every slot holds a character, and then all that are not
// needed next are re-bound at once, after the receiver has handled the keys typed on them.
// When the receiving window answers the window manager's _NET_WM_PING (Qt and GTK windows
// do), the answer shows it has handled every key sent before: a send with wait returns only
// then, and re-binding waits for it. Without it, a pause stands in (see X11Typist).
class X11KeySender : public KeySender
{
public:
    struct Options
    {
        int paceEvery; // keys between two pauses; 0 never pauses
        int paceMicroseconds;
        int releaseDelayMs; // spare keycodes stay bound this long after the last key
        // Before a spare keycode is bound anew, when the receiver cannot be pinged: this, plus
        // 10 ms for each keyboard map change the receiver may still have to read. A busy machine
        // keeps a receiver a few hundred milliseconds behind, and a re-bound keycode it reads too
        // late types the wrong character, so the pause is wide: it is rare and costs little.
        int rebindPauseMs;
        bool pingReceiver;
        int receiverTimeoutMs; // longest wait for the receiver's answer
    };
    static Options defaultOptions() { return {8, 1000, 200, 300, true, 2000}; }

    explicit X11KeySender(const QByteArray& displayName = QByteArray());
    X11KeySender(const Options& options, const QByteArray& displayName);
    ~X11KeySender() override;

    Result sendActions(const QList<KeyAction>& actions, bool wait) override;

    bool isAvailable() const { return unavailableReason().isEmpty(); }
    // Why keys cannot be typed ("no X11 display (DISPLAY is not set)"); empty when they can.
    QString unavailableReason() const;
    const Options& options() const { return m_options; }
    void setOptions(const Options& options) { m_options = options; }

    // Characters and keys bound to spare keycodes at the moment; they are released by a timer
    // after the last key.
    int boundCharacters() const;
    // Releases them now. Safe at any time between sends.
    void releaseSpareKeycodes();

private:
    // The typist of one send works on the bindings, the options and the receiver of this sender.
    friend class X11Typist;
    // Four groups of two levels on every spare keycode.
    static constexpr int kSlotsPerKeycode = 8;
    struct Binding
    {
        unsigned char keycode;
        int group; // 0..3
        int level; // 1 is reached with Shift
        unsigned long keysym;
    };

    void unbindAll();
    // Writes the rows of these spare keycodes as m_bindings has them, in one XKB request: the
    // core protocol cannot lower the group count again once a row had four groups.
    void writeSpareKeys(const std::vector<unsigned char>& keycodes);
    bool waitForReceiver();
    unsigned long pingableFocusWindow();

    Options m_options;
    X11Connection m_connection;
    std::vector<Binding> m_bindings;
    unsigned long m_protocolsAtom = 0;
    unsigned long m_pingAtom = 0;
    unsigned long m_pidAtom = 0;
    long m_pingStamp = 0;
    bool m_lastPingAnswered = false; // the outcome of the last waitForReceiver
    bool m_receiverCaughtUp = false; // the receiver answered after the last key of the last send
    QTimer m_releaseTimer;
    QElapsedTimer m_sinceLastKey;
};
