#include "app/DialogPosition.h"

#include "app/SettingsStore.h"
#include "core/LeadingNumber.h"

#include <algorithm>
#include <cmath>

namespace {

const QString kSettings = QStringLiteral("Settings");

} // namespace

DialogPosition::DialogPosition(SettingsStore& settings, const QString& leftKey, const QString& topKey)
    : m_settings(settings)
    , m_leftKey(leftKey)
    , m_topKey(topKey)
{ }

int DialogPosition::edge(const QString& key, int screenExtentTwips, int offscreenValue) const
{
    const QString stored = m_settings.IniRead(kSettings, key, QString());
    if (stored.isEmpty())
        return kMissing;
    const double value = LeadingNumber(stored);
    // A hand-edited value that is no number at all opens where a missing one would.
    if (std::none_of(stored.begin(), stored.end(), [](QChar c) { return c.isDigit(); })
        || !std::isfinite(value))
        return kMissing;
    if (value > screenExtentTwips - 1500)
        return offscreenValue;
    return int(value);
}

QPoint DialogPosition::restore(int screenWidthTwips, int screenHeightTwips) const
{
    return QPoint(
        edge(m_leftKey, screenWidthTwips, kOffscreenLeft), edge(m_topKey, screenHeightTwips, kOffscreenTop));
}

bool DialogPosition::store(const QPoint& edges)
{
    if (edges.x() <= 0 || edges.y() <= 0)
        return false;
    m_settings.IniWrite(kSettings, m_leftKey, QString::number(edges.x()));
    m_settings.IniWrite(kSettings, m_topKey, QString::number(edges.y()));
    return true;
}
