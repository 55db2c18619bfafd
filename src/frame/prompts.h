#pragma once
// The frame's two ways to end: the exit prompt and the server re-selection prompt.
#include "frame/feature_window.h"

namespace xh {

class IFrameView;
class TrayIcon;

inline constexpr const char* kExitPromptTitle = "关闭提示";
inline constexpr const char* kExitPromptMessage = "是否退出《星河》登录器？";
inline constexpr const char* kReselectPromptTitle = "选服";
inline constexpr const char* kReselectPromptMessage = "是否退出当前区服，重新选择新区服？";
// The only wait for the game host after WM_CLOSE.
inline constexpr unsigned kGameCloseWaitMs = 50;

struct PromptContext {
    IFrameView& view;
    IFeatureWindow& window;
    TrayIcon& tray;
    WindowId gameWnd;
};

// Button 1001, ID_TRAY_EXIT and SC_CLOSE. Uses the prompt, clock and process ports.
void PromptExit(const PromptContext& context);
// Button 1007: a new launcher with the bare program path, this one ends.
void PromptReselectServer(const PromptContext& context);

}  // namespace xh
