#pragma once

#include "core/Result.h"

#include <QSet>
#include <QString>

class Prompter;
struct OverwriteRequest;
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
    // Changes the flag and stores it in the settings; a failure to store a changed flag is told
    // at once, as the user has just asked for the change.
    void storeWarnOverwrite(bool on);

    // Asks before a stored text or macro is replaced or deleted; the dialog's "don't ask" tick
    // takes effect whatever the answer. True for Yes.
    bool confirmOverwrite(const OverwriteRequest& request);
    // Tells the user at once that something could not be saved: a status log entry is easy to
    // miss. "what" names it ("Box 1, position 7"), "kept" says what stays ("texts").
    void tellNotSaved(const QString& what, const QString& reason, const QString& kept);
    // A setting that could not be stored still holds for this run, but the next run will not
    // have it: the reason goes to the status log, and into a message too when the user has just
    // asked for the change. "what" names the setting ("button colour"). A setting that keeps
    // failing (one stored at every keystroke) is logged once until it is stored again. True
    // when it was stored.
    bool checkStored(const Result<>& stored, const QString& what, bool userAsked = false);

    QString refillText() const { return m_refillText; }
    void setRefillText(const QString& text) { m_refillText = text; }

private:
    Settings& m_settings;
    StatusLog& m_log;
    Prompter& m_prompter;
    QString m_dataFolder;
    bool m_warnOverwrite = true;
    QString m_refillText;
    QSet<QString> m_unstoredSettings;
};
