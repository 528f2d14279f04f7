#include "integration/ShellOperations.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Handles.h"
#include "platform/RecordingHost.h"
#include "platform/Wide.h"
#include "support/TempFolder.h"

namespace mirulo::integration {
namespace {

using platform::HostCall;
using platform::Narrow;
using platform::RecordingHost;

HWND const kOwner = reinterpret_cast<HWND>(0x1234);

struct LaunchCase {
    const char* what;
    std::function<void(platform::Host&)> launch;
    HWND owner;
    std::wstring verb, file, parameters, directory;
    unsigned show;
};

TEST(ShellOperations, EachLaunchCarriesItsVerbFileParametersFolderAndShowCommand) {
    const LaunchCase cases[] = {
        {"picture with its associated program",
         [](platform::Host& h) {
             OpenWithAssociatedProgram(h, kOwner, L"C:\\pics\\20240315_142530_045_固K.png");
         },
         kOwner, L"OPEN", L"C:\\pics\\20240315_142530_045_固K.png", L"", L"", SW_SHOWNORMAL},
        {"picture in the default editor",
         [](platform::Host& h) { OpenInEditor(h, kOwner, L"mspaint", L"C:\\my pics\\a b.png"); }, kOwner,
         L"OPEN", L"mspaint", L"C:\\my pics\\a b.png", L"C:\\my pics\\", SW_SHOWNORMAL},
        {"picture in a chosen editor at the drive's root",
         [](platform::Host& h) { OpenInEditor(h, kOwner, L"D:\\Tools\\edit.exe", L"C:\\a.png"); }, kOwner,
         L"OPEN", L"D:\\Tools\\edit.exe", L"C:\\a.png", L"C:\\", SW_SHOWNORMAL},
        {"folder in Explorer", [](platform::Host& h) { OpenFolderInExplorer(h, kOwner, L"C:\\my pics"); },
         kOwner, L"OPEN", L"explorer.exe", L" /n/e,\"C:\\my pics\"", L"", SW_SHOWNORMAL},
        {"recycle bin", [](platform::Host& h) { OpenRecycleBin(h); }, nullptr, L"open",
         L"shell:::{645FF040-5081-101B-9F08-00AA002F954E}", L"", L"", SW_SHOWNORMAL},
        {"game program", [](platform::Host& h) { StartProgram(h, kOwner, L"C:\\Game\\client.exe"); }, kOwner,
         L"OPEN", L"C:\\Game\\client.exe", L"", L"", SW_SHOWNORMAL},
        {"web page", [](platform::Host& h) { OpenWebPage(h, kOwner, L"https://example.com/sounds"); }, kOwner,
         L"open", L"https://example.com/sounds", L"", L"", SW_SHOWNORMAL},
        {"batch file elevated",
         [](platform::Host& h) { (void)RunBatchElevated(h, kOwner, L"C:\\Mirulo\\Mirulo.bat"); }, kOwner,
         L"runas", L"C:\\Mirulo\\Mirulo.bat", L"", L"", SW_HIDE},
    };
    for (const auto& c : cases) {
        RecordingHost host;
        c.launch(host);
        ASSERT_EQ(host.calls.size(), 1u) << c.what;
        const HostCall& call = host.calls.front();
        EXPECT_EQ(call.kind, HostCall::Kind::ShellLaunch) << c.what;
        EXPECT_EQ(call.owner, c.owner) << c.what;
        EXPECT_EQ(call.caption, c.verb) << c.what;
        EXPECT_EQ(call.text, c.file) << c.what;
        EXPECT_EQ(call.argument, c.parameters) << c.what;
        EXPECT_EQ(call.directory, c.directory) << c.what;
        EXPECT_EQ(call.flags, c.show) << c.what;
    }
}

TEST(ShellOperations, ChooseFolderAsksTheHostAndPassesTheAnswerOn) {
    RecordingHost host;
    host.folderAnswers = {std::wstring(L"C:\\写真"), std::nullopt};
    EXPECT_EQ(ChooseFolder(host, kOwner, L"保存先フォルダ", L"D:\\前"),
              std::optional<std::wstring>(L"C:\\写真"));
    EXPECT_EQ(ChooseFolder(host, kOwner, L"保存先フォルダ", L""), std::nullopt);
    const auto calls = host.CallsOf(HostCall::Kind::BrowseForFolder);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].text, L"保存先フォルダ");
    EXPECT_EQ(calls[0].owner, kOwner);
    EXPECT_EQ(calls[0].directory, L"D:\\前");
}

