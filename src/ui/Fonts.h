#pragma once
// Fonts by description, created once per size and DPI and kept for the life of
// the program (controls only borrow them).
#include <windows.h>

#include <map>
#include <string>
#include <tuple>

#include "platform/Handles.h"

namespace mirulo::ui {

struct FontSpec {
    std::wstring face = L"Meiryo UI";
    int pixelHeight = 13; // character height at 96 DPI, as a negative lfHeight
    bool bold = false;
    bool underline = false;
    BYTE charset = SHIFTJIS_CHARSET;

    auto Key() const { return std::tie(face, pixelHeight, bold, underline, charset); }
    bool operator<(const FontSpec& other) const { return Key() < other.Key(); }
};

class FontCache {
public:
    HFONT Get(const FontSpec& description, UINT dpi);

private:
    std::map<std::pair<FontSpec, UINT>, platform::UniqueFont> fonts_;
};

} // namespace mirulo::ui
