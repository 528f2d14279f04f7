#include "library/RenameName.h"

#include <array>

namespace mirulo::library {
namespace {

char16_t AsciiUpper(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) {
            return false;
        }
    }
    return true;
}

// Windows decides on the part before the first dot, with trailing blanks
// dropped: "CON.png", "con .jpg" and "NUL.tar.gz" all name a device.
bool IsReservedDeviceName(std::u16string_view name) {
    std::u16string_view stem = name.substr(0, name.find(u'.'));
    while (!stem.empty() && stem.back() == u' ') {
        stem.remove_suffix(1);
    }
    static constexpr std::array<std::u16string_view, 6> kDevices = {u"CON", u"PRN",    u"AUX",
                                                                    u"NUL", u"CONIN$", u"CONOUT$"};
    for (const std::u16string_view device : kDevices) {
        if (EqualsIgnoringAsciiCase(stem, device)) {
            return true;
        }
    }
    if (stem.size() == 4 && (EqualsIgnoringAsciiCase(stem.substr(0, 3), u"COM") ||
                             EqualsIgnoringAsciiCase(stem.substr(0, 3), u"LPT"))) {
        const char16_t last = stem[3];
        return (last >= u'0' && last <= u'9') || last == u'\u00B9' || last == u'\u00B2' || last == u'\u00B3';
    }
    return false;
}

bool IsForbiddenCharacter(char16_t c) {
    return c < 0x20 || c == u'\\' || c == u'/' || c == u':' || c == u'<' || c == u'>' || c == u'"' ||
           c == u'|' || c == u'?' || c == u'*';
}

} // namespace

bool IsPlainFileName(std::u16string_view name) {
    if (name.empty() || name.find(u"..") != std::u16string_view::npos) {
        return false;
    }
    for (const char16_t c : name) {
        if (IsForbiddenCharacter(c)) {
            return false;
        }
    }
    if (name.back() == u'.' || name.back() == u' ') {
        return false;
    }
    constexpr std::u16string_view kTemporaryPrefix = u".~mirulo-";
    if (EqualsIgnoringAsciiCase(name.substr(0, kTemporaryPrefix.size()), kTemporaryPrefix)) {
        return false;
    }
    return !IsReservedDeviceName(name);
}

} // namespace mirulo::library
