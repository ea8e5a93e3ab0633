#include "TargetProcess.h"
#include "TestEnvironment.h"
#include "macros/KeystrokeNotation.h"
#include "platform/X11Connection.h"
#include "platform/X11KeySender.h"
#include "platform/X11KeyboardLocks.h"

#include <QProcess>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

struct Piece
{
    QString notation;
    QString expected;
};

Piece literal(const QString& text)
{
    return {KeystrokeNotation::escape(text), text};
}

// About minimumLength characters of everything a macro types: both cases, digits, every
// US symbol, line ends and tabs in all spellings, a shifted group, and characters that
// have no key on a US keyboard.
QList<Piece> mixedText(int minimumLength)
{
    const QList<Piece> block {
        literal(QStringLiteral("the quick brown fox jumps over the lazy dog ")),
        literal(QStringLiteral("THE QUICK BROWN FOX 0123456789 ")),
        literal(QStringLiteral("~!@#$%^&*()_+{}|:\"<>? -=[]\\;',./` ")),
        {QStringLiteral("~"), QStringLiteral("\n")},
        {QStringLiteral("{TAB}"), QStringLiteral("\t")},
        {QStringLiteral("+(abc)x"), QStringLiteral("ABCx")},
        {QStringLiteral("{ENTER}"), QStringLiteral("\n")},
        literal(QStringLiteral("é € ł ß 日本 Ωμέγα\t")),
        {QStringLiteral("\n"), QStringLiteral("\n")},
    };
    QList<Piece> pieces;
    int length = 0;
    while (length < minimumLength) {
        for (const Piece& piece : block) {
            pieces.append(piece);
            length += int(piece.expected.size());
        }
    }
    return pieces;
}

bool anyKeyDown(Display* display)
{
    std::array<char, 32> keys {};
    XQueryKeymap(display, keys.data());
    return std::any_of(keys.begin(), keys.end(), [](char bits) { return bits != 0; });
}

// The server's keyboard mapping: the keysyms of each keycode.
QList<QList<KeySym>> keyboardMapping(Display* display)
{
    int minKeycode = 0;
    int maxKeycode = 0;
    XDisplayKeycodes(display, &minKeycode, &maxKeycode);
    int perKeycode = 0;
    KeySym* keysyms
        = XGetKeyboardMapping(display, KeyCode(minKeycode), maxKeycode - minKeycode + 1, &perKeycode);
    QList<QList<KeySym>> mapping;
    for (int keycode = 0; keycode <= maxKeycode - minKeycode; ++keycode)
        mapping.append(QList<KeySym>(keysyms + keycode * perKeycode, keysyms + (keycode + 1) * perKeycode));
    XFree(keysyms);
    return mapping;
}

bool keymapHolds(Display* display, KeySym wanted)
{
    const auto mapping = keyboardMapping(display);
    return std::any_of(
        mapping.begin(), mapping.end(), [wanted](const auto& row) { return row.contains(wanted); });
}

int spareKeycodeCount(Display* display)
{
    const auto mapping = keyboardMapping(display);
    return int(std::count_if(
        mapping.begin(), mapping.end(), [](const auto& row) { return row.count(NoSymbol) == row.size(); }));
}

} // namespace

class TestX11Keyboard : public QObject
{
    Q_OBJECT

private:
    Display* display() const { return m_connection.display(); }

    X11Connection m_connection;
    X11KeySender m_sender;
    X11KeyboardLocks m_locks;
    TargetProcess m_target;

private slots:
    void initTestCase()
    {
        QVERIFY2(m_sender.isAvailable(), qPrintable(m_sender.unavailableReason()));
        QVERIFY(m_target.start(QStringLiteral("Typing target")));
    }
    void init()
    {
        QVERIFY(m_target.clear());
        QVERIFY(m_locks.setLocks({false, false, false}));
    }

    void typesIntoAnotherProgram_data()
    {
        QTest::addColumn<bool>("inPieces");
        QTest::addColumn<bool>("capsLock");
        QTest::newRow("one send") << false << false;
        QTest::newRow("one send, Caps Lock on") << false << true;
        QTest::newRow("many sends with wait") << true << false;
    }
    void typesIntoAnotherProgram()
    {
        QFETCH(bool, inPieces);
        QFETCH(bool, capsLock);
        QVERIFY(m_locks.setLocks({capsLock, false, false}));

        QString notation;
        QString expected;
        for (const Piece& piece : mixedText(2000)) {
            notation += piece.notation;
            expected += piece.expected;
            if (inPieces)
                QVERIFY(m_sender.SendKeys(piece.notation, true).ok());
        }
        if (!inPieces) {
            const auto result = m_sender.SendKeys(notation, true);
            QVERIFY2(result.ok(), qPrintable(result.error));
        }
        QCOMPARE(m_target.waitForText(expected), expected);

        XkbStateRec state {};
        XkbGetState(display(), XkbUseCoreKbd, &state);
        QCOMPARE(state.base_mods, 0);
        QCOMPARE(state.latched_mods, 0);
        QCOMPARE(bool(state.locked_mods & LockMask), capsLock);
        QVERIFY(!anyKeyDown(display()));
    }

