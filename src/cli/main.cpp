#include "cli/CtlX11Module.h"
#include "cli/TrellinCtl.h"
#include "platform/DetachedClipboard.h"
#include "platform/KeySender.h"

#include <QCoreApplication>
#include <QFile>

#include <memory>

#include <dlfcn.h>

namespace {

// An entry point of the X11 module, loaded the first time one is asked for: beside trellinctl
// (the build tree), else where it is installed. It stays loaded until the process ends.
template<typename Entry> Entry x11Entry(const char* name, QString& whyNot)
{
    static void* module = nullptr;
    const QString here = QCoreApplication::applicationDirPath();
    for (const QString& folder : {here, here + QStringLiteral("/" TRELLIN_CTL_MODULE_DIR)}) {
        if (module)
            break;
        module = dlopen(QFile::encodeName(folder + u'/' + QLatin1String(CtlX11Module::kFileName)).constData(),
            RTLD_NOW | RTLD_LOCAL);
    }
    void* entry = module ? dlsym(module, name) : nullptr;
    if (!entry)
        whyNot = QStringLiteral("X11 cannot be reached: %1").arg(QString::fromLocal8Bit(dlerror()));
    return reinterpret_cast<Entry>(entry);
}

// The module's clipboard holder, made at the first copy.
class ModuleClipboard final : public DetachedClipboard
{
public:
    bool setText(const QString& text) override
    {
        if (!m_holder) {
            const auto make
                = x11Entry<CtlX11Module::NewClipboardHolder>(CtlX11Module::kNewClipboardHolder, m_failure);
            if (!make)
                return false;
            m_holder.reset(make());
        }
        return m_holder->setText(text);
    }
    QString failure() const override { return m_holder ? m_holder->failure() : m_failure; }

private:
    std::unique_ptr<DetachedClipboard> m_holder;
    QString m_failure;
};

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
    // The X connection is opened only when keys are typed for real.
    std::unique_ptr<KeySender> sender;
    ctl.setKeySender([&sender]() -> Result<KeySender*> {
        QString whyNot;
        if (const auto make = x11Entry<CtlX11Module::NewKeySender>(CtlX11Module::kNewKeySender, whyNot))
            sender.reset(make(&whyNot));
        if (!sender)
            return Result<KeySender*>::failure(whyNot);
        return sender.get();
    });
    // Costs nothing until a copy is made: the module is loaded and the holder process starts then.
    ModuleClipboard clipboard;
    ctl.setClipboard(&clipboard);
    return ctl.run(app.arguments());
}
