// The capture sounds as the main window runs them: the list built from real
// category folders, the page's buttons and link, and playback through MCI with
// Wine's real decoder and a silent audio device.
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "platform/Wide.h"
#include "sound/MciPlayer.h"
#include "sound/RandomSound.h"
#include "sound/SoundCategories.h"
#include "support/ForwardingHost.h"
#include "support/MainWindowTest.h"
#include "support/Messages.h"

using namespace mirulo;
using platform::HostCall;
using testkit::PumpMessages;

namespace {

constexpr wchar_t kNoSoundSelected[] = L"撮影音が未選択です";
constexpr wchar_t kShutterName[] = L"シャッター.mp3";

std::wstring BuiltProgramFolder() {
    return testkit::BuildTreePath(MIRULO_BINARY_DIR) + L"\\bin";
}
std::wstring BuiltShutterSound() {
    return BuiltProgramFolder() + L"\\mp3\\効果音\\" + kShutterName;
}

// MCI devices this program has open, whatever opened them.
DWORD OpenMciDevices() {
    DWORD count = 0;
    MCI_SYSINFO_PARMSW info{};
    info.lpstrReturn = reinterpret_cast<LPWSTR>(&count);
    info.dwRetSize = sizeof(count);
    info.wDeviceType = MCI_ALL_DEVICE_ID;
    const MCIERROR error =
        ::mciSendCommandW(MCI_ALL_DEVICE_ID, MCI_SYSINFO, MCI_SYSINFO_QUANTITY | MCI_SYSINFO_OPEN,
                          reinterpret_cast<DWORD_PTR>(&info));
    EXPECT_EQ(error, 0u) << platform::Narrow(sound::MciPlayer::ErrorText(error));
    return count;
}

bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
    const ULONGLONG end = ::GetTickCount64() + milliseconds;
    while (!done()) {
        if (::GetTickCount64() > end) {
            return false;
        }
        PumpMessages();
        ::Sleep(10);
    }
    return true;
}

// A Host that lets a test look at the disk at the moment a message box would
// open; everything else is the recording host's.
class WatchingHost final : public testkit::ForwardingHost {
public:
    using ForwardingHost::ForwardingHost;

    std::function<void()> onMessage;

    int ShowMessage(HWND owner, std::wstring_view text, std::wstring_view caption, UINT flags) override {
        if (onMessage) {
            onMessage();
        }
        return recorded.ShowMessage(owner, text, caption, flags);
    }
};

class Sounds : public testkit::MainWindowTest {
protected:
    Sounds() { MakeSaveFolder(); }

    std::wstring Category(const std::wstring& name) const { return program / (L"mp3\\" + name); }

    // A file in a category folder, the folders made as needed.
    void Sound(const std::wstring& category, const std::wstring& name, const std::string& bytes = "ID3") {
        ::CreateDirectoryW((program / L"mp3").c_str(), nullptr);
        ::CreateDirectoryW(Category(category).c_str(), nullptr);
        testkit::WriteFileBytes(Category(category) + L"\\" + name, bytes);
    }

    void Shutter(const std::wstring& category = L"効果音", const std::wstring& name = kShutterName) {
        Sound(category, name, testkit::ReadFileBytes(BuiltShutterSound()));
    }

    // Starts with a save folder, a 32-pixel fixed range and the given settings.
    void Start(const std::string& settings = "") {
        StoreSettings(SaveFolderLine() + "X=0\r\nY=0\r\nW=32\r\nH=32\r\n" + settings);
        StartAsIs();
    }

    void StartAsIs() {
        MainWindowTest::Start();
        ASSERT_TRUE(host.Messages().empty());
    }

    std::vector<std::wstring> Entries() const {
        std::vector<std::wstring> entries;
        for (int i = 0; i < driver().SoundList().Count(); ++i) {
            entries.push_back(driver().SoundList().Item(i));
        }
        return entries;
    }

    std::wstring Selected() const {
        const int index = driver().SoundList().ItemIndex();
        return index < 0 ? L"(none)" : driver().SoundList().Item(index);
    }

    void Click(HWND control) { ::SendMessageW(control, BM_CLICK, 0, 0); }

    // A fixed-range capture as its hot key runs it.
    void Capture() { driver().StartCapture(capture::kFixedByHotKey); }

    // The fixed-range button: a capture inside a real event, so that an error
    // reaches the program's error box as it would for the user.
    void CaptureWithButton() { Click(driver().FixedRangeNowButton().hwnd()); }

