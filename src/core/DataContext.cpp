#include "core/DataContext.h"

#include "core/Paths.h"
#include "core/Settings.h"
#include "core/SettingsStore.h"

DataContext::DataContext(Settings& settings, StatusLog& log, Prompter& prompter)
    : m_settings(settings)
    , m_log(log)
    , m_prompter(prompter)
    , m_dataFolder(settings.store().dataRoot())
{ }

void DataContext::setDataFolder(const QString& folder)
{
    m_dataFolder = Paths::withTrailingSlash(folder);
}

void DataContext::storeWarnOverwrite(bool on)
{
    m_warnOverwrite = on;
    // The flag holds for this run whether or not it could be stored.
    (void)m_settings.setFlag(Settings::Key::WarnOverwrite, on);
}
