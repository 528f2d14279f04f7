// bench_soak_probe EXE_NAME [--close]
// Prints what the running program of that name holds: its windows (top-level and
// child), the message boxes it shows, its kernel handles, and its GDI and USER objects (Wine 8 answers 0 for
// these two). With --close it asks the program's main window to close instead.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>

namespace {

DWORD FindProcess(const wchar_t* exeName) {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    DWORD found = 0;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, exeName) == 0) {
            found = entry.th32ProcessID;
        }
    }
    ::CloseHandle(snapshot);
    return found;
}

struct Count {
    DWORD processId;
    int windows;
    HWND main;
    int boxes; // message boxes on the screen
};

BOOL CALLBACK CountChild(HWND, LPARAM lParam) {
    ++reinterpret_cast<Count*>(lParam)->windows;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND hwnd, LPARAM lParam) {
    auto* count = reinterpret_cast<Count*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hwnd, &owner);
    if (owner == count->processId) {
        ++count->windows;
        ::EnumChildWindows(hwnd, &CountChild, lParam);
        wchar_t name[32] = {};
        ::GetClassNameW(hwnd, name, 32);
        if (std::wcscmp(name, L"Tfm_Mirulo") == 0) {
            count->main = hwnd;
        }
        if (std::wcscmp(name, L"#32770") == 0 && ::IsWindowVisible(hwnd)) {
            ++count->boxes;
        }
    }
    return TRUE;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: bench_soak_probe EXE_NAME [--close]\n");
        return 2;
    }
    const DWORD processId = FindProcess(argv[1]);
    if (processId == 0) {
        std::fwprintf(stderr, L"no process named %ls\n", argv[1]);
        return 1;
    }
    Count count{processId, 0, nullptr, 0};
    ::EnumWindows(&CountTopLevel, reinterpret_cast<LPARAM>(&count));
    if (argc > 2 && std::wcscmp(argv[2], L"--close") == 0) {
        return count.main != nullptr && ::PostMessageW(count.main, WM_CLOSE, 0, 0) ? 0 : 1;
    }
    DWORD handles = 0;
    DWORD gdi = 0;
    DWORD user = 0;
    if (HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId)) {
        ::GetProcessHandleCount(process, &handles);
        gdi = ::GetGuiResources(process, GR_GDIOBJECTS);
        user = ::GetGuiResources(process, GR_USEROBJECTS);
        ::CloseHandle(process);
    }
    std::wprintf(L"windows=%d boxes=%d handles=%lu gdi=%lu user=%lu\n", count.windows, count.boxes, handles,
                 gdi, user);
    return 0;
}
