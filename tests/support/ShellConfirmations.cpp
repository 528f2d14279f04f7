#include "support/ShellConfirmations.h"

#include <algorithm>
#include <iterator>
#include <set>

namespace mirulo::testkit {
namespace {

std::wstring EnvironmentVariable(const wchar_t* name) {
    wchar_t value[MAX_PATH * 2] = {};
    const DWORD length = ::GetEnvironmentVariableW(name, value, static_cast<DWORD>(std::size(value)));
    return length > 0 && length < std::size(value) ? std::wstring(value, length) : std::wstring();
}

} // namespace

ShellConfirmations::ShellConfirmations(DWORD threadId, std::vector<int> answers)
    : answers_(std::move(answers)), watcher_([this, threadId] { Watch(threadId); }) {}

ShellConfirmations::~ShellConfirmations() {
    stop_ = true;
    watcher_.join();
}

void ShellConfirmations::Watch(DWORD threadId) {
    std::set<HWND> seen;
    while (!stop_) {
        struct Search {
            HWND dialog = nullptr;
            const std::set<HWND>* seen;
        } search{nullptr, &seen};
        ::EnumThreadWindows(
            threadId,
            [](HWND window, LPARAM parameter) -> BOOL {
                auto* s = reinterpret_cast<Search*>(parameter);
                wchar_t className[16] = {};
                ::GetClassNameW(window, className, 16);
                if (std::wstring(className) == L"#32770" && ::IsWindowVisible(window) &&
                    s->seen->count(window) == 0) {
                    s->dialog = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.dialog != nullptr && !answers_.empty()) {
            seen.insert(search.dialog);
            const std::size_t index =
                std::min(static_cast<std::size_t>(answered_.load()), answers_.size() - 1);
            const int button = answers_[index];
            ++answered_;
            ::PostMessageW(search.dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(search.dialog, button)));
        }
        ::Sleep(30);
    }
}

std::wstring TrashFolder() {
    const std::wstring dataHome = EnvironmentVariable(L"XDG_DATA_HOME");
    if (!dataHome.empty() && dataHome.front() == L'/') {
        std::wstring path = L"Z:" + dataHome + L"/Trash";
        std::replace(path.begin(), path.end(), L'/', L'\\');
        return path;
    }
    std::wstring home = EnvironmentVariable(L"WINEHOMEDIR"); // "\??\Z:\home\user"
    if (home.rfind(L"\\??\\", 0) == 0) {
        home.erase(0, 4);
    }
    return home.empty() ? std::wstring() : home + L"\\.local\\share\\Trash";
}

void RemoveFromTrash(const std::vector<std::wstring>& names) {
    const std::wstring trash = TrashFolder();
    if (trash.empty()) {
        return;
    }
    for (const auto& name : names) {
        ::DeleteFileW((trash + L"\\files\\" + name).c_str());
        ::DeleteFileW((trash + L"\\info\\" + name + L".trashinfo").c_str());
    }
}

} // namespace mirulo::testkit
