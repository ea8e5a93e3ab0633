#pragma once

#include <QLoggingCategory>

// Why typing or a window switch failed: info messages, shown with
// QT_LOGGING_RULES="trellin.keys.info=true;trellin.windows.info=true" (or "trellin.*=true").
Q_DECLARE_LOGGING_CATEGORY(lcKeys)
Q_DECLARE_LOGGING_CATEGORY(lcWindows)
Q_DECLARE_LOGGING_CATEGORY(lcPaste)
