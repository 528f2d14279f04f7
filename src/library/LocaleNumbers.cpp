#include "library/LocaleNumbers.h"

#include <windows.h>

#include <iterator>

#include "library/StatusText.h"
#include "platform/Wide.h"

namespace mirulo::library {
namespace {

wchar_t LocaleCharacter(LCTYPE type, wchar_t fallback) {
    wchar_t value[8] = {};
    // The count includes the terminating NUL: 2 or more means at least one character.
    const int length =
        ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, value, static_cast<int>(std::size(value)));
    return length >= 2 ? value[0] : fallback;
}

} // namespace

NumberSeparators UserNumberSeparators() {
    return {LocaleCharacter(LOCALE_STHOUSAND, L','), LocaleCharacter(LOCALE_SDECIMAL, L'.')};
}

std::wstring FolderStatusText(std::size_t count, std::int64_t totalBytes) {
    const NumberSeparators separators = UserNumberSeparators();
    return platform::AsWide(StatusText(count, totalBytes, static_cast<char16_t>(separators.thousands),
                                       static_cast<char16_t>(separators.decimal)));
}

} // namespace mirulo::library
