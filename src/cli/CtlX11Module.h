#pragma once

class DetachedClipboard;
class KeySender;
class QString;

// What trellinctl needs of X11 lives in a module of its own, trellinctl-x11.so, loaded only by a
// command that types or copies without the running copy: every other command starts without
// loading Xlib, XTest and xkbcommon. A command that needs X11 for something else gets another
// entry point here.
namespace CtlX11Module {

inline constexpr char kFileName[] = "trellinctl-x11.so";

// A key sender on a new connection to the display; nullptr with the reason in whyNot when the
// display cannot be reached. The caller owns it.
using NewKeySender = KeySender* (*)(QString* whyNot);
inline constexpr char kNewKeySender[] = "trellinctlNewKeySender";

// The clipboard holder of `trellinctl copy` (X11ClipboardHolder). The caller owns it.
using NewClipboardHolder = DetachedClipboard* (*)();
inline constexpr char kNewClipboardHolder[] = "trellinctlNewClipboardHolder";

} // namespace CtlX11Module
