#pragma once

#include <QList>

struct _XDisplay;
union _XEvent;

// The answer to one request for a selection this process owns: what the requestor asked for,
// put into the property it named, then the SelectionNotify that tells it the outcome.
class X11SelectionAnswer
{
public:
    X11SelectionAnswer(_XDisplay* display, const _XEvent& request);

    unsigned long target() const { return m_target; }
    unsigned long requestor() const { return m_requestor; }
    // Where the answer goes: the property named, or for clients from before ICCCM 2 the target.
    unsigned long property() const { return m_property; }

    // Answers TARGETS (TARGETS and TIMESTAMP, then targets) and TIMESTAMP (since); false for
    // any other target.
    bool answerTargetsOrTime(const QList<unsigned long>& targets, unsigned long since);
    // Puts items of 8, 16 or 32 bits (32-bit items as longs, as Xlib takes them).
    void put(unsigned long type, int format, const void* data, int items);
    // Tells the requestor: its property holds the answer, or, when nothing was put, a refusal.
    void send();

private:
    _XDisplay* m_display;
    unsigned long m_requestor, m_selection, m_target, m_property, m_time;
    bool m_put = false;
};
