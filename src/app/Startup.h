#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class AppState;

// The start-up steps that need no window, in the order the program runs them, and the rules
// the main window applies to its stored placement and colour.
class Startup
{
public:
    explicit Startup(AppState& state);

    // Reads the clipboard refill text, the NumLock wish and the data folder. Returns true when
    // NumLock should be switched on.
    bool readShellSettings();

    // Makes sure the data folder can be used: the default one is created when missing; a
    // missing or unwritable folder, or a names file that cannot be created, is an error with a
    // message that says what failed and where.
    std::optional<QString> prepareDataFolder();

    // The 99 tab captions: the first 15 characters of each name, "Box N" for missing lines.
    QStringList boxCaptions() const;

    // The stored current box; anything but 1..99 gives 1.
    int storedBox() const;

    // Reads the overwrite warning into the shared state (on exactly when stored as "1").
    void readWarnOverwrite();

    // A stored window edge in twips; a value beyond the screen extent minus 1500 twips (or
    // one that is not a number) gives 36.
    static int windowEdge(const QString& stored, int screenExtentTwips);
    // The stored button colour as 0xBBGGRR; nothing when it is 0 (keep the designed colour).
    static std::optional<unsigned> clipColour(const QString& stored);

    static constexpr unsigned kDefaultClipColour = 0xFFC0C0;

private:
    AppState& m_state;
};
