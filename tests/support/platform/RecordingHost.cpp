#include "platform/RecordingHost.h"

namespace mirulo::platform {

int RecordingHost::ShowMessage(HWND owner, std::wstring_view text, std::wstring_view caption, UINT flags) {
    calls.push_back(
        {HostCall::Kind::Message, std::wstring(text), std::wstring(caption), {}, {}, flags, owner});
    if (whileMessageOpen) {
        whileMessageOpen();
    }
    if (messageAnswers.empty()) {
        return IDOK;
    }
    const int answer = messageAnswers.front();
    messageAnswers.pop_front();
    return answer;
}

void RecordingHost::Sleep(DWORD milliseconds) {
    calls.push_back({HostCall::Kind::Sleep, {}, {}, {}, {}, milliseconds, nullptr});
    if (onSleep) {
        onSleep(milliseconds);
    }
}

std::intptr_t RecordingHost::ShellLaunch(HWND owner, std::wstring_view verb, std::wstring_view file,
                                         std::wstring_view parameters, std::wstring_view directory,
                                         int showCommand) {
    calls.push_back({HostCall::Kind::ShellLaunch, std::wstring(file), std::wstring(verb),
                     std::wstring(parameters), std::wstring(directory), static_cast<unsigned>(showCommand),
                     owner});
    return shellResult;
}

std::optional<std::wstring> RecordingHost::AccessListOf(const std::wstring& path) {
    const auto listed = accessLists.find(path);
    if (listed != accessLists.end()) {
        return listed->second;
    }
    return Host::AccessListOf(path);
}

HANDLE RecordingHost::ShellLaunchProcess(HWND owner, std::wstring_view verb, std::wstring_view file,
                                         std::wstring_view parameters, std::wstring_view directory,
                                         int showCommand) {
    ShellLaunch(owner, verb, file, parameters, directory, showCommand);
    HANDLE process = nullptr;
    if (launchedProcess != nullptr) {
        ::DuplicateHandle(::GetCurrentProcess(), launchedProcess, ::GetCurrentProcess(), &process, 0, FALSE,
                          DUPLICATE_SAME_ACCESS);
    }
    return process;
}

std::optional<std::wstring> RecordingHost::BrowseForFolder(HWND owner, std::wstring_view title,
                                                           std::wstring_view initialFolder) {
    calls.push_back({HostCall::Kind::BrowseForFolder,
                     std::wstring(title),
                     {},
                     {},
                     std::wstring(initialFolder),
                     0,
                     owner});
    if (folderAnswers.empty()) {
        return std::nullopt;
    }
    auto answer = folderAnswers.front();
    folderAnswers.pop_front();
    return answer;
}

std::optional<std::wstring> RecordingHost::OpenFile(HWND owner, const OpenFileRequest& request) {
    calls.push_back(
        {HostCall::Kind::OpenFile, request.title, {}, request.filter, request.initialDir, 0, owner});
    if (fileAnswers.empty()) {
        return std::nullopt;
    }
    auto answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

std::wstring RecordingHost::SpecialFolderPath(HWND, int csidl) {
    const auto found = specialFolders.find(csidl);
    return found == specialFolders.end() ? std::wstring() : found->second;
}

std::vector<HostCall> RecordingHost::CallsOf(HostCall::Kind kind) const {
    std::vector<HostCall> result;
    for (const auto& call : calls) {
        if (call.kind == kind) {
            result.push_back(call);
        }
    }
    return result;
}

std::vector<std::wstring> RecordingHost::Messages() const {
    std::vector<std::wstring> result;
    for (const auto& call : CallsOf(HostCall::Kind::Message)) {
        result.push_back(call.text);
    }
    return result;
}

} // namespace mirulo::platform
