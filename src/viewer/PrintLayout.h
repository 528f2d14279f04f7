#pragma once
// Where a printed picture goes on the page, what the printer list shows and what
// a job is called. Portable, so that the arithmetic is tested without a printer.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "image/Image.h"
#include "platform/LocalTime.h"

namespace mirulo::viewer {

// The picture's rectangle on the page, in device pixels from the printable
// area's top-left corner.
struct PrintPlacement {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PrintPlacement&) const = default;
};

// a × b / c rounded to the nearest integer, halves away from zero, through a
// 64-bit product (what the system's MulDiv gives); -1 when c is 0.
int MulDivRounded(int a, int b, int c);

// True when a picture of w × h is wider, in proportion, than the printable area
// of pageWidth × pageHeight: such a picture is fitted by width. Fitting it by
// height would push its right edge off the page; a picture no wider than the
// page in proportion fits by height and so never runs past the bottom either.
bool IsWideNotSquare(int w, int h, int pageWidth, int pageHeight);

// Margins of 3 % at the left and top; the picture takes 94 % of the page's
// width (wide) or height (others), the other side following the picture's
// aspect, truncated but never below one pixel. w and h must be positive.
PrintPlacement PlacePrintedPicture(int w, int h, int pageWidth, int pageHeight, bool wide);

// The part of a printer's full name after its last backslash; a name without one
// stays whole ("\\server\office" shows as "office").
std::wstring ShortPrinterName(std::wstring_view fullName);

// "PRINT_yyyy-MM-dd_HH-mm-ss" from the local date and time.
std::wstring PrintJobTitle(const platform::LocalTime& time);

// The picture as a 24-bit bottom-up DIB's pixels: BGR, each row padded to a
// multiple of four bytes, the last row first. Alpha is dropped as the viewer
// drops it on screen.
std::vector<std::uint8_t> BottomUpBgr24(const image::Image& picture);

} // namespace mirulo::viewer
