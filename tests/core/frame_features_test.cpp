// The frame's features through fake views: the view-mode table, the tray icon and menu,
// the hotkeys from the settings file, the prompts' sequences and the cleaning's hand-over.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

#include "frame/prompts.h"
#include "frame_features_fakes.h"
#include "settings/settings.h"
#include "support/fake_ports.h"

namespace xh {
namespace {

using testing::FakeFeatureWindow;
using testing::FakeHotKeys;
using testing::FakeTrayShell;
using testing::FeatureFrameView;
using testing::Log;

class FlagDlg : public CVidave_ZqDlg {
public:
    using CVidave_ZqDlg::CVidave_ZqDlg;
    FrameModeFlags Flags() { return {m_bFullScreen, m_bMaximized, m_bMinimizedByButton, m_hGameWnd}; }
};

FrameHooks LoginHooks() {
    FrameHooks hooks;
    hooks.runLogin = [] { return std::string("http://127.0.0.1/game/play.php?play_gamecode=x&svname=S1"); };
    return hooks;
}

constexpr WindowId kGame = 777;

class FrameFeaturesTest : public ::testing::Test {
protected:
    void SetUp() override {
        Ports p = ports();
        p.clock = &clock;
        p.prompt = &prompt;
        p.starter = &starter;
        scoped.emplace(p);
        dialog.OnInitDialog();
        dialog.OnGameWindowAttached(kGame);
        features = std::make_unique<FrameFeatures>(dialog, view, window, dialog.Flags(),
                                                   FeaturePorts{tray, hotKeys, {}});
        window.features = features.get();
        features->AddTrayIcon("星河登录器");
        log.lines.clear();
    }

    std::string Send(unsigned message, long wParam) const {
        return "send " + std::to_string(kGame) + " " + std::to_string(message) + " " + std::to_string(wParam);
    }
    bool AllTitleButtons(bool visible) {
        for (const TitleButtonSpec& b : kTitleButtons) {
            if (b.id == kBtnMaximize || b.id == kBtnRestore) continue;
            if (view.Visible(b.id) != visible) return false;
        }
        return true;
    }

