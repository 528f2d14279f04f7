#include "settings/IniDocument.h"

#include "platform/Utf.h"

#include <limits>
#include <optional>

namespace mirulo::settings {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Folded(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) {
        c = FoldAscii(c);
    }
    return folded;
}

bool IsSectionHeader(std::string_view trimmedLine) {
    return trimmedLine.size() >= 2 && trimmedLine.front() == '[' && trimmedLine.back() == ']';
}

// A first header the user's editor damaged ("[System" without its "]", or with
// a comment behind it) still names the section of the lines below it: read as
// anything else, every line up to the next header would be dropped and lost
// with the next save. (Inside a section such a line is kept as it is.) A line
// with text after the "]" other than a comment is not a header.
std::optional<std::string_view> DamagedHeaderName(std::string_view trimmedLine) {
    if (trimmedLine.empty() || trimmedLine.front() != '[') {
        return std::nullopt;
    }
    const std::size_t close = trimmedLine.find(']');
    if (close == std::string_view::npos) {
        return trimmedLine.substr(1);
    }
    const std::string_view rest = Trim(trimmedLine.substr(close + 1));
    if (!rest.empty() && rest.front() != ';') {
        return std::nullopt;
    }
    return trimmedLine.substr(1, close - 1);
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

bool HasSurroundingBlanks(std::string_view text) {
    return !text.empty() && (IsBlank(text.front()) || IsBlank(text.back()));
}

void RequireStorableSection(std::string_view section) {
    if (HasLineBreak(section) || HasSurroundingBlanks(section) || !platform::IsValidUtf8(section)) {
        throw std::invalid_argument("settings section name cannot be stored: " + std::string(section));
    }
}

void RequireStorableKey(std::string_view key) {
    const bool startsLikeOtherLine = !key.empty() && (key.front() == ';' || key.front() == '[');
    if (key.find('=') != std::string_view::npos || HasLineBreak(key) || HasSurroundingBlanks(key) ||
        startsLikeOtherLine || !platform::IsValidUtf8(key)) {
        throw std::invalid_argument("settings key cannot be stored: " + std::string(key));
    }
}

// What a read of the written line gives back for this value.
std::string StorableValue(std::string_view value) {
    std::string text = platform::IsValidUtf8(value) ? std::string(value)
                                                    : platform::Utf16ToUtf8(platform::Utf8ToUtf16(value));
    for (char& c : text) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return std::string(Trim(text));
}

bool IsDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

IniEncodingError::IniEncodingError() : std::runtime_error("settings text is not valid UTF-8") {}

std::optional<std::int32_t> ParseIniInteger(std::string_view text) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();

    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        std::int64_t value = 0;
        for (const char c : text.substr(2)) {
            const int digit = HexDigitValue(c);
            if (digit < 0) {
                return std::nullopt;
            }
            value = value * 16 + digit;
            if (value > kMax) {
                return std::nullopt;
            }
        }
        return static_cast<std::int32_t>(value);
    }

    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    std::int64_t magnitude = 0;
    for (const char c : text) {
        if (!IsDecimalDigit(c)) {
            return std::nullopt;
        }
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > -kMin) {
            return std::nullopt;
        }
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > kMax) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

IniDocument IniDocument::Parse(std::string_view bytes) {
    if (bytes.starts_with(kByteOrderMark)) {
        bytes.remove_prefix(kByteOrderMark.size());
    }
    if (!platform::IsValidUtf8(bytes)) {
        throw IniEncodingError();
    }

    IniDocument document;
    std::optional<std::size_t> currentSection;
    std::size_t position = 0;
    while (position < bytes.size()) {
        const std::size_t end = bytes.find_first_of("\r\n", position);
        const std::string_view rawLine =
            bytes.substr(position, end == std::string_view::npos ? std::string_view::npos : end - position);
        if (end == std::string_view::npos) {
            position = bytes.size();
        } else {
            position = end + 1;
            if (bytes[end] == '\r' && position < bytes.size() && bytes[position] == '\n') {
                ++position;
            }
        }

        const std::string_view line = Trim(rawLine);
        if (line.empty() || line.front() == ';') {
            continue;
        }
        std::optional<std::string_view> header;
        if (IsSectionHeader(line)) {
            header = line.substr(1, line.size() - 2);
        } else if (const auto damaged = DamagedHeaderName(line);
                   !currentSection && damaged && !Trim(*damaged).empty()) {
            header = damaged;
        }
        if (header) {
            const std::string_view name = Trim(*header);
            currentSection = document.SectionIndexOf(name);
            if (!currentSection) {
                currentSection = document.AddSection(name);
            }
            continue;
        }
        if (!currentSection) {
            continue;
        }
        const std::size_t equals = line.find('=');
        if (line.front() == '[' || equals == std::string_view::npos) {
            document.AddLine(*currentSection, IniLine{false, {}, std::string(line)});
            continue;
        }
        document.AddLine(*currentSection, IniLine{true, std::string(Trim(line.substr(0, equals))),
                                                  std::string(Trim(line.substr(equals + 1)))});
    }
    return document;
}

