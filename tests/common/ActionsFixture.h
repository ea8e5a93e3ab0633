#pragma once

#include "DomainFixture.h"
#include "platform/RecordingPlatform.h"

// A store over the shared context and the commands on it, with a clipboard that records.
template<typename Store, typename Actions> struct ActionsFixture : DomainFixture
{
    Store store {context};
    RecordingPlatform clipboard;
    Actions actions {context, store, clipboard};
};
