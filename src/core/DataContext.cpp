#include "core/DataContext.h"

#include "core/Paths.h"
#include "core/Prompter.h"
#include "core/Settings.h"
#include "core/SettingsStore.h"
#include "core/StatusLog.h"

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
    // Stored whether or not it changed, so the file follows what the user sees; a failure is a
    // message only when the user has just changed it.
    const bool changed = on != m_warnOverwrite;
    m_warnOverwrite = on;
    checkStored(
        m_settings.setFlag(Settings::Key::WarnOverwrite, on), QStringLiteral("overwrite warning"), changed);
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

bool DataContext::checkStored(const Result<>& stored, const QString& what, bool userAsked)
{
    if (stored) {
        m_unstoredSettings.remove(what);
        return true;
    }
    const bool known = m_unstoredSettings.contains(what);
    m_unstoredSettings.insert(what);
    if (!known || userAsked)
        m_log.logStatus(QStringLiteral("The %1 could not be stored: %2").arg(what, stored.error()));
    if (userAsked)
        m_prompter.tell(
            QStringLiteral("The %1 could not be stored:\n%2\n\nIt holds until Moxeno Trellin is closed.")
                .arg(what, stored.error()),
            PromptIcon::Exclamation);
    return false;
}
