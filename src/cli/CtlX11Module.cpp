// The module trellinctl loads when it types itself: its entry points, over the X11 backend.
#include "cli/CtlX11Module.h"
#include "platform/x11/X11ClipboardHolder.h"
#include "platform/x11/X11KeySender.h"

#include <QString>

#include <memory>

extern "C" Q_DECL_EXPORT KeySender* trellinctlNewKeySender(QString* whyNot)
{
    // Checked against its pointer type, so that trellinctl and the module cannot disagree.
    [[maybe_unused]] constexpr CtlX11Module::NewKeySender checked = &trellinctlNewKeySender;
    auto sender = std::make_unique<X11KeySender>();
    if (!sender->isAvailable()) {
        *whyNot = sender->unavailableReason();
        return nullptr;
    }
    return sender.release();
}

extern "C" Q_DECL_EXPORT DetachedClipboard* trellinctlNewClipboardHolder()
{
    [[maybe_unused]] constexpr CtlX11Module::NewClipboardHolder checked = &trellinctlNewClipboardHolder;
    return new X11ClipboardHolder();
}
