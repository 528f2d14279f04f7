#pragma once
// The system's printers as the viewer uses them: their names and the default
// one, a printer made ready with its driver's default settings turned to
// landscape, and one picture printed as a job of one page. Every printer
// handle, device context and settings block here has an owner, so that an
// error on any step gives them all back.
#include <windows.h>
#include <winspool.h>

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

#include "image/Image.h"
#include "platform/Handles.h"
#include "viewer/PrintLayout.h"

namespace mirulo::viewer {

struct PrinterHandleTraits {
    using handle_type = HANDLE;
    static handle_type Invalid() noexcept { return nullptr; }
    static bool IsValid(handle_type h) noexcept { return h != nullptr; }
    static void Close(handle_type h) noexcept { ::ClosePrinter(h); }
};
using UniquePrinter = platform::UniqueHandle<PrinterHandleTraits>;

// A device context made by CreateDCW is given back with DeleteDC.
using UniquePrinterDc = platform::UniqueMemoryDc;

// Why a print could not go on; the viewer tells the user in its own words.
class PrinterError : public std::runtime_error {
public:
    enum class Kind {
        NoDefaultPrinter, // no printer at all, or none chosen
        NotSupported,     // the printer's settings block cannot be had
        NotPrinting,      // the spooler refused or broke off the job
    };
    PrinterError(Kind kind, const char* what) : std::runtime_error(what), kind_(kind) {}
    Kind kind() const noexcept { return kind_; }

private:
    Kind kind_;
};

// The printers in the system's order, local ones and connections alike, and the
// index of the default one (-1 when there is none among them).
struct PrinterList {
    std::vector<std::wstring> fullNames;
    int defaultIndex = -1;
};
PrinterList EnumerateSystemPrinters();

// A printer ready to print: its names and its settings block, fetched from the
// driver each time, so any earlier change is gone, with landscape set.
class ChosenPrinter {
public:
    const std::wstring& device() const noexcept { return device_; }
    const std::wstring& driver() const noexcept { return driver_; }
    const std::wstring& port() const noexcept { return port_; }
    const DEVMODEW* deviceMode() const noexcept {
        return reinterpret_cast<const DEVMODEW*>(deviceMode_.data());
    }

    // Throws PrinterError(NotSupported) when the printer cannot be opened or its
    // settings block cannot be read.
    static ChosenPrinter Select(const std::wstring& fullName);

private:
    std::wstring device_;
    std::wstring driver_;
    std::wstring port_;
    // DEVMODEW and the driver's private part after it (new[] aligns it).
    std::vector<std::byte> deviceMode_;
};

// What a printed job looked like, for the caller's status and for tests.
struct PrintedJob {
    int pageWidth = 0;
    int pageHeight = 0;
    bool wide = false;
    PrintPlacement placement;
};

// Prints the picture as one job named `title` of one page on `printer`: 3 %
// margins at the left and top, 94 % of the page's width (wide pictures) or
// height (the others). Throws PrinterError(NotPrinting) when the spooler does
// not take the job; a job begun is then abandoned, not left open.
PrintedJob PrintPicture(const ChosenPrinter& printer, const std::wstring& title, const image::Image& picture);

// Draws the picture into `target` on `dc` as a 24-bit bottom-up DIB, stretched
// colour on colour; the DC's former stretch mode is put back.
void StretchDrawDIB(HDC dc, const RECT& target, const image::Image& picture);

} // namespace mirulo::viewer
