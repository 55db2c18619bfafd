// Processes, shell folders, shell links, shell deletion, the embedded archive and the
// uninstall question on Windows.
#include "win32/update_adapters.h"

#include "win32/windows_api.h"

#include <shellapi.h>
#include <shlobj.h>

#include "controls/control_types.h"
#include "controls/question_box.h"
#include "win32/update_internal.h"
#include "win32/wide.h"

namespace xh::win32 {
namespace {

class CreateProcessStarter final : public IProcessStarter {
public:
    bool Start(const std::string& program, const std::optional<std::string>& commandLine) override {
        // Security attributes that allow inheritance, no handles inherited, a zeroed start-up
        // structure; the parent's environment and folder.
        SECURITY_ATTRIBUTES process{sizeof process, nullptr, TRUE};
        SECURITY_ATTRIBUTES thread{sizeof thread, nullptr, TRUE};
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        std::wstring line = commandLine ? Widen(*commandLine) : std::wstring();
        const BOOL started = ::CreateProcessW(Widen(program).c_str(), commandLine ? line.data() : nullptr, &process,
                                              &thread, FALSE, CREATE_DEFAULT_ERROR_MODE, nullptr, nullptr, &startup,
                                              &info);
        if (!started) return false;
        ::CloseHandle(info.hThread);
        ::CloseHandle(info.hProcess);
        return true;
    }
    // A running program's file is locked here.
    bool CanRemoveRunningProgram() override { return false; }
};

std::optional<std::string> SpecialFolder(int csidl) {
    LPITEMIDLIST items = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(nullptr, csidl, &items)) || !items) return std::nullopt;
    wchar_t path[MAX_PATH] = {};
    const BOOL ok = ::SHGetPathFromIDListW(items, path);
    ::CoTaskMemFree(items);
    if (!ok) return std::nullopt;
    return Narrow(path);
}

class ShellFolders final : public IShellFolders {
public:
    std::optional<std::string> Programs() override { return SpecialFolder(CSIDL_PROGRAMS); }
    std::optional<std::string> Desktop() override { return SpecialFolder(CSIDL_DESKTOP); }
};

// COM for the calling thread while a shell link is made.
class ComScope {
public:
    ComScope() : m_result(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(m_result)) ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT m_result;
};

class ShellLinks final : public IShortcuts {
public:
    std::string Extension() override { return ".lnk"; }
    bool Create(const std::string& linkPath, const ShortcutDetails& details) override {
        ComScope com;
        ComPtr<IShellLinkW> link;
        if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                      link.put_void()))) {
            return false;
        }
        ComPtr<IPersistFile> file = link.As<IPersistFile>(IID_IPersistFile);
        if (!file) return false;
        link->SetPath(Widen(details.target).c_str());
        link->SetArguments(Widen(details.arguments).c_str());
        link->SetDescription(L"");
        if (!details.iconPath.empty()) link->SetIconLocation(Widen(details.iconPath).c_str(), details.iconIndex);
        link->SetShowCmd(SW_SHOWNORMAL);
        return SUCCEEDED(file->Save(Widen(linkPath).c_str(), TRUE));
    }
};

class ShellDelete final : public IShellDelete {
public:
    bool DeleteItem(const std::string& path) override {
        std::wstring from = Widen(path);
        from.push_back(L'\0');  // the list ends with an empty name
        SHFILEOPSTRUCTW operation{};
        operation.hwnd = nullptr;
        operation.wFunc = FO_DELETE;
        operation.pFrom = from.c_str();
        operation.pTo = nullptr;
        operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO;
        return ::SHFileOperationW(&operation) == 0;
    }
    void NotifyRemoved(const std::string& path, const std::string& parent) override {
        const std::wstring removed = Widen(path);
        const std::wstring folder = Widen(parent);
        ::SHChangeNotify(SHCNE_RMDIR | SHCNE_INTERRUPT, SHCNF_PATHW | SHCNF_FLUSH, removed.c_str(), nullptr);
        ::SHChangeNotify(SHCNE_UPDATEDIR | SHCNE_INTERRUPT, SHCNF_PATHW | SHCNF_FLUSH, folder.c_str(), nullptr);
    }
};

// Resource "ZIP" 269 of the program file.
class ZipResource final : public IEmbeddedData {
public:
    std::optional<std::string> Archive() override {
        HMODULE module = ::GetModuleHandleW(nullptr);
        HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(269), L"ZIP");
        if (!found) return std::nullopt;
        HGLOBAL loaded = ::LoadResource(module, found);
        const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
        if (!bytes) return std::nullopt;
        return std::string(static_cast<const char*>(bytes), ::SizeofResource(module, found));
    }
};

// The skinned message box answers once it is wired in; until then nothing is confirmed.
// Questions go to the player in the skinned message box.
class SkinnedQuestionPrompt final : public IQuestionPrompt {
public:
    int Ask(const std::string& title, const std::string& message) override { return ShowQuestionBox(title, message); }
};

}  // namespace

void InstallUpdatePorts(Ports& target) {
    static CreateProcessStarter starter;
    static ShellFolders shellFolders;
    static ShellLinks shortcuts;
    static ShellDelete shellDelete;
    static ZipResource embedded;
    static SkinnedQuestionPrompt prompt;
    target.http = &WinInetHttpAdapter();
    target.starter = &starter;
    target.shellFolders = &shellFolders;
    target.shortcuts = &shortcuts;
    target.uninstallRegistry = &UninstallRegistryAdapter();
    target.userProfile = &RegistryUserProfileAdapter();
    target.fileOps = &Win32FileOpsAdapter();
    target.shellDelete = &shellDelete;
    target.embedded = &embedded;
    target.prompt = &prompt;
}

}  // namespace xh::win32
