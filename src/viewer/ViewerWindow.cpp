#include "viewer/ViewerWindow.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cwctype>

#include "AssetIds.h"
#include "library/PictureFolder.h"
#include "library/PictureListModel.h"
#include "ui/Dispatch.h"
#include "ui/ProgramCursor.h"
#include "viewer/CopyNames.h"
#include "viewer/PictureCopies.h"
#include "viewer/PictureFiles.h"
#include "viewer/PictureFit.h"
#include "viewer/PrintLayout.h"
#include "viewer/ViewerTexts.h"
#include "image/PictureFile.h"
#include "platform/FileWrites.h"
#include "platform/Paths.h"
#include "platform/SystemError.h"
#include "platform/Wide.h"

namespace mirulo::viewer {
namespace {

constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;

// The button strip above the picture area and the status bar below it, at 96 DPI.
constexpr int kStripHeight = 35;
constexpr int kStatusHeight = 19;
// The printer drop-down: a 195-pixel box whose opened list is 350 wide.
constexpr int kPrinterBoxLeft = 304;
constexpr int kPrinterBoxWidth = 195;
constexpr int kPrinterListWidth = 350;
constexpr int kPrinterListHeight = 240;

// ".PNG" gives ".png"; a name without a dot gives nothing.
std::wstring LowerExtension(const std::wstring& path) {
    const std::size_t dot = path.find_last_of(L'.');
    const std::size_t separator = path.find_last_of(L"\\/:");
    if (dot == std::wstring::npos || (separator != std::wstring::npos && dot < separator)) {
        return {};
    }
    std::wstring extension = path.substr(dot);
    for (wchar_t& c : extension) {
        c = static_cast<wchar_t>(std::towlower(c));
    }
    return extension;
}

} // namespace

ViewerWindow::ViewerWindow(platform::Host& host, ViewerMainWindow& mainWindow,
                           const ViewerPlacement& placement)
    : ui::Window(host), pictureArea(host), main_(mainWindow),
      controlTable_(fonts_, [](ui::Control& control, ui::ControlKind, int glyph, UINT dpi) {
          // A button whose glyph the program does not carry still works, as a plain face.
          if (ui::HasArtwork(glyph)) {
              static_cast<ui::IconButton&>(control).SetGlyph(ui::AlphaBitmap::ForDpi(glyph, dpi));
          }
      }) {
    RegisterWindowClass(kViewerWindowClass, 0, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                        ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MIRULO)), nullptr);
    CreateHwnd(kViewerWindowClass, kWindowExStyle, kWindowStyle, texts::kTitle, placement.left, placement.top,
               placement.width, placement.height, nullptr);
    CreateControls();
    hints_.Create(hwnd(), fonts_.Get(ui::FontSpec{}, dpi()));
    previousButton.OnClick = [this] { OnPreviousClicked(); };
    nextButton.OnClick = [this] { OnNextClicked(); };
    recycleButton.OnMouseDown = [this](UINT message) { OnRecycleButtonPressed(message); };
    clipboardButton.OnClick = [this] { OnClipboardClicked(); };
    editButton.OnClick = [this] { OnEditClicked(); };
    greyCopyButton.OnClick = [this] { OnGreyCopyClicked(); };
    sepiaCopyButton.OnClick = [this] { OnSepiaCopyClicked(); };
    printerShortNames.OnChange = [this] { OnPrinterChosen(); };
    printButton.OnClick = [this] { OnPrintClicked(); };
    ui::Guarded(host, hwnd(), [&] { FormCreate(placement); });
}

