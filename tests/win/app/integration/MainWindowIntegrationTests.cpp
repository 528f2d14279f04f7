// Start at logon and the game client as the main window drives them: the
// start-up check and launch, the logon box, and choosing the program.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/Wide.h"
#include "support/RunningProgram.h"
#include "support/MainWindowTest.h"

using namespace mirulo;

namespace {

using platform::HostCall;
using testkit::FileExists;
using testkit::ReadFileBytes;

class MainWindowIntegration : public testkit::MainWindowTest {
protected:
    void SetUp() override {
        ASSERT_EQ(::GetACP(), 932u) << "these tests run as on Japanese Windows (LANG=ja_JP.UTF-8 for Wine)";
        for (const wchar_t* sub : {L"\\local", L"\\local\\Temp", L"\\system32", L"\\system32\\Tasks"}) {
            ASSERT_TRUE(::CreateDirectoryW((program.path() + sub).c_str(), nullptr));
        }
        host.specialFolders[CSIDL_LOCAL_APPDATA] = program / L"local";
        host.specialFolders[CSIDL_SYSTEM] = program / L"system32";
    }

    std::wstring BatchPath() const { return program / L"local\\Temp\\Mirulo.bat"; }
    std::wstring LogPath() const { return program / L"local\\Temp\\Mirulo.log"; }
    std::string LogBytes() const { return platform::Narrow(LogPath()); } // ASCII here
    std::string RegisteringLine() const {
        return "SCHTASKS /Create /RU %USERNAME% /TN Mirulo /TR \"" + platform::Narrow(host.executablePath) +
               " /min\" /SC ONLOGON /IT /RL HIGHEST /F > \"" + LogBytes() + "\"\r\n";
    }

    void TaskDefinitionPresent() { testkit::WriteFileBytes(program / L"system32\\Tasks\\Mirulo", "<Task/>"); }

    std::vector<HostCall> Launches() const { return host.CallsOf(HostCall::Kind::ShellLaunch); }

    // Users may add to, write and delete it; nobody else but administrators and the system.
    void GrantUsersWrite(const std::wstring& path) {
        host.accessLists[path] = L"D:P(A;;FA;;;BA)(A;;FA;;;SY)(A;;0x110006;;;BU)";
    }
    // Clicks the box as the user does; the widget toggles before the handler runs.
    void ClickAutoStart() { ::SendMessageW(driver().StartAtLogonBox().hwnd(), BM_CLICK, 0, 0); }
};

// --- Start at logon -------------------------------------------------------------

TEST_F(MainWindowIntegration, AStartWithTheTaskDefinedTicksTheBoxAndRegistersTheTaskAgainElevated) {
    TaskDefinitionPresent();
    Start();
    EXPECT_TRUE(driver().StartAtLogonBox().Checked());
    const auto launches = Launches();
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].caption, L"runas");
    EXPECT_EQ(launches[0].text, BatchPath());
    EXPECT_EQ(launches[0].flags, static_cast<unsigned>(SW_HIDE));
    EXPECT_EQ(launches[0].owner, window->hwnd());
    EXPECT_EQ(ReadFileBytes(BatchPath()), RegisteringLine());
}

TEST_F(MainWindowIntegration, AStartWithoutTheTaskDefinedRunsNothing) {
    Start();
    EXPECT_FALSE(driver().StartAtLogonBox().Checked());
    EXPECT_TRUE(Launches().empty());
    EXPECT_FALSE(FileExists(BatchPath()));
}

TEST_F(MainWindowIntegration, TheBoxRegistersAndRemovesTheTaskAndWritesTheSettings) {
    Start();
    for (const bool on : {true, false}) {
        SCOPED_TRACE(on ? "ticked" : "unticked");
        host.calls.clear();
        ASSERT_TRUE(::DeleteFileW(SettingsPath().c_str()));
        ClickAutoStart();
        EXPECT_EQ(driver().StartAtLogonBox().Checked(), on);
        EXPECT_EQ(ReadFileBytes(BatchPath()),
                  on ? RegisteringLine() : "SCHTASKS /delete /TN Mirulo /F > \"" + LogBytes() + "\"\r\n");
        ASSERT_EQ(Launches().size(), 1u);
        EXPECT_EQ(Launches()[0].caption, L"runas");
        EXPECT_TRUE(FileExists(SettingsPath()));
        EXPECT_TRUE(host.Messages().empty());
    }
}

