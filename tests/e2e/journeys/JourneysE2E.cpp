// Whole user journeys on the real program: the window in the notification area
// while the keys and the auto-capture keep working, and coming back to it.
// Each journey keeps pictures of its key moments in build/screens.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/DibSurface.h"
#include "support/Desktop.h"
#include "support/GameWindow.h"
#include "support/Messages.h"
#include "support/ShellConfirmations.h"
#include "support/MiruloProcess.h"
#include "support/TempFolder.h"

using namespace mirulo::testkit;

namespace {

constexpr wchar_t kMainClass[] = L"Tfm_Mirulo";

std::string Ascii(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        out.push_back(static_cast<char>(c)); // the test folders' paths are ASCII
    }
    return out;
}

// Where cups-pdf puts its files (the build names it; empty when it does not).
std::wstring PdfFolder() {
    wchar_t value[1024] = {};
    if (::GetEnvironmentVariableW(L"MIRULO_PDF_DIR", value, 1024) == 0) {
        return L"";
    }
    return BuildTreePath(Ascii(value).c_str());
}

// The picture list's entries, top first: the list box whose entries are picture files.
std::wstring ClassName(HWND hwnd) {
    wchar_t name[64] = {};
    ::GetClassNameW(hwnd, name, 64);
    return name;
}

std::vector<std::wstring> PictureListEntries(HWND window) {
    for (HWND list : Descendants(window)) {
        if (_wcsicmp(ClassName(list).c_str(), L"ListBox") != 0) {
            continue;
        }
        std::vector<std::wstring> items;
        const auto count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            std::wstring item(
                static_cast<std::size_t>(::SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0)) + 1,
                L'\0');
            item.resize(static_cast<std::size_t>(::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i),
                                                                reinterpret_cast<LPARAM>(item.data()))));
            items.push_back(item);
        }
        if (!items.empty() && (items[0].ends_with(L".png") || items[0].ends_with(L".jpg"))) {
            return items;
        }
    }
    return {};
}

std::wstring TextOfWindow(HWND hwnd) {
    wchar_t text[512] = {};
    ::SendMessageW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
}

HWND FirstOfClass(HWND parent, const wchar_t* windowClass) {
    for (HWND child : Descendants(parent)) {
        if (_wcsicmp(ClassName(child).c_str(), windowClass) == 0) {
            return child;
        }
    }
    return nullptr;
}

std::wstring StatusText(HWND window) {
    HWND bar = FirstOfClass(window, L"msctls_statusbar32");
    return bar != nullptr ? TextOfWindow(bar) : L"(no status bar)";
}

// Opens a page of the main window by clicking its tab; the tabs sit at the strip's left, about 70 px each.
bool OpenTab(HWND window, int tab) {
    HWND pager = ::FindWindowExW(window, nullptr, L"MiruloTabPager", nullptr);
    const int dpi = static_cast<int>(::GetDpiForWindow(window));
    POINT at{::MulDiv(30 + tab * 70, dpi, 96), ::MulDiv(12, dpi, 96)};
    ::ClientToScreen(pager, &at);
    const bool clicked = ClickAt(at.x, at.y);
    ::Sleep(400);
    return clicked;
}