    std::vector<std::wstring> Messages() const { return host.Messages(); }
    std::wstring Settings() const { return platform::Widen(StoredSettings()); }

    WatchingHost& watching = UseHost<WatchingHost>();
};

// --- The list ---------------------------------------------------------------------

TEST_F(Sounds, FirstStartListsOurShutterInTheSoundEffectsFolderAndSelectsIt) {
    Shutter();
    Sound(L"お気に入り", L"unticked.mp3");
    StartAsIs(); // no settings file
    EXPECT_TRUE(driver().CategorySoundEffects().Checked());
    EXPECT_FALSE(driver().CategoryFavourites().Checked());
    EXPECT_EQ(Entries(), std::vector<std::wstring>{kShutterName});
    EXPECT_EQ(driver().SoundFiles(), std::vector<std::wstring>{Category(L"効果音") + L"\\" + kShutterName});
    EXPECT_EQ(driver().SoundList().ItemIndex(), 0);
    EXPECT_EQ(driver().SoundPlayer()->fileName, driver().SoundFiles()[0])
        << "the selected sound is the player's file";
}

TEST_F(Sounds, ListsEveryMatchingEntryOfTheTickedFoldersSortedByPath) {
    Sound(L"効果音", L"b.mp3");
    Sound(L"効果音", L"A.MP3"); // the pattern ignores letter case
    Sound(L"効果音", L"notes.txt");
    Sound(L"効果音", L"old.mp3.bak");
    Sound(L"効果音", L"hidden.mp3");
    ::SetFileAttributesW((Category(L"効果音") + L"\\hidden.mp3").c_str(), FILE_ATTRIBUTE_HIDDEN);
    ::CreateDirectoryW((Category(L"効果音") + L"\\folder.mp3").c_str(), nullptr); // listed like a file
    ::CreateDirectoryW((Category(L"効果音") + L"\\deeper").c_str(), nullptr);
    testkit::WriteFileBytes(Category(L"効果音") + L"\\deeper\\inside.mp3", "ID3"); // not searched
    Sound(L"お気に入り", L"fav.mp3");
    Sound(L"撮影声系1秒", L"off.mp3"); // an unticked category
    Start("bl_chkRND09=1\r\nbl_chkRND10=1\r\n");
    const std::wstring fx = Category(L"効果音") + L"\\";
    EXPECT_EQ(driver().SoundFiles(),
              (std::vector<std::wstring>{Category(L"お気に入り") + L"\\fav.mp3", fx + L"A.MP3", fx + L"b.mp3",
                                         fx + L"folder.mp3", fx + L"hidden.mp3"}));
    EXPECT_EQ(Entries(),
              (std::vector<std::wstring>{L"fav.mp3", L"A.MP3", L"b.mp3", L"folder.mp3", L"hidden.mp3"}));
    EXPECT_EQ(driver().SoundList().ItemIndex(), 0);
}

TEST_F(Sounds, TheStoredNameSelectsTheLaterOfTwoEqualNamesWhateverItsFolder) {
    Sound(L"撮影声系1秒", L"shot.mp3");
    Sound(L"撮影声系1秒", L"z.mp3");
    Sound(L"お気に入り", L"shot.mp3");
    const std::wstring stored = Category(L"効果音") + L"\\shot.mp3"; // a folder that is not even ticked
    Start("bl_chkRND01=1\r\nbl_chkRND09=1\r\nbl_chkRND10=0\r\nSoundName=" + platform::Narrow(stored) +
          "\r\n");
    ASSERT_EQ(Entries(), (std::vector<std::wstring>{L"shot.mp3", L"shot.mp3", L"z.mp3"}))
        << "お気に入り sorts before 撮影声系1秒";
    EXPECT_EQ(driver().SoundList().ItemIndex(), 1);
    EXPECT_EQ(driver().SoundFiles()[1], Category(L"撮影声系1秒") + L"\\shot.mp3");
    driver().WriteSettings();
    EXPECT_NE(Settings().find(L"SoundName=" + driver().SoundFiles()[1] + L"\r\n"), std::wstring::npos)
        << "the next write stores the sound now selected";
}

TEST_F(Sounds, AllCategoriesOffAtStartTicksTheFirst) {
    Sound(L"撮影声系1秒", L"voice.mp3");
    Shutter();
    std::string off;
    for (int i = 1; i <= 10; ++i) {
        off += "bl_chkRND" + std::string(i < 10 ? "0" : "") + std::to_string(i) + "=0\r\n";
    }
    Start(off);
    EXPECT_TRUE(driver().CategoryShutterVoice1s().Checked());
    EXPECT_FALSE(driver().CategorySoundEffects().Checked());
    EXPECT_EQ(Entries(), std::vector<std::wstring>{L"voice.mp3"});
    EXPECT_NE(Settings().find(L"bl_chkRND01=1\r\n"), std::wstring::npos);
}

