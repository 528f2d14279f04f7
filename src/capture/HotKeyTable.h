#pragma once
// The three capture hot keys as the page "設定２" offers them: what each entry of
// the key and modifier lists stands for, which combination a hot key asks the
// system for, and when two of them clash. No system calls here, so every rule can
// be checked on its own; HotKeyRegistry performs the registrations.
#include <array>
#include <cstdint>
#include <optional>

namespace mirulo::capture {

// The hot keys are numbered 1 (fixed range), 2 (picked range), 3 (full screen).
inline constexpr int kHotKeyCount = 3;

// The system's modifier flags, spelled out so that this file needs no <windows.h>.
// MOD_NOREPEAT is deliberately absent: holding a hot key down is meant to keep
// capturing at the keyboard's repeat rate.
inline constexpr std::uint32_t kModifierAlt = 0x0001;     // MOD_ALT
inline constexpr std::uint32_t kModifierControl = 0x0002; // MOD_CONTROL
inline constexpr std::uint32_t kModifierShift = 0x0004;   // MOD_SHIFT

// Virtual-key code of each key-list entry, by entry index. Entry 0
// ("キーで撮影しない") switches the hot key off and has no key.
inline constexpr std::array<std::uint8_t, 29> kKeyListVirtualKeys = {
    0x00, // キーで撮影しない
    0x1B, // Esc          VK_ESCAPE
    0x70, // F1           VK_F1
    0x71, // F2
    0x72, // F3
    0x73, // F4
    0x74, // F5
    0x75, // F6
    0x76, // F7
    0x77, // F8
    0x78, // F9
    0x79, // F10
    0x7A, // F11
    0x7B, // F12          VK_F12
    0x91, // Scroll Lock  VK_SCROLL
    0x13, // Pause        VK_PAUSE
    0x09, // Tab          VK_TAB
    0xF4, // 半角/全角     VK_OEM_ENLW
    0x1D, // 無変換        VK_NONCONVERT
    0x1C, // 変換          VK_CONVERT
    0xF2, // カタカナ/ひらがな VK_OEM_COPY
    0x2D, // Insert       VK_INSERT
    0x2E, // Delete       VK_DELETE
    0x24, // Home         VK_HOME
    0x23, // End          VK_END
    0x21, // Page Up      VK_PRIOR
    0x22, // Page Down    VK_NEXT
    0x90, // Num Lock     VK_NUMLOCK
    0x2C, // PrtSc        VK_SNAPSHOT
};

// Modifier flags of each modifier-list entry: なし, Shift, Ctl, Alt.
inline constexpr std::array<std::uint32_t, 4> kModifierListFlags = {0, kModifierShift, kModifierControl,
                                                                    kModifierAlt};

// One hot key's pair of list selections as the main window copies them
// (int_cb_KeyAddN, int_cb_KeyN): entry indexes, -1 when a list has no selection.
struct HotKeySelection {
    std::int32_t modifierIndex = 0;
    std::int32_t keyIndex = 0;
};

// The selections of hot keys 1, 2 and 3, in that order.
using HotKeySelections = std::array<HotKeySelection, kHotKeyCount>;

// What is handed to the system: modifier flags and a virtual-key code.
struct HotKeyCombination {
    std::uint32_t modifiers = 0;
    std::uint32_t virtualKey = 0;
    friend bool operator==(const HotKeyCombination&, const HotKeyCombination&) = default;
};

// The virtual key of a key-list entry; 0 for entry 0 and for any index outside the list.
std::uint32_t VirtualKeyForKeyIndex(std::int32_t keyIndex) noexcept;

// The modifier flags of a modifier-list entry; 0 for "なし", no selection and any
// index outside the list, so a lost modifier degrades to the bare key.
std::uint32_t ModifierFlagsForIndex(std::int32_t modifierIndex) noexcept;

// The combination a hot key registers, or nothing when its key list is on
// "キーで撮影しない", has no selection, or holds an index outside the list.
std::optional<HotKeyCombination> CombinationFor(const HotKeySelection& selection) noexcept;

// Two hot keys (numbers, first < second) that would register the same combination.
struct HotKeyPair {
    int first = 0;
    int second = 0;
    friend bool operator==(const HotKeyPair&, const HotKeyPair&) = default;
};

// The duplicate check: looks at (1, 2), (1, 3), (2, 3) in this order and gives the
// first pair whose combinations are equal. Hot keys that register nothing never
// clash. Of such a pair only the one registered first gets the combination.
std::optional<HotKeyPair> FindDuplicateHotKeys(const HotKeySelections& selections) noexcept;

// What registering one hot key (1..3) from the copies amounts to: the combination
// to ask the system for (none: leave the hot key unregistered), and whether the
// duplicate warning is shown afterwards. The warning follows every registration
// while any two hot keys clash, whichever hot key was just registered, so a start
// with clashing settings shows it once per registered hot key.
struct HotKeyPlan {
    std::optional<HotKeyCombination> combination;
    bool warnDuplicate = false;
    friend bool operator==(const HotKeyPlan&, const HotKeyPlan&) = default;
};
HotKeyPlan PlanSetHotKey(int number, const HotKeySelections& selections) noexcept;

// Which hot key (1..3) a WM_HOTKEY message's ID belongs to, given the IDs the main
// window keeps (RegistHotKeyID1..3, in order; the first match wins). An ID of 0
// (not registered) or below never matches, so the system's own negative IDs and
// a stray 0 start no capture.
std::optional<int> HotKeyNumberForId(std::uint64_t messageId,
                                     const std::array<std::int32_t, kHotKeyCount>& registeredIds) noexcept;

} // namespace mirulo::capture
