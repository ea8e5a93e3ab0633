#include "core/DataContext.h"

#include "core/Paths.h"
#include "core/Prompter.h"
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

bool DataContext::confirmOverwrite(const OverwriteRequest& request)
{
    const OverwriteAnswer answer = m_prompter.confirmOverwrite(request);
    // Only the tick changes the setting: the question is asked only while the warning is on,
    // and an answer without the tick must not write the setting (trellinctl answers without
    // ever ticking it, and its run must leave the settings as they are).
    if (answer.dontAskAgain)
        storeWarnOverwrite(false);
    return answer.yes;
}

void DataContext::tellNotSaved(const QString& what, const QString& reason, const QString& kept)
{
    m_prompter.tell(
        QStringLiteral("%1 could not be saved:\n%2\n\nThe stored %3 are unchanged.").arg(what, reason, kept),
        PromptIcon::Critical);
}
