#pragma once

#include <QString>

// Where the program keeps its files by default.
namespace Paths {

// $XDG_DATA_HOME/MoxenoTrellin/ (default ~/.local/share/MoxenoTrellin/), ending with "/".
QString defaultDataFolder();
// $XDG_CONFIG_HOME/MoxenoTrellin/ (default ~/.config/MoxenoTrellin/), ending with "/".
QString configFolder();
// $XDG_CONFIG_HOME/autostart/ (default ~/.config/autostart/), ending with "/": the desktop
// session starts the programs whose entries are there.
QString autostartFolder();
// The folder with exactly one "/" at its end, as every data file name is appended to it.
QString withTrailingSlash(const QString& folder);

} // namespace Paths
