#pragma once
// Global hotkeys on X11: passive key grabs on the root window, one for every combination of
// the lock modifiers, so that Caps Lock or Num Lock being on does not disable a hotkey.
#include <gdk/gdk.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "frame/view_modes.h"

namespace xh::linuxport {

// The X keysym of a virtual-key code of the hotkey codec; nullopt for codes it has no row for.
std::optional<unsigned long> KeySymOfVirtualKey(std::uint32_t keyCode);
// MOD_ALT, MOD_CONTROL, MOD_SHIFT as X modifier bits.
unsigned XModifiersOf(std::uint32_t modifiers);

class X11HotKeys final : public IHotKeys {
public:
    // `onHotKey` runs on the GTK thread with the hotkey's id.
    explicit X11HotKeys(std::function<void(int)> onHotKey);
    ~X11HotKeys() override;
    X11HotKeys(const X11HotKeys&) = delete;
    X11HotKeys& operator=(const X11HotKeys&) = delete;

    bool Unregister(int id) override;
    // A combination another client holds is silently missing; false when none could be taken.
    bool Register(int id, std::uint32_t modifiers, std::uint32_t keyCode) override;

    // The lock-modifier combinations a hotkey is grabbed with, and how many of them it holds.
    std::vector<unsigned> LockCombinations() const;
    int GrabbedCombinations(int id) const;

private:
    struct Grab {
        unsigned keycode = 0;
        unsigned modifiers = 0;
        std::vector<unsigned> held;  // the full modifier sets actually grabbed
    };
    static GdkFilterReturn OnRootEvent(GdkXEvent* xevent, GdkEvent*, gpointer self);
    unsigned LockBits() const;

    std::function<void(int)> m_onHotKey;
    std::map<int, Grab> m_grabs;
    unsigned m_numLock = 0, m_scrollLock = 0;
    // Posted hotkeys of a destroyed object are dropped.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

}  // namespace xh::linuxport
