// Mirulo.exe as a hostile machine treats it: other programs holding its
// settings file and the clipboard, read-only and full volumes, damaged settings
// and kill -9 in the middle of a save. Every case ends the same way: the
// settings file holds the user's lines, every picture in the folder is a valid
// PNG with no temporary file beside it, the boxes shown are counted, and the
// hot key (F5, full screen) still captures.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "support/Desktop.h"
#include "support/GameWindow.h"
#include "support/Messages.h"
#include "support/MiruloProcess.h"
#include "support/TempFolder.h"

using namespace mirulo::testkit;

namespace {

constexpr wchar_t kClass[] = L"Tfm_Mirulo";
const std::wstring kSettingsName = L"Mirulo.exe_ユーザー設定.ini";
constexpr char kBom[] = "\xEF\xBB\xBF";

std::string LinuxPath(const std::wstring& windowsPath) {
    using ToUnix = char*(__cdecl*)(LPCWSTR);
    static const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (toUnix == nullptr) {
        return {};
    }
    char* path = toUnix(windowsPath.c_str());
    std::string result = path != nullptr ? path : "";
    ::HeapFree(::GetProcessHeap(), 0, path);
    return result;
}

std::string Utf8(const std::wstring& text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr,
                                           0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), size,
                          nullptr, nullptr);
    return bytes;
}

// What the test cannot do from inside Wine, fault-agent does on the Linux side
// (started by the fixture that mounts the volumes): kill -9 of the program's
// Wine process, pngcheck of a folder. Returns the exit status and the output.
struct AgentAnswer {
    int status = -1;
    std::string output;
};

AgentAnswer AskAgent(const std::string& request) {
    static int count = 0;
    const std::wstring requests = BuildTreePath(MIRULO_FAULT_VOLUMES) + L"\\requests\\";
    const std::wstring name =
        requests + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++count);
    WriteFileBytes(name + L".part", request + "\n");
    if (!::MoveFileW((name + L".part").c_str(), (name + L".req").c_str())) {
        return {-1, "cannot hand the request to fault-agent: is the fixture e2e_faults_volumes_mount run?"};
    }
    const ULONGLONG until = ::GetTickCount64() + 30000;
    while (!FileExists(name + L".out") && ::GetTickCount64() < until) {
        ::Sleep(50);
    }
    if (!FileExists(name + L".out")) {
        ::DeleteFileW((name + L".req").c_str());
        return {-1, "fault-agent did not answer within 30 s (see its agent.log)"};
    }
    const std::string answer = ReadFileBytes(name + L".out");
    ::DeleteFileW((name + L".out").c_str());
    const std::size_t lineEnd = answer.find('\n');
    return {std::atoi(answer.substr(0, lineEnd).c_str()),
            lineEnd == std::string::npos ? std::string() : answer.substr(lineEnd + 1)};
}

void Type(const std::wstring& arguments) {
    std::wstring why;
    EXPECT_TRUE(XDoTool(arguments, &why)) << Utf8(why);
}

struct Box {
    HWND hwnd;
    std::wstring text;
};

