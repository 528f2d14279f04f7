#include "support/MiruloProcess.h"

#include <stdexcept>
#include <vector>

#include "support/TempFolder.h"

namespace mirulo::testkit {

std::wstring InstallProgramCopy(const std::wstring& folder) {
    const std::wstring built = BuildTreePath(MIRULO_BINARY_DIR "/bin/Mirulo.exe");
    const std::wstring copy = folder + L"\\Mirulo.exe";
    if (!::CopyFileW(built.c_str(), copy.c_str(), FALSE)) {
        throw std::runtime_error("cannot copy Mirulo.exe into the test folder");
    }
    return copy;
}

MiruloProcess::MiruloProcess(const std::wstring& exePath) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    std::wstring commandLine = L"\"" + exePath + L"\"";
    const std::wstring folder = exePath.substr(0, exePath.find_last_of(L'\\'));
    if (!::CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &startup, &info_)) {
        throw std::runtime_error("cannot start Mirulo.exe, error " + std::to_string(::GetLastError()));
    }
}

MiruloProcess::~MiruloProcess() {
    if (info_.hProcess != nullptr) {
        if (::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(info_.hProcess, 1);
            ::WaitForSingleObject(info_.hProcess, 5000);
        }
        ::CloseHandle(info_.hProcess);
        ::CloseHandle(info_.hThread);
    }
}

std::optional<DWORD> MiruloProcess::WaitForExit(DWORD timeoutMs) const {
    if (::WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

namespace {

struct Search {
    const wchar_t* windowClass;
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    wchar_t name[256] = {};
    ::GetClassNameW(hwnd, name, 256);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hwnd, &owner);
    if (std::wstring(name) == search->windowClass && (search->processId == 0 || owner == search->processId)) {
        search->found.push_back(hwnd);
    }
    return TRUE;
}

std::vector<HWND> Find(const wchar_t* windowClass, DWORD processId) {
    Search search{windowClass, processId, {}};
    ::EnumWindows(&Collect, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace

HWND WaitForWindow(const wchar_t* windowClass, DWORD processId, DWORD timeoutMs) {
    const ULONGLONG until = ::GetTickCount64() + timeoutMs;
    do {
        const auto found = Find(windowClass, processId);
        if (!found.empty() && ::IsWindowVisible(found.front())) {
            return found.front();
        }
        ::Sleep(50);
    } while (::GetTickCount64() < until);
    return nullptr;
}

int CountWindows(const wchar_t* windowClass) {
    return static_cast<int>(Find(windowClass, 0).size());
}

std::wstring WindowTitle(HWND hwnd) {
    wchar_t title[512] = {};
    ::GetWindowTextW(hwnd, title, 512);
    return title;
}

} // namespace mirulo::testkit
