#pragma once
// The capture hot keys as the system knows them. Each hot key is named by a
// global atom ("Mirulo1", "Mirulo2", "Mirulo3") whose value doubles as its hot-key
// ID, and is registered for the main window, which receives WM_HOTKEY. Atoms
// outlive the process that adds them, so each one added is owned here and deleted
// exactly once.
#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "capture/HotKeyTable.h"

namespace mirulo::capture {

inline constexpr std::array<const wchar_t*, kHotKeyCount> kHotKeyAtomNames = {L"Mirulo1", L"Mirulo2",
                                                                              L"Mirulo3"};

// One hot key held for a window: its atom (the ID) and, when the system granted
// it, the registration under that ID. Move-only; released on destruction.
class [[nodiscard]] HotKeyRegistration {
public:
    HotKeyRegistration() noexcept = default;

    // Adds the atom and asks for the combination. A combination that another
    // program (or another of our hot keys) already holds is refused without a
    // word: the atom and ID are kept all the same, and the hot key simply never
    // fires. Without an atom there is no ID to register under, so nothing is
    // asked for.
    HotKeyRegistration(HWND window, const wchar_t* atomName, HotKeyCombination combination) noexcept;

    HotKeyRegistration(const HotKeyRegistration&) = delete;
    HotKeyRegistration& operator=(const HotKeyRegistration&) = delete;
    HotKeyRegistration(HotKeyRegistration&& other) noexcept;
    HotKeyRegistration& operator=(HotKeyRegistration&& other) noexcept;
    ~HotKeyRegistration() { Release(); }

    // The hot-key ID: the atom zero-extended (0xC000..0xFFFF), 0 when none is held.
    std::int32_t id() const noexcept { return static_cast<std::int32_t>(atom_); }
    // True while the system has the combination registered for us.
    bool active() const noexcept { return registered_; }

    // Deletes the atom, then unregisters the hot key; afterwards nothing is held.
    void Release() noexcept;

private:
    HWND window_ = nullptr;
    ATOM atom_ = 0;
    bool registered_ = false;
};

// The main window's three hot keys. The window keeps the IDs in RegistHotKeyID1..3
// from the values returned here, and warns the user when told of a clash.
class HotKeyRegistry {
public:
    // `onDuplicate` runs whenever the duplicate check finds two hot keys with one
    // combination.
    HotKeyRegistry(HWND window, std::function<void()> onDuplicate);
    HotKeyRegistry(const HotKeyRegistry&) = delete;
    HotKeyRegistry& operator=(const HotKeyRegistry&) = delete;

    // SetHotKey1..3: registers hot key `number` (1..3) from the copies of the
    // list selections, then runs the duplicate check. A hot key whose key list
    // is on "キーで撮影しない" or has no selection registers nothing and is not
    // checked. Anything the slot still held is released first, so a slot never
    // owns two atoms. Returns the hot key's ID, 0 when nothing is held; an
    // invalid number does nothing and returns 0.
    std::int32_t SetHotKey(int number, const HotKeySelections& copies);

    // CheckKeySettings: reports a clash once when any two hot keys would register
    // the same combination.
    void CheckKeySettings(const HotKeySelections& copies);

    // First step of a list change: gives back hot key `number`'s atom and
    // registration; its ID is 0 afterwards.
    void Release(int number) noexcept;

    // FormDestroy: releases hot keys 1, 2 and 3, in this order.
    void ReleaseAll() noexcept;

    std::int32_t Id(int number) const noexcept;
    bool IsActive(int number) const noexcept;

private:
    HotKeyRegistration* Slot(int number) noexcept;
    const HotKeyRegistration* Slot(int number) const noexcept;

    HWND window_;
    std::function<void()> onDuplicate_;
    std::array<HotKeyRegistration, kHotKeyCount> slots_;
};

} // namespace mirulo::capture
