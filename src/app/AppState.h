#pragma once

#include <QString>

class Prompter;
class SettingsStore;
class StatusLog;

// The state that the whole program shares for one run: the data folder, the current box, the
// overwrite warning and the clipboard refill text, with the services every part reaches
// (settings, status log, questions to the user). Passed explicitly; there is no global.
class AppState
{
public:
    AppState(SettingsStore& settings, StatusLog& log, Prompter& prompter);

    SettingsStore& settings() const { return m_settings; }
    StatusLog& log() const { return m_log; }
    Prompter& prompter() const { return m_prompter; }

    // Always ends with "/": data file names are appended to it directly.
    QString dataFolder() const { return m_dataFolder; }
    void setDataFolder(const QString& folder);

    int currentBox() const { return m_currentBox; }
    void setCurrentBox(int box);

    bool warnOverwrite() const { return m_warnOverwrite; }
    void setWarnOverwrite(bool on) { m_warnOverwrite = on; }
    // Changes the flag and stores it as Settings/WarnOverwrite.
    void storeWarnOverwrite(bool on);

    QString refillText() const { return m_refillText; }
    void setRefillText(const QString& text) { m_refillText = text; }

    static constexpr int kBoxCount = 99;
    static constexpr int kPositionCount = 99;
    static bool isValidBox(int box) { return box >= 1 && box <= kBoxCount; }

private:
    SettingsStore& m_settings;
    StatusLog& m_log;
    Prompter& m_prompter;
    QString m_dataFolder;
    int m_currentBox = 1;
    bool m_warnOverwrite = true;
    QString m_refillText;
};
