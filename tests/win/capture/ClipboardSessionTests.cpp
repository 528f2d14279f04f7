#include "capture/ClipboardSession.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/PatternWindow.h"
#include "capture/CapturePicture.h"
#include "capture/DibSurface.h"
#include "platform/Handles.h"
#include "platform/SystemError.h"
#include "platform/Wide.h"

namespace mirulo::capture {
namespace {

using fixture::PatternColour;
using fixture::Rgb;

// A hidden window to own the clipboard, as the main window does in the program.
class OwnerWindow {
public:
    OwnerWindow()
        : hwnd_(::CreateWindowExW(0, L"STATIC", L"clipboard owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr)) {}
    OwnerWindow(const OwnerWindow&) = delete;
    OwnerWindow& operator=(const OwnerWindow&) = delete;
    ~OwnerWindow() { ::DestroyWindow(hwnd_); }
    HWND get() const { return hwnd_; }

private:
    HWND hwnd_;
};

// Another program holding the clipboard: a thread with its own window opens it,
// keeps it for `holdMs` and closes it again.
class ClipboardHolder {
public:
    explicit ClipboardHolder(DWORD holdMs) : holdMs_(holdMs) {
        thread_.reset(::CreateThread(nullptr, 0, &ClipboardHolder::Run, this, 0, nullptr));
        if (thread_) {
            ::WaitForSingleObject(opened_.get(), 5000);
        }
    }
    ClipboardHolder(const ClipboardHolder&) = delete;
    ClipboardHolder& operator=(const ClipboardHolder&) = delete;
    ~ClipboardHolder() { ::WaitForSingleObject(thread_.get(), 10000); }

    bool holding() const { return holding_; }

private:
    static DWORD WINAPI Run(void* self) {
        auto* holder = static_cast<ClipboardHolder*>(self);
        const OwnerWindow window;
        holder->holding_ = ::OpenClipboard(window.get()) != FALSE;
        ::SetEvent(holder->opened_.get());
        if (holder->holding_) {
            ::Sleep(holder->holdMs_);
            ::CloseClipboard();
        }
        return 0;
    }

    DWORD holdMs_;
    bool holding_ = false;
    platform::UniqueKernelHandle opened_{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    platform::UniqueKernelHandle thread_;
};

bool OpenClipboardPatiently(HWND owner) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (::OpenClipboard(owner)) {
            return true;
        }
        ::Sleep(10);
    }
    return false;
}

void PutText(HWND owner, const std::wstring& text) {
    ASSERT_TRUE(OpenClipboardPatiently(owner));
    ::EmptyClipboard();
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    std::memcpy(::GlobalLock(memory), text.c_str(), bytes);
    ::GlobalUnlock(memory);
    EXPECT_NE(::SetClipboardData(CF_UNICODETEXT, memory), nullptr);
    ::CloseClipboard();
}

CapturePicture PatternPicture(int width, int height) {
    DibSurface pixels = DibSurface::Create(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgb colour = PatternColour(x, y);
            std::memcpy(pixels.bits() + pixels.stride() * static_cast<std::size_t>(y) +
                            static_cast<std::size_t>(x) * 4,
                        &colour, 4); // little-endian 0x00RRGGBB is B, G, R, 0
        }
    }
    return CapturePicture(std::move(pixels));
}

// The clipboard bitmap's pixels read back as 32-bit top-down rows.
std::vector<std::uint8_t> ReadBitmap(HBITMAP bitmap, int width, int height) {
    std::vector<std::uint8_t> bits(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    BITMAPINFO info = DibSurface::Describe(width, height);
    const platform::WindowDc screen = platform::WindowDc::Client(nullptr);
    EXPECT_EQ(
        ::GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(height), bits.data(), &info, DIB_RGB_COLORS),
        height);
    return bits;
}

TEST(ClipboardSession, PutsThePixelsAsTheOnlyBitmapAndClosesTheClipboard) {
    const OwnerWindow owner;
    PutText(owner.get(), L"earlier content");
    constexpr int kWidth = 37; // odd sizes: no row padding can hide a stride mistake
    constexpr int kHeight = 23;
    const CapturePicture picture = PatternPicture(kWidth, kHeight);

    {
        ClipboardSession session = ClipboardSession::Open(owner.get());
        session.PutBitmap(picture);
    }

    EXPECT_EQ(::GetOpenClipboardWindow(), nullptr) << "the session left the clipboard open";
    EXPECT_FALSE(::IsClipboardFormatAvailable(CF_UNICODETEXT)) << "the clipboard was not emptied";
    EXPECT_TRUE(::IsClipboardFormatAvailable(CF_BITMAP));
    ASSERT_TRUE(OpenClipboardPatiently(owner.get()));
    const auto bitmap = static_cast<HBITMAP>(::GetClipboardData(CF_BITMAP));
    ASSERT_NE(bitmap, nullptr);
    BITMAP info{};
    ASSERT_NE(::GetObjectW(bitmap, sizeof info, &info), 0);
    EXPECT_EQ(info.bmWidth, kWidth);
    EXPECT_EQ(info.bmHeight, kHeight);
    const std::vector<std::uint8_t> bits = ReadBitmap(bitmap, kWidth, kHeight);
    ::CloseClipboard();
    int mismatches = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            mismatches += fixture::PixelAt(bits.data(), kWidth * 4, x, y) != PatternColour(x, y) ? 1 : 0;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(ClipboardSession, ClipboardHeldByAnotherProgramGivesTheSystemReason) {
    const OwnerWindow owner;
    const ClipboardHolder holder(500);
    ASSERT_TRUE(holder.holding());

    try {
        const ClipboardSession session = ClipboardSession::Open(owner.get());
        FAIL() << "the clipboard opened while another window held it";
    } catch (const platform::UserError& error) {
        EXPECT_EQ(std::string(error.what()),
                  platform::Narrow(L"クリップボード " + platform::SystemMessage(ERROR_ACCESS_DENIED) +
                                   L" を開けません"));
    }
}

TEST(ClipboardSession, ClipboardHeldForAMomentOpensOnRetry) {
    const OwnerWindow owner;
    const ClipboardHolder holder(20);
    ASSERT_TRUE(holder.holding());

    ClipboardSession session = ClipboardSession::Open(owner.get());
    session.PutBitmap(PatternPicture(4, 4));
}

TEST(ClipboardSession, EmptyPictureIsRefused) {
    const OwnerWindow owner;
    ClipboardSession session = ClipboardSession::Open(owner.get());
    EXPECT_THROW(session.PutBitmap(CapturePicture()), std::invalid_argument);
}

} // namespace
} // namespace mirulo::capture
