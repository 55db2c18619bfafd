#pragma once
// A tooltip for one widget, with the platform tooltip control's timing: it shows after the
// pointer has rested for the initial delay and goes away after the auto-pop delay, on a
// press, or when the pointer leaves.
#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <string>

#include "controls/touch_button.h"

namespace xh::linuxport {

// A GLib timeout that cannot outlive its owner.
class ScopedTimeout {
public:
    ScopedTimeout() = default;
    ~ScopedTimeout() { Stop(); }
    ScopedTimeout(const ScopedTimeout&) = delete;
    ScopedTimeout& operator=(const ScopedTimeout&) = delete;

    // Calls `tick` every `ms` while it returns true; replaces a running timeout.
    void Start(unsigned ms, std::function<bool()> tick);
    void Stop();
    bool Running() const { return m_source != 0; }

private:
    static gboolean Fire(gpointer self);
    guint m_source = 0;
    std::function<bool()> m_tick;
};

class ToolTipControl {
public:
    enum class Relay { Move, Leave, Press };

    explicit ToolTipControl(GtkWidget* tool);
    ~ToolTipControl();
    ToolTipControl(const ToolTipControl&) = delete;
    ToolTipControl& operator=(const ToolTipControl&) = delete;

    void SetTool(const std::string& text, const ToolTipDelays& delays);
    void Activate(bool active);
    void RelayEvent(Relay event);
    // Restarts the wait as if the pointer had just come to rest on the tool.
    void Update();

    bool Showing() const;
    const std::string& Text() const { return m_text; }

private:
    void Pop();
    void Hide();

    GtkWidget* m_tool;
    GtkWidget* m_window = nullptr;
    GtkWidget* m_label = nullptr;
    std::string m_text;
    ToolTipDelays m_delays;
    bool m_active = true;
    ScopedTimeout m_wait;
    ScopedTimeout m_autoPop;
};

}  // namespace xh::linuxport
