#include "TargetProcess.h"
#include "TestEnvironment.h"
#include "macros/KeystrokeNotation.h"
#include "platform/X11Connection.h"
#include "platform/X11KeySender.h"
#include "platform/X11KeyboardLocks.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

struct Piece
{
    QString notation, expected;
};

// About minimumLength characters of everything a macro types: both cases, digits, every
// US symbol, line ends and tabs in all spellings, a shifted group, and characters that
// have no key on a US keyboard.
QList<Piece> mixedText(int minimumLength)
{
    const auto literal = [](const QString& text) { return Piece {KeystrokeNotation::escape(text), text}; };
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
    for (int length = 0; length < minimumLength;) {
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

// How many keycodes the server's keyboard map binds to keysym; for NoSymbol, how many are
// spare (bound to nothing at all).
int keycodesFor(Display* display, KeySym keysym)
{
    int minKeycode = 0, maxKeycode = 0, perKeycode = 0;
    XDisplayKeycodes(display, &minKeycode, &maxKeycode);
    KeySym* map = XGetKeyboardMapping(display, KeyCode(minKeycode), maxKeycode - minKeycode + 1, &perKeycode);
    int count = 0;
    for (KeySym* row = map; row < map + (maxKeycode - minKeycode + 1) * perKeycode; row += perKeycode) {
        const auto bound = std::count_if(row, row + perKeycode, [](KeySym s) { return s != NoSymbol; });
        count
            += keysym == NoSymbol ? bound == 0 : std::find(row, row + perKeycode, keysym) != row + perKeycode;
    }
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
        QVERIFY(m_target.start(QStringLiteral("Typing target")));
    }
    void init()
    {
        QVERIFY(m_target.clear());
        QVERIFY(m_locks.setLocks({false, false, false}));
    }

    // Nothing dropped or reordered, nothing left pressed, whatever state the keyboard was in.
    void typesIntoAnotherProgram_data()
    {
        QTest::addColumn<bool>("inPieces");
        QTest::addColumn<bool>("capsLock");
        QTest::addColumn<bool>("userHoldsCtrl");
        QTest::newRow("one send") << false << false << false;
        QTest::newRow("one send, Caps Lock on") << false << true << false;
        QTest::newRow("one send while the user holds Ctrl") << false << false << true;
        QTest::newRow("many sends with wait") << true << false << false;
    }
    void typesIntoAnotherProgram()
    {
        QFETCH(bool, inPieces);
        QFETCH(bool, capsLock);
        QFETCH(bool, userHoldsCtrl);
        QVERIFY(m_locks.setLocks({capsLock, false, false}));
        if (userHoldsCtrl) {
            XTestFakeKeyEvent(display(), XKeysymToKeycode(display(), XK_Control_L), True, CurrentTime);
            XSync(display(), False);
            QVERIFY(anyKeyDown(display()));
        }

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
        m_sender.releaseSpareKeycodes();
        QVERIFY(m_sender.SendKeys(QStringLiteral("日本"), true).ok());
        QCOMPARE(m_sender.boundSpareKeycodes(), 2);
        QCOMPARE(keycodesFor(display(), kIdeograph), 1);

        QCOMPARE(m_target.waitForText(QStringLiteral("日本")), QStringLiteral("日本"));
        QTRY_COMPARE_WITH_TIMEOUT(m_sender.boundSpareKeycodes(), 0, 2000);
        QCOMPARE(keycodesFor(display(), kIdeograph), 0);
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
        QCOMPARE(keycodesFor(display(), kIdeograph), 0);
    }

    // With the receiver pinged, and with only a pause (wide on a shared machine) before re-use.
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
        for (int i = 0; i < keycodesFor(display(), NoSymbol) + extra; ++i)
            text += QChar(0x4e00 + 3 * i);
        text += text.left(5); // typed again after their keycodes were re-used
        const bool sent = m_sender.SendKeys(text, true).ok();
        m_sender.setOptions(X11KeySender::defaultOptions());
        QVERIFY(sent);
        QCOMPARE(m_target.waitForText(text), text);
    }

    void setNumLockOn()
    {
        // From Caps Lock on, and with Num Lock already on.
        for (const X11KeyboardLocks::State before :
            {X11KeyboardLocks::State {true, false, false}, {false, true, false}}) {
            QVERIFY(m_locks.setLocks(before));
            QVERIFY(m_locks.SetNumLockOn());
            const auto state = m_locks.state();
            QVERIFY(state && state->numLock && !state->capsLock && !state->scrollLock);
        }
    }
};

TRELLIN_GUI_TEST_MAIN(TestX11Keyboard)
#include "tst_x11keyboard.moc"
