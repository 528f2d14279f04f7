// Mirulo.exe with one addition for the fault-injection tests: when the
// environment names a file extension in MIRULO_PAUSE_BEFORE_RENAME, the program
// stops for good at the moment a file of that kind is complete under its
// temporary name and the rename is next, after creating "paused-before-rename"
// beside itself. The test then kills it there.
#include <windows.h>

#include <string>

#include "app/Application.h"
#include "app/SingleInstance.h"
#include "platform/FileWrites.h"
#include "platform/Host.h"
#include "ui/Dispatch.h"

namespace {

std::wstring BesideProgram(const wchar_t* name) {
    wchar_t path[MAX_PATH * 4] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\') + 1) + name;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t extension[32] = {};
    if (::GetEnvironmentVariableW(L"MIRULO_PAUSE_BEFORE_RENAME", extension, 32) > 0) {
        const std::wstring suffix = std::wstring(L".") + extension;
        mirulo::platform::SetBeforeRenameHook([suffix](const std::wstring& target) {
            if (target.size() < suffix.size() ||
                target.compare(target.size() - suffix.size(), suffix.size(), suffix) != 0) {
                return;
            }
            const HANDLE marker = ::CreateFileW(BesideProgram(L"paused-before-rename").c_str(), GENERIC_WRITE,
                                                0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            ::CloseHandle(marker);
            ::Sleep(INFINITE);
        });
    }
    if (mirulo::app::HandOverToRunningInstance()) {
        return 0;
    }
    mirulo::platform::RealHost host;
    try {
        mirulo::app::RunApplication(host);
    } catch (...) {
        mirulo::ui::ReportCurrentException(host, nullptr);
    }
    return 0;
}
