#pragma once

#include "platform/KeySender.h"

#include <QStringList>

// A key sender that types nothing and writes down everything it was given: the notation of
// every call as it came, its wait flag and the key actions. Unreadable text still fails as
// it would for real; setting failure makes every readable text fail too.
class RecordingKeySender : public KeySender
{
public:
    Result SendKeys(const QString& notation, bool wait) override
    {
        notations.append(notation);
        waits.append(wait);
        return KeySender::SendKeys(notation, wait);
    }

    Result sendActions(const QList<KeyAction>& sent, bool) override
    {
        if (!failure.isEmpty())
            return Result::failure(failure);
        actions += sent;
        return Result::success();
    }

    // What a text field would show: the characters, Enter and Tab as line feed and tab,
    // other keys as "{NAME}"; modifiers are left out.
    QString typedText() const
    {
        QString text;
        for (const KeyAction& action : actions) {
            if (action.kind == KeyAction::Kind::Character)
                text += QString::fromUcs4(&action.character, 1);
            else if (action.kind == KeyAction::Kind::NamedKey && action.key == KeyAction::Key::Enter)
                text += u'\n';
            else if (action.kind == KeyAction::Kind::NamedKey && action.key == KeyAction::Key::Tab)
                text += u'\t';
            else if (action.kind == KeyAction::Kind::NamedKey)
                text += u'{' + KeyAction::keyName(action.key) + u'}';
        }
        return text;
    }

    void clear()
    {
        notations.clear();
        waits.clear();
        actions.clear();
    }

    QStringList notations;
    QList<bool> waits;
    QList<KeyAction> actions;
    QString failure;
};
