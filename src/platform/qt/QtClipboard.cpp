#include "platform/qt/QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

QClipboard* systemClipboard()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard()
                                                                        : nullptr;
}

} // namespace

bool QtClipboard::clear()
{
    QClipboard* clipboard = systemClipboard();
    if (!clipboard)
        return false;
    clipboard->clear(QClipboard::Clipboard);
    return true;
}

bool QtClipboard::setText(const QString& text)
{
    QClipboard* clipboard = systemClipboard();
    if (!clipboard)
        return false;
    auto* data = new QMimeData;
    data->setText(text);
    clipboard->setMimeData(data, QClipboard::Clipboard);
    return true;
}

QString QtClipboard::text()
{
    QClipboard* clipboard = systemClipboard();
    if (!clipboard)
        return QString();
    const QMimeData* data = clipboard->mimeData(QClipboard::Clipboard);
    return data && data->hasText() ? data->text() : QString();
}
