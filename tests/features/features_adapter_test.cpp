// The Linux adapters of the frame's features on a real desktop: key grabs on the root
// window, the icon in the panel's tray, the cache folder walk on real files.
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <sys/stat.h>

#include <filesystem>

#include "frame/cache_cleaning.h"
#include "linux/frame_cache.h"
#include "linux/frame_hotkeys.h"
#include "linux/frame_tray.h"
#include "settings/hotkey_codec.h"
#include "support/desktop.h"
#include "support/temp_dir.h"

// Xlib last.
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace xh::linuxport {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

bool Pump(std::chrono::milliseconds limit, const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        if (done()) return true;
        std::this_thread::sleep_for(20ms);
    }
    return done();
}

class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY") || !gtk_init_check(nullptr, nullptr)) {
            GTEST_SKIP() << "needs the desktop of scripts/with-desktop.sh";
        }
    }
};

TEST(HotKeyTableTest, EveryCodecRowHasAKeyOnTheKeyboard) {
    const CHotKeyCodec codec;
    ASSERT_EQ(codec.KeyTable().size(), 88u);
    Display* display = std::getenv("DISPLAY") ? XOpenDisplay(nullptr) : nullptr;
    std::set<unsigned long> seen;
    for (const auto& [name, vk] : codec.KeyTable()) {
        const auto sym = KeySymOfVirtualKey(vk);
        ASSERT_TRUE(sym) << name;
        EXPECT_TRUE(seen.insert(*sym).second) << name << " shares its key";
        if (display) {
            EXPECT_NE(XKeysymToKeycode(display, *sym), 0) << name;
        }
    }
    EXPECT_EQ(*KeySymOfVirtualKey(0x79), static_cast<unsigned long>(XK_F10));
    EXPECT_EQ(*KeySymOfVirtualKey(0x51), static_cast<unsigned long>(XK_q));
    EXPECT_FALSE(KeySymOfVirtualKey(0x5B));  // the Windows key has no row
    EXPECT_EQ(XModifiersOf(kModControl | kModShift), unsigned{ControlMask | ShiftMask});
    EXPECT_EQ(XModifiersOf(kModAlt), unsigned{Mod1Mask});
    if (display) XCloseDisplay(display);
}

TEST_F(DesktopTest, GrabbedKeysArriveWithAnyLockOnAndATakenCombinationIsSilentlyMissing) {
    std::vector<int> pressed;
    X11HotKeys hotKeys([&](int id) { pressed.push_back(id); });
    const auto combos = hotKeys.LockCombinations();
    EXPECT_GE(combos.size(), 4u);  // Caps Lock and Num Lock at least

    // Another client holds F9 with Caps Lock on.
    Display* other = XOpenDisplay(nullptr);
    ASSERT_NE(other, nullptr);
    XGrabKey(other, XKeysymToKeycode(other, XK_F9), LockMask, DefaultRootWindow(other), False, GrabModeAsync,
             GrabModeAsync);
    XSync(other, False);

    EXPECT_TRUE(hotKeys.Register(2, kModControl | kModShift, 0x51));
    EXPECT_EQ(hotKeys.GrabbedCombinations(2), static_cast<int>(combos.size()));
    EXPECT_TRUE(hotKeys.Register(3, 0, 0x78));
    EXPECT_EQ(hotKeys.GrabbedCombinations(3), static_cast<int>(combos.size()) - 1);
    EXPECT_FALSE(hotKeys.Register(4, 0, 0));  // no key

    testing::Xdotool("key ctrl+shift+q");
    EXPECT_TRUE(Pump(3s, [&] { return pressed == std::vector<int>{2}; }));
    testing::Xdotool("key F9");
    EXPECT_TRUE(Pump(3s, [&] { return pressed == std::vector<int>{2, 3}; }));
    // With Num Lock on the hotkey still arrives.
    testing::Xdotool("key Num_Lock");
    testing::Xdotool("key ctrl+shift+q");
    testing::Xdotool("key Num_Lock");
    EXPECT_TRUE(Pump(3s, [&] { return pressed == std::vector<int>{2, 3, 2}; }));

    EXPECT_TRUE(hotKeys.Unregister(2));
    testing::Xdotool("key ctrl+shift+q");
    Pump(1s, [] { return false; });
    EXPECT_EQ(pressed, (std::vector<int>{2, 3, 2}));
    XCloseDisplay(other);
}

