#pragma once
// Start at logon: the task "Mirulo" is registered or removed by a one-line batch
// file that the shell runs elevated. The program never talks to the Task
// Scheduler itself and never waits for the batch; SCHTASKS's answer, if any,
// lands in the log file beside the batch.
#include <windows.h>

#include <optional>
#include <string>

#include "platform/Host.h"

namespace mirulo::integration {

struct LogonTaskPlaces {
    std::wstring tempFolder;     // where the batch and its log go, ending in "\"; empty when unknown
    std::wstring taskDefinition; // the task's definition file; empty when unknown
    std::wstring executable;     // the program the task starts
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
    // elevated and hidden.
    //
    // A path that the ANSI code page cannot carry would reach SCHTASKS with "?"
    // in its place and register a task that can never start; such a path is
    // returned instead, and nothing is deleted, written or run. A batch file
    // that cannot be written throws platform::UserError; nothing is run then.
    [[nodiscard]] std::optional<std::wstring> Apply(bool registerTask);

private:
    platform::Host& host_;
    HWND owner_;
    LogonTaskPlaces places_;
};

} // namespace mirulo::integration
