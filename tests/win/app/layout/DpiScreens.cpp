// Not a test: a tool that keeps pictures of the main window before and after a
// move to a 144-DPI monitor (build/screens/main-window-96dpi-page<N>.png and
// ...-144dpi-...), for a person to look at, and prints every control whose place
// at 144 DPI is not its 96-DPI place times 1.5.
//   tools/wine-run build/windows/tests/mirulo_dpi_screens.exe
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "app/MainWindow.h"
#include "image/PngWriter.h"
#include "platform/RecordingHost.h"
#include "platform/Wide.h"
#include "support/Messages.h"
#include "support/ScreenGrab.h"
#include "support/TempFolder.h"
#include "support/Desktop.h"

using namespace mirulo;

namespace {

using testkit::PlaceInParent;

void Settle(HWND window) {
    for (int i = 0; i < 5; ++i) {
        testkit::PumpMessages();
        ::RedrawWindow(window, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        ::Sleep(100);
    }
}

void Keep(HWND window, const std::string& name) {
    Settle(window);
    RECT frame{};
    ::GetWindowRect(window, &frame);
    const std::vector<std::uint8_t> png = image::EncodePng(testkit::GrabScreenPicture(frame));
    const std::filesystem::path out = std::filesystem::path(MIRULO_BINARY_DIR).parent_path() / "screens";
    const std::wstring folder = testkit::BuildTreePath(out.generic_string().c_str());
    std::filesystem::create_directories(std::filesystem::path(folder));
    std::ofstream(std::filesystem::path(folder) / (name + ".png"), std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    std::printf("kept %s.png (%ld x %ld)\n", name.c_str(), frame.right - frame.left,
                frame.bottom - frame.top);
}

void KeepPages(app::MainWindow& window, UINT dpi) {
    for (int page = 0; page < window.pager().PageCount(); ++page) {
        window.pager().SetActivePageIndex(page);
        Keep(window.hwnd(), "main-window-" + std::to_string(dpi) + "dpi-page" + std::to_string(page));
    }
    window.pager().SetActivePageIndex(0);
}

} // namespace

int main() {
    testkit::TempFolder program(L"mirulo-dpi-screens");
    platform::RecordingHost host;
    host.executablePath = program / L"Mirulo.exe";
    app::MainWindow window(host);
    window.ShowFirstTime();
    ::SetWindowPos(window.hwnd(), HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE);
    ::SetForegroundWindow(window.hwnd());
    KeepPages(window, 96);

    std::map<ui::Control*, RECT> at96;
    for (ui::Control* control : window.AllControls()) {
        at96[control] = PlaceInParent(control->hwnd());
    }
    RECT frame{}, client{};
    ::GetWindowRect(window.hwnd(), &frame);
    ::GetClientRect(window.hwnd(), &client);
    // The suggested frame: the client area times 1.5, the frame's own edges as they are.
    const RECT suggested{
        frame.left, frame.top,
        frame.left + ::MulDiv(client.right, 144, 96) + (frame.right - frame.left - client.right),
        frame.top + ::MulDiv(client.bottom, 144, 96) + (frame.bottom - frame.top - client.bottom)};
    ::SendMessageW(window.hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    KeepPages(window, 144);

    RECT client144{};
    ::GetClientRect(window.hwnd(), &client144);
    std::printf("client %ld x %ld at 96 DPI, %ld x %ld at 144 DPI\n", client.right, client.bottom,
                client144.right, client144.bottom);
    int exact = 0;
    for (ui::Control* control : window.AllControls()) {
        const RECT was = at96[control];
        const RECT now = PlaceInParent(control->hwnd());
        const auto scaled = [](LONG v) { return static_cast<LONG>(::MulDiv(v, 144, 96)); };
        const bool placeOk = now.left == scaled(was.left) && now.top == scaled(was.top);
        const bool sizeOk = now.right - now.left == scaled(was.right) - scaled(was.left) &&
                            now.bottom - now.top == scaled(was.bottom) - scaled(was.top);
        if (placeOk && sizeOk) {
            ++exact;
            continue;
        }
        std::printf("%-18s 96: (%ld,%ld %ldx%ld)  144: (%ld,%ld %ldx%ld)  1.5x: (%ld,%ld %ldx%ld)\n",
                    platform::Narrow(std::wstring(control->name())).c_str(), was.left, was.top,
                    was.right - was.left, was.bottom - was.top, now.left, now.top, now.right - now.left,
                    now.bottom - now.top, scaled(was.left), scaled(was.top),
                    scaled(was.right) - scaled(was.left), scaled(was.bottom) - scaled(was.top));
    }
    std::printf("%d of %zu controls at exactly 1.5 times their place and size\n", exact,
                window.AllControls().size());
    return 0;
}
