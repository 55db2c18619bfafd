#pragma once
// The update and installation adapters of this backend, one accessor each.
#include "platform/ports.h"
#include "win32/scoped.h"

namespace xh::win32 {

IHttp& WinInetHttpAdapter();
IFileOps& Win32FileOpsAdapter();
IUninstallRegistry& UninstallRegistryAdapter();
IUserProfile& RegistryUserProfileAdapter();

}  // namespace xh::win32
