#include "ChildProcess.h"
#include "GuiTestMain.h"
#include "TargetProcess.h"
#include "macros/KeystrokeNotation.h"
#include "macros/TypeNotation.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11KeySender.h"
#include "platform/x11/X11KeyboardLocks.h"

#include <QScopeGuard>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

// Notation and the text it types, some 2000 characters: every US symbol, line ends and tabs
// in all spellings, a shifted group, and characters that have no key on a US keyboard.
QList<std::pair<QString, QString>> mixedText()
{
    const QString words = "the quick brown fox jumps over the lazy dog THE QUICK BROWN FOX 0123456789 ";
    const QString symbols = "~!@#$%^&*()_+{}|:\"<>? -=[]\\;',./` é € ł ß 日本 Ωμέγα\t\n";
    const QList<std::pair<QString, QString>> block {{KeystrokeNotation::escape(words), words},
        {KeystrokeNotation::escape(symbols), symbols}, {"~", "\n"}, {"{TAB}", "\t"}, {"+(abc)x", "ABCx"},
        {"{ENTER}", "\n"}};
    QList<std::pair<QString, QString>> pieces;
    for (int i = 0; i < 15; ++i)
        pieces += block;
    return pieces;
}

bool anyKeyDown(Display* display)
{
    std::array<char, 32> keys {};
    XQueryKeymap(display, keys.data());
    return std::any_of(keys.begin(), keys.end(), [](char bits) { return bits != 0; });
}

// How many keycodes the server's keyboard map binds to keysym; for NoSymbol, how many are
// spare (bound to nothing at all).
int keycodesFor(Display* display, KeySym keysym)
{
    int minKeycode = 0, maxKeycode = 0, perKeycode = 0;
    XDisplayKeycodes(display, &minKeycode, &maxKeycode);
    KeySym* map = XGetKeyboardMapping(display, KeyCode(minKeycode), maxKeycode - minKeycode + 1, &perKeycode);
    int count = 0;
    for (KeySym* row = map; row < map + (maxKeycode - minKeycode + 1) * perKeycode; row += perKeycode)
        count += keysym == NoSymbol ? std::count(row, row + perKeycode, NoSymbol) == perKeycode
                                    : std::count(row, row + perKeycode, keysym) > 0;
    XFree(map);
    return count;
}

const KeySym kIdeograph = 0x01000000 | 0x65e5; // 日

} // namespace

class TestX11Keyboard : public QObject
{
    Q_OBJECT

    Display* display() const { return m_connection.display(); }

    X11Connection m_connection;
    X11KeySender m_sender;
    X11KeyboardLocks m_locks;
    TargetProcess m_target;

private slots:
    void initTestCase()
    {
        QVERIFY2(m_sender.isAvailable(), qPrintable(m_sender.unavailableReason()));
        QVERIFY(m_target.start(u"Typing target"_s));
    }
    void init()
    {
        QVERIFY(m_target.clear());
        QVERIFY(m_locks.setLocks({false, false, false}));
        m_sender.setOptions(X11KeySender::defaultOptions());
    }