// A drop-down list set as a user's choice is: the entry selected, the owner told.
void Choose(HWND combo, int entry) {
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
    ::SendMessageW(::GetParent(combo), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(combo), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
}

// Two corners on the range picker as a user clicks them: release on the first, move across, release on the
// second.
bool PickCorners(DWORD processId, POINT first, POINT second) {
    // Waiting handles this thread's messages: a key typed into the game's window
    // becomes the program's hot key only once the game's thread has read it.
    if (!WaitUntil([&] { return WaitForWindow(L"TForm2", processId, 0) != nullptr; }, 10000)) {
        return false;
    }
    ::Sleep(300);
    return ClickAt(first.x, first.y) &&
           XDoTool(L"mousemove " + std::to_wstring((first.x + second.x) / 2) + L" " +
                   std::to_wstring((first.y + second.y) / 2)) &&
           ClickAt(second.x, second.y);
}

// A full-screen window of noise: what the size cap needs, pictures of some megabytes.
class NoiseWindow {
public:
    NoiseWindow()
        : noise_(mirulo::platform::DibSurface::Create(::GetSystemMetrics(SM_CXSCREEN),
                                                      ::GetSystemMetrics(SM_CYSCREEN))) {
        std::mt19937 random(20261210);
        auto* pixel = reinterpret_cast<std::uint32_t*>(noise_.bits());
        for (std::size_t i = 0, n = noise_.stride() / 4 * static_cast<std::size_t>(noise_.height()); i < n;
             ++i) {
            pixel[i] = random() & 0xFFFFFFu;
        }
        WNDCLASSW wc{};
        wc.lpfnWndProc = &Paint;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"MiruloJourneyNoise";
        ::RegisterClassW(&wc);
        hwnd_ = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, wc.lpszClassName, L"", WS_POPUP, 0, 0,
                                  noise_.width(), noise_.height(), nullptr, nullptr, wc.hInstance, nullptr);
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&noise_));
        ::ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
        ::InvalidateRect(hwnd_, nullptr, FALSE);
        PumpMessagesFor(500);
    }
    NoiseWindow(const NoiseWindow&) = delete;
    NoiseWindow& operator=(const NoiseWindow&) = delete;
    ~NoiseWindow() { ::DestroyWindow(hwnd_); }

private:
    static LRESULT CALLBACK Paint(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        const auto* noise =
            reinterpret_cast<const mirulo::platform::DibSurface*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (message != WM_PAINT || noise == nullptr) {
            return ::DefWindowProcW(hwnd, message, wParam, lParam);
        }
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hwnd, &ps);
        ::BitBlt(dc, 0, 0, noise->width(), noise->height(), noise->dc(), 0, 0, SRCCOPY);
        ::EndPaint(hwnd, &ps);
        return 0;
    }

    mirulo::platform::DibSurface noise_;
    HWND hwnd_ = nullptr;
};

class Journey : public ::testing::Test {
protected:
    HWND Start(const std::string& settings) {
        exe_ = InstallProgramCopy(folder_.path());
        ::CreateDirectoryW(saves_.c_str(), nullptr);
        WriteFileBytes(folder_ / L"Mirulo.exe_ユーザー設定.ini",
                       "\xEF\xBB\xBF[System]\r\nFolder=" + Ascii(saves_) + "\r\n" + settings);
        process_ = std::make_unique<MiruloProcess>(exe_);
        return WaitForWindow(kMainClass, process_->id(), 30000);
    }

    std::optional<RECT> WaitForIcon() const {
        std::optional<RECT> icon;
        WaitUntil([&] { return (icon = DockedTrayIcon(process_->id())).has_value(); }, 15000);
        return icon;
    }

    void TearDown() override {
        if (process_) {
            if (HWND window = WaitForWindow(kMainClass, process_->id(), 0)) {
                ::PostMessageW(window, WM_CLOSE, 0, 0);
                process_->WaitForExit(10000);
            }
        }
    }

    TempFolder folder_{L"mirulo-journey"};
    std::wstring saves_ = folder_ / L"shots";
    std::wstring exe_;
    std::unique_ptr<MiruloProcess> process_;
};

