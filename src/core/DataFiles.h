#pragma once

#include <QString>

// Names of the files in the data folder and the size of the collection. The folder always ends
// with "/"; box numbers are plain decimal without leading zeros.
namespace DataFiles {

constexpr int kBoxCount = 99;
constexpr int kPositionCount = 99;

inline bool isValidBox(int box)
{
    return box >= 1 && box <= kBoxCount;
}

inline QString boxFile(const QString& folder, int box)
{
    return folder + QStringLiteral("MoxenoTrellin%1.txt").arg(box);
}

inline QString macroFile(const QString& folder, int box)
{
    return folder + QStringLiteral("MoxenoTrellinMacros%1.txt").arg(box);
}

inline QString boxBackup(const QString& folder, int box)
{
    return folder + QStringLiteral("MoxenoTrellin%1.bak").arg(box);
}

inline QString macroBackup(const QString& folder, int box)
{
    return folder + QStringLiteral("MoxenoTrellinMacros%1.bak").arg(box);
}

inline QString namesFile(const QString& folder)
{
    return folder + QStringLiteral("MoxenoTrellinNames.txt");
}

} // namespace DataFiles
