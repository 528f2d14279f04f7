// The logon task's batch file as it lands on disk under a Japanese code page,
// byte for byte, and the elevated runs it asks the shell for.
#include "integration/LogonTask.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

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

TEST_F(LogonTaskFiles, ASecondChangeLeavesOnlyItsOwnBatchAndNoLogOfTheFirst) {
    LogonTask task = Task(L"C:\\Mirulo\\Mirulo.exe");
    ASSERT_EQ(task.Apply(true), std::nullopt);
    // What the first run's SCHTASKS would have left.
    testkit::WriteFileBytes(Temp() + L"\\Mirulo.log",
                            "SUCCESS: The scheduled task \"Mirulo\" has been created.\r\n");

    ASSERT_EQ(task.Apply(false), std::nullopt);
    EXPECT_EQ(FolderNames(Temp()), std::vector<std::wstring>{L"Mirulo.bat"});
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
    for (const Case& c : {Case{"no Temp folder in the local application data", true},
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
