#include "platform/qt/QtKeySender.h"

#include "platform/qt/QtLogging.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

namespace {

using Key = KeyAction::Key;

struct QtKey
{
    int key;
    QString text;
    bool keypad = false;
};

QtKey qtKeyFor(Key key)
{
    switch (key) {
    case Key::Backspace:
        return {Qt::Key_Backspace, QStringLiteral("\b")};
    case Key::Break:
        return {Qt::Key_Pause, QString()};
    case Key::CapsLock:
        return {Qt::Key_CapsLock, QString()};
    case Key::Delete:
        return {Qt::Key_Delete, QStringLiteral("\x7f")};
    case Key::Down:
        return {Qt::Key_Down, QString()};
    case Key::End:
        return {Qt::Key_End, QString()};
    case Key::Enter:
        return {Qt::Key_Return, QStringLiteral("\r")};
    case Key::Escape:
        return {Qt::Key_Escape, QStringLiteral("\x1b")};
    case Key::Help:
        return {Qt::Key_Help, QString()};
    case Key::Home:
        return {Qt::Key_Home, QString()};
    case Key::Insert:
        return {Qt::Key_Insert, QString()};
    case Key::Left:
        return {Qt::Key_Left, QString()};
    case Key::NumLock:
        return {Qt::Key_NumLock, QString()};
    case Key::PageDown:
        return {Qt::Key_PageDown, QString()};
    case Key::PageUp:
        return {Qt::Key_PageUp, QString()};
    case Key::PrintScreen:
        return {Qt::Key_Print, QString()};
    case Key::Right:
        return {Qt::Key_Right, QString()};
    case Key::ScrollLock:
        return {Qt::Key_ScrollLock, QString()};
    case Key::Tab:
        return {Qt::Key_Tab, QStringLiteral("\t")};
    case Key::Up:
        return {Qt::Key_Up, QString()};
    case Key::Add:
        return {Qt::Key_Plus, QStringLiteral("+"), true};
    case Key::Subtract:
        return {Qt::Key_Minus, QStringLiteral("-"), true};
    case Key::Multiply:
        return {Qt::Key_Asterisk, QStringLiteral("*"), true};
    case Key::Divide:
        return {Qt::Key_Slash, QStringLiteral("/"), true};
    default:
        break;
    }
    return {Qt::Key_F1 + (static_cast<int>(key) - static_cast<int>(Key::F1)), QString()};
}

Qt::KeyboardModifier qtModifier(KeyAction::Modifier modifier)
{
    switch (modifier) {
    case KeyAction::Modifier::Shift:
        return Qt::ShiftModifier;
    case KeyAction::Modifier::Control:
        return Qt::ControlModifier;
    case KeyAction::Modifier::Alt:
        return Qt::AltModifier;
    }
    return Qt::NoModifier;
}

int qtModifierKey(KeyAction::Modifier modifier)
{
    switch (modifier) {
    case KeyAction::Modifier::Shift:
        return Qt::Key_Shift;
    case KeyAction::Modifier::Control:
        return Qt::Key_Control;
    case KeyAction::Modifier::Alt:
        return Qt::Key_Alt;
    }
    return Qt::Key_unknown;
}

// Qt names a character key by its upper-case code point, as the X11 platform plugin does.
QtKey qtKeyForCharacter(char32_t character, Qt::KeyboardModifiers modifiers)
{
    const char32_t upper = QChar::toUpper(character);
    QString text;
    // With Ctrl or Alt the key is a shortcut, not text.
    if (!(modifiers & (Qt::ControlModifier | Qt::AltModifier))) {
        const char32_t typed = modifiers & Qt::ShiftModifier ? upper : character;
        text = QString::fromUcs4(&typed, 1);
    }
    return {static_cast<int>(upper), text};
}

class Delivery
{
public:
    Delivery(QWidget* receiver, bool wait)
        : m_receiver(receiver)
        , m_wait(wait)
    { }

    void keyClick(const QtKey& key, Qt::KeyboardModifiers modifiers)
    {
        const Qt::KeyboardModifiers withKeypad = key.keypad ? modifiers | Qt::KeypadModifier : modifiers;
        deliver(QEvent::KeyPress, key.key, withKeypad, key.text);
        deliver(QEvent::KeyRelease, key.key, withKeypad, key.text);
    }

    void deliver(QEvent::Type type, int key, Qt::KeyboardModifiers modifiers, const QString& text)
    {
        // A key (F1 opening the help, say) may close the widget that received it.
        if (!m_receiver)
            return;
        if (m_wait) {
            QKeyEvent event(type, key, modifiers, text);
            QCoreApplication::sendEvent(m_receiver, &event);
        } else {
            QCoreApplication::postEvent(m_receiver, new QKeyEvent(type, key, modifiers, text));
        }
    }

private:
    QPointer<QWidget> m_receiver;
    bool m_wait;
};

} // namespace

KeySender::Result QtKeySender::sendActions(const QList<KeyAction>& actions, bool wait)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        qCInfo(lcOwnKeys) << "no keys for our own widgets: the program shows no windows";
        return Result::failure(QStringLiteral("cannot type keys: the program shows no windows"));
    }
    QWidget* receiver = QApplication::focusWidget();
    if (!receiver)
        receiver = QApplication::activeWindow();
    if (!receiver) {
        qCInfo(lcOwnKeys) << "no keys for our own widgets: none of them has the keyboard focus";
        return Result::failure(
            QStringLiteral("cannot type keys: no window of the program has the keyboard focus"));
    }

    Delivery delivery(receiver, wait);
    Qt::KeyboardModifiers modifiers;
    for (const KeyAction& action : actions) {
        switch (action.kind) {
        // A modifier key's own event carries the state from before it, as from the X server;
        // QKeyEvent::modifiers() flips the key's own bit.
        case KeyAction::Kind::ModifierDown:
            delivery.deliver(QEvent::KeyPress, qtModifierKey(action.modifier), modifiers, QString());
            modifiers |= qtModifier(action.modifier);
            break;
        case KeyAction::Kind::ModifierUp:
            delivery.deliver(QEvent::KeyRelease, qtModifierKey(action.modifier), modifiers, QString());
            modifiers &= ~qtModifier(action.modifier);
            break;
        case KeyAction::Kind::Character:
            delivery.keyClick(qtKeyForCharacter(action.character, modifiers), modifiers);
            break;
        case KeyAction::Kind::NamedKey: {
            QtKey key = qtKeyFor(action.key);
            // Shift+Tab reaches widgets as Backtab, as from the keyboard.
            if (key.key == Qt::Key_Tab && (modifiers & Qt::ShiftModifier))
                key.key = Qt::Key_Backtab;
            delivery.keyClick(key, modifiers);
            break;
        }
        }
    }
    return Result::success();
}
