#include "support/RunningProgram.h"

#include "support/TempFolder.h"

namespace mirulo::testkit {

RunningProgram::RunningProgram(const std::wstring& folder, const std::wstring& fileName)
    : path_(folder + L"\\" + fileName) {
    if (!::CopyFileW(BuildTreePath(MIRULO_IDLE_PROGRAM).c_str(), path_.c_str(), FALSE)) {
        return;
    }
    std::wstring commandLine = L"\"" + path_ + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (::CreateProcessW(path_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                         nullptr, nullptr, &startup, &info)) {
        ::CloseHandle(info.hThread);
        process_.reset(info.hProcess);
    }
}

RunningProgram::~RunningProgram() {
    if (process_) {
        ::TerminateProcess(process_.get(), 0);
        ::WaitForSingleObject(process_.get(), 10000);
        process_.reset();
    }
    ::DeleteFileW(path_.c_str());
}

} // namespace mirulo::testkit
