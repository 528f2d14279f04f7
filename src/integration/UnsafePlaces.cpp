#include "integration/UnsafePlaces.h"

#include <windows.h>
#include <sddl.h>

namespace mirulo::integration {
namespace {

// The groups every signed-in person belongs to.
constexpr WELL_KNOWN_SID_TYPE kOrdinaryUsers[] = {WinBuiltinUsersSid, WinAuthenticatedUserSid, WinWorldSid,
                                                  WinInteractiveSid};

constexpr ACCESS_MASK kChangingRights = FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE | FILE_DELETE_CHILD |
                                        WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

bool IsOrdinaryUsers(PSID sid) {
    for (const WELL_KNOWN_SID_TYPE type : kOrdinaryUsers) {
        if (::IsWellKnownSid(sid, type)) {
            return true;
        }
    }
    return false;
}

} // namespace

bool AccessListLetsOrdinaryUsersChange(std::wstring_view accessList) {
    if (accessList.find(L"NO_ACCESS_CONTROL") != std::wstring_view::npos) {
        return true; // no list at all: everybody may do everything
    }
    const std::wstring text(accessList);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(text.c_str(), SDDL_REVISION_1, &descriptor,
                                                                nullptr)) {
        return false;
    }
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = nullptr;
    bool changeable = false;
    if (::GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted)) {
        changeable = present && dacl == nullptr;
        for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount && !changeable; ++i) {
            void* entry = nullptr;
            if (!::GetAce(dacl, i, &entry)) {
                continue;
            }
            const auto* header = static_cast<const ACE_HEADER*>(entry);
            if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE) != 0) {
                continue;
            }
            auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
            changeable = (allowed->Mask & kChangingRights) != 0 && IsOrdinaryUsers(&allowed->SidStart);
        }
    }
    ::LocalFree(descriptor);
    return changeable;
}

std::vector<std::wstring> UnsafeProgramPlaces(platform::Host& host, const std::wstring& executable,
                                              const std::wstring& settingsFile) {
    std::vector<std::wstring> unsafe;
    const std::size_t slash = executable.find_last_of(L'\\');
    std::wstring folder = slash == std::wstring::npos ? std::wstring() : executable.substr(0, slash);
    if (folder.size() == 2 && folder[1] == L':') {
        folder.push_back(L'\\'); // "C:" alone is the current folder on that drive, not its root
    }
    for (const std::wstring& place : {folder, executable, settingsFile}) {
        if (place.empty()) {
            continue;
        }
        const std::optional<std::wstring> list = host.AccessListOf(place);
        if (list && AccessListLetsOrdinaryUsersChange(*list)) {
            unsafe.push_back(place);
        }
    }
    return unsafe;
}

} // namespace mirulo::integration
