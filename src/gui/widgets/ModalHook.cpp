#include "gui/widgets/ModalHook.h"

#include <QDialog>
#include <QPointer>
#include <QTimer>

namespace {

ModalHook::Handler& handler()
{
    static ModalHook::Handler instance;
    return instance;
}

} // namespace

void ModalHook::setHandler(Handler newHandler)
{
    handler() = std::move(newHandler);
}

bool ModalHook::hasHandler()
{
    return bool(handler());
}

void ModalHook::opened(QDialog& dialog)
{
    if (!handler())
        return;
    QPointer<QDialog> guarded(&dialog);
    QTimer::singleShot(0, &dialog, [guarded] {
        if (guarded && guarded->isVisible() && handler())
            handler()(*guarded);
    });
}
