#include "cli/TrellinCtl.h"
#include "platform/x11/X11KeySender.h"

#include <QCoreApplication>
#include <QFile>

#include <memory>

namespace {

// Types a keystroke notation into whichever window has the keyboard focus.
int typeKeys(const QStringList& args, QIODevice&, QIODevice& err)
{
    X11KeySender sender;
    const KeySender::Result result = sender.isAvailable()
        ? sender.sendKeys(args.first(), true)
        : KeySender::Result::failure(sender.unavailableReason());
    if (!result.ok()) {
        err.write(QStringLiteral("trellinctl: %1\n").arg(result.error()).toUtf8());
        return TrellinCtl::Failure;
    }
    return TrellinCtl::Success;
}

} // namespace

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
    ctl.addCommand(QStringLiteral("type"), 1, 1, typeKeys);
    // The X connection is opened only when a macro plays for real.
    std::unique_ptr<X11KeySender> sender;
    ctl.setKeySender([&sender]() -> KeySender* {
        sender = std::make_unique<X11KeySender>();
        return sender->isAvailable() ? sender.get() : nullptr;
    });
    return ctl.run(app.arguments());
}
