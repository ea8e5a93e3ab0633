#pragma once

#include "core/Clipboard.h"

// The system clipboard through QClipboard. The program must keep its event loop running for
// other programs to paste what it put there.
class QtClipboard : public Clipboard
{
public:
    bool clear() override;
    bool setText(const QString& text) override;
    QString text() override;
};
