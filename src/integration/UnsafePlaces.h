#pragma once
// Whether a file or folder that the elevated program runs or reads can be
// changed by someone who is not an administrator: such a place is a way to
// administrator rights for whoever can write there, because the logon task
// starts the program with the highest privileges and without asking.
#include <string>
#include <string_view>
#include <vector>

#include "platform/Host.h"

namespace mirulo::integration {

// True when the access list (in the security descriptor language) grants
// Users, Authenticated Users, Everyone or Interactive a right to write, append,
// delete, or change the permissions or the owner (for a folder also to add or
// delete what is in it), or when there is no list at all, which lets everybody
// do everything. Rights that only what a folder will hold inherits do not count.
bool AccessListLetsOrdinaryUsersChange(std::wstring_view accessList);

// The program's folder, its file and its settings file: those of them that
// ordinary users can change. A place whose access list cannot be read (a file
// system without permissions) is not named: nothing can be told of it.
std::vector<std::wstring> UnsafeProgramPlaces(platform::Host& host, const std::wstring& executable,
                                              const std::wstring& settingsFile);

} // namespace mirulo::integration
