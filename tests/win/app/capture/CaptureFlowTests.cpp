// Captures as the main window runs them: what lands in the save folder, under
// which name, with which pixels, what reaches the clipboard, and what the window
// does around the button captures.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <span>

#include "image/JpegReader.h"
#include "image/PngReader.h"
#include "platform/FileWrites.h"
#include "platform/Wide.h"
#include "support/ClipboardHeld.h"
#include "support/MainWindowTest.h"
#include "support/PatternWindow.h"

using namespace mirulo;
using capture::fixture::PatternColour;
using capture::fixture::PatternWindow;
using testkit::ClipboardHeld;
using testkit::PumpMessages;

namespace {

constexpr wchar_t kFixedName[] = L"20240315_142530_045_固K.png";
constexpr wchar_t kNoFolder[] = L"スクリーンショット保存フォルダが未指定または存在しません。\n\r["
                                L"保存フォルダ設定]ボタンで指定してください。";

std::uint32_t PixelOf(const image::Image& picture, std::uint32_t x, std::uint32_t y) {
    const std::uint8_t* p = picture.row(y) + static_cast<std::size_t>(x) * picture.channels;
    return (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
}

std::vector<std::wstring> FolderEntries(const std::wstring& folder) {
    return testkit::FolderNames(folder);
}

void EmptyClipboard(HWND owner) {
    ASSERT_TRUE(::OpenClipboard(owner));
    ::EmptyClipboard();
    ::CloseClipboard();
}

// The size of the bitmap on the clipboard, or {0, 0} when it holds none.
SIZE ClipboardBitmapSize(HWND owner) {
    SIZE size{0, 0};
    if (!::OpenClipboard(owner)) {
        return size;
    }
    if (auto bitmap = static_cast<HBITMAP>(::GetClipboardData(CF_BITMAP))) {
        BITMAP info{};
        ::GetObjectW(bitmap, sizeof(info), &info);
        size = {info.bmWidth, info.bmHeight};
    }
    ::CloseClipboard();
    return size;
}

class CaptureFlow : public testkit::MainWindowTest {
protected:
    CaptureFlow() { MakeSaveFolder(); }

    void Start(const std::string& extraSettings = "") {
        MainWindowTest::Start(SaveFolderLine() + extraSettings);
        ASSERT_TRUE(host.Messages().empty());
    }

    void SetFixedRange(int left, int top, int width, int height) {
        window->SetFixedRange(left, top, width, height);
    }

    // The pattern window's place relative to the virtual desktop's corner.
    POINT DesktopOffset(const PatternWindow& pattern) const {
        const RECT r = pattern.rect();
        return {r.left - ::GetSystemMetrics(SM_XVIRTUALSCREEN),
                r.top - ::GetSystemMetrics(SM_YVIRTUALSCREEN)};
    }

    image::Image Decode(const std::wstring& name) const {
        const std::string bytes = testkit::ReadFileBytes(saves + L"\\" + name);
        const std::span<const std::uint8_t> view(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                                 bytes.size());
        return name.ends_with(L".png") ? image::DecodePng(view) : image::DecodeJpeg(view);
    }
};

TEST_F(CaptureFlow, AFixedRangeCaptureSavesExactlyThosePixelsAsPng) {
    Start();
    PatternWindow pattern(300, 200, 64, 48);
    PumpMessages();
    const POINT at = DesktopOffset(pattern);
    SetFixedRange(at.x + 5, at.y + 3, 40, 30);
    driver().StartCapture(capture::kFixedByHotKey);

    EXPECT_EQ(FolderEntries(saves), std::vector<std::wstring>{kFixedName});
    const std::string bytes = testkit::ReadFileBytes(saves + L"\\" + kFixedName);
    ASSERT_GT(bytes.size(), 33u);
    EXPECT_EQ(bytes[24], 8) << "bit depth";
    EXPECT_EQ(bytes[25], 2) << "colour type: RGB without alpha";
    const image::Image saved = Decode(kFixedName);
    ASSERT_EQ(saved.width, 40u);
    ASSERT_EQ(saved.height, 30u);
    EXPECT_EQ(saved.channels, 3u);
    for (std::uint32_t y = 0; y < saved.height; ++y) {
        for (std::uint32_t x = 0; x < saved.width; ++x) {
            ASSERT_EQ(PixelOf(saved, x, y), PatternColour(static_cast<int>(x) + 5, static_cast<int>(y) + 3))
                << x << "," << y;
        }
    }
    // The capture sound's flag is set by the grab and consumed by playSound at the
    // end (the sound tests check that a capture with a picture plays).
    EXPECT_FALSE(driver().SoundDue());
    // The list follows the capture: the new file on top and selected, with the count.
    ASSERT_EQ(driver().PictureList().Count(), 1);
    EXPECT_EQ(driver().PictureList().Item(0), kFixedName);
    EXPECT_EQ(driver().PictureList().ItemIndex(), 0);
    EXPECT_EQ(driver().StatusText().rfind(L"(1枚、画像サイズ合計0.", 0), 0u) << driver().StatusText();
}

TEST_F(CaptureFlow, AFullScreenCaptureCoversTheWholeVirtualDesktopWhateverTheFixedRange) {
    Start("PNGorJPGNumber=1\r\n");
    PatternWindow pattern(100, 100, 64, 48);
    PumpMessages();
    SetFixedRange(0, 0, 10, 10);
    driver().StartCapture(capture::kFullScreenByHotKey);
    const std::wstring name = L"20240315_142530_045_全K.jpg";
    ASSERT_EQ(FolderEntries(saves), std::vector<std::wstring>{name});
    const std::string bytes = testkit::ReadFileBytes(saves + L"\\" + name);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xD8");
    EXPECT_NE(bytes.find("\xFF\xC0"), std::string::npos) << "baseline";
    const image::Image saved = Decode(name);
    EXPECT_EQ(saved.width, static_cast<std::uint32_t>(::GetSystemMetrics(SM_CXVIRTUALSCREEN)));
    EXPECT_EQ(saved.height, static_cast<std::uint32_t>(::GetSystemMetrics(SM_CYVIRTUALSCREEN)));
    // Flat areas of the pattern survive JPEG closely: compare its centre block loosely.
    const POINT at = DesktopOffset(pattern);
    const std::uint32_t expected = PatternColour(32, 24);
    const std::uint32_t got =
        PixelOf(saved, static_cast<std::uint32_t>(at.x + 32), static_cast<std::uint32_t>(at.y + 24));
    for (int shift : {16, 8, 0}) {
        const int a = static_cast<int>((expected >> shift) & 0xFF),
                  b = static_cast<int>((got >> shift) & 0xFF);
        EXPECT_NEAR(a, b, 96) << "channel " << shift; // the pattern changes every pixel: JPEG blurs it
    }
}

TEST_F(CaptureFlow, TheClipboardGetsTheCaptureExactlyWhenTheBoxesSaySo) {
    struct Case {
        bool box1, box3;
        capture::CaptureKind kind;
        bool copied;
    };
    const Case cases[] = {
        {false, true, capture::kFixedByHotKey, false},
        {false, true, capture::kFullScreenByHotKey, true},
        {true, false, capture::kFixedByHotKey, true},
        {true, false, capture::kFullScreenByButton, true},
        {false, false, capture::kFullScreenByHotKey, false},
        {false, false, capture::kFixedByTimer, false},
    };
    Start();
    SetFixedRange(10, 10, 33, 22);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.box1 << c.box3 << platform::Utf16ToUtf8(capture::CaptureCode(c.kind)));
        EmptyClipboard(window->hwnd());
        testkit::ClickTo(driver().FixedRangeToClipboardBox(), c.box1);
        testkit::ClickTo(driver().FullScreenToClipboardBox(), c.box3);
        driver().StartCapture(c.kind);
        const SIZE size = ClipboardBitmapSize(window->hwnd());
        if (c.copied) {
            const bool full = c.kind.range == capture::CaptureRange::FullScreen;
            EXPECT_EQ(size.cx, full ? ::GetSystemMetrics(SM_CXVIRTUALSCREEN) : 33);
            EXPECT_EQ(size.cy, full ? ::GetSystemMetrics(SM_CYVIRTUALSCREEN) : 22);
        } else {
            EXPECT_EQ(size.cx, 0);
        }
    }
}