    testing::FakePorts fakes;
    Log log;
    testing::LoggingClock clock{log};
    testing::LoggingPrompt prompt{log};
    testing::RecordingStarter starter{log};
    std::optional<ScopedPorts> scoped;
    FeatureFrameView view{log};
    FakeFeatureWindow window{log, view};
    FakeTrayShell tray{log};
    FakeHotKeys hotKeys{log};
    FlagDlg dialog{view, LoginHooks()};
    std::unique_ptr<FrameFeatures> features;
};

// ---- view modes -------------------------------------------------------------------------

enum class Mode { Maximised, Restored, FullScreen, Hidden, MinimisedByButtonMaximised, MinimisedByButtonRestored,
                  MinimisedFromTaskbar };

struct ModeRow {
    const char* name;
    Mode from;
    std::function<void(FrameFeatures&, FakeFeatureWindow&)> event;
    bool fullScreen, maximized, visible, zoomed;
    Rect window;
};

const Rect kWork{0, 0, 1280, 770}, kScreen{0, 0, 1280, 800}, kRestored{140, 50, 1140, 750};

void Command(FrameFeatures& f, int id) { ASSERT_TRUE(f.OnCommand(id)); }

const ModeRow kModeRows[] = {
    {"button 1004 from maximised", Mode::Maximised, [](auto& f, auto&) { Command(f, kBtnFullScreen); }, true, true,
     true, true, kScreen},
    {"hotkey 3 from restored while active", Mode::Restored, [](auto& f, auto&) { f.OnHotKey(3); }, true, false, true,
     true, kScreen},
    {"hotkey 3 while another window is active", Mode::Restored,
     [](auto& f, auto& w) {
         w.active = false;
         f.OnHotKey(3);
     },
     false, false, true, false, kRestored},
    {"hotkey 3 in fullscreen", Mode::FullScreen, [](auto& f, auto&) { f.OnHotKey(3); }, false, true, true, true, kWork},
    {"IDCANCEL in fullscreen", Mode::FullScreen, [](auto& f, auto&) { Command(f, kIdCancelCommand); }, false, true,
     true, true, kWork},
    {"IDCANCEL when restored does nothing", Mode::Restored, [](auto& f, auto&) { Command(f, kIdCancelCommand); },
     false, false, true, false, kRestored},
    {"hotkey 2 hides a maximised frame", Mode::Maximised, [](auto& f, auto&) { f.OnHotKey(2); }, false, true, false,
     true, kWork},
    {"hotkey 2 shows it again in the mode it had", Mode::Hidden, [](auto& f, auto&) { f.OnHotKey(2); }, false, false,
     true, false, kRestored},
    {"button 1005 hides", Mode::Restored, [](auto& f, auto&) { Command(f, kBtnBossKey); }, false, false, false, false,
     kRestored},
    {"tray toggle hides a visible frame", Mode::Maximised, [](auto& f, auto&) { Command(f, ID_TRAY_SHOWHIDE); },
     false, true, false, true, kWork},
    {"tray toggle shows a hidden frame", Mode::Hidden, [](auto& f, auto&) { Command(f, ID_TRAY_SHOWHIDE); }, false,
     false, true, false, kRestored},
    {"tray left click shows a hidden frame", Mode::Hidden,
     [](auto& f, auto&) { f.OnTrayNotify(TrayMouse::LButtonDown); }, false, false, true, false, kRestored},
    {"minimised by the button, then F10: maximised again", Mode::MinimisedByButtonMaximised,
     [](auto& f, auto&) { f.OnHotKey(2); }, false, true, true, true, kWork},
    {"minimised by the button, then F10: restored again", Mode::MinimisedByButtonRestored,
     [](auto& f, auto&) { f.OnHotKey(2); }, false, false, true, false, kRestored},
    {"minimised from the taskbar, then F10: hidden", Mode::MinimisedFromTaskbar, [](auto& f, auto&) { f.OnHotKey(2); },
     false, true, false, true, kWork},
    {"hidden in fullscreen keeps fullscreen", Mode::FullScreen, [](auto& f, auto&) { f.OnHotKey(2); }, true, true,
     false, true, kScreen},
};

class ViewModeTable : public FrameFeaturesTest, public ::testing::WithParamInterface<ModeRow> {
protected:
    void Enter(Mode mode) {
        switch (mode) {
            case Mode::Maximised: break;
            case Mode::Restored: dialog.OnRestore(); break;
            case Mode::FullScreen: features->OnCommand(kBtnFullScreen); break;
            case Mode::Hidden:
                dialog.OnRestore();
                features->OnHotKey(2);
                break;
            case Mode::MinimisedByButtonMaximised: dialog.OnMinimize(); break;
            case Mode::MinimisedByButtonRestored:
                dialog.OnRestore();
                dialog.OnMinimize();
                break;
            case Mode::MinimisedFromTaskbar: view.SendSysCommand(SysCommand::Minimize); break;
        }
        log.lines.clear();
    }
};

TEST_P(ViewModeTable, EndsInTheRightMode) {
    const ModeRow& row = GetParam();
    Enter(row.from);
    row.event(*features, window);
    EXPECT_EQ(dialog.FullScreen(), row.fullScreen);
    EXPECT_EQ(dialog.Maximized(), row.maximized);
    EXPECT_EQ(window.shown, row.visible);
    EXPECT_EQ(view.zoomed, row.zoomed);
    EXPECT_FALSE(view.minimized && row.from != Mode::MinimisedFromTaskbar);
    EXPECT_EQ(view.window, row.window) << FeatureFrameView::Text(view.window);
    // The title-bar buttons are hidden exactly while fullscreen lasts.
    EXPECT_TRUE(AllTitleButtons(!dialog.FullScreen()));
    if (!dialog.FullScreen()) {
        EXPECT_NE(view.Visible(kBtnMaximize), view.Visible(kBtnRestore));
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, ViewModeTable, ::testing::ValuesIn(kModeRows),
                         [](const auto& info) {
                             std::string n = info.param.name;
                             for (char& c : n) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             }
                             return n;
                         });

TEST_F(FrameFeaturesTest, EnteringFullscreenCoversTheScreenAndRefitsTheGameWithoutTitleBar) {
    dialog.OnMinimize();
    log.lines.clear();
    features->OnCommand(kBtnFullScreen);
    EXPECT_FALSE(dialog.MinimizedByButton());
    EXPECT_EQ(log.Only({"SC_", "cover", "send", "update"}),
              (std::vector<std::string>{"SC_MAXIMIZE", "cover 0,0 1280x800", Send(WM_GAMEWND_FIT, 1), "update"}));
    EXPECT_FALSE(dialog.ShouldDrawTitleBar());
}

TEST_F(FrameFeaturesTest, HotkeyFullscreenLeavesTheMinimiseFlagAlone) {
    bool full = false, maximized = true;
    int minimized = 1;
    WindowId game = 0;
    ViewModes modes(dialog, view, window, {full, maximized, minimized, game});
    modes.OnHotKey(3);
    EXPECT_TRUE(full);
    EXPECT_EQ(minimized, 1);
}

TEST_F(FrameFeaturesTest, LeavingFullscreenFromRestoredEndsMaximisedWithTheRestoreButton) {
    dialog.OnRestore();
    features->OnCommand(kBtnFullScreen);
    log.lines.clear();
    features->OnCommand(kIdCancelCommand);
    EXPECT_TRUE(dialog.Maximized());
    EXPECT_TRUE(view.zoomed);
    EXPECT_TRUE(view.Visible(kBtnRestore));
    EXPECT_FALSE(view.Visible(kBtnMaximize));
    EXPECT_EQ(view.window, kWork);
    // Out of the screen cover before maximising; the title strip invalidated once more at the
    // end only for IDCANCEL.
    const auto steps = log.Only({"uncover", "SC_", "invalidate"});
    ASSERT_GE(steps.size(), 3u);
    EXPECT_EQ(steps[0], "uncover");
    EXPECT_EQ(steps[1], "SC_MAXIMIZE");
    EXPECT_EQ(steps.back(), "invalidate 0,0 1280x30 erase");
    const auto viaCancel = steps.size();

    features->OnCommand(kBtnFullScreen);
    log.lines.clear();
    features->OnHotKey(3);
    EXPECT_EQ(log.Only({"uncover", "SC_", "invalidate"}).size(), viaCancel - 1);
}

TEST_F(FrameFeaturesTest, KeyboardFilterSkipsEnterAndEscapeAndUsesUpF5) {
    EXPECT_EQ(FrameFeatures::PreTranslateKeyDown(FrameKey::Enter), FrameKeyRoute::Skip);
    EXPECT_EQ(FrameFeatures::PreTranslateKeyDown(FrameKey::Escape), FrameKeyRoute::Skip);
    EXPECT_EQ(FrameFeatures::PreTranslateKeyDown(FrameKey::F5), FrameKeyRoute::Consumed);
    EXPECT_EQ(FrameFeatures::PreTranslateKeyDown(FrameKey::Other), FrameKeyRoute::Default);
    EXPECT_TRUE(features->OnCommand(ID_ACCEL_F5));
    EXPECT_TRUE(log.lines.empty());
}

// ---- hotkeys from the settings file --------------------------------------------------------

struct HotKeyRow {
    const char* settings;  // the [Setting] section's lines; nullptr: no settings file
    std::vector<std::string> expected;
};

TEST_F(FrameFeaturesTest, HotKeysAreRegisteredWithTheCodecsValues) {
    const HotKeyRow rows[] = {
        {"screentoggle=F10\r\nfullscreen=F11\r\n",
         {"unregister 2", "register 2 0 121", "unregister 3", "register 3 0 122"}},
        {"screentoggle=Ctrl+Shift+Q\r\nfullscreen=F11\r\n",
         {"unregister 2", "register 2 6 81", "unregister 3", "register 3 0 122"}},
        // Missing keys read as "0", the digit key; an empty value registers nothing.
        {"fullscreen=\r\n", {"unregister 2", "register 2 0 48"}},
        {nullptr, {"unregister 2", "register 2 0 48", "unregister 3", "register 3 0 48"}},
        // A text the codec cannot read still registers, with key code 0.
        {"screentoggle=ctrl+q\r\nfullscreen=Alt+Alt+F4\r\n",
         {"unregister 2", "register 2 0 0", "unregister 3", "register 3 1 115"}},
    };
    const std::string path = testing::MemoryFileSystem::Normalize(SettingsFilePath());
    fakes.files.directories.insert(path.substr(0, path.find_last_of('/')));
    for (const HotKeyRow& row : rows) {
        fakes.files.files.erase(path);
        if (row.settings) fakes.files.files[path] = std::string("[Setting]\r\n") + row.settings;
        log.lines.clear();
        features->RegisterHotKeys();
        EXPECT_EQ(log.lines, row.expected) << (row.settings ? row.settings : "no file");
    }
}

// ---- tray icon and menu --------------------------------------------------------------------

TEST_F(FrameFeaturesTest, TrayIconCarriesTheFramesDataAndIsDeletedAtMostOnce) {
    ASSERT_EQ(tray.added.size(), 1u);
    const NotifyIconData& nid = tray.added[0];
    EXPECT_EQ(nid.cbSize, 956u);
    EXPECT_EQ(nid.hWnd, 4242);
    EXPECT_EQ(nid.uID, 0u);
    EXPECT_EQ(nid.uFlags, 7u);
    EXPECT_EQ(nid.uCallbackMessage, 0x0401u);
    EXPECT_EQ(nid.hIcon, 273u);
    EXPECT_EQ(nid.szTip, "星河登录器");

    features->Tray().RemoveTrayIcon();
    features->Tray().RemoveTrayIcon();
    features.reset();  // the record goes with the frame
    EXPECT_EQ(log.lines, std::vector<std::string>{"tray delete"});
}

TEST_F(FrameFeaturesTest, TrayTipIsCutTo127Units) {
    FakeTrayShell shell(log);
    TrayIcon icon(shell);
    // 126 letters and a character outside the basic plane (two units): the pair would end
    // past unit 127, so it is dropped whole.
    icon.AddTrayIcon(std::string(126, 'a') + "\xF0\x9F\x8E\xAE" + "b", 1, 273);
    EXPECT_EQ(shell.added.at(0).szTip, std::string(126, 'a'));
    icon.AddTrayIcon(std::string(200, 'x'), 1, 273);
    EXPECT_EQ(shell.added.at(1).szTip, std::string(127, 'x'));
}

TEST_F(FrameFeaturesTest, TrayClicksAndMenuRouting) {
    window.shown = false;
    features->OnTrayNotify(TrayMouse::Other);
    EXPECT_TRUE(log.lines.empty());
    features->OnTrayNotify(TrayMouse::LButtonDown);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"show", "foreground"}));
    log.lines.clear();
    window.cursor = {1200, 785};
    features->OnTrayNotify(TrayMouse::RButtonUp);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"foreground", "menu 1070,785"}));

    // The menu's items, as the frame's message map routes them.
    EXPECT_EQ(kTrayMenuItems[0].command, ID_TRAY_SHOWHIDE);
    log.lines.clear();
    features->OnCommand(ID_TRAY_CLEARCACHE);
    EXPECT_EQ(log.lines.front().rfind("overlay over", 0), 0u);
    log.lines.clear();
    features->OnCommand(ID_TRAY_EXIT);
    EXPECT_EQ(log.lines, std::vector<std::string>{std::string("ask ") + kExitPromptTitle + " " + kExitPromptMessage});
}

