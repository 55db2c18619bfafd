// File operations of the update path: copies, the atomic replacement, listing, times and
// attributes, the download's file.
#include "win32/windows_api.h"

#include <memory>

#include "win32/update_internal.h"
#include "win32/wide.h"

namespace xh::win32 {
namespace {

thread_local long t_lastError = 0;

bool Result(bool ok) {
    t_lastError = ok ? 0 : static_cast<long>(::GetLastError());
    return ok;
}

std::string SystemErrorText(DWORD code) {
    const std::string message = ErrorMessageText(code);
    return message.empty() ? "Error " + std::to_string(code) : message;
}

FILETIME ToFileTime(UnixTime t) {
    // 100-nanosecond steps since 1601-01-01.
    const ULONGLONG ticks = static_cast<ULONGLONG>(t + 11644473600LL) * 10000000ULL;
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(ticks);
    ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return ft;
}

class Win32FileWriter final : public IFileWriter {
public:
    explicit Win32FileWriter(ScopedHandle file) : m_file(std::move(file)) {}
    bool Write(const char* data, std::size_t size) override {
        DWORD written = 0;
        if (::WriteFile(m_file.get(), data, static_cast<DWORD>(size), &written, nullptr) && written == size) return true;
        m_error = SystemErrorText(::GetLastError());
        return false;
    }
    std::string Error() override { return m_error; }

private:
    ScopedHandle m_file;
    std::string m_error;
};

// A named mutex stands for the folder: nothing is left on disk, and a holder that ends lets go.
class MutexFolderLock final : public IFolderLock {
public:
    explicit MutexFolderLock(ScopedHandle mutex) : m_mutex(std::move(mutex)) {}
    ~MutexFolderLock() override { ::ReleaseMutex(m_mutex.get()); }
    MutexFolderLock(const MutexFolderLock&) = delete;
    MutexFolderLock& operator=(const MutexFolderLock&) = delete;

private:
    ScopedHandle m_mutex;
};

class Win32FileOps final : public IFileOps {
public:
    long LastError() override { return t_lastError; }

    bool ReplaceAtomically(const std::string& from, const std::string& to) override {
        const std::wstring target = Widen(to);
        const std::wstring temp = target + L".new";
        if (!Result(::CopyFileW(Widen(from).c_str(), temp.c_str(), FALSE))) {
            // A full disk can leave part of the copy.
            const DWORD error = ::GetLastError();
            ::DeleteFileW(temp.c_str());
            t_lastError = static_cast<long>(error);
            return false;
        }
        if (!Result(::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))) {
            const DWORD error = ::GetLastError();
            ::DeleteFileW(temp.c_str());
            t_lastError = static_cast<long>(error);
            return false;
        }
        return true;
    }

    std::optional<std::vector<std::string>> ListFolder(const std::string& path) override {
        WIN32_FIND_DATAW found{};
        HANDLE find = ::FindFirstFileW((Widen(path) + L"\\*.*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) {
            Result(false);
            return std::nullopt;
        }
        std::vector<std::string> names;
        do {
            const std::wstring name = found.cFileName;
            if (name != L"." && name != L"..") names.push_back(Narrow(name));
        } while (::FindNextFileW(find, &found));
        ::FindClose(find);
        return names;
    }

    bool SetTimes(const std::string& path, UnixTime creation, UnixTime access, UnixTime write) override {
        ScopedHandle file(::CreateFileW(Widen(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!file) return Result(false);
        const FILETIME c = ToFileTime(creation), a = ToFileTime(access), w = ToFileTime(write);
        return Result(::SetFileTime(file.get(), &c, &a, &w));
    }

    bool SetAttributes(const std::string& path, bool readOnly, bool hidden, bool system, bool archive) override {
        DWORD attributes = (readOnly ? FILE_ATTRIBUTE_READONLY : 0) | (hidden ? FILE_ATTRIBUTE_HIDDEN : 0) |
                           (system ? FILE_ATTRIBUTE_SYSTEM : 0) | (archive ? FILE_ATTRIBUTE_ARCHIVE : 0);
        if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;
        return Result(::SetFileAttributesW(Widen(path).c_str(), attributes));
    }

    std::optional<UnixTime> LocalToUnix(const LocalTime& local) override {
        SYSTEMTIME st{};
        st.wYear = static_cast<WORD>(local.year);
        st.wMonth = static_cast<WORD>(local.month);
        st.wDay = static_cast<WORD>(local.day);
        st.wHour = static_cast<WORD>(local.hour);
        st.wMinute = static_cast<WORD>(local.minute);
        st.wSecond = static_cast<WORD>(local.second);
        SYSTEMTIME utc{};
        FILETIME ft{};
        if (!::TzSpecificLocalTimeToSystemTime(nullptr, &st, &utc) || !::SystemTimeToFileTime(&utc, &ft)) {
            return std::nullopt;
        }
        const ULONGLONG ticks = (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
        return static_cast<UnixTime>(ticks / 10000000ULL) - 11644473600LL;
    }

    std::unique_ptr<IFileWriter> OpenForAppend(const std::string& path) override {
        ScopedHandle file(::CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file || ::SetFilePointer(file.get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER) {
            Result(false);
            return nullptr;
        }
        return std::make_unique<Win32FileWriter>(std::move(file));
    }

    std::unique_ptr<IFolderLock> LockFolder(const std::string& path, unsigned waitMs) override {
        std::wstring folded = Widen(path);
        const DWORD attributes = ::GetFileAttributesW(folded.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            Result(false);
            return nullptr;
        }
        // A mutex name cannot hold a backslash, so the path goes in as its hash, case-folded.
        ::CharLowerBuffW(folded.data(), static_cast<DWORD>(folded.size()));
        unsigned long long hash = 14695981039346656037ULL;
        for (const wchar_t c : folded) hash = (hash ^ static_cast<unsigned long long>(c)) * 1099511628211ULL;
        std::wstring name = L"Local\\xinghe-folder-";
        for (int shift = 60; shift >= 0; shift -= 4) name += L"0123456789abcdef"[(hash >> shift) & 0xF];
        ScopedHandle mutex(::CreateMutexW(nullptr, FALSE, name.c_str()));
        if (!mutex) {
            Result(false);
            return nullptr;
        }
        // An abandoned mutex (its holder ended without letting go) is handed over all the same.
        const DWORD waited = ::WaitForSingleObject(mutex.get(), waitMs);
        if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
            Result(false);
            return nullptr;
        }
        return std::make_unique<MutexFolderLock>(std::move(mutex));
    }
};

}  // namespace

IFileOps& Win32FileOpsAdapter() {
    static Win32FileOps ops;
    return ops;
}

std::string ErrorMessageText(DWORD code, HMODULE module) {
    wchar_t* text = nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                        (module ? FORMAT_MESSAGE_FROM_HMODULE : FORMAT_MESSAGE_FROM_SYSTEM);
    const DWORD n = ::FormatMessageW(flags, module, code, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::string message;
    if (n && text) {
        std::wstring_view view(text, n);
        while (!view.empty() && (view.back() == L'\r' || view.back() == L'\n' || view.back() == L' ')) {
            view.remove_suffix(1);
        }
        message = Narrow(view);
    }
    if (text) ::LocalFree(text);
    return message;
}

}  // namespace xh::win32
