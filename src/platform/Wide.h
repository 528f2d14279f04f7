#pragma once
// std::wstring at the Win32 boundary, UTF-8 everywhere else. On Windows wchar_t
// is a UTF-16 code unit, so the portable converters serve both.
#include <string>
#include <string_view>

#include "platform/Utf.h"

namespace mirulo::platform {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the Win32 layer needs a 16-bit wchar_t");

inline std::wstring Widen(std::string_view utf8) {
    const std::u16string wide = Utf8ToUtf16(utf8);
    return {wide.begin(), wide.end()};
}

inline std::string Narrow(std::wstring_view wide) {
    return Utf16ToUtf8({reinterpret_cast<const char16_t*>(wide.data()), wide.size()});
}

} // namespace mirulo::platform
