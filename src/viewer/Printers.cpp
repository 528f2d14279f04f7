#include "viewer/Printers.h"

#include <utility>

namespace mirulo::viewer {
namespace {

bool SameNameIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// EnumPrintersW asks for the size first and may need more on the second call
// when a printer appears in between; the loop takes whatever it reports.
std::vector<std::byte> EnumerateInto(DWORD flags, DWORD level, DWORD& count) {
    std::vector<std::byte> buffer;
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD needed = 0;
        count = 0;
        if (::EnumPrintersW(flags, nullptr, level, reinterpret_cast<LPBYTE>(buffer.data()),
                            static_cast<DWORD>(buffer.size()), &needed, &count)) {
            return buffer;
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size()) {
            count = 0;
            return {};
        }
        buffer.resize(needed);
    }
    count = 0;
    return {};
}

std::wstring DefaultPrinterName() {
    DWORD count = 0;
    const std::vector<std::byte> info = EnumerateInto(PRINTER_ENUM_DEFAULT, 5, count);
    if (count > 0) {
        const auto* first = reinterpret_cast<const PRINTER_INFO_5W*>(info.data());
        if (first->pPrinterName != nullptr && first->pPrinterName[0] != L'\0') {
            return first->pPrinterName;
        }
    }
    DWORD size = 0;
    ::GetDefaultPrinterW(nullptr, &size);
    if (size == 0) {
        return {};
    }
    std::wstring name(size, L'\0');
    if (!::GetDefaultPrinterW(name.data(), &size)) {
        return {};
    }
    name.resize(::wcsnlen(name.c_str(), name.size()));
    return name;
}

// A job begun on a DC: abandoned unless it was ended.
class OpenJob {
public:
    explicit OpenJob(HDC dc) noexcept : dc_(dc) {}
    OpenJob(const OpenJob&) = delete;
    OpenJob& operator=(const OpenJob&) = delete;
    ~OpenJob() {
        if (dc_ != nullptr) {
            ::AbortDoc(dc_);
        }
    }
    bool End() noexcept { return ::EndDoc(std::exchange(dc_, nullptr)) > 0; }

private:
    HDC dc_;
};

// The DC's stretch mode for one scope.
class StretchMode {
public:
    StretchMode(HDC dc, int mode) noexcept : dc_(dc), old_(::SetStretchBltMode(dc, mode)) {}
    StretchMode(const StretchMode&) = delete;
    StretchMode& operator=(const StretchMode&) = delete;
    ~StretchMode() {
        if (old_ != 0) {
            ::SetStretchBltMode(dc_, old_);
        }
    }

private:
    HDC dc_;
    int old_;
};

} // namespace

PrinterList EnumerateSystemPrinters() {
    PrinterList list;
    DWORD count = 0;
    const std::vector<std::byte> info =
        EnumerateInto(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, 4, count);
    const auto* printers = reinterpret_cast<const PRINTER_INFO_4W*>(info.data());
    for (DWORD i = 0; i < count; ++i) {
        if (printers[i].pPrinterName != nullptr) {
            list.fullNames.emplace_back(printers[i].pPrinterName);
        }
    }
    const std::wstring defaultName = DefaultPrinterName();
    if (!defaultName.empty()) {
        for (std::size_t i = 0; i < list.fullNames.size(); ++i) {
            if (SameNameIgnoringCase(list.fullNames[i], defaultName)) {
                list.defaultIndex = static_cast<int>(i);
                break;
            }
        }
    }
    return list;
}

