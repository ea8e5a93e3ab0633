#include "platform/x11/X11Logging.h"

// Warnings show by default; the reasons behind a failure are info messages.
Q_LOGGING_CATEGORY(lcKeys, "trellin.keys", QtWarningMsg)
Q_LOGGING_CATEGORY(lcWindows, "trellin.windows", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPaste, "trellin.paste", QtWarningMsg)
