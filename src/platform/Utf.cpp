#include "platform/Utf.h"

#include <cstdint>

namespace mirulo::platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point at `pos`; returns false (and leaves pos past the bad
// byte) on a malformed sequence.
bool DecodeUtf8(std::string_view s, std::size_t& pos, char32_t& out) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(s[i]); };
    const std::uint8_t lead = byte(pos);
    if (lead < 0x80) {
        out = lead;
        ++pos;
        return true;
    }
    std::size_t length = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, cp = lead & 0x1Fu, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, cp = lead & 0x0Fu, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, cp = lead & 0x07u, minimum = 0x10000;
    } else {
        ++pos;
        return false;
    }
    if (s.size() - pos < length) {
        ++pos;
        return false;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const std::uint8_t cont = byte(pos + i);
        if ((cont & 0xC0) != 0x80) {
            ++pos;
            return false;
        }
        cp = (cp << 6) | (cont & 0x3Fu);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return false;
    }
    pos += length;
    out = cp;
    return true;
}

bool DecodeUtf16(std::u16string_view s, std::size_t& pos, char32_t& out) {
    const char16_t unit = s[pos++];
    if (unit < 0xD800 || unit > 0xDFFF) {
        out = unit;
        return true;
    }
    if (unit <= 0xDBFF && pos < s.size() && s[pos] >= 0xDC00 && s[pos] <= 0xDFFF) {
        out = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
              (static_cast<char32_t>(s[pos]) - 0xDC00);
        ++pos;
        return true;
    }
    return false;
}

void AppendUtf16(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

template <bool Strict> std::optional<std::u16string> ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        char32_t cp = 0;
        if (!DecodeUtf8(utf8, pos, cp)) {
            if constexpr (Strict) {
                return std::nullopt;
            }
            cp = kReplacement;
        }
        AppendUtf16(out, cp);
    }
    return out;
}

template <bool Strict> std::optional<std::string> ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size() * 3);
    for (std::size_t pos = 0; pos < utf16.size();) {
        char32_t cp = 0;
        if (!DecodeUtf16(utf16, pos, cp)) {
            if constexpr (Strict) {
                return std::nullopt;
            }
            cp = kReplacement;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

} // namespace

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t pos = 0; pos < bytes.size();) {
        char32_t cp = 0;
        if (!DecodeUtf8(bytes, pos, cp)) {
            return false;
        }
    }
    return true;
}

std::optional<std::u16string> TryUtf8ToUtf16(std::string_view utf8) {
    return ToUtf16<true>(utf8);
}
std::optional<std::string> TryUtf16ToUtf8(std::u16string_view utf16) {
    return ToUtf8<true>(utf16);
}
std::u16string Utf8ToUtf16(std::string_view utf8) {
    return *ToUtf16<false>(utf8);
}
std::string Utf16ToUtf8(std::u16string_view utf16) {
    return *ToUtf8<false>(utf16);
}

} // namespace mirulo::platform