void ViewerWindow::CreateControls() {
    using Kind = ui::ControlKind;
    using namespace ui::row_flags;
    static const ui::FontSpec windowFont{L"Tahoma", 11, false, false, DEFAULT_CHARSET};
    static const ui::FontSpec printerFont{L"Meiryo UI", 15, false, false, DEFAULT_CHARSET};
    // The strip's buttons draw their glyph only; the caption is the name a screen
    // reader announces. The gap between the sepia and print buttons is the
    // printer choice's place. The printer lists are drop-down lists without
    // sorting: index i in both is printer i of the system's list, and the one
    // by full name never shows.
    const ui::ControlRow rows[] = {
        {previousButton, Kind::IconButton, 0, 1, 1, 39, 31, texts::kNamePrevious, nullptr, 0,
         IDR_GLYPH_PREVIOUS, &windowFont},
        {nextButton, Kind::IconButton, 0, 46, 1, 39, 31, texts::kNameNext, nullptr, 0, IDR_GLYPH_NEXT,
         &windowFont},
        {recycleButton, Kind::IconButton, 0, 89, 1, 39, 31, texts::kNameDust, nullptr, 0, IDR_GLYPH_DUST,
         &windowFont},
        {clipboardButton, Kind::IconButton, 0, 129, 1, 39, 31, texts::kNameClipboard, nullptr, 0,
         IDR_GLYPH_CLIPBOARD, &windowFont},
        {editButton, Kind::IconButton, 0, 169, 1, 39, 31, texts::kNameEdit, nullptr, 0, IDR_GLYPH_EDITOR,
         &windowFont},
        {greyCopyButton, Kind::IconButton, 0, 209, 1, 39, 31, texts::kNameGray, nullptr, 0, IDR_GLYPH_GRAY,
         &windowFont},
        {sepiaCopyButton, Kind::IconButton, 0, 249, 1, 39, 31, texts::kNameSepia, nullptr, 0, IDR_GLYPH_SEPIA,
         &windowFont},
        {printButton, Kind::IconButton, 0, 500, 1, 39, 31, texts::kNamePrint, nullptr, 0, IDR_GLYPH_PRINT,
         &windowFont},
        {printerShortNames, Kind::DropDownList, 0, kPrinterBoxLeft, 2, kPrinterBoxWidth, kPrinterListHeight,
         L"", nullptr, 0, 0, &printerFont},
        {printerFullNames, Kind::DropDownList, 0, 0, 0, kPrinterBoxWidth, kPrinterListHeight, L"", nullptr,
         kHidden | kNoTabStop, 0, &printerFont},
    };
    for (ui::IconButton* button : {&previousButton, &nextButton, &recycleButton, &clipboardButton,
                                   &editButton, &greyCopyButton, &sepiaCopyButton, &printButton}) {
        button->face = ui::IconButton::Face::Flat;
    }
    const ui::ControlContainer containers[] = {{hwnd(), {0, 0}}};
    controlTable_.Create(rows, containers, dpi(), 100);
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    pictureArea.Create(hwnd(),
                       RECT{0, Scale(kStripHeight), client.right, client.bottom - Scale(kStatusHeight)});
    statusBar.Create(hwnd(), STATUSCLASSNAMEW, WS_CHILD | WS_VISIBLE, 0, L"", RECT{0, 0, 0, 0}, 110);
    statusBar.SetupSinglePanel();
    LayStatusBar();
}

void ViewerWindow::LayStatusBar() {
    statusBar.SetFont(fonts_.Get(ui::FontSpec{L"Tahoma", 11, false, false, DEFAULT_CHARSET}, dpi()));
    ::SendMessageW(statusBar.hwnd(), SB_SETMINHEIGHT, static_cast<WPARAM>(Scale(kStatusHeight)), 0);
    ::SendMessageW(statusBar.hwnd(), WM_SIZE, 0, 0);
}

void ViewerWindow::OnDpiChanged(UINT newDpi, const RECT& suggested) {
    // As the main window does: every control again from its 96-DPI place, so
    // going back and forth between monitors loses nothing to rounding.
    ::SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    controlTable_.SetDpi(newDpi);
    ::SendMessageW(printerShortNames.hwnd(), CB_SETDROPPEDWIDTH,
                   static_cast<WPARAM>(Scale(kPrinterListWidth)), 0);
    LayStatusBar();
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    OnSize(SIZE_RESTORED, client.right, client.bottom);
    ::SendMessageW(hints_.hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Get(ui::FontSpec{}, newDpi)),
                   FALSE);
    ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// --- Life -------------------------------------------------------------------------

