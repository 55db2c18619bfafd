#include "linux/controls_tooltip.h"

namespace xh::linuxport {

void ScopedTimeout::Start(unsigned ms, std::function<bool()> tick) {
    Stop();
    m_tick = std::move(tick);
    m_source = g_timeout_add(ms, &ScopedTimeout::Fire, this);
}

void ScopedTimeout::Stop() {
    if (m_source) g_source_remove(m_source);
    m_source = 0;
}

gboolean ScopedTimeout::Fire(gpointer self) {
    auto* timeout = static_cast<ScopedTimeout*>(self);
    // The tick may stop or restart this timeout; keep the function alive while it runs.
    const guint source = timeout->m_source;
    std::function<bool()> tick = timeout->m_tick;
    const bool again = tick();
    if (again) return G_SOURCE_CONTINUE;
    if (timeout->m_source == source) timeout->m_source = 0;
    return G_SOURCE_REMOVE;
}

ToolTipControl::ToolTipControl(GtkWidget* tool) : m_tool(tool) {}

ToolTipControl::~ToolTipControl() {
    if (m_window) gtk_widget_destroy(m_window);
}

void ToolTipControl::SetTool(const std::string& text, const ToolTipDelays& delays) {
    m_text = text;
    m_delays = delays;
    if (m_label) gtk_label_set_text(GTK_LABEL(m_label), m_text.c_str());
}

void ToolTipControl::Activate(bool active) {
    m_active = active;
    if (!active) Hide();
}

void ToolTipControl::RelayEvent(Relay event) {
    switch (event) {
        case Relay::Move:
            // Moving while up keeps it up; otherwise the wait starts again.
            if (!Showing()) Update();
            break;
        case Relay::Leave:
        case Relay::Press: Hide(); break;
    }
}

void ToolTipControl::Update() {
    if (!m_active || m_text.empty()) return;
    if (Showing()) {
        gtk_label_set_text(GTK_LABEL(m_label), m_text.c_str());
        return;
    }
    m_wait.Start(static_cast<unsigned>(m_delays.initialMs), [this] {
        Pop();
        return false;
    });
}

bool ToolTipControl::Showing() const { return m_window && gtk_widget_get_visible(m_window); }

void ToolTipControl::Pop() {
    if (!m_window) {
        m_window = gtk_window_new(GTK_WINDOW_POPUP);
        gtk_window_set_type_hint(GTK_WINDOW(m_window), GDK_WINDOW_TYPE_HINT_TOOLTIP);
        gtk_widget_set_name(m_window, "xinghe-tooltip");
        gtk_window_set_title(GTK_WINDOW(m_window), "xinghe-tooltip");
        m_label = gtk_label_new(m_text.c_str());
        gtk_widget_set_margin_start(m_label, 4);
        gtk_widget_set_margin_end(m_label, 4);
        gtk_widget_set_margin_top(m_label, 2);
        gtk_widget_set_margin_bottom(m_label, 2);
        gtk_container_add(GTK_CONTAINER(m_window), m_label);
    }
    gtk_label_set_text(GTK_LABEL(m_label), m_text.c_str());
    // Below the pointer, where the platform puts its tooltips.
    int x = 0, y = 0;
    GdkDisplay* display = gtk_widget_get_display(m_tool);
    GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(display));
    gdk_device_get_position(pointer, nullptr, &x, &y);
    gtk_window_move(GTK_WINDOW(m_window), x, y + 20);
    gtk_widget_show_all(m_window);
    m_autoPop.Start(static_cast<unsigned>(m_delays.autoPopMs), [this] {
        Hide();
        return false;
    });
}

void ToolTipControl::Hide() {
    m_wait.Stop();
    m_autoPop.Stop();
    if (m_window) gtk_widget_hide(m_window);
}

}  // namespace xh::linuxport
