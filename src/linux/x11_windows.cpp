#include <X11/Xlib.h>
#include <X11/Xatom.h>

#include "linux/x11_windows.h"

#include <gdk/gdkx.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace xh::linuxport {
namespace {

// An X error while the trap is set is swallowed and counted instead of ending the program.
class ErrorTrap {
public:
    explicit ErrorTrap(Display* display) : m_display(gdk_x11_lookup_xdisplay(display)) {
        if (m_display) gdk_x11_display_error_trap_push(m_display);
    }
    ~ErrorTrap() {
        if (m_display && !m_popped) gdk_x11_display_error_trap_pop_ignored(m_display);
    }
    bool Failed() {
        m_popped = true;
        return m_display && gdk_x11_display_error_trap_pop(m_display) != 0;
    }

private:
    GdkDisplay* m_display;
    bool m_popped = false;
};

struct XFreeDeleter {
    void operator()(void* p) const {
        if (p) XFree(p);
    }
};

// A property of 32-bit items (which Xlib hands back as longs).
std::optional<std::vector<long>> CardinalProperty(Display* display, Window window, const char* name, Atom type) {
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    ErrorTrap trap(display);
    const int status = XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 1024, False, type,
                                          &actualType, &actualFormat, &count, &after, &data);
    std::unique_ptr<unsigned char, XFreeDeleter> owned(data);
    if (trap.Failed() || status != Success || actualFormat != 32 || !data) return std::nullopt;
    const auto* items = reinterpret_cast<const long*>(data);
    return std::vector<long>(items, items + count);
}

std::optional<Rect> ScreenRectOf(Display* display, Window window) {
    ErrorTrap trap(display);
    XWindowAttributes a{};
    if (!XGetWindowAttributes(display, window, &a)) return std::nullopt;
    int x = 0, y = 0;
    Window child = None;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    if (trap.Failed()) return std::nullopt;
    return Rect{x, y, x + a.width, y + a.height};
}

bool IsDock(Display* display, Window window) {
    const auto types = CardinalProperty(display, window, "_NET_WM_WINDOW_TYPE", XA_ATOM);
    if (!types) return false;
    const Atom dock = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DOCK", False);
    for (long t : *types) {
        if (static_cast<Atom>(t) == dock) return true;
    }
    return false;
}

}  // namespace

Display* GdkXDisplay() { return GDK_DISPLAY_XDISPLAY(gdk_display_get_default()); }

Atom WindowMessageAtom(Display* display) { return XInternAtom(display, "_XINGHE_WINDOW_MESSAGE", False); }

bool SendWindowMessage(Display* display, Window target, const WindowMessage& message) {
    if (!target) return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.display = display;
    event.xclient.window = target;
    event.xclient.message_type = WindowMessageAtom(display);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(message.message);
    event.xclient.data.l[1] = message.wParam;
    event.xclient.data.l[2] = message.lParam;
    ErrorTrap trap(display);
    XSendEvent(display, target, False, NoEventMask, &event);
    XSync(display, False);
    return !trap.Failed();
}

std::optional<WindowMessage> ReadWindowMessage(Display* display, const XEvent& event) {
    if (event.type != ClientMessage || event.xclient.format != 32 ||
        event.xclient.message_type != WindowMessageAtom(display)) {
        return std::nullopt;
    }
    return WindowMessage{static_cast<unsigned>(event.xclient.data.l[0]), event.xclient.data.l[1],
                         event.xclient.data.l[2]};
}

std::optional<Rect> ClientRectOf(Display* display, Window window) {
    if (!window) return std::nullopt;
    ErrorTrap trap(display);
    Window root = None;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    const Status ok = XGetGeometry(display, window, &root, &x, &y, &width, &height, &border, &depth);
    if (trap.Failed() || !ok) return std::nullopt;
    return Rect{0, 0, static_cast<int>(width), static_cast<int>(height)};
}

std::optional<Rect> WorkAreaFromWm(Display* display) {
    const Window root = DefaultRootWindow(display);
    const auto area = CardinalProperty(display, root, "_NET_WORKAREA", XA_CARDINAL);
    if (!area || area->size() < 4) return std::nullopt;
    std::size_t desktop = 0;
    if (const auto current = CardinalProperty(display, root, "_NET_CURRENT_DESKTOP", XA_CARDINAL);
        current && !current->empty() && (current->front() + 1) * 4 <= static_cast<long>(area->size())) {
        desktop = static_cast<std::size_t>(current->front());
    }
    const long* a = area->data() + desktop * 4;
    return Rect{static_cast<int>(a[0]), static_cast<int>(a[1]), static_cast<int>(a[0] + a[2]),
                static_cast<int>(a[1] + a[3])};
}

std::optional<Rect> DockWindowRect(Display* display) {
    const Window root = DefaultRootWindow(display);
    if (const auto clients = CardinalProperty(display, root, "_NET_CLIENT_LIST", XA_WINDOW)) {
        for (long c : *clients) {
            if (IsDock(display, static_cast<Window>(c))) return ScreenRectOf(display, static_cast<Window>(c));
        }
    }
    // Window managers that leave docks out of the client list: the root's children.
    Window rootReturn = None, parent = None;
    Window* children = nullptr;
    unsigned count = 0;
    ErrorTrap trap(display);
    if (!XQueryTree(display, root, &rootReturn, &parent, &children, &count)) return std::nullopt;
    std::unique_ptr<Window, XFreeDeleter> owned(children);
    for (unsigned i = 0; i < count; ++i) {
        if (IsDock(display, children[i])) return ScreenRectOf(display, children[i]);
    }
    return std::nullopt;
}

WindowProbe::WindowProbe() {
    m_connection = xcb_connect(nullptr, nullptr);
}

WindowProbe::~WindowProbe() {
    if (m_connection) xcb_disconnect(m_connection);
}

bool WindowProbe::Exists(Window window) {
    if (!m_connection || xcb_connection_has_error(m_connection) || !window) return false;
    xcb_generic_error_t* error = nullptr;
    xcb_get_window_attributes_reply_t* reply = xcb_get_window_attributes_reply(
        m_connection, xcb_get_window_attributes(m_connection, static_cast<xcb_window_t>(window)), &error);
    const bool exists = reply != nullptr;
    std::free(reply);
    std::free(error);
    return exists;
}

}  // namespace xh::linuxport