TEST_F(MainWindowIntegration, ABatchFileThatCannotBeWrittenIsReportedWithNothingRunAndNoSettingsWritten) {
    Start();
    // A file of that name that cannot be replaced; nothing is run through it.
    testkit::WriteFileBytes(BatchPath(), "echo planted\r\n");
    ASSERT_TRUE(::SetFileAttributesW(BatchPath().c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(::DeleteFileW(SettingsPath().c_str()));
    host.calls.clear();
    ClickAutoStart();
    const auto messages = host.CallsOf(HostCall::Kind::Message);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, L"ミルロ");
    EXPECT_NE(messages[0].text.find(BatchPath()), std::wstring::npos) << platform::Narrow(messages[0].text);
    EXPECT_TRUE(Launches().empty());
    EXPECT_FALSE(FileExists(SettingsPath()));
    EXPECT_EQ(ReadFileBytes(BatchPath()), "echo planted\r\n");
    ::SetFileAttributesW(BatchPath().c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A new Wine prefix has no Temp folder in the local application data.
TEST_F(MainWindowIntegration, TickingTheBoxWithoutATempFolderCreatesItAndRegistersTheTask) {
    Start();
    ASSERT_TRUE(::RemoveDirectoryW((program / L"local\\Temp").c_str()));
    host.calls.clear();
    ClickAutoStart();
    EXPECT_TRUE(host.Messages().empty());
    EXPECT_EQ(ReadFileBytes(BatchPath()), RegisteringLine());
    ASSERT_EQ(Launches().size(), 1u);
    EXPECT_EQ(Launches()[0].caption, L"runas");
    EXPECT_TRUE(driver().StartAtLogonBox().Checked());
}

TEST_F(MainWindowIntegration, ABatchThatCannotBeWrittenAtStartIsReportedOnceAndTheStartGoesOn) {
    MakeSaveFolder();
    testkit::WriteFileBytes(saves + L"\\20240101_120000_000_全K.png", "PNG");
    TaskDefinitionPresent();
    testkit::WriteFileBytes(BatchPath(), "echo planted\r\n");
    ASSERT_TRUE(::SetFileAttributesW(BatchPath().c_str(), FILE_ATTRIBUTE_READONLY));
    Start(SaveFolderLine() + "bl_chkRND01=1\r\nbl_chkRND02=0\r\n");

    const auto messages = host.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(BatchPath()), std::wstring::npos) << platform::Narrow(messages[0]);
    EXPECT_TRUE(Launches().empty());
    // The steps after the logon task ran: the picture list, the end of the
    // construction (which the sound categories wait for) and its last write.
    EXPECT_FALSE(driver().Constructing());
    EXPECT_EQ(driver().PictureList().Count(), 1);
    EXPECT_EQ(window->pager().ActivePageIndex(), 0);
    ::SetFileAttributesW(BatchPath().c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The program's folder, the program or its settings file changeable by
// ordinary users: told once, and the task is registered all the same.
TEST_F(MainWindowIntegration, AnUnsafePlaceIsToldOnceWhenTheTaskIsRegistered) {
    testkit::WriteFileBytes(host.executablePath, "MZ");
    const std::wstring folder = program.path();
    struct Case {
        const char* what;
        std::wstring place;
        bool atStart; // the task exists and the start registers it again
    };
    const Case cases[] = {
        {"the folder, ticked by the user", folder, false},
        {"the program file, at start", host.executablePath, true},
        {"the settings file, ticked by the user", SettingsPath(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host.calls.clear();
        ::DeleteFileW((program / L"system32\\Tasks\\Mirulo").c_str());
        if (c.atStart) {
            TaskDefinitionPresent();
        } else {
            Start();
            host.calls.clear();
        }
        GrantUsersWrite(c.place);
        if (c.atStart) {
            Start();
        } else {
            ClickAutoStart();
        }
        const auto messages = host.Messages();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].rfind(L"【お知らせ】", 0), 0u);
        EXPECT_NE(messages[0].find(folder + L"\r\n"), std::wstring::npos) << platform::Narrow(messages[0]);
        EXPECT_NE(messages[0].find(L"Program Files"), std::wstring::npos);
        EXPECT_EQ(Launches().size(), 1u) << "the task is registered all the same";
        EXPECT_TRUE(driver().StartAtLogonBox().Checked());

        // Unticking removes the task and says nothing.
        host.calls.clear();
        ClickAutoStart();
        EXPECT_TRUE(host.Messages().empty());
        window.reset();
        host.accessLists.clear();
    }
}

TEST_F(MainWindowIntegration, AProgramPathTheCodePageCannotCarryIsRefusedAndTheBoxGoesBack) {
    const std::wstring programFolder = program / L"한";
    ASSERT_TRUE(::CreateDirectoryW(programFolder.c_str(), nullptr));
    host.executablePath = programFolder + L"\\Mirulo.exe";
    const std::wstring expected = L"【お知らせ】Windows起動時の自動実行を設定できません\r\n\r\n"
                                  L"次のパスに、この環境の文字コードで表せない文字が含まれています\r\n" +
                                  host.executablePath;
    struct Case {
        const char* what;
        bool taskDefined;
    };
    for (const Case& c :
         {Case{"ticked by the user", false}, Case{"ticked at start-up from the task file", true}}) {
        SCOPED_TRACE(c.what);
        host.calls.clear();
        if (c.taskDefined) {
            TaskDefinitionPresent();
        }
        Start();
        if (!c.taskDefined) {
            ASSERT_TRUE(::DeleteFileW(SettingsPath().c_str()));
            ClickAutoStart();
            EXPECT_FALSE(FileExists(SettingsPath()));
        }
        EXPECT_EQ(host.Messages(), std::vector<std::wstring>{expected});
        EXPECT_FALSE(driver().StartAtLogonBox().Checked());
        EXPECT_TRUE(Launches().empty());
        EXPECT_FALSE(FileExists(BatchPath()));
        window.reset();
    }
}

// --- Game client ----------------------------------------------------------------

TEST_F(MainWindowIntegration, TheStartUpLaunchOpensTheChosenProgramUnlessAClientRuns) {
    const std::wstring game = program / L"ゲーム.exe";
    testkit::WriteFileBytes(game, "MZ");
    const std::wstring missing = program / L"gone\\UO.exe";
    struct Case {
        const char* what;
        bool enabled;
        std::wstring program;
        const wchar_t* runningClient; // a process of this name runs during the start
        std::vector<std::wstring> messages;
        bool launched;
    };
    const Case cases[] = {
        {"option off", false, game, nullptr, {}, false},
        {"no program chosen", true, L"", nullptr, {L"[Not Found] "}, false},
        {"program missing", true, missing, nullptr, {L"[Not Found] " + missing}, false},
        {"program there, no client running", true, game, nullptr, {}, true},
        {"program there, assist tool running but no client", true, game, L"UOAssist.exe", {}, true},
        {"client running", true, game, L"client.exe", {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host.calls.clear();
        StoreSettings(std::string("ExecUOEnabled=") + (c.enabled ? "1" : "0") +
                      "\r\nExecUOApp=" + platform::Narrow(c.program) + "\r\n");
        std::unique_ptr<testkit::RunningProgram> client;
        if (c.runningClient != nullptr) {
            client = std::make_unique<testkit::RunningProgram>(program.path(), c.runningClient);
            ASSERT_TRUE(client->started());
        }
        Start();
        EXPECT_EQ(host.Messages(), c.messages);
        const auto launches = Launches();
        ASSERT_EQ(launches.size(), c.launched ? 1u : 0u);
        if (c.launched) {
            EXPECT_EQ(launches[0].caption, L"OPEN");
            EXPECT_EQ(launches[0].text, game);
            EXPECT_EQ(launches[0].argument, L"");
            EXPECT_EQ(launches[0].directory, L"");
            EXPECT_EQ(launches[0].flags, static_cast<unsigned>(SW_SHOWNORMAL));
            EXPECT_EQ(launches[0].owner, window->hwnd());
        }
        window.reset();
    }
}

TEST_F(MainWindowIntegration, SwitchingTheOptionOnStartsNothingAndEnablesTheChooser) {
    Start();
    ASSERT_FALSE(driver().GameClientButton().Enabled());
    ::SendMessageW(driver().GameClientAtStartBox().hwnd(), BM_CLICK, 0, 0);
    EXPECT_TRUE(driver().GameClientButton().Enabled());
    EXPECT_TRUE(driver().GameClientLabel().Enabled());
    EXPECT_TRUE(Launches().empty());
    EXPECT_NE(ReadFileBytes(SettingsPath()).find("ExecUOEnabled=1\r\n"), std::string::npos);
}

TEST_F(MainWindowIntegration, ChoosingTheProgramShowsItsNameAndStoresItAndCancellingChangesNothing) {
    StoreSettings("ExecUOEnabled=1\r\nExecUOApp=D:\\UO\\UO.exe\r\n");
    Start();
    const std::wstring chosen = L"C:\\Program Files (x86)\\UOAssist\\UOAssist.exe";

    ASSERT_TRUE(::DeleteFileW(SettingsPath().c_str()));
    driver().GameClientButton().Click(); // cancelled
    EXPECT_EQ(window->GameClientPath(), L"D:\\UO\\UO.exe");
    EXPECT_FALSE(FileExists(SettingsPath()));

    host.fileAnswers = {chosen};
    driver().GameClientButton().Click();
    const auto dialogs = host.CallsOf(HostCall::Kind::OpenFile);
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(dialogs[1].directory, L"D:\\UO");
    EXPECT_EQ(dialogs[1].owner, window->hwnd());
    EXPECT_EQ(window->GameClientPath(), chosen);
    EXPECT_EQ(driver().GameClientLabel().Caption(), L"UOAssist.exe");
    EXPECT_NE(ReadFileBytes(SettingsPath()).find("ExecUOApp=" + platform::Narrow(chosen) + "\r\n"),
              std::string::npos);
    EXPECT_TRUE(Launches().empty());
}

} // namespace
