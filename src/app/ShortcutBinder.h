#pragma once

#include "core/Settings.h"

#include <QObject>

#include <functional>

class DataContext;
class GlobalShortcuts;

// Keeps the global shortcuts in step with their settings: takes each one the settings name at
// start and again whenever the options change it. A combination that cannot be taken (another
// program holds it) is told in the status log by its keys, and in a message when the user has
// just set it. Each shortcut's id is its Settings::Key.
class ShortcutBinder : public QObject
{
    Q_OBJECT
public:
    ShortcutBinder(
        DataContext& context, GlobalShortcuts& shortcuts, std::function<void(Settings::Key)> onPress);

    // Takes every shortcut set in the settings; the failures go to the status log.
    void grabAll();

    static constexpr Settings::Key kFirst = Settings::Key::ShortcutShow;
    static constexpr Settings::Key kLast = Settings::Key::ShortcutMacro10;
    // What the shortcut does, as its failure names it: "show the window", "play macro 3".
    static QString purpose(Settings::Key key);

private:
    // Takes or releases one shortcut; the reason when it cannot be taken.
    Result<> bind(Settings::Key key);

    DataContext& m_context;
    GlobalShortcuts& m_shortcuts;
};
