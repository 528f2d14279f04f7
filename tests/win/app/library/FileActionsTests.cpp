// The size cap, the recycle-bin button and the actions on a listed picture, in
// the real main window with real files, the real clipboard and the real trash.
// The shell's confirmations are answered as a user would answer them.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "image/JpegReader.h"
#include "image/JpegWriter.h"
#include "image/PngWriter.h"
#include "platform/DibSurface.h"
#include "platform/Handles.h"
#include "platform/Wide.h"
#include "support/ShellConfirmations.h"
#include "support/MainWindowTest.h"
#include "ui/Dispatch.h"

using namespace mirulo;
using platform::HostCall;
using platform::Narrow;

namespace {

constexpr std::int64_t kMiB = 1'048'576;

// Names unique to this run: the trash is shared with every other run.
std::wstring Unique(const std::wstring& stem) {
    static int serial = 0;
    return stem + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
           std::to_wstring(::GetTickCount64()) + L"-" + std::to_wstring(++serial);
}

void MakeSizedFile(const std::wstring& path, std::int64_t size) {
    platform::UniqueKernelHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file) << Narrow(path);
    LARGE_INTEGER end{};
    end.QuadPart = size;
    ASSERT_TRUE(::SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN));
    ASSERT_TRUE(::SetEndOfFile(file.get()));
}

// Runs `action` from inside the next modal loop of this thread (the rename
// dialog's), as soon as that loop handles messages.
std::function<void()> g_inDialog;
void WhenDialogShows(std::function<void()> action) {
    g_inDialog = std::move(action);
    ::SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
        ::KillTimer(nullptr, id);
        auto pending = std::move(g_inDialog);
        g_inDialog = nullptr;
        if (pending) {
            pending();
        }
    });
}

class FileActions : public testkit::MainWindowTest {
protected:
    FileActions() { MakeSaveFolder(); }
    ~FileActions() override { testkit::RemoveFromTrash(trashed); }

    std::wstring Picture(const std::wstring& name, std::int64_t bytes = 10) {
        MakeSizedFile(saves + L"\\" + name, bytes);
        return saves + L"\\" + name;
    }

    void Start(const std::string& moreSettings = "") {
        MainWindowTest::Start(SaveFolderLine() + moreSettings);
        driver().CreateRenameDialog();
        host.calls.clear();
    }

    std::vector<std::wstring> Entries() const {
        std::vector<std::wstring> entries;
        for (int i = 0; i < driver().PictureList().Count(); ++i) {
            entries.push_back(driver().PictureList().Item(i));
        }
        return entries;
    }

    std::vector<std::wstring> SavedNames() const {
        auto names = testkit::FolderNames(saves);
        std::sort(names.begin(), names.end());
        return names;
    }

    void Press(app::IconButton& button, UINT message) {
        ::SendMessageW(button.hwnd(), message, 0, MAKELPARAM(5, 5));
    }

    void Click(ui::Control& control) { ::SendMessageW(control.hwnd(), BM_CLICK, 0, 0); }

    bool InTrash(const std::wstring& name) const {
        return testkit::FileExists(testkit::TrashFolder() + L"\\files\\" + name);
    }

    std::vector<std::wstring> trashed;
};

// --- Size cap -----------------------------------------------------------------------

