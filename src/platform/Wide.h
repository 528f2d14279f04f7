#pragma once
// The one place where the program's strings change form. Win32 code holds text
// as std::wstring; the portable core (also built on Linux, where wchar_t is 32
// bits) holds the same UTF-16 as std::u16string; files hold UTF-8. On Windows
// wchar_t is a UTF-16 code unit, so the first two are the same units and pass
// between each other unchanged.
#include <string>
#include <string_view>

#include "platform/Utf.h"

namespace mirulo::platform {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the Win32 layer needs a 16-bit wchar_t");

inline std::wstring AsWide(std::u16string_view text) {
    return {reinterpret_cast<const wchar_t*>(text.data()), text.size()};
}

inline std::u16string AsUtf16(std::wstring_view text) {
    return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}

inline std::u16string_view AsUtf16View(std::wstring_view text) {
    return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}

inline std::wstring Widen(std::string_view utf8) {
    return AsWide(Utf8ToUtf16(utf8));
}

inline std::string Narrow(std::wstring_view wide) {
    return Utf16ToUtf8(AsUtf16View(wide));
}

} // namespace mirulo::platform