TEST_F(Sounds, TickingACategoryRebuildsTheListFromTheTopAndWritesTheSettings) {
    Shutter();
    Sound(L"お気に入り", L"fav.mp3");
    Start();
    driver().SoundList().SetItemIndex(-1);
    Click(driver().CategoryFavourites().hwnd());
    EXPECT_TRUE(driver().CategoryFavourites().Checked());
    EXPECT_EQ(Entries(), (std::vector<std::wstring>{L"fav.mp3", kShutterName}));
    EXPECT_EQ(driver().SoundList().ItemIndex(), 0);
    EXPECT_NE(Settings().find(L"bl_chkRND09=1\r\n"), std::wstring::npos);

    // A file copied in later shows after a refresh, and the selection starts over.
    Sound(L"効果音", L"new.mp3");
    driver().SoundList().SetItemIndex(2);
    Click(driver().RefreshSoundsButton().hwnd());
    EXPECT_EQ(Entries(), (std::vector<std::wstring>{L"fav.mp3", L"new.mp3", kShutterName}));
    EXPECT_EQ(driver().SoundList().ItemIndex(), 0);
}

TEST_F(Sounds, UntickingEveryBoxEmptiesTheListAndACaptureSavesBeforeSayingSo) {
    Shutter();
    Start("SoundEnabled=1\r\n");
    Click(driver().CategorySoundEffects().hwnd());
    EXPECT_EQ(driver().SoundList().Count(), 0);
    EXPECT_EQ(driver().SoundList().ItemIndex(), -1);
    EXPECT_TRUE(driver().SoundFiles().empty());
    EXPECT_FALSE(driver().CategoryShutterVoice1s().Checked()) << "nothing is forced on until the next start";

    std::vector<std::wstring> picturesAtMessage;
    watching.onMessage = [&] { picturesAtMessage = testkit::FolderNames(saves); };
    Capture();
    EXPECT_EQ(Messages(), std::vector<std::wstring>{kNoSoundSelected});
    EXPECT_EQ(picturesAtMessage, std::vector<std::wstring>{L"20240315_142530_045_固K.png"});
    EXPECT_FALSE(driver().SoundDue());
}

// --- The page's buttons and link --------------------------------------------------

TEST_F(Sounds, TheFolderButtonOpensTheSoundTreeOrSaysItIsMissing) {
    Start();
    Click(driver().SoundFolderButton().hwnd());
    EXPECT_EQ(Messages(),
              std::vector<std::wstring>{L"【お知らせ】\r\n\r\n[音声フォルダ(～\\mp3)]が存在しません"});
    EXPECT_TRUE(host.CallsOf(HostCall::Kind::ShellLaunch).empty());

    ::CreateDirectoryW((program / L"mp3").c_str(), nullptr);
    Click(driver().SoundFolderButton().hwnd());
    const auto launches = host.CallsOf(HostCall::Kind::ShellLaunch);
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].text, L"explorer.exe");
    EXPECT_EQ(launches[0].argument, L" /n/e,\"" + program / L"mp3" + L"\"");
    EXPECT_EQ(launches[0].owner, window->hwnd());
}

TEST_F(Sounds, TheLinkShowsItsNoteThenOpensTheShippedPage) {
    Start();
    std::size_t launchesAtNote = 99;
    watching.onMessage = [&] { launchesAtNote = host.CallsOf(HostCall::Kind::ShellLaunch).size(); };
    ::SendMessageW(window->pager().Page(3).hwnd(), WM_COMMAND, MAKEWPARAM(0, STN_CLICKED),
                   reinterpret_cast<LPARAM>(driver().DownloadLink().hwnd()));
    EXPECT_EQ(Messages(),
              std::vector<std::wstring>{
                  L"DLC(ダウンロードコンテンツ)サイトを開きます。\r\n\r\n"
                  L"撮影音としては長尺すぎるけど作品としての完成度が高かったため\r\n"
                  L"DLCとしてここで公開しています。\r\n"
                  L"ダウンロードして「お気に入り」に入れれば撮影音としてのご利用も可能です。(!?)\r\n\r\n"
                  L"なお今後も状況によっては長尺もの以外もここに追加していく可能性があります。"});
    EXPECT_EQ(launchesAtNote, 0u) << "the page opens after the note is closed";
    const auto launches = host.CallsOf(HostCall::Kind::ShellLaunch);
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].caption, L"open");
    EXPECT_EQ(launches[0].text, program / L"Mirulo_撮影音.html");
    EXPECT_EQ(launches[0].argument, L"");
    EXPECT_EQ(launches[0].directory, L"");
    EXPECT_EQ(launches[0].flags, static_cast<unsigned>(SW_SHOWNORMAL));
    EXPECT_EQ(launches[0].owner, window->hwnd());
}

