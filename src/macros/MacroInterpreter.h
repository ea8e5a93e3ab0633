#pragma once

#include <QString>

class MacroFormats;
class PlaybackHost;

// How a playback ended.
struct MacroOutcome
{
    enum class Kind
    {
        Finished, // the macro text is used up
        Aborted, // the user cancelled at a step
        Error, // a step failed; reason says why
    };
    Kind kind = Kind::Finished;
    QString reason;
};

// Plays a macro text: plain text and key names are typed in pieces of at most 8 characters,
// with a pace step before the first and after each piece; commands in braces (the command word in any case)
// repeat, count, type the date or time, pause, show a message, ask for text or are comments:
//   {RPT n} ... {RPT}   plays the text between n times in all (n rounded half to even);
//                       without a closing {RPT}, the next five characters are played once
//   {CNT start,step} {CNT start} {CNT}   sets the counter; types the next counter value
//   {DATE} {DATE format} {TIME} {TIME format}
//   {WAIT seconds}   {MSG text}   {GET prompt~default}   {'comment}
//   {INSERT TYPE} {INSERT PASTE} {INSERT AUTO}   how plain text goes in from here on: typed,
//                       pasted, or as the rules choose for the window
// Line breaks in the macro text are dropped. Text from outside (a date, a counter value, an
// answer) is typed unescaped, so notation characters in it act as keys.
//
// So that every playback ends, and ends sensibly, a playback:
// - ends with an error at a "{" that no "}" follows;
// - finds the closing {RPT} in any case, like every other command;
// - continues after a used-up repeat only once, so a later stray {RPT} ends the macro;
// - ends with an error on a repeat count or pause outside 32 bits, or a counter that
//   overflows;
// - waits nothing for a negative pause;
// - counts characters, for the pieces and for error positions, as Unicode characters, so a
//   surrogate pair is never split between two pieces.
namespace MacroInterpreter {

constexpr int kPieceLength = 8;

// The text a stored macro body plays: its line breaks are never typed.
QString playedText(const QString& body);

MacroOutcome run(const QString& macroText, PlaybackHost& host, MacroFormats& formats);

} // namespace MacroInterpreter
