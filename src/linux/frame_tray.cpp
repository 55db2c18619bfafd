#include "linux/frame_tray.h"

#include <memory>

#include "linux/controls_pictures.h"

// Icon 273 of resources/icons, linked into the program like a Windows icon resource.
#ifndef XINGHE_TRAY_ICON_FILE
#error "XINGHE_TRAY_ICON_FILE must name the tray icon"
#endif
asm(".section .rodata.xinghe_tray_icon,\"a\"\n"
    ".global xinghe_tray_icon_begin\n"
    ".global xinghe_tray_icon_end\n"
    "xinghe_tray_icon_begin:\n"
    ".incbin \"" XINGHE_TRAY_ICON_FILE "\"\n"
    "xinghe_tray_icon_end:\n"
    ".previous\n");
extern "C" const unsigned char xinghe_tray_icon_begin[];
extern "C" const unsigned char xinghe_tray_icon_end[];

// GtkStatusIcon is deprecated in GTK 3 but is the one API that speaks the XEmbed tray
// protocol; the indicator API does not report left clicks.
G_GNUC_BEGIN_IGNORE_DEPRECATIONS

namespace xh::linuxport {

GdkPixbuf* LoadTrayIconPicture(int size) {
    std::unique_ptr<GdkPixbufLoader, GObjectUnref> loader(gdk_pixbuf_loader_new_with_type("ico", nullptr));
    if (!loader) return nullptr;
    gdk_pixbuf_loader_set_size(loader.get(), size, size);
    const bool written = gdk_pixbuf_loader_write(loader.get(), xinghe_tray_icon_begin,
                                                 static_cast<gsize>(xinghe_tray_icon_end - xinghe_tray_icon_begin),
                                                 nullptr);
    const bool closed = gdk_pixbuf_loader_close(loader.get(), nullptr);
    GdkPixbuf* picture = written && closed ? gdk_pixbuf_loader_get_pixbuf(loader.get()) : nullptr;
    if (picture) g_object_ref(picture);
    return picture;
}

StatusIconTray::StatusIconTray(std::function<void(TrayMouse)> notify) : m_notify(std::move(notify)) {}

StatusIconTray::~StatusIconTray() {
    if (m_icon) {
        g_signal_handlers_disconnect_by_data(m_icon, this);
        gtk_status_icon_set_visible(m_icon, FALSE);
        g_object_unref(m_icon);
    }
}

bool StatusIconTray::Add(const NotifyIconData& nid) {
    if (m_icon) return false;  // NIM_ADD of an icon that is there fails
    // SM_CXICON.
    PixbufPtr picture(LoadTrayIconPicture(32));
    m_icon = picture ? gtk_status_icon_new_from_pixbuf(picture.get()) : gtk_status_icon_new();
    if (nid.uFlags & kNifTip) gtk_status_icon_set_tooltip_text(m_icon, nid.szTip.c_str());
    gtk_status_icon_set_title(m_icon, nid.szTip.c_str());
    g_signal_connect(m_icon, "button-press-event", G_CALLBACK(OnPress), this);
    g_signal_connect(m_icon, "button-release-event", G_CALLBACK(OnRelease), this);
    gtk_status_icon_set_visible(m_icon, TRUE);
    return true;
}

bool StatusIconTray::Delete(const NotifyIconData&) {
    if (!m_icon) return false;
    g_signal_handlers_disconnect_by_data(m_icon, this);
    gtk_status_icon_set_visible(m_icon, FALSE);
    g_object_unref(m_icon);
    m_icon = nullptr;
    // The tray host learns of it only when our side of the embedding is gone.
    gdk_display_flush(gdk_display_get_default());
    return true;
}

bool StatusIconTray::Embedded() const { return m_icon && gtk_status_icon_is_embedded(m_icon); }

std::optional<Rect> StatusIconTray::IconRect() const {
    GdkRectangle area{};
    if (!Embedded() || !gtk_status_icon_get_geometry(m_icon, nullptr, &area, nullptr)) return std::nullopt;
    return Rect{area.x, area.y, area.x + area.width, area.y + area.height};
}

gboolean StatusIconTray::OnPress(GtkStatusIcon*, GdkEventButton* event, gpointer self) {
    auto* me = static_cast<StatusIconTray*>(self);
    if (event->type != GDK_BUTTON_PRESS) return TRUE;  // double clicks do nothing
    me->m_notify(event->button == 1 ? TrayMouse::LButtonDown : TrayMouse::Other);
    return TRUE;
}

gboolean StatusIconTray::OnRelease(GtkStatusIcon*, GdkEventButton* event, gpointer self) {
    auto* me = static_cast<StatusIconTray*>(self);
    me->m_notify(event->button == 3 ? TrayMouse::RButtonUp : TrayMouse::Other);
    return TRUE;
}

TrayMenu::TrayMenu(std::function<void(int)> onCommand) : m_onCommand(std::move(onCommand)) {
    m_menu = gtk_menu_new();
    g_object_ref_sink(m_menu);
    for (const TrayMenuItem& item : kTrayMenuItems) {
        GtkWidget* entry = gtk_menu_item_new_with_label(item.text);
        g_object_set_data(G_OBJECT(entry), "xinghe-command", GINT_TO_POINTER(item.command));
        g_signal_connect(entry, "activate", G_CALLBACK(+[](GtkMenuItem* mi, gpointer self) {
                             const int command = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(mi), "xinghe-command"));
                             static_cast<TrayMenu*>(self)->m_onCommand(command);
                         }),
                         this);
        gtk_menu_shell_append(GTK_MENU_SHELL(m_menu), entry);
    }
    gtk_widget_show_all(m_menu);
}

TrayMenu::~TrayMenu() {
    gtk_widget_destroy(m_menu);
    g_object_unref(m_menu);
}

void TrayMenu::Popup(const Point& at) {
    m_at = at;
    // Left- and top-aligned at the point, as TrackPopupMenu with TPM_RIGHTBUTTON only.
    gtk_menu_popup(
        GTK_MENU(m_menu), nullptr, nullptr,
        [](GtkMenu*, gint* x, gint* y, gboolean* pushIn, gpointer self) {
            const Point p = static_cast<TrayMenu*>(self)->m_at;
            *x = p.x;
            *y = p.y;
            *pushIn = FALSE;
        },
        this, 3, gtk_get_current_event_time());
}

}  // namespace xh::linuxport

G_GNUC_END_IGNORE_DEPRECATIONS
