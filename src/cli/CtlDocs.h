#pragma once

#include "cli/CtlCommand.h"

// The texts made from trellinctl's command table: --help, the usage line of a bad call, the
// man page and the bash and zsh completion. The build writes the man page and the completion
// files by running "trellinctl --man" and "trellinctl --completion SHELL".
namespace CtlDocs {

QString usage(const QList<CtlCommand>& commands);
QString usageLine(const CtlCommand& command);
QString manPage(const QList<CtlCommand>& commands, const QString& version);
// "" for a shell other than bash and zsh.
QString completion(const QList<CtlCommand>& commands, const QString& shell);

} // namespace CtlDocs
