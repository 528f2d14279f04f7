#include "platform/DibSurface.h"

#include <stdexcept>
#include <string>
#include <utility>

#include "platform/SystemError.h"

namespace mirulo::platform {

BITMAPINFO DibSurface::Describe(int width, int height) noexcept {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // negative: top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

DibSurface DibSurface::Create(int width, int height) {
    if (width <= 0 || height <= 0) {
        throw std::invalid_argument("画像の幅と高さは正の数でなければなりません");
    }
    const BITMAPINFO info = Describe(width, height);
    DibSurface surface;
    void* bits = nullptr;
    surface.bitmap_.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!surface.bitmap_ || bits == nullptr) {
        // A picture the size of several monitors fails here when memory is short;
        // the system does not always say so.
        const DWORD code = ::GetLastError();
        throw UserError(L"画像用のメモリを確保できません (" + std::to_wstring(width) + L" x " +
                        std::to_wstring(height) + L")\r\n" +
                        SystemMessage(code != 0 ? code : ERROR_NOT_ENOUGH_MEMORY));
    }
    surface.dc_.reset(::CreateCompatibleDC(nullptr));
    if (!surface.dc_ || ::SelectObject(surface.dc_.get(), surface.bitmap_.get()) == nullptr) {
        ThrowLastError(L"画像用のデバイスコンテキストを作成できません");
    }
    surface.width_ = width;
    surface.height_ = height;
    surface.bits_ = static_cast<std::uint8_t*>(bits);
    return surface;
}

DibSurface::DibSurface(DibSurface&& other) noexcept
    : width_(std::exchange(other.width_, 0)), height_(std::exchange(other.height_, 0)),
      bits_(std::exchange(other.bits_, nullptr)), bitmap_(std::move(other.bitmap_)),
      dc_(std::move(other.dc_)) {}

DibSurface& DibSurface::operator=(DibSurface&& other) noexcept {
    if (this != &other) {
        Reset();
        width_ = std::exchange(other.width_, 0);
        height_ = std::exchange(other.height_, 0);
        bits_ = std::exchange(other.bits_, nullptr);
        bitmap_ = std::move(other.bitmap_);
        dc_ = std::move(other.dc_);
    }
    return *this;
}

void DibSurface::Reset() noexcept {
    dc_.reset();
    bitmap_.reset();
    width_ = 0;
    height_ = 0;
    bits_ = nullptr;
}

} // namespace mirulo::platform
