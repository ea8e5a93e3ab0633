#pragma once

#include "core/Result.h"

#include <QString>

// Starting the program with the desktop session, through an XDG autostart entry:
// $XDG_CONFIG_HOME/autostart/<application id>.desktop. The entry on disk is the only state, so
// what the options show is what the session will do.
namespace SessionAutostart {

QString entryPath();
// True when the entry exists and the session runs it: desktops skip an entry marked Hidden, and
// GNOME one whose X-GNOME-Autostart-enabled is false.
bool isEnabled();
// Writes the entry that starts the program at the given absolute path.
Result<> enable(const QString& program);
// Removes the entry; nothing to do when there is none.
Result<> disable();
// The entry's text for that program.
QByteArray entry(const QString& program);

} // namespace SessionAutostart
