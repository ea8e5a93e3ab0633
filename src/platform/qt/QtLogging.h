#pragma once

#include <QLoggingCategory>

// Why a key for our own widgets or a clipboard access failed: info messages, shown with
// QT_LOGGING_RULES="trellin.keys.info=true;trellin.clipboard.info=true" (or "trellin.*=true").
// trellin.keys is the category of the X11 key sender too: one rule shows both.
Q_DECLARE_LOGGING_CATEGORY(lcOwnKeys)
Q_DECLARE_LOGGING_CATEGORY(lcClipboard)
