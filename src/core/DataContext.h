#pragma once

#include <QString>

class Prompter;
class Settings;
class StatusLog;

// What every part of one run shares: the data folder, the overwrite warning and the clipboard
// refill text, with the services every part reaches (settings, status log, questions to the
// user). Passed explicitly; there is no global. Which box the window shows is the window's
// business: operations take the box they work on.
class DataContext
{
public:
    DataContext(Settings& settings, StatusLog& log, Prompter& prompter);

    Settings& settings() const { return m_settings; }
    StatusLog& log() const { return m_log; }
    Prompter& prompter() const { return m_prompter; }

    // Always ends with "/": data file names are appended to it directly.
    QString dataFolder() const { return m_dataFolder; }
    void setDataFolder(const QString& folder);

    bool warnOverwrite() const { return m_warnOverwrite; }
    void setWarnOverwrite(bool on) { m_warnOverwrite = on; }
    // Changes the flag and stores it in the settings.
    void storeWarnOverwrite(bool on);

    QString refillText() const { return m_refillText; }
    void setRefillText(const QString& text) { m_refillText = text; }

private:
    Settings& m_settings;
    StatusLog& m_log;
    Prompter& m_prompter;
    QString m_dataFolder;
    bool m_warnOverwrite = true;
    QString m_refillText;
};