// ---- prompts -------------------------------------------------------------------------------

TEST_F(FrameFeaturesTest, ConfirmedExitRemovesTheTrayThenClosesTheGameThenEnds) {
    for (const int source : {int{kBtnClose}, ID_TRAY_EXIT}) {
        SetUp();
        prompt.answer = kIdOk;
        features->OnCommand(source);
        EXPECT_EQ(log.lines, (std::vector<std::string>{"ask 关闭提示 是否退出《星河》登录器？", "tray delete",
                                                       Send(kWmClose, 0), "sleep 50", "end"}));
        log.lines.clear();
        features.reset();
        EXPECT_TRUE(log.lines.empty()) << "deleted twice";
    }
}

TEST_F(FrameFeaturesTest, DeclinedPromptsChangeNothing) {
    for (const int source : {int{kBtnClose}, ID_TRAY_EXIT, int{kBtnSelectServer}}) {
        prompt.answer = kIdCancel;
        features->OnCommand(source);
        EXPECT_EQ(log.lines.size(), 1u) << log.lines.back();
        EXPECT_TRUE(features->Tray().Added());
        log.lines.clear();
    }
}

TEST_F(FrameFeaturesTest, DeclinedCloseInFullscreenLeavesFullscreen) {
    features->OnCommand(kBtnFullScreen);
    prompt.answer = kIdCancel;
    // SC_CLOSE: the prompt, then the system's WM_CLOSE that the dialog turns into IDCANCEL.
    features->OnSysClose();
    features->OnCommand(kIdCancelCommand);
    EXPECT_FALSE(dialog.FullScreen());
    EXPECT_TRUE(dialog.Maximized());
    EXPECT_EQ(view.window, kWork);
    EXPECT_FALSE(log.Has("end"));
}

