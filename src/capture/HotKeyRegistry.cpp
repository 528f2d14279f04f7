#include "capture/HotKeyRegistry.h"

#include <cstddef>
#include <utility>

namespace mirulo::capture {

HotKeyRegistration::HotKeyRegistration(HWND window, const wchar_t* atomName,
                                       HotKeyCombination combination) noexcept
    : window_(window), atom_(::GlobalAddAtomW(atomName)) {
    if (atom_ == 0) {
        // Registering under ID 0 would leave a hot key that no stored ID can
        // ever release.
        return;
    }
    registered_ = ::RegisterHotKey(window_, atom_, combination.modifiers, combination.virtualKey) != FALSE;
}

HotKeyRegistration::HotKeyRegistration(HotKeyRegistration&& other) noexcept
    : window_(std::exchange(other.window_, nullptr)), atom_(std::exchange(other.atom_, ATOM{0})),
      registered_(std::exchange(other.registered_, false)) {}

HotKeyRegistration& HotKeyRegistration::operator=(HotKeyRegistration&& other) noexcept {
    if (this != &other) {
        Release();
        window_ = std::exchange(other.window_, nullptr);
        atom_ = std::exchange(other.atom_, ATOM{0});
        registered_ = std::exchange(other.registered_, false);
    }
    return *this;
}

void HotKeyRegistration::Release() noexcept {
    const ATOM atom = std::exchange(atom_, ATOM{0});
    const bool registered = std::exchange(registered_, false);
    if (atom != 0) {
        ::GlobalDeleteAtom(atom);
    }
    if (registered) {
        // The atom's value stays a valid ID after the atom is gone.
        ::UnregisterHotKey(window_, atom);
    }
}

HotKeyRegistry::HotKeyRegistry(HWND window, std::function<void()> onDuplicate)
    : window_(window), onDuplicate_(std::move(onDuplicate)) {}

std::int32_t HotKeyRegistry::SetHotKey(int number, const HotKeySelections& copies) {
    HotKeyRegistration* slot = Slot(number);
    if (slot == nullptr) {
        return 0;
    }
    slot->Release();
    const HotKeyPlan plan = PlanSetHotKey(number, copies);
    if (!plan.combination) {
        return 0;
    }
    *slot = HotKeyRegistration(window_, kHotKeyAtomNames[static_cast<std::size_t>(number - 1)],
                               *plan.combination);
    const std::int32_t id = slot->id();
    if (plan.warnDuplicate) {
        // The warning box runs a nested message loop; the ID is taken before it so
        // that whatever runs meanwhile cannot change what this call returns.
        onDuplicate_();
    }
    return id;
}

void HotKeyRegistry::CheckKeySettings(const HotKeySelections& copies) {
    if (FindDuplicateHotKeys(copies)) {
        onDuplicate_();
    }
}

void HotKeyRegistry::Release(int number) noexcept {
    if (HotKeyRegistration* slot = Slot(number)) {
        slot->Release();
    }
}

void HotKeyRegistry::ReleaseAll() noexcept {
    for (int number = 1; number <= kHotKeyCount; ++number) {
        Release(number);
    }
}

std::int32_t HotKeyRegistry::Id(int number) const noexcept {
    const HotKeyRegistration* slot = Slot(number);
    return slot != nullptr ? slot->id() : 0;
}

bool HotKeyRegistry::IsActive(int number) const noexcept {
    const HotKeyRegistration* slot = Slot(number);
    return slot != nullptr && slot->active();
}

HotKeyRegistration* HotKeyRegistry::Slot(int number) noexcept {
    if (number < 1 || number > kHotKeyCount) {
        return nullptr;
    }
    return &slots_[static_cast<std::size_t>(number - 1)];
}

const HotKeyRegistration* HotKeyRegistry::Slot(int number) const noexcept {
    if (number < 1 || number > kHotKeyCount) {
        return nullptr;
    }
    return &slots_[static_cast<std::size_t>(number - 1)];
}

} // namespace mirulo::capture
