#include "app/AppState.h"

#include "app/SettingsStore.h"
#include "core/Paths.h"

AppState::AppState(SettingsStore& settings, StatusLog& log, Prompter& prompter)
    : m_settings(settings)
    , m_log(log)
    , m_prompter(prompter)
    , m_dataFolder(settings.dataRoot())
{
}

void AppState::setDataFolder(const QString& folder)
{
    m_dataFolder = Paths::withTrailingSlash(folder);
}

void AppState::setCurrentBox(int box)
{
    if (isValidBox(box))
        m_currentBox = box;
}

void AppState::storeWarnOverwrite(bool on)
{
    m_warnOverwrite = on;
    m_settings.IniWrite(QStringLiteral("Settings"), QStringLiteral("WarnOverwrite"),
                        on ? QStringLiteral("1") : QStringLiteral("0"));
}
