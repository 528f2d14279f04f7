#pragma once
// Start at logon: the task "Mirulo" is registered or removed by a one-line batch
// file that the shell runs elevated. The program never talks to the Task
// Scheduler itself and never examines the outcome; SCHTASKS's answer, if any,
// lands in the log file beside the batch.
//
// The batch runs with administrator rights from a folder that every program of
// the user can write to, so it is created anew (never through a file or link
// that was there before) and held open, shared for reading only, until the
// elevated run has ended: nobody can change, rename or delete it in between.
// The log is made and held the same way, so that the elevated redirection
// writes into the program's own file and nowhere else.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/Handles.h"
#include "platform/Host.h"

namespace mirulo::integration {

struct LogonTaskPlaces {
    std::wstring tempFolder;     // where the batch and its log go, ending in "\"; empty when unknown
    std::wstring taskDefinition; // the task's definition file; empty when unknown
    std::wstring executable;     // the program the task starts
};

// The batch and the log of one elevated run, held until the run has ended. The
// end is waited for on the thread pool, so the window goes on meanwhile.
class ElevatedRun {
public:
    ElevatedRun(platform::UniqueKernelHandle batch, platform::UniqueKernelHandle log, HANDLE process);
    ElevatedRun(const ElevatedRun&) = delete;
    ElevatedRun& operator=(const ElevatedRun&) = delete;
    ~ElevatedRun();

    // True once the process has ended and the files are let go, waiting up to
    // `milliseconds` for that. A run whose process the shell did not hand over
    // never ends by itself: its files are held until the next run or the end
    // of the program, which is the longest it could need them.
    bool WaitForEnd(DWORD milliseconds);

private:
    static void CALLBACK OnProcessEnded(void* self, BOOLEAN timedOut);
    void LetGo() noexcept;

    platform::UniqueKernelHandle batch_;
    platform::UniqueKernelHandle log_;
    platform::UniqueKernelHandle process_;
    HANDLE wait_ = nullptr;
};

class LogonTask {
public:
    LogonTask(platform::Host& host, HWND owner, LogonTaskPlaces places);

    // The places on this machine: the local application-data and system folders
    // as the shell names them, and the program's own path.
    static LogonTaskPlaces PlacesFor(platform::Host& host, HWND owner);

    std::wstring BatchPath() const;
    std::wstring LogPath() const;

    // True when the task's definition file exists: the option's state at start-up.
    bool IsRegistered() const;

    // Writes the registering (or removing) line into a fresh batch file, after
    // removing the batch and log of an earlier run, and has the shell run it
    // elevated and hidden. The temporary folder is created when it is missing
    // (a new Wine prefix has none). An earlier run that has not ended yet is
    // waited for a few seconds first.
    //
    // A path that the ANSI code page cannot carry would reach SCHTASKS with "?"
    // in its place and register a task that can never start; such a path is
    // returned instead, and nothing is deleted, written or run. A batch or log
    // file that cannot be created anew throws platform::UserError; nothing is
    // run then.
    [[nodiscard]] std::optional<std::wstring> Apply(bool registerTask);

private:
    platform::Host& host_;
    HWND owner_;
    LogonTaskPlaces places_;
    std::unique_ptr<ElevatedRun> run_;
};

} // namespace mirulo::integration
