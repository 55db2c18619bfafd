#include "win32/win32_files.h"

#include <cwchar>

#include "win32/scoped.h"
#include "win32/wide.h"

namespace xh::win32 {
namespace {

bool WriteAll(HANDLE file, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t left = bytes.size() - done;
        const DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

std::optional<WIN32_FILE_ATTRIBUTE_DATA> Attributes(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    return data;
}

// A write killed between its copy and its move leaves the copy beside the target, named
// after its process. Those of ended processes would pile up, one per interrupted write, so
// they go before a new copy is written; a running writer's copy stays.
void RemoveStaleWriterCopies(const std::wstring& target, const std::wstring& marker) {
    const auto slash = target.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? L"" : target.substr(0, slash + 1);
    const std::wstring prefix = target.substr(slash == std::wstring::npos ? 0 : slash + 1) + marker;
    WIN32_FIND_DATAW found{};
    ScopedFind find(::FindFirstFileW((target + marker + L"*").c_str(), &found));
    if (!find) return;
    do {
        const std::wstring name = found.cFileName;
        if (name.size() <= prefix.size() || name.size() > prefix.size() + 10 ||
            name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        const std::wstring digits = name.substr(prefix.size());
        if (digits.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
        const DWORD writer = static_cast<DWORD>(std::wcstoul(digits.c_str(), nullptr, 10));
        if (writer == ::GetCurrentProcessId()) continue;
        if (ScopedHandle process{::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, writer)}) {
            DWORD code = 0;
            if (::GetExitCodeProcess(process.get(), &code) && code == STILL_ACTIVE) continue;
        } else if (::GetLastError() != ERROR_INVALID_PARAMETER) {
            continue;  // there, but not ours to look at
        }
        ::DeleteFileW((folder + name).c_str());
    } while (::FindNextFileW(find.get(), &found));
}

}  // namespace

bool Win32FileSystem::Exists(const std::string& path) {
    return ::GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Win32FileSystem::IsDirectory(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::optional<std::uint64_t> Win32FileSystem::FileSize(const std::string& path) {
    const auto data = Attributes(path);
    if (!data || (data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
    return (static_cast<std::uint64_t>(data->nFileSizeHigh) << 32) | data->nFileSizeLow;
}

std::optional<std::string> Win32FileSystem::ReadFile(const std::string& path) {
    ScopedHandle file(::CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::string data;
    char buf[65536];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), buf, sizeof buf, &got, nullptr)) return std::nullopt;
        if (got == 0) break;
        data.append(buf, got);
    }
    return data;
}

// Written beside the target and moved over it, so that a crash or a full disk never leaves
// a half-written file behind.
bool Win32FileSystem::WriteFile(const std::string& path, const std::string& bytes) {
    const std::wstring target = Widen(path);
    RemoveStaleWriterCopies(target, L".tmp");
    const std::wstring temp = target + L".tmp" + std::to_wstring(::GetCurrentProcessId());
    {
        ScopedHandle file(::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        if (!WriteAll(file.get(), bytes) || !::FlushFileBuffers(file.get())) {
            file.reset();
            ::DeleteFileW(temp.c_str());
            return false;
        }
    }
    if (!::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

bool Win32FileSystem::RemoveFile(const std::string& path) { return ::DeleteFileW(Widen(path).c_str()) != 0; }

bool Win32FileSystem::CreateDirectory(const std::string& path) {
    return ::CreateDirectoryW(Widen(path).c_str(), nullptr) != 0;
}

// No sharing: a writer that meets the file open elsewhere loses its line. The second open
// only creates a missing file; OPEN_ALWAYS never truncates one that appeared in between.
bool Win32FileSystem::AppendExclusive(const std::string& path, const std::string& bytes) {
    const std::wstring native = Widen(path);
    ScopedHandle file(::CreateFileW(native.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        file.reset(::CreateFileW(native.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    if (!file) return false;
    LARGE_INTEGER end{};
    if (!::SetFilePointerEx(file.get(), LARGE_INTEGER{}, &end, FILE_END)) return false;
    if (WriteAll(file.get(), bytes)) return true;
    // A full disk can take part of the bytes; half a line would run into the next one.
    if (::SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN)) ::SetEndOfFile(file.get());
    return false;
}

}  // namespace xh::win32
