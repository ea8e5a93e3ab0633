#pragma once

#include "platform/DetachedClipboard.h"

#include <QByteArray>

// Puts a text on the X11 CLIPBOARD for a process that ends right after: a detached process of its
// own (a session of its own, standard input and output on /dev/null, none of the caller's other
// files open) owns the selection and answers every request for it until another client takes it
// over, then ends. setText returns once that process owns the selection, or with the reason it
// could not take it.
class X11ClipboardHolder final : public DetachedClipboard
{
public:
    // An empty name means $DISPLAY.
    explicit X11ClipboardHolder(const QByteArray& displayName = QByteArray());

    bool setText(const QString& text) override;
    QString failure() const override { return m_failure; }

private:
    bool fail(const QString& reason);

    QByteArray m_displayName;
    QString m_failure;
};
