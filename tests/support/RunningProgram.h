#pragma once
// A small waiting program copied into a folder under a given file name and
// started, so the process list shows that name until the object goes away.
#include <windows.h>

#include <string>

#include "platform/Handles.h"

namespace mirulo::testkit {

class RunningProgram {
public:
    // Copies the idle program to folder\fileName and starts it; the folder must exist.
    RunningProgram(const std::wstring& folder, const std::wstring& fileName);
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;
    ~RunningProgram();

    bool started() const { return static_cast<bool>(process_); }

private:
    std::wstring path_;
    platform::UniqueKernelHandle process_;
};

} // namespace mirulo::testkit
