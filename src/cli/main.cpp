#include "cli/TrellinCtl.h"
#include "platform/x11/X11ClipboardHolder.h"
#include "platform/x11/X11KeySender.h"

#include <QCoreApplication>
#include <QFile>

#include <memory>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QFile in;
    QFile out;
    QFile err;
    if (!in.open(stdin, QIODevice::ReadOnly) || !out.open(stdout, QIODevice::WriteOnly)
        || !err.open(stderr, QIODevice::WriteOnly))
        return TrellinCtl::Failure;
    TrellinCtl ctl(in, out, err);
    // The X connection is opened only when keys are typed for real.
    std::unique_ptr<X11KeySender> sender;
    ctl.setKeySender([&sender]() -> Result<KeySender*> {
        sender = std::make_unique<X11KeySender>();
        if (!sender->isAvailable())
            return Result<KeySender*>::failure(sender->unavailableReason());
        return sender.get();
    });
    // Costs nothing until a copy is made: the holder process starts then.
    X11ClipboardHolder clipboard;
    ctl.setClipboard(&clipboard);
    return ctl.run(app.arguments());
}
