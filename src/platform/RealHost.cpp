#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <aclapi.h>
#include <sddl.h>

#include <memory>
#include <vector>

#include "platform/Host.h"

namespace mirulo::platform {

int RealHost::ShowMessage(HWND owner, std::wstring_view text, std::wstring_view caption, UINT flags) {
    const std::wstring t(text);
    const std::wstring c(caption);
    return ::MessageBoxW(owner, t.c_str(), c.c_str(), flags);
}

void RealHost::Sleep(DWORD milliseconds) {
    ::Sleep(milliseconds);
}

LocalTime RealHost::Now() {
    SYSTEMTIME st{};
    ::GetLocalTime(&st);
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

std::int64_t RealHost::PerformanceCounter() {
    LARGE_INTEGER value{};
    ::QueryPerformanceCounter(&value);
    return value.QuadPart;
}

std::int64_t RealHost::PerformanceFrequency() {
    LARGE_INTEGER value{};
    ::QueryPerformanceFrequency(&value);
    return value.QuadPart;
}

std::intptr_t RealHost::ShellLaunch(HWND owner, std::wstring_view verb, std::wstring_view file,
                                    std::wstring_view parameters, std::wstring_view directory,
                                    int showCommand) {
    const std::wstring v(verb), f(file), p(parameters), d(directory);
    const HINSTANCE result =
        ::ShellExecuteW(owner, v.empty() ? nullptr : v.c_str(), f.c_str(), p.empty() ? nullptr : p.c_str(),
                        d.empty() ? nullptr : d.c_str(), showCommand);
    return reinterpret_cast<std::intptr_t>(result);
}

namespace {

struct BrowseStart {
    HWND owner;
    std::wstring folder; // empty: the browser's own choice
};

// Once the browser is up: centred on the monitor that shows its owner, and the
// current folder selected.
int CALLBACK OnBrowserEvent(HWND dialog, UINT message, LPARAM, LPARAM data) {
    if (message != BFFM_INITIALIZED) {
        return 0;
    }
    const auto* start = reinterpret_cast<const BrowseStart*>(data);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    RECT frame{};
    if (::GetMonitorInfoW(::MonitorFromWindow(start->owner, MONITOR_DEFAULTTONEAREST), &monitor) &&
        ::GetWindowRect(dialog, &frame)) {
        const RECT& work = monitor.rcWork;
        const int width = frame.right - frame.left;
        const int height = frame.bottom - frame.top;
        ::SetWindowPos(dialog, nullptr, work.left + (work.right - work.left - width) / 2,
                       work.top + (work.bottom - work.top - height) / 2, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (!start->folder.empty()) {
        ::SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(start->folder.c_str()));
    }
    return 0;
}

} // namespace

std::optional<std::wstring> RealHost::BrowseForFolder(HWND owner, std::wstring_view title,
                                                      std::wstring_view initialFolder) {
    const std::wstring t(title);
    BrowseStart start{owner, std::wstring(initialFolder)};
    const DWORD attributes =
        start.folder.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(start.folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        start.folder.clear();
    }
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pidlRoot = nullptr; // the desktop
    info.lpszTitle = t.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
    info.lpfn = &OnBrowserEvent;
    info.lParam = reinterpret_cast<LPARAM>(&start);
    PIDLIST_ABSOLUTE list = ::SHBrowseForFolderW(&info);
    if (list == nullptr) {
        return std::nullopt;
    }
    std::vector<wchar_t> path(32768);
    const BOOL ok =
        ::SHGetPathFromIDListEx(list, path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT);
    ::CoTaskMemFree(list);
    if (!ok) {
        return std::nullopt;
    }
    return std::wstring(path.data());
}

std::optional<std::wstring> RealHost::OpenFile(HWND owner, const OpenFileRequest& request) {
    std::vector<wchar_t> path(32768, L'\0');
    std::wstring filter = request.filter;
    filter.push_back(L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.size() > 1 ? filter.c_str() : nullptr;
    ofn.lpstrFile = path.data();
    ofn.nMaxFile = static_cast<DWORD>(path.size());
    ofn.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
    ofn.lpstrInitialDir = request.initialDir.empty() ? nullptr : request.initialDir.c_str();
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!::GetOpenFileNameW(&ofn)) {
        return std::nullopt;
    }
    return std::wstring(path.data());
}

std::wstring RealHost::ExecutablePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            return std::wstring(buffer.data(), length);
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool Host::KeyIsDown(UINT virtualKey) {
    return (::GetAsyncKeyState(static_cast<int>(virtualKey)) & 0x8000) != 0;
}

std::optional<std::wstring> Host::AccessListOf(const std::wstring& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    wchar_t* text = nullptr;
    const BOOL converted = ::ConvertSecurityDescriptorToStringSecurityDescriptorW(
        descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr);
    ::LocalFree(descriptor);
    if (!converted || text == nullptr) {
        return std::nullopt;
    }
    std::wstring list = text;
    ::LocalFree(text);
    return list;
}

HANDLE Host::ShellLaunchProcess(HWND owner, std::wstring_view verb, std::wstring_view file,
                                std::wstring_view parameters, std::wstring_view directory, int showCommand) {
    const std::wstring v(verb), f(file), p(parameters), d(directory);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.hwnd = owner;
    info.lpVerb = v.empty() ? nullptr : v.c_str();
    info.lpFile = f.c_str();
    info.lpParameters = p.empty() ? nullptr : p.c_str();
    info.lpDirectory = d.empty() ? nullptr : d.c_str();
    info.nShow = showCommand;
    if (!::ShellExecuteExW(&info)) {
        return nullptr;
    }
    return info.hProcess;
}

std::wstring Host::SpecialFolderPath(HWND owner, int csidl) {
    struct IdListDeleter {
        void operator()(ITEMIDLIST* list) const noexcept { ::CoTaskMemFree(list); }
    };
    PIDLIST_ABSOLUTE rawList = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(owner, csidl, &rawList)) || rawList == nullptr) {
        return {};
    }
    const std::unique_ptr<ITEMIDLIST, IdListDeleter> list(rawList);
    wchar_t path[MAX_PATH] = {};
    if (!::SHGetPathFromIDListW(list.get(), path)) {
        return {};
    }
    return path;
}

} // namespace mirulo::platform
