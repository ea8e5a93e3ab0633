#pragma once

#include <QString>
#include <QStringList>

// The words the search shows the user, the same in the dialog and on the command line.
namespace SearchTexts {

// The search text in double quotes; an empty one, which matches everything, as " * ".
QString quoted(const QString& needle);

// The message of a search that found nothing. earlierHit: an earlier Find of the same
// sequence found something, so this one ran out of hits. boxName is set only when the search
// was kept to one box. unreadable: why files the search had to pass over could not be read; the
// message then does not claim that the text is nowhere.
QString notFound(const QString& needle, bool earlierHit, const QString& boxName = QString(),
    const QStringList& unreadable = {});
// The files a search could not read, one a line, for a message.
QString unreadableFiles(const QStringList& unreadable);

QString textHitLabel(int position, int box, const QString& boxName);
QString macroHitLabel(int number, const QString& macroName, int box, const QString& boxName);

} // namespace SearchTexts