TEST_F(CaptureFlow, NothingIsWrittenForAZeroSizedRangeAndARangeBeyondTheDesktopKeepsItsSize) {
    Start("ToClipboard1Enabled=1\r\n");
    EmptyClipboard(window->hwnd());
    SetFixedRange(50, 50, 0, 20);
    driver().StartCapture(capture::kFixedByHotKey);
    EXPECT_TRUE(FolderEntries(saves).empty());
    EXPECT_FALSE(driver().SoundDue());
    EXPECT_EQ(ClipboardBitmapSize(window->hwnd()).cx, 0);

    const int right = ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
    SetFixedRange(right - 10, 0, 30, 12);
    driver().StartCapture(capture::kFixedByHotKey);
    ASSERT_EQ(FolderEntries(saves).size(), 1u);
    const image::Image saved = Decode(FolderEntries(saves)[0]);
    EXPECT_EQ(saved.width, 30u);
    EXPECT_EQ(saved.height, 12u);
    EXPECT_EQ(PixelOf(saved, 29, 11), 0xFFFFFFu) << "beyond the desktop the picture stays white";
}

TEST_F(CaptureFlow, AFixedRangeThatIsNotSetIsReportedAndSwitchesTheAutoCaptureOff) {
    Start("TimerEnabled=1\r\n");
    ASSERT_TRUE(driver().AutoCaptureBox().Checked());
    driver().StartCapture(capture::kFixedByTimer);
    EXPECT_EQ(host.Messages(),
              std::vector<std::wstring>{L"撮影範囲が未指定です。\n\r[スクショ範囲指定]を行ってください。"});
    EXPECT_FALSE(driver().AutoCaptureBox().Checked());
    EXPECT_FALSE(driver().AutoCapturePeriodList().Enabled());
    EXPECT_FALSE(driver().AutoCaptureTimer().Enabled());
    EXPECT_TRUE(FolderEntries(saves).empty());
}

