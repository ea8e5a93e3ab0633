#include "cli/FocusedWindowHost.h"

#include "macros/TypeNotation.h"
#include "platform/KeySender.h"

#include <QThread>

FocusedWindowHost::FocusedWindowHost(KeySender& sender, int delayMs, QIODevice& err)
    : m_sender(sender)
    , m_delayMs(delayMs)
    , m_err(err)
{ }

Result<> FocusedWindowHost::sendKeystrokes(const QString& piece)
{
    return typeNotation(m_sender, piece, true);
}

StepAnswer FocusedWindowHost::paceStep()
{
    if (m_delayMs > 0)
        QThread::msleep(m_delayMs);
    return StepAnswer::Continue;
}

void FocusedWindowHost::waitMilliseconds(int milliseconds)
{
    QThread::msleep(std::max(0, milliseconds));
}

StepAnswer FocusedWindowHost::messageStep(const QString& text)
{
    m_err.write(QStringLiteral("trellinctl: message: %1\n").arg(text).toUtf8());
    return StepAnswer::Continue;
}

StepAnswer FocusedWindowHost::inputStep(const QString& prompt, const QString&)
{
    m_err.write(QStringLiteral("trellinctl: input '%1' left without an answer\n").arg(prompt).toUtf8());
    return StepAnswer::Miss;
}
