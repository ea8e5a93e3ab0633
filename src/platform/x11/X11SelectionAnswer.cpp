#include "platform/x11/X11SelectionAnswer.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

X11SelectionAnswer::X11SelectionAnswer(Display* display, const XEvent& event)
    : m_display(display)
    , m_requestor(event.xselectionrequest.requestor)
    , m_selection(event.xselectionrequest.selection)
    , m_target(event.xselectionrequest.target)
    , m_property(event.xselectionrequest.property != None ? event.xselectionrequest.property
                                                          : event.xselectionrequest.target)
    , m_time(event.xselectionrequest.time)
{ }

bool X11SelectionAnswer::answerTargetsOrTime(const QList<unsigned long>& targets, unsigned long since)
{
    // Xlib keeps interned atoms, so asking again costs no round trip.
    const Atom targetsAtom = XInternAtom(m_display, "TARGETS", False);
    const Atom timestampAtom = XInternAtom(m_display, "TIMESTAMP", False);
    if (m_target == targetsAtom) {
        QList<long> atoms {long(targetsAtom), long(timestampAtom)};
        for (const unsigned long target : targets)
            atoms.append(long(target));
        put(XA_ATOM, 32, atoms.constData(), int(atoms.size()));
        return true;
    }
    if (m_target == timestampAtom) {
        const long time = long(since);
        put(XA_INTEGER, 32, &time, 1);
        return true;
    }
    return false;
}

void X11SelectionAnswer::put(unsigned long type, int format, const void* data, int items)
{
    XChangeProperty(m_display, m_requestor, m_property, type, format, PropModeReplace,
        static_cast<const unsigned char*>(data), items);
    m_put = true;
}

void X11SelectionAnswer::send()
{
    XSelectionEvent reply {};
    reply.type = SelectionNotify;
    reply.display = m_display;
    reply.requestor = m_requestor;
    reply.selection = m_selection;
    reply.target = m_target;
    reply.time = m_time;
    reply.property = m_put ? m_property : None;
    XSendEvent(m_display, m_requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
    XFlush(m_display);
}