TEST_F(CaptureFlow, AMissingFolderIsReportedAndARefusedDelayIsNotLeftBehind) {
    Start();
    ::RemoveDirectoryW(saves.c_str());
    ::SendMessageW(driver().FullScreenIn3sButton().hwnd(), BM_CLICK, 0, 0);
    EXPECT_EQ(host.Messages(), std::vector<std::wstring>{kNoFolder});
    EXPECT_EQ(driver().CaptureDelay(), 0);
    EXPECT_TRUE(host.CallsOf(platform::HostCall::Kind::Sleep).empty()) << "the window is not touched";

    ::CreateDirectoryW(saves.c_str(), nullptr);
    host.calls.clear();
    ::SendMessageW(driver().FullScreenNowButton().hwnd(), BM_CLICK, 0, 0);
    std::vector<unsigned> sleeps;
    for (const auto& call : host.CallsOf(platform::HostCall::Kind::Sleep)) {
        sleeps.push_back(call.flags);
    }
    EXPECT_EQ(sleeps, (std::vector<unsigned>{200, 0, 200}));
    EXPECT_EQ(FolderEntries(saves), std::vector<std::wstring>{L"20240315_142530_045_全B.png"});
}

TEST_F(CaptureFlow, ButtonsWaitTheirDelayAndBringTheWindowBack) {
    Start();
    window->ShowFirstTime();
    SetFixedRange(0, 0, 16, 16);
    struct Case {
        ui::Button* button;
        std::vector<unsigned> sleeps;
        const wchar_t* file;
    };
    const Case cases[] = {
        {&driver().FixedRangeNowButton(), {200, 200}, L"20240315_142530_045_固B.png"},
        {&driver().FullScreenIn10sButton(), {200, 10000, 200}, L"20240315_142530_045_全B.png"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(platform::Narrow(c.file));
        host.calls.clear();
        ::SendMessageW(c.button->hwnd(), BM_CLICK, 0, 0);
        std::vector<unsigned> sleeps;
        for (const auto& call : host.CallsOf(platform::HostCall::Kind::Sleep)) {
            sleeps.push_back(call.flags);
        }
        EXPECT_EQ(sleeps, c.sleeps);
        EXPECT_TRUE(testkit::FileExists(saves + L"\\" + c.file));
        EXPECT_TRUE(::IsWindowVisible(window->hwnd()));
        EXPECT_FALSE(::IsIconic(window->hwnd()));
        EXPECT_TRUE(host.Messages().empty());
    }
}

TEST_F(CaptureFlow, AFailedWriteIsReportedLeavesNoFileAndTheWindowComesBack) {
    Start();
    window->ShowFirstTime();
    // A folder already holds the picture's name: the file cannot be written.
    ::CreateDirectoryW((saves + L"\\20240315_142530_045_全B.png").c_str(), nullptr);
    ::SendMessageW(driver().FullScreenNowButton().hwnd(), BM_CLICK, 0, 0);
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_NE(host.Messages()[0].find(L"20240315_142530_045_全B.png"), std::wstring::npos);
    EXPECT_EQ(FolderEntries(saves).size(), 1u) << "no partial or temporary file";
    EXPECT_TRUE(::IsWindowVisible(window->hwnd()));
    EXPECT_FALSE(::IsIconic(window->hwnd()));
}

// The file is what the key was pressed for: a clipboard held by another
// program costs the clipboard copy, reported as such, never the picture.
TEST_F(CaptureFlow, AHeldClipboardIsReportedAndThePictureIsSavedAndListed) {
    Start("ToClipboard1Enabled=1\r\nX=0\r\nY=0\r\nW=40\r\nH=30\r\nKey1Number=5\r\n");
    ClipboardHeld held;
    ASSERT_TRUE(held.holding());
    ::SendMessageW(window->hwnd(), WM_HOTKEY, static_cast<WPARAM>(driver().HotKeyId(1)), 0);
    ASSERT_EQ(host.Messages().size(), 1u);
    const std::wstring message = host.Messages()[0];
    EXPECT_EQ(message.rfind(L"クリップボード ", 0), 0u) << platform::Narrow(message);
    EXPECT_TRUE(message.ends_with(L" を開けません")) << platform::Narrow(message);
    EXPECT_EQ(FolderEntries(saves), std::vector<std::wstring>{kFixedName});
    EXPECT_EQ(Decode(kFixedName).width, 40u);
    EXPECT_EQ(driver().PictureList().Item(0), kFixedName) << "the list shows the saved picture";
}

// A save folder whose path is longer than MAX_PATH (Windows refuses such paths
// unless they are in their extended-length form): the start accepts it, a hot
// key saves into it, the list shows the picture, and a picture whose save was
// interrupted there is finished at the next start.
TEST_F(CaptureFlow, ASaveFolderLongerThanMaxPathWorksFromStartToList) {
    std::wstring deep = saves;
    while (deep.size() <= MAX_PATH + 40) {
        deep += L"\\" + std::wstring(40, L'深');
        ASSERT_TRUE(::CreateDirectoryW(platform::ExtendedLengthPath(deep).c_str(), nullptr));
    }
    const std::string settings =
        "Folder=" + platform::Narrow(deep) + "\r\nX=0\r\nY=0\r\nW=40\r\nH=30\r\nKey1Number=5\r\n";
    MainWindowTest::Start(settings);
    ASSERT_TRUE(host.Messages().empty());
    ::SendMessageW(window->hwnd(), WM_HOTKEY, static_cast<WPARAM>(driver().HotKeyId(1)), 0);
    EXPECT_TRUE(host.Messages().empty());
    ASSERT_EQ(FolderEntries(deep), std::vector<std::wstring>{kFixedName});
    EXPECT_EQ(driver().PictureList().Item(0), kFixedName);

    const std::wstring interrupted = L"20240101_000000_000_固K.png";
    ASSERT_TRUE(
        ::MoveFileW(platform::ExtendedLengthPath(deep + L"\\" + kFixedName).c_str(),
                    platform::ExtendedLengthPath(deep + L"\\.~mirulo-" + interrupted + L".tmp").c_str()));
    Close();
    MainWindowTest::Start(settings);
    EXPECT_TRUE(host.Messages().empty());
    EXPECT_EQ(FolderEntries(deep), std::vector<std::wstring>{interrupted});
    EXPECT_EQ(driver().PictureList().Item(0), interrupted);
}

// One box per press of a hot key, answered once: presses the box's own loop
// runs, presses still queued when it is answered and the repeats of a key held
// through it start nothing; the key let go, the next press is handled again.
class HotKeyBox : public CaptureFlow {
protected:
    void SetUp() override {
        CaptureFlow::SetUp();
        Start("Key3Number=5\r\n");
        ASSERT_NE(driver().HotKeyId(3), 0);
        window->SetSaveFolder(program / L"消えたフォルダ");
    }
    void Press(bool send = true) const {
        const LPARAM keys = MAKELPARAM(0, VK_F5);
        if (send) {
            ::SendMessageW(window->hwnd(), WM_HOTKEY, static_cast<WPARAM>(driver().HotKeyId(3)), keys);
        } else {
            ::PostMessageW(window->hwnd(), WM_HOTKEY, static_cast<WPARAM>(driver().HotKeyId(3)), keys);
        }
    }
    // Lets the watch of a held key look at the keyboard a few times.
    static void LetTimeRun() {
        for (int i = 0; i < 4; ++i) {
            ::Sleep(60);
            PumpMessages();
        }
    }
};

TEST_F(HotKeyBox, PressesRunByTheBoxOrQueuedDuringItOpenNoFurtherBox) {
    int nested = 0;
    host.whileMessageOpen = [&] {
        // The cap only keeps an unguarded program from recursing for ever.
        for (int press = 0; press < 5 && nested < 50; ++press, ++nested) {
            Press();      // run by the box's loop
            Press(false); // still waiting when the box is answered
        }
    };
    Press();
    host.whileMessageOpen = nullptr;
    PumpMessages();
    EXPECT_EQ(host.Messages(), std::vector<std::wstring>{kNoFolder});

    Press();
    EXPECT_EQ(host.Messages().size(), 2u) << "once answered, the next press is handled again";
}

TEST_F(HotKeyBox, AKeyHeldThroughTheBoxStartsNothingUntilItIsLetGo) {
    host.keysDown = {VK_F5};
    Press();
    for (int repeat = 0; repeat < 3; ++repeat) {
        Press();
        LetTimeRun();
    }
    EXPECT_EQ(host.Messages().size(), 1u) << "the repeats of the held key";

    host.keysDown.clear();
    LetTimeRun();
    Press();
    EXPECT_EQ(host.Messages().size(), 2u) << "a new press after the key was let go";
}

TEST_F(HotKeyBox, AKeyThatSeemsHeldButRepeatsNoMoreEndsTheWaitAfterASecond) {
    host.keysDown = {VK_F5}; // let go where this program could not see it
    Press();
    host.counter += host.frequency / 2;
    LetTimeRun();
    Press();
    EXPECT_EQ(host.Messages().size(), 1u) << "a repeat half a second later";
    host.counter += host.frequency + 1;
    LetTimeRun();
    Press();
    EXPECT_EQ(host.Messages().size(), 2u) << "no repeat for over a second";
}

} // namespace
