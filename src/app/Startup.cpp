#include "app/Startup.h"

#include "app/AppState.h"
#include "app/SettingsStore.h"
#include "boxes/NamesFile.h"
#include "core/LeadingNumber.h"
#include "core/Paths.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace {

const QString kSettings = QStringLiteral("Settings");

bool hasDigit(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
}

} // namespace

Startup::Startup(AppState& state)
    : m_state(state)
{
}

bool Startup::readShellSettings()
{
    SettingsStore& settings = m_state.settings();
    m_state.setRefillText(settings.IniRead(QStringLiteral("MX"), QStringLiteral("MX1"), QString()));
    const bool numLock = LeadingNumber(settings.IniRead(QStringLiteral("MX"), QStringLiteral("NumLock"), QStringLiteral("0"))) == 1.0;
    const QString dataPath = settings.IniRead(QStringLiteral("Defaults"), QStringLiteral("DataPath"), settings.dataRoot());
    m_state.setDataFolder(dataPath.trimmed().isEmpty() ? settings.dataRoot() : dataPath);
    return numLock;
}

std::optional<QString> Startup::prepareDataFolder()
{
    const QString folder = m_state.dataFolder();
    const QFileInfo info(folder);
    if (!info.exists()) {
        const bool isDefault = QDir(folder).absolutePath() == QDir(m_state.settings().dataRoot()).absolutePath();
        if (!isDefault)
            return QStringLiteral("The data folder %1 does not exist.").arg(folder);
        if (!QDir().mkpath(folder))
            return QStringLiteral("The data folder %1 could not be created.").arg(folder);
    } else if (!info.isDir()) {
        return QStringLiteral("The data folder %1 is not a folder.").arg(folder);
    }
    if (!QFileInfo(folder).isWritable())
        return QStringLiteral("The data folder %1 cannot be written.").arg(folder);
    QString error;
    if (!NamesFile::EnsureNamesFile(folder, &error))
        return QStringLiteral("The names file could not be created in %1: %2").arg(folder, error);
    return std::nullopt;
}

QStringList Startup::boxCaptions() const
{
    return NamesFile::captions(m_state.dataFolder());
}

int Startup::storedBox() const
{
    const QString stored = m_state.settings().IniRead(kSettings, QStringLiteral("BoxNo"), QStringLiteral("1"));
    const double box = LeadingNumber(stored);
    if (box != std::floor(box) || !AppState::isValidBox(int(box)))
        return 1;
    return int(box);
}

void Startup::readWarnOverwrite()
{
    m_state.setWarnOverwrite(m_state.settings().IniRead(kSettings, QStringLiteral("WarnOverwrite"), QStringLiteral("1"))
                             == QStringLiteral("1"));
}

int Startup::windowEdge(const QString& stored, int screenExtentTwips)
{
    const double value = LeadingNumber(stored);
    if (!hasDigit(stored) || !std::isfinite(value) || value > screenExtentTwips - 1500)
        return 36;
    return int(value);
}

std::optional<unsigned> Startup::clipColour(const QString& stored)
{
    const double value = LeadingNumber(stored);
    if (value == 0.0 || !std::isfinite(value) || value < 0 || value > 0xFFFFFF)
        return value == 0.0 ? std::nullopt : std::optional<unsigned>(kDefaultClipColour);
    return unsigned(value);
}
