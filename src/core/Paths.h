#pragma once

#include <QString>

// Where the program keeps its files by default.
class Paths
{
public:
    // $XDG_DATA_HOME/MoxenoTrellin/ (default ~/.local/share/MoxenoTrellin/), ending with "/".
    static QString defaultDataFolder();
    // $XDG_CONFIG_HOME/MoxenoTrellin/ (default ~/.config/MoxenoTrellin/), ending with "/".
    static QString configFolder();
    // The folder with exactly one "/" at its end, as every data file name is appended to it.
    static QString withTrailingSlash(const QString& folder);
};
