#pragma once
// The save folder's size cap: the number in its edit field and the loop that
// moves the oldest pictures to the recycle bin until the folder is back under
// the cap. Portable: the folder is reached through SizeCapFolder.
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

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
constexpr std::int64_t CapBytes(std::int32_t megabytes) {
    return std::int64_t{megabytes} * kBytesPerMegabyte;
}

// What became of one move the cap asked for.
enum class CapMove {
    Moved,    // the picture is gone from the folder
    NotAFile, // a folder named like a picture: never moved, passed over without a word
    Refused,  // the recycle bin cannot take it now (held open, ...): it stays, the cap goes on
    Declined, // the shell was asked and the picture stayed (the user said no): the cap stops
};

// The picture list as the cap sees it.
class SizeCapFolder {
public:
    virtual ~SizeCapFolder() = default;
    // The total size of the listed pictures, from the last refresh.
    virtual std::int64_t TotalSize() const = 0;
    // The oldest listed picture (the list's bottom entry up) that is not in
    // `passedOver`; nullopt when there is none.
    virtual std::optional<std::u16string> Oldest(const std::set<std::u16string>& passedOver) const = 0;
    // Moves the picture to the recycle bin, never deleting it outright.
    virtual CapMove MoveToRecycleBin(const std::u16string& picture) = 0;
    // Lists the folder again, which updates TotalSize and Oldest.
    virtual void Refresh() = 0;
};

struct SizeCapResult {
    int moved = 0;
    // Pictures that stay where they are, oldest first: the recycle bin could
    // not take them (the cap went on with the next oldest), or the shell kept
    // one (the cap stopped there).
    std::vector<std::u16string> kept;
    // The picture whose move the user declined, which ended the step.
    std::optional<std::u16string> declined;
};

// While the total is above the cap (a total equal to it stays), moves the
// oldest picture to the recycle bin and refreshes. The newest picture is not
// exempt. A picture in `passedOver`, a folder and a picture the recycle bin
// cannot take are passed over for the next oldest; the step ends when nothing
// is left to try or the user declines a move. No picture is tried twice in one
// step.
SizeCapResult ApplySizeCap(std::int64_t capBytes, SizeCapFolder& folder,
                           std::set<std::u16string> passedOver = {});

} // namespace mirulo::library
