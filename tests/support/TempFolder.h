#pragma once
// A fresh folder under the system's temporary folder, removed with everything in
// it when the test ends. Tests never touch fixed machine paths.
#include <windows.h>

#include <string>
#include <vector>

namespace mirulo::testkit {

class TempFolder {
public:
    explicit TempFolder(const std::wstring& hint = L"mirulo");
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();

    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// Removes a folder and everything in it, read-only files and paths beyond
// MAX_PATH included (the folder must be a full path).
void RemoveFolderTree(const std::wstring& folder);

// Whole-file helpers for comparing what the program writes, byte for byte.
std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);
// Every name in the folder but "." and "..", so a leftover temporary file shows up.
std::vector<std::wstring> FolderNames(const std::wstring& folder);

// The Windows path of a file in the build tree (the Linux path seen through Wine's Z: drive).
std::wstring BuildTreePath(const char* unixPath);

} // namespace mirulo::testkit
