// Printing from the viewer to the system's printers. The runner script beside
// this file sets the printer system up before these run: with a cups-pdf queue
// as the default printer (Printing.*), with no printer at all (NoPrinter.*) or
// with a queue that refuses jobs (RefusingPrinter.*); after Printing.* it
// renders the printed page and checks where the picture landed.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>

#include "image/PngWriter.h"
#include "platform/RecordingHost.h"
#include "platform/Wide.h"
#include "support/Desktop.h"
#include "support/MainWindowTest.h"
#include "support/MiruloProcess.h"
#include "support/CornerPicture.h"
#include "support/TempFolder.h"
#include "ui/ProgramCursor.h"
#include "viewer/PrintLayout.h"
#include "viewer/ViewerWindow.h"
#include "viewer/ViewerTexts.h"

using namespace mirulo;

namespace {

image::Image CornerPicture(int width, int height) {
    return testkit::CornerPicture(width, height, 160, 8);
}

std::wstring Environment(const wchar_t* name) {
    wchar_t value[1024] = {};
    const DWORD length = ::GetEnvironmentVariableW(name, value, 1024);
    return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

// A Unix path as this Wine process sees it.
std::wstring FromUnix(const std::wstring& unixPath) {
    std::wstring path = L"Z:" + unixPath;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

// The PDF whose name starts with `prefix` in `folder`, once it is there.
std::wstring WaitForFile(const std::wstring& folder, const std::wstring& prefix, DWORD timeoutMs) {
    for (DWORD waited = 0; waited <= timeoutMs; waited += 200) {
        WIN32_FIND_DATAW found{};
        HANDLE search = ::FindFirstFileW((folder + L"\\" + prefix + L"*.pdf").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            ::FindClose(search);
            return folder + L"\\" + found.cFileName;
        }
        ::Sleep(200);
    }
    return {};
}

// The message box Mirulo.exe shows next, answered with OK: its caption and text.
struct Answered {
    std::wstring caption;
    std::wstring text;
};
std::optional<Answered> AnswerNextMessageBox(DWORD processId, DWORD timeoutMs) {
    HWND box = nullptr;
    if (!testkit::WaitUntil([&] { return (box = testkit::FindMessageBox(processId)) != nullptr; },
                            timeoutMs)) {
        return std::nullopt;
    }
    Answered answered{testkit::WindowTitle(box), testkit::MessageBoxText(box)};
    testkit::AnswerMessageBox(box, IDOK);
    testkit::WaitUntil([&] { return !::IsWindow(box); }, 5000);
    return answered;
}

class PrintFixture : public testkit::MainWindowTest {
protected:
    PrintFixture() {
        com_ = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        MakeSaveFolder();
    }
    ~PrintFixture() override {
        window.reset();
        if (SUCCEEDED(com_)) {
            ::CoUninitialize();
        }
    }

    void Png(const std::wstring& name, const image::Image& picture) {
        const std::vector<std::uint8_t> png = image::EncodePng(picture);
        testkit::WriteFileBytes(saves + L"\\" + name, std::string(png.begin(), png.end()));
    }
    // The main window with its viewer, as at program start.
    void StartWithViewer() {
        Start(SaveFolderLine());
        driver().CreateViewer();
        view = driver().Viewer();
        ASSERT_NE(view, nullptr);
    }
    std::vector<std::wstring> Errors() const { return host.Messages(); }
    static void Click(HWND button) { ::SendMessageW(button, BM_CLICK, 0, 0); }

    viewer::ViewerWindow* view = nullptr;
    HRESULT com_ = E_FAIL;
};

using Printing = PrintFixture;
using NoPrinter = PrintFixture;
using RefusingPrinter = PrintFixture;

std::wstring QueueName() {
    const std::wstring queue = Environment(L"MIRULO_PRINT_QUEUE");
    return queue.empty() ? L"MiruloPDF" : queue;
}

TEST_F(Printing, TheStripListsThePrintersWithTheDefaultOneChosenInLandscape) {
    StartWithViewer();
    EXPECT_TRUE(Errors().empty()) << platform::Narrow(Errors().front());
    const ui::ComboBox& shortNames = view->printerShortNames;
    const ui::ComboBox& fullNames = view->printerFullNames;
    // The runner adds Mirulo-Archive and MiruloZ-Proofs beside the default
    // MiruloPDF, which Wine lists between them: the default is found by name.
    ASSERT_GE(fullNames.Count(), 3) << "Wine lists fewer printers than the runner set up: is CUPS up?";
    std::wstring listed;
    for (int i = 0; i < fullNames.Count(); ++i) {
        listed += fullNames.Item(i) + L"; ";
    }
    SCOPED_TRACE(platform::Narrow(listed));
    ASSERT_EQ(shortNames.Count(), fullNames.Count());
    for (int i = 0; i < fullNames.Count(); ++i) {
        EXPECT_EQ(shortNames.Item(i), viewer::ShortPrinterName(fullNames.Item(i)));
    }
    ASSERT_GE(shortNames.ItemIndex(), 0);
    EXPECT_EQ(fullNames.ItemIndex(), shortNames.ItemIndex());
    EXPECT_EQ(_wcsicmp(fullNames.Item(fullNames.ItemIndex()).c_str(), QueueName().c_str()), 0)
        << "the default printer is chosen";

    EXPECT_FALSE(::GetWindowLongPtrW(fullNames.hwnd(), GWL_STYLE) & WS_VISIBLE)
        << "the full names stay hidden";
    EXPECT_TRUE(::GetWindowLongPtrW(shortNames.hwnd(), GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(::SendMessageW(shortNames.hwnd(), CB_GETDROPPEDWIDTH, 0, 0), 350);
    RECT box{};
    ::GetWindowRect(shortNames.hwnd(), &box);
    ::MapWindowPoints(nullptr, view->hwnd(), reinterpret_cast<POINT*>(&box), 2);
    EXPECT_EQ(box.left, 304);
    EXPECT_EQ(box.right - box.left, 195);
    EXPECT_EQ(view->hints().TextFor(view->printButton.hwnd()), L"画像を印刷");

    ASSERT_TRUE(view->chosenPrinter().has_value());
    EXPECT_EQ(view->chosenPrinter()->device(), fullNames.Item(fullNames.ItemIndex()));
    const DEVMODEW* mode = view->chosenPrinter()->deviceMode();
    EXPECT_EQ(mode->dmOrientation, DMORIENT_LANDSCAPE);
    EXPECT_TRUE(mode->dmFields & DM_ORIENTATION);

    // Choosing again from the drop-down fetches the settings afresh, still landscape.
    view->OnPrinterChosen();
    EXPECT_TRUE(Errors().empty());
    EXPECT_EQ(view->chosenPrinter()->deviceMode()->dmOrientation, DMORIENT_LANDSCAPE);
}

// The picture goes to the printer as one landscape page, named after the local
// time the Host gives; the runner script renders the PDF it became and checks
// the corners against the placement written here.
TEST_F(Printing, PrintsTheSelectedPictureOnALandscapePageNamedAfterTheClock) {
    const std::wstring pdfFolder = Environment(L"MIRULO_PDF_DIR");
    const std::wstring expectation = Environment(L"MIRULO_PRINT_EXPECT");
    ASSERT_FALSE(pdfFolder.empty())
        << "MIRULO_PDF_DIR names cups-pdf's output folder (the runner script sets it)";
    ASSERT_FALSE(expectation.empty()) << "MIRULO_PRINT_EXPECT names the file for the page check";
    Png(L"20241018_013100_000_全B.png", CornerPicture(1600, 900));
    StartWithViewer();
    ASSERT_TRUE(Errors().empty());
    host.now = {2024, 10, 18, 1, 31, 13, 500};
    const std::wstring title = L"PRINT_2024-10-18_01-31-13";
    // A job of an earlier run under the same title must not pass for this one.
    for (std::wstring old = WaitForFile(FromUnix(pdfFolder), title, 0); !old.empty();
         old = WaitForFile(FromUnix(pdfFolder), title, 0)) {
        ASSERT_TRUE(::DeleteFileW(old.c_str())) << platform::Narrow(old);
    }

    ASSERT_EQ(driver().PictureList().Count(), 1);
    driver().PictureList().SetItemIndex(0);
    Click(view->printButton.hwnd());
    EXPECT_TRUE(Errors().empty()) << platform::Narrow(Errors().front());
    ASSERT_TRUE(view->lastPrintedJob().has_value());
    const viewer::PrintedJob job = *view->lastPrintedJob();
    EXPECT_GT(job.pageWidth, job.pageHeight) << "landscape";
    EXPECT_TRUE(job.wide);
    EXPECT_TRUE(view->printedWide);
    EXPECT_EQ(job.placement, viewer::PlacePrintedPicture(1600, 900, job.pageWidth, job.pageHeight, true));
    EXPECT_EQ(view->pictureArea.fit().width, std::min(1600, static_cast<int>(view->AvailableArea().cx)))
        << "the viewer shows what it prints";

    const std::wstring pdf = WaitForFile(FromUnix(pdfFolder), title, 30000);
    ASSERT_FALSE(pdf.empty()) << "no " << platform::Narrow(title) << "*.pdf in "
                              << platform::Narrow(pdfFolder);

    // Where the printable area sits on the sheet, for the page check.
    const viewer::ChosenPrinter& printer = *view->chosenPrinter();
    const viewer::UniquePrinterDc dc(
        ::CreateDCW(printer.driver().empty() ? nullptr : printer.driver().c_str(), printer.device().c_str(),
                    nullptr, printer.deviceMode()));
    ASSERT_TRUE(dc);
    std::ofstream out(FromUnix(expectation).c_str());
    const viewer::PrintPlacement& p = job.placement;
    out << "pdf " << platform::Narrow(pdf.substr(pdf.find_last_of(L'\\') + 1)) << "\n"
        << "dpi " << ::GetDeviceCaps(dc.get(), LOGPIXELSX) << " " << ::GetDeviceCaps(dc.get(), LOGPIXELSY)
        << "\n"
        << "sheet " << ::GetDeviceCaps(dc.get(), PHYSICALWIDTH) << " "
        << ::GetDeviceCaps(dc.get(), PHYSICALHEIGHT) << "\n"
        << "offset " << ::GetDeviceCaps(dc.get(), PHYSICALOFFSETX) << " "
        << ::GetDeviceCaps(dc.get(), PHYSICALOFFSETY) << "\n"
        << "page " << job.pageWidth << " " << job.pageHeight << "\n"
        << "picture " << p.left << " " << p.top << " " << p.width << " " << p.height << "\n";
    ASSERT_TRUE(out.good());
}

TEST_F(Printing, WithoutASelectionThePrintButtonDoesNothing) {
    Png(L"20241018_013100_000_全B.png", CornerPicture(160, 90));
    StartWithViewer();
    driver().PictureList().SetItemIndex(-1);
    Click(view->printButton.hwnd());
    EXPECT_TRUE(Errors().empty());
    EXPECT_FALSE(view->lastPrintedJob().has_value());
}

TEST_F(NoPrinter, StartUpSaysSoOnceTheProgramGoesOnAndEachPrintSaysSoAgain) {
    Png(L"20241018_013100_000_全B.png", CornerPicture(160, 90));
    StartWithViewer();
    const std::vector<std::wstring> atStart = Errors();
    ASSERT_EQ(atStart, std::vector<std::wstring>{viewer::texts::kNoDefaultPrinter});
    const auto calls = host.CallsOf(platform::HostCall::Kind::Message);
    EXPECT_EQ(calls.front().flags & MB_ICONMASK, static_cast<unsigned>(MB_ICONERROR));
    EXPECT_FALSE(view->chosenPrinter().has_value());

    // The main window works as ever: its list and the viewer.
    ASSERT_EQ(driver().PictureList().Count(), 1);
    driver().PictureList().SetItemIndex(0);
    Click(driver().ViewerButton().hwnd());
    EXPECT_TRUE(::IsWindowVisible(view->hwnd()));
    EXPECT_EQ(view->pictureArea.fit(), (viewer::PictureFit{false, 160, 90}));
    EXPECT_EQ(Errors().size(), 1u);

    Click(view->printButton.hwnd());
    EXPECT_EQ(Errors(), (std::vector<std::wstring>{viewer::texts::kNoDefaultPrinter,
                                                   viewer::texts::kNoDefaultPrinter}));
    EXPECT_FALSE(view->lastPrintedJob().has_value());
}

// The queue takes no jobs: the job begun is abandoned, the user is told, and
// the pointer is the program's own again.
TEST_F(RefusingPrinter, AJobTheSpoolerRefusesIsAbandonedWithAMessage) {
    Png(L"20241018_013100_000_全B.png", CornerPicture(160, 90));
    StartWithViewer();
    ASSERT_TRUE(Errors().empty()) << "the printer is there, it only refuses jobs";
    driver().PictureList().SetItemIndex(0);
    Click(view->printButton.hwnd());
    EXPECT_EQ(Errors(), std::vector<std::wstring>{viewer::texts::kPrinterNotPrinting});
    EXPECT_FALSE(view->lastPrintedJob().has_value());
    EXPECT_EQ(ui::ProgramCursor::Current(), nullptr) << "the wait cursor is restored";
}

// The program itself: the message comes once, as a box of its own, before the
// main window carries on; the viewer's print button brings it back.
TEST(NoPrinterProgram, StartsAfterOneMessageAndSaysItAgainAtAPrint) {
    testkit::TempFolder folder(L"mirulo-print-e2e");
    const std::wstring saves = folder / L"画像";
    ::CreateDirectoryW(saves.c_str(), nullptr);
    const std::vector<std::uint8_t> png = image::EncodePng(CornerPicture(320, 180));
    testkit::WriteFileBytes(saves + L"\\20241018_013100_000_全B.png", std::string(png.begin(), png.end()));
    const std::wstring exe = testkit::InstallProgramCopy(folder.path());
    testkit::WriteFileBytes(exe + L"_ユーザー設定.ini",
                            "\xEF\xBB\xBF[System]\r\nFolder=" + platform::Narrow(saves) + "\r\n");

    testkit::MiruloProcess mirulo(exe);
    const std::optional<Answered> atStart = AnswerNextMessageBox(mirulo.id(), 30000);
    ASSERT_TRUE(atStart.has_value()) << "no message at start-up";
    EXPECT_EQ(atStart->text, viewer::texts::kNoDefaultPrinter);
    EXPECT_EQ(atStart->caption, L"ミルロ");

    HWND window = testkit::WaitForWindow(L"Tfm_Mirulo", mirulo.id(), 30000);
    ASSERT_NE(window, nullptr);
    ::Sleep(1000);
    EXPECT_EQ(testkit::FindMessageBox(mirulo.id()), nullptr) << "one message, not more";

    // The main page's viewer button opens the viewer on the newest picture.
    HWND viewerButton = testkit::ControlAt(window, L"Button", 204, 400);
    ASSERT_NE(viewerButton, nullptr);
    ::PostMessageW(viewerButton, BM_CLICK, 0, 0);
    HWND viewerWindow = testkit::WaitForWindow(L"TfrmView", mirulo.id(), 10000);
    ASSERT_NE(viewerWindow, nullptr);
    ::Sleep(500);
    EXPECT_EQ(testkit::FindMessageBox(mirulo.id()), nullptr) << "the viewer opens without a message";

    HWND printButton = testkit::ControlAt(viewerWindow, L"Button", 500, 1);
    ASSERT_NE(printButton, nullptr);
    ::PostMessageW(printButton, BM_CLICK, 0, 0);
    const std::optional<Answered> atPrint = AnswerNextMessageBox(mirulo.id(), 10000);
    ASSERT_TRUE(atPrint.has_value()) << "no message at the print";
    EXPECT_EQ(atPrint->text, viewer::texts::kNoDefaultPrinter);

    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(mirulo.WaitForExit(10000), std::optional<DWORD>(0u));
}

} // namespace
