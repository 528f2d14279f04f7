// The main page's picture list as the user sees it after a refresh, a reload,
// a double-click and a right-click.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "platform/RecordingHost.h"
#include "platform/Wide.h"
#include "support/MainWindowTest.h"

using namespace mirulo;

namespace {

class PictureList : public testkit::MainWindowTest {
protected:
    PictureList() { MakeSaveFolder(); }

    void Picture(const std::wstring& name, std::size_t bytes = 10) {
        testkit::WriteFileBytes(saves + L"\\" + name, std::string(bytes, 'x'));
    }

    void Start() { MainWindowTest::Start(SaveFolderLine()); }

    std::vector<std::wstring> Entries() const {
        std::vector<std::wstring> entries;
        for (int i = 0; i < driver().PictureList().Count(); ++i) {
            entries.push_back(driver().PictureList().Item(i));
        }
        return entries;
    }
};

TEST_F(PictureList, AnEmptyFolderShowsNothingSelectedAndZeroPictures) {
    Start();
    EXPECT_EQ(driver().PictureList().Count(), 0);
    EXPECT_EQ(driver().PictureList().ItemIndex(), -1);
    EXPECT_EQ(driver().StatusText(), L"(0枚、画像サイズ合計0.000MB)");
}

TEST_F(PictureList, ListsPngAndJpgNewestFirstWithTheirCountAndTotalSize) {
    Picture(L"20240315_142530_045_固K.png", 1048576);
    Picture(L"20240316_090000_000_全B.jpg", 524288);
    Picture(L"20240101_000000_000_全K.PNG");
    Picture(L"notes.jpeg");
    Picture(L"old.bmp");
    Picture(L"20240315_142530_045_固K.png.old");
    ::CreateDirectoryW((saves + L"\\folder.png").c_str(), nullptr);
    Start();
    EXPECT_EQ(Entries(),
              (std::vector<std::wstring>{L"folder.png", L"20240316_090000_000_全B.jpg",
                                         L"20240315_142530_045_固K.png", L"20240101_000000_000_全K.PNG"}));
    EXPECT_EQ(driver().PictureList().ItemIndex(), 0);
    EXPECT_EQ(driver().PicturesTotalSize(), 1048576 + 524288 + 10);
    EXPECT_EQ(driver().StatusText(), L"(4枚、画像サイズ合計1.500MB)");
}

TEST_F(PictureList, ReloadKeepsTheNearestUnmarkedEntryAboveTheSelection) {
    for (const wchar_t* name : {L"a.png", L"b.png", L"c.png", L"d.png"}) {
        Picture(name);
    }
    Start(); // d, c, b, a
    struct Case {
        std::vector<int> marked;
        int selected;
        std::wstring expected;
    };
    const Case cases[] = {
        {{2}, 2, L"c.png"},    // b is marked: c above it stays selected
        {{0, 1}, 1, L"d.png"}, // everything up to the top marked: the top entry
        {{}, -1, L"d.png"},    // no selection: the top entry
        {{}, 3, L"a.png"},     // an unmarked selection is kept
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(platform::Narrow(c.expected));
        driver().CountPictures();
        for (int index : c.marked) {
            driver().PictureList().SetItem(index, L"[ゴミ箱]" + driver().PictureList().Item(index));
        }
        driver().PictureList().SetItemIndex(c.selected);
        ::SendMessageW(driver().ReloadButton().hwnd(), BM_CLICK, 0, 0);
        ASSERT_GE(driver().PictureList().ItemIndex(), 0);
        EXPECT_EQ(driver().PictureList().Item(driver().PictureList().ItemIndex()), c.expected);
        EXPECT_EQ(driver().PictureList().Count(), 4) << "marks are dropped";
    }
}

TEST_F(PictureList, ADoubleClickOpensTheSelectedPictureWithItsProgram) {
    Picture(L"a.png");
    Start();
    ::SendMessageW(window->pager().Page(0).hwnd(), WM_COMMAND, MAKEWPARAM(0, LBN_DBLCLK),
                   reinterpret_cast<LPARAM>(driver().PictureList().hwnd()));
    const auto launches = host.CallsOf(platform::HostCall::Kind::ShellLaunch);
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].caption, L"OPEN");
    EXPECT_EQ(launches[0].text, saves + L"\\a.png");
    EXPECT_EQ(launches[0].flags, static_cast<unsigned>(SW_SHOWNORMAL));
    EXPECT_EQ(launches[0].owner, window->hwnd());

    ::DeleteFileW((saves + L"\\a.png").c_str());
    host.calls.clear();
    ::SendMessageW(window->pager().Page(0).hwnd(), WM_COMMAND, MAKEWPARAM(0, LBN_DBLCLK),
                   reinterpret_cast<LPARAM>(driver().PictureList().hwnd()));
    EXPECT_TRUE(host.CallsOf(platform::HostCall::Kind::ShellLaunch).empty())
        << "a vanished file opens nothing";
}

TEST_F(PictureList, ARightClickSelectsTheEntryUnderThePointerButNotBelowTheLast) {
    for (const wchar_t* name : {L"a.png", L"b.png", L"c.png"}) {
        Picture(name);
    }
    Start();
    window->ShowFirstTime();
    RECT item{};
    ::SendMessageW(driver().PictureList().hwnd(), LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
    const auto rightClickAt = [&](POINT client) {
        POINT screen = client;
        ::ClientToScreen(driver().PictureList().hwnd(), &screen);
        ::SetCursorPos(screen.x, screen.y);
        ::SendMessageW(driver().PictureList().hwnd(), WM_RBUTTONDOWN, MK_RBUTTON,
                       MAKELPARAM(client.x, client.y));
        ::SendMessageW(driver().PictureList().hwnd(), WM_RBUTTONUP, 0, MAKELPARAM(client.x, client.y));
    };
    rightClickAt({item.left + 5, item.top + 3});
    EXPECT_EQ(driver().PictureList().ItemIndex(), 1);
    rightClickAt({item.left + 5, item.bottom + 200}); // below the last entry
    EXPECT_EQ(driver().PictureList().ItemIndex(), 1);
}

} // namespace
