#include "viewer/PictureCopies.h"

#include <windows.h>
#include <objidl.h>
#include <wincodec.h>

// The flat GDI+ interface only; its C++ wrappers are not used.
#include <gdiplus.h>

#include <cstring>
#include <optional>

#include "image/GreyScale.h"
#include "image/JpegReader.h"
#include "image/JpegWriter.h"
#include "image/PngReader.h"
#include "image/PngWriter.h"
#include "platform/FileWrites.h"
#include "platform/Handles.h"
#include "platform/SystemError.h"
#include "platform/Wide.h"
#include "viewer/CopyNames.h"
#include "viewer/PictureFiles.h"
#include "viewer/SepiaMatrix.h"
#include "viewer/ViewerTexts.h"

namespace mirulo::viewer {
namespace {

bool IsJpegName(const std::wstring& path) {
    const std::size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos || path.size() - dot != 4) {
        return false;
    }
    std::wstring extension = path.substr(dot);
    for (wchar_t& c : extension) {
        c = static_cast<wchar_t>(c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c);
    }
    return extension == L".jpg";
}

// The target path when a copy of this kind is to be made.
std::optional<std::wstring> Target(const std::wstring& source, CopyKind kind) {
    if (!platform::FileExists(source)) {
        return std::nullopt;
    }
    return CopyTargetPath(source, kind);
}

[[noreturn]] void ThrowSepiaFailed(const wchar_t* step, long code) {
    wchar_t hex[16];
    ::swprintf(hex, 16, L"0x%08lX", static_cast<unsigned long>(code));
    throw ConversionError(platform::Narrow(std::wstring(step) + L" " + hex));
}

void CheckGdiplus(Gdiplus::GpStatus status, const wchar_t* step) {
    if (status != Gdiplus::Ok) {
        ThrowSepiaFailed(step, static_cast<long>(status));
    }
}

void CheckCom(HRESULT result, const wchar_t* step) {
    if (FAILED(result)) {
        ThrowSepiaFailed(step, result);
    }
}

// GDI+ for the time of one copy.
class GdiplusSession {
public:
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        CheckGdiplus(Gdiplus::GdiplusStartup(&token_, &input, nullptr), L"GdiplusStartup");
    }
    ~GdiplusSession() { Gdiplus::GdiplusShutdown(token_); }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

private:
    ULONG_PTR token_ = 0;
};

template <typename T, Gdiplus::GpStatus (*Release)(T*)> class GdiplusObject {
public:
    GdiplusObject() = default;
    GdiplusObject(const GdiplusObject&) = delete;
    GdiplusObject& operator=(const GdiplusObject&) = delete;
    ~GdiplusObject() { reset(); }
    T* get() const { return object_; }
    T** put() {
        reset();
        return &object_;
    }
    void reset() {
        if (object_ != nullptr) {
            Release(object_);
            object_ = nullptr;
        }
    }

private:
    T* object_ = nullptr;
};

using GdipImageAttributes =
    GdiplusObject<Gdiplus::GpImageAttributes, &Gdiplus::DllExports::GdipDisposeImageAttributes>;
using GdipBitmap = GdiplusObject<Gdiplus::GpImage, &Gdiplus::DllExports::GdipDisposeImage>;
using GdipGraphics = GdiplusObject<Gdiplus::GpGraphics, &Gdiplus::DllExports::GdipDeleteGraphics>;

// A 24-bit top-down DIB section with its own memory DC.
struct Surface24 {
    platform::UniqueMemoryDc dc;
    platform::UniqueBitmap bitmap;
    std::uint8_t* bits = nullptr;
    std::size_t stride = 0;
    HGDIOBJ old = nullptr;

    Surface24(int width, int height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        void* memory = nullptr;
        bitmap.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &memory, nullptr, 0));
        dc.reset(::CreateCompatibleDC(nullptr));
        if (!bitmap || !dc) {
            ThrowSepiaFailed(L"CreateDIBSection", static_cast<long>(::GetLastError()));
        }
        bits = static_cast<std::uint8_t*>(memory);
        stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
        old = ::SelectObject(dc.get(), bitmap.get());
    }
    ~Surface24() {
        if (dc) {
            ::SelectObject(dc.get(), old);
        }
    }
    Surface24(const Surface24&) = delete;
    Surface24& operator=(const Surface24&) = delete;
};

