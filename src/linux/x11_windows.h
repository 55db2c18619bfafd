#pragma once
// X11 stand-ins for the few window functions that work across processes: window ids as
// handles, the private messages as client messages, the desktop's work area and taskbar.
#include <cstdint>
#include <optional>

#include "frame/host_protocol.h"
#include "platform/geometry.h"

// Xlib's and xcb's types, without their headers' macros in every file that includes this.
struct _XDisplay;
union _XEvent;
struct xcb_connection_t;

namespace xh::linuxport {

using Display = ::_XDisplay;
using XEvent = ::_XEvent;
using Window = unsigned long;  // XID
using Atom = unsigned long;

// The Xlib connection GDK uses on this thread.
Display* GdkXDisplay();

// The atom that marks our messages among the client messages a window receives.
Atom WindowMessageAtom(Display* display);

struct WindowMessage {
    unsigned message = 0;
    long wParam = 0;
    long lParam = 0;
};

// Delivers the message to the window's owner and makes a round trip, so it has reached
// the owner's queue when this returns. False when the window does not exist.
bool SendWindowMessage(Display* display, Window target, const WindowMessage& message);

// The message when the event is one of ours.
std::optional<WindowMessage> ReadWindowMessage(Display* display, const XEvent& event);

// The window's size as a client rectangle at (0, 0); nullopt when it does not exist.
std::optional<Rect> ClientRectOf(Display* display, Window window);

// _NET_WORKAREA of the current desktop.
std::optional<Rect> WorkAreaFromWm(Display* display);
// The screen rectangle of the panel: the first window of type _NET_WM_WINDOW_TYPE_DOCK.
std::optional<Rect> DockWindowRect(Display* display);

// IsWindow for a thread that has no GDK: its own connection, errors as values.
class WindowProbe {
public:
    WindowProbe();
    ~WindowProbe();
    WindowProbe(const WindowProbe&) = delete;
    WindowProbe& operator=(const WindowProbe&) = delete;
    // False also when the display is gone.
    bool Exists(Window window);

private:
    ::xcb_connection_t* m_connection = nullptr;
};

inline Window ToXWindow(WindowId id) { return static_cast<Window>(static_cast<std::uint32_t>(id)); }
inline WindowId ToWindowId(Window w) { return static_cast<WindowId>(static_cast<std::uint32_t>(w)); }

}  // namespace xh::linuxport
