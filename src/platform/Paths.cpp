#include "platform/Paths.h"

namespace mirulo::platform {

std::wstring FileNamePart(std::wstring_view path) {
    const std::size_t separator = path.find_last_of(L"\\/:");
    return std::wstring(separator == std::wstring_view::npos ? path : path.substr(separator + 1));
}

} // namespace mirulo::platform
