#pragma once

#include "core/Result.h"

#include <QStringList>

class Settings;

// The texts searched for, newest first. The list grows while the dialog is open; only its
// first nine entries are stored.
class SearchHistory
{
public:
    static constexpr int kStored = 9;

    // Reads the stored entries, empty ones included, so the list always starts with nine.
    explicit SearchHistory(Settings& settings);

    const QStringList& entries() const { return m_entries; }

    // Puts the text at the top, unless it is exactly the newest entry already. True when the
    // text was added.
    bool add(const QString& text);
    // Stores the first nine entries; fails when the settings file cannot be written.
    Result<> store();

private:
    Settings& m_settings;
    QStringList m_entries;
};
