// The machine-wide uninstall entry and the framework's per-user profile in the registry.
#include "win32/windows_api.h"

#include "app/profile.h"
#include "win32/update_internal.h"
#include "win32/wide.h"

namespace xh::win32 {
namespace {

constexpr const wchar_t* kUninstallRoot = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
// KEY_ALL_ACCESS with KEY_WOW64_64KEY: the 64-bit view, so a 32-bit program is not redirected.
constexpr REGSAM kFullAccess64 = 0xF013F;

bool OpenUninstallRoot(ScopedHKEY& root) {
    return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallRoot, 0, kFullAccess64, root.put()) == ERROR_SUCCESS;
}

bool SetString(HKEY key, const std::string& value, const std::string& data) {
    const std::wstring text = Widen(data);
    return ::RegSetValueExW(key, Widen(value).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

class UninstallRegistry final : public IUninstallRegistry {
public:
    KeyCreation CreateEntry(const std::string& name) override {
        ScopedHKEY root;
        if (!OpenUninstallRoot(root)) return KeyCreation::Failed;
        ScopedHKEY key;
        DWORD disposition = 0;
        if (::RegCreateKeyExW(root.get(), Widen(name).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, kFullAccess64,
                              nullptr, key.put(), &disposition) != ERROR_SUCCESS) {
            return KeyCreation::Failed;
        }
        return disposition == REG_CREATED_NEW_KEY ? KeyCreation::CreatedNew : KeyCreation::OpenedExisting;
    }
    bool SetValue(const std::string& name, const std::string& value, const std::string& data) override {
        ScopedHKEY root;
        ScopedHKEY key;
        if (!OpenUninstallRoot(root) ||
            ::RegOpenKeyExW(root.get(), Widen(name).c_str(), 0, kFullAccess64, key.put()) != ERROR_SUCCESS) {
            return false;
        }
        return SetString(key.get(), value, data);
    }
    bool DeleteEntry(const std::string& name) override {
        ScopedHKEY root;
        return OpenUninstallRoot(root) && ::RegDeleteKeyW(root.get(), Widen(name).c_str()) == ERROR_SUCCESS;
    }
};

// HKCU\Software\<registry key>\<program name without extension>\<section>, as the framework
// keeps its profile once SetRegistryKey has been called.
class RegistryUserProfile final : public IUserProfile {
public:
    std::string GetString(const std::string& section, const std::string& key, const std::string& defaultValue) override {
        ScopedHKEY sectionKey;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, SectionPath(section).c_str(), 0, KEY_READ, sectionKey.put()) !=
            ERROR_SUCCESS) {
            return defaultValue;
        }
        DWORD type = 0;
        DWORD size = 0;
        const std::wstring valueName = Widen(key);
        if (::RegQueryValueExW(sectionKey.get(), valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            type != REG_SZ) {
            return defaultValue;
        }
        std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
        if (::RegQueryValueExW(sectionKey.get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                               &size) != ERROR_SUCCESS) {
            return defaultValue;
        }
        text.resize(wcsnlen(text.c_str(), text.size()));
        return Narrow(text);
    }
    bool WriteString(const std::string& section, const std::string& key, const std::string& value) override {
        ScopedHKEY sectionKey;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, SectionPath(section).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_WRITE, nullptr, sectionKey.put(), nullptr) != ERROR_SUCCESS) {
            return false;
        }
        return SetString(sectionKey.get(), key, value);
    }

private:
    static std::wstring SectionPath(const std::string& section) {
        wchar_t module[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, module, MAX_PATH);
        std::wstring name = module;
        name = name.substr(name.find_last_of(L"\\/") + 1);
        if (const auto dot = name.find_last_of(L'.'); dot != std::wstring::npos) name.resize(dot);
        return L"Software\\" + Widen(kRegistryKeyName) + L"\\" + name + L"\\" + Widen(section);
    }
};

}  // namespace

IUninstallRegistry& UninstallRegistryAdapter() {
    static UninstallRegistry registry;
    return registry;
}

IUserProfile& RegistryUserProfileAdapter() {
    static RegistryUserProfile profile;
    return profile;
}

}  // namespace xh::win32
