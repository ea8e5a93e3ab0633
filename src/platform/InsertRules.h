#pragma once

#include "core/KeyAction.h"
#include "platform/TextInserter.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

class Settings;

// How a text goes into a window: typed, or pasted with one of the keystrokes programs use.
enum class InsertMethod
{
    Type,
    PasteCtrlV,
    PasteShiftInsert, // reads the primary selection in xterm and rxvt, so both are filled
    PasteCtrlShiftV,
};

// Which method each window class gets: lists of class patterns for each method (a class of
// the window's WM_CLASS, its instance or its class name, in any case; "*" stands for any
// characters), and the method for every other window, typed or pasted with Ctrl+V.
struct InsertRules
{
    bool pasteByDefault = false;
    QStringList typed;
    QStringList ctrlV;
    QStringList shiftInsert;
    QStringList ctrlShiftV;

    // The rules as the settings hold them.
    static InsertRules fromSettings(const Settings& settings);
    // A stored list, patterns separated by commas or semicolons, read into its patterns.
    static QStringList patterns(const QString& list);

    // The method for a window whose WM_CLASS holds these names (instance, class): typed when the
    // typed list names it, else the paste list's that names it, else the default. A macro's
    // choice overrides: Type types; Paste pastes with the keys of the paste list that names the
    // window, else with Ctrl+V.
    InsertMethod methodFor(
        const QList<QByteArray>& windowClass, InsertChoice choice = InsertChoice::Rules) const;

    // The keys that paste with a method; none for Type.
    static QList<KeyAction> pasteKeys(InsertMethod method);
};
