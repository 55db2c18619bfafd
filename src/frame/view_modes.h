#pragma once
// Fullscreen and the boss key: the two global hotkeys, their buttons, IDCANCEL and the
// frame's keyboard filter. The flags live in the frame; this works on them.
#include <cstdint>

#include "frame/feature_window.h"

namespace xh {

class CVidave_ZqDlg;
class IFrameView;

inline constexpr int kBossKeyHotKey = 2;
inline constexpr int kFullScreenHotKey = 3;
inline constexpr const char* kHotKeySection = "Setting";
inline constexpr const char* kBossKeySetting = "screentoggle";
inline constexpr const char* kFullScreenSetting = "fullscreen";
inline constexpr const char* kMissingHotKeyText = "0";
inline constexpr unsigned kAcceleratorTable = 303;

// RegisterHotKey and UnregisterHotKey on the frame window.
class IHotKeys {
public:
    virtual ~IHotKeys() = default;
    virtual bool Unregister(int id) = 0;
    virtual bool Register(int id, std::uint32_t modifiers, std::uint32_t keyCode) = 0;
};

// The frame's fields the modes change.
struct FrameModeFlags {
    bool& fullScreen;
    bool& maximized;
    int& minimizedByButton;
    const WindowId& gameWnd;
};

enum class FrameKey { Enter, Escape, F5, Other };
// Skip: no dialog processing at all (the key never becomes IDOK or IDCANCEL);
// Consumed: the accelerator used it up; Default: the dialog's own processing.
enum class FrameKeyRoute { Default, Skip, Consumed };

class ViewModes {
public:
    ViewModes(CVidave_ZqDlg& frame, IFrameView& view, IFeatureWindow& window, FrameModeFlags flags)
        : m_frame(frame), m_view(view), m_window(window), m_flags(flags) {}

    // Hotkey 2 from `screentoggle`, 3 from `fullscreen`, read from the settings file.
    void RegisterHotKeys(IHotKeys& hotKeys);

    void OnHotKey(int id);
    // Command 1004 (fromButton) or hotkey 3.
    void EnterFullScreen(bool fromButton);
    // Hotkey 3 or IDCANCEL (fromCancel). Always ends maximised.
    void LeaveFullScreen(bool fromCancel);
    // IDCANCEL: only leaves fullscreen.
    void OnCancel();
    // Command 1005.
    void OnBossKeyButton();
    // PreTranslateMessage for a key press; F5 is accelerator 303's ID_ACCEL_F5, which does
    // nothing.
    static FrameKeyRoute PreTranslateKeyDown(FrameKey key);

private:
    void OnBossKey();

    CVidave_ZqDlg& m_frame;
    IFrameView& m_view;
    IFeatureWindow& m_window;
    FrameModeFlags m_flags;
};

}  // namespace xh
