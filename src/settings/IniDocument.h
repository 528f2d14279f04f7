#pragma once
// The settings file as text: sections of "key=value" lines, read from UTF-8
// bytes and written back as UTF-8 with a byte-order mark and CR LF line ends.
// Portable: no file access here, only bytes in and bytes out.
//
// Reading rules:
// - A UTF-8 byte-order mark at the start is skipped; the rest must be valid UTF-8,
//   otherwise Parse throws IniEncodingError and nothing is read.
// - Lines end at CR LF, LF or CR. Each line is trimmed of blanks (space and the
//   ASCII control characters, NUL included, as text tools trim). Empty lines and
//   lines starting with ";" are dropped, so comments do not survive a write.
// - "[name]" opens the section "name" (trimmed). Lines before the first section
//   are dropped. A header that repeats an earlier section's name continues that
//   section, so a hand-edited file with two [System] blocks keeps every line and
//   every key in it can be found.
// - Any other line starting with "[" (a header without "]") and any line without
//   "=" is kept inside its section as it is and written back, so a hand edit is
//   not silently lost, but it is never a key.
// - Otherwise the line is a key line; the blanks around the first "=" are
//   removed and the value may contain further "=".
// - Section and key names match with ASCII case folding only. Every name the
//   program uses is ASCII; folding other scripts would depend on tables and
//   locales, and "Ä" and "ä" stay two keys, which no stored file of ours needs.
// - When a key occurs more than once in a section, the first occurrence is the
//   key: reading takes its value and writing replaces its line. The later lines
//   stay as they are, dead but not deleted, in case the user wants them back.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace mirulo::settings {

// The bytes are not UTF-8; the caller reports this as a damaged settings file.
class IniEncodingError : public std::runtime_error {
public:
    IniEncodingError();
};

struct IniLine {
    bool isKeyLine = true;
    std::string key;   // empty for a line that is not a key line
    std::string value; // the value, or the whole text of a line that is not a key line

    friend bool operator==(const IniLine&, const IniLine&) = default;
};

struct IniSection {
    std::string name; // spelled as first seen
    std::vector<IniLine> lines;

    friend bool operator==(const IniSection&, const IniSection&) = default;
};

class IniDocument {
public:
    IniDocument() = default;

    // Throws IniEncodingError when the bytes (after a leading BOM) are not UTF-8.
    static IniDocument Parse(std::string_view bytes);

    // BOM, then per section "[name]", its lines and an empty line, all ending in CR LF.
    // An empty document gives the BOM alone.
    std::string Serialize() const;

    const std::vector<IniSection>& Sections() const { return sections_; }

    // The value of the first occurrence of the key, if any; valid until the next write.
    std::optional<std::string_view> FindValue(std::string_view section, std::string_view key) const;

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // Signed 32-bit decimal, or hexadecimal after "0x"/"0X"; see ParseIniInteger.
    std::int32_t ReadInteger(std::string_view section, std::string_view key, std::int32_t defaultValue) const;
    // An integer that is not 0; the default counts as 1 or 0.
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;

    // An existing key's line is replaced in place, spelled as given here; a new key
    // goes to the end of its section, a new section to the end of the document.
    //
    // The value is stored the way the next read of the file gives it back: line
    // breaks become spaces (a path never holds one, and a raw one would split the
    // line), surrounding blanks are trimmed, and bytes that are not UTF-8 become
    // U+FFFD so that the file written from this document can always be read again.
    //
    // The section and key are the program's own constants; a name that could not
    // be read back as the same section or key ("=" or a line break in a key, a key
    // starting with ";" or "[", surrounding blanks, not UTF-8) throws
    // std::invalid_argument.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
    // "1" or "0".
    void WriteBool(std::string_view section, std::string_view key, bool value);

    // Same sections, lines and spellings; the lookup indexes follow from those.
    friend bool operator==(const IniDocument& a, const IniDocument& b) { return a.sections_ == b.sections_; }

private:
    struct SectionIndex {
        // ASCII-folded key -> index of its first line in the section.
        std::unordered_map<std::string, std::size_t> firstLineOfKey;
    };

    std::optional<std::size_t> SectionIndexOf(std::string_view name) const;
    std::size_t AddSection(std::string_view name);
    void AddLine(std::size_t sectionIndex, IniLine line);

    std::vector<IniSection> sections_;
    std::vector<SectionIndex> indexes_;                          // parallel to sections_
    std::unordered_map<std::string, std::size_t> sectionOfName_; // ASCII-folded name -> index
};

// The integer rule of the settings file: an optional sign and decimal digits, or,
// when the text is longer than two characters and starts with "0x" or "0X", hex
// digits. Nothing else is accepted (no blanks, no trailing text), and a number
// outside the signed 32-bit range is not an integer either.
std::optional<std::int32_t> ParseIniInteger(std::string_view text);

} // namespace mirulo::settings
