#pragma once
// The tray icon on X11: a GtkStatusIcon, which docks into the panel's system tray through
// the XEmbed tray protocol and so delivers real left and right clicks. Without a tray host
// the icon simply is not shown.
#include <gtk/gtk.h>

#include <functional>
#include <optional>

#include "frame/tray_icon.h"
#include "platform/geometry.h"

namespace xh::linuxport {

class StatusIconTray final : public ITrayShell {
public:
    // `notify` gets the clicks as WM_TRAYNOTIFY would carry them.
    explicit StatusIconTray(std::function<void(TrayMouse)> notify);
    ~StatusIconTray() override;
    StatusIconTray(const StatusIconTray&) = delete;
    StatusIconTray& operator=(const StatusIconTray&) = delete;

    bool Add(const NotifyIconData& nid) override;
    bool Delete(const NotifyIconData& nid) override;

    // Docked in a tray, and where (screen coordinates); tests click it.
    bool Embedded() const;
    std::optional<Rect> IconRect() const;

private:
    static gboolean OnPress(GtkStatusIcon*, GdkEventButton* event, gpointer self);
    static gboolean OnRelease(GtkStatusIcon*, GdkEventButton* event, gpointer self);

    std::function<void(TrayMouse)> m_notify;
    GtkStatusIcon* m_icon = nullptr;
};

// Icon 273 of the program, decoded at the size given; null when it cannot be.
GdkPixbuf* LoadTrayIconPicture(int size);

// Menu 151's pop-up with its left edge at `at`; the chosen command goes to `onCommand`.
class TrayMenu {
public:
    explicit TrayMenu(std::function<void(int)> onCommand);
    ~TrayMenu();
    TrayMenu(const TrayMenu&) = delete;
    TrayMenu& operator=(const TrayMenu&) = delete;

    void Popup(const Point& at);
    GtkWidget* Widget() const { return m_menu; }

private:
    std::function<void(int)> m_onCommand;
    GtkWidget* m_menu = nullptr;
    Point m_at;
};

}  // namespace xh::linuxport
