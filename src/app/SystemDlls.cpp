#include "app/SystemDlls.h"

#include <windows.h>
#include <delayimp.h>

namespace mirulo::app {

void SearchSystemFolderOnlyForDlls() {
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

namespace {

// Each delay-loaded DLL, from the system folder and nowhere else, also when the
// first call comes before the entry point has restricted the search (a static
// constructor, say).
FARPROC WINAPI LoadFromSystemFolder(unsigned notification, PDelayLoadInfo info) {
    if (notification != dliNotePreLoadLibrary || info == nullptr || info->szDll == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(::LoadLibraryExA(info->szDll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
}

} // namespace
} // namespace mirulo::app

extern "C" {
// The delay-load helper asks this hook before it loads a DLL itself.
PfnDliHook __pfnDliNotifyHook2 = mirulo::app::LoadFromSystemFolder;
}
