#pragma once
#include <windows.h>

#include <stdexcept>
#include <string>
#include <string_view>

namespace mirulo::platform {

// The operating system's own text for an error code, without the trailing line
// break FormatMessageW appends.
std::wstring SystemMessage(DWORD code);

// A failure to show the user: what() is UTF-8 and already says what went wrong in
// the words the user should read.
class UserError : public std::runtime_error {
public:
    explicit UserError(std::wstring_view message);
};

// A failed system call, with the system's text for GetLastError().
[[noreturn]] void ThrowLastError(std::wstring_view what);

} // namespace mirulo::platform