TEST_F(DesktopTest, TrayIconDocksInThePanelTakesClicksAndGoes) {
    std::vector<TrayMouse> clicks;
    StatusIconTray tray([&](TrayMouse m) { clicks.push_back(m); });
    NotifyIconData nid;
    nid.uFlags = kNifMessage | kNifIcon | kNifTip;
    nid.szTip = "星河登录器";
    ASSERT_TRUE(tray.Add(nid));
    EXPECT_FALSE(tray.Add(nid)) << "added once";
    ASSERT_TRUE(Pump(5s, [&] { return tray.IconRect().has_value(); })) << "docked in tint2's tray";
    const Rect r = *tray.IconRect();
    EXPECT_GE(r.top, 770);  // in the panel at the bottom
    const std::string at = std::to_string(r.left + r.Width() / 2) + " " + std::to_string(r.top + r.Height() / 2);
    testing::Xdotool("mousemove " + at + " click 1");
    EXPECT_TRUE(Pump(3s, [&] { return !clicks.empty(); }));
    testing::Xdotool("mousemove " + at + " click 3");
    EXPECT_TRUE(Pump(3s, [&] { return clicks.size() >= 2; }));
    ASSERT_GE(clicks.size(), 2u);
    EXPECT_EQ(clicks.front(), TrayMouse::LButtonDown);
    EXPECT_EQ(clicks.back(), TrayMouse::RButtonUp);
    EXPECT_TRUE(tray.Delete(nid));
    EXPECT_FALSE(tray.Delete(nid));
    EXPECT_FALSE(tray.Embedded());
}

TEST(TrayIconPictureTest, Icon273DecodesAtTheLargeIconSize) {
    GdkPixbuf* picture = LoadTrayIconPicture(32);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(gdk_pixbuf_get_width(picture), 32);
    g_object_unref(picture);
}

TEST(PosixCacheFolderTest, WalkDeletesReadOnlyFilesKeepsDesktopIniAndReportsFailures) {
    testing::TempDir temp;
    const std::string root = temp / "cache";
    fs::create_directories(root + "/WebKitCache/Version 16/Records/ab");
    fs::create_directories(root + "/kept");
    testing::TempDir::Write(root + "/WebKitCache/Version 16/Records/ab/Resource", "body");
    testing::TempDir::Write(root + "/WebKitCache/salt", "s");
    testing::TempDir::Write(root + "/readonly.bin", "r");
    ::chmod((root + "/readonly.bin").c_str(), 0444);
    testing::TempDir::Write(root + "/kept/DESKTOP.INI", "[.ShellClassInfo]");
    fs::create_symlink("/nonexistent-target", root + "/dangling");

    PosixCacheFolder files(root);
    std::vector<std::string> lines;
    CacheCleanPasses({nullptr, &files, [&](const std::string& l) { lines.push_back(l); }}, 0);
    std::vector<std::string> left;
    for (const auto& e : fs::recursive_directory_iterator(root)) left.push_back(e.path().lexically_relative(root));
    EXPECT_EQ(left, (std::vector<std::string>{"kept", "kept/DESKTOP.INI"}));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "临时文件夹路径为:" + root + "\r\n");

    long error = 0;
    EXPECT_FALSE(files.DeleteFile(root + "/missing", error));
    EXPECT_EQ(error, ENOENT);
    EXPECT_FALSE(files.List(root + "/missing"));
}

}  // namespace
}  // namespace xh::linuxport
