#include "integration/LogonTask.h"

#include <shlobj.h>

#include "integration/LogonBatch.h"
#include "integration/ShellOperations.h"
#include "platform/SystemError.h"
#include "platform/Wide.h"

namespace mirulo::integration {
namespace {

constexpr wchar_t kCannotWriteBatch[] = L"バッチファイルを書き込めません: ";
constexpr wchar_t kChangedUnderneath[] = L"\r\n書き込んだ直後に別のプログラムが変更しました";
constexpr wchar_t kLinkInPath[] = L"\r\n一時フォルダのパスにリンクが含まれています";
constexpr wchar_t kEarlierRunPending[] = L"\r\n前回の自動実行の設定がまだ終わっていません";

// An earlier run normally ends within a second; a second change of the box
// waits that long rather than take the files from under it.
constexpr DWORD kEarlierRunWaitMilliseconds = 10000;

[[noreturn]] void Refuse(const std::wstring& path, DWORD error) {
    ::SetLastError(error);
    platform::ThrowLastError(kCannotWriteBatch + path);
}

[[noreturn]] void Refuse(const std::wstring& path, const wchar_t* reason) {
    throw platform::UserError(kCannotWriteBatch + path + reason);
}

struct FileIdentity {
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
    bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> IdentityOf(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info)) {
        return std::nullopt;
    }
    return FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

bool SamePath(std::wstring_view a, std::wstring_view b) {
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                                  TRUE) == CSTR_EQUAL;
}

// The path the open file really has, every link and junction on the way
// resolved, in the ordinary "C:\..." or "\\server\..." form.
std::wstring FinalPathOf(HANDLE file) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetFinalPathNameByHandleW(file, path.data(), static_cast<DWORD>(path.size()),
                                                         FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(length);
    }
    if (path.starts_with(L"\\\\?\\UNC\\")) {
        return L"\\" + path.substr(7);
    }
    if (path.starts_with(L"\\\\?\\")) {
        return path.substr(4);
    }
    return path;
}

// Whether `path` names the open file without passing through a link: only then
// do the held files pin every folder on the way (a folder with an open file in
// it cannot be renamed or deleted), so that the path still leads to them when
// the elevated run opens it by name.
bool ReachedWithoutLinks(HANDLE file, const std::wstring& path) {
    const std::wstring final = FinalPathOf(file);
    if (final.empty()) {
        return false;
    }
    if (SamePath(final, path)) {
        return true;
    }
    // Short (8.3) names on the way are not links.
    std::wstring longPath(32768, L'\0');
    const DWORD length =
        ::GetLongPathNameW(path.c_str(), longPath.data(), static_cast<DWORD>(longPath.size()));
    return length > 0 && length < longPath.size() &&
           SamePath(final, std::wstring_view(longPath).substr(0, length));
}

// Creates `path` anew with `bytes` and returns it open for reading, shared only
// as `heldShare` allows. Whatever had the name before (a file, a link, a
// folder) makes the creation fail rather than be followed. Between writing and
// holding there is a moment without a handle; a file that is not the one
// written, or not with the bytes written, after it is refused.
platform::UniqueKernelHandle CreateFresh(const std::wstring& path, const std::string& bytes,
                                         DWORD heldShare) {
    FileIdentity written;
    {
        platform::UniqueKernelHandle file(
            ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (!file) {
            Refuse(path, ::GetLastError());
        }
        DWORD done = 0;
        if (!bytes.empty() &&
            (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) ||
             done != bytes.size())) {
            const DWORD error = ::GetLastError();
            file.reset();
            ::DeleteFileW(path.c_str());
            Refuse(path, error);
        }
        const std::optional<FileIdentity> identity = IdentityOf(file.get());
        if (!identity || !::FlushFileBuffers(file.get())) {
            const DWORD error = ::GetLastError();
            file.reset();
            ::DeleteFileW(path.c_str());
            Refuse(path, error);
        }
        written = *identity;
    }
    platform::UniqueKernelHandle held(::CreateFileW(path.c_str(), GENERIC_READ, heldShare, nullptr,
                                                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!held) {
        Refuse(path, ::GetLastError());
    }
    if (IdentityOf(held.get()) != written) {
        Refuse(path, kChangedUnderneath);
    }
    std::string readBack(bytes.size() + 1, '\0');
    DWORD read = 0;
    if (!::ReadFile(held.get(), readBack.data(), static_cast<DWORD>(readBack.size()), &read, nullptr) ||
        std::string_view(readBack.data(), read) != bytes) {
        Refuse(path, kChangedUnderneath);
    }
    if (!ReachedWithoutLinks(held.get(), path)) {
        Refuse(path, kLinkInPath);
    }
    return held;
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
        places.tempFolder = platform::AsWide(LogonTempFolder(platform::AsUtf16(localAppData)));
    }
    const std::wstring system = GetSpecialFolderPath(host, owner, CSIDL_SYSTEM);
    if (!system.empty()) {
        places.taskDefinition = platform::AsWide(TaskDefinitionPath(platform::AsUtf16(system)));
    }
    places.executable = host.ExecutablePath();
    return places;
}