void ViewerWindow::FormCreate(const ViewerPlacement& placement) {
    // Where the saved values say, as far as the screen allows: a hand-edited size
    // or a monitor that is gone must not leave the window taller than the screen
    // or out of reach. The work area is that of the monitor nearest to the place.
    RECT place{placement.left, placement.top, placement.left + placement.width,
               placement.top + placement.height};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (::GetMonitorInfoW(::MonitorFromRect(&place, MONITOR_DEFAULTTONEAREST), &monitor)) {
        const RECT& work = monitor.rcWork;
        const auto onto = [](LONG start, LONG length, LONG areaStart, LONG areaEnd) {
            return std::max(areaStart, std::min(start, areaEnd - length));
        };
        const LONG width = std::min<LONG>(placement.width, work.right - work.left);
        const LONG height = std::min<LONG>(placement.height, work.bottom - work.top);
        const LONG left = onto(placement.left, width, work.left, work.right);
        const LONG top = onto(placement.top, height, work.top, work.bottom);
        place = RECT{left, top, left + width, top + height};
    }
    ::SetWindowPos(hwnd(), nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    const std::pair<ui::IconButton*, const wchar_t*> hints[] = {
        {&previousButton, texts::kHintPrevious}, {&nextButton, texts::kHintNext},
        {&recycleButton, texts::kHintDust},      {&clipboardButton, texts::kHintClipboard},
        {&editButton, texts::kHintEdit},         {&greyCopyButton, texts::kHintGray},
        {&sepiaCopyButton, texts::kHintSepia},   {&printButton, texts::kHintPrint},
    };
    for (const auto& [button, text] : hints) {
        button->hint = text;
        button->showHint = true;
        hints_.Add(button->hwnd(), text);
    }
    BuildPrinterLists();
}

void ViewerWindow::FormClose() {
    // The place is read while the window still shows it as the user left it.
    WINDOWPLACEMENT place{};
    place.length = sizeof(place);
    RECT frame{};
    if (::IsIconic(hwnd()) || ::IsZoomed(hwnd())) {
        ::GetWindowPlacement(hwnd(), &place);
        frame = place.rcNormalPosition;
    } else {
        ::GetWindowRect(hwnd(), &frame);
    }
    ::ShowWindow(hwnd(), SW_HIDE);
    main_.ViewerClosed({frame.top, frame.left, frame.bottom - frame.top, frame.right - frame.left});
}

bool ViewerWindow::OnClose() {
    ui::Guarded(host(), hwnd(), [this] { FormClose(); });
    return true; // hidden, never destroyed before the program ends
}

void ViewerWindow::OnSize(UINT, int width, int height) {
    if (pictureArea.hwnd() == nullptr) {
        return;
    }
    // The area follows the window; the picture in it keeps the size it was given
    // at its load.
    ::MoveWindow(pictureArea.hwnd(), 0, Scale(kStripHeight), width,
                 std::max(0, height - Scale(kStripHeight + kStatusHeight)), TRUE);
    ::SendMessageW(statusBar.hwnd(), WM_SIZE, 0, 0);
}

void ViewerWindow::ShowViewer() {
    ::ShowWindow(hwnd(), SW_SHOWNORMAL);
    ::SetForegroundWindow(hwnd());
    ::BringWindowToTop(hwnd());
}

// --- Printing ---------------------------------------------------------------------

void ViewerWindow::BuildPrinterLists() {
    printerFullNames.Clear();
    printerShortNames.Clear();
    const PrinterList printers = EnumerateSystemPrinters();
    for (const std::wstring& name : printers.fullNames) {
        printerFullNames.Add(name);
    }
    printerFullNames.SetItemIndex(printers.defaultIndex);
    for (const std::wstring& name : printers.fullNames) {
        printerShortNames.Add(ShortPrinterName(name));
    }
    printerShortNames.SetItemIndex(printerFullNames.ItemIndex());
    ::SendMessageW(printerShortNames.hwnd(), CB_SETDROPPEDWIDTH,
                   static_cast<WPARAM>(Scale(kPrinterListWidth)), 0);
    // Without a printer the program goes on; the user hears of it once now and
    // again at each print.
    try {
        SelectPrinter();
    } catch (const PrinterError& error) {
        ReportPrinterError(error);
    }
}

void ViewerWindow::SelectPrinter() {
    const int index = printerShortNames.ItemIndex();
    printerFullNames.SetItemIndex(index);
    chosen_.reset();
    if (index < 0 || index >= printerFullNames.Count()) {
        throw PrinterError(PrinterError::Kind::NoDefaultPrinter, "no printer chosen");
    }
    chosen_ = ChosenPrinter::Select(printerFullNames.Item(index));
}

void ViewerWindow::ReportPrinterError(const PrinterError& error) {
    const wchar_t* text = texts::kPrinterNotPrinting;
    switch (error.kind()) {
    case PrinterError::Kind::NoDefaultPrinter:
        text = texts::kNoDefaultPrinter;
        break;
    case PrinterError::Kind::NotSupported:
        text = texts::kPrinterNotSupported;
        break;
    case PrinterError::Kind::NotPrinting:
        break;
    }
    host().ShowMessage(hwnd(), text, ui::kApplicationTitle, MB_OK | MB_ICONERROR);
}

void ViewerWindow::OnPrinterChosen() {
    try {
        SelectPrinter();
    } catch (const PrinterError& error) {
        ReportPrinterError(error);
    }
}

void ViewerWindow::OnPrintClicked() {
    const std::wstring path = SelectedPath();
    if (path.empty() || !platform::FileExists(path)) {
        return;
    }
    const std::wstring extension = LowerExtension(path);
    if (extension != L".jpg" && extension != L".png") {
        return;
    }
    try {
        SelectPrinter();
    } catch (const PrinterError& error) {
        ReportPrinterError(error);
        return;
    }
    // A file that cannot be decoded goes to the general error box; nothing is printed.
    const image::Image picture = ReadPicture(path, texts::kCannotPrint);
    PrintCaptureImage(picture);
}

void ViewerWindow::PrintCaptureImage(const image::Image& picture) {
    ShowPicture(picture);
    if (!chosen_) {
        ReportPrinterError(PrinterError(PrinterError::Kind::NoDefaultPrinter, "no printer chosen"));
        return;
    }
    const std::wstring title = PrintJobTitle(host().Now());
    try {
        // The whole program waits, with the hourglass, until the spooler has the
        // job; the error box comes after the pointer is back.
        const ui::ProgramCursor wait(IDC_WAIT);
        lastJob_ = PrintPicture(*chosen_, title, picture);
        printedWide = lastJob_->wide;
    } catch (const PrinterError& error) {
        ReportPrinterError(error);
    }
}

void ViewerWindow::ShowPicture(const image::Image& picture) {
    const SIZE area = AvailableArea();
    const PictureFit fit =
        FitPicture(static_cast<int>(picture.width), static_cast<int>(picture.height), area.cx, area.cy);
    std::vector<std::uint8_t> shown;
    if (fit.width > 0 && fit.height > 0) {
        shown = RenderBgrx(picture, fit.width, fit.height);
    }
    pictureArea.SetPicture(fit, shown);
}

SIZE ViewerWindow::AvailableArea() const {
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    return {client.right, client.bottom - Scale(kStripHeight + kStatusHeight)};
}

void ViewerWindow::SetStatusText(std::wstring_view text) {
    statusBar.SetText(text);
}

// --- Loading ----------------------------------------------------------------------

void ViewerWindow::LoadPicture(const std::wstring& sFileName) {
    if (!platform::FileExists(sFileName)) {
        return;
    }
    // Decoded once here; painting only copies the result. A file that cannot be
    // decoded throws before anything on display has changed.
    ShowPicture(ReadPicture(sFileName, texts::kCannotShow));
    const std::wstring name = platform::FileNamePart(sFileName);
    main_.SetMainStatusText(name);
    SetStatusText(name);
}

// --- The strip ----------------------------------------------------------------------

std::wstring ViewerWindow::SelectedPath() const {
    const int index = main_.SelectedPicture();
    if (index < 0) {
        return {};
    }
    return library::PicturePath(main_.SaveFolder(), main_.PictureEntry(index));
}

void ViewerWindow::StepTo(int index) {
    main_.SelectPicture(index);
    // A marked entry has no file: the selection moves, the picture stays.
    const std::wstring path = SelectedPath();
    if (platform::FileExists(path)) {
        LoadPicture(path);
    }
}

void ViewerWindow::OnPreviousClicked() {
    const int index = main_.SelectedPicture();
    if (index - 1 < 0) {
        return;
    }
    StepTo(index - 1);
}

void ViewerWindow::OnNextClicked() {
    const int index = main_.SelectedPicture();
    if (index + 1 >= main_.PictureCount()) {
        return;
    }
    StepTo(index + 1);
}

void ViewerWindow::OnRecycleButtonPressed(UINT message) {
    if (message == WM_RBUTTONDOWN) {
        main_.OpenRecycleBin();
        return;
    }
    if (message != WM_LBUTTONDOWN) {
        return;
    }
    const int index = main_.SelectedPicture();
    if (index < 0) {
        host().ShowMessage(hwnd(), texts::kNoSelectionDelete, ui::kApplicationTitle, MB_OK);
        return;
    }
    const std::wstring path = SelectedPath();
    if (!platform::FileExists(path)) {
        return;
    }
    const std::wstring entry = main_.PictureEntry(index);
    // Marked, reported and stepped past only when the file has really gone: a
    // declined confirmation leaves the picture where it is, and so its entry.
    if (!main_.MoveToRecycleBin({path})) {
        return;
    }
    // The main window's tag has a space after the mark; the viewer's and the entry's have none.
    const std::wstring marked = std::wstring(library::kTrashMark) + entry;
    main_.SetMainStatusText(std::wstring(library::kTrashMark) + L" " + entry);
    SetStatusText(marked);
    main_.MarkPictureRecycled(index);
    OnNextClicked();
}

void ViewerWindow::OnClipboardClicked() {
    if (main_.CopySelectedToClipboard()) {
        main_.SetMainStatusText(texts::kClipboardDone);
    }
}

void ViewerWindow::OnEditClicked() {
    main_.OpenSelectedInEditor();
}

void ViewerWindow::OnGreyCopyClicked() {
    MakeCopy(true);
}

void ViewerWindow::OnSepiaCopyClicked() {
    MakeCopy(false);
}

void ViewerWindow::MakeCopy(bool grey) {
    const int index = main_.SelectedPicture();
    // Without a selection there is no picture to copy, and nothing to say: the
    // buttons show no message of their own.
    if (index < 0) {
        return;
    }
    const std::wstring source = library::PicturePath(main_.SaveFolder(), main_.PictureEntry(index));
    std::wstring target;
    try {
        target = grey ? MakeGrayCopy(source) : MakeSepiaCopy(source);
    } catch (const image::CodecError&) {
        // The source could not be decoded, or the copy not encoded: the codecs'
        // reasons are for developers, the user is told which picture it was.
        const std::vector<std::uint8_t> bytes = ReadWholeFile(source);
        std::wstring reason = texts::kConversionFailed;
        try {
            (void)image::DecodePicture(bytes);
        } catch (const image::CodecError&) {
            reason = image::UndecodableReason(bytes);
        }
        throw platform::UserError(std::wstring(grey ? texts::kCannotMakeGrey : texts::kCannotMakeSepia) +
                                  L"\r\n" + source + L"\r\n" + reason);
    } catch (const ConversionError& error) {
        throw platform::UserError(std::wstring(grey ? texts::kCannotMakeGrey : texts::kCannotMakeSepia) +
                                  L"\r\n" + source + L"\r\n" + texts::kConversionFailed + L" (" +
                                  platform::Widen(error.what()) + L")");
    }
    if (target.empty() || !platform::FileExists(target)) {
        return;
    }
    LoadPicture(target);
    const std::wstring name = platform::FileNamePart(target);
    // A copy made again replaces its file: its entry is selected, not listed twice.
    int entry = -1;
    for (int i = 0; i < main_.PictureCount() && entry < 0; ++i) {
        if (main_.PictureEntry(i) == name) {
            entry = i;
        }
    }
    if (entry < 0) {
        entry = index + 1;
        main_.InsertPicture(entry, name);
    }
    main_.SelectPicture(entry);
    main_.SetMainStatusText((grey ? texts::kGrayTagMain : texts::kSepiaTagMain) + name);
    SetStatusText((grey ? texts::kGrayTagViewer : texts::kSepiaTagViewer) + name);
}

} // namespace mirulo::viewer
