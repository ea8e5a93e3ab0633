#include "platform/qt/QtClipboard.h"

#include "platform/qt/QtLogging.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

QClipboard* systemClipboard(const char* use)
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return QGuiApplication::clipboard();
    qCInfo(lcClipboard) << "cannot" << use << "the clipboard: no Qt GUI application runs";
    return nullptr;
}

} // namespace

bool QtClipboard::clear()
{
    QClipboard* clipboard = systemClipboard("clear");
    if (!clipboard)
        return false;
    clipboard->clear(QClipboard::Clipboard);
    return true;
}

bool QtClipboard::setText(const QString& text)
{
    QClipboard* clipboard = systemClipboard("fill");
    if (!clipboard)
        return false;
    auto* data = new QMimeData;
    data->setText(text);
    clipboard->setMimeData(data, QClipboard::Clipboard);
    qCDebug(lcClipboard) << "put" << text.size() << "characters on the clipboard";
    return true;
}

QString QtClipboard::text()
{
    QClipboard* clipboard = systemClipboard("read");
    if (!clipboard)
        return QString();
    const QMimeData* data = clipboard->mimeData(QClipboard::Clipboard);
    if (!data || !data->hasText()) {
        qCDebug(lcClipboard) << "the clipboard holds no text" << (data ? data->formats() : QStringList());
        return QString();
    }
    return data->text();
}
