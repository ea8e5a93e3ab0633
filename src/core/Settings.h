#pragma once

#include "core/Result.h"

#include <QObject>
#include <QString>

#include <cstddef>
#include <optional>

class SettingsStore;

// Every setting of the program in one table: where it is stored, its default, and how a stored
// value is read. Nothing else spells a section or key name; every read and write goes through
// here, and every write announces itself with changed().
class Settings : public QObject
{
    Q_OBJECT
public:
    enum class Key
    {
        RefillText, // text put back on the clipboard when the mouse passes the refill label
        NumLock, // switch Num Lock on at start
        DataPath, // the data folder; empty means the default one
        BoxNo, // the box shown at the last close
        WarnOverwrite, // ask before a stored text is replaced or deleted
        ClipColour, // colour of the position buttons as 0xBBGGRR; 0 keeps the default colour
        WindowLeft, // main window edges in twips
        WindowTop,
        OverwriteLeft, // overwrite dialog edges in twips
        OverwriteTop,
        EditLeft, // edit dialog edges in twips
        EditTop,
        MacroPromptBefore, // ask before a macro plays
        MacroDelay, // seconds every pace step of a playback waits
        MacroInformAfter, // tell in a message box that a macro finished
        DecPlaces, // the calculator's decimal places: "-" (unrounded) or one digit
        Mem1, // the calculator's three memories, as shown
        Mem2,
        Mem3,
        SearchHistory0, // the nine newest search texts, SearchHistory0 the newest
        SearchHistory1,
        SearchHistory2,
        SearchHistory3,
        SearchHistory4,
        SearchHistory5,
        SearchHistory6,
        SearchHistory7,
        SearchHistory8,
        SearchLeft, // search dialog edges in twips
        SearchTop,
        // Global shortcuts in Qt's portable text ("Ctrl+Alt+P"); empty: none.
        ShortcutShow, // bring the window to the front
        ShortcutPick, // open the quick pick
        ShortcutMacro1, // play macro 1 of the box on show; ShortcutMacro1 + 9 plays macro 10
        ShortcutMacro2,
        ShortcutMacro3,
        ShortcutMacro4,
        ShortcutMacro5,
        ShortcutMacro6,
        ShortcutMacro7,
        ShortcutMacro8,
        ShortcutMacro9,
        ShortcutMacro10,
        InsertDefault, // how a text goes into a window no rule names: "type" or "paste"
        InsertTyped, // window classes always typed into, separated by commas
        InsertCtrlV, // window classes pasted into with Ctrl+V
        InsertShiftInsert, // ... with Shift+Insert
        InsertCtrlShiftV, // ... with Ctrl+Shift+V
        KeyCount // not a key: the number of keys, so the table's size follows the enum
    };
    Q_ENUM(Key)
    static constexpr std::size_t kKeyCount = std::size_t(Key::KeyCount);

    // How a stored value is read.
    enum class Kind
    {
        Text, // as stored
        NumberOne, // on when the stored text reads as the number 1 ("1", "1.0", " 1abc")
        ExactOne, // on only when stored exactly as "1"
        BoxNumber, // a whole number 1..99; anything else gives the default
        Colour, // 0xBBGGRR; 0 means none, a value out of range the default
        Edge, // twips; see edge()
        Number, // the number the stored text starts with (0 without one)
    };

    struct Entry
    {
        Key key;
        const char* section;
        const char* name;
        const char* defaultValue;
        Kind kind;
    };
    static const Entry& entry(Key key);

    explicit Settings(SettingsStore& store, QObject* parent = nullptr);

    SettingsStore& store() const { return m_store; }

    // The stored text, or the default; cut to 254 characters like every stored value.
    QString text(Key key) const;
    bool flag(Key key) const;
    int boxNumber(Key key) const;
    double number(Key key) const;
    // Nothing when the stored colour is 0 (keep the default colour).
    std::optional<unsigned> colour(Key key) const;
    // A window edge in twips. A missing value, one that is no number, or one that would put the
    // window's title bar off the screen (before screenStart, or past screenEnd less 1500 twips)
    // gives kDefaultEdge, or tooFar for a value past the end when the caller has a default of
    // its own for that case.
    int edge(Key key, int screenStart, int screenEnd, int tooFar = kDefaultEdge) const;

    // Stores a value; fails with the reason when the settings file cannot be written.
    Result<> setText(Key key, const QString& value);
    Result<> setFlag(Key key, bool on);
    Result<> setNumber(Key key, int value);

    static constexpr int kDefaultEdge = 36;
    static constexpr unsigned kDefaultClipColour = 0xFFC0C0;

signals:
    void changed(Settings::Key key);

private:
    SettingsStore& m_store;
};
