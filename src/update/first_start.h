#pragma once
// The installation that every normal start makes or refreshes: data folder, default
// settings, Start-menu shortcuts, uninstall entry and the installed copy.
#include <string>

namespace xh {

// Called once per normal start from the login window's initialisation.
void RunFirstStartInstall();
// How long a start waits for another one's installation before it goes ahead all the same.
inline constexpr unsigned kInstallLockWaitMs = 5000;

// Writes the shortcut folder + separator + name to `target` with `arguments`; with the
// uninstall icon it shows the target folder's res\uninstall.ico.
bool CreateShortcut(const std::string& arguments, const std::string& target, const std::string& folder,
                    const std::string& name, bool withUninstallIcon);

// One HTTP GET; the body as text, "" on every failure.
std::string FetchUrlText(const std::string& url);

// Compares dotted version texts part by part (missing parts count as 0); a text without
// digits counts as 0. Negative, zero or positive like strcmp.
int CompareVersionTexts(const std::string& a, const std::string& b);
// True when the text reads as version 0 (empty, no version information, all parts 0).
bool IsVersionZero(const std::string& text);

}  // namespace xh
