// The game client: which running processes count as a client, which program
// the start-up launch opens, and where the program chooser opens.
#include "integration/GameClient.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/RecordingHost.h"
#include "platform/Wide.h"
#include "support/RunningProgram.h"
#include "support/TempFolder.h"

namespace mirulo::integration {
namespace {

using platform::HostCall;
using platform::RecordingHost;

HWND const kOwner = reinterpret_cast<HWND>(0x5678);

TEST(GameClientRunning, OnlyTheTwoClientNamesInTheirExactLetterCaseCount) {
    ASSERT_FALSE(IsGameClientRunning()) << "a game client runs already; the cases below would mean nothing";
    struct Case {
        const wchar_t* name;
        bool counts;
    };
    const Case cases[] = {
        {L"client.exe", true}, {L"UOSA.exe", true},      {L"Client.exe", false},
        {L"uosa.exe", false},  {L"UOAssist.exe", false}, {L"uopatch.exe", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(platform::Narrow(c.name));
        testkit::TempFolder folder{L"mirulo-client"};
        {
            testkit::RunningProgram program(folder.path(), c.name);
            ASSERT_TRUE(program.started());
            EXPECT_EQ(IsGameClientRunning(), c.counts);
        }
        EXPECT_FALSE(IsGameClientRunning());
    }
}

TEST(GameClientStart, AnExistingProgramIsOpenedAsItIsAndAMissingOneIsNot) {
    testkit::TempFolder folder{L"mirulo-game"};
    const std::wstring program = folder / L"UO Client.exe";
    testkit::WriteFileBytes(program, "MZ");
    struct Case {
        const char* what;
        std::wstring path;
        bool started;
    };
    const Case cases[] = {
        {"existing file with a blank in its name", program, true},
        {"empty path", L"", false},
        {"missing file", folder / L"gone.exe", false},
        {"a folder, not a file", folder.path(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingHost host;
        GameClient game(host, kOwner);
        EXPECT_EQ(game.Start(c.path), c.started);
        const auto launches = host.CallsOf(HostCall::Kind::ShellLaunch);
        ASSERT_EQ(launches.size(), c.started ? 1u : 0u);
        if (c.started) {
            EXPECT_EQ(launches[0].caption, L"OPEN");
            EXPECT_EQ(launches[0].text, c.path);
            EXPECT_EQ(launches[0].argument, L"");
            EXPECT_EQ(launches[0].directory, L"");
            EXPECT_EQ(launches[0].flags, static_cast<unsigned>(SW_SHOWNORMAL));
            EXPECT_EQ(launches[0].owner, kOwner);
        }
    }
}

TEST(GameClientChooser, OpensInTheChosenFolderElseTheFirstInstalledDefaultElseTheDriveRoot) {
    testkit::TempFolder folder{L"mirulo-defaults"};
    for (const wchar_t* sub : {L"\\Enhanced", L"\\UOAssist", L"\\2D"}) {
        ASSERT_TRUE(::CreateDirectoryW((folder.path() + sub).c_str(), nullptr));
    }
    const std::wstring enhanced = folder / L"Enhanced\\uopatch.exe";
    const std::wstring assist = folder / L"UOAssist\\UOAssist.exe";
    const std::wstring classic = folder / L"2D\\UO.exe";
    testkit::WriteFileBytes(assist, "MZ");
    testkit::WriteFileBytes(classic, "MZ");
    const std::wstring_view defaults[] = {enhanced, assist, classic};
    const std::wstring_view none[] = {enhanced};

    struct Case {
        const char* what;
        std::wstring chosen;
        std::span<const std::wstring_view> defaults;
        std::wstring folder;
    };
    const Case cases[] = {
        {"chosen program's folder, even when the program is gone", L"D:\\Games\\UO\\gone.exe", defaults,
         L"D:\\Games\\UO"},
        {"chosen program at a drive's root", L"E:\\UO.exe", defaults, L"E:\\"},
        {"first default that exists", L"", defaults, folder / L"UOAssist"},
        {"no default installed", L"", none, L"C:\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingHost host;
        host.fileAnswers = {std::wstring(L"C:\\Games\\UOSA.exe")};
        GameClient game(host, kOwner);
        EXPECT_EQ(game.Choose(c.chosen, c.defaults), std::optional<std::wstring>(L"C:\\Games\\UOSA.exe"));
        const auto dialogs = host.CallsOf(HostCall::Kind::OpenFile);
        ASSERT_EQ(dialogs.size(), 1u);
        EXPECT_EQ(dialogs[0].directory, c.folder);
        EXPECT_EQ(dialogs[0].argument, std::wstring(L"uopatch.exe / UOAssist.exe / UO.exe \0*.exe", 42));
        EXPECT_EQ(dialogs[0].owner, kOwner);
    }
}

} // namespace
} // namespace mirulo::integration
