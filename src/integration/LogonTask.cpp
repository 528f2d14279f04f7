#include "integration/LogonTask.h"

#include <shlobj.h>

#include "integration/LogonBatch.h"
#include "integration/ShellOperations.h"
#include "platform/FileWrites.h"
#include "platform/SystemError.h"

namespace mirulo::integration {
namespace {

std::wstring ToWide(std::u16string_view text) {
    return {text.begin(), text.end()};
}

std::u16string ToU16(std::wstring_view text) {
    return {text.begin(), text.end()};
}

// Writes the bytes as the whole file, replacing an earlier one in one step, so
// a later run at logon finds the old batch or the new one, never half of one.
void WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    const std::uint32_t error = platform::ReplaceFileAtomically(
        path, path + L".tmp",
        std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    if (error != ERROR_SUCCESS) {
        ::SetLastError(error);
        platform::ThrowLastError(L"バッチファイルを書き込めません: " + path);
    }
}

// The text in the system's ANSI code page, or nullopt when some character has
// no exact counterpart there (no best-fit look-alike, no "?").
std::optional<std::string> ToAnsiCodePage(std::wstring_view text) {
    if (text.empty()) {
        return std::string();
    }
    // Under a UTF-8 ANSI code page every well-formed text fits, and the best-fit
    // flag and the default-character report are not allowed.
    const bool utf8 = ::GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* const usedDefaultReport = utf8 ? nullptr : &usedDefault;
    const int length = static_cast<int>(text.size());
    const int size =
        ::WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, nullptr, usedDefaultReport);
    if (size <= 0 || usedDefault) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (::WideCharToMultiByte(CP_ACP, flags, text.data(), length, bytes.data(), size, nullptr,
                              usedDefaultReport) != size ||
        usedDefault) {
        return std::nullopt;
    }
    return bytes;
}

} // namespace

LogonTask::LogonTask(platform::Host& host, HWND owner, LogonTaskPlaces places)
    : host_(host), owner_(owner), places_(std::move(places)) {}

LogonTaskPlaces LogonTask::PlacesFor(platform::Host& host, HWND owner) {
    LogonTaskPlaces places;
    const std::wstring localAppData = GetSpecialFolderPath(host, owner, CSIDL_LOCAL_APPDATA);
    if (!localAppData.empty()) {
        places.tempFolder = ToWide(LogonTempFolder(ToU16(localAppData)));
    }
    const std::wstring system = GetSpecialFolderPath(host, owner, CSIDL_SYSTEM);
    if (!system.empty()) {
        places.taskDefinition = ToWide(TaskDefinitionPath(ToU16(system)));
    }
    places.executable = host.ExecutablePath();
    return places;
}

std::wstring LogonTask::BatchPath() const {
    return places_.tempFolder + ToWide(kBatchFileName);
}

std::wstring LogonTask::LogPath() const {
    return places_.tempFolder + ToWide(kLogFileName);
}

bool LogonTask::IsRegistered() const {
    if (places_.taskDefinition.empty()) {
        return false;
    }
    return ::GetFileAttributesW(places_.taskDefinition.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<std::wstring> LogonTask::Apply(bool registerTask) {
    if (places_.tempFolder.empty()) {
        throw platform::UserError(L"バッチファイルを作成できません: 一時フォルダが見つかりません");
    }
    const std::wstring batchPath = BatchPath();
    const std::wstring logPath = LogPath();

    const std::u16string line = registerTask ? RegisterTaskLine(ToU16(places_.executable), ToU16(logPath))
                                             : RemoveTaskLine(ToU16(logPath));
    const std::optional<std::string> bytes = ToAnsiCodePage(ToWide(line));
    if (!bytes) {
        return registerTask && !ToAnsiCodePage(places_.executable) ? places_.executable : logPath;
    }

    ::DeleteFileW(batchPath.c_str());
    ::DeleteFileW(logPath.c_str());
    WriteWholeFile(batchPath, *bytes + "\r\n");

    RunBatchElevated(host_, owner_, batchPath);
    return std::nullopt;
}

} // namespace mirulo::integration