TEST_F(Journey, StartedInTheTrayAHotKeyCapturesAndTheIconBringsTheWindowBackWithTheNewPictureOnTop) {
    // Hot key 3 is "なし" + "F5".
    HWND window = Start("chk_Minimized=1\r\nchk_TrayIcon=1\r\nKey3Number=6\r\nKey3AddNumber=0\r\n");
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(window); }, 5000)) << "the window did not hide";
    ASSERT_TRUE(WaitForIcon().has_value()) << "no icon docked; windows:\n" << DescribeVisibleWindows();
    KeepScreenshot(L"journey-tray-1-hidden");

    GameWindow game;
    ASSERT_TRUE(game.TakeTheKeyboard()) << "the game window did not get the keyboard";
    std::wstring why;
    ASSERT_TRUE(XDoTool(L"key F5", &why)) << why;
    ASSERT_TRUE(WaitUntil([&] { return FilesEndingIn(saves_, L"_全K.png").size() == 1; }, 10000))
        << "no full-screen picture from the hot key while hidden";
    const std::wstring picture = FilesEndingIn(saves_, L"_全K.png")[0];
    EXPECT_FALSE(::IsWindowVisible(window)) << "a full-screen capture leaves the window where it was";
    EXPECT_EQ(FindMessageBox(process_->id()), nullptr);

    // The icon may have been docked again meanwhile: click where it is now.
    const std::optional<RECT> icon = WaitForIcon();
    ASSERT_TRUE(icon.has_value()) << DescribeVisibleWindows();
    ASSERT_TRUE(ClickAt((icon->left + icon->right) / 2, (icon->top + icon->bottom) / 2));
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(window) && !::IsIconic(window); }, 5000))
        << "the click on the icon did not bring the window back";
    std::vector<std::wstring> entries;
    EXPECT_TRUE(WaitUntil([&] { return !(entries = PictureListEntries(window)).empty(); }, 5000));
    ASSERT_FALSE(entries.empty()) << "the picture list is empty";
    EXPECT_NE(entries[0].find(picture.substr(0, picture.size() - 4)), std::wstring::npos)
        << "top of the list: " << std::string(entries[0].begin(), entries[0].end());
    EXPECT_EQ(entries.size(), 1u);
    ::Sleep(300);
    KeepScreenshot(L"journey-tray-2-back-with-the-picture");
}

TEST_F(Journey, AutoCaptureInSecondsKeepsCapturingFromTheTrayAndStopsWhenSwitchedOff) {
    // A fixed range, the period list on "1", the tray on; the user does the rest.
    HWND window =
        Start("chk_TrayIcon=1\r\nX=0\r\nY=0\r\nW=80\r\nH=60\r\nTimerNumber=0\r\nTimerEnabled=0\r\n");
    ASSERT_NE(window, nullptr);
    ::Sleep(500);
    std::wstring why;

    // Page "設定２" by its tab, as a user clicks it: the tabs sit at the strip's left, about 70 px each.
    HWND pager = ::FindWindowExW(window, nullptr, L"MiruloTabPager", nullptr);
    ASSERT_NE(pager, nullptr);
    const int dpi = static_cast<int>(::GetDpiForWindow(window));
    POINT tab{::MulDiv(30 + 2 * 70, dpi, 96), ::MulDiv(12, dpi, 96)};
    ::ClientToScreen(pager, &tab);
    ASSERT_TRUE(ClickAt(tab.x, tab.y));

    HWND timerBox = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            return (timerBox = FindControl(window, L"Button", L"自動スクショ")) != nullptr &&
                   ::IsWindowVisible(timerBox);
        },
        3000))
        << "the auto-capture box is not shown";
    ASSERT_TRUE(ClickOn(timerBox));
    ASSERT_TRUE(WaitUntil([&] { return ::SendMessageW(timerBox, BM_GETCHECK, 0, 0) == BST_CHECKED; }, 10000));

    // Seconds: Shift with a right click on the unit switch, then the warning answered.
    HWND unitSwitch = FindControl(window, L"Static", L"単位切替");
    ASSERT_NE(unitSwitch, nullptr);
    RECT r{};
    ::GetWindowRect(unitSwitch, &r);
    ASSERT_TRUE(XDoTool(L"mousemove " + std::to_wstring((r.left + r.right) / 2) + L" " +
                            std::to_wstring((r.top + r.bottom) / 2) + L" keydown shift click 3 keyup shift",
                        &why))
        << why;
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = FindMessageBox(process_->id())) != nullptr; }, 5000))
        << "no warning about seconds";
    EXPECT_EQ(MessageBoxText(box).rfind(L"自動スクショの単位を「秒」に変更しました。", 0), 0u);
    KeepScreenshot(L"journey-auto-1-seconds-warning");
    const std::optional<int> answered = AnswerEveryMessageBox(process_->id(), IDOK);
    ASSERT_TRUE(answered.has_value()) << "a box stays open";
    EXPECT_LE(*answered, 1) << "another box came after the first";
    EXPECT_TRUE(FindControl(window, L"Static", L"秒毎") != nullptr);

    // Into the notification area with the minimise button, an icon button of the tab strip right of the tabs.
    POINT button{::MulDiv(361 + 10, dpi, 96), ::MulDiv(12, dpi, 96)};
    HWND minimise = ::ChildWindowFromPoint(pager, button);
    ASSERT_TRUE(minimise != nullptr && minimise != pager) << "no minimise button on the strip";
    ASSERT_TRUE(ClickOn(minimise));
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(window); }, 5000)) << "the window did not hide";
    std::optional<RECT> icon = WaitForIcon();
    ASSERT_TRUE(icon.has_value()) << DescribeVisibleWindows();

    const std::size_t atHiding = FilesEndingIn(saves_, L"_固T.png").size();
    ::Sleep(4500);
    const std::size_t whileHidden = FilesEndingIn(saves_, L"_固T.png").size();
    EXPECT_GE(whileHidden, atHiding + 3) << "one picture a second while in the tray";
    EXPECT_EQ(FindMessageBox(process_->id()), nullptr);
    KeepScreenshot(L"journey-auto-2-in-the-tray");

    icon = WaitForIcon();
    ASSERT_TRUE(icon.has_value());
    ASSERT_TRUE(ClickAt((icon->left + icon->right) / 2, (icon->top + icon->bottom) / 2));
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(window) && !::IsIconic(window); }, 5000));
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(timerBox) != FALSE; }, 10000));
    ASSERT_TRUE(ClickOn(timerBox));
    ASSERT_TRUE(
        WaitUntil([&] { return ::SendMessageW(timerBox, BM_GETCHECK, 0, 0) == BST_UNCHECKED; }, 10000));
    ::Sleep(300); // a tick already on its way may still land
    const std::size_t atSwitchOff = FilesEndingIn(saves_, L"_固T.png").size();
    ::Sleep(3000);
    EXPECT_EQ(FilesEndingIn(saves_, L"_固T.png").size(), atSwitchOff) << "pictures after the switch-off";
    KeepScreenshot(L"journey-auto-3-switched-off");

    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(process_->WaitForExit(10000), std::optional<DWORD>(0u));
    const std::string settings = ReadFileBytes(folder_ / L"Mirulo.exe_ユーザー設定.ini");
    EXPECT_NE(settings.find("TimerEnabled=0"), std::string::npos);
    EXPECT_NE(settings.find("blTimerSecMode=1"), std::string::npos);
}