TEST(SoundTree, TheBuildPutsTheTenCategoriesOurShutterAndThePageBesideTheProgram) {
    std::vector<std::wstring> expected(sound::kCategoryFolders.begin(), sound::kCategoryFolders.end());
    std::sort(expected.begin(), expected.end());
    std::vector<std::wstring> found = testkit::FolderNames(BuiltProgramFolder() + L"\\mp3");
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, expected);
    EXPECT_EQ(testkit::FolderNames(BuiltProgramFolder() + L"\\mp3\\効果音"),
              std::vector<std::wstring>{kShutterName});
    const std::string page = testkit::ReadFileBytes(BuiltProgramFolder() + L"\\Mirulo_撮影音.html");
    EXPECT_NE(page.find("mp3"), std::string::npos);
    EXPECT_EQ(page.find("http"), std::string::npos) << "the page points nowhere else";
}

// --- Playback -----------------------------------------------------------------------

TEST_F(Sounds, OurShutterOpensAndPlaysToItsEndWithoutWaiting) {
    Shutter();
    StartAsIs();
    std::vector<UINT> notices;
    driver().SoundPlayer()->OnNotify = [&](UINT flag, MCIDEVICEID) { notices.push_back(flag); };
    Click(driver().PlayButton().hwnd());
    ASSERT_NE(driver().SoundPlayer()->deviceId(), 0u);
    EXPECT_EQ(driver().SoundPlayer()->lastError(), 0u);
    EXPECT_GT(driver().SoundPlayer()->lengthMs(), 100u);
    EXPECT_LT(driver().SoundPlayer()->lengthMs(), 500u) << "a shutter, not a tune";
    EXPECT_EQ(driver().SoundPlayer()->Mode(), std::optional<DWORD>(MCI_MODE_PLAY))
        << "the click returned while playing";
    ASSERT_TRUE(PumpUntil([&] { return !notices.empty(); }, 5000));
    EXPECT_EQ(notices, std::vector<UINT>{MCI_NOTIFY_SUCCESSFUL});
    EXPECT_EQ(driver().SoundPlayer()->Mode(), std::optional<DWORD>(MCI_MODE_STOP));
    EXPECT_EQ(OpenMciDevices(), 1u) << "the device stays open until the next sound";
    EXPECT_TRUE(Messages().empty());
}

TEST_F(Sounds, ASecondSoundClosesTheFirstsDevice) {
    Shutter();
    StartAsIs();
    Click(driver().PlayButton().hwnd());
    const MCIDEVICEID first = driver().SoundPlayer()->deviceId();
    ASSERT_NE(first, 0u);
    Click(driver().PlayButton().hwnd());
    ASSERT_NE(driver().SoundPlayer()->deviceId(), 0u);
    EXPECT_EQ(OpenMciDevices(), 1u);
    EXPECT_EQ(driver().SoundPlayer()->Mode(), std::optional<DWORD>(MCI_MODE_PLAY));
}

TEST_F(Sounds, AnUnreadableSoundShowsMcisErrorAfterThePictureIsSaved) {
    Sound(L"効果音", L"broken.mp3", std::string(4096, '\x5A'));
    Start("SoundEnabled=1\r\n");
    std::vector<std::wstring> picturesAtMessage;
    watching.onMessage = [&] { picturesAtMessage = testkit::FolderNames(saves); };
    CaptureWithButton();
    const MCIERROR error = driver().SoundPlayer()->lastError();
    ASSERT_NE(error, 0u);
    const auto boxes = host.CallsOf(HostCall::Kind::Message);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, sound::MciPlayer::ErrorText(error));
    EXPECT_NE(boxes[0].text, L"");
    EXPECT_EQ(boxes[0].caption, L"ミルロ");
    EXPECT_EQ(picturesAtMessage, std::vector<std::wstring>{L"20240315_142530_045_固B.png"});
    EXPECT_TRUE(::IsWindowVisible(window->hwnd())) << "the window is back after the error";
    EXPECT_EQ(driver().SoundPlayer()->deviceId(), 0u);
    EXPECT_EQ(OpenMciDevices(), 0u) << "a failed open leaves nothing open";
    EXPECT_FALSE(driver().SoundDue());
}

