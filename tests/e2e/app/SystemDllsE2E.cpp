// Mirulo.exe runs as administrator, so a DLL that someone put beside it must
// never be loaded in place of the system's: here one named like a system DLL
// the program uses, with Wine told to prefer a native DLL of that name to its
// own. The program must take the system's copy, from the system folder.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <string>

#include "support/MiruloProcess.h"
#include "support/TempFolder.h"

using namespace mirulo::testkit;

namespace {

// The full paths of the modules loaded in the process.
std::vector<std::wstring> ModulesOf(HANDLE process) {
    HMODULE modules[1024] = {};
    DWORD bytes = 0;
    std::vector<std::wstring> paths;
    if (!::EnumProcessModulesEx(process, modules, sizeof(modules), &bytes, LIST_MODULES_ALL)) {
        return paths;
    }
    for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < 1024; ++i) {
        wchar_t path[MAX_PATH] = {};
        if (::GetModuleFileNameExW(process, modules[i], path, MAX_PATH) > 0) {
            paths.emplace_back(path);
        }
    }
    return paths;
}

std::wstring Lower(std::wstring text) {
    ::CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

TEST(SystemDlls, APlantedDllBesideTheProgramIsNotLoaded) {
    TempFolder folder{L"mirulo-planted"};
    InstallProgramCopy(folder.path());
    const std::wstring planted = folder / L"msimg32.dll";
    ASSERT_TRUE(::CopyFileW(BuildTreePath(MIRULO_PLANTED_DLL).c_str(), planted.c_str(), FALSE));

    ::SetEnvironmentVariableW(L"WINEDLLOVERRIDES", L"msimg32=n,b");
    auto mirulo = std::make_unique<MiruloProcess>(folder / L"Mirulo.exe");
    ::SetEnvironmentVariableW(L"WINEDLLOVERRIDES", nullptr);
    const HWND window = WaitForWindow(L"Tfm_Mirulo", mirulo->id(), 20000);
    ASSERT_NE(window, nullptr);

    // The tab pages paint with it: once they have, the program has loaded the DLL.
    wchar_t systemFolder[MAX_PATH] = {};
    ::GetSystemDirectoryW(systemFolder, MAX_PATH);
    const std::wstring expected = Lower(std::wstring(systemFolder) + L"\\msimg32.dll");
    std::vector<std::wstring> loaded;
    for (int i = 0; i < 100; ++i) {
        ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        loaded.clear();
        for (const std::wstring& path : ModulesOf(mirulo->handle())) {
            if (Lower(path).ends_with(L"\\msimg32.dll")) {
                loaded.push_back(Lower(path));
            }
        }
        if (!loaded.empty()) {
            break;
        }
        ::Sleep(100);
    }
    EXPECT_EQ(loaded, std::vector<std::wstring>{expected});
    EXPECT_FALSE(FileExists(planted + L".loaded")) << "the planted DLL ran inside the program";

    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(mirulo->WaitForExit(10000).has_value());
}

} // namespace