ChosenPrinter ChosenPrinter::Select(const std::wstring& fullName) {
    ChosenPrinter chosen;
    chosen.device_ = fullName;
    UniquePrinter printer;
    {
        HANDLE opened = nullptr;
        if (!::OpenPrinterW(const_cast<wchar_t*>(fullName.c_str()), &opened, nullptr)) {
            throw PrinterError(PrinterError::Kind::NotSupported, "OpenPrinterW failed");
        }
        printer.reset(opened);
    }
    DWORD needed = 0;
    ::GetPrinterW(printer.get(), 2, nullptr, 0, &needed);
    if (needed > 0) {
        std::vector<std::byte> info(needed);
        if (::GetPrinterW(printer.get(), 2, reinterpret_cast<LPBYTE>(info.data()), needed, &needed)) {
            const auto* details = reinterpret_cast<const PRINTER_INFO_2W*>(info.data());
            chosen.driver_ = details->pDriverName != nullptr ? details->pDriverName : L"";
            chosen.port_ = details->pPortName != nullptr ? details->pPortName : L"";
        }
    }
    // The block comes from the driver every time: its defaults, never an earlier
    // choice of ours.
    wchar_t* name = const_cast<wchar_t*>(fullName.c_str());
    const LONG size = ::DocumentPropertiesW(nullptr, printer.get(), name, nullptr, nullptr, 0);
    if (size < static_cast<LONG>(sizeof(DEVMODEW))) {
        throw PrinterError(PrinterError::Kind::NotSupported, "DocumentPropertiesW gave no settings size");
    }
    chosen.deviceMode_.resize(static_cast<std::size_t>(size));
    auto* mode = reinterpret_cast<DEVMODEW*>(chosen.deviceMode_.data());
    if (::DocumentPropertiesW(nullptr, printer.get(), name, mode, nullptr, DM_OUT_BUFFER) != IDOK) {
        throw PrinterError(PrinterError::Kind::NotSupported, "DocumentPropertiesW gave no settings");
    }
    mode->dmFields |= DM_ORIENTATION;
    mode->dmOrientation = DMORIENT_LANDSCAPE;
    return chosen;
}

void StretchDrawDIB(HDC dc, const RECT& target, const image::Image& picture) {
    const std::vector<std::uint8_t> rows = BottomUpBgr24(picture);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = static_cast<LONG>(picture.width);
    info.bmiHeader.biHeight = static_cast<LONG>(picture.height); // positive: bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    const StretchMode mode(dc, COLORONCOLOR);
    const int width = static_cast<int>(picture.width), height = static_cast<int>(picture.height);
    if (::StretchDIBits(dc, target.left, target.top, target.right - target.left, target.bottom - target.top,
                        0, 0, width, height, rows.data(), &info, DIB_RGB_COLORS, SRCCOPY) == 0) {
        throw PrinterError(PrinterError::Kind::NotPrinting, "StretchDIBits drew nothing");
    }
}

PrintedJob PrintPicture(const ChosenPrinter& printer, const std::wstring& title,
                        const image::Image& picture) {
    if (picture.width == 0 || picture.height == 0) {
        throw image::CodecError("印刷する画像が空です");
    }
    const UniquePrinterDc dc(::CreateDCW(printer.driver().empty() ? nullptr : printer.driver().c_str(),
                                         printer.device().c_str(), nullptr, printer.deviceMode()));
    if (!dc) {
        throw PrinterError(PrinterError::Kind::NotPrinting, "CreateDCW made no printer DC");
    }
    DOCINFOW document{};
    document.cbSize = sizeof(document);
    document.lpszDocName = title.c_str();
    if (::StartDocW(dc.get(), &document) <= 0) {
        throw PrinterError(PrinterError::Kind::NotPrinting, "StartDocW was refused");
    }
    OpenJob job(dc.get());
    if (::StartPage(dc.get()) <= 0) {
        throw PrinterError(PrinterError::Kind::NotPrinting, "StartPage was refused");
    }
    PrintedJob printed;
    printed.pageWidth = ::GetDeviceCaps(dc.get(), HORZRES);
    printed.pageHeight = ::GetDeviceCaps(dc.get(), VERTRES);
    const int w = static_cast<int>(picture.width), h = static_cast<int>(picture.height);
    printed.wide = IsWideNotSquare(w, h, printed.pageWidth, printed.pageHeight);
    printed.placement = PlacePrintedPicture(w, h, printed.pageWidth, printed.pageHeight, printed.wide);
    const PrintPlacement& p = printed.placement;
    StretchDrawDIB(dc.get(), RECT{p.left, p.top, p.left + p.width, p.top + p.height}, picture);
    if (::EndPage(dc.get()) <= 0) {
        throw PrinterError(PrinterError::Kind::NotPrinting, "EndPage was refused");
    }
    if (!job.End()) {
        throw PrinterError(PrinterError::Kind::NotPrinting, "EndDoc was refused");
    }
    return printed;
}

} // namespace mirulo::viewer
