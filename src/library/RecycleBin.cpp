#include "library/RecycleBin.h"

#include <algorithm>

#include "integration/ShellOperations.h"
#include "library/PictureFolder.h"

namespace mirulo::library {

bool IsGone(const std::wstring& path) {
    if (::GetFileAttributesW(ExtendedLengthPath(path).c_str()) != INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool SendToRecycleBin2(HWND owner, const std::vector<std::wstring>& fileList, bool dlg) {
    if (fileList.empty()) {
        return true;
    }
    // What the shell reports is not trusted: a declined confirmation, or Wine's
    // offer to delete outright when the trash refuses a file, can end in a result
    // that says little about each file. The files themselves say it.
    (void)integration::MoveToRecycleBin(owner, fileList, !dlg);
    return std::all_of(fileList.begin(), fileList.end(), IsGone);
}

bool SendFileToRecycleBin(HWND owner, const std::wstring& path, bool progress) {
    return SendToRecycleBin2(owner, {path}, progress);
}

} // namespace mirulo::library
