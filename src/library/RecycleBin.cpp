#include "library/RecycleBin.h"

#include <algorithm>
#include <optional>

#include "integration/ShellOperations.h"
#include "library/PictureFolder.h"
#include "platform/Handles.h"

namespace mirulo::library {

bool IsGone(const std::wstring& path) {
    if (::GetFileAttributesW(ExtendedLengthPath(path).c_str()) != INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(ExtendedLengthPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool SendToRecycleBin2(HWND owner, const std::vector<std::wstring>& fileList, bool dlg) {
    if (fileList.empty()) {
        return true;
    }
    if (!std::all_of(fileList.begin(), fileList.end(), IsFile)) {
        return false;
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

std::uint32_t WhyTheRecycleBinCannotTake(const std::wstring& path) {
    const std::optional<std::wstring> full = integration::ShellFullPath(path);
    if (!full) {
        return ERROR_FILENAME_EXCED_RANGE;
    }
    // Opened for removal and shared with no one, as a move to the recycle bin
    // needs it: what stops this open stops the move.
    const platform::UniqueKernelHandle probe(::CreateFileW(full->c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                                           FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!probe) {
        return ::GetLastError();
    }
    return ERROR_SUCCESS;
}

} // namespace mirulo::library