TEST_F(FrameFeaturesTest, ConfirmedReselectionHidesClosesStartsTheBarePathAndEnds) {
    fakes.process.modulePath = "/opt/xinghe/xinghe-launcher";
    prompt.answer = kIdOk;
    features->OnCommand(kBtnSelectServer);
    EXPECT_EQ(log.lines,
              (std::vector<std::string>{"ask 选服 是否退出当前区服，重新选择新区服？", "hide", Send(kWmClose, 0),
                                        "sleep 50", "start /opt/xinghe/xinghe-launcher without a command line",
                                        "end"}));
    // The icon goes with the frame afterwards, once.
    log.lines.clear();
    features.reset();
    EXPECT_EQ(log.lines, std::vector<std::string>{"tray delete"});
}

TEST_F(FrameFeaturesTest, PromptsBeforeTheGameWindowArrivedStillEnd) {
    FlagDlg fresh(view, LoginHooks());
    fresh.OnInitDialog();
    FrameFeatures early(fresh, view, window, fresh.Flags(), {tray, hotKeys, {}});
    prompt.answer = kIdOk;
    log.lines.clear();
    early.PromptExit();
    EXPECT_EQ(log.lines, (std::vector<std::string>{"ask 关闭提示 是否退出《星河》登录器？", "end"}));
}

// ---- cleaning hand-over --------------------------------------------------------------------

TEST_F(FrameFeaturesTest, CleaningShowsTheOverlayOverTheFrameAndTheWorkersReportHidesIt) {
    dialog.OnRestore();
    log.lines.clear();
    features->OnCommand(kBtnClearCache);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"overlay over 140,50 1000x700", "worker"}));
    // A second request while the first runs starts a second worker.
    features->OnCommand(ID_TRAY_CLEARCACHE);
    ASSERT_EQ(window.workers.size(), 2u);
    log.lines.clear();
    window.workers[0]();
    EXPECT_EQ(log.lines, (std::vector<std::string>{"command 10002", "overlay hidden"}));
}

}  // namespace
}  // namespace xh
