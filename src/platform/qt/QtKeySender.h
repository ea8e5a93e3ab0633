#pragma once

#include "platform/KeySender.h"

// Types into this program's own focused widget ("{F1}" for the help, "{END}" and "+{END}" to
// move the caret) with Qt key events, the way the keyboard would. Without wait the events are
// posted and arrive when the event loop next runs. Shortcuts registered with QShortcut or
// QAction do not see these events; a widget's keyPressEvent (or an event filter) does.
class QtKeySender : public KeySender
{
public:
    Result sendActions(const QList<KeyAction>& actions, bool wait) override;
};
