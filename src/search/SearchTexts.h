#pragma once

#include <QString>

// The words the search shows the user, the same in the dialog and on the command line.
namespace SearchTexts {

// The search text in double quotes; an empty one, which matches everything, as " * ".
QString quoted(const QString& needle);

// The message of a search that found nothing. earlierHit: an earlier Find of the same
// sequence found something, so this one ran out of hits. boxName is set only when the search
// was kept to one box.
QString notFound(const QString& needle, bool earlierHit, const QString& boxName = QString());

QString textHitLabel(int position, int box, const QString& boxName);
QString macroHitLabel(int number, const QString& macroName, int box, const QString& boxName);

// A macro record is its name, ">" and its body; a record without ">" is all body and has the
// default name "Macro n", as in the macro list.
QString macroName(const QString& record, int number);
QString macroBody(const QString& record);

} // namespace SearchTexts
