#pragma once

#include "platform/PasteSender.h"
#include "platform/x11/X11Connection.h"

#include <QByteArray>
#include <QHash>
#include <QList>

#include <functional>
#include <memory>
#include <optional>

class KeySender;
class QSocketNotifier;
union _XEvent;

// Pastes through the X selections, on its own Xlib connection with its own unmapped window:
// saves every format of what the clipboard (and for Shift+Insert the primary selection) holds,
// takes the selections with the text, sends the paste keys, answers the target's requests, and
// once the target has read the text owns them with the saved formats, byte for byte, answering
// every later request from the event loop until another program takes them. A selection
// nobody owned is given up again; one another program took meanwhile is left alone.
class X11Paster final : public PasteSender
{
public:
    explicit X11Paster(KeySender& keys, const QByteArray& displayName = QByteArray());
    ~X11Paster() override;

    bool isAvailable() const { return m_window != 0; }
    Result<> pasteText(const QString& text, InsertMethod method) override;

    // The longest wait for the target to read the text (the fallback: then the previous content
    // is put back all the same), and for another program to hand over one format.
    void setReadTimeoutMs(int milliseconds) { m_readTimeoutMs = milliseconds; }
    void setOwnerTimeoutMs(int milliseconds) { m_ownerTimeoutMs = milliseconds; }
    // The largest format that is saved: a larger one stops the paste before anything is
    // touched, as it could not be handed back whole. By default what one X request carries.
    void setLargestFormatBytes(qsizetype bytes) { m_largestFormatBytes = bytes; }

private:
    struct Format
    {
        unsigned long target = 0;
        unsigned long type = 0;
        int format = 8; // 8, 16 or 32 bits an item, as X stores it
        QByteArray data; // as Xlib hands it (32-bit items as longs)
    };
    using Content = QList<Format>;

    // Every format the selection's owner gives; nothing when no program owns it; a failure
    // when the owner does not answer.
    Result<std::optional<Content>> save(unsigned long selection);
    std::optional<Format> convert(unsigned long selection, unsigned long target);
    std::optional<QByteArray> readProperty(unsigned long property, unsigned long* type, int* format);
    Content textContent(const QString& text) const;
    unsigned long serverTime();
    bool own(unsigned long selection, unsigned long time);

    // Reads events until match accepts one or the time is up, answering selection requests and
    // losses on the way. Events nothing waits for are dropped.
    bool waitFor(const std::function<bool(const _XEvent&)>& match, int timeoutMs, _XEvent* found = nullptr);
    // Hands each event to until, which answers whether to stop; false when the time ran out.
    bool pump(const std::function<bool(const _XEvent&)>& until, int timeoutMs);
    void handle(const _XEvent& event);
    void answer(const _XEvent& event);
    void readPending();

    KeySender& m_keys;
    X11Connection m_connection;
    std::unique_ptr<QSocketNotifier> m_notifier;
    unsigned long m_window = 0;
    unsigned long m_clipboard = 0, m_primary = 0, m_targets = 0, m_timestamp = 0, m_multiple = 0, m_incr = 0,
                  m_utf8 = 0, m_text = 0, m_plain = 0, m_plainUtf8 = 0, m_property = 0, m_clock = 0,
                  m_atomPair = 0;
    // What this program serves for each selection it owns, and since when.
    QHash<unsigned long, Content> m_held;
    QHash<unsigned long, unsigned long> m_since;
    // While a paste waits: whether the text was read, and the selections another program took.
    bool m_textRead = false;
    QList<unsigned long> m_pasting; // the selections that hold the text
    bool m_busy = false;
    QList<unsigned long> m_taken;
    int m_readTimeoutMs = 3000;
    int m_ownerTimeoutMs = 2000;
    qsizetype m_largestFormatBytes = 0;
};