// 24-bit BGR rows with DWORD-aligned stride: what GDI+ takes as 24bppRGB.
std::vector<std::uint8_t> ToBgr24(const image::Image& picture, std::size_t stride) {
    std::vector<std::uint8_t> bgr(stride * picture.height);
    for (std::uint32_t y = 0; y < picture.height; ++y) {
        const std::uint8_t* in = picture.row(y);
        std::uint8_t* out = bgr.data() + stride * y;
        for (std::uint32_t x = 0; x < picture.width; ++x, in += picture.channels, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
    return bgr;
}

std::vector<std::uint8_t> EncodeWithWic(const Surface24& result, UINT width, UINT height, bool jpeg) {
    platform::ComPtr<IWICImagingFactory> factory;
    CheckCom(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(factory.put())),
             L"WIC");
    platform::ComPtr<IStream> stream;
    CheckCom(::CreateStreamOnHGlobal(nullptr, TRUE, stream.put()), L"CreateStreamOnHGlobal");
    platform::ComPtr<IWICBitmapEncoder> encoder;
    CheckCom(factory->CreateEncoder(jpeg ? GUID_ContainerFormatJpeg : GUID_ContainerFormatPng, nullptr,
                                    encoder.put()),
             L"CreateEncoder");
    CheckCom(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache), L"Initialize");
    platform::ComPtr<IWICBitmapFrameEncode> frame;
    platform::ComPtr<IPropertyBag2> options;
    CheckCom(encoder->CreateNewFrame(frame.put(), options.put()), L"CreateNewFrame");
    CheckCom(frame->Initialize(options.get()), L"Frame");
    CheckCom(frame->SetSize(width, height), L"SetSize");
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    CheckCom(frame->SetPixelFormat(&format), L"SetPixelFormat");
    const std::size_t size = result.stride * height;
    if (IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) {
        CheckCom(frame->WritePixels(height, static_cast<UINT>(result.stride), static_cast<UINT>(size),
                                    result.bits),
                 L"WritePixels");
    } else {
        // The encoder wants another layout: let WIC convert from ours.
        platform::ComPtr<IWICBitmap> source;
        CheckCom(factory->CreateBitmapFromMemory(width, height, GUID_WICPixelFormat24bppBGR,
                                                 static_cast<UINT>(result.stride), static_cast<UINT>(size),
                                                 result.bits, source.put()),
                 L"CreateBitmapFromMemory");
        platform::ComPtr<IWICFormatConverter> converter;
        CheckCom(factory->CreateFormatConverter(converter.put()), L"CreateFormatConverter");
        CheckCom(converter->Initialize(source.get(), format, WICBitmapDitherTypeNone, nullptr, 0.0,
                                       WICBitmapPaletteTypeCustom),
                 L"FormatConverter");
        CheckCom(frame->WriteSource(converter.get(), nullptr), L"WriteSource");
    }
    CheckCom(frame->Commit(), L"Commit");
    CheckCom(encoder->Commit(), L"Commit");

    STATSTG stat{};
    CheckCom(stream->Stat(&stat, STATFLAG_NONAME), L"Stat");
    HGLOBAL memory = nullptr;
    CheckCom(::GetHGlobalFromStream(stream.get(), &memory), L"GetHGlobalFromStream");
    const auto length = static_cast<std::size_t>(stat.cbSize.QuadPart);
    const void* bytes = ::GlobalLock(memory);
    if (bytes == nullptr) {
        ThrowSepiaFailed(L"GlobalLock", static_cast<long>(::GetLastError()));
    }
    std::vector<std::uint8_t> file(static_cast<const std::uint8_t*>(bytes),
                                   static_cast<const std::uint8_t*>(bytes) + length);
    ::GlobalUnlock(memory);
    return file;
}

constexpr wchar_t kCopyTemporaryName[] = L".~mirulo-copy.tmp";

} // namespace

std::wstring CopyTemporaryPath(const std::wstring& target) {
    const std::size_t separator = target.find_last_of(L"\\/");
    return target.substr(0, separator == std::wstring::npos ? 0 : separator + 1) + kCopyTemporaryName;
}

