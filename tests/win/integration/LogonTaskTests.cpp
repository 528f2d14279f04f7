// The logon task's batch file as it lands on disk under a Japanese code page,
// byte for byte, and the elevated runs it asks the shell for.
#include "integration/LogonTask.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/RecordingHost.h"
#include "platform/SystemError.h"
#include "platform/Wide.h"
#include "support/TempFolder.h"

namespace mirulo::integration {
namespace {

using platform::HostCall;
using platform::RecordingHost;
using testkit::FileExists;
using testkit::FolderNames;
using testkit::ReadFileBytes;

HWND const kOwner = reinterpret_cast<HWND>(0x4321);

// CP932 bytes of the Japanese folder names the tests use.
const std::string kSoftwareCp932 = "\x83\x5C\x83\x74\x83\x67"; // ソフト (its second byte is a backslash)
const std::string kMiruloCp932 = "\x83\x7E\x83\x8B\x83\x8D";   // ミルロ
const std::string kLocalCp932 = "\x83\x8D\x81\x5B\x83\x4A\x83\x8B"; // ローカル

// The test's temporary folder as bytes; the system's temporary folder is plain ASCII.
std::string AsciiBytes(const std::wstring& text) {
    std::string bytes;
    for (const wchar_t c : text) {
        EXPECT_LT(static_cast<unsigned>(c), 0x80u) << "not ASCII: " << platform::Narrow(text);
        bytes.push_back(static_cast<char>(c));
    }
    return bytes;
}

class LogonTaskFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::GetACP(), 932u) << "these tests run as on Japanese Windows (LANG=ja_JP.UTF-8 for Wine)";
        ASSERT_TRUE(::CreateDirectoryW(local.c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryW((local + L"\\Temp").c_str(), nullptr));
        host.specialFolders[CSIDL_LOCAL_APPDATA] = local;
        host.specialFolders[CSIDL_SYSTEM] = root / L"system32";
    }

    LogonTask Task(const std::wstring& executable) {
        host.executablePath = executable;
        return LogonTask(host, kOwner, LogonTask::PlacesFor(host, kOwner));
    }

    std::wstring Temp() const { return local + L"\\Temp"; }
    // The log's path as the batch line carries it: the test folder, then ローカル\Temp\Mirulo.log.
    std::string LogBytes() const {
        return AsciiBytes(root.path()) + "\\" + kLocalCp932 + "\\Temp\\Mirulo.log";
    }

    std::vector<HostCall> Runs() const { return host.CallsOf(HostCall::Kind::ShellLaunch); }

    testkit::TempFolder root{L"mirulo-logon"};
    std::wstring local = root / L"ローカル";
    RecordingHost host;
};

TEST_F(LogonTaskFiles, BatchHoldsExactlyOneLineInTheAnsiCodePageAndIsRunElevatedAndHidden) {
    struct Case {
        const char* what;
        std::wstring executable;
        bool registerTask;
        std::string line;
    };
    const Case cases[] = {
        {"path with blanks, unquoted inside the quoted /TR value", L"C:\\Program Files\\My Tools\\Mirulo.exe",
         true,
         "SCHTASKS /Create /RU %USERNAME% /TN Mirulo /TR \"C:\\Program Files\\My Tools\\Mirulo.exe /min\" "
         "/SC ONLOGON /IT /RL HIGHEST /F > \"" +
             LogBytes() + "\""},
        {"Japanese folders in CP932", L"D:\\ソフト\\ミルロ\\Mirulo.exe", true,
         "SCHTASKS /Create /RU %USERNAME% /TN Mirulo /TR \"D:\\" + kSoftwareCp932 + "\\" + kMiruloCp932 +
             "\\Mirulo.exe /min\" /SC ONLOGON /IT /RL HIGHEST /F > \"" + LogBytes() + "\""},
        {"a percent sign doubled for the command interpreter", L"C:\\100%\\Mirulo.exe", true,
         "SCHTASKS /Create /RU %USERNAME% /TN Mirulo /TR \"C:\\100%%\\Mirulo.exe /min\" /SC ONLOGON /IT "
         "/RL HIGHEST /F > \"" +
             LogBytes() + "\""},
        {"the removing line", L"D:\\ソフト\\ミルロ\\Mirulo.exe", false,
         "SCHTASKS /delete /TN Mirulo /F > \"" + LogBytes() + "\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host.calls.clear();
        LogonTask task = Task(c.executable);
        ASSERT_EQ(task.Apply(c.registerTask), std::nullopt);

        EXPECT_EQ(ReadFileBytes(Temp() + L"\\Mirulo.bat"), c.line + "\r\n");
        const auto runs = Runs();
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0].caption, L"runas");
        EXPECT_EQ(runs[0].text, Temp() + L"\\Mirulo.bat");
        EXPECT_EQ(runs[0].argument, L"");
        EXPECT_EQ(runs[0].directory, L"");
        EXPECT_EQ(runs[0].flags, static_cast<unsigned>(SW_HIDE));
        EXPECT_EQ(runs[0].owner, kOwner);
    }
}

