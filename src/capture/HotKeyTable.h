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

// The key list of each hot key, entry by entry: the text the list shows and the
// virtual-key code it stands for. Entry 0 switches the hot key off and has no key.
struct KeyListEntry {
    const wchar_t* name;
    std::uint8_t virtualKey;
};
inline constexpr std::array<KeyListEntry, 29> kKeyList = {{
    {L"キーで撮影しない", 0x00},
    {L"Esc", 0x1B}, // VK_ESCAPE
    {L"F1", 0x70},  // VK_F1
    {L"F2", 0x71},
    {L"F3", 0x72},
    {L"F4", 0x73},
    {L"F5", 0x74},
    {L"F6", 0x75},
    {L"F7", 0x76},
    {L"F8", 0x77},
    {L"F9", 0x78},
    {L"F10", 0x79},
    {L"F11", 0x7A},
    {L"F12", 0x7B},               // VK_F12
    {L"Scroll Lock", 0x91},       // VK_SCROLL
    {L"Pause", 0x13},             // VK_PAUSE
    {L"Tab", 0x09},               // VK_TAB
    {L"半角/全角", 0xF4},         // VK_OEM_ENLW
    {L"無変換", 0x1D},            // VK_NONCONVERT
    {L"変換", 0x1C},              // VK_CONVERT
    {L"カタカナ/ひらがな", 0xF2}, // VK_OEM_COPY
    {L"Insert", 0x2D},            // VK_INSERT
    {L"Delete", 0x2E},            // VK_DELETE
    {L"Home", 0x24},              // VK_HOME
    {L"End", 0x23},               // VK_END
    {L"Page Up", 0x21},           // VK_PRIOR
    {L"Page Down", 0x22},         // VK_NEXT
    {L"Num Lock", 0x90},          // VK_NUMLOCK
    {L"PrtSc", 0x2C},             // VK_SNAPSHOT
}};

// The modifier list of each hot key: its text and the modifier flags it stands for.
struct ModifierListEntry {
    const wchar_t* name;
    std::uint32_t flags;
};
inline constexpr std::array<ModifierListEntry, 4> kModifierList = {{
    {L"なし", 0},
    {L"Shift", kModifierShift},
    {L"Ctl", kModifierControl},
    {L"Alt", kModifierAlt},
}};

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
