#pragma once

#include <QString>

// Names of the files in the data folder. The folder always ends with "/"; box numbers are
// plain decimal without leading zeros.
class DataFiles
{
public:
    static QString boxFile(const QString& folder, int box)
    {
        return folder + QStringLiteral("MoxenoTrellin%1.txt").arg(box);
    }
    static QString macroFile(const QString& folder, int box)
    {
        return folder + QStringLiteral("MoxenoTrellinMacros%1.txt").arg(box);
    }
    static QString boxBackup(const QString& folder, int box)
    {
        return folder + QStringLiteral("MoxenoTrellin%1.bak").arg(box);
    }
    static QString macroBackup(const QString& folder, int box)
    {
        return folder + QStringLiteral("MoxenoTrellinMacros%1.bak").arg(box);
    }
    static QString namesFile(const QString& folder) { return folder + QStringLiteral("MoxenoTrellinNames.txt"); }
};
