#include "cli/TrellinCtl.h"
#include "platform/PlatformServices.h"

#include <QCoreApplication>
#include <QFile>

namespace {

// Types a keystroke notation into whichever window has the keyboard focus.
int typeKeys(const QStringList& args, QIODevice&, QIODevice& err)
{
    PlatformServices platform;
    const KeySender::Result result = platform.keySender().SendKeys(args.first(), true);
    if (!result.ok()) {
        err.write(QStringLiteral("trellinctl: %1\n").arg(result.error).toUtf8());
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
    in.open(stdin, QIODevice::ReadOnly);
    out.open(stdout, QIODevice::WriteOnly);
    err.open(stderr, QIODevice::WriteOnly);
    TrellinCtl ctl(in, out, err);
    ctl.addCommand(QStringLiteral("type"), 1, 1, typeKeys);
    return ctl.run(app.arguments().mid(1));
}
