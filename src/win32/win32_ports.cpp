#include "win32/win32_ports.h"

#include "platform/backend.h"

// windows_api.h first: <shlobj.h> needs the full <windows.h> it brings in.
#include "win32/windows_api.h"

#include <shlobj.h>

#include <cstdlib>
#include <vector>

#include "win32/scoped.h"
#include "win32/update_adapters.h"
#include "win32/version_info.h"
#include "win32/wide.h"
#include "win32/win32_files.h"

namespace xh::win32 {
namespace {

class Win32Clock final : public IClock {
public:
    std::optional<LocalTime> NowLocal() override {
        SYSTEMTIME st{};
        ::GetLocalTime(&st);
        return LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
    }
    std::uint64_t SteadyMillis() override { return ::GetTickCount64(); }
    void SleepMillis(unsigned ms) override { ::Sleep(ms); }
};

// The STRINGTABLE of the program file itself (resources/launcher.rc).
class ResourceStringTable final : public IStringTable {
public:
    std::string Load(unsigned id) override {
        // With a zero length LoadStringW hands out a pointer into the loaded resource, so
        // no entry is ever cut to a buffer size.
        const wchar_t* text = nullptr;
        const int units = ::LoadStringW(::GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
        if (units <= 0 || !text) return {};
        return Narrow(std::wstring_view(text, static_cast<std::size_t>(units)));
    }
};

class PrivateProfileFile final : public IProfileFile {
public:
    std::string Read(const std::string& path, const std::string& section, const std::string& key,
                     const std::string& defaultValue) override {
        wchar_t buffer[kMaxSettingUnits + 1] = {};
        ::GetPrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), Widen(defaultValue).c_str(), buffer,
                                   static_cast<DWORD>(kMaxSettingUnits + 1), Widen(path).c_str());
        return Narrow(buffer);
    }
    void Write(const std::string& path, const std::string& section, const std::string& key,
               const std::string& value) override {
        ::WritePrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), Widen(value).c_str(),
                                     Widen(path).c_str());
    }
};

// The ANSI code page of the calling thread, as the platform's converters know it.
class ThreadAnsiCodec final : public ITextCodec {
public:
    std::optional<std::string> AnsiToUtf8(const std::string& bytes) override {
        if (bytes.empty()) return std::string();
        const int length = static_cast<int>(bytes.size());
        const int units = ::MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), length, nullptr, 0);
        if (units <= 0) return std::nullopt;
        std::wstring text(static_cast<std::size_t>(units), L'\0');
        if (::MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), length, text.data(), units) != units) {
            return std::nullopt;
        }
        return Narrow(text);
    }
    std::optional<std::string> Utf8ToAnsi(const std::string& text) override {
        const std::wstring wide = Widen(text);
        if (wide.empty()) return std::string();
        // Two bytes per unit and two more: every character of a double-byte code page fits.
        std::string bytes(wide.size() * 2 + 2, '\0');
        const int written = ::WideCharToMultiByte(CP_THREAD_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                                  bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr);
        if (written <= 0) return std::nullopt;
        bytes.resize(static_cast<std::size_t>(written));
        return bytes;
    }
};

// MD5 through CryptoAPI: the full RSA provider in a verify-only context computes it.
class CryptoApiDigest final : public IDigest {
public:
    std::optional<std::string> FileMd5(const std::string& path) override {
        ScopedHandle file(::CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return std::nullopt;
        ScopedCryptProvider provider;
        if (!::CryptAcquireContextW(provider.put(), nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) {
            return std::nullopt;
        }
        ScopedCryptHash hash;
        if (!::CryptCreateHash(provider.get(), CALG_MD5, 0, 0, hash.put())) return std::nullopt;
        // Fixed pieces rather than the whole file at once: memory stays small for any size.
        std::vector<BYTE> piece(1 << 16);
        for (;;) {
            DWORD got = 0;
            if (!::ReadFile(file.get(), piece.data(), static_cast<DWORD>(piece.size()), &got, nullptr)) {
                return std::nullopt;
            }
            if (got == 0) break;
            if (!::CryptHashData(hash.get(), piece.data(), got, 0)) return std::nullopt;
        }
        // Without a buffer the provider answers the digest's length (16).
        DWORD length = sizeof(DWORD);
        if (!::CryptGetHashParam(hash.get(), HP_HASHVAL, nullptr, &length, 0) || length == 0) return std::nullopt;
        std::string digest(length, '\0');
        if (!::CryptGetHashParam(hash.get(), HP_HASHVAL, reinterpret_cast<BYTE*>(digest.data()), &length, 0)) {
            return std::nullopt;
        }
        digest.resize(length);
        return digest;
    }
};

class Win32Folders final : public IFolders {
public:
    char PathSeparator() override { return '\\'; }
    std::string AppData() override {
        // The query's result is not looked at: on failure the buffer stays empty.
        wchar_t buffer[MAX_PATH] = {};
        ::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, buffer);
        return Narrow(buffer);
    }
};

class Win32Process final : public IProcess {
public:
    std::string RawCommandLine() override { return Narrow(::GetCommandLineW()); }
    std::string ModulePath() override {
        std::wstring buffer(MAX_PATH, L'\0');
        for (;;) {
            const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
            if (n == 0) return {};
            if (n < buffer.size()) return Narrow(std::wstring_view(buffer.data(), n));
            buffer.resize(buffer.size() * 2);
        }
    }
    [[noreturn]] void Exit(int code) override { std::exit(code); }
};

}  // namespace

void InstallPorts() {
    static Win32Clock clock;
    static Win32FileSystem files;
    static ResourceStringTable strings;
    static PrivateProfileFile profile;
    static ThreadAnsiCodec codec;
    static Win32VersionInfo versionInfo;
    static CryptoApiDigest digest;
    static Win32Folders folders;
    static Win32Process process;
    Ports installed;
    installed.clock = &clock;
    installed.files = &files;
    installed.strings = &strings;
    installed.profile = &profile;
    installed.codec = &codec;
    installed.versionInfo = &versionInfo;
    installed.digest = &digest;
    installed.folders = &folders;
    installed.process = &process;
    InstallUpdatePorts(installed);
    ports() = installed;
}

}  // namespace xh::win32

namespace xh {

void InstallBackendPorts() { win32::InstallPorts(); }

}  // namespace xh
