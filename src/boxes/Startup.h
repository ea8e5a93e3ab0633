#pragma once

#include "core/Result.h"

#include <QString>
#include <QStringList>

class DataContext;

// The start-up steps that need no window, in the order the program runs them. trellinctl runs
// the first one too, so both find the same data folder.
class Startup
{
public:
    explicit Startup(DataContext& context);

    // Reads the clipboard refill text, the NumLock wish and the data folder. Returns true when
    // NumLock should be switched on.
    bool readShellSettings();

    // Makes sure the data folder can be used: the default one is created when missing; a
    // missing or unwritable folder, or a names file that cannot be created, fails with a
    // message that says what failed and where.
    Result<> prepareDataFolder();

    // The 99 tab captions: the first 15 characters of each name, "Box N" for missing lines.
    QStringList boxCaptions() const;

    // The stored current box; anything but 1..99 gives 1.
    int storedBox() const;

    // Reads the overwrite warning into the shared context (on exactly when stored as "1").
    void readWarnOverwrite();

private:
    DataContext& m_context;
};