    void releasesModifierTheUserHolds()
    {
        const KeyCode control = XKeysymToKeycode(display(), XK_Control_L);
        XTestFakeKeyEvent(display(), control, True, CurrentTime);
        XSync(display(), False);
        QVERIFY(anyKeyDown(display()));

        QVERIFY(m_sender.SendKeys(QStringLiteral("abc"), true).ok());
        QCOMPARE(m_target.waitForText(QStringLiteral("abc")), QStringLiteral("abc"));
        QVERIFY(!anyKeyDown(display()));
    }

    void namedKeysAndModifiers()
    {
        QVERIFY(
            m_sender.SendKeys(QStringLiteral("^a%b{F5}+{END}{ESC}{ADD}{PGDN}{F12}+{TAB}{BS}"), true).ok());
        const QStringList expected {"Ctrl+A", "Alt+B", "F5", "Shift+End", "Esc", "Num++", "PgDown", "F12",
            "Shift+Backtab", "Backspace"};
        QTRY_COMPARE_WITH_TIMEOUT(m_target.keys(), expected, kSlowMachineMs);
        QVERIFY(!anyKeyDown(display()));
    }

    void spareKeycodesReleasedAfterTheLastKey()
    {
        const KeySym ideograph = 0x01000000 | 0x65e5; // 日
        m_sender.releaseSpareKeycodes();
        QVERIFY(m_sender.SendKeys(QStringLiteral("日本"), true).ok());
        QCOMPARE(m_sender.boundSpareKeycodes(), 2);
        QVERIFY(keymapHolds(display(), ideograph));

        QCOMPARE(m_target.waitForText(QStringLiteral("日本")), QStringLiteral("日本"));
        QTRY_COMPARE_WITH_TIMEOUT(m_sender.boundSpareKeycodes(), 0, 2000);
        QVERIFY(!keymapHolds(display(), ideograph));
    }

    // trellinctl exits right after its send: every character must still arrive, and the spare
    // keycodes must be unbound before the process ends, or the user's keymap keeps them.
    void trellinctlTypesAndLeavesTheKeymapClean()
    {
        QProcess ctl;
        ctl.start(QStringLiteral(TRELLINCTL),
            {QStringLiteral("type"), QStringLiteral("w\u00F6rld \u65E5\u672C~+(abc)")});
        QVERIFY(ctl.waitForFinished(kSlowMachineMs));
        QCOMPARE(ctl.exitCode(), 0);
        const QString expected = QStringLiteral("w\u00F6rld \u65E5\u672C\nABC");
        QCOMPARE(m_target.waitForText(expected), expected);
        QVERIFY(!keymapHolds(display(), 0x01000000 | 0x65e5));
    }

    void moreDistinctCharactersThanSpareKeycodes_data()
    {
        QTest::addColumn<bool>("ping");
        QTest::addColumn<int>("extra");
        QTest::newRow("receiver pinged before re-use") << true << 15;
        // Without the ping only a pause protects the re-use; this shared machine gets a wide one.
        QTest::newRow("pause before re-use") << false << 4;
    }
    void moreDistinctCharactersThanSpareKeycodes()
    {
        QFETCH(bool, ping);
        QFETCH(int, extra);
        X11KeySender::Options options = X11KeySender::defaultOptions();
        options.pingReceiver = ping;
        options.rebindPauseMs = 250;
        m_sender.setOptions(options);
        m_sender.releaseSpareKeycodes();
        QString text;
        for (int i = 0; i < spareKeycodeCount(display()) + extra; ++i)
            text += QChar(0x4e00 + 3 * i);
        text += text.left(5); // typed again after their keycodes were re-used
        const bool sent = m_sender.SendKeys(text, true).ok();
        m_sender.setOptions(X11KeySender::defaultOptions());
        QVERIFY(sent);
        QCOMPARE(m_target.waitForText(text), text);
    }

    void setNumLockOn_data()
    {
        QTest::addColumn<bool>("capsBefore");
        QTest::addColumn<bool>("numBefore");
        QTest::newRow("from Caps Lock on") << true << false;
        QTest::newRow("Num Lock already on") << false << true;
    }
    void setNumLockOn()
    {
        QFETCH(bool, capsBefore);
        QFETCH(bool, numBefore);
        QVERIFY(m_locks.setLocks({capsBefore, numBefore, false}));
        QVERIFY(m_locks.SetNumLockOn());
        const auto state = m_locks.state();
        QVERIFY(state);
        QVERIFY(state->numLock);
        QVERIFY(!state->capsLock);
        QVERIFY(!state->scrollLock);
    }
};

TRELLIN_GUI_TEST_MAIN(TestX11Keyboard)
#include "tst_x11keyboard.moc"
