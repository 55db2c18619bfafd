#pragma once
// The update and installation adapters of this backend, one accessor each.
#include <string>

#include "platform/ports.h"
#include "win32/scoped.h"

namespace xh::win32 {

IHttp& WinInetHttpAdapter();
IFileOps& Win32FileOpsAdapter();
IUninstallRegistry& UninstallRegistryAdapter();
IUserProfile& RegistryUserProfileAdapter();

// The platform's text for an error code (from `module`'s message table when one is given),
// without its line end; "" when there is none.
std::string ErrorMessageText(DWORD code, HMODULE module = nullptr);

}  // namespace xh::win32
