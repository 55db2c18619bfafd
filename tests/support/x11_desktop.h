#pragma once
// X11 look-ups for end-to-end tests on the desktop of scripts/with-desktop.sh: window boxes,
// properties the window manager keeps, pixels of the screen, and processes by command line.
// Include it after the other headers: Xlib's macros clash with names in them.
#ifndef _WIN32
#include <sys/types.h>

#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "support/desktop.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace xh::testing {

inline std::ostream& operator<<(std::ostream& out, const Box& b) {
    return out << b.width << "x" << b.height << "+" << b.x << "+" << b.y;
}

// A process that exists and has not ended (a zombie has ended).
inline bool Alive(pid_t pid) {
    const std::string stat = ReadText("/proc/" + std::to_string(pid) + "/stat");
    const auto close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
}

// argv joined with single spaces: the raw command line the launcher reads.
inline std::string CommandLineOf(pid_t pid) {
    std::string raw = ReadText("/proc/" + std::to_string(pid) + "/cmdline");
    if (!raw.empty() && raw.back() == '\0') raw.pop_back();
    for (char& c : raw) {
        if (c == '\0') c = ' ';
    }
    return raw;
}

class X11Desktop {
public:
    X11Desktop() : m_display(XOpenDisplay(nullptr)) {}
    ~X11Desktop() {
        if (m_display) XCloseDisplay(m_display);
    }
    bool Ready() const { return m_display != nullptr; }
    Display* X() const { return m_display; }

    // The window's screen box when it is viewable (mapped with all its ancestors).
    std::optional<Box> ScreenBox(Window w) {
        XSync(m_display, False);
        auto* old = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        XWindowAttributes a{};
        std::optional<Box> box;
        if (XGetWindowAttributes(m_display, w, &a) && a.map_state == IsViewable) {
            int x = 0, y = 0;
            Window child = 0;
            XTranslateCoordinates(m_display, w, DefaultRootWindow(m_display), 0, 0, &x, &y, &child);
            box = Box{x, y, a.width, a.height};
        }
        XSync(m_display, False);
        XSetErrorHandler(old);
        return box;
    }

    std::vector<long> Cardinals(Window w, const char* name, Atom type) {
        Atom actual = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::vector<long> values;
        auto* old = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        if (XGetWindowProperty(m_display, w, XInternAtom(m_display, name, False), 0, 64, False, type, &actual, &format,
                               &count, &after, &data) == Success &&
            data && format == 32) {
            values.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
        }
        if (data) XFree(data);
        XSync(m_display, False);
        XSetErrorHandler(old);
        return values;
    }

    std::optional<Box> ClientOfSize(int width, int height) {
        for (long c : Cardinals(DefaultRootWindow(m_display), "_NET_CLIENT_LIST", XA_WINDOW)) {
            const auto box = ScreenBox(static_cast<Window>(c));
            if (box && box->width == width && box->height == height) return box;
        }
        return std::nullopt;
    }

    Box WorkArea() {
        const auto a = Cardinals(DefaultRootWindow(m_display), "_NET_WORKAREA", XA_CARDINAL);
        return a.size() >= 4 ? Box{int(a[0]), int(a[1]), int(a[2]), int(a[3])} : Box{};
    }
    Window Active() {
        const auto a = Cardinals(DefaultRootWindow(m_display), "_NET_ACTIVE_WINDOW", XA_WINDOW);
        return a.empty() ? 0 : static_cast<Window>(a[0]);
    }
    // The window with the keyboard focus, as the X server has it.
    Window Focus() {
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(m_display, &focus, &revert);
        return focus;
    }

    // Every window in the tree below `from` whose _NET_WM_PID is `pid`, viewable or not.
    std::vector<Window> WindowsOf(pid_t pid, Window from = 0) {
        if (!from) from = DefaultRootWindow(m_display);
        std::vector<Window> out;
        Window root = 0, up = 0, *children = nullptr;
        unsigned count = 0;
        auto* old = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        const bool listed = XQueryTree(m_display, from, &root, &up, &children, &count);
        XSync(m_display, False);
        XSetErrorHandler(old);
        if (!listed) return out;
        for (unsigned i = 0; i < count; ++i) {
            const auto owner = Cardinals(children[i], "_NET_WM_PID", XA_CARDINAL);
            if (!owner.empty() && owner[0] == pid) out.push_back(children[i]);
            for (Window w : WindowsOf(pid, children[i])) out.push_back(w);
        }
        if (children) XFree(children);
        return out;
    }

    // The viewable windows directly on the root (menus among them), with their boxes.
    std::vector<std::pair<Window, Box>> TopWindows() {
        std::vector<std::pair<Window, Box>> out;
        Window root = 0, up = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(m_display, DefaultRootWindow(m_display), &root, &up, &children, &count)) return out;
        for (unsigned i = 0; i < count; ++i) {
            if (const auto box = ScreenBox(children[i])) out.emplace_back(children[i], *box);
        }
        if (children) XFree(children);
        return out;
    }

    // Pixels of the area within `tolerance` of the colour.
    int CountColour(const Box& area, unsigned rgb, int tolerance) {
        XImage* image = XGetImage(m_display, DefaultRootWindow(m_display), area.x, area.y,
                                  static_cast<unsigned>(area.width), static_cast<unsigned>(area.height), AllPlanes,
                                  ZPixmap);
        if (!image) return -1;
        int count = 0;
        for (int y = 0; y < area.height; ++y) {
            for (int x = 0; x < area.width; ++x) {
                const unsigned long p = XGetPixel(image, x, y);
                const int dr = int((p >> 16) & 0xFF) - int((rgb >> 16) & 0xFF);
                const int dg = int((p >> 8) & 0xFF) - int((rgb >> 8) & 0xFF);
                const int db = int(p & 0xFF) - int(rgb & 0xFF);
                if (std::abs(dr) <= tolerance && std::abs(dg) <= tolerance && std::abs(db) <= tolerance) ++count;
            }
        }
        XDestroyImage(image);
        return count;
    }

    // The child of `parent` that belongs to process `pid`.
    std::optional<Window> ChildOf(Window parent, pid_t pid) {
        Window root = 0, up = 0, *children = nullptr;
        unsigned count = 0;
        std::optional<Window> found;
        if (XQueryTree(m_display, parent, &root, &up, &children, &count)) {
            for (unsigned i = 0; i < count; ++i) {
                const auto owner = Cardinals(children[i], "_NET_WM_PID", XA_CARDINAL);
                if (!owner.empty() && owner[0] == pid) found = children[i];
            }
        }
        if (children) XFree(children);
        return found;
    }

private:
    Display* m_display;
};

}  // namespace xh::testing
#endif