    // Nothing dropped or reordered, nothing left pressed, whatever state the keyboard was in.
    void typesIntoAnotherProgram_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("one send, Caps Lock on") << "caps";
        QTest::newRow("one send while the user holds Ctrl") << "ctrl";
        QTest::newRow("many sends with wait") << "pieces";
    }
    void typesIntoAnotherProgram()
    {
        QFETCH(QString, how);
        const bool capsLock = how == u"caps", inPieces = how == u"pieces";
        QVERIFY(m_locks.setLocks({capsLock, false, false}));
        if (how == u"ctrl") {
            XTestFakeKeyEvent(display(), XKeysymToKeycode(display(), XK_Control_L), True, CurrentTime);
            XSync(display(), False);
            QVERIFY(anyKeyDown(display()));
        }

        QString notation, expected;
        for (const auto& [keys, text] : mixedText()) {
            notation += keys;
            expected += text;
            if (inPieces)
                QCOMPARE(typeNotation(m_sender, keys, true).error(), QString());
        }
        if (!inPieces)
            QCOMPARE(typeNotation(m_sender, notation, true).error(), QString());
        QCOMPARE(m_target.waitForText(expected), expected);

        XkbStateRec state {};
        XkbGetState(display(), XkbUseCoreKbd, &state);
        QCOMPARE(state.base_mods | state.latched_mods, 0);
        QCOMPARE(bool(state.locked_mods & LockMask), capsLock);
        QVERIFY(!anyKeyDown(display()));
    }

    void namedKeysAndModifiers()
    {
        QCOMPARE(
            typeNotation(m_sender, u"^a%b{F5}+{END}{ESC}{ADD}{PGDN}+{TAB}{BS}"_s, true).error(), QString());
        const QStringList expected {
            "Ctrl+A", "Alt+B", "F5", "Shift+End", "Esc", "Num++", "PgDown", "Shift+Backtab", "Backspace"};
        QTRY_COMPARE_WITH_TIMEOUT(m_target.keys(), expected, kSlowMachineMs);
        QVERIFY(!anyKeyDown(display()));
    }

    // Spare keycodes are released a while after the last key, and before trellinctl exits right
    // after its send, or the user's keymap keeps them; every character must still arrive.
    void spareKeycodesReleasedAfterTheLastKey()
    {
        m_sender.releaseSpareKeycodes();
        QVERIFY(typeNotation(m_sender, u"日本"_s, true).ok());
        QCOMPARE(m_sender.boundCharacters(), 2);
        QCOMPARE(keycodesFor(display(), kIdeograph), 1);

        QCOMPARE(m_target.waitForText(u"日本"_s), u"日本"_s);
        QTRY_COMPARE_WITH_TIMEOUT(m_sender.boundCharacters(), 0, kSlowMachineMs);
        QCOMPARE(keycodesFor(display(), kIdeograph), 0);

        QVERIFY(m_target.clear());
        QCOMPARE(
            QProcess::execute(QStringLiteral(TRELLINCTL), {"type", "w\u00F6rld \u65E5\u672C~+(abc)"}), 0);
        const QString expected = u"w\u00F6rld \u65E5\u672C\nABC"_s;
        QCOMPARE(m_target.waitForText(expected), expected);
        QCOMPARE(keycodesFor(display(), kIdeograph), 0);

        // trellinctl play types a stored macro the same way.
        QVERIFY(m_target.clear());
        QTemporaryDir data;
        QCOMPARE(ChildProcess::run(QStringLiteral(TRELLINCTL),
                     {"--data", data.path(), "macro", "set", "1", "1"}, "Hi>h{TAB}{CNT 7}{CNT}~")
                     .code,
            0);
        QCOMPARE(QProcess::execute(QStringLiteral(TRELLINCTL), {"--data", data.path(), "play", "1", "1"}), 0);
        QCOMPARE(m_target.waitForText(u"h\t7\n"_s), u"h\t7\n"_s);
    }

    // Without the ping only a pause protects a re-used slot, and a loaded machine can keep the
    // receiver behind for hundreds of milliseconds: two re-uses with a wide pause.
    void moreDistinctCharactersThanSlots()
    {
        for (const auto& [ping, extra] : {std::pair {true, 15}, {false, 2}}) {
            QVERIFY(m_target.clear());
            X11KeySender::Options options = X11KeySender::defaultOptions();
            options.pingReceiver = ping;
            options.rebindPauseMs = 1000;
            m_sender.setOptions(options);
            m_sender.releaseSpareKeycodes();
            QString text;
            for (int i = 0; i < keycodesFor(display(), NoSymbol) * 8 + extra; ++i)
                text += QChar(0x4e00 + 3 * i);
            text += text.left(5); // typed again after their keycodes were re-used
            QCOMPARE(typeNotation(m_sender, text, true).error(), QString());
            QCOMPARE(m_target.waitForText(text), text);
        }
    }

    void setNumLockOn()
    {
        // From Caps Lock on, and with Num Lock already on.
        for (const X11KeyboardLocks::State before :
            {X11KeyboardLocks::State {true, false, false}, {false, true, false}}) {
            QVERIFY(m_locks.setLocks(before) && m_locks.setNumLockOn());
            const auto state = m_locks.state();
            QVERIFY(state && state->numLock && !state->capsLock && !state->scrollLock);
        }
    }

    // A layout without Latin letters, into a window that cannot be pinged: more characters
    // are missing than the first group of the spare keycodes holds, so the others are used,
    // and the layout has one group again once they are released. The layout change wipes the
    // characters still bound from before.
    void anyLayoutIntoAWindowWithoutPing()
    {
        X11KeySender::Options options = X11KeySender::defaultOptions();
        options.releaseDelayMs = 3600000;
        m_sender.setOptions(options);
        QCOMPARE(typeNotation(m_sender, u"日本"_s, true).error(), QString());
        QCOMPARE(m_target.waitForText(u"日本"_s), u"日本"_s);
        QCOMPARE(QProcess::execute(u"setxkbmap"_s, {"ru"}), 0);
        const auto restore = qScopeGuard([this] {
            m_sender.releaseSpareKeycodes();
            QProcess::execute(u"setxkbmap"_s, {"us"});
        });
        TargetProcess tk;
        QVERIFY(tk.start(u"Tk target"_s, TargetProcess::Toolkit::Tk));
        QCOMPARE(typeNotation(m_sender, u"日本"_s, true).error(), QString());
        QCOMPARE(tk.waitForText(u"日本"_s), u"日本"_s);
        QString text;
        for (int i = 0; i < 6; ++i) {
            text += "Съешь же ещё этих мягких французских булок, да выпей чаю! ЁЖ №5\n"
                    "The quick brown fox jumps over the lazy dog; PACK MY BOX WITH FIVE DOZEN JUGS.\n"
                    "~!@#$%^&*()_+{}|:\"<>? -=[]\\;',./` 0123456789\t"
                    "café € łódź straße 日本語 Ωμέγα ✓\n";
        }
        QCOMPARE(typeNotation(m_sender, KeystrokeNotation::escape(text), true).error(), QString());
        QCOMPARE(tk.waitForText("日本" + text), "日本" + text);

        m_sender.releaseSpareKeycodes();
        XkbDescPtr keyboard = XkbGetMap(display(), 0, XkbUseCoreKbd);
        QVERIFY(keyboard && XkbGetControls(display(), XkbAllControlsMask, keyboard) == Success);
        QCOMPARE(int(keyboard->ctrls->num_groups), 1);
        XkbFreeKeyboard(keyboard, 0, True);
        XkbStateRec state {};
        XkbGetState(display(), XkbUseCoreKbd, &state);
        QCOMPARE(int(state.locked_group), 0);
        QVERIFY(!anyKeyDown(display()));
    }
};

TRELLIN_GUI_TEST_MAIN(TestX11Keyboard)
#include "tst_x11keyboard.moc"
