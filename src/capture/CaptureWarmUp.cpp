#include "capture/CaptureWarmUp.h"

#include <windows.h>

#include <cstdint>
#include <thread>

#include "capture/DibSurface.h"
#include "image/PngWriter.h"
#include "platform/Handles.h"

namespace mirulo::capture {

void WarmUpCapture() noexcept {
    try {
        const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
        const int top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
        const int width = ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
        if (width <= 0) {
            return;
        }
        {
            constexpr int kCorner = 16;
            DibSurface corner = DibSurface::Create(kCorner, kCorner);
            const platform::WindowDc screen = platform::WindowDc::Whole(::GetDesktopWindow());
            if (screen) {
                ::BitBlt(corner.dc(), 0, 0, kCorner, kCorner, screen.get(), left, top, SRCCOPY | CAPTUREBLT);
                ::GdiFlush();
            }
        }
        // Captures are saved at level 7 (CaptureService::Save).
        image::WarmUpPngEncoder(static_cast<std::uint32_t>(width), 7);
    } catch (...) {
        // Only a head start: the capture itself reports what goes wrong.
    }
}

void WarmUpCaptureInBackground() noexcept {
    try {
        std::thread(WarmUpCapture).detach();
    } catch (...) {
        // No thread to spare: the first capture sets everything up itself.
    }
}

} // namespace mirulo::capture
