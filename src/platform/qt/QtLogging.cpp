#include "platform/qt/QtLogging.h"

Q_LOGGING_CATEGORY(lcOwnKeys, "trellin.keys", QtWarningMsg)
Q_LOGGING_CATEGORY(lcClipboard, "trellin.clipboard", QtWarningMsg)
