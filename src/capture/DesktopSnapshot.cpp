#include "capture/DesktopSnapshot.h"

#include "platform/Handles.h"
#include "platform/SystemError.h"

namespace mirulo::capture {

DesktopSnapshot SnapshotDesktop() {
    const POINT origin{::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN)};
    const int width = ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (width <= 0 || height <= 0) {
        throw platform::UserError(L"画面の大きさを取得できません");
    }
    DibSurface pixels = DibSurface::Create(width, height);
    {
        // The desktop window's DC covers every monitor; its (0, 0) is the primary
        // monitor's corner, hence the virtual desktop's origin as the source.
        const platform::WindowDc screen = platform::WindowDc::Whole(::GetDesktopWindow());
        if (!screen) {
            platform::ThrowLastError(L"画面を取り込めません");
        }
        if (!::BitBlt(pixels.dc(), 0, 0, width, height, screen.get(), origin.x, origin.y,
                      SRCCOPY | CAPTUREBLT)) {
            platform::ThrowLastError(L"画面を取り込めません");
        }
    }
    ::GdiFlush();
    return DesktopSnapshot(origin, std::move(pixels));
}

} // namespace mirulo::capture
