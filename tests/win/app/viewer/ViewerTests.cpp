// The viewer as the user meets it: opened from the main page, fitting pictures,
// stepping through the main list, moving pictures to the recycle bin, keeping
// its place, and writing grey-scale and sepia copies beside the source.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <cwctype>
#include <functional>
#include <memory>
#include <thread>

#include "app/MainWindow.h"
#include "support/MainWindowDriver.h"
#include "image/JpegReader.h"
#include "image/JpegWriter.h"
#include "image/PngReader.h"
#include "image/PngWriter.h"
#include "platform/RecordingHost.h"
#include "platform/Wide.h"
#include "support/ShellConfirmations.h"
#include "support/CornerPicture.h"
#include "support/TempFolder.h"
#include "viewer/ViewerWindow.h"

using namespace mirulo;

namespace {

using Rgb = std::array<std::uint8_t, 3>;

image::Image CornerPicture(int width, int height) {
    return testkit::CornerPicture(width, height, 128, 4);
}

image::Image Pixels(std::initializer_list<Rgb> colours) {
    image::Image picture;
    picture.width = static_cast<std::uint32_t>(colours.size());
    picture.height = 1;
    for (const Rgb& c : colours) {
        picture.pixels.insert(picture.pixels.end(), c.begin(), c.end());
    }
    return picture;
}

std::string AsString(const std::vector<std::uint8_t>& bytes) {
    return {bytes.begin(), bytes.end()};
}

std::vector<std::uint8_t> FileBytes(const std::wstring& path) {
    const std::string bytes = testkit::ReadFileBytes(path);
    return {bytes.begin(), bytes.end()};
}

// Wine asks before it moves a file to the recycle bin; a person would say yes.
class ShellConfirmationAnswerer {
public:
    ShellConfirmationAnswerer()
        : thread_([this] {
              while (!stop_) {
                  ::EnumWindows(&Answer, 0);
                  ::Sleep(50);
              }
          }) {}
    ~ShellConfirmationAnswerer() {
        stop_ = true;
        thread_.join();
    }

private:
    static BOOL CALLBACK Answer(HWND window, LPARAM) {
        DWORD process = 0;
        ::GetWindowThreadProcessId(window, &process);
        wchar_t name[16] = {};
        ::GetClassNameW(window, name, 16);
        if (process == ::GetCurrentProcessId() && std::wstring(name) == L"#32770" &&
            ::IsWindowVisible(window)) {
            for (int id : {IDYES, IDOK}) {
                if (HWND button = ::GetDlgItem(window, id)) {
                    ::PostMessageW(button, BM_CLICK, 0, 0);
                    break;
                }
            }
        }
        return TRUE;
    }
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class Viewer : public ::testing::Test {
protected:
    Viewer() {
        com_ = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        host.executablePath = program / L"Mirulo.exe";
        ::CreateDirectoryW(saves.c_str(), nullptr);
    }
    ~Viewer() override {
        window.reset();
        if (SUCCEEDED(com_)) {
            ::CoUninitialize();
        }
    }

    std::wstring Path(const std::wstring& name) const { return saves + L"\\" + name; }
    void Png(const std::wstring& name, const image::Image& picture) {
        testkit::WriteFileBytes(Path(name), AsString(image::EncodePng(picture)));
    }
    void Jpg(const std::wstring& name, const image::Image& picture) {
        testkit::WriteFileBytes(Path(name), AsString(image::EncodeJpeg(picture, 90)));
    }

    void Start(const std::string& extraSettings = "") {
        const std::wstring settings = program / L"Mirulo.exe_ユーザー設定.ini";
        if (!testkit::FileExists(settings)) {
            testkit::WriteFileBytes(settings, "\xEF\xBB\xBF[System]\r\nFolder=" + platform::Narrow(saves) +
                                                  "\r\n" + extraSettings);
        }
        window = std::make_unique<app::MainWindow>(host);
        driver().CreateViewer();
        view = driver().Viewer();
    }

    // The viewer's client area made width x (height + 54): the picture gets width x height.
    void SetArea(int width, int height) {
        RECT frame{0, 0, width, height + 54};
        ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(view->hwnd(), GWL_STYLE)), FALSE,
                             static_cast<DWORD>(::GetWindowLongPtrW(view->hwnd(), GWL_EXSTYLE)));
        ::SetWindowPos(view->hwnd(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        const SIZE area = view->AvailableArea();
        ASSERT_EQ(area.cx, width);
        ASSERT_EQ(area.cy, height);
    }

    void Select(const std::wstring& entry) {
        for (int i = 0; i < driver().PictureList().Count(); ++i) {
            if (driver().PictureList().Item(i) == entry) {
                driver().PictureList().SetItemIndex(i);
                return;
            }
        }
        FAIL() << "no entry " << platform::Narrow(entry);
    }
    std::wstring Selected() const {
        const int index = driver().PictureList().ItemIndex();
        return index < 0 ? L"" : driver().PictureList().Item(index);
    }
    std::vector<std::wstring> Entries() const {
        std::vector<std::wstring> entries;
        for (int i = 0; i < driver().PictureList().Count(); ++i) {
            entries.push_back(driver().PictureList().Item(i));
        }
        return entries;
    }
    static void Click(HWND button) { ::SendMessageW(button, BM_CLICK, 0, 0); }
    testkit::MainWindowDriver driver() const { return testkit::MainWindowDriver(*window); }
    COLORREF Shown(int x, int y) const { return view->pictureArea.PixelAt(x, y); }

    testkit::TempFolder program{L"mirulo-viewer"};
    std::wstring saves = program / L"画像";
    platform::RecordingHost host;
    std::unique_ptr<app::MainWindow> window;
    viewer::ViewerWindow* view = nullptr;
    HRESULT com_ = E_FAIL;
};

TEST_F(Viewer, TheViewerButtonShowsTheSelectedPictureAndItsNameInBothStatusBars) {
    Png(L"a.png", CornerPicture(40, 30));
    Start();
    EXPECT_FALSE(::IsWindowVisible(view->hwnd())) << "created hidden";
    wchar_t title[64] = {};
    ::GetWindowTextW(view->hwnd(), title, 64);
    EXPECT_STREQ(title, L"画像ビューア");
    EXPECT_EQ(driver().Viewer()->hints().TextFor(view->recycleButton.hwnd()),
              L"画像をゴミ箱へ移動 / 元に戻すにはボタン右クリック");

    Click(driver().ViewerButton().hwnd());
    EXPECT_TRUE(::IsWindowVisible(view->hwnd()));
    EXPECT_EQ(view->pictureArea.fit(), (viewer::PictureFit{false, 40, 30}));
    EXPECT_EQ(view->StatusText(), L"a.png");
    EXPECT_EQ(driver().StatusText(), L"a.png");

    // The main list's refresh text is mirrored into the viewer.
    driver().CountPictures();
    EXPECT_EQ(view->StatusText(), L"(1枚、画像サイズ合計0.000MB)");
}

TEST_F(Viewer, TheViewerButtonSaysWhatIsMissing) {
    Png(L"a.png", CornerPicture(4, 4));
    ::CreateDirectoryW(Path(L"folder.png").c_str(), nullptr); // listed, but no picture
    Start();
    driver().PictureList().SetItemIndex(-1);
    Click(driver().ViewerButton().hwnd());
    Select(L"a.png");
    ::DeleteFileW(Path(L"a.png").c_str());
    Click(driver().ViewerButton().hwnd());
    Select(L"folder.png");
    Click(driver().ViewerButton().hwnd());
    EXPECT_EQ(host.Messages(), (std::vector<std::wstring>{
                                   L"【お知らせ】画像ビューア\r\n\r\n画像一覧でファイルが未選択です",
                                   L"【お知らせ】画像ビューア\r\n\r\n選択されたファイルが存在しません",
                                   L"【お知らせ】画像ビューア\r\n\r\n選択されたファイルが存在しません"}));
    EXPECT_FALSE(::IsWindowVisible(view->hwnd()));
}

TEST_F(Viewer, APictureUpToTheAreaKeepsItsSizeAndALargerOneIsScaledDownFromTheTopLeft) {
    struct Case {
        const wchar_t* name;
        int width, height;
        viewer::PictureFit expected;
    };
    const Case cases[] = {
        {L"exact.png", 400, 300, {false, 400, 300}}, {L"wider.png", 401, 300, {true, 400, 299}},
        {L"taller.png", 400, 301, {true, 398, 300}}, {L"small.png", 50, 40, {false, 50, 40}},
        {L"large.png", 1600, 900, {true, 400, 225}},
    };
    for (const Case& c : cases) {
        Png(c.name, CornerPicture(c.width, c.height));
    }
    Start();
    SetArea(400, 300);
    for (const Case& c : cases) {
        SCOPED_TRACE(platform::Narrow(c.name));
        view->LoadPicture(Path(c.name));
        const viewer::PictureFit fit = view->pictureArea.fit();
        EXPECT_EQ(fit, c.expected);
        EXPECT_EQ(Shown(0, 0), RGB(255, 0, 0)) << "top-left corner at the area's top-left";
        EXPECT_EQ(Shown(fit.width - 1, fit.height - 1), RGB(255, 255, 0)) << "the whole picture is in view";
        EXPECT_EQ(Shown(fit.width, 0), CLR_INVALID);
    }

    // Resizing does not refit until the next load.
    view->LoadPicture(Path(L"large.png"));
    SetArea(800, 600);
    EXPECT_EQ(view->pictureArea.fit(), (viewer::PictureFit{true, 400, 225}));
    view->LoadPicture(Path(L"large.png"));
    EXPECT_EQ(view->pictureArea.fit(), (viewer::PictureFit{true, 800, 450}));

    // A file that is not there changes nothing.
    view->LoadPicture(Path(L"gone.png"));
    EXPECT_EQ(view->pictureArea.fit(), (viewer::PictureFit{true, 800, 450}));
    EXPECT_EQ(view->StatusText(), L"large.png");
}

TEST_F(Viewer, PreviousAndNextStepThroughTheMainListWithoutWrappingAndPassOverMarkedEntries) {
    for (const wchar_t* name : {L"a.png", L"b.png", L"c.png", L"d.png"}) {
        Png(name, CornerPicture(8, 8));
    }
    Start(); // d, c, b, a
    struct Case {
        const char* what;
        int selected;
        std::vector<int> marked;
        bool next;
        int expectedSelection;
        std::wstring expectedShown; // the viewer's status after the step
    };
    const Case cases[] = {
        {"previous on the first entry", 0, {}, false, 0, L"shown before"},
        {"next on the last entry", 3, {}, true, 3, L"shown before"},
        {"next with no selection shows the first", -1, {}, true, 0, L"d.png"},
        {"previous with no selection", -1, {}, false, -1, L"shown before"},
        {"next", 1, {}, true, 2, L"b.png"},
        {"previous", 2, {}, false, 1, L"c.png"},
        {"next onto a marked entry keeps the picture", 0, {1}, true, 1, L"shown before"},
        {"previous onto a marked entry keeps the picture", 3, {2}, false, 2, L"shown before"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        driver().CountPictures();
        for (int index : c.marked) {
            driver().PictureList().SetItem(index, L"[ゴミ箱]" + driver().PictureList().Item(index));
        }
        driver().PictureList().SetItemIndex(c.selected);
        view->SetStatusText(L"shown before");
        Click(c.next ? view->nextButton.hwnd() : view->previousButton.hwnd());
        EXPECT_EQ(driver().PictureList().ItemIndex(), c.expectedSelection);
        EXPECT_EQ(view->StatusText(), c.expectedShown);
    }
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(Viewer, DeletingMovesThePictureToTheRecycleBinMarksItsEntryAndStepsOn) {
    for (const wchar_t* name : {L"a.png", L"b.png", L"c.png"}) {
        Png(name, CornerPicture(8, 8));
    }
    Start(); // c, b, a
    ShellConfirmationAnswerer answerer;

    Select(L"b.png");
    view->LoadPicture(Path(L"b.png"));
    ::SendMessageW(view->recycleButton.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_FALSE(testkit::FileExists(Path(L"b.png")));
    EXPECT_EQ(Entries(), (std::vector<std::wstring>{L"c.png", L"[ゴミ箱]b.png", L"a.png"}));
    EXPECT_EQ(Selected(), L"a.png") << "steps to the next entry";
    EXPECT_EQ(view->StatusText(), L"a.png");

    // The last entry: marked, still selected, still on display.
    ::SendMessageW(view->recycleButton.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_FALSE(testkit::FileExists(Path(L"a.png")));
    EXPECT_EQ(Entries(), (std::vector<std::wstring>{L"c.png", L"[ゴミ箱]b.png", L"[ゴミ箱]a.png"}));
    EXPECT_EQ(driver().PictureList().ItemIndex(), 2);
    EXPECT_EQ(driver().StatusText(), L"[ゴミ箱] a.png");
    EXPECT_EQ(view->StatusText(), L"[ゴミ箱]a.png");
    EXPECT_EQ(Shown(0, 0), RGB(255, 0, 0));

    // Once more on the marked entry: there is no file, so nothing happens.
    ::SendMessageW(view->recycleButton.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_EQ(Entries(), (std::vector<std::wstring>{L"c.png", L"[ゴミ箱]b.png", L"[ゴミ箱]a.png"}));
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(Viewer, ADeclinedConfirmationKeepsThePictureItsEntryAndTheSelection) {
    for (const wchar_t* name : {L"a.png", L"b.png"}) {
        Png(name, CornerPicture(8, 8));
    }
    Start(); // b, a
    Select(L"b.png");
    view->LoadPicture(Path(L"b.png"));
    const std::wstring mainStatus = driver().StatusText();
    const std::wstring viewerStatus = view->StatusText();
    {
        testkit::ShellConfirmations decline({IDNO});
        ::SendMessageW(view->recycleButton.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
        EXPECT_GE(decline.answered(), 1) << "the shell did not ask";
    }
    EXPECT_TRUE(testkit::FileExists(Path(L"b.png")));
    EXPECT_EQ(Entries(), (std::vector<std::wstring>{L"b.png", L"a.png"}));
    EXPECT_EQ(Selected(), L"b.png");
    EXPECT_EQ(driver().StatusText(), mainStatus);
    EXPECT_EQ(view->StatusText(), viewerStatus);
}

TEST_F(Viewer, DeleteWithoutSelectionSaysSoAndTheRightButtonOpensTheRecycleBinAnyway) {
    Start();
    ASSERT_EQ(driver().PictureList().ItemIndex(), -1);
    ::SendMessageW(view->recycleButton.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_EQ(host.Messages(), (std::vector<std::wstring>{
                                   L"【お知らせ】ファイル削除機能\r\n\r\n画像一覧でファイルが未選択です"}));

    ::SendMessageW(view->recycleButton.hwnd(), WM_RBUTTONDOWN, MK_RBUTTON, 0);
    const auto launches = host.CallsOf(platform::HostCall::Kind::ShellLaunch);
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].caption, L"open");
    EXPECT_EQ(launches[0].text, L"shell:::{645FF040-5081-101B-9F08-00AA002F954E}");
    EXPECT_EQ(launches[0].owner, nullptr);
    EXPECT_EQ(launches[0].flags, static_cast<unsigned>(SW_SHOWNORMAL));
}

TEST_F(Viewer, CopyAndEditRunTheMainWindowsActionsOnTheSelectedPicture) {
    Png(L"a.png", CornerPicture(6, 4));
    Start();
    Click(view->clipboardButton.hwnd());
    EXPECT_EQ(driver().StatusText(), L"[クリップボードにコピー完了] X等の投稿画面にCtrl+Vで貼付可能です");
    EXPECT_EQ(view->StatusText(), L"画像をクリップボードへコピーしました");
    ASSERT_TRUE(::OpenClipboard(nullptr));
    auto* bitmap = static_cast<HBITMAP>(::GetClipboardData(CF_BITMAP));
    BITMAP info{};
    ASSERT_NE(bitmap, nullptr);
    ::GetObjectW(bitmap, sizeof(info), &info);
    ::CloseClipboard();
    EXPECT_EQ(info.bmWidth, 6);
    EXPECT_EQ(info.bmHeight, 4);

    Click(view->editButton.hwnd());
    const auto launches = host.CallsOf(platform::HostCall::Kind::ShellLaunch);
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].text, L"mspaint");
    EXPECT_EQ(launches[0].argument, Path(L"a.png"));
}

TEST_F(Viewer, ThePlaceAndSizeComeBackAfterClosingAndAfterARestart) {
    Start();
    view->ShowViewer();
    ::SetWindowPos(view->hwnd(), nullptr, 130, 90, 640, 480, SWP_NOZORDER);
    RECT before{};
    ::GetWindowRect(view->hwnd(), &before);
    ::SendMessageW(view->hwnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindowVisible(view->hwnd())) << "closing only hides";
    EXPECT_EQ(window->CurrentSettings().viewerTop, 90);
    EXPECT_EQ(window->CurrentSettings().viewerLeft, 130);
    EXPECT_EQ(window->CurrentSettings().viewerHeight, 480);
    EXPECT_EQ(window->CurrentSettings().viewerWidth, 640);

    view->ShowViewer();
    RECT again{};
    ::GetWindowRect(view->hwnd(), &again);
    EXPECT_TRUE(::EqualRect(&before, &again));

    // The main window's close writes the settings; a new run places the viewer there.
    ::SendMessageW(view->hwnd(), WM_CLOSE, 0, 0);
    driver().WriteSettings();
    window.reset();
    Start();
    RECT restarted{};
    ::GetWindowRect(view->hwnd(), &restarted);
    EXPECT_TRUE(::EqualRect(&before, &restarted))
        << restarted.left << "," << restarted.top << " " << restarted.right - restarted.left << "x"
        << restarted.bottom - restarted.top;
}

TEST_F(Viewer, AnUndecodablePictureIsReportedAndChangesNothing) {
    Png(L"b.png", CornerPicture(20, 10));
    testkit::WriteFileBytes(Path(L"a.png"), "\x89PNG\r\n\x1a\nthis is no picture");
    Start(); // b, a
    view->LoadPicture(Path(L"b.png"));
    Click(view->nextButton.hwnd());
    EXPECT_EQ(Selected(), L"a.png");
    ASSERT_EQ(host.Messages().size(), 1u) << "one error box";
    EXPECT_EQ(view->pictureArea.fit(), (viewer::PictureFit{false, 20, 10})) << "the former picture stays";
    EXPECT_EQ(Shown(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(view->StatusText(), L"b.png");
    EXPECT_EQ(driver().StatusText(), L"b.png");

    Click(view->greyCopyButton.hwnd());
    Click(view->sepiaCopyButton.hwnd());
    EXPECT_EQ(host.Messages().size(), 3u);
    EXPECT_EQ(testkit::FolderNames(saves), (std::vector<std::wstring>{L"a.png", L"b.png"}))
        << "nothing written";
    EXPECT_EQ(Entries(), (std::vector<std::wstring>{L"b.png", L"a.png"}));
}

// A box about a picture that cannot be read is in the user's words and names
// the file, whichever action met it; the decoders' own reasons ("PNG: truncated
// IDAT") are for developers.
TEST_F(Viewer, EveryBoxAboutADamagedPictureIsInJapaneseAndNamesTheFile) {
    const std::string png = AsString(image::EncodePng(CornerPicture(40, 30)));
    testkit::WriteFileBytes(Path(L"cut.png"), png.substr(0, png.size() * 2 / 3));
    testkit::WriteFileBytes(Path(L"spoilt.jpg"),
                            std::string("\xFF\xD8\xFF\xDBno table here") + std::string(64, 'x'));
    testkit::WriteFileBytes(Path(L"text.png"), "just some text");
    Start();
    const bool printer = view->printerFullNames.Count() > 0;
    struct Action {
        const char* what;
        const wchar_t* headline;
        std::function<void()> run;
    };
    const Action actions[] = {
        {"viewer", L"画像を表示できません", [&] { Click(driver().ViewerButton().hwnd()); }},
        {"grey copy", L"グレースケール画像を作成できません", [&] { Click(view->greyCopyButton.hwnd()); }},
        {"sepia copy", L"セピア画像を作成できません", [&] { Click(view->sepiaCopyButton.hwnd()); }},
        {"clipboard", L"クリップボードに画像をコピーできません",
         [&] { Click(driver().ClipboardButton().hwnd()); }},
        {"print", L"画像を印刷できません", [&] { Click(view->printButton.hwnd()); }},
    };
    for (const wchar_t* name : {L"cut.png", L"spoilt.jpg", L"text.png"}) {
        for (const Action& action : actions) {
            if (std::string(action.what) == "print" && !printer) {
                continue; // without a printer the box is about the printer
            }
            SCOPED_TRACE(platform::Narrow(name) + " " + action.what);
            Select(name);
            host.calls.clear();
            action.run();
            ASSERT_EQ(host.Messages().size(), 1u);
            std::wstring text = host.Messages()[0];
            EXPECT_EQ(text.rfind(std::wstring(action.headline) + L"\r\n", 0), 0u) << platform::Narrow(text);
            const std::size_t at = text.find(Path(name));
            ASSERT_NE(at, std::wstring::npos) << "the file is named: " << platform::Narrow(text);
            text.erase(at, Path(name).size());
            for (const wchar_t* format : {L"JPEG", L"PNG"}) {
                for (std::size_t word = text.find(format); word != std::wstring::npos;
                     word = text.find(format)) {
                    text.erase(word, std::wcslen(format));
                }
            }
            EXPECT_EQ(std::count_if(text.begin(), text.end(),
                                    [](wchar_t c) { return c < 0x80 && std::iswalpha(c); }),
                      0)
                << "words of English: " << platform::Narrow(text);
        }
    }
    EXPECT_EQ(testkit::FolderNames(saves),
              (std::vector<std::wstring>{L"cut.png", L"spoilt.jpg", L"text.png"}));
}

TEST_F(Viewer, GreyAndSepiaCopiesHaveExactPixelsAndAreListedAfterTheirSource) {
    Png(L"b.png", CornerPicture(8, 8));
    Png(L"a.png", Pixels({{255, 255, 255}, {0, 0, 0}, {255, 0, 0}, {10, 200, 30}}));
    Start(); // b, a
    Select(L"a.png");

    Click(view->greyCopyButton.hwnd());
    EXPECT_EQ(Entries(), (std::vector<std::wstring>{L"b.png", L"a.png", L"a-モノ.png"}));
    EXPECT_EQ(Selected(), L"a-モノ.png");
    EXPECT_EQ(driver().StatusText(), L"[グレイスケール生成] a-モノ.png");
    EXPECT_EQ(view->StatusText(), L"[グレイスケール生成]a-モノ.png");
    const std::vector<std::uint8_t> grey = FileBytes(Path(L"a-モノ.png"));
    const image::PngInfo info = image::ReadPngHeader(grey);
    EXPECT_EQ(info.colourType, 3);
    EXPECT_EQ(info.bitDepth, 8);
    EXPECT_EQ(image::DecodePng(grey).pixels,
              (std::vector<std::uint8_t>{255, 255, 255, 0, 0, 0, 76, 76, 76, 123, 123, 123}));
    EXPECT_EQ(Shown(0, 0), RGB(255, 255, 255)) << "the copy is on display";
    EXPECT_EQ(Shown(2, 0), RGB(76, 76, 76));

    // The copy itself is selected now: the same button does nothing more.
    Click(view->greyCopyButton.hwnd());
    EXPECT_EQ(Entries().size(), 3u);

    Select(L"a.png");
    Click(view->sepiaCopyButton.hwnd());
    EXPECT_EQ(Entries(), (std::vector<std::wstring>{L"b.png", L"a.png", L"a-セピ.png", L"a-モノ.png"}));
    EXPECT_EQ(driver().StatusText(), L"[セピア生成] a-セピ.png");
    EXPECT_EQ(view->StatusText(), L"[セピア生成]a-セピ.png");
    const image::Image sepia = image::DecodePng(FileBytes(Path(L"a-セピ.png")));
    ASSERT_EQ(sepia.width, 4u);
    const std::uint8_t* white = sepia.row(0);
    EXPECT_EQ(white[0], 255);
    EXPECT_EQ(white[1], 255);
    EXPECT_TRUE(white[2] == 239 || white[2] == 240) << int(white[2]);
    const std::uint8_t* black = white + sepia.channels;
    EXPECT_EQ(black[0] + black[1] + black[2], 0);
    const std::uint8_t* red = black + sepia.channels; // 0.393, 0.349, 0.272 of full scale
    EXPECT_NEAR(red[0], 100, 1);
    EXPECT_NEAR(red[1], 89, 1);
    EXPECT_NEAR(red[2], 69, 1);

    // Once more from the source: the file is replaced, and its one entry selected.
    Select(L"a.png");
    Click(view->greyCopyButton.hwnd());
    EXPECT_EQ(Entries(), (std::vector<std::wstring>{L"b.png", L"a.png", L"a-セピ.png", L"a-モノ.png"}));
    EXPECT_EQ(Selected(), L"a-モノ.png");
    driver().CountPictures();
    std::vector<std::wstring> refreshed = Entries();
    std::sort(refreshed.begin(), refreshed.end());
    EXPECT_EQ(refreshed, (std::vector<std::wstring>{L"a-セピ.png", L"a-モノ.png", L"a.png", L"b.png"}));
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(Viewer, JpegSourcesGiveJpegCopiesWithTheGreyInAllThreeChannels) {
    image::Image picture;
    picture.width = 16;
    picture.height = 16;
    picture.pixels.assign(16 * 16 * 3, 255);
    for (std::size_t i = 0; i < picture.pixels.size(); i += 3) {
        picture.pixels[i + 1] = 0; // magenta: grey (77 + 29) * 255 >> 8 = 105
    }
    Jpg(L"a.jpg", picture);
    Start();
    Click(view->greyCopyButton.hwnd());
    Select(L"a.jpg");
    Click(view->sepiaCopyButton.hwnd());
    EXPECT_EQ(Entries(), (std::vector<std::wstring>{L"a.jpg", L"a-セピ.jpg", L"a-モノ.jpg"}));

    const std::vector<std::uint8_t> greyFile = FileBytes(Path(L"a-モノ.jpg"));
    // Baseline (SOF0) with three components.
    const std::array<std::uint8_t, 2> baselineMarker{0xFF, 0xC0};
    const auto sof =
        std::search(greyFile.begin(), greyFile.end(), baselineMarker.begin(), baselineMarker.end());
    ASSERT_NE(sof, greyFile.end());
    EXPECT_EQ(*(sof + 9), 3) << "components";
    const image::Image grey = image::DecodeJpeg(greyFile);
    for (std::size_t i = 0; i < grey.pixels.size(); i += 3) {
        ASSERT_NEAR(grey.pixels[i], 105, 3);
        ASSERT_EQ(grey.pixels[i], grey.pixels[i + 1]);
        ASSERT_EQ(grey.pixels[i], grey.pixels[i + 2]);
    }
    const image::Image sepia = image::DecodeJpeg(FileBytes(Path(L"a-セピ.jpg")));
    EXPECT_EQ(sepia.width, 16u);
    EXPECT_GT(sepia.pixels[0], sepia.pixels[2]) << "sepia: more red than blue";
}

TEST_F(Viewer, CopyNamesFollowTheSourceAndCopiesOfTheSameKindAreRefused) {
    struct Case {
        const wchar_t* source;
        bool grey;
        const wchar_t* expected; // nullptr: nothing written
    };
    const Case cases[] = {
        {L"A.PNG", true, L"A-モノ.png"},   {L"B-モノ.PNG", true, L"B-モノ-モノ.png"},
        {L"c-モノ.png", true, nullptr},    {L"c-モノ.png", false, L"c-モノ-セピ.png"},
        {L"[ゴミ箱]d.png", true, nullptr}, // a marked entry has no file
    };
    for (const wchar_t* name : {L"A.PNG", L"B-モノ.PNG", L"c-モノ.png", L"d.png"}) {
        Png(name, CornerPicture(4, 4));
    }
    Start();
    Select(L"d.png");
    driver().PictureList().SetItem(driver().PictureList().ItemIndex(), L"[ゴミ箱]d.png");
    for (const Case& c : cases) {
        SCOPED_TRACE(platform::Narrow(c.source));
        const std::vector<std::wstring> before = testkit::FolderNames(saves);
        Select(c.source);
        Click(c.grey ? view->greyCopyButton.hwnd() : view->sepiaCopyButton.hwnd());
        std::vector<std::wstring> after = testkit::FolderNames(saves);
        if (c.expected == nullptr) {
            EXPECT_EQ(after, before);
            EXPECT_EQ(Selected(), c.source);
        } else {
            EXPECT_TRUE(testkit::FileExists(Path(c.expected)));
            EXPECT_EQ(after.size(), before.size() + 1);
            EXPECT_EQ(Selected(), c.expected);
        }
    }

    // No selection: nothing, and nothing said.
    driver().PictureList().SetItemIndex(-1);
    const std::vector<std::wstring> before = testkit::FolderNames(saves);
    Click(view->greyCopyButton.hwnd());
    Click(view->sepiaCopyButton.hwnd());
    EXPECT_EQ(testkit::FolderNames(saves), before);
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(Viewer, APictureWithANameAsLongAsTheFileSystemAllowsStillGetsItsCopies) {
    // 244 characters, and 244 bytes in UTF-8: its copies' names (251) still fit
    // the file system's 255, though the name and a temporary affix would not.
    const std::wstring name = std::wstring(240, L'a') + L".png";
    Png(name, CornerPicture(4, 4));
    Start();
    Select(name);
    Click(view->greyCopyButton.hwnd());
    Select(name);
    Click(view->sepiaCopyButton.hwnd());
    EXPECT_TRUE(host.Messages().empty())
        << platform::Narrow(host.Messages().empty() ? L"" : host.Messages()[0]);
    const std::wstring stem = std::wstring(240, L'a');
    std::vector<std::wstring> names = testkit::FolderNames(saves);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{stem + L"-セピ.png", stem + L"-モノ.png", name}));
}

// What a grey-scale or sepia copy cut short leaves, and what the next start makes of it.
TEST_F(Viewer, TheNextStartRemovesWhatAnInterruptedCopyLeftAndNothingElse) {
    Png(L"a.png", CornerPicture(4, 4));
    testkit::WriteFileBytes(Path(L".~mirulo-copy.tmp"), "\x89PNG\r\n\x1a\n cut short");
    testkit::WriteFileBytes(Path(L"notes.tmp"), "the user's");
    testkit::WriteFileBytes(Path(L".~mirulo-copy.tmp.txt"), "the user's too");
    Start();
    std::vector<std::wstring> names = testkit::FolderNames(saves);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L".~mirulo-copy.tmp.txt", L"a.png", L"notes.tmp"}));
    // And the copy it was writing can be made.
    Click(view->greyCopyButton.hwnd());
    EXPECT_TRUE(testkit::FileExists(Path(L"a-モノ.png")));
    EXPECT_FALSE(testkit::FileExists(Path(L".~mirulo-copy.tmp")));
}

TEST_F(Viewer, ACopyThatCannotReplaceAnEarlierOneLeavesItWhole) {
    Png(L"a.png", CornerPicture(4, 4));
    Start();
    Click(view->greyCopyButton.hwnd());
    const std::string earlier = testkit::ReadFileBytes(Path(L"a-モノ.png"));
    ::SetFileAttributesW(Path(L"a-モノ.png").c_str(), FILE_ATTRIBUTE_READONLY);
    Png(L"a.png", CornerPicture(6, 6));
    driver().CountPictures();
    Select(L"a.png");
    const std::vector<std::wstring> entries = Entries();
    Click(view->greyCopyButton.hwnd());
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_NE(host.Messages()[0].find(L"a-モノ.png"), std::wstring::npos);
    EXPECT_EQ(testkit::ReadFileBytes(Path(L"a-モノ.png")), earlier);
    EXPECT_EQ(Entries(), entries) << "the list stays as it was";
    EXPECT_EQ(testkit::FolderNames(saves).size(), 2u) << "no temporary file left";
    ::SetFileAttributesW(Path(L"a-モノ.png").c_str(), FILE_ATTRIBUTE_NORMAL);
}

} // namespace
