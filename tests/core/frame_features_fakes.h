#pragma once
// Fakes of the frame window for the features' presenters: one log of everything asked,
// in order, and a window that behaves as the platform's does for visibility and zoom.
#include <map>
#include <string>
#include <vector>

#include "frame/frame_dialog.h"
#include "frame/frame_features.h"
#include "platform/ports.h"

namespace xh::testing {

struct Log {
    std::vector<std::string> lines;
    void operator()(const std::string& s) { lines.push_back(s); }
    bool Has(const std::string& s) const {
        for (const auto& l : lines) {
            if (l == s) return true;
        }
        return false;
    }
    std::vector<std::string> Only(const std::vector<std::string>& wanted) const {
        std::vector<std::string> out;
        for (const auto& l : lines) {
            for (const auto& w : wanted) {
                if (l.rfind(w, 0) == 0) out.push_back(l);
            }
        }
        return out;
    }
};

class FeatureFrameView final : public IFrameView {
public:
    explicit FeatureFrameView(Log& log) : log(log) {}
    Log& log;
    Rect window{0, 0, 1000, 700};
    bool zoomed = false;
    bool minimized = false;
    std::map<int, bool> visible;
    // The template's buttons are visible until told otherwise.
    bool Visible(int id) const {
        const auto it = visible.find(id);
        return it == visible.end() || it->second;
    }

    WindowId Handle() override { return 4242; }
    void SetTitle(const std::string&) override {}
    void RemoveCaption() override {}
    void AddMinimizeBox() override {}
    void SetWindowRect(const Rect& r) override {
        window = r;
        log("rect " + Text(r));
    }
    Rect ClientRect() override { return {0, 0, window.Width(), window.Height()}; }
    void CenterOnScreen() override {}
    void SendSysCommand(SysCommand c) override {
        if (c == SysCommand::Maximize) zoomed = true, minimized = false;
        if (c == SysCommand::Restore) zoomed = false, minimized = false, window = {140, 50, 1140, 750};
        if (c == SysCommand::Minimize) minimized = true;
        log(c == SysCommand::Maximize   ? "SC_MAXIMIZE"
            : c == SysCommand::Restore  ? "SC_RESTORE"
            : c == SysCommand::Minimize ? "SC_MINIMIZE"
                                        : "SC_CLOSE");
    }
    bool IsZoomed() override { return zoomed; }
    void PlaceButton(int, const Rect&) override {}
    void ShowButton(int id, bool v) override { visible[id] = v; }
    void SetButtonImages(int, unsigned, unsigned, unsigned) override {}
    void SetButtonToolTip(int, const std::string&) override {}
    bool LoadTitlePictures() override { return true; }
    void Invalidate(const Rect& r, bool erase) override { log("invalidate " + Text(r) + (erase ? " erase" : "")); }
    void SetBigIcon() override {}
    std::optional<Rect> TaskbarRect() override { return Rect{0, 770, 1280, 800}; }
    Rect WorkArea() override { return {0, 0, 1280, 770}; }
    void SendToGame(WindowId g, unsigned m, long w) override {
        log("send " + std::to_string(g) + " " + std::to_string(m) + " " + std::to_string(w));
    }
    void PostToGame(WindowId g, unsigned m, long w) override {
        log("post " + std::to_string(g) + " " + std::to_string(m) + " " + std::to_string(w));
    }
    void SetTimer(unsigned, unsigned) override {}
    void KillTimer(unsigned) override {}
    void BeginDrag() override {}

    static std::string Text(const Rect& r) {
        return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.Width()) + "x" +
               std::to_string(r.Height());
    }
};

class FakeFeatureWindow final : public IFeatureWindow {
public:
    explicit FakeFeatureWindow(Log& log, FeatureFrameView& frame) : log(log), frame(frame) {}
    Log& log;
    FeatureFrameView& frame;
    bool shown = true;
    bool active = true;
    Point cursor{900, 780};
    std::vector<std::function<void()>> workers;

    bool IsVisible() override { return shown; }
    void Show() override {
        shown = true;
        log("show");
    }
    void Hide() override {
        shown = false;
        log("hide");
    }
    void SetForeground() override { log("foreground"); }
    bool IsTopParentActive() override { return active && shown; }
    Rect ScreenRect() override { return frame.window; }
    Rect PrimaryScreen() override { return {0, 0, 1280, 800}; }
    void CoverScreen(const Rect& r) override {
        frame.window = r;
        log("cover " + FeatureFrameView::Text(r));
    }
    void UncoverScreen() override { log("uncover"); }
    void UpdateWindow() override { log("update"); }
    Point CursorPos() override { return cursor; }
    void TrackTrayMenu(const Point& at) override {
        log("menu " + std::to_string(at.x) + "," + std::to_string(at.y));
    }
    void ShowNoticeOverlay(const Rect& r) override { log("overlay over " + FeatureFrameView::Text(r)); }
    void HideNoticeOverlay() override { log("overlay hidden"); }
    void StartWorker(std::function<void()> work) override {
        log("worker");
        workers.push_back(std::move(work));
    }
    void SendCommand(int id) override;  // routes to the features under test
    void EndDialog() override { log("end"); }

    FrameFeatures* features = nullptr;
};

inline void FakeFeatureWindow::SendCommand(int id) {
    log("command " + std::to_string(id));
    if (features) features->OnCommand(id);
}

class FakeTrayShell final : public ITrayShell {
public:
    explicit FakeTrayShell(Log& log) : log(log) {}
    Log& log;
    std::vector<NotifyIconData> added;
    bool Add(const NotifyIconData& nid) override {
        added.push_back(nid);
        log("tray add");
        return true;
    }
    bool Delete(const NotifyIconData&) override {
        log("tray delete");
        return true;
    }
};

class FakeHotKeys final : public IHotKeys {
public:
    explicit FakeHotKeys(Log& log) : log(log) {}
    Log& log;
    bool Unregister(int id) override {
        log("unregister " + std::to_string(id));
        return true;
    }
    bool Register(int id, std::uint32_t mods, std::uint32_t key) override {
        log("register " + std::to_string(id) + " " + std::to_string(mods) + " " + std::to_string(key));
        return true;
    }
};

class LoggingPrompt final : public IQuestionPrompt {
public:
    explicit LoggingPrompt(Log& log) : log(log) {}
    Log& log;
    int answer = 2;
    int Ask(const std::string& title, const std::string& message) override {
        log("ask " + title + " " + message);
        return answer;
    }
};

class RecordingStarter final : public IProcessStarter {
public:
    explicit RecordingStarter(Log& log) : log(log) {}
    Log& log;
    bool Start(const std::string& program, const std::optional<std::string>& line) override {
        log("start " + program + (line ? " line " + *line : " without a command line"));
        return false;
    }
    bool CanRemoveRunningProgram() override { return true; }
};

class LoggingClock final : public IClock {
public:
    explicit LoggingClock(Log& log) : log(log) {}
    Log& log;
    std::optional<LocalTime> NowLocal() override { return LocalTime{}; }
    std::uint64_t SteadyMillis() override { return 0; }
    void SleepMillis(unsigned ms) override { log("sleep " + std::to_string(ms)); }
};

}  // namespace xh::testing
