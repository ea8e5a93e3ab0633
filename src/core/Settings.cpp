#include "core/Settings.h"

#include "core/LeadingNumber.h"
#include "core/SettingsStore.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

using Kind = Settings::Kind;

constexpr std::array<Settings::Entry, 30> kEntries {{
    {"MX", "MX1", "", Kind::Text},
    {"MX", "NumLock", "0", Kind::NumberOne},
    {"Defaults", "DataPath", "", Kind::Text},
    {"Settings", "BoxNo", "1", Kind::BoxNumber},
    {"Settings", "WarnOverwrite", "1", Kind::ExactOne},
    {"Settings", "ClipColour", "16761024", Kind::Colour},
    {"Settings", "Left", "", Kind::Edge},
    {"Settings", "Top", "", Kind::Edge},
    {"Settings", "FmOWLeft", "", Kind::Edge},
    {"Settings", "FmOWTop", "", Kind::Edge},
    {"Settings", "FmEditMacrosLeft", "", Kind::Edge},
    {"Settings", "FmEditMacrosTop", "", Kind::Edge},
    {"Settings", "MacroPromptBefore", "1", Kind::NumberOne},
    {"Settings", "MacroDelay", "0.01", Kind::Number},
    {"Settings", "MacroInformAfter", "1", Kind::NumberOne},
    {"Defaults", "DecPlaces", "4", Kind::Text},
    {"Calculator", "Mem1", "0", Kind::Text},
    {"Calculator", "Mem2", "0", Kind::Text},
    {"Calculator", "Mem3", "0", Kind::Text},
    {"Search", "0", "", Kind::Text},
    {"Search", "1", "", Kind::Text},
    {"Search", "2", "", Kind::Text},
    {"Search", "3", "", Kind::Text},
    {"Search", "4", "", Kind::Text},
    {"Search", "5", "", Kind::Text},
    {"Search", "6", "", Kind::Text},
    {"Search", "7", "", Kind::Text},
    {"Search", "8", "", Kind::Text},
    {"Settings", "FmSearchLeft", "", Kind::Edge},
    {"Settings", "FmSearchTop", "", Kind::Edge},
}};

bool hasDigit(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
}

} // namespace

const Settings::Entry& Settings::entry(Key key)
{
    return kEntries.at(std::size_t(key));
}

Settings::Settings(SettingsStore& store, QObject* parent)
    : QObject(parent)
    , m_store(store)
{ }

QString Settings::text(Key key) const
{
    const Entry& e = entry(key);
    return m_store.readValue(QLatin1String(e.section), QLatin1String(e.name), QLatin1String(e.defaultValue));
}

bool Settings::flag(Key key) const
{
    const QString stored = text(key);
    Q_ASSERT(entry(key).kind == Kind::NumberOne || entry(key).kind == Kind::ExactOne);
    if (entry(key).kind == Kind::ExactOne)
        return stored == QStringLiteral("1");
    return leadingNumber(stored) == 1.0;
}

int Settings::boxNumber(Key key) const
{
    const double box = leadingNumber(text(key));
    if (box != std::floor(box) || box < 1 || box > 99)
        return QString::fromLatin1(entry(key).defaultValue).toInt();
    return int(box);
}

double Settings::number(Key key) const
{
    return leadingNumber(text(key));
}

std::optional<unsigned> Settings::colour(Key key) const
{
    const double value = leadingNumber(text(key));
    if (value == 0.0)
        return std::nullopt;
    if (!std::isfinite(value) || value < 0 || value > 0xFFFFFF)
        return kDefaultClipColour;
    return unsigned(value);
}

int Settings::edge(Key key, int screenStart, int screenEnd, int tooFar) const
{
    const QString stored = text(key);
    const double value = leadingNumber(stored);
    // A hand-edited value that is no number at all opens where a missing one would.
    if (!hasDigit(stored) || !std::isfinite(value) || value < screenStart)
        return kDefaultEdge;
    if (value > screenEnd - 1500)
        return tooFar;
    return int(value);
}

Result<> Settings::setText(Key key, const QString& value)
{
    const Entry& e = entry(key);
    Result<> written = m_store.writeValue(QLatin1String(e.section), QLatin1String(e.name), value);
    if (written)
        emit changed(key);
    return written;
}

Result<> Settings::setFlag(Key key, bool on)
{
    return setText(key, on ? QStringLiteral("1") : QStringLiteral("0"));
}

Result<> Settings::setNumber(Key key, int value)
{
    return setText(key, QString::number(value));
}