bool RemoveInterruptedCopy(const std::wstring& folder) {
    if (folder.empty() || folder.find(L'\0') != std::wstring::npos) {
        return false;
    }
    const std::wstring path =
        platform::ExtendedLengthPath(folder + (folder.back() == L'\\' ? L"" : L"\\") + kCopyTemporaryName);
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return false;
    }
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        ::SetFileAttributesW(path.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    }
    return ::DeleteFileW(path.c_str()) != FALSE;
}

std::wstring MakeGrayCopy(const std::wstring& source) {
    const std::optional<std::wstring> target = Target(source, CopyKind::Grey);
    if (!target) {
        return {};
    }
    std::vector<std::uint8_t> file;
    if (IsJpegName(source)) {
        image::Image picture = image::DecodeJpeg(ReadWholeFile(source));
        image::MakeGreyInPlace(picture);
        file = image::EncodeJpeg(picture, 90);
    } else {
        // Capture level, as the grey copy goes through the capture codecs.
        file = image::EncodePng(image::ToGreyIndexed(image::DecodePng(ReadWholeFile(source))), 7);
    }
    platform::ReplaceFileOrThrow(*target, CopyTemporaryPath(*target), file, texts::kCannotSavePicture);
    return *target;
}

std::wstring MakeSepiaCopy(const std::wstring& source) {
    const std::optional<std::wstring> target = Target(source, CopyKind::Sepia);
    if (!target) {
        return {};
    }
    const bool jpeg = IsJpegName(source);
    std::vector<std::uint8_t> sourcePixels;
    int width = 0;
    int height = 0;
    std::size_t stride = 0;
    {
        const image::Image picture =
            jpeg ? image::DecodeJpeg(ReadWholeFile(source)) : image::DecodePng(ReadWholeFile(source));
        width = static_cast<int>(picture.width);
        height = static_cast<int>(picture.height);
        stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
        sourcePixels = ToBgr24(picture, stride);
    }

    Surface24 result(width, height);
    {
        GdiplusSession gdiplus;
        GdipImageAttributes attributes;
        GdipBitmap picture;
        GdipGraphics graphics;
        CheckGdiplus(Gdiplus::DllExports::GdipCreateBitmapFromScan0(
                         width, height, static_cast<INT>(stride), PixelFormat24bppRGB, sourcePixels.data(),
                         reinterpret_cast<Gdiplus::GpBitmap**>(picture.put())),
                     L"GdipCreateBitmapFromScan0");
        CheckGdiplus(Gdiplus::DllExports::GdipCreateFromHDC(result.dc.get(), graphics.put()),
                     L"GdipCreateFromHDC");
        CheckGdiplus(Gdiplus::DllExports::GdipCreateImageAttributes(attributes.put()),
                     L"GdipCreateImageAttributes");
        CheckGdiplus(Gdiplus::DllExports::GdipSetImageAttributesGamma(
                         attributes.get(), Gdiplus::ColorAdjustTypeDefault, TRUE, 1.0f),
                     L"GdipSetImageAttributesGamma");
        Gdiplus::ColorMatrix matrix{};
        static_assert(sizeof(matrix.m) == sizeof(kSepiaMatrix));
        std::memcpy(matrix.m, kSepiaMatrix.data(), sizeof(matrix.m));
        CheckGdiplus(Gdiplus::DllExports::GdipSetImageAttributesColorMatrix(
                         attributes.get(), Gdiplus::ColorAdjustTypeDefault, TRUE, &matrix, nullptr,
                         Gdiplus::ColorMatrixFlagsDefault),
                     L"GdipSetImageAttributesColorMatrix");
        CheckGdiplus(Gdiplus::DllExports::GdipDrawImageRectRectI(
                         graphics.get(), picture.get(), 0, 0, width, height, 0, 0, width, height,
                         Gdiplus::UnitPixel, attributes.get(), nullptr, nullptr),
                     L"GdipDrawImageRectRectI");
        // Released in this order; deleting the graphics completes the drawing.
        attributes.reset();
        picture.reset();
        graphics.reset();
    }
    ::GdiFlush();
    sourcePixels = {};
    const std::vector<std::uint8_t> file =
        EncodeWithWic(result, static_cast<UINT>(width), static_cast<UINT>(height), jpeg);
    platform::ReplaceFileOrThrow(*target, CopyTemporaryPath(*target), file, texts::kCannotSavePicture);
    return *target;
}

} // namespace mirulo::viewer
