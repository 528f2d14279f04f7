#pragma once
// The save folder's size cap: the number in its edit field and the loop that
// moves the oldest pictures to the recycle bin until the folder is back under
// the cap. Portable: the folder is reached through SizeCapFolder.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mirulo::library {

inline constexpr std::int32_t kDefaultCapMegabytes = 100;
inline constexpr std::int64_t kBytesPerMegabyte = 1'048'576;

// The field's text as a signed 32-bit whole number, read as the settings file
// reads FolderCapacitySize (blanks around it allowed, decimal or 0x hex), so the
// cap applied is the cap stored; nullopt when the text is not such a number.
std::optional<std::int32_t> ParseCapMegabytes(std::u16string_view text);

// What the field shows once the user leaves it: the number in plain decimal,
// or "100" when the text is not a whole number.
std::u16string NormalisedCapText(std::u16string_view text);

// Megabytes of 1,048,576 bytes in 64-bit arithmetic: caps of 2,048 MB and more
// do not overflow, and a cap of 0 or less keeps nothing.
constexpr std::int64_t CapBytes(std::int32_t megabytes) { return std::int64_t{megabytes} * kBytesPerMegabyte; }

// The picture list as the cap sees it.
class SizeCapFolder {
public:
    virtual ~SizeCapFolder() = default;
    // The total size of the listed pictures, from the last refresh.
    virtual std::int64_t TotalSize() const = 0;
    // The oldest listed picture (the list's bottom entry); nullopt when the list is empty.
    virtual std::optional<std::u16string> Oldest() const = 0;
    // Moves the picture to the recycle bin; true only when its file is gone.
    virtual bool MoveToRecycleBin(const std::u16string& picture) = 0;
    // Lists the folder again, which updates TotalSize and Oldest.
    virtual void Refresh() = 0;
};

struct SizeCapResult {
    int moved = 0;
    // The picture that could not be moved (in use, the confirmation declined, or
    // still listed after the shell reported it moved); the loop stopped there
    // rather than trying the same move again.
    std::optional<std::u16string> stuck;
};

// While the total is above the cap (a total equal to it stays), moves the
// oldest picture to the recycle bin and refreshes. The newest picture is not
// exempt. Stops when the list is empty or a move changes nothing.
SizeCapResult ApplySizeCap(std::int64_t capBytes, SizeCapFolder& folder);

} // namespace mirulo::library
