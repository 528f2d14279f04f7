#pragma once
// The shell asks before it moves anything to the recycle bin, and under Wine it
// asks again, offering to delete outright, when the trash refuses a file. Its
// dialogs belong to the thread that made the call, and that thread waits in
// them; this answers them from a thread of its own, as a user would.
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace mirulo::testkit {

class ShellConfirmations {
public:
    // Answers each new dialog of `threadId` with the next button of `answers`
    // (IDYES, IDNO, ...); the last answer repeats.
    ShellConfirmations(DWORD threadId, std::vector<int> answers);
    // Answers for the calling thread.
    explicit ShellConfirmations(std::vector<int> answers)
        : ShellConfirmations(::GetCurrentThreadId(), std::move(answers)) {}
    ShellConfirmations(const ShellConfirmations&) = delete;
    ShellConfirmations& operator=(const ShellConfirmations&) = delete;
    ~ShellConfirmations();

    // How many dialogs have been answered so far.
    int answered() const { return answered_.load(); }

private:
    void Watch(DWORD threadId);

    std::vector<int> answers_;
    std::atomic<int> answered_{0};
    std::atomic<bool> stop_{false};
    std::thread watcher_;
};

// Where Wine keeps the recycle bin: the Linux user's trash,
// $XDG_DATA_HOME/Trash or ~/.local/share/Trash, reached through Z:. Moved files
// are in its "files" folder under their own names. Empty when it cannot be told.
std::wstring TrashFolder();

// Removes what the tests put into the trash under these names.
void RemoveFromTrash(const std::vector<std::wstring>& names);

} // namespace mirulo::testkit
