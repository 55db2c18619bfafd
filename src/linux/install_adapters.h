#pragma once
// The Linux adapters of the update and installation ports.
#include <memory>
#include <string>

#include "platform/ports.h"

namespace xh::linuxport {

// Where the machine-wide uninstall entries live; an ordinary user cannot write there.
inline constexpr const char* kDefaultUninstallRoot = "/var/lib/xinghe-launcher/uninstall";

// Fills the update and installation ports of `target` with this backend's adapters.
// XINGHE_UNINSTALL_ROOT, when set to an absolute path, replaces the machine-wide folder
// (tests run as root, who could write the real one).
void InstallUpdatePorts(Ports& target);

// The machine-wide uninstall entries kept as folders below `root`.
std::unique_ptr<IUninstallRegistry> MakeFolderUninstallRegistry(const std::string& root);

// The text of a freedesktop entry that starts `details.target` with its arguments.
std::string DesktopEntryText(const std::string& name, const ShortcutDetails& details);

// $XDG_CONFIG_HOME/user-dirs.dirs's desktop folder, or $HOME/Desktop.
std::string XdgDesktopFolder();

}  // namespace xh::linuxport