std::vector<Box> OpenBoxes(DWORD processId) {
    struct Search {
        DWORD processId;
        std::vector<Box> boxes;
    } search{processId, {}};
    ::EnumWindows(
        [](HWND hwnd, LPARAM lParam) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            wchar_t name[32] = {};
            ::GetClassNameW(hwnd, name, 32);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(hwnd, &owner);
            if (owner == s->processId && std::wstring(name) == L"#32770" && ::IsWindowVisible(hwnd)) {
                Box box{hwnd, {}};
                ::EnumChildWindows(
                    hwnd,
                    [](HWND child, LPARAM boxParam) -> BOOL {
                        wchar_t childClass[32] = {};
                        ::GetClassNameW(child, childClass, 32);
                        if (std::wstring(childClass) == L"Static") {
                            wchar_t text[2048] = {};
                            ::GetWindowTextW(child, text, 2048);
                            reinterpret_cast<Box*>(boxParam)->text += text;
                        }
                        return TRUE;
                    },
                    reinterpret_cast<LPARAM>(&box));
                s->boxes.push_back(box);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.boxes;
}

// Another thread keeps the clipboard open, as another program would.
struct ClipboardHolder {
    HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE opened = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = nullptr;
    void Hold() {
        thread = ::CreateThread(
            nullptr, 0,
            [](void* self) -> DWORD {
                auto* holder = static_cast<ClipboardHolder*>(self);
                const BOOL open = ::OpenClipboard(nullptr);
                ::SetEvent(holder->opened);
                ::WaitForSingleObject(holder->release, 60000);
                if (open) {
                    ::CloseClipboard();
                }
                return 0;
            },
            this, 0, nullptr);
        ::WaitForSingleObject(opened, 5000);
    }
    void Release() {
        ::SetEvent(release);
        ::WaitForSingleObject(thread, 5000);
    }
};

class FaultInjection;
void StartAndPressF5(FaultInjection& f);

// One row of the table. Each step may be left empty.
struct FaultCase {
    const char* name;
    // Lines under [System] after "Folder=<saves>"; a file of other bytes when
    // `rawSettings` is set.
    std::string settings;
    std::optional<std::string> rawSettings;
    std::function<void(FaultInjection&)> arrange; // before the start
    std::function<void(FaultInjection&)> act;     // while the program runs (default: press F5)
    std::function<void(FaultInjection&)> mend;    // the fault goes away (lock released, space freed)
    std::function<void(FaultInjection&)> check;   // what else must hold afterwards
    int boxes;                                    // message boxes shown, in all
    bool userLinesKept = true;                    // the user's settings lines survive byte for byte
    bool hotKeyAfter = true;                      // F5 still captures after the fault is gone
};

class FaultInjection : public ::testing::TestWithParam<FaultCase> {
public:
    std::wstring programFolder;
    std::wstring saves;
    std::unique_ptr<MiruloProcess> mirulo;
    HWND window = nullptr;
    int boxesSeen = 0;
    int mostBoxesAtOnce = 0;
    std::vector<std::wstring> boxTexts;
    std::set<HWND> answered;
    std::vector<HANDLE> held;
    ClipboardHolder clipboard;
    std::string settingsBefore;

    std::wstring SettingsPath() const { return programFolder + L"\\" + kSettingsName; }
    std::string UserLines() const {
        return "Folder=" + Utf8(saves) + "\r\nKey3Number=6\r\nKey3AddNumber=0\r\n";
    }

    void WriteSettings(const FaultCase& c) {
        WriteFileBytes(SettingsPath(), c.rawSettings
                                           ? *c.rawSettings
                                           : std::string(kBom) + "[System]\r\n" + UserLines() + c.settings);
    }

    void Launch(const wchar_t* pauseBeforeRenameOf = nullptr) {
        const std::wstring built =
            BuildTreePath(pauseBeforeRenameOf != nullptr ? MIRULO_BINARY_DIR "/tests/MiruloFaultPoints.exe"
                                                         : MIRULO_BINARY_DIR "/bin/Mirulo.exe");
        if (programFolder == folder.path()) {
            ::CopyFileW(built.c_str(), (programFolder + L"\\Mirulo.exe").c_str(), FALSE);
        }
        ::SetEnvironmentVariableW(L"MIRULO_PAUSE_BEFORE_RENAME", pauseBeforeRenameOf);
        ::SetEnvironmentVariableW(L"MIRULO_FAULT_RUN", folderMarker().c_str());
        mirulo = std::make_unique<MiruloProcess>(programFolder + L"\\Mirulo.exe");
        ::SetEnvironmentVariableW(L"MIRULO_PAUSE_BEFORE_RENAME", nullptr);
        ::SetEnvironmentVariableW(L"MIRULO_FAULT_RUN", nullptr);
    }

    void Start(const wchar_t* pauseBeforeRenameOf = nullptr) {
        Launch(pauseBeforeRenameOf);
        // Paused during its construction, the window never shows.
        Shown(pauseBeforeRenameOf != nullptr && std::wstring(pauseBeforeRenameOf) == L"ini");
    }

    void Shown(bool pausedAtStart = false) {
        window = nullptr;
        // A box shown during the start keeps the window hidden until it is answered.
        for (int i = 0; i < 300 && !pausedAtStart && window == nullptr; ++i) {
            AnswerBoxes(100);
            window = WaitForWindow(kClass, mirulo->id(), 0);
        }
    }

    // Answers every box that shows within `ms`, counting them.
    void AnswerBoxes(DWORD ms) {
        const ULONGLONG until = ::GetTickCount64() + ms;
        while (::GetTickCount64() < until) {
            const std::vector<Box> boxes = OpenBoxes(mirulo->id());
            mostBoxesAtOnce = std::max(mostBoxesAtOnce, static_cast<int>(boxes.size()));
            for (const Box& box : boxes) {
                if (answered.insert(box.hwnd).second) {
                    ++boxesSeen;
                    boxTexts.push_back(box.text);
                    ::PostMessageW(box.hwnd, WM_COMMAND, IDOK, 0);
                }
            }
            PumpMessagesFor(50);
        }
    }

    // F5 pressed while the game has the keyboard, as a player presses it: the
    // program's own window may have lost it to a box that was answered.
    void PressF5() {
        if (!game) {
            // In the screen's far corner, away from the program's window and the picker's clicks.
            game = std::make_unique<GameWindow>(RECT{1680, 880, 1900, 1040});
        }
        EXPECT_TRUE(game->TakeTheKeyboard()) << "the game window did not get the keyboard";
        Type(L"key F5");
    }
    std::unique_ptr<GameWindow> game;

    std::vector<std::wstring> Pictures() const {
        std::vector<std::wstring> names;
        for (const std::wstring& name : FolderNames(saves)) {
            if (name.ends_with(L".png")) {
                names.push_back(name);
            }
        }
        return names;
    }

    std::size_t WaitForPictures(std::size_t atLeast, DWORD ms) const {
        const ULONGLONG until = ::GetTickCount64() + ms;
        while (Pictures().size() < atLeast && ::GetTickCount64() < until) {
            PumpMessagesFor(50);
        }
        return Pictures().size();
    }

    // kill -9 of the paused program, once it has reached its pause point.
    void KillAtPausePoint() {
        const std::wstring marker = programFolder + L"\\paused-before-rename";
        const ULONGLONG until = ::GetTickCount64() + 30000;
        while (!FileExists(marker) && ::GetTickCount64() < until) {
            ::Sleep(50);
        }
        ASSERT_TRUE(FileExists(marker)) << "the program never reached its pause point";
        const AgentAnswer killed = AskAgent("kill " + Utf8(folderMarker()));
        ASSERT_EQ(killed.status, 0) << killed.output;
        ASSERT_EQ(mirulo->WaitForExit(10000).has_value(), true);
        ::DeleteFileW(marker.c_str());
        mirulo.reset();
    }

    void Close() {
        if (!mirulo) {
            return;
        }
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        for (int i = 0; i < 100 && !mirulo->WaitForExit(100); ++i) {
            AnswerBoxes(100);
        }
        EXPECT_TRUE(mirulo->WaitForExit(5000).has_value()) << "the program did not close";
        mirulo.reset();
    }

    std::wstring folderMarker() const { return folder.path().substr(folder.path().find_last_of(L'\\') + 1); }

    std::wstring volumes = BuildTreePath(MIRULO_FAULT_VOLUMES);

    void RequireVolumes() {
        const std::string refused =
            FileExists(volumes + L"\\refused") ? ReadFileBytes(volumes + L"\\refused") : "";
        if (!refused.empty()) {
            GTEST_SKIP() << refused;
        }
        ASSERT_TRUE(FileExists(volumes + L"\\full")) << "the volumes were not set up (fault-volumes mount)";
    }

    // Fills the full volume to its last byte.
    void FillFullVolume() {
        const std::wstring filler = volumes + L"\\full\\filler";
        HANDLE file = ::CreateFileW(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        std::vector<char> block(64 * 1024, 'f');
        for (std::size_t size = block.size(); size > 0; size /= 2) {
            DWORD written = 0;
            while (::WriteFile(file, block.data(), static_cast<DWORD>(size), &written, nullptr) &&
                   written == size) {
            }
        }
        ::CloseHandle(file);
    }
    void FreeFullVolume() { ::DeleteFileW((volumes + L"\\full\\filler").c_str()); }

protected:
    void SetUp() override {
        programFolder = folder.path();
        saves = folder / L"shots";
        ::CreateDirectoryW(saves.c_str(), nullptr);
        ASSERT_STRNE(MIRULO_XDOTOOL, "") << "xdotool is missing (Debian package: xdotool)";
    }
    void TearDown() override {
        for (HANDLE handle : held) {
            ::CloseHandle(handle);
        }
        if (mirulo) {
            Close();
        }
        FreeFullVolume();
    }

    TempFolder folder{L"mirulo-faults"};
};

TEST_P(FaultInjection, NothingIsLostAndNothingStacks) {
    const FaultCase& c = GetParam();
    WriteSettings(c);
    InstallProgramCopy(programFolder);
    if (c.arrange) {
        c.arrange(*this);
    }
    if (IsSkipped() || HasFatalFailure()) {
        return;
    }
    settingsBefore = ReadFileBytes(SettingsPath());

    if (c.act) {
        c.act(*this);
    } else {
        StartAndPressF5(*this);
    }
    if (HasFatalFailure()) {
        return;
    }
    if (c.mend) {
        c.mend(*this);
    }
    if (!mirulo) {
        Start();
        ASSERT_NE(window, nullptr);
        AnswerBoxes(1500);
    }
    EXPECT_EQ(boxesSeen, c.boxes) << [&] {
        std::string texts;
        for (const std::wstring& text : boxTexts) {
            texts += Utf8(text) + "\n";
        }
        return texts;
    }();
    EXPECT_LE(mostBoxesAtOnce, 1);

    if (c.hotKeyAfter) {
        const std::size_t before = Pictures().size();
        PressF5();
        EXPECT_EQ(WaitForPictures(before + 1, 10000), before + 1) << "F5 no longer captures";
        AnswerBoxes(300);
    }
    Close();

    const std::string settingsAfter = ReadFileBytes(SettingsPath());
    ASSERT_FALSE(settingsAfter.empty()) << "no settings file";
    if (c.userLinesKept) {
        for (std::size_t start = 0; start < settingsBefore.size();) {
            std::size_t end = settingsBefore.find("\r\n", start);
            end = end == std::string::npos ? settingsBefore.size() : end + 2;
            const std::string line = settingsBefore.substr(start, end - start);
            if (line.find('=') != std::string::npos && line.rfind("Top170", 0) != 0 &&
                line.rfind("Left170", 0) != 0 && line.rfind(kBom, 0) != 0) {
                EXPECT_NE(settingsAfter.find(line), std::string::npos) << "lost: " << line;
            }
            start = end;
        }
    }
    for (const std::wstring& name : FolderNames(programFolder)) {
        EXPECT_FALSE(name.ends_with(L".tmp")) << Utf8(name);
    }
    for (const std::wstring& name : FolderNames(saves)) {
        EXPECT_TRUE(name.ends_with(L".png")) << "stray file " << Utf8(name);
    }
    if (!Pictures().empty()) {
        const AgentAnswer checked = AskAgent("pngcheck " + LinuxPath(saves));
        EXPECT_EQ(checked.status, 0) << checked.output;
    }
    if (c.check) {
        c.check(*this);
    }
}

HANDLE HoldWithoutSharing(const std::wstring& path) {
    return ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
}

void Restart(FaultInjection& f) {
    f.Start();
    ASSERT_NE(f.window, nullptr);
    f.AnswerBoxes(1500);
}

void StartAndPressF5(FaultInjection& f) {
    Restart(f);
    f.PressF5();
    f.AnswerBoxes(2500);
}

// A fresh folder on a test volume for the pictures or the program.
void UseVolumeFolder(FaultInjection& f, const std::wstring& relative, std::wstring& folder) {
    f.RequireVolumes();
    if (::testing::Test::IsSkipped()) {
        return;
    }
    folder = f.volumes + L"\\" + relative;
    if (FileExists(folder)) {
        RemoveFolderTree(folder);
    }
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
}

void BackupHoldsTheUsersBytes(FaultInjection& f) {
    EXPECT_EQ(ReadFileBytes(f.SettingsPath() + L".unreadable.bak"), f.settingsBefore);
    const std::string written = ReadFileBytes(f.SettingsPath());
    for (const char* line :
         {"bl_chkRND10=1\r\n", "ifrmView_Width=800\r\n", "PNGorJPGNumber=0\r\n", "Key1Number=0\r\n"}) {
        EXPECT_NE(written.find(line), std::string::npos) << "defaults expected: " << line;
    }
}

// Watches the boxes for `ms` without answering any, as when nobody is at the
// machine; returns how many different boxes showed.
int WatchUnanswered(FaultInjection& f, DWORD ms) {
    std::set<HWND> seen;
    const ULONGLONG until = ::GetTickCount64() + ms;
    while (::GetTickCount64() < until) {
        const std::vector<Box> boxes = OpenBoxes(f.mirulo->id());
        f.mostBoxesAtOnce = std::max(f.mostBoxesAtOnce, static_cast<int>(boxes.size()));
        for (const Box& box : boxes) {
            seen.insert(box.hwnd);
        }
        ::Sleep(50);
    }
    return static_cast<int>(seen.size());
}

// Seconds mode with period "1" and a capture that fails at every tick: one box
// left open for several periods, nothing more once it is answered.
void FailingTicksShowOneBox(FaultInjection& f) {
    f.Start();
    ASSERT_NE(f.window, nullptr);
    EXPECT_EQ(WatchUnanswered(f, 4500), 1) << "one box while nobody answers";
    f.AnswerBoxes(3000);
}

std::size_t PicturesEndingIn(const FaultInjection& f, const std::wstring& suffix) {
    std::size_t count = 0;
    for (const std::wstring& name : f.Pictures()) {
        count += name.ends_with(suffix) ? 1 : 0;
    }
    return count;
}

const std::string kEverySecond = "blTimerSecMode=1\r\nTimerNumber=0\r\nTimerEnabled=1\r\n";

const std::string kShiftJisLine = "Memo=\x93\xFA\x96\x7B\r\n";
const std::string kSpoiltSettings = std::string(kBom) + "[System]\r\nKey3Number=6\r\n" + kShiftJisLine;
constexpr wchar_t kSoundBox[] = L"撮影時に音を鳴らす";

void NothingSetAside(FaultInjection& f) {
    for (const std::wstring& name : FolderNames(f.programFolder)) {
        EXPECT_EQ(name.find(L".unreadable"), std::wstring::npos) << Utf8(name);
    }
}

// A click on a check box of the running program, as the user's; its boxes are answered.
void ClickBox(FaultInjection& f, const wchar_t* caption) {
    struct Search {
        const wchar_t* caption;
        HWND found;
    } search{caption, nullptr};
    ::EnumChildWindows(
        f.window,
        [](HWND child, LPARAM lParam) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            wchar_t text[256] = {};
            ::GetWindowTextW(child, text, 256);
            if (std::wstring(text) == s->caption) {
                s->found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    ASSERT_NE(search.found, nullptr) << Utf8(caption);
    // Posted: a box that the click opens must not hold this thread.
    ::PostMessageW(search.found, BM_CLICK, 0, 0);
    f.AnswerBoxes(1000);
}

// --- Pictures: recovery, the size cap, copies -------------------------------------

// Two whole pictures of one pixel each, told apart by their colour.
const std::string kRedPixel(
    "\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x01\x00\x00\x00\x01"
    "\x08\x02\x00\x00\x00\x90\x77\x53\xDE\x00\x00\x00\x0C\x49\x44\x41\x54\x78\xDA\x63\xF8\xCF\xC0\x00"
    "\x00\x03\x01\x01\x00\xF7\x03\x41\x43\x00\x00\x00\x00\x49\x45\x4E\x44\xAE\x42\x60\x82",
    69);
const std::string kBluePixel(
    "\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x01\x00\x00\x00\x01"
    "\x08\x02\x00\x00\x00\x90\x77\x53\xDE\x00\x00\x00\x0C\x49\x44\x41\x54\x78\xDA\x63\x60\x60\xF8\x0F"
    "\x00\x01\x03\x01\x00\x36\x74\x11\x40\x00\x00\x00\x00\x49\x45\x4E\x44\xAE\x42\x60\x82",
    69);
const std::wstring kOldPicture = L"20240106_100005_000_全B.png";

// How many pictures in the save folder hold exactly these bytes.
int PicturesHolding(const FaultInjection& f, const std::string& bytes) {
    int count = 0;
    for (const std::wstring& name : f.Pictures()) {
        count += ReadFileBytes(f.saves + L"\\" + name) == bytes ? 1 : 0;
    }
    return count;
}

const FaultCase kCases[] = {
    {"SettingsHeldForAMomentAtStart", "", std::nullopt, nullptr,
     [](FaultInjection& f) {
         // The program tries for about a second from its first read, which
         // comes after the launch: a lock gone 800 ms after it is one that passes.
         f.held.push_back(HoldWithoutSharing(f.SettingsPath()));
         f.Launch();
         ::Sleep(800);
         ::CloseHandle(f.held.back());
         f.held.pop_back();
         f.Shown();
         ASSERT_NE(f.window, nullptr);
         f.AnswerBoxes(1500);
     },
     nullptr, nullptr, 0},
    // A good file held through the start: the run is on the defaults, and the
    // file is neither renamed nor written over; the close, once it can be read
    // again, leaves every line of the user's as it was.
    {"SettingsHeldThroughTheStart", "", std::nullopt, nullptr,
     [](FaultInjection& f) {
         f.held.push_back(HoldWithoutSharing(f.SettingsPath()));
         Restart(f);
         f.AnswerBoxes(1000);
     },
     [](FaultInjection& f) {
         ::CloseHandle(f.held.back());
         f.held.pop_back();
         EXPECT_EQ(ReadFileBytes(f.SettingsPath()), f.settingsBefore) << "nothing written over it while held";
     },
     [](FaultInjection& f) {
         NothingSetAside(f);
         ASSERT_EQ(f.boxTexts.size(), 1u);
         EXPECT_EQ(f.boxTexts[0].find(L".unreadable"), std::wstring::npos) << "nothing to be renamed";
     },
     1, true, false},
    // The same start, then the file is deleted: changes and the close save
    // without a box, and the defaults and the change are what the new file holds.
    {"SettingsHeldAtStartThenDeleted", "", std::nullopt, nullptr,
     [](FaultInjection& f) {
         f.held.push_back(HoldWithoutSharing(f.SettingsPath()));
         Restart(f);
         f.AnswerBoxes(1000);
     },
     [](FaultInjection& f) {
         ::CloseHandle(f.held.back());
         f.held.pop_back();
         ASSERT_TRUE(::DeleteFileW(f.SettingsPath().c_str()));
         ClickBox(f, kSoundBox);
         ClickBox(f, kSoundBox);
         ClickBox(f, kSoundBox);
     },
     [](FaultInjection& f) {
         NothingSetAside(f);
         EXPECT_EQ(f.boxesSeen, 1) << "the close saved without a box as well";
         const std::string written = ReadFileBytes(f.SettingsPath());
         for (const char* line : {"SoundEnabled=1\r\n", "Key3Number=0\r\n", "bl_chkRND10=1\r\n"}) {
             EXPECT_NE(written.find(line), std::string::npos) << line << " in\n" << written;
         }
     },
     1, false, false},
    // Spoilt while the program runs (saved as Shift JIS by an editor): the next
    // save keeps it under another name and says so, once.
    {"SettingsSpoiltWhileRunning", "", std::nullopt, nullptr,
     [](FaultInjection& f) {
         Restart(f);
         WriteFileBytes(f.SettingsPath(), kSpoiltSettings);
         ClickBox(f, kSoundBox);
         ClickBox(f, kSoundBox);
         f.AnswerBoxes(1000);
     },
     nullptr,
     [](FaultInjection& f) {
         const std::wstring backup = f.SettingsPath() + L".unreadable.bak";
         EXPECT_EQ(ReadFileBytes(backup), kSpoiltSettings);
         ASSERT_EQ(f.boxTexts.size(), 1u);
         EXPECT_NE(f.boxTexts[0].find(backup), std::wstring::npos) << "the box says where it was kept";
         EXPECT_EQ(f.boxesSeen, 1) << "said once: not again at the next change or the close";
         EXPECT_NE(ReadFileBytes(f.SettingsPath()).find("SoundEnabled=0\r\n"), std::string::npos);
     },
     1},
    {"SettingsFileReadOnly", "", std::nullopt,
     [](FaultInjection& f) { ::SetFileAttributesW(f.SettingsPath().c_str(), FILE_ATTRIBUTE_READONLY); },
     nullptr, nullptr,
     [](FaultInjection& f) {
         ::SetFileAttributesW(f.SettingsPath().c_str(), FILE_ATTRIBUTE_NORMAL);
         EXPECT_EQ(ReadFileBytes(f.SettingsPath()), f.settingsBefore);
     },
     1},
    {"ProgramOnAReadOnlyVolume", "", std::nullopt,
     [](FaultInjection& f) {
         f.RequireVolumes();
         if (::testing::Test::IsSkipped()) {
             return;
         }
         f.programFolder = f.volumes + L"\\readonly";
         f.saves = f.volumes + L"\\readonly-saves";
         for (const std::wstring& name : FolderNames(f.saves)) {
             ::DeleteFileW((f.saves + L"\\" + name).c_str());
         }
     },
     nullptr, nullptr,
     [](FaultInjection& f) { EXPECT_EQ(ReadFileBytes(f.SettingsPath()), f.settingsBefore); }, 1},
    {"SettingsOnAFullVolume", "", std::nullopt,
     [](FaultInjection& f) {
         std::wstring program;
         UseVolumeFolder(f, L"full\\program", program);
         if (::testing::Test::IsSkipped() || ::testing::Test::HasFatalFailure()) {
             return;
         }
         f.programFolder = program;
         f.WriteSettings(FaultCase{});
         InstallProgramCopy(program);
         f.FillFullVolume();
     },
     nullptr, [](FaultInjection& f) { f.FreeFullVolume(); }, nullptr, 1},
    {"SettingsInShiftJis", "", std::string(kBom) + "[System]\r\nKey3Number=6\r\n" + kShiftJisLine, nullptr,
     nullptr, nullptr, BackupHoldsTheUsersBytes, 1, false, false},
    {"SectionHeaderWithoutBracket", "", std::nullopt,
     [](FaultInjection& f) {
         f.settingsBefore = std::string(kBom) + "[System\r\n" + f.UserLines();
         WriteFileBytes(f.SettingsPath(), f.settingsBefore);
     },
     nullptr, nullptr, nullptr, 0},
    {"NulInsideTheSaveFolder", "", std::nullopt,
     [](FaultInjection& f) {
         WriteFileBytes(f.SettingsPath(), std::string(kBom) + "[System]\r\nFolder=" + Utf8(f.saves) +
                                              std::string("\0x", 2) + "\r\nKey3Number=6\r\n");
     },
     nullptr, nullptr,
     [](FaultInjection& f) {
         ASSERT_EQ(f.boxTexts.size(), 1u);
         EXPECT_NE(f.boxTexts[0].find(L"保存フォルダが未指定または存在しません"), std::wstring::npos);
     },
     1, true, false},
    {"ClipboardHeld", "ToClipboard3Enabled=1\r\n", std::nullopt,
     [](FaultInjection& f) { f.clipboard.Hold(); }, nullptr, [](FaultInjection& f) { f.clipboard.Release(); },
     [](FaultInjection& f) {
         ASSERT_EQ(f.boxTexts.size(), 1u);
         EXPECT_EQ(f.boxTexts[0].rfind(L"クリップボード ", 0), 0u);
         EXPECT_EQ(f.Pictures().size(), 2u) << "the picture of the capture with the clipboard held is saved";
     },
     1},
    {"SaveFolderRemovedWhileF5IsHeld", "", std::nullopt, nullptr,
     [](FaultInjection& f) {
         Restart(f);
         ASSERT_TRUE(::RemoveDirectoryW(f.saves.c_str()));
         ASSERT_TRUE(XDoToolInBackground(L"keydown F5 sleep 3 keyup F5"));
         // Answered at once, while F5 is still held and repeating.
         f.AnswerBoxes(4000);
     },
     [](FaultInjection& f) { ::CreateDirectoryW(f.saves.c_str(), nullptr); }, nullptr, 1},
    {"PictureVolumeFull", "", std::nullopt,
     [](FaultInjection& f) {
         UseVolumeFolder(f, L"full\\shots", f.saves);
         if (::testing::Test::IsSkipped() || ::testing::Test::HasFatalFailure()) {
             return;
         }
         f.WriteSettings(FaultCase{});
         f.FillFullVolume();
     },
     nullptr, [](FaultInjection& f) { f.FreeFullVolume(); }, nullptr, 1},
    {"KilledBeforeTheSettingsRename", "", std::nullopt, nullptr,
     [](FaultInjection& f) {
         f.Start(L"ini");
         f.KillAtPausePoint();
     },
     nullptr, nullptr, 0},
    {"KilledBeforeTheSettingsRenameWithTheFileAlreadyMovedAway", "", std::nullopt, nullptr,
     [](FaultInjection& f) {
         f.Start(L"ini");
         f.KillAtPausePoint();
         // What a two-step replace leaves when killed between its steps.
         ASSERT_TRUE(::DeleteFileW(f.SettingsPath().c_str()));
     },
     nullptr, nullptr, 0},
    {"KilledBeforeThePictureRename", "", std::nullopt, nullptr,
     [](FaultInjection& f) {
         f.Start(L"png");
         ASSERT_NE(f.window, nullptr);
         f.AnswerBoxes(1500);
         f.PressF5();
         f.KillAtPausePoint();
     },
     nullptr,
     [](FaultInjection& f) { EXPECT_EQ(f.Pictures().size(), 2u) << "the killed capture is finished"; }, 0},
    // A whole temporary picture beside a picture of its final name (a rename to
    // the temporary form leaves this too): the start finishes it beside, not over.
    {"RecoveredPictureBesideOneOfTheSameName", "", std::nullopt,
     [](FaultInjection& f) {
         WriteFileBytes(f.saves + L"\\" + kOldPicture, kRedPixel);
         WriteFileBytes(f.saves + L"\\.~mirulo-" + kOldPicture + L".tmp", kBluePixel);
     },
     nullptr, nullptr,
     [](FaultInjection& f) {
         EXPECT_EQ(ReadFileBytes(f.saves + L"\\" + kOldPicture), kRedPixel)
             << "the picture of that name stays";
         EXPECT_EQ(PicturesHolding(f, kBluePixel), 1) << "the recovered one is kept beside it";
     },
     0},
    // The oldest picture held open by another program without sharing its
    // removal, the cap at 0 MB, three captures: the picture stays whole, the
    // shell is never asked about it (nor offers to delete it outright), the cap
    // goes on with each capture (Wine asks before each such move; the answer
    // here is no), and says once that it keeps the held picture. The boxes: the
    // cap's notice at the start, three questions of the shell and that one.
    {"CapPassesOverAPictureHeldOpen", "FolderCapacityEnabled=1\r\nFolderCapacitySize=0\r\n", std::nullopt,
     [](FaultInjection& f) {
         WriteFileBytes(f.saves + L"\\" + kOldPicture, kRedPixel);
         f.held.push_back(HoldWithoutSharing(f.saves + L"\\" + kOldPicture));
     },
     [](FaultInjection& f) {
         Restart(f);
         for (int capture = 0; capture < 3; ++capture) {
             f.PressF5();
             f.AnswerBoxes(2500);
         }
     },
     nullptr,
     [](FaultInjection& f) {
         for (HANDLE handle : f.held) {
             ::CloseHandle(handle);
         }
         f.held.clear();
         EXPECT_EQ(ReadFileBytes(f.saves + L"\\" + kOldPicture), kRedPixel);
         EXPECT_EQ(f.Pictures().size(), 4u) << "the held picture and the three captures";
         const auto naming =
             std::count_if(f.boxTexts.begin(), f.boxTexts.end(), [](const std::wstring& text) {
                 return text.find(kOldPicture) != std::wstring::npos;
             });
         EXPECT_EQ(naming, 1) << "one box names the held picture";
     },
     5, true, false},
    // A grey-scale copy killed before its rename: the next start removes its
    // temporary file (the common checks find no stray file), and the copy can be made.
    {"KilledBeforeTheGreyCopyRename", "", std::nullopt,
     [](FaultInjection& f) { WriteFileBytes(f.saves + L"\\" + kOldPicture, kRedPixel); },
     [](FaultInjection& f) {
         f.Start(L"png");
         ASSERT_NE(f.window, nullptr);
         f.AnswerBoxes(1000);
         HWND viewerButton = ControlAt(f.window, L"Button", 204, 400);
         ASSERT_NE(viewerButton, nullptr);
         ::SendMessageW(viewerButton, BM_CLICK, 0, 0);
         HWND viewer = WaitForWindow(L"TfrmView", f.mirulo->id(), 10000);
         ASSERT_NE(viewer, nullptr);
         HWND grey = ControlAt(viewer, L"Button", 209, 1);
         ASSERT_NE(grey, nullptr);
         // Posted: the click never returns, the program stops in it.
         ::PostMessageW(grey, BM_CLICK, 0, 0);
         f.KillAtPausePoint();
     },
     nullptr,
     [](FaultInjection& f) {
         EXPECT_EQ(ReadFileBytes(f.saves + L"\\" + kOldPicture), kRedPixel);
         EXPECT_EQ(f.Pictures().size(), 2u) << "the source and the capture of the hot key, no copy";
     },
     0},
    {"EveryTickFailsOnAnImpossibleRange", kEverySecond + "X=0\r\nY=0\r\nW=200000\r\nH=200000\r\n",
     std::nullopt, nullptr, FailingTicksShowOneBox, nullptr,
     [](FaultInjection& f) { EXPECT_EQ(PicturesEndingIn(f, L"_固T.png"), 0u); }, 1},
    {"EveryTickFailsOnAFullVolumeUntilSpaceIsFreed", kEverySecond + "X=0\r\nY=0\r\nW=64\r\nH=48\r\n",
     std::nullopt,
     [](FaultInjection& f) {
         UseVolumeFolder(f, L"full\\shots", f.saves);
         if (::testing::Test::IsSkipped() || ::testing::Test::HasFatalFailure()) {
             return;
         }
         f.WriteSettings(f.GetParam());
         f.FillFullVolume();
     },
     FailingTicksShowOneBox,
     [](FaultInjection& f) {
         EXPECT_TRUE(f.Pictures().empty());
         f.FreeFullVolume();
         // The timer went on after the box: the next tick saves.
         const ULONGLONG until = ::GetTickCount64() + 4000;
         while (PicturesEndingIn(f, L"_固T.png") == 0 && ::GetTickCount64() < until) {
             f.AnswerBoxes(100);
         }
         EXPECT_GE(PicturesEndingIn(f, L"_固T.png"), 1u)
             << "the auto-capture goes on once the box is answered";
     },
     nullptr, 1},
    {"RangePickedWhileTicksCaptureEverySecond",
     kEverySecond + "X=0\r\nY=0\r\nW=64\r\nH=48\r\nKey2Number=7\r\n", std::nullopt, nullptr,
     [](FaultInjection& f) {
         Restart(f);
         Type(L"key F6");
         HWND picker = nullptr;
         for (int i = 0; i < 100 && picker == nullptr; ++i) {
             ::Sleep(50);
             picker = ::FindWindowW(L"TForm2", nullptr);
         }
         ASSERT_NE(picker, nullptr) << "hot key 2 opens the picker";
         // Two corners away from the main window, at a user's pace: ticks come
         // between them.
         Type(L"mousemove 100 100 sleep 0.3 click 1");
         ::Sleep(1500);
         Type(L"mousemove 150 130 sleep 0.3 mousemove 200 160 sleep 0.3 click 1");
         f.AnswerBoxes(2000);
     },
     nullptr,
     [](FaultInjection& f) {
         EXPECT_EQ(PicturesEndingIn(f, L"_指K.png"), 1u) << "the picked picture is saved";
         EXPECT_GE(PicturesEndingIn(f, L"_固T.png"), 2u) << "the ticks went on capturing";
     },
     0},
    // The logon task is registered (its definition file is there), and the
    // batch that re-registers it at every start cannot be written: another
    // program holds a file of its name. One box, and the start goes on.
    {"LogonBatchUnwritableAtStart", "", std::nullopt,
     [](FaultInjection& f) {
         // The local application-data folder, as the program asks the shell for it
         // (the shell's answer in this process can fail after earlier cases).
         wchar_t local[MAX_PATH] = {};
         if (!::SHGetSpecialFolderPathW(nullptr, local, CSIDL_LOCAL_APPDATA, FALSE)) {
             ASSERT_GT(::GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH), 0u);
         }
         const std::wstring temp = std::wstring(local) + L"\\Temp";
         ::CreateDirectoryW(temp.c_str(), nullptr);
         WriteFileBytes(temp + L"\\Mirulo.bat", "echo another program's\r\n");
         f.held.push_back(HoldWithoutSharing(temp + L"\\Mirulo.bat"));
         ASSERT_NE(f.held.back(), INVALID_HANDLE_VALUE);
     },
     [](FaultInjection& f) {
         // Only for this start: with the file left behind, every later start in
         // this prefix would register the task.
         struct TaskDefinition {
             std::wstring path;
             TaskDefinition() {
                 wchar_t system[MAX_PATH] = {};
                 ::GetSystemDirectoryW(system, MAX_PATH);
                 ::CreateDirectoryW((std::wstring(system) + L"\\Tasks").c_str(), nullptr);
                 path = std::wstring(system) + L"\\Tasks\\Mirulo";
                 WriteFileBytes(path, "<Task/>");
             }
             ~TaskDefinition() { ::DeleteFileW(path.c_str()); }
         } task;
         StartAndPressF5(f);
         ASSERT_EQ(f.boxTexts.size(), 1u);
         EXPECT_NE(f.boxTexts[0].find(L"Mirulo.bat"), std::wstring::npos) << Utf8(f.boxTexts[0]);
         // The picture list was made at start and follows the capture.
         int listed = -1;
         ::EnumChildWindows(
             f.window,
             [](HWND child, LPARAM found) -> BOOL {
                 wchar_t name[32] = {};
                 ::GetClassNameW(child, name, 32);
                 wchar_t first[MAX_PATH] = {};
                 if (std::wstring(name) == L"ListBox" &&
                     ::SendMessageW(child, LB_GETTEXTLEN, 0, 0) < MAX_PATH &&
                     ::SendMessageW(child, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(first)) > 0 &&
                     std::wstring(first).ends_with(L".png")) {
                     *reinterpret_cast<int*>(found) =
                         static_cast<int>(::SendMessageW(child, LB_GETCOUNT, 0, 0));
                 }
                 return TRUE;
             },
             reinterpret_cast<LPARAM>(&listed));
         EXPECT_EQ(listed, static_cast<int>(f.Pictures().size())) << "the picture list";
     },
     [](FaultInjection& f) {
         ::CloseHandle(f.held.back());
         f.held.pop_back();
         wchar_t local[MAX_PATH] = {};
         if (!::SHGetSpecialFolderPathW(nullptr, local, CSIDL_LOCAL_APPDATA, FALSE)) {
             ::GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH);
         }
         const std::wstring batch = std::wstring(local) + L"\\Temp\\Mirulo.bat";
         EXPECT_EQ(ReadFileBytes(batch), "echo another program's\r\n");
         ::DeleteFileW(batch.c_str());
     },
     [](FaultInjection& f) { EXPECT_EQ(f.Pictures().size(), 2u) << "F5 captured at once and after"; }, 1},
};

INSTANTIATE_TEST_SUITE_P(Cases, FaultInjection, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<FaultCase>& testCase) {
                             return std::string(testCase.param.name);
                         });

} // namespace
