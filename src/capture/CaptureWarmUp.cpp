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
        const int height = ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
        if (width <= 0 || height <= 0) {
            return;
        }
        {
            // The whole screen, as a snapshot reads it: a corner alone left the
            // first capture's read 3 ms slower than the next ones.
            DibSurface whole = DibSurface::Create(width, height);
            const platform::WindowDc screen = platform::WindowDc::Whole(::GetDesktopWindow());
            if (screen) {
                ::BitBlt(whole.dc(), 0, 0, width, height, screen.get(), left, top, SRCCOPY | CAPTUREBLT);
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