std::wstring LogonTask::BatchPath() const {
    return places_.tempFolder + platform::AsWide(kBatchFileName);
}

std::wstring LogonTask::LogPath() const {
    return places_.tempFolder + platform::AsWide(kLogFileName);
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

    const std::u16string line =
        registerTask ? RegisterTaskLine(platform::AsUtf16(places_.executable), platform::AsUtf16(logPath))
                     : RemoveTaskLine(platform::AsUtf16(logPath));
    const std::optional<std::string> bytes = ToAnsiCodePage(platform::AsWide(line));
    if (!bytes) {
        return registerTask && !ToAnsiCodePage(places_.executable) ? places_.executable : logPath;
    }

    // The files of the earlier run are ours until it has ended.
    if (run_) {
        if (!run_->WaitForEnd(kEarlierRunWaitMilliseconds)) {
            Refuse(batchPath, kEarlierRunPending);
        }
        run_.reset();
    }
    // Always there on Windows, but not in a new Wine prefix.
    ::CreateDirectoryW(places_.tempFolder.c_str(), nullptr);

    // Deleting a link removes the link, not what it points to.
    ::DeleteFileW(batchPath.c_str());
    ::DeleteFileW(logPath.c_str());
    // The log first: the batch must never exist without its held log. The
    // elevated redirection opens the log for writing, so writing is shared;
    // deleting and renaming are not.
    platform::UniqueKernelHandle log = CreateFresh(logPath, {}, FILE_SHARE_READ | FILE_SHARE_WRITE);
    platform::UniqueKernelHandle batch;
    try {
        batch = CreateFresh(batchPath, *bytes + "\r\n", FILE_SHARE_READ);
    } catch (...) {
        // Nothing runs, so the empty log of this run goes too.
        log.reset();
        ::DeleteFileW(logPath.c_str());
        throw;
    }

    HANDLE process = RunBatchElevated(host_, owner_, batchPath);
    run_ = std::make_unique<ElevatedRun>(std::move(batch), std::move(log), process);
    return std::nullopt;
}

ElevatedRun::ElevatedRun(platform::UniqueKernelHandle batch, platform::UniqueKernelHandle log, HANDLE process)
    : batch_(std::move(batch)), log_(std::move(log)), process_(process) {
    if (process_ && !::RegisterWaitForSingleObject(&wait_, process_.get(), OnProcessEnded, this, INFINITE,
                                                   WT_EXECUTEONLYONCE)) {
        // Without a waiter the end is seen by WaitForEnd only.
        wait_ = nullptr;
    }
}

ElevatedRun::~ElevatedRun() {
    if (wait_ != nullptr) {
        // Returns once a callback under way has finished.
        ::UnregisterWaitEx(wait_, INVALID_HANDLE_VALUE);
    }
}

void CALLBACK ElevatedRun::OnProcessEnded(void* self, BOOLEAN) {
    static_cast<ElevatedRun*>(self)->LetGo();
}

void ElevatedRun::LetGo() noexcept {
    // Only the files: the process handle stays for WaitForEnd to look at.
    batch_.reset();
    log_.reset();
}

bool ElevatedRun::WaitForEnd(DWORD milliseconds) {
    if (!process_) {
        return true;
    }
    return ::WaitForSingleObject(process_.get(), milliseconds) == WAIT_OBJECT_0;
}

} // namespace mirulo::integration
