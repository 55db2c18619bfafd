#include "linux/frame_hotkeys.h"

#include <gdk/gdkx.h>

#include "settings/hotkey_codec.h"

// Xlib last: its macros clash with names in the headers above.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace xh::linuxport {
namespace {

Display* XDisplay() { return GDK_DISPLAY_XDISPLAY(gdk_display_get_default()); }

// The modifier bit a lock key sits on (Num Lock is usually Mod2); 0 when it has none.
unsigned ModifierOfKey(Display* display, KeySym sym) {
    const KeyCode code = XKeysymToKeycode(display, sym);
    if (!code) return 0;
    XModifierKeymap* map = XGetModifierMapping(display);
    if (!map) return 0;
    unsigned mask = 0;
    for (int m = 0; m < 8 && !mask; ++m) {
        for (int k = 0; k < map->max_keypermod; ++k) {
            if (map->modifiermap[m * map->max_keypermod + k] == code) {
                mask = 1u << m;
                break;
            }
        }
    }
    XFreeModifiermap(map);
    return mask;
}

}  // namespace

std::optional<unsigned long> KeySymOfVirtualKey(std::uint32_t vk) {
    if (vk >= 0x30 && vk <= 0x39) return XK_0 + (vk - 0x30);
    if (vk >= 0x41 && vk <= 0x5A) return XK_a + (vk - 0x41);
    if (vk >= 0x60 && vk <= 0x69) return XK_KP_0 + (vk - 0x60);
    if (vk >= 0x70 && vk <= 0x7B) return XK_F1 + (vk - 0x70);
    switch (vk) {
        case 0x12: return XK_Alt_L;
        case 0x11: return XK_Control_L;
        case 0x10: return XK_Shift_L;
        case 0x20: return XK_space;
        case 0x21: return XK_Prior;
        case 0x22: return XK_Next;
        case 0x23: return XK_End;
        case 0x24: return XK_Home;
        case 0x25: return XK_Left;
        case 0x26: return XK_Up;
        case 0x27: return XK_Right;
        case 0x28: return XK_Down;
        case 0x2D: return XK_Insert;
        case 0x2E: return XK_Delete;
        case 0xBA: return XK_semicolon;
        case 0xBB: return XK_equal;  // VK_OEM_PLUS is the "=+" key
        case 0xBC: return XK_comma;
        case 0xBD: return XK_minus;
        case 0xBE: return XK_period;
        case 0xBF: return XK_slash;
        case 0xC0: return XK_grave;
        case 0xDB: return XK_bracketleft;
        case 0xDC: return XK_backslash;
        case 0xDD: return XK_bracketright;
        case 0xDE: return XK_apostrophe;
        case 0x6A: return XK_KP_Multiply;
        case 0x6B: return XK_KP_Add;
        case 0x6D: return XK_KP_Subtract;
        case 0x6E: return XK_KP_Decimal;
        case 0x6F: return XK_KP_Divide;
        default: return std::nullopt;
    }
}

unsigned XModifiersOf(std::uint32_t modifiers) {
    unsigned x = 0;
    if (modifiers & kModAlt) x |= Mod1Mask;
    if (modifiers & kModControl) x |= ControlMask;
    if (modifiers & kModShift) x |= ShiftMask;
    return x;
}

X11HotKeys::X11HotKeys(std::function<void(int)> onHotKey) : m_onHotKey(std::move(onHotKey)) {
    Display* display = XDisplay();
    m_numLock = ModifierOfKey(display, XK_Num_Lock);
    m_scrollLock = ModifierOfKey(display, XK_Scroll_Lock);
    gdk_window_add_filter(gdk_get_default_root_window(), OnRootEvent, this);
}

X11HotKeys::~X11HotKeys() {
    gdk_window_remove_filter(gdk_get_default_root_window(), OnRootEvent, this);
    while (!m_grabs.empty()) Unregister(m_grabs.begin()->first);
}

std::vector<unsigned> X11HotKeys::LockCombinations() const {
    std::vector<unsigned> combos{0};
    for (const unsigned lock : {unsigned{LockMask}, m_numLock, m_scrollLock}) {
        if (!lock) continue;
        const std::size_t n = combos.size();
        for (std::size_t i = 0; i < n; ++i) combos.push_back(combos[i] | lock);
    }
    return combos;
}

unsigned X11HotKeys::LockBits() const { return unsigned{LockMask} | m_numLock | m_scrollLock; }

int X11HotKeys::GrabbedCombinations(int id) const {
    const auto it = m_grabs.find(id);
    return it == m_grabs.end() ? 0 : static_cast<int>(it->second.held.size());
}

bool X11HotKeys::Unregister(int id) {
    const auto it = m_grabs.find(id);
    if (it == m_grabs.end()) return false;
    Display* display = XDisplay();
    GdkDisplay* gd = gdk_display_get_default();
    gdk_x11_display_error_trap_push(gd);
    for (const unsigned mods : it->second.held) {
        XUngrabKey(display, static_cast<int>(it->second.keycode), mods, DefaultRootWindow(display));
    }
    gdk_x11_display_error_trap_pop_ignored(gd);
    m_grabs.erase(it);
    return true;
}

bool X11HotKeys::Register(int id, std::uint32_t modifiers, std::uint32_t keyCode) {
    Unregister(id);
    const auto sym = KeySymOfVirtualKey(keyCode);
    if (!sym) return false;
    Display* display = XDisplay();
    const KeyCode code = XKeysymToKeycode(display, *sym);
    if (!code) return false;
    Grab grab{code, XModifiersOf(modifiers), {}};
    GdkDisplay* gd = gdk_display_get_default();
    for (const unsigned lock : LockCombinations()) {
        // One at a time: a combination another client holds fails alone.
        gdk_x11_display_error_trap_push(gd);
        XGrabKey(display, code, grab.modifiers | lock, DefaultRootWindow(display), False, GrabModeAsync,
                 GrabModeAsync);
        if (gdk_x11_display_error_trap_pop(gd) == 0) grab.held.push_back(grab.modifiers | lock);
    }
    const bool any = !grab.held.empty();
    if (any) m_grabs[id] = std::move(grab);
    return any;
}

GdkFilterReturn X11HotKeys::OnRootEvent(GdkXEvent* xevent, GdkEvent*, gpointer self) {
    auto* me = static_cast<X11HotKeys*>(self);
    const XEvent& event = *static_cast<XEvent*>(xevent);
    if (event.type != KeyPress) return GDK_FILTER_CONTINUE;
    const unsigned state = event.xkey.state & ~me->LockBits() & (ShiftMask | ControlMask | Mod1Mask | Mod4Mask);
    for (const auto& [id, grab] : me->m_grabs) {
        if (grab.keycode == event.xkey.keycode && grab.modifiers == state) {
            // Like WM_HOTKEY, posted: the handler may open windows of its own.
            const int hotKey = id;
            std::weak_ptr<int> alive = me->m_alive;
            auto* run = new std::function<void()>([me, hotKey, alive] {
                if (!alive.expired()) me->m_onHotKey(hotKey);
            });
            g_idle_add_full(
                G_PRIORITY_DEFAULT,
                [](gpointer data) -> gboolean {
                    (*static_cast<std::function<void()>*>(data))();
                    return G_SOURCE_REMOVE;
                },
                run, [](gpointer data) { delete static_cast<std::function<void()>*>(data); });
            return GDK_FILTER_REMOVE;
        }
    }
    return GDK_FILTER_CONTINUE;
}

}  // namespace xh::linuxport
