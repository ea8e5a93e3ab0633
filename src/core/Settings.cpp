#include "core/Settings.h"

#include "core/LeadingNumber.h"
#include "core/SettingsStore.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

using Key = Settings::Key;
using Kind = Settings::Kind;

constexpr std::array<Settings::Entry, Settings::kKeyCount> kEntries {{
    {Key::RefillText, "MX", "MX1", "", Kind::Text},
    {Key::NumLock, "MX", "NumLock", "0", Kind::NumberOne},
    {Key::DataPath, "Defaults", "DataPath", "", Kind::Text},
    {Key::BoxNo, "Settings", "BoxNo", "1", Kind::BoxNumber},
    {Key::WarnOverwrite, "Settings", "WarnOverwrite", "1", Kind::ExactOne},
    {Key::ClipColour, "Settings", "ClipColour", "16761024", Kind::Colour},
    {Key::WindowLeft, "Settings", "Left", "", Kind::Edge},
    {Key::WindowTop, "Settings", "Top", "", Kind::Edge},
    {Key::OverwriteLeft, "Settings", "FmOWLeft", "", Kind::Edge},
    {Key::OverwriteTop, "Settings", "FmOWTop", "", Kind::Edge},
    {Key::EditLeft, "Settings", "FmEditMacrosLeft", "", Kind::Edge},
    {Key::EditTop, "Settings", "FmEditMacrosTop", "", Kind::Edge},
    {Key::MacroPromptBefore, "Settings", "MacroPromptBefore", "1", Kind::NumberOne},
    {Key::MacroDelay, "Settings", "MacroDelay", "0.01", Kind::Number},
    {Key::MacroInformAfter, "Settings", "MacroInformAfter", "1", Kind::NumberOne},
    {Key::DecPlaces, "Defaults", "DecPlaces", "4", Kind::Text},
    {Key::Mem1, "Calculator", "Mem1", "0", Kind::Text},
    {Key::Mem2, "Calculator", "Mem2", "0", Kind::Text},
    {Key::Mem3, "Calculator", "Mem3", "0", Kind::Text},
    {Key::SearchHistory0, "Search", "0", "", Kind::Text},
    {Key::SearchHistory1, "Search", "1", "", Kind::Text},
    {Key::SearchHistory2, "Search", "2", "", Kind::Text},
    {Key::SearchHistory3, "Search", "3", "", Kind::Text},
    {Key::SearchHistory4, "Search", "4", "", Kind::Text},
    {Key::SearchHistory5, "Search", "5", "", Kind::Text},
    {Key::SearchHistory6, "Search", "6", "", Kind::Text},
    {Key::SearchHistory7, "Search", "7", "", Kind::Text},
    {Key::SearchHistory8, "Search", "8", "", Kind::Text},
    {Key::SearchLeft, "Settings", "FmSearchLeft", "", Kind::Edge},
    {Key::SearchTop, "Settings", "FmSearchTop", "", Kind::Edge},
    {Key::ShortcutShow, "Shortcuts", "Show", "", Kind::Text},
    {Key::ShortcutPick, "Shortcuts", "Pick", "", Kind::Text},
    {Key::ShortcutMacro1, "Shortcuts", "Macro1", "", Kind::Text},
    {Key::ShortcutMacro2, "Shortcuts", "Macro2", "", Kind::Text},
    {Key::ShortcutMacro3, "Shortcuts", "Macro3", "", Kind::Text},
    {Key::ShortcutMacro4, "Shortcuts", "Macro4", "", Kind::Text},
    {Key::ShortcutMacro5, "Shortcuts", "Macro5", "", Kind::Text},
    {Key::ShortcutMacro6, "Shortcuts", "Macro6", "", Kind::Text},
    {Key::ShortcutMacro7, "Shortcuts", "Macro7", "", Kind::Text},
    {Key::ShortcutMacro8, "Shortcuts", "Macro8", "", Kind::Text},
    {Key::ShortcutMacro9, "Shortcuts", "Macro9", "", Kind::Text},
    {Key::ShortcutMacro10, "Shortcuts", "Macro10", "", Kind::Text},
    {Key::InsertDefault, "Insert", "Default", "type", Kind::Text},
    {Key::InsertTyped, "Insert", "Typed", "", Kind::Text},
    {Key::InsertCtrlV, "Insert", "CtrlV",
        "virt-viewer, remote-viewer, *remmina*, *rdp*, rdesktop, VirtualBox*, *vnc*", Kind::Text},
    {Key::InsertShiftInsert, "Insert", "ShiftInsert", "xterm, urxvt, rxvt*", Kind::Text},
    {Key::InsertCtrlShiftV, "Insert", "CtrlShiftV",
        "gnome-terminal*, konsole, xfce4-terminal, mate-terminal, lxterminal, terminator, tilix, kitty, "
        "alacritty",
        Kind::Text},
}};

// Every key has its entry at its own index, so entry() is a plain index and a key added to the
// enum without a row (or a row out of order) stops the build.
constexpr bool eachKeyAtItsIndex()
{
    for (std::size_t i = 0; i < kEntries.size(); ++i) {
        if (std::size_t(kEntries[i].key) != i)
            return false;
    }
    return true;
}
static_assert(eachKeyAtItsIndex(), "kEntries must hold one row per Settings::Key, in the enum's order");

bool hasDigit(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
}

} // namespace

const Settings::Entry& Settings::entry(Key key)
{
    return kEntries[std::size_t(key)];
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
