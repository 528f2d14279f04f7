#include "library/SizeCap.h"

#include "platform/Utf.h"
#include "settings/SettingsValues.h"

namespace mirulo::library {

std::optional<std::int32_t> ParseCapMegabytes(std::u16string_view text) {
    const std::optional<std::string> utf8 = platform::TryUtf16ToUtf8(text);
    if (!utf8) {
        return std::nullopt;
    }
    return settings::ParseFolderCapacitySize(*utf8);
}

std::u16string NormalisedCapText(std::u16string_view text) {
    const std::string digits = std::to_string(ParseCapMegabytes(text).value_or(kDefaultCapMegabytes));
    return {digits.begin(), digits.end()};
}

SizeCapResult ApplySizeCap(std::int64_t capBytes, SizeCapFolder& folder) {
    SizeCapResult result;
    while (folder.TotalSize() > capBytes) {
        const std::optional<std::u16string> oldest = folder.Oldest();
        if (!oldest) {
            break;
        }
        const std::int64_t totalBefore = folder.TotalSize();
        if (!folder.MoveToRecycleBin(*oldest)) {
            result.stuck = oldest;
            break;
        }
        ++result.moved;
        folder.Refresh();
        // Reported gone, yet listed as before with the same total: moving it again
        // would go round forever.
        if (folder.Oldest() == oldest && folder.TotalSize() >= totalBefore) {
            result.stuck = oldest;
            break;
        }
    }
    return result;
}

} // namespace mirulo::library