TEST_F(LogonTaskFiles, ASecondChangeLeavesOnlyItsOwnBatchAndAnEmptyLogOfItsOwn) {
    LogonTask task = Task(L"C:\\Mirulo\\Mirulo.exe");
    ASSERT_EQ(task.Apply(true), std::nullopt);
    // What the first run's SCHTASKS would have left.
    testkit::WriteFileBytes(Temp() + L"\\Mirulo.log",
                            "SUCCESS: The scheduled task \"Mirulo\" has been created.\r\n");

    ASSERT_EQ(task.Apply(false), std::nullopt);
    EXPECT_EQ(FolderNames(Temp()), (std::vector<std::wstring>{L"Mirulo.bat", L"Mirulo.log"}));
    EXPECT_EQ(ReadFileBytes(Temp() + L"\\Mirulo.log"), "");
    EXPECT_EQ(ReadFileBytes(Temp() + L"\\Mirulo.bat"),
              "SCHTASKS /delete /TN Mirulo /F > \"" + LogBytes() + "\"\r\n");
    EXPECT_EQ(Runs().size(), 2u);
}

TEST_F(LogonTaskFiles, APathTheCodePageCannotCarryIsRefusedWithNothingWrittenOrRun) {
    struct Case {
        const char* what;
        std::wstring executable;
        std::wstring localAppData; // empty: the fixture's
        bool registerTask;
        bool executableIsAtFault;
    };
    const Case cases[] = {
        {"emoji in the program's folder", L"C:\\ゲーム🎮\\Mirulo.exe", L"", true, true},
        {"Hangul in the program's folder", L"C:\\한글\\Mirulo.exe", L"", true, true},
        {"Hangul in the user's folder, registering", L"C:\\Mirulo\\Mirulo.exe", L"한", true, false},
        {"Hangul in the user's folder, removing", L"C:\\Mirulo\\Mirulo.exe", L"한", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host.calls.clear();
        std::wstring temp = Temp();
        if (!c.localAppData.empty()) {
            const std::wstring otherLocal = root / c.localAppData;
            ::CreateDirectoryW(otherLocal.c_str(), nullptr);
            temp = otherLocal + L"\\Temp";
            ::CreateDirectoryW(temp.c_str(), nullptr);
            host.specialFolders[CSIDL_LOCAL_APPDATA] = otherLocal;
        }
        LogonTask task = Task(c.executable);
        EXPECT_EQ(task.Apply(c.registerTask), c.executableIsAtFault ? c.executable : temp + L"\\Mirulo.log");
        EXPECT_TRUE(FolderNames(temp).empty());
        EXPECT_TRUE(Runs().empty());
        host.specialFolders[CSIDL_LOCAL_APPDATA] = local;
    }
}

TEST_F(LogonTaskFiles, ABatchThatCannotBeWrittenIsReportedAndNothingRuns) {
    struct Case {
        const char* what;
        bool knownFolder;
    };
    for (const Case& c : {Case{"the local application-data folder does not exist", true},
                          Case{"no local application-data folder at all", false}}) {
        SCOPED_TRACE(c.what);
        if (c.knownFolder) {
            host.specialFolders[CSIDL_LOCAL_APPDATA] = root / L"nowhere";
        } else {
            host.specialFolders.erase(CSIDL_LOCAL_APPDATA);
        }
        LogonTask task = Task(L"C:\\Mirulo\\Mirulo.exe");
        EXPECT_THROW((void)task.Apply(true), platform::UserError);
        EXPECT_TRUE(Runs().empty());
    }
}

TEST_F(LogonTaskFiles, AMissingTempFolderIsCreated) {
    ASSERT_TRUE(::RemoveDirectoryW(Temp().c_str()));
    LogonTask task = Task(L"C:\\Mirulo\\Mirulo.exe");
    ASSERT_EQ(task.Apply(true), std::nullopt);
    EXPECT_EQ(ReadFileBytes(Temp() + L"\\Mirulo.bat").rfind("SCHTASKS /Create ", 0), 0u);
    EXPECT_EQ(Runs().size(), 1u);
}

// Whoever can write the temporary folder (every program of the user) must not
// be able to change what runs elevated, nor make the elevated run write
// elsewhere. The checks open the files as another program would; sharing is
// decided per open file, whichever process asks.
TEST_F(LogonTaskFiles, WhileTheRunIsPendingNobodyCanChangeDeleteOrRenameTheBatchOrTheLog) {
    const HANDLE running = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    host.launchedProcess = running;
    LogonTask task = Task(L"C:\\Mirulo\\Mirulo.exe");
    ASSERT_EQ(task.Apply(true), std::nullopt);
    const std::wstring batch = Temp() + L"\\Mirulo.bat";
    const std::wstring log = Temp() + L"\\Mirulo.log";
    const std::string line = ReadFileBytes(batch);

    const auto open = [](const std::wstring& path, DWORD access, DWORD share) {
        const HANDLE file = ::CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr);
        const DWORD error = file == INVALID_HANDLE_VALUE ? ::GetLastError() : ERROR_SUCCESS;
        if (file != INVALID_HANDLE_VALUE) {
            ::CloseHandle(file);
        }
        return error;
    };
    constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    for (const std::wstring& path : {batch, log}) {
        SCOPED_TRACE(platform::Narrow(path));
        EXPECT_FALSE(::DeleteFileW(path.c_str()));
        EXPECT_FALSE(::MoveFileW(path.c_str(), (path + L".moved").c_str()));
        EXPECT_EQ(open(path, DELETE, kShareAll), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    }
    EXPECT_EQ(open(batch, GENERIC_WRITE, kShareAll), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(open(batch, FILE_APPEND_DATA, kShareAll), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    // What the elevated run needs: the command interpreter reads the batch, and
    // its redirection writes the log.
    EXPECT_EQ(open(batch, GENERIC_READ, kShareAll), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(open(log, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE),
              static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(ReadFileBytes(batch), line);

    // Once the run has ended the files are let go, without anything done on the window's side.
    ::SetEvent(running);
    bool deleted = false;
    for (int i = 0; i < 100 && !deleted; ++i) {
        deleted = ::DeleteFileW(batch.c_str()) != FALSE;
        ::Sleep(50);
    }
    EXPECT_TRUE(deleted) << "the batch is still held after the run ended";
    EXPECT_TRUE(::DeleteFileW(log.c_str()));
    ::CloseHandle(running);
}

TEST_F(LogonTaskFiles, ASecondChangeWhileTheFirstRunIsPendingWaitsForItsEnd) {
    const HANDLE running = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    host.launchedProcess = running;
    LogonTask task = Task(L"C:\\Mirulo\\Mirulo.exe");
    ASSERT_EQ(task.Apply(true), std::nullopt);
    // The first run ends a moment after the second change begins.
    const HANDLE ender = ::CreateThread(
        nullptr, 0,
        [](void* event) -> DWORD {
            ::Sleep(300);
            ::SetEvent(static_cast<HANDLE>(event));
            return 0;
        },
        running, 0, nullptr);
    EXPECT_EQ(task.Apply(false), std::nullopt);
    EXPECT_EQ(ReadFileBytes(Temp() + L"\\Mirulo.bat"),
              "SCHTASKS /delete /TN Mirulo /F > \"" + LogBytes() + "\"\r\n");
    EXPECT_EQ(Runs().size(), 2u);
    ::WaitForSingleObject(ender, 5000);
    ::CloseHandle(ender);
    ::CloseHandle(running);
}

TEST_F(LogonTaskFiles, ANameThatCannotBeCreatedAnewStopsTheRunWithOneError) {
    struct Case {
        const char* what;
        const wchar_t* name;
        std::function<HANDLE(const std::wstring&)> place; // returns a handle to close afterwards, or nullptr
    };
    const auto heldOpen = [](const std::wstring& path) {
        testkit::WriteFileBytes(path, "echo planted\r\n");
        return ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    };
    const auto readOnly = [](const std::wstring& path) -> HANDLE {
        testkit::WriteFileBytes(path, "echo planted\r\n");
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
        return nullptr;
    };
    const auto folder = [](const std::wstring& path) -> HANDLE {
        ::CreateDirectoryW(path.c_str(), nullptr);
        return nullptr;
    };
    const Case cases[] = {
        {"a batch held open by another program", L"Mirulo.bat", heldOpen},
        {"a read-only batch", L"Mirulo.bat", readOnly},
        {"a folder named like the batch", L"Mirulo.bat", folder},
        {"a log held open by another program", L"Mirulo.log", heldOpen},
        {"a read-only log", L"Mirulo.log", readOnly},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host.calls.clear();
        const std::wstring path = Temp() + L"\\" + c.name;
        const HANDLE held = c.place(path);
        LogonTask task = Task(L"C:\\Mirulo\\Mirulo.exe");
        try {
            (void)task.Apply(true);
            ADD_FAILURE() << "no error";
        } catch (const platform::UserError& error) {
            EXPECT_NE(platform::Widen(error.what()).find(path), std::wstring::npos) << error.what();
        }
        EXPECT_TRUE(Runs().empty());
        // Neither the batch nor the log of a run that did not happen, but what was there.
        EXPECT_EQ(FolderNames(Temp()), std::vector<std::wstring>{c.name});
        if (held != nullptr && held != INVALID_HANDLE_VALUE) {
            ::CloseHandle(held);
        }
        if ((::GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            EXPECT_EQ(ReadFileBytes(path), "echo planted\r\n") << "the planted file was changed";
        }
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(path.c_str());
        ::RemoveDirectoryW(path.c_str());
        ::DeleteFileW((Temp() + L"\\Mirulo.bat").c_str());
        ::DeleteFileW((Temp() + L"\\Mirulo.log").c_str());
    }
}

TEST_F(LogonTaskFiles, ALinkInThePlaceOfTheBatchOrTheLogIsRemovedNotFollowed) {
    const std::wstring target = root / L"elsewhere.txt";
    for (const wchar_t* name : {L"Mirulo.bat", L"Mirulo.log"}) {
        SCOPED_TRACE(platform::Narrow(name));
        testkit::WriteFileBytes(target, "not to be touched");
        const std::wstring link = Temp() + L"\\" + name;
        if (!::CreateSymbolicLinkW(link.c_str(), target.c_str(), 0)) {
            GTEST_SKIP() << "no symbolic links here (error " << ::GetLastError() << ")";
        }
        LogonTask task = Task(L"C:\\Mirulo\\Mirulo.exe");
        ASSERT_EQ(task.Apply(true), std::nullopt);
        EXPECT_EQ(ReadFileBytes(target), "not to be touched");
        EXPECT_EQ(::GetFileAttributesW(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
    }
}

TEST_F(LogonTaskFiles, TheTaskCountsAsRegisteredExactlyWhileItsDefinitionFileExists) {
    LogonTask task = Task(L"C:\\Mirulo\\Mirulo.exe");
    EXPECT_FALSE(task.IsRegistered());
    ASSERT_TRUE(::CreateDirectoryW((root / L"system32").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW((root / L"system32\\Tasks").c_str(), nullptr));
    testkit::WriteFileBytes(root / L"system32\\Tasks\\Mirulo", "<Task/>");
    EXPECT_TRUE(task.IsRegistered());
}

} // namespace
} // namespace mirulo::integration