TEST(GetSpecialFolderPath, FindsSystemAndLocalAppDataFolders) {
    platform::RealHost host;
    std::wstring system = GetSpecialFolderPath(host, nullptr, CSIDL_SYSTEM);
    ASSERT_GE(system.size(), 8u);
    ::CharLowerBuffW(system.data(), static_cast<DWORD>(system.size()));
    EXPECT_EQ(system.substr(system.size() - 8), L"system32") << Narrow(system);

    const std::wstring local = GetSpecialFolderPath(host, nullptr, CSIDL_LOCAL_APPDATA);
    const DWORD attributes = ::GetFileAttributesW(local.c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        << Narrow(local);
}

TEST(GetSpecialFolderPath, UnknownNumberGivesNothing) {
    platform::RealHost host;
    EXPECT_EQ(GetSpecialFolderPath(host, nullptr, 0x7E), L"");
}

// --- Recycle bin ----------------------------------------------------------------

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void MakeFile(const std::wstring& path) {
    platform::UniqueKernelHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file) << "cannot create " << Narrow(path);
}

std::wstring EnvironmentVariable(const wchar_t* name) {
    wchar_t value[MAX_PATH * 2] = {};
    const DWORD length = ::GetEnvironmentVariableW(name, value, static_cast<DWORD>(std::size(value)));
    return length > 0 && length < std::size(value) ? std::wstring(value, length) : std::wstring();
}

// Under Wine the recycle bin is the desktop's trash of the Linux user:
// $XDG_DATA_HOME/Trash, by default ~/.local/share/Trash, reached through Z:.
std::wstring TrashFolder() {
    const std::wstring dataHome = EnvironmentVariable(L"XDG_DATA_HOME");
    if (!dataHome.empty() && dataHome.front() == L'/') {
        std::wstring path = L"Z:" + dataHome + L"/Trash";
        std::replace(path.begin(), path.end(), L'/', L'\\');
        return path;
    }
    std::wstring home = EnvironmentVariable(L"WINEHOMEDIR"); // "\??\Z:\home\user"
    if (home.rfind(L"\\??\\", 0) == 0) {
        home.erase(0, 4);
    }
    return home.empty() ? std::wstring() : home + L"\\.local\\share\\Trash";
}

// Names unique to this run, so that the trash can be checked and cleaned.
std::wstring UniqueName(const wchar_t* stem) {
    return std::wstring(stem) + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
           std::to_wstring(::GetTickCount64()) + L"_固K.png";
}

// The shell asks before it moves anything (no FOF_NOCONFIRMATION), and its
// dialog belongs to the thread that made the call. The move therefore runs on
// a worker thread while this thread answers each dialog with the given button
// and counts the dialogs.
struct Answered {
    RecycleResult result;
    int dialogs = 0;
};

Answered MoveAnswering(const std::vector<std::wstring>& paths, bool silent, int button) {
    struct Work {
        const std::vector<std::wstring>* paths;
        bool silent;
        RecycleResult result;
    } work{&paths, silent, {}};
    DWORD threadId = 0;
    platform::UniqueKernelHandle thread(::CreateThread(
        nullptr, 0,
        [](LPVOID parameter) -> DWORD {
            auto* w = static_cast<Work*>(parameter);
            w->result = MoveToRecycleBin(nullptr, *w->paths, w->silent);
            return 0;
        },
        &work, 0, &threadId));
    EXPECT_TRUE(thread);
    Answered answered;
    std::set<HWND> seen;
    for (int waited = 0; thread && ::WaitForSingleObject(thread.get(), 50) == WAIT_TIMEOUT; waited += 50) {
        if (waited > 20'000) {
            ADD_FAILURE() << "the recycle-bin move did not finish";
            break;
        }
        struct Search {
            HWND dialog = nullptr;
        } search;
        ::EnumThreadWindows(
            threadId,
            [](HWND window, LPARAM parameter) -> BOOL {
                wchar_t className[16] = {};
                ::GetClassNameW(window, className, 16);
                if (std::wstring(className) == L"#32770" && ::IsWindowVisible(window)) {
                    reinterpret_cast<Search*>(parameter)->dialog = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.dialog != nullptr && seen.insert(search.dialog).second) {
            ++answered.dialogs;
            ::PostMessageW(search.dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(search.dialog, button)));
        }
    }
    answered.result = work.result;
    return answered;
}

class MoveToRecycleBinTest : public ::testing::TestWithParam<bool> {
protected:
    testkit::TempFolder temp_{L"mirulo-recycle"};
    std::vector<std::wstring> trashed_;

    void TearDown() override {
        const std::wstring trash = TrashFolder();
        for (const auto& name : trashed_) {
            ::DeleteFileW((trash + L"\\files\\" + name).c_str());
            ::DeleteFileW((trash + L"\\info\\" + name + L".trashinfo").c_str());
        }
    }
};

TEST_P(MoveToRecycleBinTest, MovesEveryListedFileIntoTheTrashAfterOneConfirmation) {
    const bool silent = GetParam();
    const std::wstring trash = TrashFolder();
    ASSERT_FALSE(trash.empty()) << "cannot tell where Wine keeps the trash";
    const std::vector<std::wstring> names = {UniqueName(L"first"), UniqueName(L"二枚目")};
    std::vector<std::wstring> paths;
    for (const auto& name : names) {
        paths.push_back(temp_ / name);
        MakeFile(paths.back());
        trashed_.push_back(name);
    }
    MakeFile(temp_ / L"stays.png");

    const Answered answered = MoveAnswering(paths, silent, IDYES);

    EXPECT_EQ(answered.dialogs, 1);
    EXPECT_TRUE(answered.result.succeeded);
    EXPECT_FALSE(answered.result.aborted);
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_FALSE(Exists(paths[i])) << Narrow(names[i]) << " is still in its folder";
        EXPECT_TRUE(Exists(trash + L"\\files\\" + names[i])) << Narrow(names[i]) << " is not in the trash";
    }
    EXPECT_TRUE(Exists(temp_ / L"stays.png"));
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutProgress, MoveToRecycleBinTest, ::testing::Bool());