TEST_F(Sounds, CapturesPlayOnlyWithTheSoundBoxButTheTestButtonAlways) {
    Shutter();
    StartAsIs();
    window->SetSaveFolder(saves);
    window->SetFixedRange(0, 0, 32, 32);
    Capture();
    EXPECT_EQ(driver().SoundPlayer()->deviceId(), 0u) << "the sound box is off: a silent capture";
    EXPECT_FALSE(driver().SoundDue());
    Click(driver().PlayButton().hwnd());
    EXPECT_NE(driver().SoundPlayer()->deviceId(), 0u);
    driver().SoundPlayer()->Close();

    Click(driver().SoundBox().hwnd());
    EXPECT_NE(Settings().find(L"SoundEnabled=1\r\n"), std::wstring::npos);
    Capture();
    EXPECT_NE(driver().SoundPlayer()->deviceId(), 0u);
    driver().SoundPlayer()->Close();

    // A capture that grabbed nothing plays nothing.
    window->SetFixedRange(5, 0, 0, 32);
    Capture();
    EXPECT_EQ(driver().SoundPlayer()->deviceId(), 0u);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(Sounds, RandomModePicksFromTheCounterBeforeEveryPlay) {
    for (const wchar_t* name : {L"a.mp3", L"b.mp3", L"c.mp3", L"d.mp3", L"e.mp3"}) {
        Shutter(L"効果音", name);
    }
    Start("bl_chkRND=1\r\n");
    ASSERT_EQ(driver().SoundList().Count(), 5);
    for (const std::int64_t counter : {std::int64_t{0}, std::int64_t{0xDEADBEEF}, std::int64_t{0x7'0000'0003},
                                       std::int64_t{0x12345678}, std::int64_t{-1}}) {
        SCOPED_TRACE(counter);
        host.counter = counter;
        const int expected = sound::RandomSoundIndex(static_cast<std::uint32_t>(counter), 5);
        Click(driver().PlayButton().hwnd());
        EXPECT_EQ(driver().SoundList().ItemIndex(), expected);
        EXPECT_EQ(driver().SoundPlayer()->fileName,
                  driver().SoundFiles()[static_cast<std::size_t>(expected)]);
    }
    EXPECT_EQ(OpenMciDevices(), 1u);
    driver().WriteSettings();
    EXPECT_NE(Settings().find(L"SoundName=" + driver().SoundPlayer()->fileName + L"\r\n"), std::wstring::npos)
        << "the sound picked last is the one stored";
}

TEST_F(Sounds, NothingToPlayIsReportedAndAVanishedFileIsSkippedQuietly) {
    Shutter();
    Start("bl_chkRND=1\r\n");
    Click(driver().CategorySoundEffects().hwnd()); // empty list, random mode
    Click(driver().PlayButton().hwnd());
    EXPECT_EQ(Messages(), std::vector<std::wstring>{kNoSoundSelected});

    Click(driver().RandomPlayBox().hwnd()); // normal mode, nothing selected
    Click(driver().CategorySoundEffects().hwnd());
    driver().SoundList().SetItemIndex(-1);
    Click(driver().PlayButton().hwnd());
    EXPECT_EQ(Messages(), (std::vector<std::wstring>{kNoSoundSelected, kNoSoundSelected}));

    driver().SoundList().SetItemIndex(0);
    ::DeleteFileW(driver().SoundFiles()[0].c_str());
    Click(driver().PlayButton().hwnd());
    EXPECT_EQ(Messages().size(), 2u);
    EXPECT_EQ(driver().SoundPlayer()->deviceId(), 0u);
}

TEST_F(Sounds, DestroyingTheWindowClosesTheDevice) {
    Shutter();
    StartAsIs();
    Click(driver().PlayButton().hwnd());
    ASSERT_EQ(OpenMciDevices(), 1u);
    ::DestroyWindow(window->hwnd());
    EXPECT_EQ(OpenMciDevices(), 0u);
    PumpMessages(); // the quit message the destruction posts

    // A window torn down without its destruction message closes it too.
    MainWindowTest::Start();
    Click(driver().PlayButton().hwnd());
    ASSERT_EQ(OpenMciDevices(), 1u);
    window.reset();
    EXPECT_EQ(OpenMciDevices(), 0u);
}

} // namespace
