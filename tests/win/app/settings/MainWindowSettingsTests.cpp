// The settings file as the main window reads and writes it, byte for byte.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <sstream>
#include <string_view>

#include "platform/RecordingHost.h"
#include "support/MainWindowTest.h"
#include "viewer/ViewerWindow.h"

using namespace mirulo;

namespace {

using testkit::FileExists;
using ReadBytesFn = std::string (*)(const std::wstring&);
const ReadBytesFn ReadBytes = &testkit::ReadFileBytes;
void WriteBytes(const std::wstring& path, const std::string& bytes) {
    testkit::WriteFileBytes(path, bytes);
}

class MainWindowSettings : public testkit::MainWindowTest {
protected:
    void Store(const std::string& lines) const { StoreSettings(lines); }

    // The centred place of the main window in the work area.
    static POINT Centred(HWND hwnd) {
        RECT work{}, frame{};
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        ::GetWindowRect(hwnd, &frame);
        return {
            static_cast<LONG>(std::floor((work.right - work.left) / 2.0 - (frame.right - frame.left) / 2.0)),
            static_cast<LONG>(std::floor((work.bottom - work.top) / 2.0 - (frame.bottom - frame.top) / 2.0))};
    }

    static RECT Frame(HWND hwnd) {
        RECT frame{};
        ::GetWindowRect(hwnd, &frame);
        return frame;
    }
};

TEST_F(MainWindowSettings, AFirstStartWritesEveryKeyButSoundNameInWritingOrder) {
    Start();
    const POINT centre = Centred(window->hwnd());
    std::ostringstream expected;
    expected
        << "\xEF\xBB\xBF[System]\r\n"
        << "Top170=" << centre.y << "\r\nLeft170=" << centre.x << "\r\n"
        << "chk_TrayIcon=0\r\nchk_Minimized=0\r\ncb_IllustNotShow=0\r\nblTimerSecMode=0\r\nbl_chkRND=0\r\n"
        << "bl_chkRND01=0\r\nbl_chkRND02=0\r\nbl_chkRND03=0\r\nbl_chkRND04=0\r\nbl_chkRND05=0\r\n"
        << "bl_chkRND06=0\r\nbl_chkRND07=0\r\nbl_chkRND08=0\r\nbl_chkRND09=0\r\nbl_chkRND10=1\r\n"
        << "ExecUOEnabled=0\r\nFolderCapacityEnabled=0\r\nrd_GrEdit1=1\r\nrd_GrEdit2=0\r\nSoundEnabled=0\r\n"
        << "TimerEnabled=0\r\nToClipboard1Enabled=0\r\nToClipboard2Enabled=0\r\nToClipboard3Enabled=0\r\n"
        << "ifrmView_Top=" << centre.y << "\r\nifrmView_Left=" << centre.x << "\r\n"
        << "ifrmView_Height=600\r\nifrmView_Width=800\r\n"
        << "Folder=\r\nX=0\r\nY=0\r\nH=0\r\nW=0\r\n"
        << "Key1Number=0\r\nKey1AddNumber=0\r\nKey2Number=0\r\nKey2AddNumber=0\r\nKey3Number=0\r\n"
        << "Key3AddNumber=0\r\nPNGorJPGNumber=0\r\nTimerNumber=3\r\n"
        << "FolderCapacitySize=100\r\nEditorAppPath=\r\nExecUOApp=\r\n\r\n";
    EXPECT_EQ(ReadBytes(SettingsPath()), expected.str());
    EXPECT_EQ(driver().StatusText(), L"【お知らせ】[保存先フォルダ]が未設定か存在しません、設定してください");
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(MainWindowSettings, StoredTopIsReadAsDecimalOrHexAndCorrectedWhenOutsideTheWorkArea) {
    struct Case {
        const char* stored;
        bool centred;
        LONG top;
    };
    for (const Case& c :
         {Case{"-5", true, 0}, Case{"0x10", false, 16}, Case{"abc", true, 0}, Case{"7", false, 7}}) {
        SCOPED_TRACE(c.stored);
        Store(std::string("Top170=") + c.stored + "\r\nLeft170=3\r\n");
        Start();
        const RECT frame = Frame(window->hwnd());
        EXPECT_EQ(frame.top, c.centred ? Centred(window->hwnd()).y : c.top);
        EXPECT_EQ(frame.left, 3);
        Close();
    }
}

TEST_F(MainWindowSettings, MissingOrDamagedValuesTakeTheirDefaults) {
    Store("FolderCapacitySize=abc\r\nKey1Number=29\r\nKey2Number=5\r\n");
    Start();
    EXPECT_EQ(driver().AutoCapturePeriodList().ItemIndex(), 3);
    EXPECT_EQ(driver().AutoCapturePeriodList().Item(3), L"4");
    EXPECT_EQ(driver().SizeCapField().Caption(), L"100");
    EXPECT_EQ(driver().FixedRangeKeyList().ItemIndex(), -1);
    EXPECT_EQ(driver().PickedRangeKeyList().ItemIndex(), 5);
    Close();
    const std::string written = ReadBytes(SettingsPath());
    EXPECT_NE(written.find("Key1Number=-1\r\n"), std::string::npos);
    EXPECT_NE(written.find("FolderCapacitySize=100\r\n"), std::string::npos);
}

TEST_F(MainWindowSettings, AKeyInAnotherLetterCaseIsFoundAndRewrittenInPlaceWithTheProgramsSpelling) {
    Store("zzz=keep me\r\nfolder=" + std::string("C:\\\xE7\x94\xBB\xE5\x83\x8F") + "\r\n");
    Start();
    EXPECT_EQ(window->SaveFolder(), L"C:\\画像");
    const std::string written = ReadBytes(SettingsPath());
    EXPECT_EQ(
        written.rfind("\xEF\xBB\xBF[System]\r\nzzz=keep me\r\nFolder=C:\\\xE7\x94\xBB\xE5\x83\x8F\r\n", 0),
        0u)
        << written;
    EXPECT_EQ(written.find("folder="), std::string::npos);
}

TEST_F(MainWindowSettings, WithNoCategoryChosenTheFirstIsTurnedOnAndStored) {
    std::string lines;
    for (int i = 1; i <= 10; ++i) {
        lines += "bl_chkRND" + std::string(i < 10 ? "0" : "") + std::to_string(i) + "=0\r\n";
    }
    Store(lines);
    Start();
    EXPECT_TRUE(driver().CategoryShutterVoice1s().Checked());
    EXPECT_TRUE(driver().CategoryShutterVoice1s().Checked());
    EXPECT_FALSE(driver().CategorySoundEffects().Checked());
    EXPECT_NE(ReadBytes(SettingsPath()).find("bl_chkRND01=1\r\n"), std::string::npos);
}

TEST_F(MainWindowSettings, SoundNameStaysAsStoredWhileNoSoundIsSelected) {
    Store("SoundName=C:\\mp3\\a.mp3\r\n");
    Start();
    Close();
    EXPECT_NE(ReadBytes(SettingsPath()).find("SoundName=C:\\mp3\\a.mp3\r\n"), std::string::npos);
}

TEST_F(MainWindowSettings, OptionsAreRestoredWithTheirEffects) {
    Store("TimerEnabled=1\r\nExecUOEnabled=1\r\nExecUOApp=D:\\UO\\UO.exe\r\nrd_GrEdit1=0\r\nrd_GrEdit2=1\r\n"
          "EditorAppPath=C:\\Tools\\edit.exe\r\nblTimerSecMode=1\r\nX=10\r\nY=20\r\nW=300\r\nH=200\r\n"
          "cb_IllustNotShow=1\r\n");
    Start();
    EXPECT_TRUE(driver().AutoCapturePeriodList().Enabled());
    EXPECT_TRUE(driver().AutoCaptureUnitSwitch().Enabled());
    EXPECT_TRUE(driver().GameClientButton().Enabled());
    EXPECT_EQ(driver().GameClientLabel().Caption(), L"UO.exe");
    EXPECT_TRUE(driver().OwnEditorRadio().Checked());
    EXPECT_FALSE(driver().PaintEditorRadio().Checked());
    EXPECT_TRUE(driver().EditorLabel().Enabled());
    EXPECT_EQ(driver().EditorLabel().Caption(), L"edit.exe");
    EXPECT_EQ(driver().AutoCaptureUnitLabel().Caption(), L"秒毎");
    EXPECT_EQ(driver().FixedRangeLabel().Caption(), L"[X]10 [Y]20 [幅]300 [高]200");
    EXPECT_FALSE(driver().MainPageIllustration().Visible());
    EXPECT_TRUE(driver().BusinessTitle().Visible());
    wchar_t title[128] = {};
    ::GetWindowTextW(window->hwnd(), title, 128);
    EXPECT_STREQ(title, L"画面キャプチャツール\u3000ver.2.10");
}

TEST_F(MainWindowSettings, AFailingWriteReportsTheSystemsReasonAndLeavesTheOldFileByteIdentical) {
    Start();
    const std::string before = ReadBytes(SettingsPath());
    ::SetFileAttributesW(SettingsPath().c_str(), FILE_ATTRIBUTE_READONLY);
    ::SendMessageW(driver().FixedRangeToClipboardBox().hwnd(), BM_CLICK, 0, 0); // the user ticks the box
    const auto messages = host.Messages();
    ::SetFileAttributesW(SettingsPath().c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(SettingsPath()), std::wstring::npos) << "the message names the file";
    EXPECT_TRUE(driver().FixedRangeToClipboardBox().Checked()) << "the value stays in memory";
    EXPECT_EQ(ReadBytes(SettingsPath()), before);
    EXPECT_FALSE(FileExists(SettingsPath() + L".tmp"));
}

TEST_F(MainWindowSettings, ClosingWritesOnceMoreAndStillClosesWhenTheWriteFails) {
    Start();
    HWND hwnd = window->hwnd();
    const std::string before = ReadBytes(SettingsPath());
    ::SetFileAttributesW(SettingsPath().c_str(), FILE_ATTRIBUTE_READONLY);
    Close();
    ::SetFileAttributesW(SettingsPath().c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_FALSE(::IsWindow(hwnd));
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_EQ(host.CallsOf(platform::HostCall::Kind::Message)[0].caption, L"ミルロ");
    EXPECT_EQ(ReadBytes(SettingsPath()), before);
    EXPECT_FALSE(FileExists(SettingsPath() + L".tmp"));
}

// A damaged file (its bytes are not UTF-8): the start goes on with every control
// at its default, one box says what happened and where the user's file is, and
// the file's bytes survive under a backup name, never overwritten by the defaults.
struct UnreadableStart {
    const char* name;
    std::string bytes;
    bool heldByAnotherProgram; // open against renaming for the whole start
};

class UnreadableSettingsAtStart : public MainWindowSettings,
                                  public testing::WithParamInterface<UnreadableStart> {};

TEST_P(UnreadableSettingsAtStart, StartsOnDefaultsAndKeepsTheUsersFile) {
    const UnreadableStart& c = GetParam();
    WriteBytes(SettingsPath(), c.bytes);
    HANDLE held = INVALID_HANDLE_VALUE;
    if (c.heldByAnotherProgram) {
        held = ::CreateFileW(SettingsPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
    }
    const std::wstring backup = SettingsPath() + L".unreadable.bak";

    Start();
    EXPECT_FALSE(driver().Constructing()) << "the start is finished";
    ASSERT_EQ(host.Messages().size(), 1u);
    const std::wstring message = host.Messages()[0];
    EXPECT_NE(message.find(SettingsPath()), std::wstring::npos);
    EXPECT_EQ(driver().FixedRangeKeyList().ItemIndex(), 0);
    EXPECT_EQ(driver().FormatList().ItemIndex(), 0);
    EXPECT_EQ(driver().AutoCapturePeriodList().ItemIndex(), 3);
    EXPECT_TRUE(driver().CategorySoundEffects().Checked());
    EXPECT_EQ(window->CurrentSettings().viewerWidth, 800);
    EXPECT_EQ(window->CurrentSettings().viewerHeight, 600);

    if (c.heldByAnotherProgram) {
        EXPECT_NE(message.find(L".unreadable.bak"), std::wstring::npos)
            << "the box says where the file will go";
        ::CloseHandle(held);
        EXPECT_EQ(ReadBytes(SettingsPath()), c.bytes)
            << "nothing written while the file could not be renamed";
    } else {
        EXPECT_NE(message.find(backup), std::wstring::npos) << "the box names the backup";
    }
    Close();
    // Renamed at the close, which says where it went.
    EXPECT_EQ(host.Messages().size(), c.heldByAnotherProgram ? 2u : 1u);
    if (c.heldByAnotherProgram && host.Messages().size() == 2u) {
        EXPECT_NE(host.Messages()[1].find(backup), std::wstring::npos);
    }
    EXPECT_EQ(ReadBytes(backup), c.bytes);
    const std::string written = ReadBytes(SettingsPath());
    for (const char* line : {"Key1Number=0\r\n", "PNGorJPGNumber=0\r\n", "TimerNumber=3\r\n",
                             "bl_chkRND10=1\r\n", "ifrmView_Width=800\r\n", "ifrmView_Height=600\r\n"}) {
        EXPECT_NE(written.find(line), std::string::npos) << line << " in\n" << written;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnreadableSettingsAtStart,
    testing::Values(
        UnreadableStart{"ShiftJis", "\xEF\xBB\xBF[System]\r\nFolder=\x93\xFA\x96\x7B\r\n", false},
        UnreadableStart{"Utf16", std::string("\xFF\xFE[\0S\0y\0s\0t\0e\0m\0]\0", 18), false},
        UnreadableStart{"Binary", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\xFF\xFE", 20), false},
        UnreadableStart{"ShiftJisHeldAgainstRenaming", "\xEF\xBB\xBF[System]\r\nFolder=\x93\xFA\r\n", true}),
    [](const testing::TestParamInfo<UnreadableStart>& testCase) { return std::string(testCase.param.name); });

TEST_F(MainWindowSettings, AFileHeldForAMomentIsReadOnceItIsFree) {
    Store("Key1Number=5\r\nPNGorJPGNumber=1\r\n");
    HANDLE held = ::CreateFileW(SettingsPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    int sleeps = 0;
    host.onSleep = [&](DWORD) {
        if (++sleeps == 3 && held != INVALID_HANDLE_VALUE) {
            ::CloseHandle(held);
            held = INVALID_HANDLE_VALUE;
        }
    };
    Start();
    EXPECT_TRUE(host.Messages().empty());
    EXPECT_EQ(driver().FixedRangeKeyList().ItemIndex(), 5);
    EXPECT_EQ(driver().FormatList().ItemIndex(), 1);
    EXPECT_FALSE(FileExists(SettingsPath() + L".unreadable.bak"));
}

TEST_F(MainWindowSettings, AFailedWriteAtStartIsReportedOnceAndTheStartGoesOn) {
    Store("Key1Number=5\r\nKey1AddNumber=0\r\nchk_TrayIcon=1\r\n");
    const std::string before = ReadBytes(SettingsPath());
    ::SetFileAttributesW(SettingsPath().c_str(), FILE_ATTRIBUTE_READONLY);
    Start();
    ::SetFileAttributesW(SettingsPath().c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(host.Messages().size(), 1u);
    EXPECT_FALSE(driver().Constructing()) << "the start is finished";
    EXPECT_NE(driver().HotKeyId(1), 0) << "the hot keys are registered";
    EXPECT_TRUE(driver().TrayIconBox().Checked()) << "the values stay in memory";
    EXPECT_EQ(ReadBytes(SettingsPath()), before);
}

void Click(const ui::Control& control) {
    ::SendMessageW(control.hwnd(), BM_CLICK, 0, 0);
}

HANDLE HoldWithoutSharing(const std::wstring& path) {
    return ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
}

// Another program holds a good file through the whole start: the run is on the
// defaults, the file is neither renamed nor written while it cannot be read, and
// once it can, only what the user changed meanwhile goes over the user's values.
TEST_F(MainWindowSettings, AFileHeldThroughTheStartIsNeverRenamedAndOnlyTheUsersChangesGoOverIt) {
    Store("Key1Number=5\r\nPNGorJPGNumber=1\r\nToClipboard3Enabled=1\r\nmine=kept\r\n");
    const std::string before = StoredSettings();
    HANDLE held = HoldWithoutSharing(SettingsPath());
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    Start();
    ASSERT_EQ(host.Messages().size(), 1u) << "said once";
    EXPECT_NE(host.Messages()[0].find(SettingsPath()), std::wstring::npos);
    EXPECT_EQ(host.Messages()[0].find(L".unreadable"), std::wstring::npos) << "nothing to be renamed";
    EXPECT_EQ(driver().FixedRangeKeyList().ItemIndex(), 0) << "the run is on the defaults";
    Click(driver().FixedRangeToClipboardBox()); // a change while the file is still held
    EXPECT_EQ(host.Messages().size(), 1u);
    ::CloseHandle(held);
    EXPECT_EQ(StoredSettings(), before) << "nothing written while it could not be read";

    Click(driver().SoundBox()); // a change once it can be read
    Close();
    EXPECT_EQ(host.Messages().size(), 1u);
    EXPECT_FALSE(FileExists(SettingsPath() + L".unreadable.bak"));
    const std::string written = StoredSettings();
    for (const char* line :
         {"Key1Number=5\r\n", "PNGorJPGNumber=1\r\n", "ToClipboard3Enabled=1\r\n", "mine=kept\r\n",
          "ToClipboard1Enabled=1\r\n", "SoundEnabled=1\r\n", "TimerNumber=3\r\n"}) {
        EXPECT_NE(written.find(line), std::string::npos) << line << " in\n" << written;
    }

    Start();
    EXPECT_EQ(driver().FixedRangeKeyList().ItemIndex(), 5);
    EXPECT_EQ(driver().FormatList().ItemIndex(), 1);
    EXPECT_TRUE(driver().FixedRangeToClipboardBox().Checked());
    EXPECT_TRUE(driver().SoundBox().Checked());
}

// The file could not be read at start and is deleted afterwards: there is
// nothing left to keep, and every later save goes through without a word.
struct GoneAfterStart {
    const char* name;
    std::string bytes;
    DWORD sharing; // how the other program holds it through the start
};

class SettingsFileGoneAfterStart : public MainWindowSettings,
                                   public testing::WithParamInterface<GoneAfterStart> {};

TEST_P(SettingsFileGoneAfterStart, BlocksNoLaterSave) {
    const GoneAfterStart& c = GetParam();
    WriteBytes(SettingsPath(), c.bytes);
    HANDLE held = ::CreateFileW(SettingsPath().c_str(), GENERIC_READ, c.sharing, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Start();
    ASSERT_EQ(host.Messages().size(), 1u);
    ::CloseHandle(held);
    ASSERT_TRUE(::DeleteFileW(SettingsPath().c_str()));

    Click(driver().FixedRangeToClipboardBox());
    EXPECT_NE(StoredSettings().find("ToClipboard1Enabled=1\r\n"), std::string::npos);
    Click(driver().FullScreenToClipboardBox());
    Close();
    EXPECT_EQ(host.Messages().size(), 1u) << host.Messages().back();
    const std::string written = StoredSettings();
    for (const char* line : {"ToClipboard1Enabled=1\r\n", "ToClipboard3Enabled=1\r\n", "Key1Number=0\r\n"}) {
        EXPECT_NE(written.find(line), std::string::npos) << line << " in\n" << written;
    }
    EXPECT_FALSE(FileExists(SettingsPath() + L".unreadable.bak"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsFileGoneAfterStart,
    testing::Values(GoneAfterStart{"HeldWithoutSharing", "\xEF\xBB\xBF[System]\r\nKey1Number=5\r\n", 0},
                    GoneAfterStart{"DamagedAndHeldAgainstRenaming",
                                   "\xEF\xBB\xBF[System]\r\nFolder=\x93\xFA\r\n", FILE_SHARE_READ}),
    [](const testing::TestParamInfo<GoneAfterStart>& testCase) { return std::string(testCase.param.name); });

TEST_F(MainWindowSettings, AFileSpoiltWhileTheToolRunsIsKeptAsideAndTheUserIsToldWhereOnce) {
    Store("Key1Number=5\r\n");
    Start();
    ASSERT_TRUE(host.Messages().empty());
    const std::string spoilt = "\xEF\xBB\xBF[System]\r\nFolder=\x93\xFA\x96\x7B\r\n"; // saved as Shift JIS
    WriteBytes(SettingsPath(), spoilt);

    Click(driver().FixedRangeToClipboardBox());
    const std::wstring backup = SettingsPath() + L".unreadable.bak";
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_NE(host.Messages()[0].find(backup), std::wstring::npos) << "the box says where it was kept";
    EXPECT_EQ(ReadBytes(backup), spoilt);
    const std::string written = StoredSettings();
    EXPECT_NE(written.find("Key1Number=5\r\n"), std::string::npos) << written;
    EXPECT_NE(written.find("ToClipboard1Enabled=1\r\n"), std::string::npos) << written;

    Click(driver().FixedRangeToClipboardBox());
    Close();
    EXPECT_EQ(host.Messages().size(), 1u);
}

// --- Window places ------------------------------------------------------------

RECT WorkArea() {
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

// The work area that GetMonitorInfoW reports for the primary monitor while a
// TaskBarOn is alive. Windows reports one work area through both calls; Wine
// keeps the monitor's own when a program sets another, so this test program's
// import of GetMonitorInfoW is pointed at a stand-in that agrees with
// SPI_GETWORKAREA, as Windows would.
BOOL WINAPI MonitorInfoWithTheSetWorkArea(HMONITOR monitor, LPMONITORINFO info);
decltype(&::GetMonitorInfoW) realGetMonitorInfo = nullptr;

BOOL WINAPI MonitorInfoWithTheSetWorkArea(HMONITOR monitor, LPMONITORINFO info) {
    if (!realGetMonitorInfo(monitor, info)) {
        return FALSE;
    }
    if ((info->dwFlags & MONITORINFOF_PRIMARY) != 0) {
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &info->rcWork, 0);
    }
    return TRUE;
}

// Points this program's import of user32!name at `replacement`; returns the former target.
void* ReplaceImport(const char* name, void* replacement) {
    auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* module = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         module->Name != 0; ++module) {
        if (::lstrcmpiA(reinterpret_cast<const char*>(base + module->Name), "user32.dll") != 0) {
            continue;
        }
        auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
        auto* targets = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++targets) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                continue;
            }
            const auto* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::string_view(reinterpret_cast<const char*>(byName->Name)) != name) {
                continue;
            }
            DWORD protection = 0;
            ::VirtualProtect(&targets->u1.Function, sizeof(targets->u1.Function), PAGE_READWRITE,
                             &protection);
            void* former = reinterpret_cast<void*>(targets->u1.Function);
            targets->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            ::VirtualProtect(&targets->u1.Function, sizeof(targets->u1.Function), protection, &protection);
            return former;
        }
    }
    return nullptr;
}

// A task bar on one edge, for the life of one test (the work area a program
// sets stays within the program under Wine; it is put back all the same).
class TaskBarOn {
public:
    explicit TaskBarOn(RECT work) : before_(WorkArea()) {
        ::SystemParametersInfoW(SPI_SETWORKAREA, 0, &work, 0);
        realGetMonitorInfo = reinterpret_cast<decltype(&::GetMonitorInfoW)>(
            ReplaceImport("GetMonitorInfoW", reinterpret_cast<void*>(&MonitorInfoWithTheSetWorkArea)));
    }
    ~TaskBarOn() {
        ReplaceImport("GetMonitorInfoW", reinterpret_cast<void*>(realGetMonitorInfo));
        ::SystemParametersInfoW(SPI_SETWORKAREA, 0, &before_, 0);
    }

private:
    RECT before_;
};

TEST_F(MainWindowSettings, AStoredPositionOffTheWorkAreaIsBroughtBackOntoIt) {
    const RECT work = WorkArea();
    const std::string bottomRight = "Top170=" + std::to_string(work.bottom - work.top) +
                                    "\r\nLeft170=" + std::to_string(work.right - work.left) + "\r\n";
    Store(bottomRight);
    Start();
    const RECT frame = Frame(window->hwnd());
    EXPECT_EQ(frame.bottom, work.bottom);
    EXPECT_EQ(frame.right, work.right);
}

// The position comes back where it was, whatever state the window was in when
// it was written, also with the task bar on the top or left edge.
TEST_F(MainWindowSettings, ThePositionIsStoredTheSameInEveryStateAndComesBackUnshifted) {
    const RECT screen = WorkArea();
    for (const RECT bar : {RECT{screen.left, screen.top + 40, screen.right, screen.bottom},
                           RECT{screen.left + 40, screen.top, screen.right, screen.bottom}}) {
        TaskBarOn taskBar(bar);
        ASSERT_NE(realGetMonitorInfo, nullptr) << "the program imports GetMonitorInfoW";
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        ::GetMonitorInfoW(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
        ASSERT_TRUE(::EqualRect(&monitor.rcWork, &bar));
        for (const bool tray : {true, false}) {
            SCOPED_TRACE(std::to_string(bar.left) + "," + std::to_string(bar.top) +
                         (tray ? " tray" : " task bar"));
            Store(std::string("Top170=170\r\nLeft170=170\r\nchk_TrayIcon=") + (tray ? "1" : "0") + "\r\n");
            Start();
            ::SendMessageW(driver().MinimizeButton().hwnd(), BM_CLICK, 0, 0);
            testkit::PumpMessages();
            EXPECT_TRUE(::IsIconic(window->hwnd()));
            EXPECT_EQ(::IsWindowVisible(window->hwnd()) == FALSE, tray);
            driver().WriteSettings();
            const std::string written = StoredSettings();
            EXPECT_NE(written.find("Top170=170\r\nLeft170=170\r\n"), std::string::npos) << written;
            window.reset();

            Start();
            EXPECT_EQ(Frame(window->hwnd()).top, 170);
            EXPECT_EQ(Frame(window->hwnd()).left, 170);
            window.reset();
        }
        // Under the task bar: out from under it.
        Store("Top170=10\r\nLeft170=10\r\n");
        Start();
        EXPECT_EQ(Frame(window->hwnd()).top, std::max<LONG>(10, bar.top));
        EXPECT_EQ(Frame(window->hwnd()).left, std::max<LONG>(10, bar.left));
        window.reset();
    }
}

struct ViewerPlaceCase {
    const char* name;
    // Stored top, left, height, width, relative to the work area's top-left corner.
    int top, left, height, width;
};

class ViewerPlaceFromTheSettings : public MainWindowSettings,
                                   public testing::WithParamInterface<ViewerPlaceCase> {};

// The viewer lies wholly on the work area, no taller or wider than it, moved the
// least from where the file says.
TEST_P(ViewerPlaceFromTheSettings, LiesOnTheWorkArea) {
    const ViewerPlaceCase& c = GetParam();
    const RECT work = WorkArea();
    Store("ifrmView_Top=" + std::to_string(work.top + c.top) + "\r\nifrmView_Left=" +
          std::to_string(work.left + c.left) + "\r\nifrmView_Height=" + std::to_string(c.height) +
          "\r\nifrmView_Width=" + std::to_string(c.width) + "\r\n");
    Start();
    driver().CreateViewer();
    const RECT frame = Frame(driver().Viewer()->hwnd());
    const LONG height = std::min<LONG>(c.height, work.bottom - work.top);
    const LONG width = std::min<LONG>(c.width, work.right - work.left);
    EXPECT_EQ(frame.bottom - frame.top, height);
    EXPECT_EQ(frame.right - frame.left, width);
    EXPECT_EQ(frame.top, std::clamp<LONG>(work.top + c.top, work.top, work.bottom - height));
    EXPECT_EQ(frame.left, std::clamp<LONG>(work.left + c.left, work.left, work.right - width));
}

INSTANTIATE_TEST_SUITE_P(Cases, ViewerPlaceFromTheSettings,
                         testing::Values(ViewerPlaceCase{"OnTheScreen", 90, 130, 480, 640},
                                         ViewerPlaceCase{"TallerThanTheScreen", 100, 130, 5000, 640},
                                         ViewerPlaceCase{"WiderThanTheScreen", 100, 130, 480, 9000},
                                         ViewerPlaceCase{"OffTheRightAndBottom", 3000, 5000, 480, 640},
                                         ViewerPlaceCase{"AboveAndLeftOfTheScreen", -300, -2000, 480, 640}),
                         [](const testing::TestParamInfo<ViewerPlaceCase>& testCase) {
                             return std::string(testCase.param.name);
                         });

} // namespace
