#include "integration/ShellOperations.h"

#include <shellapi.h>

#include <memory>

namespace mirulo::integration {
namespace {

// The folder part of a path with its final separator ("C:\pics\a.png" ->
// "C:\pics\"), as editors expect their working folder.
std::wstring_view FolderOf(std::wstring_view path) {
    const std::size_t slash = path.find_last_of(L"\\/:");
    if (slash == std::wstring_view::npos) {
        return {};
    }
    return path.substr(0, slash + 1);
}

} // namespace

void OpenWithAssociatedProgram(platform::Host& host, HWND owner, std::wstring_view path) {
    host.ShellLaunch(owner, L"OPEN", path, {}, {}, SW_SHOWNORMAL);
}

void OpenInEditor(platform::Host& host, HWND owner, std::wstring_view editor, std::wstring_view picturePath) {
    host.ShellLaunch(owner, L"OPEN", editor, picturePath, FolderOf(picturePath), SW_SHOWNORMAL);
}

void OpenFolderInExplorer(platform::Host& host, HWND owner, std::wstring_view folder) {
    std::wstring parameters = L" /n/e,\"";
    parameters.append(folder);
    parameters.push_back(L'"');
    host.ShellLaunch(owner, L"OPEN", L"explorer.exe", parameters, {}, SW_SHOWNORMAL);
}

void OpenRecycleBin(platform::Host& host) {
    host.ShellLaunch(nullptr, L"open", L"shell:::{645FF040-5081-101B-9F08-00AA002F954E}", {}, {},
                     SW_SHOWNORMAL);
}

void StartProgram(platform::Host& host, HWND owner, std::wstring_view path) {
    host.ShellLaunch(owner, L"OPEN", path, {}, {}, SW_SHOWNORMAL);
}

void OpenWebPage(platform::Host& host, HWND owner, std::wstring_view address) {
    host.ShellLaunch(owner, L"open", address, L"", L"", SW_SHOWNORMAL);
}

HANDLE RunBatchElevated(platform::Host& host, HWND owner, std::wstring_view batchPath) {
    return host.ShellLaunchProcess(owner, L"runas", batchPath, {}, {}, SW_HIDE);
}

RecycleResult MoveToRecycleBin(HWND owner, const std::vector<std::wstring>& paths, bool silent) {
    if (paths.empty()) {
        return {true, false};
    }
    std::wstring from;
    for (const auto& path : paths) {
        const std::optional<std::wstring> full = ShellFullPath(path);
        if (!full) {
            return {false, false};
        }
        from += *full;
        from.push_back(L'\0');
    }
    from.push_back(L'\0');

    SHFILEOPSTRUCTW operation{};
    operation.hwnd = owner;
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.pTo = nullptr;
    operation.fFlags = static_cast<FILEOP_FLAGS>(FOF_ALLOWUNDO | (silent ? FOF_SILENT : 0));
    operation.hNameMappings = nullptr;
    operation.lpszProgressTitle = nullptr;
    const int result = ::SHFileOperationW(&operation);
    const bool aborted = operation.fAnyOperationsAborted != FALSE;
    return {result == 0 && !aborted, aborted};
}

std::optional<std::wstring> ShellFullPath(std::wstring_view path) {
    if (path.empty() || path.find(L'\0') != std::wstring_view::npos) {
        return std::nullopt;
    }
    const std::wstring given(path);
    wchar_t full[MAX_PATH] = {};
    const DWORD length = ::GetFullPathNameW(given.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) {
        return std::nullopt;
    }
    const std::wstring result(full, length);
    const bool drive = result.size() >= 3 && result[1] == L':' && result[2] == L'\\';
    const bool share = result.size() >= 3 && result[0] == L'\\' && result[1] == L'\\' && result[2] != L'?' &&
                       result[2] != L'.';
    if (!drive && !share) {
        return std::nullopt;
    }
    return result;
}

std::wstring GetSpecialFolderPath(platform::Host& host, HWND owner, int csidl) {
    return host.SpecialFolderPath(owner, csidl);
}

std::optional<std::wstring> ChooseFolder(platform::Host& host, HWND owner, std::wstring_view title,
                                         std::wstring_view current) {
    return host.BrowseForFolder(owner, title, current);
}

} // namespace mirulo::integration