// The first day with the tool, from an empty folder to a second start.
TEST_F(Journey, FirstStartToCapturesViewerCopiesSizeCapAndASecondStartWithEverythingKept) {
    const std::wstring settingsFile = folder_ / L"Mirulo.exe_ユーザー設定.ini";
    exe_ = InstallProgramCopy(folder_.path());
    // A folder of the user's desktop, where the folder dialog's tree can reach it.
    wchar_t desktop[MAX_PATH] = {};
    ASSERT_EQ(::SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop),
              S_OK);
    saves_ = std::wstring(desktop) + L"\\mirulo-journey-" + std::to_wstring(::GetCurrentProcessId());
    RemoveFolderTree(saves_);
    ASSERT_TRUE(::CreateDirectoryW(saves_.c_str(), nullptr));
    struct Removed {
        std::wstring folder;
        ~Removed() { RemoveFolderTree(folder); }
    } removed{saves_};
    process_ = std::make_unique<MiruloProcess>(exe_);
    HWND window = WaitForWindow(kMainClass, process_->id(), 30000);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return FileExists(settingsFile); }, 5000))
        << "no settings file after the start";
    EXPECT_EQ(StatusText(window), L"【お知らせ】[保存先フォルダ]が未設定か存在しません、設定してください");
    KeepScreenshot(L"journey-first-1-notice");

    // The save folder, chosen in the folder dialog by typing its path.
    ASSERT_TRUE(OpenTab(window, 1));
    HWND folderButton = ControlAt(window, L"Button", 30, 37);
    ASSERT_NE(folderButton, nullptr);
    ::PostMessageW(folderButton, BM_CLICK, 0, 0);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = FindMessageBox(process_->id())) != nullptr; }, 10000))
        << "no folder dialog";
    // Selected in the dialog's tree as a user's clicks would; the path lives in the program's own memory.
    const SIZE_T bytes = (saves_.size() + 1) * sizeof(wchar_t);
    void* remote = ::VirtualAllocEx(process_->handle(), nullptr, bytes, MEM_COMMIT, PAGE_READWRITE);
    ASSERT_NE(remote, nullptr);
    ASSERT_TRUE(::WriteProcessMemory(process_->handle(), remote, saves_.c_str(), bytes, nullptr));
    ::SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(remote));
    ::Sleep(300);
    KeepScreenshot(L"journey-first-2-folder-dialog");
    AnswerMessageBox(dialog, IDOK);
    ASSERT_TRUE(WaitUntil(
        [&] {
            return ReadFileBytes(settingsFile).find("Folder=" + Ascii(saves_) + "\r\n") != std::string::npos;
        },
        10000))
        << "the chosen folder was not written:\n"
        << ReadFileBytes(settingsFile);
    EXPECT_TRUE(WaitUntil(
        [&] { return StatusText(window).empty() || StatusText(window).starts_with(L"(0枚"); }, 10000))
        << "status: " << Ascii(StatusText(window));

    // Hot keys F6 (fixed range), F7 (picked range), F8 (full screen), and the fixed range from the picker.
    ASSERT_TRUE(OpenTab(window, 2));
    const struct {
        int top;
        int entry;
    } keys[] = {{71, 7}, {213, 8}, {317, 9}};
    for (const auto& key : keys) {
        HWND list = ControlAt(window, L"ComboBox", 111, key.top);
        ASSERT_NE(list, nullptr) << "no key list at " << key.top;
        Choose(list, key.entry);
    }
    HWND setRange = FindControl(window, L"Button", L"スクショ範囲指定");
    ASSERT_NE(setRange, nullptr);
    ASSERT_TRUE(ClickOn(setRange));
    ASSERT_TRUE(PickCorners(process_->id(), {200, 150}, {300, 250}));
    ASSERT_TRUE(WaitUntil(
        [&] { return FindControl(window, L"Static", L"[X]200 [Y]150 [幅]100 [高]100") != nullptr; }, 5000))
        << "the fixed range is not shown";
    KeepScreenshot(L"journey-first-3-keys-and-range");

    {
        GameWindow game;
        ASSERT_TRUE(game.TakeTheKeyboard());
        ASSERT_TRUE(XDoTool(L"key F6"));
        ASSERT_TRUE(WaitUntil([&] { return FilesEndingIn(saves_, L"_固K.png").size() == 1; }, 10000))
            << "no fixed";
        ::Sleep(50); // distinct time stamps, so the order is the order of the keys
        ASSERT_TRUE(XDoTool(L"key F8"));
        ASSERT_TRUE(WaitUntil([&] { return FilesEndingIn(saves_, L"_全K.png").size() == 1; }, 10000))
            << "no full";
        ASSERT_TRUE(game.TakeTheKeyboard());
        ASSERT_TRUE(XDoTool(L"key F7"));
        ASSERT_TRUE(PickCorners(process_->id(), {120, 120}, {260, 220}));
        ASSERT_TRUE(WaitUntil([&] { return FilesEndingIn(saves_, L"_指K.png").size() == 1; }, 10000))
            << "no picked";
    }
    EXPECT_EQ(FindMessageBox(process_->id()), nullptr);
    const std::wstring fixed = FilesEndingIn(saves_, L"_固K.png")[0],
                       full = FilesEndingIn(saves_, L"_全K.png")[0],
                       picked = FilesEndingIn(saves_, L"_指K.png")[0];
    std::vector<std::wstring> entries;
    ASSERT_TRUE(WaitUntil([&] { return (entries = PictureListEntries(window)).size() == 3; }, 5000));
    EXPECT_EQ(entries, (std::vector<std::wstring>{picked, full, fixed})) << "newest first";
    // The reload keeps the list and its selection: the newest picture, whose name the status bar shows.
    ASSERT_TRUE(OpenTab(window, 0));
    HWND reload = ControlAt(window, L"Button", 44, 400);
    ASSERT_NE(reload, nullptr);
    ASSERT_TRUE(ClickOn(reload));
    EXPECT_TRUE(WaitUntil([&] { return StatusText(window) == picked; }, 10000)) << Ascii(StatusText(window));
    EXPECT_EQ(PictureListEntries(window), entries);

    // The viewer steps through them, and makes a grey and a sepia copy of the full-screen picture.
    HWND viewerButton = ControlAt(window, L"Button", 204, 400);
    ASSERT_NE(viewerButton, nullptr);
    ASSERT_TRUE(ClickOn(viewerButton));
    HWND viewer = WaitForWindow(L"TfrmView", process_->id(), 10000);
    ASSERT_NE(viewer, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(viewer) != FALSE; }, 5000));
    HWND next = ControlAt(viewer, L"Button", 46, 1), previous = ControlAt(viewer, L"Button", 1, 1);
    HWND grey = ControlAt(viewer, L"Button", 209, 1), sepia = ControlAt(viewer, L"Button", 249, 1);
    ASSERT_TRUE(next && previous && grey && sepia) << "the viewer's buttons";
    const auto viewerStatus = [&] { return StatusText(viewer); };
    for (const std::wstring& expected : {full, fixed}) {
        ASSERT_TRUE(ClickOn(next));
        EXPECT_TRUE(WaitUntil([&] { return viewerStatus() == expected; }, 10000))
            << "viewer shows " << Ascii(viewerStatus());
    }
    ASSERT_TRUE(ClickOn(previous));
    EXPECT_TRUE(WaitUntil([&] { return viewerStatus() == full; }, 10000)) << Ascii(viewerStatus());
    KeepScreenshot(L"journey-first-4-viewer");
    const std::wstring stem = full.substr(0, full.size() - 4);
    // A copy comes in below its source and is selected: back to the source for the second one.
    ASSERT_TRUE(ClickOn(grey));
    EXPECT_TRUE(WaitUntil([&] { return FileExists(saves_ + L"\\" + stem + L"-モノ.png"); }, 10000));
    ASSERT_TRUE(ClickOn(previous));
    EXPECT_TRUE(WaitUntil([&] { return viewerStatus() == full; }, 10000)) << Ascii(viewerStatus());
    ASSERT_TRUE(ClickOn(sepia));
    EXPECT_TRUE(WaitUntil(
        [&] {
            return FileExists(saves_ + L"\\" + stem + L"-モノ.png") &&
                   FileExists(saves_ + L"\\" + stem + L"-セピ.png");
        },
        10000))
        << "no grey and sepia copies beside " << Ascii(full) << "; the folder has:\n"
        << [&] {
               std::string names;
               for (const std::wstring& name : FolderNames(saves_)) {
                   names += Ascii(name) + "\n";
               }
               return names;
           }();
    // Printed on the default printer, the cups-pdf queue: the job lands as a PDF named after its title.
    const std::wstring pdfFolder = PdfFolder();
    ASSERT_FALSE(pdfFolder.empty()) << "MIRULO_PDF_DIR names cups-pdf's output folder";
    const std::vector<std::wstring> pdfsBefore = FilesEndingIn(pdfFolder, L".pdf");
    HWND print = ControlAt(viewer, L"Button", 500, 1);
    ASSERT_NE(print, nullptr) << "no print button";
    ASSERT_TRUE(ClickOn(print));
    std::vector<std::wstring> pdfs;
    EXPECT_TRUE(WaitUntil(
        [&] { return (pdfs = FilesEndingIn(pdfFolder, L".pdf")).size() > pdfsBefore.size(); }, 60000))
        << "no PDF in " << Ascii(pdfFolder);
    EXPECT_EQ(FindMessageBox(process_->id()), nullptr) << "the print showed a message";
    for (const std::wstring& pdf : pdfs) {
        if (std::find(pdfsBefore.begin(), pdfsBefore.end(), pdf) == pdfsBefore.end()) {
            EXPECT_EQ(pdf.rfind(L"PRINT_", 0), 0u) << Ascii(pdf);
            ::DeleteFileW((pdfFolder + L"\\" + pdf).c_str());
        }
    }
    KeepScreenshot(L"journey-first-5-printed");
    ::PostMessageW(viewer, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(viewer); }, 10000));

    // The size cap: on, at 8 MB; two full-screen pictures of noise, some 6 MB each, push the oldest out.
    ASSERT_TRUE(OpenTab(window, 1));
    HWND capBox = FindControl(window, L"Button", L"有効化");
    HWND capField = ControlAt(window, L"Edit", 112, 108);
    ASSERT_TRUE(capBox && capField);
    ::PostMessageW(capBox, BM_CLICK, 0, 0);
    HWND notice = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (notice = FindMessageBox(process_->id())) != nullptr; }, 5000));
    EXPECT_EQ(MessageBoxText(notice).rfind(L"自動削除機能がオンになりました。", 0), 0u);
    const std::optional<int> answered = AnswerEveryMessageBox(process_->id(), IDOK);
    ASSERT_TRUE(answered.has_value()) << "a box stays open";
    EXPECT_LE(*answered, 1) << "another box came after the first";
    ::SendMessageW(capField, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"8"));
    const std::vector<std::wstring> before = FilesEndingIn(saves_, L".png");
    std::vector<std::wstring> trashed;
    {
        DWORD uiThread = ::GetWindowThreadProcessId(window, nullptr);
        ShellConfirmations yes(uiThread, {IDYES});
        NoiseWindow noise;
        GameWindow game;
        for (int shot = 1; shot <= 2; ++shot) {
            ASSERT_TRUE(game.TakeTheKeyboard());
            ASSERT_TRUE(XDoTool(L"key F8"));
            ASSERT_TRUE(WaitUntil(
                [&] {
                    return FilesEndingIn(saves_, L"_全K.png").size() == static_cast<std::size_t>(1 + shot) ||
                           FilesEndingIn(saves_, L".png").size() == 1;
                },
                20000))
                << "shot " << shot;
            ::Sleep(200);
        }
        ASSERT_TRUE(WaitUntil([&] { return FilesEndingIn(saves_, L".png").size() == 1; }, 20000))
            << "left in the folder: " << FilesEndingIn(saves_, L".png").size();
    }
    const std::vector<std::wstring> left = FilesEndingIn(saves_, L".png");
    ASSERT_EQ(left.size(), 1u);
    EXPECT_TRUE(left[0].ends_with(L"_全K.png"));
    EXPECT_EQ(std::count(before.begin(), before.end(), left[0]), 0) << "the newest picture stays";
    const std::wstring trash = TrashFolder();
    ASSERT_FALSE(trash.empty()) << "where the trash is cannot be told";
    for (const std::wstring& name : before) {
        EXPECT_TRUE(FileExists(trash + L"\\files\\" + name)) << "not in the trash: " << Ascii(name);
        trashed.push_back(name);
    }
    RemoveFromTrash(trashed);
    KeepScreenshot(L"journey-first-6-size-cap");

    // Closed and started again: every setting as it was, the same list.
    const std::vector<std::wstring> listed = PictureListEntries(window);
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(process_->WaitForExit(10000), std::optional<DWORD>(0u));
    const std::string settings = ReadFileBytes(settingsFile);
    for (const char* line :
         {"Key1Number=7\r\n", "Key2Number=8\r\n", "Key3Number=9\r\n", "X=200\r\n", "Y=150\r\n", "W=100\r\n",
          "H=100\r\n", "FolderCapacityEnabled=1\r\n", "FolderCapacitySize=8\r\n"}) {
        EXPECT_NE(settings.find(line), std::string::npos) << "missing " << line;
    }
    process_ = std::make_unique<MiruloProcess>(exe_);
    // With the cap on, the start says again that it is on, before the window shows.
    HWND again = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (again = FindMessageBox(process_->id())) != nullptr; }, 30000));
    EXPECT_EQ(MessageBoxText(again).rfind(L"自動削除機能がオンになりました。", 0), 0u);
    AnswerMessageBox(again, IDOK);
    window = WaitForWindow(kMainClass, process_->id(), 30000);
    ASSERT_NE(window, nullptr);
    std::vector<std::wstring> relisted;
    EXPECT_TRUE(WaitUntil([&] { return (relisted = PictureListEntries(window)) == listed; }, 5000));
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(process_->WaitForExit(10000), std::optional<DWORD>(0u));
    EXPECT_EQ(ReadFileBytes(settingsFile), settings) << "the second start changed the settings";
}

} // namespace
