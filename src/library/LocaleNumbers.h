#pragma once
// The user's number separators, for the count and size text.
#include <cstddef>
#include <cstdint>
#include <string>

namespace mirulo::library {

struct NumberSeparators {
    wchar_t thousands = L',';
    wchar_t decimal = L'.';
};

// LOCALE_STHOUSAND and LOCALE_SDECIMAL of the user's locale; "," and "." when the
// locale gives none.
NumberSeparators UserNumberSeparators();

// The status text with the user's separators.
std::wstring FolderStatusText(std::size_t count, std::int64_t totalBytes);

} // namespace mirulo::library
