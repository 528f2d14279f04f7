#include "capture/HotKeyTable.h"

#include <cstddef>

namespace mirulo::capture {

std::uint32_t VirtualKeyForKeyIndex(std::int32_t keyIndex) noexcept {
    if (keyIndex < 0 || static_cast<std::size_t>(keyIndex) >= kKeyList.size()) {
        return 0;
    }
    return kKeyList[static_cast<std::size_t>(keyIndex)].virtualKey;
}

std::uint32_t ModifierFlagsForIndex(std::int32_t modifierIndex) noexcept {
    if (modifierIndex < 0 || static_cast<std::size_t>(modifierIndex) >= kModifierList.size()) {
        return 0;
    }
    return kModifierList[static_cast<std::size_t>(modifierIndex)].flags;
}

std::optional<HotKeyCombination> CombinationFor(const HotKeySelection& selection) noexcept {
    // A key index past the list has no key: registering key code 0 would only
    // reserve a bare modifier, so such a hot key stays off like "キーで撮影しない".
    const std::uint32_t virtualKey = VirtualKeyForKeyIndex(selection.keyIndex);
    if (virtualKey == 0) {
        return std::nullopt;
    }
    return HotKeyCombination{ModifierFlagsForIndex(selection.modifierIndex), virtualKey};
}

std::optional<HotKeyPair> FindDuplicateHotKeys(const HotKeySelections& selections) noexcept {
    static constexpr std::array<HotKeyPair, 3> kPairsInOrder = {{{1, 2}, {1, 3}, {2, 3}}};
    for (const HotKeyPair& pair : kPairsInOrder) {
        // Compared as the system sees them: two entries that end up as the same
        // combination clash even when their list indexes differ (no selection
        // against "なし"), and hot keys that are off never clash.
        const auto first = CombinationFor(selections[static_cast<std::size_t>(pair.first - 1)]);
        const auto second = CombinationFor(selections[static_cast<std::size_t>(pair.second - 1)]);
        if (first && second && *first == *second) {
            return pair;
        }
    }
    return std::nullopt;
}

HotKeyPlan PlanSetHotKey(int number, const HotKeySelections& selections) noexcept {
    if (number < 1 || number > kHotKeyCount) {
        return {};
    }
    HotKeyPlan plan;
    plan.combination = CombinationFor(selections[static_cast<std::size_t>(number - 1)]);
    // A hot key that stays off is not registered and triggers no check either.
    plan.warnDuplicate = plan.combination.has_value() && FindDuplicateHotKeys(selections).has_value();
    return plan;
}

std::optional<int> HotKeyNumberForId(std::uint64_t messageId,
                                     const std::array<std::int32_t, kHotKeyCount>& registeredIds) noexcept {
    for (std::size_t slot = 0; slot < registeredIds.size(); ++slot) {
        const std::int32_t id = registeredIds[slot];
        if (id > 0 && messageId == static_cast<std::uint64_t>(id)) {
            return static_cast<int>(slot) + 1;
        }
    }
    return std::nullopt;
}

} // namespace mirulo::capture