TEST_F(FileActions, TheCapMovesTheOldestPicturesToTheTrashUntilTheFolderFits) {
    ASSERT_FALSE(testkit::TrashFolder().empty());
    struct Case {
        const char* what;
        const char* cap;
        std::vector<std::int64_t> sizes; // oldest first
        std::size_t moved;               // how many of the oldest go
    };
    const Case cases[] = {
        {"exactly 104,857,600 bytes stay at 100", "100", {1, 2, 100 * kMiB - 3}, 0},
        {"one byte more moves the oldest", "100", {1, 2, 100 * kMiB - 2}, 1},
        {"and as many as it takes", "60", {30 * kMiB, 30 * kMiB, 60 * kMiB}, 2},
        {"cap 0 empties the list, the newest included", "0", {5, 6, 7}, 3},
        {"3000 is a 64-bit cap: 3,145,728,000 bytes stay", "3000", {145'728'000, 3'000'000'000}, 0},
        {"and one byte more moves the oldest", "3000", {145'728'001, 3'000'000'000}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testkit::RemoveFolderTree(saves);
        ::CreateDirectoryW(saves.c_str(), nullptr);
        std::vector<std::wstring> names;
        for (std::size_t i = 0; i < c.sizes.size(); ++i) {
            // Time-stamped names, so the list puts the newest on top.
            names.push_back(L"2024031" + std::to_wstring(i) + L"_" + Unique(L"cap") + L".png");
            Picture(names.back(), c.sizes[i]);
            trashed.push_back(names.back());
        }
        Start(std::string("FolderCapacityEnabled=1\r\nFolderCapacitySize=") + c.cap + "\r\n");
        {
            testkit::ShellConfirmations yes({IDYES});
            driver().MoveOldestToRecycleBinWhileOverCap();
            EXPECT_EQ(yes.answered(), static_cast<int>(c.moved)) << "one confirmation per move";
        }
        for (std::size_t i = 0; i < names.size(); ++i) {
            const bool gone = i < c.moved;
            EXPECT_EQ(testkit::FileExists(saves + L"\\" + names[i]), !gone) << Narrow(names[i]);
            EXPECT_EQ(InTrash(names[i]), gone) << Narrow(names[i]);
        }
        EXPECT_EQ(driver().PictureList().Count(), static_cast<int>(names.size() - c.moved));
        if (c.moved > 0 && driver().PictureList().Count() > 0) {
            EXPECT_EQ(driver().PictureList().ItemIndex(), 0);
        }
    }
}

// A picture held open by another program without sharing its removal: the
// recycle bin cannot take it. The shell is never asked (it would offer to
// delete the picture outright), the picture stays whole, the cap goes on with
// the next oldest, and says so once, not at every capture.
TEST_F(FileActions, APictureTheRecycleBinCannotTakeStaysAndTheCapSaysSoOnceAndGoesOn) {
    const std::wstring held = L"20240101_" + Unique(L"busy") + L".png";
    const std::wstring older = L"20240202_" + Unique(L"older") + L".png";
    const std::wstring newer = L"20240303_" + Unique(L"newer") + L".png";
    Picture(held, 2 * kMiB);
    Picture(older, 2 * kMiB);
    Picture(newer, 2 * kMiB);
    trashed = {held, older, newer};
    Start("FolderCapacityEnabled=1\r\nFolderCapacitySize=4\r\n");
    const std::string heldBytes = testkit::ReadFileBytes(saves + L"\\" + held);
    platform::UniqueKernelHandle busy(::CreateFileW((saves + L"\\" + held).c_str(), GENERIC_READ,
                                                    FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(busy);
    {
        // Yes to whatever the shell asks: still nothing may be deleted outright.
        testkit::ShellConfirmations yes({IDYES});
        driver().MoveOldestToRecycleBinWhileOverCap();
        EXPECT_EQ(yes.answered(), 1) << "one confirmation, for the one picture moved";
    }
    EXPECT_TRUE(testkit::FileExists(saves + L"\\" + held));
    EXPECT_TRUE(InTrash(older)) << "the cap went on with the next oldest";
    EXPECT_TRUE(testkit::FileExists(saves + L"\\" + newer)) << "and stopped once the folder fitted";
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_NE(host.Messages()[0].find(saves + L"\\" + held), std::wstring::npos) << "names the picture";
    EXPECT_EQ(driver().StatusText(), L"[ゴミ箱へ移動できません] " + held);

    // The next captures: the same picture is passed over without a word.
    for (int capture = 0; capture < 2; ++capture) {
        const std::wstring added = L"20240404_" + Unique(L"added") + L".png";
        Picture(added, 2 * kMiB);
        trashed.push_back(added);
        driver().CountPictures();
        testkit::ShellConfirmations yes({IDYES});
        driver().MoveOldestToRecycleBinWhileOverCap();
        EXPECT_EQ(yes.answered(), 1);
    }
    EXPECT_EQ(host.Messages().size(), 1u) << "said once";
    EXPECT_TRUE(InTrash(newer));
    busy.reset();
    EXPECT_EQ(testkit::ReadFileBytes(saves + L"\\" + held), heldBytes);
}

// A relative folder in the settings file is made full when it is read: a later
// change of the current folder (a file dialog makes one) moves nothing, and the
// shell, which ignores its undo for relative paths, only ever gets full ones.
TEST_F(FileActions, ARelativeSaveFolderIsMadeFullWhenReadAndItsPicturesStillGoToTheTrash) {
    const std::wstring name = L"20240101_" + Unique(L"relative") + L".png";
    Picture(name, 2 * kMiB);
    trashed = {name};
    testkit::TempFolder elsewhere(L"mirulo-elsewhere");
    ::CreateDirectoryW((elsewhere / L"画像").c_str(), nullptr);
    testkit::WriteFileBytes(elsewhere / (L"画像\\" + name), "a picture of the same name elsewhere");
    wchar_t before[MAX_PATH * 2] = {};
    ::GetCurrentDirectoryW(MAX_PATH * 2, before);
    ASSERT_TRUE(::SetCurrentDirectoryW(program.path().c_str()));
    MainWindowTest::Start("Folder=画像\r\nFolderCapacityEnabled=1\r\nFolderCapacitySize=1\r\n");
    EXPECT_EQ(window->SaveFolder(), saves);
    EXPECT_EQ(driver().SaveFolderLabel().Caption(), saves);
    ASSERT_TRUE(::SetCurrentDirectoryW(elsewhere.path().c_str()));
    {
        testkit::ShellConfirmations yes({IDYES});
        driver().MoveOldestToRecycleBinWhileOverCap();
    }
    ::SetCurrentDirectoryW(before);
    EXPECT_FALSE(testkit::FileExists(saves + L"\\" + name));
    EXPECT_TRUE(InTrash(name)) << "moved to the trash, not deleted outright";
    EXPECT_EQ(testkit::ReadFileBytes(elsewhere / (L"画像\\" + name)), "a picture of the same name elsewhere");
}

// A sub-folder named like a picture is listed, but neither the cap nor the
// recycle-bin button moves it, with everything in it, to the trash.
TEST_F(FileActions, AFolderNamedLikeAPictureIsNeverMovedToTheTrash) {
    const std::wstring backup = L"backup-" + Unique(L"folder") + L".png";
    const std::wstring oldest = L"00000000_" + Unique(L"folder") + L".png";
    const std::wstring picture = L"20240101_" + Unique(L"picture") + L".png";
    for (const std::wstring& folder : {backup, oldest}) {
        ::CreateDirectoryW((saves + L"\\" + folder).c_str(), nullptr);
        testkit::WriteFileBytes(saves + L"\\" + folder + L"\\inside.png", "kept");
    }
    Picture(picture, 2 * kMiB);
    trashed = {backup, oldest, picture};
    Start("FolderCapacityEnabled=1\r\nFolderCapacitySize=0\r\n");
    host.calls.clear();
    ASSERT_EQ(driver().PictureList().Item(0), backup);
    driver().PictureList().SetItemIndex(0);
    {
        testkit::ShellConfirmations yes({IDYES});
        Press(driver().RecycleButton(), WM_LBUTTONDOWN);
        EXPECT_EQ(yes.answered(), 0) << "the shell is not asked";
    }
    EXPECT_EQ(driver().PictureList().Item(0), backup) << "not marked";
    {
        testkit::ShellConfirmations yes({IDYES});
        driver().MoveOldestToRecycleBinWhileOverCap();
        EXPECT_EQ(yes.answered(), 1) << "only the picture";
    }
    EXPECT_TRUE(InTrash(picture));
    for (const std::wstring& folder : {backup, oldest}) {
        EXPECT_EQ(testkit::ReadFileBytes(saves + L"\\" + folder + L"\\inside.png"), "kept") << Narrow(folder);
    }
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(FileActions, TheCapIsOffOrFailsWithoutMovingAnything) {
    const std::wstring name = Unique(L"kept") + L".png";
    Picture(name, 2 * kMiB);
    trashed = {name};
    Start("FolderCapacityEnabled=0\r\nFolderCapacitySize=0\r\n");
    driver().MoveOldestToRecycleBinWhileOverCap();
    EXPECT_TRUE(testkit::FileExists(saves + L"\\" + name)) << "cap off";

    testkit::ClickTo(driver().SizeCapBox(), true);
    driver().SizeCapField().SetCaption(L"1x"); // still being typed: not yet normalised
    host.calls.clear();
    ui::Guarded(host, window->hwnd(), [&] { driver().MoveOldestToRecycleBinWhileOverCap(); });
    EXPECT_EQ(host.Messages(), std::vector<std::wstring>{L"'1x' は整数ではありません"});
    EXPECT_TRUE(testkit::FileExists(saves + L"\\" + name));
}

TEST_F(FileActions, TheCapFieldBecomesAWholeNumberWhenLeft) {
    Start();
    testkit::ClickTo(driver().SizeCapBox(), true);
    const struct {
        const wchar_t* typed;
        const wchar_t* shown;
    } cases[] = {{L"abc", L"100"}, {L"", L"100"}, {L" 42", L"42"}, {L"0x20", L"32"}, {L"-7", L"-7"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.typed));
        driver().SizeCapField().SetCaption(c.typed);
        ::SendMessageW(::GetParent(driver().SizeCapField().hwnd()), WM_COMMAND,
                       MAKEWPARAM(::GetDlgCtrlID(driver().SizeCapField().hwnd()), EN_KILLFOCUS),
                       reinterpret_cast<LPARAM>(driver().SizeCapField().hwnd()));
        EXPECT_EQ(driver().SizeCapField().Caption(), c.shown) << "focus left";
        driver().SizeCapField().SetCaption(c.typed);
        ::SendMessageW(driver().SizeCapField().hwnd(), WM_MOUSELEAVE, 0, 0);
        EXPECT_EQ(driver().SizeCapField().Caption(), c.shown) << "pointer left";
    }
}

constexpr wchar_t kCapOnNotice[] =
    L"自動削除機能がオンになりました。\n\r消えて困る画像は保存フォルダから移動しておいてください。\n\r"
    L"(削除された画像はゴミ箱に入ります)";

TEST_F(FileActions, SwitchingTheCapOnWarnsEnablesTheFieldAndWrites) {
    MainWindowTest::Start("FolderCapacityEnabled=1\r\n");
    EXPECT_EQ(host.Messages(), std::vector<std::wstring>{kCapOnNotice}) << "at every start with the cap on";
    EXPECT_TRUE(driver().SizeCapField().Enabled());
    Start();
    ::DeleteFileW(SettingsPath().c_str());
    ::SendMessageW(driver().SizeCapBox().hwnd(), BM_CLICK, 0, 0);
    EXPECT_TRUE(driver().SizeCapField().Enabled());
    EXPECT_EQ(host.Messages(), std::vector<std::wstring>{kCapOnNotice});
    EXPECT_NE(StoredSettings().find("FolderCapacityEnabled=1"), std::string::npos);
    ::SendMessageW(driver().SizeCapBox().hwnd(), BM_CLICK, 0, 0);
    EXPECT_FALSE(driver().SizeCapField().Enabled());
    EXPECT_EQ(host.Messages().size(), 1u) << "switching off says nothing";
}

// --- Recycle-bin button --------------------------------------------------------------

TEST_F(FileActions, TheBinButtonMovesTheSelectedPictureAndMarksItsLine) {
    const std::wstring name = L"20240315_" + Unique(L"bin") + L".png";
    Picture(name);
    Picture(L"20240101_old.png");
    trashed = {name};
    Start();
    driver().PictureList().SetItemIndex(0);
    {
        testkit::ShellConfirmations yes({IDYES});
        Press(driver().RecycleButton(), WM_LBUTTONDOWN);
        EXPECT_EQ(yes.answered(), 1);
    }
    EXPECT_FALSE(testkit::FileExists(saves + L"\\" + name));
    EXPECT_TRUE(InTrash(name));
    EXPECT_EQ(driver().PictureList().Item(0), L"[ゴミ箱]" + name);
    EXPECT_EQ(driver().PictureList().ItemIndex(), 0);
    EXPECT_EQ(driver().StatusText(), L"[ゴミ箱へ移動] " + name);

    // Pressed again on the marked line: nothing to move, nothing to say.
    {
        testkit::ShellConfirmations yes({IDYES});
        Press(driver().RecycleButton(), WM_LBUTTONDOWN);
        EXPECT_EQ(yes.answered(), 0);
    }
    EXPECT_EQ(driver().PictureList().Item(0), L"[ゴミ箱]" + name);
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(FileActions, ADeclinedMoveLeavesTheLineAndTheFileAsTheyWere) {
    const std::wstring name = Unique(L"declined") + L".png";
    Picture(name);
    trashed = {name};
    Start();
    const std::wstring status = driver().StatusText();
    {
        testkit::ShellConfirmations no({IDNO});
        Press(driver().RecycleButton(), WM_LBUTTONDOWN);
        EXPECT_EQ(no.answered(), 1);
    }
    EXPECT_TRUE(testkit::FileExists(saves + L"\\" + name));
    EXPECT_EQ(Entries(), std::vector<std::wstring>{name});
    EXPECT_EQ(driver().StatusText(), status);
}

TEST_F(FileActions, TheBinButtonWithoutSelectionAsksForOneAndItsRightButtonOpensTheBin) {
    Start(); // empty folder
    Press(driver().RecycleButton(), WM_LBUTTONDOWN);
    EXPECT_EQ(host.Messages(), std::vector<std::wstring>{
                                   L"【お知らせ】ファイル削除機能\r\n\r\n画像一覧でファイルが未選択です"});
    Press(driver().RecycleButton(), WM_RBUTTONDOWN);
    const auto launches = host.CallsOf(HostCall::Kind::ShellLaunch);
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].text, L"shell:::{645FF040-5081-101B-9F08-00AA002F954E}");
    EXPECT_EQ(launches[0].caption, L"open");
    EXPECT_EQ(launches[0].owner, nullptr);
    Press(driver().RecycleButton(), WM_MBUTTONDOWN);
    EXPECT_EQ(host.calls.size(), 2u) << "the middle button does nothing";
}

// --- Rename --------------------------------------------------------------------------

constexpr wchar_t kRenameFailed[] =
    L"ファイル名変更できませんでした\n\r\n\r考えられる理由(例)\n\r・既存のファイル名と重複\n\r"
    L"・ファイル名として認められていない文字が含まれていた\n\r・元のファイルが存在しなかった";

TEST_F(FileActions, RenameGivesThePictureTheTypedNameOrRefusesItWithOneMessage) {
    struct Case {
        const wchar_t* typed;
        std::vector<std::wstring> folder; // afterwards, sorted
        bool failed;
    };
    const Case cases[] = {
        {L"夕焼け.png", {L"b.png", L"sub", L"夕焼け.png"}, false},
        {L"b.png", {L"a.png", L"b.png", L"sub"}, true},
        {L"a.png", {L"a.png", L"b.png", L"sub"}, false},
        {L"", {L"a.png", L"b.png", L"sub"}, false},
        {L"..\\x.png", {L"a.png", L"b.png", L"sub"}, true},
        {L"sub/x.png", {L"a.png", L"b.png", L"sub"}, true},
        {L"sub\\x.png", {L"a.png", L"b.png", L"sub"}, true},
        {L"CON.png", {L"a.png", L"b.png", L"sub"}, true},
        {L"x.png.", {L"a.png", L"b.png", L"sub"}, true},
        {L"x.png ", {L"a.png", L"b.png", L"sub"}, true},
        {L"C:x.png", {L"a.png", L"b.png", L"sub"}, true},
        {L"a.txt", {L"a.txt", L"b.png", L"sub"}, false},
        // The program's own temporary form: the next start would take it for an interrupted save.
        {L".~mirulo-20240106_100005_000_全B.png.tmp", {L"a.png", L"b.png", L"sub"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.typed));
        testkit::RemoveFolderTree(saves);
        ::CreateDirectoryW(saves.c_str(), nullptr);
        ::CreateDirectoryW((saves + L"\\sub").c_str(), nullptr);
        Picture(L"a.png");
        Picture(L"b.png");
        Start();
        window->ShowFirstTime();                // the window is on the screen when the user renames
        driver().PictureList().SetItemIndex(1); // a.png
        std::wstring shownName, shownNew;
        WhenDialogShows([&] {
            library::RenameDialog& dialog = *driver().RenameDialog();
            shownName = dialog.currentNameEdit.Caption();
            shownNew = dialog.newNameEdit.Caption();
            dialog.newNameEdit.SetCaption(c.typed);
            ::SendMessageW(dialog.okButton.hwnd(), BM_CLICK, 0, 0);
        });
        Click(driver().RenameButton());
        EXPECT_EQ(shownName, L"a.png");
        EXPECT_EQ(shownNew, L"a.png");
        EXPECT_EQ(driver().RenamedFrom(), L"a.png");
        EXPECT_EQ(driver().RenamedTo(), c.typed);
        EXPECT_EQ(SavedNames(), c.folder);
        EXPECT_FALSE(testkit::FileExists(program / L"x.png")) << "nothing leaves the folder";
        EXPECT_EQ(host.Messages(),
                  c.failed ? std::vector<std::wstring>{kRenameFailed} : std::vector<std::wstring>{});
        EXPECT_NE(::GetWindowLongPtrW(window->hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0)
            << "top-most afterwards";
        if (!c.failed && c.typed[0] != L'\0') {
            EXPECT_EQ(driver().PictureList().ItemIndex(), 0) << "refreshed, the top entry selected";
        }
    }
}

TEST_F(FileActions, CancellingOrClosingTheRenameDialogRenamesNothing) {
    Picture(L"a.png");
    Start();
    for (const bool close : {false, true}) {
        host.calls.clear();
        WhenDialogShows([&] {
            library::RenameDialog& dialog = *driver().RenameDialog();
            dialog.newNameEdit.SetCaption(L"b.png");
            if (close) {
                ::SendMessageW(dialog.hwnd(), WM_CLOSE, 0, 0);
            } else {
                ::SendMessageW(dialog.cancelButton.hwnd(), BM_CLICK, 0, 0);
            }
        });
        Click(driver().RenameButton());
        EXPECT_EQ(driver().RenamedTo(), L"");
        EXPECT_EQ(SavedNames(), std::vector<std::wstring>{L"a.png"});
        EXPECT_TRUE(host.Messages().empty());
        EXPECT_FALSE(::IsWindowVisible(driver().RenameDialog()->hwnd()));
        EXPECT_TRUE(::IsWindowEnabled(window->hwnd())) << "the main window takes input again";
    }
}

TEST_F(FileActions, RenamingAMarkedLineFailsWithTheMessage) {
    Picture(L"a.png");
    Start();
    driver().PictureList().SetItem(0, L"[ゴミ箱]a.png");
    WhenDialogShows([&] {
        library::RenameDialog& dialog = *driver().RenameDialog();
        dialog.newNameEdit.SetCaption(L"b.png");
        ::SendMessageW(dialog.okButton.hwnd(), BM_CLICK, 0, 0);
    });
    Click(driver().RenameButton());
    EXPECT_EQ(host.Messages(), std::vector<std::wstring>{kRenameFailed});
    EXPECT_EQ(SavedNames(), std::vector<std::wstring>{L"a.png"});
}

TEST_F(FileActions, EveryActionWithoutSelectionAsksForOne) {
    Start();
    const struct {
        app::IconButton* button;
        const wchar_t* message;
    } cases[] = {
        {&driver().RenameButton(), L"【お知らせ】ファイル名変更機能\r\n\r\n画像一覧でファイルが未選択です"},
        {&driver().EditButton(), L"【お知らせ】画像編集機能\r\n\r\n画像一覧でファイルが未選択です"},
        {&driver().ClipboardButton(),
         L"【お知らせ】クリップボードへコピー機能\r\n\r\n画像一覧でファイルが未選択です"},
    };
    for (const auto& c : cases) {
        host.calls.clear();
        Click(*c.button);
        EXPECT_EQ(host.Messages(), std::vector<std::wstring>{c.message});
        EXPECT_TRUE(host.CallsOf(HostCall::Kind::ShellLaunch).empty());
    }
}

// --- The list's gestures ---------------------------------------------------------------

TEST_F(FileActions, ARightClickOnTheListCopiesThePicture) {
    const std::vector<std::uint8_t> png =
        image::EncodePng(image::Image{2, 2, 3, std::vector<std::uint8_t>(12, 200)});
    testkit::WriteFileBytes(saves + L"\\a.png", std::string(png.begin(), png.end()));
    Start();
    ::SendMessageW(driver().PictureList().hwnd(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    ::SendMessageW(driver().PictureList().hwnd(), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(driver().StatusText(), L"画像をクリップボードへコピーしました");
}

// --- Rename dialog as it is built -----------------------------------------------------

TEST(RenameDialogLayout, ControlsSitWhereTheDialogDescribesThem) {
    platform::RecordingHost host;
    library::RenameDialog dialog(host);
    wchar_t className[64] = {};
    ::GetClassNameW(dialog.hwnd(), className, 64);
    EXPECT_STREQ(className, L"Tfm_Mirulo_ReName");
    wchar_t caption[64] = {};
    ::GetWindowTextW(dialog.hwnd(), caption, 64);
    EXPECT_STREQ(caption, L"ファイル名の変更");
    RECT client{};
    ::GetClientRect(dialog.hwnd(), &client);
    EXPECT_EQ(client.right, dialog.Scale(409));
    EXPECT_EQ(client.bottom, dialog.Scale(94));
    EXPECT_NE(::GetWindowLongPtrW(dialog.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    EXPECT_EQ(::GetWindowLongPtrW(dialog.hwnd(), GWL_STYLE) & WS_THICKFRAME, 0) << "fixed border";
    EXPECT_FALSE(::IsWindowVisible(dialog.hwnd()));

    const struct {
        ui::Control* control;
        int x, y, width, height; // 0: sized to its text
        const wchar_t* text;
    } rows[] = {
        {&dialog.currentNameLabel, 8, 7, 0, 0, L"現在の名前"},
        {&dialog.currentNameEdit, 77, 4, 324, 23, L""},
        {&dialog.newNameLabel, 8, 36, 0, 0, L"新しい名前"},
        {&dialog.newNameEdit, 77, 33, 324, 23, L""},
        {&dialog.cancelButton, 245, 62, 75, 25, L"キャンセル"},
        {&dialog.okButton, 326, 62, 75, 25, L"変更確定"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(Narrow(row.control->name()));
        RECT place{};
        ::GetWindowRect(row.control->hwnd(), &place);
        ::MapWindowPoints(nullptr, dialog.hwnd(), reinterpret_cast<POINT*>(&place), 2);
        EXPECT_EQ(place.left, dialog.Scale(row.x));
        EXPECT_EQ(place.top, dialog.Scale(row.y));
        if (row.width != 0) {
            EXPECT_EQ(place.right - place.left, dialog.Scale(row.width));
            EXPECT_EQ(place.bottom - place.top, dialog.Scale(row.height));
        }
        EXPECT_EQ(row.control->Caption(), row.text);
        const LONG_PTR style = ::GetWindowLongPtrW(row.control->hwnd(), GWL_STYLE);
        EXPECT_EQ(style & WS_TABSTOP, 0) << "no tab stops";
        EXPECT_EQ(style & BS_DEFPUSHBUTTON, 0) << "no default button";
    }
    // Meiryo UI
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(dialog.newNameEdit.hwnd(), WM_GETFONT, 0, 0)),
                 sizeof(font), &font);
    EXPECT_STREQ(font.lfFaceName, L"Meiryo UI");
}

// --- Editor ----------------------------------------------------------------------------

TEST_F(FileActions, TheEditorIsPaintOrTheChosenProgramWithThePicturePathUnquoted) {
    Picture(L"my picture.png");
    const std::wstring editor = program / L"editor.exe";
    testkit::WriteFileBytes(editor, "MZ");
    Start("EditorAppPath=" + Narrow(editor) + "\r\n");
    const struct {
        const char* what;
        bool paint;
        std::wstring program; // empty: the missing-editor message
    } cases[] = {
        {"Paint, whatever program was chosen", true, L"mspaint"},
        {"the chosen program", false, editor},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        host.calls.clear();
        testkit::Choose(c.paint ? driver().PaintEditorRadio() : driver().OwnEditorRadio());
        host.calls.clear();
        Click(driver().EditButton());
        const auto launches = host.CallsOf(HostCall::Kind::ShellLaunch);
        ASSERT_EQ(launches.size(), 1u);
        EXPECT_EQ(launches[0].caption, L"OPEN");
        EXPECT_EQ(launches[0].text, c.program);
        EXPECT_EQ(launches[0].argument, saves + L"\\my picture.png");
        EXPECT_EQ(launches[0].directory, saves + L"\\");
        EXPECT_EQ(launches[0].flags, static_cast<unsigned>(SW_SHOWNORMAL));
        EXPECT_EQ(launches[0].owner, window->hwnd());
    }

    ::DeleteFileW(editor.c_str());
    host.calls.clear();
    Click(driver().EditButton());
    EXPECT_TRUE(host.CallsOf(HostCall::Kind::ShellLaunch).empty());
    EXPECT_EQ(host.Messages(), std::vector<std::wstring>{L"指定された画像編集ソフトが存在しません"});
}

TEST_F(FileActions, ChoosingTheEditorShowsItsNameAndWritesTheSettingsEvenWhenCancelled) {
    Start("EditorAppPath=C:\\Tools\\old.exe\r\n");
    host.fileAnswers = {std::wstring(L"D:\\Paint Tools\\draw.exe"), std::nullopt};
    ::DeleteFileW(SettingsPath().c_str());
    Click(driver().EditorButton());
    const auto dialogs = host.CallsOf(HostCall::Kind::OpenFile);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].argument, std::wstring(L"実行ファイル\0*.exe; *.com", 19));
    EXPECT_EQ(dialogs[0].directory, L"C:\\Tools\\");
    EXPECT_EQ(window->EditorPath(), L"D:\\Paint Tools\\draw.exe");
    EXPECT_EQ(driver().EditorLabel().Caption(), L"draw.exe");
    EXPECT_FALSE(driver().OwnEditorRadio().Checked()) << "picking a program does not switch to it";
    EXPECT_NE(StoredSettings().find("EditorAppPath=D:\\Paint Tools\\draw.exe"), std::string::npos);

    ::DeleteFileW(SettingsPath().c_str());
    Click(driver().EditorButton());
    EXPECT_EQ(window->EditorPath(), L"D:\\Paint Tools\\draw.exe");
    EXPECT_TRUE(testkit::FileExists(SettingsPath())) << "written after a cancel too";
}

// --- Save folder ------------------------------------------------------------------------

TEST_F(FileActions, ChoosingTheSaveFolderListsItsPicturesAndWritesTheSettings) {
    Picture(L"old.png");
    const std::wstring other = program / L"他のフォルダ";
    ::CreateDirectoryW(other.c_str(), nullptr);
    testkit::WriteFileBytes(other + L"\\20240101_a.png", "x");
    testkit::WriteFileBytes(other + L"\\20240301_b.jpg", "x");
    Start();
    host.folderAnswers = {std::nullopt, other};

    ::DeleteFileW(SettingsPath().c_str());
    Click(driver().SaveFolderButton());
    EXPECT_EQ(window->SaveFolder(), saves) << "cancelled";
    EXPECT_TRUE(testkit::FileExists(SettingsPath())) << "written after a cancel too";

    Click(driver().SaveFolderButton());
    const auto dialogs = host.CallsOf(HostCall::Kind::BrowseForFolder);
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(dialogs[0].text, L"フォルダの指定");
    EXPECT_EQ(dialogs[0].directory, saves) << "opened at the current folder";
    EXPECT_EQ(dialogs[0].owner, window->hwnd());
    EXPECT_EQ(window->SaveFolder(), other);
    EXPECT_EQ(driver().SaveFolderLabel().Caption(), other);
    EXPECT_EQ(Entries(), (std::vector<std::wstring>{L"20240301_b.jpg", L"20240101_a.png"}));
    EXPECT_EQ(driver().PictureList().ItemIndex(), 0);
    EXPECT_NE(StoredSettings().find("Folder=" + Narrow(other)), std::string::npos);
}

TEST_F(FileActions, TheFolderButtonAndTheThreeLabelsOpenTheSaveFolderInExplorer) {
    Start();
    auto clickLabel = [&](ui::Label& label) {
        ::SendMessageW(::GetParent(label.hwnd()), WM_COMMAND,
                       MAKEWPARAM(::GetDlgCtrlID(label.hwnd()), STN_CLICKED),
                       reinterpret_cast<LPARAM>(label.hwnd()));
    };
    testkit::Choose(driver().OwnEditorRadio());
    testkit::ClickTo(driver().GameClientAtStartBox(), true);
    host.calls.clear();
    Click(driver().OpenFolderButton());
    clickLabel(driver().SaveFolderLabel());
    clickLabel(driver().EditorLabel());
    clickLabel(driver().GameClientLabel());
    const auto launches = host.CallsOf(HostCall::Kind::ShellLaunch);
    ASSERT_EQ(launches.size(), 4u);
    for (const auto& launch : launches) {
        EXPECT_EQ(launch.caption, L"OPEN");
        EXPECT_EQ(launch.text, L"explorer.exe");
        EXPECT_EQ(launch.argument, L" /n/e,\"" + saves + L"\"");
        EXPECT_EQ(launch.directory, L"");
        EXPECT_EQ(launch.owner, window->hwnd());
    }

    window->SetSaveFolder(program / L"gone");
    host.calls.clear();
    Click(driver().OpenFolderButton());
    EXPECT_TRUE(host.CallsOf(HostCall::Kind::ShellLaunch).empty());
    EXPECT_EQ(host.Messages(),
              std::vector<std::wstring>{
                  L"【お知らせ】\r\n\r\n[保存先フォルダ]が未設定か存在しません、設定してください"});
}

// --- Clipboard ----------------------------------------------------------------------------

void PutTextOnClipboard(const std::wstring& text) {
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    std::memcpy(::GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    ::GlobalUnlock(memory);
    ::SetClipboardData(CF_UNICODETEXT, memory);
    ::CloseClipboard();
}

std::wstring ClipboardText() {
    if (!::OpenClipboard(nullptr)) {
        return L"<cannot open>";
    }
    std::wstring text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(::GlobalLock(data));
        ::GlobalUnlock(data);
    }
    ::CloseClipboard();
    return text;
}

// The clipboard's bitmap as RGB bytes, rows top-down; empty when there is none.
image::Image ClipboardPicture() {
    image::Image picture;
    if (!::OpenClipboard(nullptr)) {
        return picture;
    }
    if (auto bitmap = static_cast<HBITMAP>(::GetClipboardData(CF_BITMAP))) {
        BITMAP description{};
        ::GetObjectW(bitmap, sizeof(description), &description);
        BITMAPINFO info = platform::DibSurface::Describe(description.bmWidth, description.bmHeight);
        std::vector<std::uint8_t> bgrx(static_cast<std::size_t>(description.bmWidth) * description.bmHeight *
                                       4);
        HDC screen = ::GetDC(nullptr);
        ::GetDIBits(screen, bitmap, 0, static_cast<UINT>(description.bmHeight), bgrx.data(), &info,
                    DIB_RGB_COLORS);
        ::ReleaseDC(nullptr, screen);
        picture.width = static_cast<std::uint32_t>(description.bmWidth);
        picture.height = static_cast<std::uint32_t>(description.bmHeight);
        for (std::size_t i = 0; i < bgrx.size(); i += 4) {
            picture.pixels.insert(picture.pixels.end(), {bgrx[i + 2], bgrx[i + 1], bgrx[i]});
        }
    }
    ::CloseClipboard();
    return picture;
}

image::Image Pattern(std::uint32_t width, std::uint32_t height) {
    image::Image picture{width, height, 3, {}};
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            picture.pixels.insert(picture.pixels.end(), {static_cast<std::uint8_t>(x * 255 / width),
                                                         static_cast<std::uint8_t>(y * 255 / height),
                                                         static_cast<std::uint8_t>((x * 7 + y * 13) & 0xFF)});
        }
    }
    return picture;
}

TEST_F(FileActions, ThePictureGoesOnTheClipboardAsABitmapPixelForPixel) {
    // 150 rows: more than one band of rows on the way to the bitmap.
    const image::Image pattern = Pattern(97, 150);
    const std::vector<std::uint8_t> png = image::EncodePng(pattern);
    const std::vector<std::uint8_t> jpeg = image::EncodeJpeg(pattern);
    testkit::WriteFileBytes(saves + L"\\b.PNG", std::string(png.begin(), png.end()));
    testkit::WriteFileBytes(saves + L"\\a.jpg", std::string(jpeg.begin(), jpeg.end()));
    Start(); // b.PNG, a.jpg
    const struct {
        int index;
        image::Image expected;
    } cases[] = {{0, pattern}, {1, image::DecodeJpeg(jpeg)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(driver().PictureList().Item(c.index)));
        PutTextOnClipboard(L"before");
        driver().PictureList().SetItemIndex(c.index);
        driver().SetStatusText(L"");
        Click(driver().ClipboardButton());
        EXPECT_TRUE(host.Messages().empty());
        const image::Image copied = ClipboardPicture();
        EXPECT_EQ(copied.width, c.expected.width);
        EXPECT_EQ(copied.height, c.expected.height);
        EXPECT_TRUE(copied.pixels == c.expected.pixels) << "pixels differ";
        EXPECT_EQ(driver().StatusText(), L"画像をクリップボードへコピーしました");
    }
}

TEST_F(FileActions, APictureThatDoesNotDecodeLeavesTheClipboardAsItWas) {
    testkit::WriteFileBytes(saves + L"\\broken.png", "\x89PNG\r\n\x1a\n not really");
    Start();
    PutTextOnClipboard(L"what the user copied");
    const std::wstring status = driver().StatusText();
    Click(driver().ClipboardButton());
    const auto messages = host.CallsOf(HostCall::Kind::Message);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, L"ミルロ");
    EXPECT_NE(messages[0].flags & MB_ICONERROR, 0u);
    EXPECT_EQ(ClipboardText(), L"what the user copied");
    EXPECT_EQ(driver().StatusText(), status);
}

TEST_F(FileActions, TheCopyReportsWhetherAPictureReachedTheClipboard) {
    Picture(L"notes.txt.png", 0); // an empty file does not decode; exercised above
    testkit::WriteFileBytes(saves + L"\\x.bmp", "BM");
    Start();
    std::vector<std::wstring> statuses;
    const auto collect = [&](const std::wstring& text) { statuses.push_back(text); };
    EXPECT_FALSE(driver().CopyPictureToClipboard(saves + L"\\x.bmp", collect)) << "not a PNG or JPEG";
    EXPECT_EQ(statuses, std::vector<std::wstring>{L"画像をクリップボードへコピーしました"});
    statuses.clear();
    EXPECT_FALSE(driver().CopyPictureToClipboard(saves + L"\\missing.png", collect));
    EXPECT_TRUE(statuses.empty()) << "a missing file stops without a word";
}

} // namespace
