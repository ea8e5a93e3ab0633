#include "app/ShortcutBinder.h"

#include "core/DataContext.h"
#include "core/Prompter.h"
#include "core/StatusLog.h"
#include "platform/GlobalShortcuts.h"

ShortcutBinder::ShortcutBinder(
    DataContext& context, GlobalShortcuts& shortcuts, std::function<void(Settings::Key)> onPress)
    : m_context(context)
    , m_shortcuts(shortcuts)
{
    m_shortcuts.setHandler([onPress = std::move(onPress)](int id) { onPress(Settings::Key(id)); });
    connect(&context.settings(), &Settings::changed, this, [this](Settings::Key key) {
        if (key < kFirst || key > kLast)
            return;
        if (const Result<> bound = bind(key); !bound)
            m_context.prompter().tell(bound.error(), PromptIcon::Exclamation);
    });
}

QString ShortcutBinder::purpose(Settings::Key key)
{
    if (key == Settings::Key::ShortcutShow)
        return QStringLiteral("show the window");
    if (key == Settings::Key::ShortcutPick)
        return QStringLiteral("open the quick pick");
    return QStringLiteral("play macro %1").arg(int(key) - int(Settings::Key::ShortcutMacro1) + 1);
}

void ShortcutBinder::grabAll()
{
    for (int key = int(kFirst); key <= int(kLast); ++key)
        (void)bind(Settings::Key(key));
}

Result<> ShortcutBinder::bind(Settings::Key key)
{
    const QString keys = m_context.settings().text(key).trimmed();
    if (keys.isEmpty()) {
        m_shortcuts.release(int(key));
        return {};
    }
    const Result<> grabbed = m_shortcuts.grab(int(key), keys);
    if (grabbed)
        return {};
    const QString message = QStringLiteral("Shortcut to %1 not set: %2").arg(purpose(key), grabbed.error());
    m_context.log().logStatus(message);
    return Result<>::failure(message);
}
