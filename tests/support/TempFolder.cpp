#include "support/TempFolder.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace mirulo::testkit {

TempFolder::TempFolder(const std::wstring& hint) {
    wchar_t base[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, base);
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
        std::wstring candidate = std::wstring(base) + hint + L"-" + std::to_wstring(::GetCurrentProcessId()) +
                                 L"-" + std::to_wstring(::GetTickCount64() % 100000) + L"-" +
                                 std::to_wstring(attempt);
        if (::CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::~TempFolder() {
    RemoveFolderTree(path_);
}

void RemoveFolderTree(const std::wstring& folder) {
    // The "\\?\" form reaches paths beyond MAX_PATH; it needs a full path.
    const std::wstring raw = folder.starts_with(LR"(\\?\)") ? folder : LR"(\\?\)" + folder;
    WIN32_FIND_DATAW entry{};
    HANDLE find = ::FindFirstFileW((raw + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring child = raw + L"\\" + name;
            ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                RemoveFolderTree(child);
            } else {
                ::DeleteFileW(child.c_str());
            }
        } while (::FindNextFileW(find, &entry));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(raw.c_str());
}

std::string ReadFileBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool FileExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::wstring> FolderNames(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry{};
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..") {
            names.push_back(name);
        }
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
    return names;
}

std::wstring BuildTreePath(const char* unixPath) {
    std::wstring path = L"Z:";
    for (const char* p = unixPath; *p != '\0'; ++p) {
        path.push_back(*p == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*p)));
    }
    return path;
}

} // namespace mirulo::testkit
