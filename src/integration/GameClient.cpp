#include "integration/GameClient.h"

#include <tlhelp32.h>

#include <iterator>

#include "integration/ShellOperations.h"
#include "platform/FileWrites.h"
#include "platform/Handles.h"

namespace mirulo::integration {
namespace {

// The chooser's one filter, "description|pattern" split for OPENFILENAMEW.
constexpr wchar_t kProgramFilterPairs[] = L"uopatch.exe / UOAssist.exe / UO.exe \0*.exe";
constexpr std::wstring_view kProgramFilter{kProgramFilterPairs, std::size(kProgramFilterPairs) - 1};

// The folder part of a path: "D:\UO\UO.exe" -> "D:\UO", "C:\UO.exe" -> "C:\".
std::wstring FolderOf(std::wstring_view path) {
    const std::size_t slash = path.find_last_of(L"\\/:");
    if (slash == std::wstring_view::npos) {
        return {};
    }
    if (path[slash] == L':' || (slash == 2 && path[1] == L':')) {
        return std::wstring(path.substr(0, slash + 1));
    }
    return std::wstring(path.substr(0, slash));
}

} // namespace

bool IsGameClientProcessName(std::wstring_view exeFile) {
    return exeFile == L"client.exe" || exeFile == L"UOSA.exe";
}

bool IsGameClientRunning() {
    const platform::UniqueKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        return false;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry)) {
        if (IsGameClientProcessName(entry.szExeFile)) {
            return true;
        }
    }
    return false;
}

GameClient::GameClient(platform::Host& host, HWND owner) : host_(host), owner_(owner) {}

bool GameClient::Start(const std::wstring& programPath) {
    if (!platform::FileExists(programPath)) {
        return false;
    }
    StartProgram(host_, owner_, programPath);
    return true;
}

std::wstring GameClient::ChooserFolder(std::wstring_view chosenPath,
                                       std::span<const std::wstring_view> defaults) {
    if (!chosenPath.empty()) {
        return FolderOf(chosenPath);
    }
    for (const std::wstring_view program : defaults) {
        if (platform::FileExists(std::wstring(program))) {
            return FolderOf(program);
        }
    }
    return L"C:\\";
}

std::optional<std::wstring> GameClient::Choose(std::wstring_view chosenPath,
                                               std::span<const std::wstring_view> defaults) {
    platform::OpenFileRequest request;
    request.filter = kProgramFilter;
    request.initialDir = ChooserFolder(chosenPath, defaults);
    return host_.OpenFile(owner_, request);
}

} // namespace mirulo::integration
