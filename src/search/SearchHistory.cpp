#include "search/SearchHistory.h"

#include "core/Settings.h"

namespace {

Settings::Key key(int index)
{
    return Settings::Key(int(Settings::Key::SearchHistory0) + index);
}

} // namespace

SearchHistory::SearchHistory(Settings& settings)
    : m_settings(settings)
{
    for (int i = 0; i < kStored; ++i)
        m_entries.append(m_settings.text(key(i)));
}

bool SearchHistory::add(const QString& text)
{
    if (!m_entries.isEmpty() && m_entries.first() == text)
        return false;
    m_entries.prepend(text);
    return true;
}

Result<> SearchHistory::store()
{
    for (int i = 0; i < kStored; ++i) {
        if (Result<> stored = m_settings.setText(key(i), m_entries.value(i)); !stored)
            return stored;
    }
    return Result<>::success();
}