std::string IniDocument::Serialize() const {
    std::size_t size = kByteOrderMark.size();
    for (const IniSection& section : sections_) {
        size += section.name.size() + 2 + 2 * kLineEnd.size();
        for (const IniLine& line : section.lines) {
            size += line.key.size() + 1 + line.value.size() + kLineEnd.size();
        }
    }

    std::string out;
    out.reserve(size);
    out += kByteOrderMark;
    for (const IniSection& section : sections_) {
        out += '[';
        out += section.name;
        out += ']';
        out += kLineEnd;
        for (const IniLine& line : section.lines) {
            if (line.isKeyLine) {
                out += line.key;
                out += '=';
            }
            out += line.value;
            out += kLineEnd;
        }
        out += kLineEnd;
    }
    return out;
}

std::optional<std::string_view> IniDocument::FindValue(std::string_view section, std::string_view key) const {
    const std::optional<std::size_t> sectionIndex = SectionIndexOf(section);
    if (!sectionIndex) {
        return std::nullopt;
    }
    const auto& firstLineOfKey = indexes_[*sectionIndex].firstLineOfKey;
    const auto line = firstLineOfKey.find(Folded(key));
    if (line == firstLineOfKey.end()) {
        return std::nullopt;
    }
    return std::string_view(sections_[*sectionIndex].lines[line->second].value);
}

std::string IniDocument::ReadString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue) const {
    return std::string(FindValue(section, key).value_or(defaultValue));
}

std::int32_t IniDocument::ReadInteger(std::string_view section, std::string_view key,
                                      std::int32_t defaultValue) const {
    const std::optional<std::string_view> text = FindValue(section, key);
    if (!text) {
        return defaultValue;
    }
    return ParseIniInteger(*text).value_or(defaultValue);
}

bool IniDocument::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniDocument::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    RequireStorableSection(section);
    RequireStorableKey(key);

    const std::size_t sectionIndex = SectionIndexOf(section).value_or(sections_.size());
    if (sectionIndex == sections_.size()) {
        AddSection(section);
    }
    IniLine line{true, std::string(key), StorableValue(value)};

    const auto& firstLineOfKey = indexes_[sectionIndex].firstLineOfKey;
    const auto found = firstLineOfKey.find(Folded(key));
    if (found != firstLineOfKey.end()) {
        sections_[sectionIndex].lines[found->second] = std::move(line);
    } else {
        AddLine(sectionIndex, std::move(line));
    }
}

void IniDocument::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void IniDocument::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

std::optional<std::size_t> IniDocument::SectionIndexOf(std::string_view name) const {
    const auto found = sectionOfName_.find(Folded(name));
    if (found == sectionOfName_.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::size_t IniDocument::AddSection(std::string_view name) {
    const std::size_t index = sections_.size();
    sections_.push_back(IniSection{std::string(name), {}});
    indexes_.emplace_back();
    sectionOfName_.emplace(Folded(name), index);
    return index;
}

void IniDocument::AddLine(std::size_t sectionIndex, IniLine line) {
    std::vector<IniLine>& lines = sections_[sectionIndex].lines;
    if (line.isKeyLine) {
        // emplace keeps an earlier entry: the first occurrence stays the key.
        indexes_[sectionIndex].firstLineOfKey.emplace(Folded(line.key), lines.size());
    }
    lines.push_back(std::move(line));
}

} // namespace mirulo::settings
