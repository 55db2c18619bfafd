// The controls on screen for the GUI tests (Linux). Commands:
//   msgbox [title message]  shows the message box; exit status and "result N" are its result
//   question title message  the same through ShowQuestionBox
//   overlay N               shows the notice overlay over a frame window, lets N timer ticks
//                           pass, then holds still and prints "ready"
//   live                    the overlay with its own timer: shown for four changes of its
//                           picture, hidden for 500 ms, shown again for one more; prints
//                           "picture <id> <ms>", "hidden <ms>", "shown <ms>", then "done"
//   button                  a window with one image button that has a tooltip; prints "click"
//                           per click and "tooltip <ms>" when the tooltip shows, <ms> after
//                           the hover look began
#include <gtk/gtk.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "controls/notice_overlay.h"
#include "controls/question_box.h"
#include "linux/controls_message_box.h"
#include "linux/controls_notice_overlay.h"
#include "linux/controls_touch_button.h"
#include "platform/backend.h"

namespace {

using namespace xh;
using namespace xh::linuxport;

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

int RunMessageBox(int argc, char** argv) {
    CCustomMessageBox box;
    if (argc >= 4) box.SetText(argv[2], argv[3]);
    const int result = box.DoModal();
    Say("result " + std::to_string(result));
    return result;
}

GtkWidget* FrameWindow(const char* title, int x, int y, int w, int h) {
    GtkWidget* frame = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(frame), title);
    gtk_window_set_decorated(GTK_WINDOW(frame), FALSE);
    gtk_window_move(GTK_WINDOW(frame), x, y);
    gtk_window_set_default_size(GTK_WINDOW(frame), w, h);
    g_signal_connect(frame, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    gtk_widget_show_all(frame);
    return frame;
}

int RunOverlay(int ticks) {
    GtkWidget* frame = FrameWindow("xinghe-probe-frame", 100, 80, 640, 420);
    CMenbanDlg overlay;
    overlay.Create(GTK_WINDOW(frame));
    overlay.ShowOver({100, 80, 640, 420});
    // The ticks come from here, so the picture on screen is known when "ready" is printed.
    overlay.PauseAnimation();
    for (int i = 0; i < ticks; ++i) overlay.OnTimer(kNoticeTimerId);
    g_timeout_add(700, [](gpointer p) -> gboolean {
        Say("ready " + std::to_string(static_cast<CMenbanDlg*>(p)->CurrentPicture()));
        return G_SOURCE_REMOVE;
    }, &overlay);
    gtk_main();
    return 0;
}

int RunLive() {
    GtkWidget* frame = FrameWindow("xinghe-probe-frame", 100, 80, 640, 420);
    CMenbanDlg overlay;
    overlay.Create(GTK_WINDOW(frame));
    // Shown until four pictures have changed, hidden for 500 ms, shown again until the next
    // change; every event with its time since the first showing.
    struct Watch {
        CMenbanDlg* overlay;
        std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
        unsigned last = 0;
        int changes = 0;
        long hiddenAt = -1;
        bool shownAgain = false;
        long Ms() const {
            return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now() - start).count());
        }
    } watch{&overlay};
    watch.last = overlay.CurrentPicture();
    overlay.ShowOver({100, 80, 640, 420});
    g_timeout_add(5, [](gpointer p) -> gboolean {
        auto* w = static_cast<Watch*>(p);
        const unsigned now = w->overlay->CurrentPicture();
        if (now != w->last) {
            Say("picture " + std::to_string(now) + " " + std::to_string(w->Ms()));
            ++w->changes;
        }
        w->last = now;
        if (w->changes == 4 && w->hiddenAt < 0) {
            w->overlay->Hide();
            w->hiddenAt = w->Ms();
            Say("hidden " + std::to_string(w->hiddenAt));
        }
        if (w->hiddenAt >= 0 && !w->shownAgain && w->Ms() - w->hiddenAt >= 500) {
            w->overlay->ShowOver({100, 80, 640, 420});
            w->shownAgain = true;
            Say("shown " + std::to_string(w->Ms()));
        }
        if (w->changes == 5 || w->Ms() > 20000) {
            Say("done");
            gtk_main_quit();
            return G_SOURCE_REMOVE;
        }
        return G_SOURCE_CONTINUE;
    }, &watch);
    gtk_main();
    return 0;
}

int RunButton() {
    GtkWidget* frame = FrameWindow("xinghe-probe-button", 200, 200, 200, 80);
    GtkWidget* fixed = gtk_fixed_new();
    gtk_container_add(GTK_CONTAINER(frame), fixed);
    CTouchButton button;
    button.Create(fixed, 1021, {60, 28, 78, 24}, nullptr, [](int) { Say("click"); });
    button.SetImages(226, 219, 236);
    button.SetToolTipText("刷新");
    gtk_widget_show_all(frame);
    struct Watch {
        CTouchButton* button;
        std::chrono::steady_clock::time_point hoverSince{};
        bool hover = false, shown = false;
    } watch{&button};
    g_timeout_add(20, [](gpointer p) -> gboolean {
        auto* w = static_cast<Watch*>(p);
        if (w->button->Hover() && !w->hover) w->hoverSince = std::chrono::steady_clock::now();
        w->hover = w->button->Hover();
        const bool shown = w->button->ToolTipShowing();
        if (shown && !w->shown) {
            const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                                  w->hoverSince);
            Say("tooltip " + std::to_string(ms.count()));
        }
        w->shown = shown;
        return G_SOURCE_CONTINUE;
    }, &watch);
    Say("ready");
    gtk_main();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    xh::InstallBackendPorts();
    if (!gtk_init_check(&argc, &argv)) {
        std::fprintf(stderr, "no display\n");
        return 100;
    }
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "msgbox") return RunMessageBox(argc, argv);
    if (command == "question" && argc >= 4) {
        const int result = xh::ShowQuestionBox(argv[2], argv[3]);
        Say("result " + std::to_string(result));
        return result;
    }
    if (command == "overlay") return RunOverlay(argc > 2 ? std::atoi(argv[2]) : 0);
    if (command == "button") return RunButton();
    if (command == "live") return RunLive();
    std::fprintf(stderr, "usage: %s msgbox [title message] | overlay N | live | button\n", argv[0]);
    return 100;
}
