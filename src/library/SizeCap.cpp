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

SizeCapResult ApplySizeCap(std::int64_t capBytes, SizeCapFolder& folder,
                           std::set<std::u16string> passedOver) {
    SizeCapResult result;
    while (folder.TotalSize() > capBytes) {
        const std::optional<std::u16string> oldest = folder.Oldest(passedOver);
        if (!oldest) {
            break;
        }
        // Whatever comes of it, this picture is not tried again in this step:
        // one that is reported gone yet listed again cannot make it go round.
        passedOver.insert(*oldest);
        switch (folder.MoveToRecycleBin(*oldest)) {
        case CapMove::Moved:
            ++result.moved;
            folder.Refresh();
            break;
        case CapMove::NotAFile:
            break;
        case CapMove::Refused:
            result.kept.push_back(*oldest);
            break;
        case CapMove::Declined:
            result.kept.push_back(*oldest);
            result.declined = oldest;
            return result;
        }
    }
    return result;
}

} // namespace mirulo::library
