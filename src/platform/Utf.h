#pragma once
// UTF-8 <-> UTF-16 in one place. Portable: the Win32 layer and the native tests
// use the same code, so a path survives the round trip identically everywhere.
#include <optional>
#include <string>
#include <string_view>

namespace mirulo::platform {

// True when the bytes are well-formed UTF-8 (no overlongs, no surrogates, nothing
// above U+10FFFF, no truncated sequence).
bool IsValidUtf8(std::string_view bytes);

// Strict conversions: nullopt on malformed input (bad UTF-8, or an unpaired surrogate).
std::optional<std::u16string> TryUtf8ToUtf16(std::string_view utf8);
std::optional<std::string> TryUtf16ToUtf8(std::u16string_view utf16);

// Lenient conversions for text that must always show something: malformed
// sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

} // namespace mirulo::platform