TEST(MoveToRecycleBin, DecliningTheConfirmationKeepsTheFileAndReportsAborted) {
    testkit::TempFolder temp(L"mirulo-recycle");
    const std::wstring path = temp / UniqueName(L"declined");
    MakeFile(path);
    const Answered answered = MoveAnswering({path}, false, IDNO);
    EXPECT_EQ(answered.dialogs, 1);
    EXPECT_FALSE(answered.result.succeeded);
    EXPECT_TRUE(answered.result.aborted);
    EXPECT_TRUE(Exists(path));
}

TEST(MoveToRecycleBin, NothingToMoveAsksNothing) {
    const Answered answered = MoveAnswering({}, false, IDYES);
    EXPECT_EQ(answered.dialogs, 0);
    EXPECT_TRUE(answered.result.succeeded);
}

TEST(MoveToRecycleBin, RefusesAListWithAnEmbeddedNul) {
    testkit::TempFolder temp(L"mirulo-recycle");
    const std::wstring kept = temp / L"kept.png";
    MakeFile(kept);
    // Joined into the shell's list, the NUL would end the first path early and
    // the rest would be read as a second path.
    const std::wstring path = temp.path() + std::wstring(1, L'\0') + kept;
    const Answered answered = MoveAnswering({path}, false, IDYES);
    EXPECT_EQ(answered.dialogs, 0);
    EXPECT_FALSE(answered.result.succeeded);
    EXPECT_TRUE(Exists(kept));
    EXPECT_TRUE(Exists(temp.path()));
}

// The shell deletes outright what it is given by a relative path, and cannot
// take a path of MAX_PATH characters or more: it only ever gets full, short ones.
TEST(MoveToRecycleBin, GivesTheShellFullPathsOnly) {
    testkit::TempFolder temp(L"mirulo-recycle");
    wchar_t before[MAX_PATH * 2] = {};
    ::GetCurrentDirectoryW(MAX_PATH * 2, before);
    ASSERT_TRUE(::SetCurrentDirectoryW(temp.path().c_str()));
    const std::wstring full = temp.path();
    const struct {
        const wchar_t* given;
        std::optional<std::wstring> full;
    } cases[] = {
        {L"a.png", full + L"\\a.png"},
        {L"sub\\..\\b.png", full + L"\\b.png"},
        {L"C:\\x\\c.png", std::wstring(L"C:\\x\\c.png")},
        {L"", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ShellFullPath(c.given), c.full) << Narrow(c.given);
    }
    EXPECT_EQ(ShellFullPath(L"C:\\" + std::wstring(MAX_PATH - 4, L'x')),
              L"C:\\" + std::wstring(MAX_PATH - 4, L'x'));
    EXPECT_EQ(ShellFullPath(L"C:\\" + std::wstring(MAX_PATH - 3, L'x')), std::nullopt);
    EXPECT_EQ(ShellFullPath(std::wstring(L"a\0b", 3)), std::nullopt);
    ::SetCurrentDirectoryW(before);
}

} // namespace
} // namespace mirulo::integration
